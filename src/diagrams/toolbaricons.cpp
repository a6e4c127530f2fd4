#include "diagrams/toolbaricons.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace Demagora {

namespace {

constexpr int IconSide = 16;

QIcon drawnIcon(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(IconSide, IconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

// An arrow along the vertical centre line, pointing up, filled with the given colour.
QPainterPath upArrow(double centreX, double width)
{
    const double half = width / 2;
    QPainterPath path;
    path.moveTo(centreX, 1);
    path.lineTo(centreX + half * 2, 7);
    path.lineTo(centreX + half * 0.7, 7);
    path.lineTo(centreX + half * 0.7, 15);
    path.lineTo(centreX - half * 0.7, 15);
    path.lineTo(centreX - half * 0.7, 7);
    path.lineTo(centreX - half * 2, 7);
    path.closeSubpath();
    return path;
}

QIcon horizontalArrow(bool pointsLeft)
{
    return drawnIcon([pointsLeft](QPainter &painter) {
        QPainterPath path;
        const double tip = pointsLeft ? 1 : 15;
        const double base = pointsLeft ? 8 : 8;
        const double tail = pointsLeft ? 15 : 1;
        path.moveTo(tip, 8);
        path.lineTo(base, 2);
        path.lineTo(base, 6);
        path.lineTo(tail, 6);
        path.lineTo(tail, 10);
        path.lineTo(base, 10);
        path.lineTo(base, 14);
        path.closeSubpath();
        painter.fillPath(path, QColor(0, 0, 128));
    });
}

} // namespace

QIcon redrawIcon()
{
    return drawnIcon([](QPainter &painter) {
        painter.setPen(QPen(QColor(0, 0, 128), 2));
        painter.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(9, 0.5);
        head.lineTo(14, 3.5);
        head.lineTo(9, 7);
        head.closeSubpath();
        painter.fillPath(head, QColor(0, 0, 128));
    });
}

QIcon letterIcon(QChar letter)
{
    return drawnIcon([letter](QPainter &painter) {
        QFont font(QStringLiteral("Sans Serif"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(13);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, IconSide, IconSide), Qt::AlignCenter, QString(letter));
    });
}

QIcon singleArrowIcon()
{
    return drawnIcon([](QPainter &painter) { painter.fillPath(upArrow(8, 4), QColor(0, 128, 0)); });
}

QIcon leftArrowIcon()
{
    return horizontalArrow(true);
}

QIcon rightArrowIcon()
{
    return horizontalArrow(false);
}

QStringList modePictureFolders()
{
    const QDir executableFolder(QCoreApplication::applicationDirPath());
    return { QStringLiteral("graphic"),
        QDir::cleanPath(
            executableFolder.filePath(QStringLiteral(DEMAGORA_DATA_FROM_EXECUTABLE "/graphic"))),
        QStringLiteral(DEMAGORA_SOURCE_GRAPHIC_DIR) };
}

QString findModePicture(const QString &fileName, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString path = QDir(folder).absoluteFilePath(fileName);
        if (QFileInfo::exists(path))
            return path;
    }
    return folders.isEmpty() ? fileName : QDir(folders.front()).absoluteFilePath(fileName);
}

} // namespace Demagora
