#include "desktop/own_wallpaper.h"

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/prefix.h"
#include "platform/win32/profile.h"

namespace ossen {

namespace {

// Marks a section as kept even when the desktop reported no setting at all.
constexpr char kKeptMarker[] = "kept";

bool IsPrintable(unsigned char c) { return c >= 0x20 && c != 0x7F; }

std::string ReadOwnFile() {
  std::vector<std::uint8_t> bytes;
  const ReadResult result = ReadFileBytes(OwnWallpaperFile(), kMaxOwnFileBytes, bytes);
  if (result == ReadResult::kTooLarge) Trace("desktop: %s is too large, ignored", OwnWallpaperFile().c_str());
  if (result != ReadResult::kOk) return {};
  return std::string(bytes.begin(), bytes.end());
}

bool WriteOwnFile(const std::string& text) {
  const std::string path = OwnWallpaperFile();
  if (!WriteFileAtomically(path, text.data(), text.size())) {
    Trace("desktop: could not write %s", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool IsAcceptableOwnSetting(std::string_view name, std::string_view value) {
  if (name.empty() || name.size() > kMaxOwnSettingBytes || value.size() > kMaxOwnSettingBytes) return false;
  if (name == kKeptMarker) return false;
  for (const unsigned char c : name)
    if (!IsPrintable(c) || c >= 0x80 || c == '=' || c == '[' || c == ']' || c == ';' || c == ' ') return false;
  for (const unsigned char c : value)
    if (!IsPrintable(c)) return false;
  return true;
}

std::optional<OwnSettings> OwnSettingsFromText(std::string_view text, std::string_view desktop) {
  const ProfileText profile = ProfileText::Parse(text);
  const std::vector<std::string> keys = profile.KeyNames(desktop);
  if (keys.empty()) return std::nullopt;
  OwnSettings settings;
  for (const std::string& key : keys) {
    if (key == kKeptMarker) continue;
    const std::optional<std::string> value = profile.Get(desktop, key);
    if (!value || !IsAcceptableOwnSetting(key, *value)) {
      Trace("desktop: kept setting \"%.60s\" of %.20s dropped", key.c_str(), std::string(desktop).c_str());
      continue;
    }
    if (settings.size() == kMaxOwnSettings) break;
    settings.emplace_back(key, *value);
  }
  return settings;
}

std::string OwnSettingsIntoText(std::string_view text, std::string_view desktop, const OwnSettings* settings) {
  ProfileText profile = ProfileText::Parse(text);
  profile.DeleteSection(desktop);
  if (settings != nullptr) {
    profile.Set(desktop, kKeptMarker, "1");
    for (const auto& [name, value] : *settings) {
      // Quoted, so that blanks and quotes at either end come back as they were.
      if (!IsAcceptableOwnSetting(name, value) || !profile.Set(desktop, name, "\"" + value + "\""))
        Trace("desktop: setting \"%.60s\" not kept", name.c_str());
    }
  }
  return profile.Serialize();
}

std::string OwnWallpaperFile() { return PrefixDir() + "/desktop-own.ini"; }

std::optional<OwnSettings> LoadOwnWallpaper(std::string_view desktop) {
  return OwnSettingsFromText(ReadOwnFile(), desktop);
}

bool SaveOwnWallpaper(std::string_view desktop, const OwnSettings& settings) {
  ExclusiveFileLock lock(OwnWallpaperFile() + ".lock");
  return WriteOwnFile(OwnSettingsIntoText(ReadOwnFile(), desktop, &settings));
}

bool ForgetOwnWallpaper(std::string_view desktop) {
  ExclusiveFileLock lock(OwnWallpaperFile() + ".lock");
  const std::string text = ReadOwnFile();
  if (text.empty()) return true;
  return WriteOwnFile(OwnSettingsIntoText(text, desktop, nullptr));
}

}  // namespace ossen
