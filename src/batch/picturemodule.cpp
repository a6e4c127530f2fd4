#include "batch/picturemodule.h"

#include "diagrams/diagramrenderer.h"
#include "diagrams/picturefile.h"

#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <exception>
#include <new>
#include <memory>

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

} // namespace

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
