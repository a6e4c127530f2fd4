#include "analysis_window/fittablemodel.h"

#include <QStringList>

namespace Demagora {

namespace {

enum Column { Member, Count, From, To, Declination, Inclination, Mad, Dang, FirstAngle };

} // namespace

FitTableModel::FitTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void FitTableModel::setAnalysis(RunAnalysis analysis)
{
    beginResetModel();
    m_analysis = std::move(analysis);
    endResetModel();
}

int FitTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_analysis.fits.size());
}

int FitTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || m_analysis.fits.empty())
        return 0;
    // The last column holds the reason a member has no fit.
    return FirstAngle + static_cast<int>(m_analysis.meanAnglesToComponents.size()) + 1;
}

QVariant FitTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() < columnCount() - 1)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FitTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= columnCount())
        return {};
    const bool plane = m_analysis.type == FitType::Plane;
    switch (section) {
    case Member:
        return QStringLiteral("Member");
    case Count:
        return QStringLiteral("n");
    case From:
        return QStringLiteral("From");
    case To:
        return QStringLiteral("To");
    case Declination:
        return plane ? QStringLiteral("Pole declination") : QStringLiteral("Declination");
    case Inclination:
        return plane ? QStringLiteral("Pole inclination") : QStringLiteral("Inclination");
    case Mad:
        return QStringLiteral("MAD");
    case Dang:
        return QStringLiteral("DANG");
    default:
        break;
    }
    if (section == columnCount() - 1)
        return QStringLiteral("Note");
    return QStringLiteral("To comp. %1").arg(section - FirstAngle + 1);
}

QString FitTableModel::angleText(double value) const
{
    return m_locale.toString(value, 'f', 2);
}

QString FitTableModel::cellText(int row, int column) const
{
    const MemberFit &member = m_analysis.fits[static_cast<std::size_t>(row)];
    const std::optional<Fit> &fit = member.fit;
    if (column == columnCount() - 1)
        return QString::fromStdString(member.refusal);
    switch (column) {
    case Member:
        return QString::number(member.member);
    case Count:
        return QString::number(member.n);
    case From:
        return member.n > 0 ? m_locale.toString(member.from) : QString();
    case To:
        return member.n > 0 ? m_locale.toString(member.to) : QString();
    case Declination:
        return fit ? angleText(fit->angles.declination) : QString();
    case Inclination:
        return fit ? angleText(fit->angles.inclination) : QString();
    case Mad:
        return fit ? angleText(fit->mad) : QString();
    case Dang:
        return fit && fit->dang ? angleText(*fit->dang) : QString();
    default:
        break;
    }
    const auto angle = static_cast<std::size_t>(column - FirstAngle);
    return angle < member.anglesToComponents.size() ? angleText(member.anglesToComponents[angle])
                                                    : QString();
}

QString FitTableModel::tabSeparatedText() const
{
    QString text;
    const int columns = columnCount();
    QStringList fields;
    for (int column = 0; column < columns; ++column)
        fields << headerData(column, Qt::Horizontal).toString();
    text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int row = 0; row < rowCount(); ++row) {
        fields.clear();
        for (int column = 0; column < columns; ++column)
            fields << cellText(row, column);
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

} // namespace Demagora
