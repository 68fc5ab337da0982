#include "engine/apply_engine.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "desktop/desktop_picture.h"
#include "desktop/wallpaper_request.h"
#include "engine/painting_picture.h"
#include "gfx/dib_section_surface.h"
#include "image/packed_dib.h"
#include "image/resource_source.h"
#include "platform/base/trace.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/paths.h"
#include "platform/win32/process.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "res/program/program_resources.h"
#include "schedule/slot_record.h"

namespace ossen {
namespace {

constexpr char kSystemIni[] = "system.ini";
// WinExec results from this on mean the program was started.
constexpr UINT kWinExecStarted = 31;

// A string of the program's own module, or the text it holds when the module does not
// carry it (a program built without its resources).
std::string ProgramText(UINT id, const char* builtIn) {
  char buffer[MAX_PATH] = "";
  const int length = LoadString(nullptr, id, buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string(builtIn);
}

bool Has(std::uint16_t elements, Element element) { return (elements & static_cast<std::uint16_t>(element)) != 0; }

// The wallpaper the Windows records name ("" for none).
void RecordWallpaper(const std::string& winPath) {
  SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(winPath.c_str()),
                       SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

// The painting's stored JPEG, as it is, in a fresh file the desktop shows, placed as the
// records say. Older copies go once the desktop shows the new one; a copy it refused goes
// at once. The reason the desktop gave when it refused, else empty.
std::string ShowOnDesktop(DesktopBackend& desktop, HMODULE library, int painting) {
  WallpaperRequest request;
  {
    const ResourceSource jpeg(library, PaintingResourceName(painting), kPictureResourceType);
    request.picturePath = WriteDesktopPicture(jpeg.data, jpeg.size);
  }
  if (request.picturePath.empty()) return "its picture file could not be written";
  request.placement = ReadWallpaperPlacement();
  const DesktopResult result = desktop.ShowWallpaper(request);
  std::error_code ignored;
  if (result.shown)
    RemovePictureCopies(DesktopPictureFolder(), request.picturePath);
  else
    std::filesystem::remove(request.picturePath, ignored);
  return result.shown ? std::string() : result.reason;
}

bool IsWindows95Family() {
  OSVERSIONINFO version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionEx(&version) != 0 && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

std::string SystemFolderFile(const char* name) {
  char folder[MAX_PATH] = "";
  GetSystemDirectory(folder, sizeof folder);
  return std::string(folder) + "\\" + name;
}

// The wait cursor for as long as the painting is being read.
class WaitCursor {
 public:
  explicit WaitCursor(ApplyHost& host) : host_(host) { host_.BeginWaitCursor(); }
  ~WaitCursor() { host_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  ApplyHost& host_;
};

// The reason the desktop refused the painting, else empty.
std::string WriteWallpaper(const ApplyInputs& inputs, DibImage& picture, int painting) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  // The paintings are made at 1024 x 768: a screen of that width or height takes the
  // painting as it is.
  const bool ownSize = width == kPaintingWidth || height == kPaintingHeight;
  const std::string winPath = inputs.programDir + product::kWallpaperFile;
  if (WriteScaledBitmapFile(HostPathFromWin(winPath), picture, ownSize ? picture.Width() : width,
                            ownSize ? picture.Height() : height))
    RecordWallpaper(winPath);
  else
    Trace("ApplySlot: %s not written", winPath.c_str());
  // The desktop shows the painting whether or not the records could be written.
  return inputs.desktop != nullptr ? ShowOnDesktop(*inputs.desktop, inputs.library, painting) : std::string();
}

void WriteStartupImage(DibImage* picture, bool windowsDefault) {
  const std::string winPath = WindowsDriveRoot() + product::kStartupImageFile;
  const std::string hostPath = HostPathFromWin(winPath);
  if (windowsDefault) {
    if (!hostPath.empty()) ::unlink(hostPath.c_str());
    return;
  }
  if (picture == nullptr) return;
  if (!WriteScaledBitmapFile(hostPath, *picture, kStartupImageWidth, kStartupImageHeight)) Trace("ApplySlot: %s not written", winPath.c_str());
}

void ApplyScreenSaver(std::int32_t slotId) {
  std::string value;
  if (slotId != kWindowsDefaultSlotId) {
    value = SystemFolderFile(product::kSaverFile);
    RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, static_cast<DWORD>(slotId));
  }
  const std::string section = ProgramText(kStringBoot, "boot");
  const std::string key = ProgramText(kStringScreenSaverKey, "SCRNSAVE.EXE");
  WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), kSystemIni);
  SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE);
}

}  // namespace

void ApplySlot(const ApplyInputs& inputs, ApplyHost& host, int index) {
  const SlotRecord* record = inputs.slotList.ItemData(index);
  if (record == nullptr) return;
  // Copied: nothing below reads the record again.
  const std::uint16_t elements = record->elements;
  const std::int32_t slotId = record->slotId;
  const bool windowsDefault = slotId == kWindowsDefaultSlotId;

  if (Has(elements, Element::Wallpaper) || Has(elements, Element::Startup)) {
    SurfaceRef<DibImage> picture;
    std::string notShown;  // why the desktop does not show the painting
    if (!windowsDefault) {
      WaitCursor wait(host);
      picture = LoadPaintingPicture(inputs.library, slotId);
      if (!picture) {
        Trace("ApplySlot: painting %d unreadable, wallpaper and start-up image left as they were", slotId);
        if (Has(elements, Element::Wallpaper)) notShown = kPaintingUnreadableReason;
      }
    }
    if (windowsDefault) {
      // No wallpaper would leave the person's desktop blank: it gets their own back instead.
      RecordWallpaper("");
      if (inputs.desktop != nullptr) inputs.desktop->RestoreOwnWallpaper();
    }
    if (Has(elements, Element::Wallpaper) && picture) notShown = WriteWallpaper(inputs, *picture, slotId);
    if (Has(elements, Element::Startup) && IsWindows95Family()) WriteStartupImage(picture.get(), windowsDefault);
    if (!notShown.empty()) {
      Trace("ApplySlot: painting %d not shown on the desktop: %s", slotId, notShown.c_str());
      host.ShowTrayNotice(kPaintingNotShownText + notShown);
    }
  }
  if (Has(elements, Element::Saver)) ApplyScreenSaver(slotId);
  if (host.IsRandomTicked()) RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 0);
}

void PreviewSlot(const ApplyInputs& inputs, ApplyHost& host, int index) {
  const SlotRecord* record = inputs.slotList.ItemData(index);
  if (record != nullptr) {
    std::string command;
    if (record->slotId != kWindowsDefaultSlotId) {
      RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPrevValue, static_cast<DWORD>(record->slotId));
      command = SystemFolderFile(product::kSaverFile) + " -s";
    }
    if (WinExec(command.c_str(), SW_SHOW) >= kWinExecStarted) return;
  }
  host.ShowMessage(kNoScreenSaverText);
}

}  // namespace ossen
