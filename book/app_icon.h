// The application icon, resource 128 of the program's own module.
#pragma once
#include <QIcon>

namespace ossen {

// Icon 128 decoded from its .ICO bytes; a plain generated icon when the resource is
// missing or cannot be decoded, so the window and the tray always have one.
QIcon LoadAppIcon();

}  // namespace ossen
