// What the engine hands a desktop for one wallpaper: a full-colour picture of the painting
// (the JPEG exactly as the picture library stores it) and how the desktop places it.
//
// The placement comes from the Windows records "WallpaperStyle" and "TileWallpaper" under
// HKEY_CURRENT_USER\Control Panel\Desktop, read as Windows reads them; each desktop maps it
// to its own nearest mode and scales with its own filter.
#pragma once

#include <string>
#include <string_view>

namespace ossen {

enum class WallpaperPlacement {
  Fill,     // "10" (and no value): the screen filled, the painting's shape kept, cropped
  Fit,      // "6": the whole painting, the desktop's background colour around it
  Stretch,  // "2": the screen filled, the shape lost
  Center,   // "0": the painting at its own size in the middle
  Tile,     // "0" with "TileWallpaper"="1": repeated from the top left
  Span,     // "22": one picture across every monitor
};

struct WallpaperRequest {
  // Host path of the full-colour picture the desktop is to show.
  std::string picturePath;
  WallpaperPlacement placement = WallpaperPlacement::Fill;
};

// What a desktop made of a request; `reason` says why it was not shown, in words a
// person can read after "The painting could not be shown on this desktop: ".
struct DesktopResult {
  bool shown = false;
  std::string reason;
};

// The placement the two records choose, as Windows reads them: "WallpaperStyle" "10" or no
// value fill, "6" fit, "2" stretch, "22" span, "0" centre (tile when "TileWallpaper" is
// "1"). A value Windows does not know (leading and trailing blanks aside) counts as absent.
WallpaperPlacement PlacementFromRecords(std::string_view style, std::string_view tile);

// The placement the person's records under HKEY_CURRENT_USER\Control Panel\Desktop choose.
WallpaperPlacement ReadWallpaperPlacement();

// "fill", "fit", "stretch", "centre", "tile", "span": for trace lines.
const char* WallpaperPlacementName(WallpaperPlacement placement);

}  // namespace ossen
