#include "specimens_window/interpretationtablemodel.h"

namespace Demagora {

namespace {

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

QString fitTypeText(FitType type)
{
    switch (type) {
    case FitType::Free:
        return QStringLiteral("free line");
    case FitType::Anchored:
        return QStringLiteral("anchored line");
    case FitType::Origin:
        return QStringLiteral("line with origin");
    case FitType::Plane:
        return QStringLiteral("plane");
    case FitType::VectorMean:
        return QStringLiteral("vector mean");
    }
    return {};
}

QString coordinatesText(CoordinateSystem coordinates)
{
    const std::string_view caption = coordinateSystemCaption(coordinates);
    return QString::fromUtf8(caption.data(), qsizetype(caption.size()));
}

InterpretationTableModel::InterpretationTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void InterpretationTableModel::setLevelUnit(const QString &unit)
{
    if (unit == m_levelUnit)
        return;
    m_levelUnit = unit;
    emit headerDataChanged(Qt::Horizontal, From, To);
}

void InterpretationTableModel::setComponents(
    std::vector<InterpretedComponent> components, std::vector<ComponentFit> fits)
{
    beginResetModel();
    m_components = std::move(components);
    m_fits = std::move(fits);
    m_fits.resize(m_components.size());
    endResetModel();
}

int InterpretationTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_components.size());
}

int InterpretationTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant InterpretationTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ComponentFit &fit = m_fits[std::size_t(index.row())];
    if (role == Qt::ToolTipRole && !fit.fit)
        return QString::fromStdString(fit.refusal);
    if (role == Qt::ToolTipRole && index.column() == Alpha95) {
        const QString isotropic = fit.alpha95Isotropic
            ? QStringLiteral("%1\u00B0").arg(number(*fit.alpha95Isotropic, 1))
            : QStringLiteral("none");
        return QStringLiteral("\u03B195 = factor \u00D7 MAD, the factors of Khokhlov & Hulot "
                              "(2016) for the number of steps.\nExact for noise of one size at "
                              "every step (too narrow where it grows with the moment): %1")
            .arg(isotropic);
    }
    if (role == Qt::TextAlignmentRole && index.column() >= Steps)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DisplayRole || (role == Qt::EditRole && index.column() == Name))
        return cell(index.row(), index.column());
    return {};
}

QVariant InterpretationTableModel::cell(int row, int column) const
{
    const InterpretedComponent &component = m_components[std::size_t(row)];
    const ComponentFit &fit = m_fits[std::size_t(row)];
    switch (column) {
    case Name:
        return QString::fromStdString(component.name);
    case Type:
        return fitTypeText(component.type);
    case Frame:
        return coordinatesText(component.coordinates);
    case Steps:
        return int(component.steps.size());
    case From:
        return fit.n > 0 ? QString::number(fit.from, 'g', 6) : QString();
    case To:
        return fit.n > 0 ? QString::number(fit.to, 'g', 6) : QString();
    default:
        break;
    }
    if (!fit.fit)
        return column == Declination ? QStringLiteral("no fit") : QString();
    switch (column) {
    case Declination:
        return number(fit.fit->angles.declination, 1);
    case Inclination:
        return number(fit.fit->angles.inclination, 1);
    case Mad:
        return number(fit.fit->mad, 1);
    case Dang:
        return fit.fit->dang ? number(*fit.fit->dang, 1) : QString();
    case Alpha95:
        return fit.alpha95FromMad ? number(*fit.alpha95FromMad, 1) : QString();
    default:
        return {};
    }
}

QVariant InterpretationTableModel::headerData(
    int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && section == Alpha95) {
        return QStringLiteral("The 95% cone of a line from its MAD, after Khokhlov & Hulot "
                              "(2016); empty below 3 steps, for planes and vector means");
    }
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section == From || section == To)
        return QStringLiteral("%1 (%2)").arg(QLatin1String(section == From ? "From" : "To"), m_levelUnit);
    static const char *const Headings[] = { "Name", "Fit", "Coordinates", "N", "From", "To", "Dec",
        "Inc", "MAD", "DANG", "\u03B195 (MAD)" };
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(Headings[section])
                                                 : QVariant();
}

Qt::ItemFlags InterpretationTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Name)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool InterpretationTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != Name)
        return false;
    const QString name = value.toString().trimmed();
    if (name.isEmpty())
        return false;
    emit renameRequested(index.row(), name);
    return true;
}

} // namespace Demagora
