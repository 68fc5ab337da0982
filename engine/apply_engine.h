// The apply engine: turns one slot of the slot list into the desktop's settings. A
// painting becomes the wallpaper bitmap "ossen.bmp" in the program folder, the start-up
// image "logo.sys" in the root of the Windows drive and the screen saver's picture;
// "Windows Default" puts those settings back to the system's own. It also starts the
// screen saver's preview run.
//
// Whatever the engine asks of the window (the Random switch, the wait cursor, the one
// message box of the preview) goes through ApplyHost, so the engine itself has no window.
#pragma once

#include <string>

#include "desktop/desktop_backend.h"
#include "platform/win32/module.h"
#include "product/product_names.h"
#include "schedule/slot_list.h"

namespace ossen {

class ApplyHost {
 public:
  virtual ~ApplyHost() = default;
  // Whether the Random check box is ticked.
  virtual bool IsRandomTicked() const = 0;
  // The wait cursor around the decoding of a painting; always in pairs.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Shows the application message box with `text` (OK button).
  virtual void ShowMessage(const char* text) = 0;
  // Tells the person `text` without stopping them: a message from the tray icon.
  virtual void ShowTrayNotice(const std::string& text) = 0;
};

// What the engine reads of the window: the slot list, the program folder (a Windows path
// ending in a backslash), the loaded picture library and the desktop that shows the
// wallpaper (null: only the Windows records are written).
struct ApplyInputs {
  const SlotList& slotList;
  std::string programDir;
  HMODULE library = nullptr;
  DesktopBackend* desktop = nullptr;
};

inline constexpr int kStartupImageWidth = 320;
inline constexpr int kStartupImageHeight = 400;
// Screens of this width or height show the painting at its own size.
inline constexpr int kPaintingWidth = 1024;
inline constexpr int kPaintingHeight = 768;
inline constexpr char kNoScreenSaverText[] = "No Screen Saver Available";
// The tray notice of an apply whose painting did not reach the desktop; the reason follows.
inline constexpr char kPaintingNotShownText[] = "The painting could not be shown on this desktop: ";
inline constexpr char kPaintingUnreadableReason[] = "the painting could not be read from the picture library";

// Applies the slot at list index `index`: wallpaper cleared or built, start-up image,
// screen saver, then the Random override. Nothing for an index without a record. A
// painting that cannot be read leaves every picture target as it was (one trace line)
// and the screen-saver steps still run.
//
// The Windows records get "ossen.bmp" (256 colours, the screen's size); the desktop gets
// the painting's JPEG exactly as the library stores it, in a fresh file (desktop_picture.h),
// placed as the records "WallpaperStyle" and "TileWallpaper" say. A painting that cannot be
// read or a desktop that refuses the picture gives one tray notice per apply.
void ApplySlot(const ApplyInputs& inputs, ApplyHost& host, int index);

// The Preview command for the slot at `index`: names the painting in "prev" and starts
// "<system folder>\ossen.scr -s"; "No Screen Saver Available" when there is no painting
// or the screen saver cannot be started.
void PreviewSlot(const ApplyInputs& inputs, ApplyHost& host, int index);

}  // namespace ossen
