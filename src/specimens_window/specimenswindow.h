#pragma once

#include "measurements/measurementset.h"

#include <QString>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QTableView;

namespace Demagora {

class SpecimenListModel;
class SpecimenPicture;
class SpecimenStepsModel;

// The specimens window: the specimens of a measurement file, and for the chosen one its four
// diagrams and its steps in the coordinates chosen. Opened by File > Open measurements...
class SpecimensWindow : public QWidget
{
    Q_OBJECT

public:
    SpecimensWindow(MeasurementSet set, const QString &path, QWidget *parent = nullptr);
    ~SpecimensWindow() override;

    const MeasurementSet &measurements() const { return m_set; }
    int currentSpecimen() const { return m_current; }
    void setCurrentSpecimen(int index);
    // 0 specimen, 1 geographic, 2 tilt-corrected.
    void setCoordinates(int choice);
    const SpecimenPicture &picture() const { return *m_picture; }
    // The chosen steps of the current specimen, in step order.
    std::vector<int> chosenSteps() const;
    void chooseSteps(const std::vector<int> &steps, bool add);

    // What the reader left out and merged, in one line.
    static QString summaryText(const ReadSummary &summary);

private:
    void buildLayout();
    void showSpecimen();
    void repaintPicture();

    MeasurementSet m_set;
    QString m_path;
    int m_current = -1;

    SpecimenListModel *m_listModel = nullptr;
    SpecimenStepsModel *m_stepsModel = nullptr;
    QTableView *SG_specimens = nullptr;
    QTableView *SG_steps = nullptr;
    QComboBox *CB_coordinates = nullptr;
    QLabel *lbl_summary = nullptr;
    SpecimenPicture *m_picture = nullptr;
};

} // namespace Demagora
