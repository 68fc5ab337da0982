// The launcher's own picture and icon, painted in code: a gallery wall with three framed
// landscapes and the product's name.
#pragma once

#include <QIcon>
#include <QImage>

namespace discmenu {

// The form's background at the given size; painted once per size.
QImage LauncherBackground(int width, int height);
// A small framed landscape, at 16, 32 and 48 pixels.
QIcon LauncherIcon();

}  // namespace discmenu
