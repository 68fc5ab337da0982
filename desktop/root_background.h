// The root window's background on a bare X11 window manager, set the way the classic
// setters do, so that compositors and terminals that read _XROOTPMAP_ID see it as well.
//
// The picture covers the whole screen in device pixels, with the painting laid out on every
// monitor (root_picture.h): RandR 1.5's monitors, else Xinerama's heads, else the screen.
#pragma once

#include <string>
#include <vector>

#include "desktop/root_picture.h"
#include "desktop/wallpaper_request.h"

namespace ossen {

// Shows the picture file (a JPEG or a BMP) on every monitor as the request places it, in a
// screen-sized pixmap that outlives this process, made the root's background and named in
// _XROOTPMAP_ID and ESETROOT_PMAP_ID. The previous setter's pixmap is freed when both
// properties named it. Not shown without a display, on a screen that is not true colour, or
// for a file that is no readable picture; the reason says which.
DesktopResult ShowPictureOnRoot(const WallpaperRequest& request);

// The same for a picture of the whole screen (a kept root picture): stretched over the
// screen, which at the screen's own size copies it pixel for pixel. False on failure.
bool SetRootPictureFromFile(const std::string& hostPath);

// Writes the root's background as the person sees it as a 24-bit BMP file: the pixmap that
// _XROOTPMAP_ID (or ESETROOT_PMAP_ID) names when it is screen-sized, else the root window's
// own background pixels, whatever set them. False without a display or when it cannot be
// read.
bool SaveRootBackgroundAsBmp(const std::string& hostPath);

// Drops the background pixmap ossen or another setter left: the properties are removed, the
// retained pixmap freed and the root painted black.
bool ClearRootBackground();

// The monitors the root picture is laid out on now (UsableMonitors of what the server
// reports); none without a display.
std::vector<MonitorRect> QueryRootMonitors();

}  // namespace ossen
