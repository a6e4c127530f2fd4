#pragma once

#include <QIcon>

namespace Demagora {

// The built-in pictures of the diagram window's tool bar, drawn at run time.
QIcon redrawIcon();
QIcon letterIcon(QChar letter);
// One green arrow pointing up: what btn_mult shows before its first click.
QIcon singleArrowIcon();
QIcon leftArrowIcon();
QIcon rightArrowIcon();

} // namespace Demagora
