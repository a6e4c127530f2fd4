#pragma once

#include "measurements/specimen.h"

#include <QAbstractTableModel>

#include <vector>

namespace Demagora {

// The specimens of an opened file, one row each: name, number of steps, NRM intensity.
class SpecimenListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SpecimenListModel(const std::vector<Specimen> &specimens, QObject *parent = nullptr);
    // The specimens' steps have changed (every reading shown, or merged again).
    void refresh();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<Specimen> &m_specimens;
};

// The steps of one specimen in the coordinates shown: treatment, level (degrees Celsius, mT for
// AF steps), x, y, z, declination, inclination and intensity, as the file's unit gives them, the
// readings merged into each (in bold when more than one) and, where the file gives one, the
// error angle; a step marked bad is greyed and its treatment says "bad".
class SpecimenStepsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SpecimenStepsModel(QObject *parent = nullptr);

    void setSteps(std::vector<SpecimenStep> steps, MomentUnit unit);
    const std::vector<SpecimenStep> &steps() const { return m_steps; }
    // The unit of the levels: "\u00B0C" (thermal) or "mT" (AF).
    void setLevelUnit(const QString &unit);
    // Marks these steps bad and the others good (indices in increasing order).
    void setBadSteps(const std::vector<int> &bad);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<SpecimenStep> m_steps;
    MomentUnit m_unit = MomentUnit::AmpereSquareMetre;
    QString m_levelUnit = QStringLiteral("\u00B0C");
    bool m_errors = false; // the error-angle column, last, only where a step has one
};

// "A m2" or "A/m".
QString unitText(MomentUnit unit);
// "NRM", "thermal", "AF", "other".
QString treatmentText(Treatment treatment);

} // namespace Demagora
