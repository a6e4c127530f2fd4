#include "diagrams/picturefile.h"

#include "diagrams/diagramrenderer.h"
#include "files/outputfiles.h"

#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <new>
#include <stdexcept>

namespace Demagora {

namespace {

// Hands what Qt's image and SVG writers produce to a standard stream, so that pictures
// reach their file through the same output layer as every other file.
class StreamDevice : public QIODevice
{
public:
    explicit StreamDevice(std::ostream &stream)
        : m_stream(stream)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_stream.write(data, static_cast<std::streamsize>(size));
        return m_stream ? size : -1;
    }

private:
    std::ostream &m_stream;
};

} // namespace

PictureFormat pictureFormatFor(const QString &fileName)
{
    if (fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        return PictureFormat::Svg;
    if (fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return PictureFormat::Pdf;
    return PictureFormat::Png;
}

std::string drawingRefusal(
    const DiagramRenderer &renderer, const DiagramViewState &state, PictureFormat format)
{
    const std::uint64_t points = renderer.pointCount(state);
    if (format == PictureFormat::Png || points <= MaxSvgResultPoints)
        return {};
    const std::string drawing = format == PictureFormat::Svg ? "an SVG drawing" : "a PDF document";
    return drawing + " of " + std::to_string(points) + " result points would be too large (at most "
        + std::to_string(MaxSvgResultPoints) + "); save the picture as PNG instead";
}

void writePicture(
    std::ostream &stream, PictureFormat format, QSize size, const PicturePainter &paint)
{
    StreamDevice device(stream);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    if (format == PictureFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&device);
        generator.setSize(size);
        generator.setViewBox(target);
        generator.setTitle(QStringLiteral("Demagnetization diagrams"));
        QPainter painter(&generator);
        paint(painter, target);
        painter.end();
        return;
    }
    if (format == PictureFormat::Pdf) {
        QPdfWriter writer(&device);
        writer.setTitle(QStringLiteral("Demagnetization diagrams"));
        writer.setCreator(QStringLiteral("Demagora"));
        // One point per pixel: the page is the picture, without margins.
        writer.setResolution(72);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(
            QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (!painter.begin(&writer))
            throw std::runtime_error("the PDF document could not be started");
        paint(painter, target);
        if (!painter.end() && stream)
            throw std::runtime_error("the PDF document could not be written");
        return;
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    QPainter painter(&image);
    paint(painter, target);
    painter.end();
    if (!image.save(&device, "PNG") && stream)
        throw std::runtime_error("the image could not be encoded");
}

void writeDiagramPicture(std::ostream &stream, PictureFormat format,
    const DiagramRenderer &renderer, const DiagramViewState &state, QSize size)
{
    if (const std::string refusal = drawingRefusal(renderer, state, format); !refusal.empty())
        throw std::runtime_error(refusal);
    writePicture(stream, format, size,
        [&](QPainter &painter, const QRectF &target) { renderer.paint(painter, target, state); });
}

QString saveDiagramPicture(const QString &fileName, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size, const std::vector<std::string> &protectedInputs)
{
    const auto cannotCreate = [&](const QString &reason) {
        return QStringLiteral("Cannot create file \"%1\". %2")
            .arg(QFileInfo(fileName).absoluteFilePath(), reason);
    };
    try {
        writeOutputFile(
            fileName.toStdString(), "the picture",
            [&](std::ostream &stream) {
                writeDiagramPicture(stream, pictureFormatFor(fileName), renderer, state, size);
            },
            protectedInputs);
    } catch (const OutputError &error) {
        return cannotCreate(QString::fromStdString(error.reason()));
    } catch (const std::bad_alloc &) {
        return cannotCreate(QStringLiteral("Not enough memory for a picture of this run"));
    } catch (const std::exception &error) {
        return cannotCreate(QString::fromStdString(error.what()));
    }
    return {};
}

} // namespace Demagora
