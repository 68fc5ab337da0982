// Test helpers for the apply engine: the real picture library in a temporary program
// folder, a host that records what the engine asks of the window, and readers for the
// files and records the engine writes.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/desktop_backend.h"
#include "engine/apply_engine.h"
#include "gfx/palette.h"
#include "platform/base/file_io.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/module.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "test_support/temp_prefix.h"

namespace ossen::testing {

class RecordingHost : public ApplyHost {
 public:
  bool IsRandomTicked() const override { return random; }
  void BeginWaitCursor() override {
    ++waitCursorShown;
    ++waitCursorDepth;
  }
  void EndWaitCursor() override { --waitCursorDepth; }
  void ShowMessage(const char* text) override { messages.push_back(text); }
  void ShowTrayNotice(const std::string& text) override { notices.push_back(text); }

  bool random = false;
  int waitCursorShown = 0;
  int waitCursorDepth = 0;
  std::vector<std::string> messages;
  std::vector<std::string> notices;
};

// A fresh prefix and program folder holding a copy of the real picture library, loaded.
class PaintingLibrary {
 public:
  PaintingLibrary() {
    std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, prefix_.programDir() + "/" + product::kPictureLibraryFile);
    library_ = LoadLibrary(product::kPictureLibraryName);
    std::filesystem::create_directories(HostPathFromWin(kSystemDirectory));
    programDir_ = WinPathFromHost(prefix_.programDir()) + "\\";
  }
  ~PaintingLibrary() {
    if (library_ != nullptr) FreeLibrary(library_);
    SetScreenSizeOverride(0, 0);
  }
  PaintingLibrary(const PaintingLibrary&) = delete;
  PaintingLibrary& operator=(const PaintingLibrary&) = delete;

  HMODULE library() const { return library_; }
  const std::string& programDir() const { return programDir_; }
  const TempPrefix& prefix() const { return prefix_; }
  std::string WallpaperHostPath() const { return prefix_.programDir() + "/ossen.bmp"; }
  std::string StartupImageHostPath() const { return HostPathFromWin("C:\\logo.sys"); }

 private:
  TempPrefix prefix_;
  HMODULE library_ = nullptr;
  std::string programDir_;
};

inline std::vector<std::uint8_t> FileBytes(const std::string& hostPath) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(hostPath, std::size_t{64} << 20, bytes) != ReadResult::kOk) bytes.clear();
  return bytes;
}

inline bool Exists(const std::string& hostPath) { return std::filesystem::exists(hostPath); }

// The fields of a bitmap file that the engine's files are checked by.
struct BitmapFile {
  bool valid = false;
  std::uint32_t fileSize = 0;
  std::uint32_t bitsOffset = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;
  std::vector<PaletteEntry> colours;  // as red, green, blue
};

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

inline BitmapFile ReadBitmapFile(const std::string& hostPath) {
  BitmapFile file;
  const std::vector<std::uint8_t> bytes = FileBytes(hostPath);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return file;
  file.fileSize = Le32(bytes, 2);
  file.bitsOffset = Le32(bytes, 10);
  file.width = static_cast<std::int32_t>(Le32(bytes, 18));
  file.height = static_cast<std::int32_t>(Le32(bytes, 22));
  file.bitCount = static_cast<std::uint16_t>(bytes[28] | bytes[29] << 8);
  std::uint32_t used = Le32(bytes, 46);
  if (file.bitCount <= 8 && used == 0) used = 1u << file.bitCount;
  for (std::uint32_t i = 0; i < used && 54 + 4 * i + 3 < bytes.size(); ++i) {
    const std::size_t at = 54 + 4 * i;
    file.colours.push_back(PaletteEntry{bytes[at + 2], bytes[at + 1], bytes[at], 0});
  }
  file.valid = file.fileSize == bytes.size();
  return file;
}

inline std::vector<PaletteEntry> RgbOf(const Palette& palette) {
  std::vector<PaletteEntry> entries(palette.EntryCount());
  palette.GetEntries(entries, 0, palette.EntryCount());
  for (PaletteEntry& entry : entries) entry.flags = 0;
  return entries;
}

inline std::string ProfileValue(const char* section, const char* key, const char* file) {
  char buffer[MAX_PATH] = "";
  GetPrivateProfileString(section, key, "<missing>", buffer, sizeof buffer, file);
  return buffer;
}

inline std::string RegistryText(HKEY root, const char* key, const char* value) {
  char buffer[MAX_PATH] = "";
  if (RegReadString(root, key, value, buffer, sizeof buffer) == 0) return "<missing>";
  return buffer;
}

// A desktop that records what the engine asks of it, with the wallpaper the Windows records
// named at that moment: "show <placement> (records: <win.ini's Wallpaper>)", "restore", and
// the requests themselves. `refusal`, when set, is the reason it refuses every picture.
class RecordingDesktop : public DesktopBackend {
 public:
  const char* Name() const override { return "recording"; }
  DesktopResult ShowWallpaper(const WallpaperRequest& request) override {
    calls.push_back(std::string("show ") + WallpaperPlacementName(request.placement) +
                    " (records: " + RecordedWallpaper() + ")");
    requests.push_back(request);
    shownBytes.push_back(FileBytes(request.picturePath));
    return DesktopResult{refusal.empty(), refusal};
  }
  bool RestoreOwnWallpaper() override {
    calls.push_back("restore (records: " + RecordedWallpaper() + ")");
    return true;
  }

  std::vector<std::string> calls;
  std::vector<WallpaperRequest> requests;
  std::vector<std::vector<std::uint8_t>> shownBytes;  // the picture file as it was when shown
  std::string refusal;

 private:
  static std::string RecordedWallpaper() { return ProfileValue("Desktop", "Wallpaper", "win.ini"); }
};

// A REG_DWORD under the Config key; -1 when it is missing.
inline std::int64_t ConfigDword(const char* value) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kConfigKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = 0;
  const LONG result = RegQueryValueEx(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD ? std::int64_t{data} : -1;
}

// Files left in the temporary folder (staged JPEG files would show here).
inline int TemporaryFileCount() {
  const std::string folder = HostPathFromWin(kTempDirectory);
  std::error_code error;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    (void)entry;
    ++count;
  }
  return count;
}

}  // namespace ossen::testing
