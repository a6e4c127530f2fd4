#include "specimens_window/specimentables.h"

#include "measurements/specimencoordinates.h"

#include <QColor>
#include <QFont>

#include <algorithm>
#include <cmath>

namespace Demagora {

namespace {

// A step's moment as the measurement layer computes directions of.
Vector3 momentOf(const SpecimenStep &step)
{
    return { step.x, step.y, step.z };
}

QString real(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

QString unitText(MomentUnit unit)
{
    return QString::fromLatin1(momentUnitName(unit));
}

QString treatmentText(Treatment treatment)
{
    switch (treatment) {
    case Treatment::Nrm:
        return QStringLiteral("NRM");
    case Treatment::Thermal:
        return QStringLiteral("thermal");
    case Treatment::AlternatingField:
        return QStringLiteral("AF");
    case Treatment::Other:
        break;
    }
    return QStringLiteral("other");
}

SpecimenListModel::SpecimenListModel(const std::vector<Specimen> &specimens, QObject *parent)
    : QAbstractTableModel(parent)
    , m_specimens(specimens)
{ }

void SpecimenListModel::refresh()
{
    if (!m_specimens.empty())
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1));
}

int SpecimenListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_specimens.size());
}

int SpecimenListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant SpecimenListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    const Specimen &specimen = m_specimens[std::size_t(index.row())];
    switch (index.column()) {
    case 0:
        return QString::fromStdString(specimen.name);
    case 1:
        return qulonglong(specimen.steps.size());
    default:
        if (specimen.steps.empty())
            return {};
        return real(norm(momentOf(specimen.steps.front()))) + QLatin1Char(' ')
            + unitText(specimen.unit);
    }
}

QVariant SpecimenListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char *const Headings[] = { "Specimen", "Steps", "NRM" };
    return section >= 0 && section < 3 ? QString::fromLatin1(Headings[section]) : QVariant();
}

SpecimenStepsModel::SpecimenStepsModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void SpecimenStepsModel::setSteps(std::vector<SpecimenStep> steps, MomentUnit unit)
{
    beginResetModel();
    m_steps = std::move(steps);
    m_unit = unit;
    m_errors = std::any_of(m_steps.begin(), m_steps.end(),
        [](const SpecimenStep &step) { return step.errorDegrees.has_value(); });
    endResetModel();
}

void SpecimenStepsModel::setLevelUnit(const QString &unit)
{
    if (unit == m_levelUnit)
        return;
    m_levelUnit = unit;
    emit headerDataChanged(Qt::Horizontal, 1, 1);
}

void SpecimenStepsModel::setBadSteps(const std::vector<int> &bad)
{
    for (std::size_t i = 0; i < m_steps.size(); ++i)
        m_steps[i].bad = std::binary_search(bad.begin(), bad.end(), int(i));
    if (!m_steps.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
            { Qt::DisplayRole, Qt::ForegroundRole });
}

int SpecimenStepsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_steps.size());
}

int SpecimenStepsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : (m_errors ? 10 : 9);
}

QVariant SpecimenStepsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() > 0)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    const SpecimenStep &step = m_steps[std::size_t(index.row())];
    if (role == Qt::ForegroundRole && step.bad)
        return QColor(Qt::gray);
    // A step merged from repeats stands out by its count of readings.
    if (role == Qt::FontRole && index.column() == 8 && step.readings > 1) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return step.bad ? treatmentText(step.treatment) + QStringLiteral(", bad")
                        : treatmentText(step.treatment);
    case 1:
        return real(step.level);
    case 2:
        return real(step.x);
    case 3:
        return real(step.y);
    case 4:
        return real(step.z);
    case 5:
        return QString::number(declinationOf(momentOf(step)), 'f', 1);
    case 6:
        return QString::number(inclinationOf(momentOf(step)), 'f', 1);
    case 7:
        return real(norm(momentOf(step)));
    case 8:
        return qulonglong(step.readings);
    default:
        return step.errorDegrees ? QString::number(*step.errorDegrees, 'f', 1) : QString();
    }
}

QVariant SpecimenStepsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case 0:
        return QStringLiteral("Treatment");
    case 1:
        return QStringLiteral("Level (%1)").arg(m_levelUnit);
    case 2:
        return QStringLiteral("x (%1)").arg(unitText(m_unit));
    case 3:
        return QStringLiteral("y");
    case 4:
        return QStringLiteral("z");
    case 5:
        return QStringLiteral("Dec");
    case 6:
        return QStringLiteral("Inc");
    case 7:
        return QStringLiteral("Intensity");
    case 8:
        return QStringLiteral("Readings");
    case 9:
        return QStringLiteral("Error (\u00B0)");
    default:
        return {};
    }
}

} // namespace Demagora
