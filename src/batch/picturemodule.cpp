#include "batch/picturemodule.h"

#include "batch/specimenpicturerequest.h"
#include "diagrams/diagramrenderer.h"
#include "diagrams/picturefile.h"
#include "diagrams/specimendiagram.h"

#include <QGuiApplication>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <sstream>
#include <string>

namespace {

using namespace Demagora;

void keepOnlyFatalMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fputs((message.toLocal8Bit() + '\n').constData(), stderr);
}

// Text drawing needs an application object and a platform; a batch run has no display.
class GuiSession
{
public:
    GuiSession()
    {
        if (QGuiApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries only the tool's own messages: Qt's notes about the session
        // it finds itself in (no runtime folder, no fonts configured) are not for the user.
        qInstallMessageHandler(keepOnlyFatalMessages);
        m_application = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[16] = "demagora-batch";
    char *m_argv[2] = { m_name, nullptr };
    std::unique_ptr<QGuiApplication> m_application;
};

// The specimen's four panels in the format its path asks for, encoded in memory first so that
// a failed encoding writes nothing onto the stream.
std::string encodeSpecimenPicture(const SpecimenDiagram &diagram, const QString &path, int width)
{
    std::ostringstream bytes;
    writePicture(bytes, pictureFormatFor(path), QSize(width, width + 24),
        [&](QPainter &painter, const QRectF &target) { diagram.paint(painter, target); });
    return bytes.str();
}

} // namespace

bool demagoraWriteSpecimenPicture(
    const SpecimenPictureRequest *picture, std::ostream *stream, std::string *error)
{
    try {
        const GuiSession session;
        SpecimenDiagramData data;
        data.title = QString::fromStdString(picture->title);
        data.levelUnit = QString::fromStdString(picture->levelUnit);
        data.specimenAxes = picture->specimenAxes;
        data.momentUnit = QString::fromStdString(picture->momentUnit);
        data.options.projection = picture->projection;
        for (const SpecimenPictureStep &step : picture->steps)
            data.steps.push_back({ step.level, step.moment, false });
        const std::string bytes = encodeSpecimenPicture(SpecimenDiagram(std::move(data)),
            QString::fromStdString(picture->path), picture->width);
        stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    } catch (const std::bad_alloc &) {
        *error = "not enough memory for the picture of this specimen; nothing was written";
    } catch (const std::exception &exception) {
        *error = exception.what();
    }
    return false;
}

bool demagoraWritePicture(
    const PictureRequest *request, const BatchRun *run, std::ostream *stream, std::string *error)
{
    // Nothing may be thrown across the module's edge: every failure becomes a message.
    try {
        const GuiSession session;
        // The window's state on opening, but with the temperature labels asked for.
        DiagramViewState state;
        state.showTemperatures = request->labelInterval.has_value();
        state.labelInterval = request->labelInterval;
        state.options = request->options;
        state.showLegend = request->legend;
        if (request->singleVector) {
            const std::size_t count = run->series.size();
            if (std::uint64_t(*request->singleVector) >= count) {
                *error = "--single: " + std::to_string(*request->singleVector)
                    + " is beyond the run's resulting vectors (0 to "
                    + std::to_string(count == 0 ? 0 : count - 1) + ")";
                return false;
            }
            state.mode = DisplayMode::Single;
            state.currentVector = static_cast<int>(*request->singleVector);
        }
        // The main window keeps the stereogram's point count equal to the run's.
        const DiagramRenderer renderer(
            run->series, run->populations, run->range.low, run->range.pointCount);
        writeDiagramPicture(*stream, pictureFormatFor(QString::fromStdString(request->path)),
            renderer, state, QSize(request->width, request->width + 24));
        return true;
    } catch (const std::bad_alloc &) {
        *error = "not enough memory for the picture of this run; nothing was written";
    } catch (const std::exception &exception) {
        *error = exception.what();
    }
    return false;
}
