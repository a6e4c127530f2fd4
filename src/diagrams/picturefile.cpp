#include "diagrams/picturefile.h"

#include "diagrams/diagramrenderer.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace Demagora {

namespace {

QString cannotCreate(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(QFileInfo(fileName).absoluteFilePath(), reason);
}

} // namespace

bool isSvgFileName(const QString &fileName)
{
    return fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
}

QString writeDiagramPicture(const QString &fileName, const DiagramRenderer &renderer,
    const DiagramViewState &state, QSize size)
{
    // Written aside and moved into place at the end: a failed write leaves an older file whole.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return cannotCreate(fileName, file.errorString());
    const QRectF target(QPointF(0, 0), QSizeF(size));
    if (isSvgFileName(fileName)) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(target);
        generator.setTitle(QStringLiteral("Demagnetization diagrams"));
        QPainter painter(&generator);
        renderer.paint(painter, target, state);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        renderer.paint(painter, target, state);
        painter.end();
        if (!image.save(&file, "PNG"))
            return cannotCreate(fileName, QStringLiteral("The image could not be encoded"));
    }
    if (!file.commit())
        return cannotCreate(fileName, file.errorString());
    return {};
}

} // namespace Demagora
