#include "batch/picturemodule.h"

#include "diagrams/diagramrenderer.h"
#include "batch/specimenpicture.h"
#include "diagrams/picturefile.h"
#include "diagrams/specimendiagram.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QSvgGenerator>

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

// The specimen's four panels in the format its path asks for, encoded in memory first so that
// a failed encoding writes nothing onto the stream.
QByteArray encodeSpecimenPicture(const SpecimenDiagram &diagram, const QString &path, int width)
{
    const QSize size(width, width + 24);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const PictureFormat format = pictureFormatFor(path);
    if (format == PictureFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(target);
        generator.setTitle(QStringLiteral("Demagnetization diagrams"));
        QPainter painter(&generator);
        diagram.paint(painter, target);
    } else if (format == PictureFormat::Pdf) {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Demagnetization diagrams"));
        writer.setCreator(QStringLiteral("Demagora"));
        writer.setResolution(72);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(
            QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (!painter.begin(&writer))
            throw std::runtime_error("the PDF document could not be started");
        diagram.paint(painter, target);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull())
            throw std::bad_alloc();
        image.fill(Qt::white);
        QPainter painter(&image);
        diagram.paint(painter, target);
        painter.end();
        if (!image.save(&buffer, "PNG"))
            throw std::runtime_error("the PNG image could not be encoded");
    }
    return bytes;
}

} // namespace

bool demagoraWriteSpecimenPicture(
    const SpecimenPicture *picture, std::ostream *stream, std::string *error)
{
    try {
        const GuiSession session;
        SpecimenDiagramData data;
        data.title = QString::fromStdString(picture->title);
        data.levelUnit = QString::fromStdString(picture->levelUnit);
        for (const SpecimenPictureStep &step : picture->steps)
            data.steps.push_back({ step.level, { step.north, step.east, step.down }, false });
        const QByteArray bytes = encodeSpecimenPicture(SpecimenDiagram(std::move(data)),
            QString::fromStdString(picture->path), picture->width);
        stream->write(bytes.constData(), static_cast<std::streamsize>(bytes.size()));
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
