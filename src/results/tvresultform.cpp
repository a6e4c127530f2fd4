#include "results/tvresultform.h"

#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"
#include "results/reportexport.h"
#include "results/resulttablemodel.h"
#include "results/tfrm_choosefile.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

#include <exception>
#include <utility>

namespace Demagora {

namespace {

constexpr int DesignWidth = 739;
constexpr int DesignHeight = 559;
// The Export button keeps its distance to the right edge: it sits at x = 672 at the
// design width, over the top-right corner of the grid.
constexpr int ExportButtonRightGap = DesignWidth - 672;

} // namespace

TvResultForm::TvResultForm(ReportTable table, QWidget *parent)
    : QDialog(parent)
    , m_chooseExportFile(&ChooseExportFile)
{
    setObjectName(QStringLiteral("vResultForm"));
    setWindowTitle(QString::fromStdString(table.caption()));
    setMinimumWidth(DesignWidth);

    m_model = new ResultTableModel(std::move(table), this);

    SG_result = new QTableView(this);
    SG_result->setObjectName(QStringLiteral("SG_result"));
    SG_result->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG_result->setWordWrap(false);
    SG_result->verticalHeader()->hide();
    // Every row has the same height, so the view never measures rows one by one.
    SG_result->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG_result->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    // Headings start where their column's texts start, so a narrow column cuts their end.
    SG_result->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SG_result->horizontalHeader()->setHighlightSections(false);
    // Columns are widened by dragging a heading's edge (a double click fits the shown texts).
    SG_result->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(SG_result->horizontalHeader(), &QHeaderView::sectionResized, this,
        [this](int column, int, int width) {
            if (!m_layingOut)
                m_userWidths[column] = width;
        });
    const bool paged = m_model->dataRowCount() > PagedRowThreshold;
    // Paged before the grid first sees the model, which would otherwise size every row.
    if (paged)
        m_model->showRows(0, 1);
    SG_result->setModel(m_model);

    if (paged) {
        // The grid shows the rows it has room for; this scroll bar moves them over the table.
        SB_rows = new QScrollBar(Qt::Vertical, this);
        SB_rows->setObjectName(QStringLiteral("SB_rows"));
        SG_result->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        SG_result->installEventFilter(this);
        SG_result->viewport()->installEventFilter(this);
        connect(SB_rows, &QScrollBar::valueChanged, this,
            [this](int first) { m_model->showRows(first, SB_rows->pageStep() + 1); });
        // A key that moves past the page's last row scrolls the grid itself: the scroll bar
        // takes the step over and the grid goes back to its top.
        connect(SG_result->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (v == 0)
                return;
            SG_result->verticalScrollBar()->setValue(0);
            SB_rows->setValue(SB_rows->value() + v);
        });
    }

    btn_export = new QPushButton(QStringLiteral("Export"), this);
    btn_export->setObjectName(QStringLiteral("btn_export"));
    btn_export->setAutoDefault(false);
    btn_export->resize(39, 41);
    btn_export->raise();
    connect(btn_export, &QPushButton::clicked, this, &TvResultForm::btn_exportClick);

    setGeometry(166, 171, DesignWidth, DesignHeight);
    FormResize();
}

TvResultForm::~TvResultForm() = default;

void TvResultForm::setChooseExportFile(FileNameChooser chooser)
{
    m_chooseExportFile = std::move(chooser);
}

const ReportTable &TvResultForm::table() const
{
    return m_model->table();
}

void TvResultForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TvResultForm::FormResize()
{
    if (SB_rows) {
        const int barWidth = SB_rows->sizeHint().width();
        SG_result->setGeometry(0, 0, width() - barWidth, height());
        SB_rows->setGeometry(width() - barWidth, 0, barWidth, height());
        fitPage();
    } else {
        SG_result->setGeometry(rect());
    }
    btn_export->move(width() - ExportButtonRightGap, 8);
    // Setting the default size resets every column, so the ones the user sized by hand get
    // their widths back.
    m_layingOut = true;
    QHeaderView *header = SG_result->horizontalHeader();
    header->setDefaultSectionSize(width() / 8 - 10);
    for (const auto &[column, columnWidth] : m_userWidths)
        header->resizeSection(column, columnWidth);
    m_layingOut = false;
}

void TvResultForm::fitPage()
{
    const int rowHeight = std::max(SG_result->verticalHeader()->defaultSectionSize(), 1);
    const int whole = std::max(SG_result->viewport()->height() / rowHeight, 1);
    const int total = m_model->dataRowCount();
    SB_rows->setRange(0, std::max(total - whole, 0));
    SB_rows->setPageStep(whole);
    SB_rows->setSingleStep(1);
    // One more row than fits whole: the partly visible one at the bottom.
    m_model->showRows(SB_rows->value(), whole + 1);
}

bool TvResultForm::eventFilter(QObject *watched, QEvent *event)
{
    if (SB_rows && watched == SG_result->viewport()) {
        if (event->type() == QEvent::Resize)
            fitPage();
        if (event->type() == QEvent::Wheel) {
            QCoreApplication::sendEvent(SB_rows, event);
            return true;
        }
    }
    if (SB_rows && watched == SG_result && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
        case Qt::Key_PageDown:
            SB_rows->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return true;
        case Qt::Key_PageUp:
            SB_rows->triggerAction(QAbstractSlider::SliderPageStepSub);
            return true;
        case Qt::Key_End:
        case Qt::Key_Home:
            if (!control)
                break;
            SB_rows->triggerAction(key->key() == Qt::Key_End ? QAbstractSlider::SliderToMaximum
                                                             : QAbstractSlider::SliderToMinimum);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TvResultForm::btn_exportClick()
{
    SheetWriter1.NewDocument();
    const QString name = m_chooseExportFile(this);
    // A cancelled dialog gives no name: nothing is written and Export stays available. The
    // name is tested before it reaches FileName, which would turn an empty name into ".XLS"
    // once an earlier attempt had set one.
    if (name.isEmpty())
        return;
    SheetWriter1.SetFileName(QFile::encodeName(name).toStdString());
    if (!confirmCutTable())
        return;
    // A refused or declined name leaves Export available for another one.
    if (!confirmOutputs(this, { { SheetWriter1.FileName(), "the worksheet" } }, m_openScenario))
        return;
    // One export per opening of the window, whether it succeeds or fails.
    btn_export->setEnabled(false);
    try {
        writeReportToSheet(SheetWriter1, table());
        SheetWriter1.CloseDocument();
        SheetWriter1.SaveDocument();
    } catch (const std::exception &error) {
        reportError(this, QString::fromLocal8Bit(error.what()));
    }
}

bool TvResultForm::confirmCutTable()
{
    if (reportFitsOnSheet(table()))
        return true;
    const int rowCount = table().rowCount();
    const QString message
        = QStringLiteral("The worksheet can hold only the first %1 of the %2 rows "
                         "of this table. Write them and leave out the last %3?")
              .arg(MaxSheetGridRows)
              .arg(rowCount)
              .arg(rowCount - MaxSheetGridRows);
    return Prompts::current().warnOkCancel(this, message) == Prompts::Answer::Ok;
}

} // namespace Demagora
