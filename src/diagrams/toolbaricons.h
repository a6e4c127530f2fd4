#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace Demagora {

// The built-in pictures of the diagram window's tool bar, drawn at run time.
QIcon redrawIcon();
QIcon letterIcon(QChar letter);
// One green arrow pointing up: what btn_mult shows before its first click.
QIcon singleArrowIcon();
QIcon leftArrowIcon();
QIcon rightArrowIcon();

// The folders that may hold the two mode pictures of btn_mult, in the order they are searched:
// "graphic" under the working directory, the installed data folder found from the executable
// (../share/demagora/graphic), so that a moved installation still finds it, and the source
// tree's graphic/ for a program started from its build folder.
QStringList modePictureFolders();

// The path of fileName in the first folder that holds it. When none does, its path in the
// first folder, so that the message about the missing file names the place looked at first.
QString findModePicture(const QString &fileName, const QStringList &folders);

} // namespace Demagora
