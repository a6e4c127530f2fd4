// The main window's right panel: the population settings, the report type, the progress bar
// and, beside the typed Fisher's k, the k a run's populations were drawn with. The rest of
// TFrm_1 is in tfrm_1.cpp.
#include "main_window/tfrm_1.h"

#include "analysis/drawnprecision.h"
#include "main_window/mainwindowrules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace Demagora {

namespace {

QStringList numberItems(std::initializer_list<int> numbers)
{
    QStringList items;
    for (int n : numbers)
        items << QString::number(n);
    return items;
}

QComboBox *typedCombo(
    QWidget *parent, const char *name, const QStringList &items, const QString &text)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    // What the user types is read as typed: no completion, no new items.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(static_cast<int>(items.indexOf(text)));
    combo->setFocusPolicy(Qt::ClickFocus);
    return combo;
}

} // namespace

void TFrm_1::buildRightPanel()
{
    Pright->setAutoFillBackground(true);
    QPalette silver = Pright->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    Pright->setPalette(silver);

    auto *grid = new QGridLayout(Pright);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    CB_k = typedCombo(Pright, "CB_k",
        numberItems({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70 }),
        QStringLiteral("30"));
    CBdisper = typedCombo(Pright, "CBdisper", numberItems({ 1, 2, 3, 4 }), QStringLiteral("3"));
    CB_randomPoints = typedCombo(Pright, "CB_randomPoints",
        numberItems({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100 }),
        QStringLiteral("30"));
    CB_reportType = new QComboBox(Pright);
    CB_reportType->setObjectName(QStringLiteral("CB_reportType"));
    CB_reportType->addItems({ QStringLiteral("Initial"), QStringLiteral("Resulting") });
    CB_reportType->setMaxVisibleItems(2);
    CB_reportType->setFocusPolicy(Qt::ClickFocus);

    CB_k->setToolTip(QStringLiteral(
        "Fisher's precision parameter of the scattering. Every angle drawn with it is halved, "
        "so the copies lie tighter than this k says: a typed 30 draws a k of about 120, shown "
        "beside it after a run."));
    addLabel(grid, "Label2", QStringLiteral("Fisher's k"), 0, 0);
    auto *kRow = new QHBoxLayout;
    kRow->setSpacing(4);
    kRow->addWidget(CB_k, 1);
    lbl_drawnK = new QLabel(Pright);
    lbl_drawnK->setObjectName(QStringLiteral("lbl_drawnK"));
    lbl_drawnK->setVisible(false);
    kRow->addWidget(lbl_drawnK);
    grid->addLayout(kRow, 0, 1);
    addLabel(grid, "Label1", QStringLiteral("StdDev (heights)"), 1, 0);
    grid->addWidget(CBdisper, 1, 1);
    addLabel(grid, "Label3", QStringLiteral("Random points"), 2, 0);
    grid->addWidget(CB_randomPoints, 2, 1);
    addLabel(grid, "Label5", QStringLiteral("report type"), 3, 0);
    grid->addWidget(CB_reportType, 3, 1);

    PrBar = new QProgressBar(Pright);
    PrBar->setObjectName(QStringLiteral("PrBar"));
    PrBar->setTextVisible(false);
    PrBar->setValue(0);
    PrBar->setFixedHeight(16);
    grid->addWidget(PrBar, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    // A fixed setting that is never shown: every component's spectrum spans 3 sigma each side.
    EB_conv = new QComboBox(Pright);
    EB_conv->setObjectName(QStringLiteral("EB_conv"));
    EB_conv->addItems(numberItems({ 1, 2, 3, 4 }));
    EB_conv->setCurrentIndex(2);
    EB_conv->setVisible(false);
}

PopulationChoices TFrm_1::populationChoices() const
{
    PopulationChoices choices;
    choices.multiple = CBmult->isChecked();
    choices.differentLengths = CBdifLengths->isChecked();
    choices.shape = FshapeOfspectrum();
    choices.sigmaCount = EB_conv->currentText().toStdString();
    choices.fisherK = CB_k->currentText().toStdString();
    choices.randomPoints = CB_randomPoints->currentText().toStdString();
    choices.heightStdDev = CBdisper->currentText().toStdString();
    return choices;
}

void TFrm_1::showDrawnK()
{
    const DrawnKText drawn = drawnKText(drawnFisherK(m_session.populations()));
    lbl_drawnK->setText(QString::fromStdString(drawn.text));
    lbl_drawnK->setToolTip(QString::fromStdString(drawn.toolTip));
    lbl_drawnK->setVisible(!drawn.text.empty());
}

} // namespace Demagora
