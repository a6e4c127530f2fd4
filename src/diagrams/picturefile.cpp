#include "diagrams/picturefile.h"

#include "diagrams/diagramrenderer.h"
#include "files/outputfiles.h"

#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QPainter>
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

std::string svgRefusal(const DiagramRenderer &renderer, const DiagramViewState &state)
{
    const std::uint64_t points = renderer.pointCount(state);
    if (points <= MaxSvgResultPoints)
        return {};
    return "an SVG drawing of " + std::to_string(points)
        + " result points would be too large (at most " + std::to_string(MaxSvgResultPoints)
        + "); save the picture as PNG instead";
}

bool isSvgFileName(const QString &fileName)
{
    return fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
}

void writeDiagramPicture(std::ostream &stream, bool svg, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size)
{
    StreamDevice device(stream);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    if (svg) {
        if (const std::string refusal = svgRefusal(renderer, state); !refusal.empty())
            throw std::runtime_error(refusal);
        QSvgGenerator generator;
        generator.setOutputDevice(&device);
        generator.setSize(size);
        generator.setViewBox(target);
        generator.setTitle(QStringLiteral("Demagnetization diagrams"));
        QPainter painter(&generator);
        renderer.paint(painter, target, state);
        painter.end();
        return;
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    QPainter painter(&image);
    renderer.paint(painter, target, state);
    painter.end();
    if (!image.save(&device, "PNG") && stream)
        throw std::runtime_error("the image could not be encoded");
}

QString saveDiagramPicture(const QString &fileName, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size)
{
    const auto cannotCreate = [&](const QString &reason) {
        return QStringLiteral("Cannot create file \"%1\". %2")
            .arg(QFileInfo(fileName).absoluteFilePath(), reason);
    };
    try {
        writeOutputFile(fileName.toStdString(), "the picture", [&](std::ostream &stream) {
            writeDiagramPicture(stream, isSvgFileName(fileName), renderer, state, size);
        });
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
