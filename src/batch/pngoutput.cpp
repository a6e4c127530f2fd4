#include "batch/pngoutput.h"

#include "batch/batcherror.h"
#include "diagrams/diagramrenderer.h"
#include "diagrams/picturefile.h"

#include <QGuiApplication>
#include <QString>

#include <charconv>
#include <cstdio>
#include <memory>

namespace Demagora {

namespace {

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

} // namespace

int parsePictureWidth(const std::string &text)
{
    int width = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, width);
    if (text.empty() || error != std::errc() || end != last || width < MinPictureWidth
        || width > MaxPictureWidth) {
        throw BatchError("--width: '" + text + "' is not a whole number of pixels from "
            + std::to_string(MinPictureWidth) + " to " + std::to_string(MaxPictureWidth));
    }
    return width;
}

std::int64_t parsePictureLabels(const std::string &text)
{
    const std::optional<std::int64_t> interval
        = labelIntervalFromText(QString::fromStdString(text));
    if (!interval)
        throw BatchError("--labels: '" + text + "' is not a whole number other than 0");
    return *interval;
}

void writePicture(std::ostream &stream, const PictureRequest &request, const BatchRun &run)
{
    const GuiSession session;
    // The window's state on opening, but with the temperature labels asked for.
    DiagramViewState state;
    state.showTemperatures = request.labelInterval.has_value();
    state.labelInterval = request.labelInterval;
    // The main window keeps the stereogram's point count equal to the run's.
    const DiagramRenderer renderer(
        run.series, run.populations, run.range.low, run.range.pointCount);
    writeDiagramPicture(stream, isSvgFileName(QString::fromStdString(request.path)), renderer,
        state, QSize(request.width, request.width + 24));
}

} // namespace Demagora
