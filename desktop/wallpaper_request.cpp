#include "desktop/wallpaper_request.h"

#include "platform/win32/registry_helpers.h"

namespace ossen {
namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

WallpaperPlacement PlacementFromRecords(std::string_view style, std::string_view tile) {
  style = Trimmed(style);
  if (style == "6") return WallpaperPlacement::Fit;
  if (style == "2") return WallpaperPlacement::Stretch;
  if (style == "22") return WallpaperPlacement::Span;
  if (style == "0") return Trimmed(tile) == "1" ? WallpaperPlacement::Tile : WallpaperPlacement::Center;
  return WallpaperPlacement::Fill;
}

WallpaperPlacement ReadWallpaperPlacement() {
  char style[16] = "";
  char tile[16] = "";
  if (RegReadString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", style, sizeof style) == 0) style[0] = '\0';
  if (RegReadString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", tile, sizeof tile) == 0) tile[0] = '\0';
  return PlacementFromRecords(style, tile);
}

const char* WallpaperPlacementName(WallpaperPlacement placement) {
  switch (placement) {
    case WallpaperPlacement::Fill: return "fill";
    case WallpaperPlacement::Fit: return "fit";
    case WallpaperPlacement::Stretch: return "stretch";
    case WallpaperPlacement::Center: return "centre";
    case WallpaperPlacement::Tile: return "tile";
    case WallpaperPlacement::Span: return "span";
  }
  return "fill";
}

}  // namespace ossen
