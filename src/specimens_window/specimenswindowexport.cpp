// What the specimens window shows, saved or copied: the picture, and the steps, fits and site
// means as the batch writes them.
#include "specimens_window/specimenswindow.h"

#include "analysis/interpretationfiles.h"
#include "diagrams/picturefile.h"
#include "files/outputfiles.h"
#include "measurements/stepscsv.h"
#include "prompts/outputconfirmation.h"
#include "prompts/prompts.h"
#include "specimens_window/interpretationpanel.h"
#include "specimens_window/specimeninterpretations.h"
#include "diagrams/specimenpicture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTableView>

namespace Demagora {

namespace {

// Every cell of a table as shown, the header first, tab-separated: what a spreadsheet pastes.
QString tabSeparated(const QAbstractItemModel &model)
{
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c)
        cells << model.headerData(c, Qt::Horizontal).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (int r = 0; r < model.rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

std::vector<std::string> SpecimensWindow::measurementsRead() const
{
    std::vector<std::string> files = m_set.files;
    files.push_back(QFile::encodeName(m_path).toStdString());
    return files;
}

bool SpecimensWindow::saveOutput(const QString &caption, const QString &suggested,
    const QString &filter, const char *what,
    const std::function<void(const QString &, std::ostream &)> &write)
{
    const QString name = Prompts::current().askSaveFileName(
        this, caption, QFileInfo(m_path).dir().filePath(suggested), filter);
    if (name.isEmpty())
        return false;
    const std::string path = QFile::encodeName(name).toStdString();
    const std::vector<std::string> read = measurementsRead();
    if (!confirmOutputs(this, { { path, what } }, QString(), read))
        return false;
    try {
        writeOutputFile(
            path, what, [&](std::ostream &stream) { write(name, stream); }, read);
    } catch (const std::exception &error) {
        reportError(this, QString::fromLocal8Bit(error.what()));
        return false;
    }
    return true;
}

bool SpecimensWindow::savePicture()
{
    if (m_current < 0)
        return false;
    const QString specimen = QString::fromStdString(m_set.specimens[std::size_t(m_current)].name);
    return saveOutput(QStringLiteral("Save picture"), specimen + QStringLiteral(".png"),
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
        "the picture", [this](const QString &name, std::ostream &stream) {
            writePicture(stream, pictureFormatFor(name), m_picture->size(),
                [this](QPainter &painter, const QRectF &target) {
                    m_picture->diagram().paint(painter, target);
                });
        });
}

bool SpecimensWindow::saveStepsCsv()
{
    if (m_current < 0)
        return false;
    const Specimen &specimen = m_set.specimens[std::size_t(m_current)];
    return saveOutput(QStringLiteral("Save the steps as CSV"),
        QString::fromStdString(specimen.name) + QStringLiteral("-steps.csv"),
        QStringLiteral("CSV files (*.csv);;All files (*)"), "the steps",
        [&](const QString &, std::ostream &stream) {
            const Specimen *shown[] = { &specimen };
            writeStepsCsv(stream, shown, shownCoordinates(specimen, coordinates()));
        });
}

bool SpecimensWindow::saveFitsCsv()
{
    return saveOutput(QStringLiteral("Save the fits as CSV"), QStringLiteral("fits.csv"),
        QStringLiteral("CSV files (*.csv);;All files (*)"), "the fits",
        [this](const QString &, std::ostream &stream) {
            writeInterpretationFitsCsv(stream,
                fitsIn(m_set, m_interpretation->interpretations().all(), coordinates(),
                    measurementsName(QFile::encodeName(m_path).toStdString())));
        });
}

bool SpecimensWindow::saveSiteMeansCsv()
{
    return saveOutput(QStringLiteral("Save the site means as CSV"),
        QStringLiteral("site-means.csv"), QStringLiteral("CSV files (*.csv);;All files (*)"),
        "the site means", [this](const QString &, std::ostream &stream) {
            writeSiteMeansCsv(stream,
                siteSummaries(m_set, m_interpretation->interpretations().all(), coordinates(),
                    measurementsName(QFile::encodeName(m_path).toStdString())));
        });
}

void SpecimensWindow::copyTable() const
{
    // The table the user is in, else the steps.
    const QTableView *view = SG_steps;
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (auto *table = qobject_cast<const QTableView *>(w); table && isAncestorOf(table)) {
            view = table;
            break;
        }
    }
    QApplication::clipboard()->setText(tabSeparated(*view->model()));
}

} // namespace Demagora
