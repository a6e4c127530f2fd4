#pragma once

#include "analysis/interpretation.h"

#include <QAbstractTableModel>

#include <vector>

namespace Demagora {

// The components of the specimen shown, one row each: name, fit, coordinates, steps, the
// lowest and highest step, direction (a plane's pole), MAD, DANG and the alpha95 from the MAD,
// each fitted in its own coordinates. The name can be edited; the change is asked for through
// renameRequested and comes back with the next setComponents.
class InterpretationTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Name,
        Type,
        Frame,
        Steps,
        From,
        To,
        Declination,
        Inclination,
        Mad,
        Dang,
        Alpha95,
        ColumnCount
    };

    explicit InterpretationTableModel(QObject *parent = nullptr);

    void setComponents(
        std::vector<InterpretedComponent> components, std::vector<ComponentFit> fits);
    // The unit of the levels in From and To: "\u00B0C" or "mT".
    void setLevelUnit(const QString &unit);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

signals:
    void renameRequested(int row, const QString &name);

private:
    QVariant cell(int row, int column) const;

    std::vector<InterpretedComponent> m_components;
    std::vector<ComponentFit> m_fits;
    QString m_levelUnit = QStringLiteral("\u00B0C");
};

// "free line", "anchored line", "line with origin", "plane".
QString fitTypeText(FitType type);
// "specimen", "geographic", "tilt-corrected".
QString coordinatesText(CoordinateSystem coordinates);

} // namespace Demagora
