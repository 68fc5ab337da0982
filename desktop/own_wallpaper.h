// The person's own wallpaper setting, kept before ossen first changes a desktop's wallpaper,
// so that "Windows Default" and the removal run can give it back.
//
// It is kept per desktop kind in the prefix, in "desktop-own.ini": one section per desktop
// ("[gnome]", "[xfce]"), one key per setting the desktop's tool reported (a gsettings key,
// an xfconf property path), the value in double quotes. The file is read back as hostile
// input: settings whose name or value could not have come from a desktop are dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ossen {

// One setting: its name as the desktop's tool spells it, and its value.
using OwnSetting = std::pair<std::string, std::string>;
using OwnSettings = std::vector<OwnSetting>;

inline constexpr std::size_t kMaxOwnSettingBytes = 4096;
inline constexpr std::size_t kMaxOwnSettings = 256;
inline constexpr std::size_t kMaxOwnFileBytes = 256 * 1024;

// True for a name and value that a desktop could report and the file can hold: a name of
// printable ASCII without '=', '[' or ']', a value of printable characters (no control
// characters), both at most kMaxOwnSettingBytes long.
bool IsAcceptableOwnSetting(std::string_view name, std::string_view value);

// The settings kept for `desktop` in the file's text; none (nullopt) when the file keeps
// nothing for it. Unacceptable settings are dropped (and traced); at most kMaxOwnSettings.
std::optional<OwnSettings> OwnSettingsFromText(std::string_view text, std::string_view desktop);

// The file's text with the settings for `desktop` replaced (or the section removed when
// `settings` is null); other desktops' sections stay as they are.
std::string OwnSettingsIntoText(std::string_view text, std::string_view desktop, const OwnSettings* settings);

// The kept file in the prefix.
std::string OwnWallpaperFile();

// What is kept for `desktop`, from the file; none when nothing is.
std::optional<OwnSettings> LoadOwnWallpaper(std::string_view desktop);
// Keeps `settings` for `desktop` (an empty list is kept too: it says the desktop had no
// setting of its own). False when the file could not be written.
bool SaveOwnWallpaper(std::string_view desktop, const OwnSettings& settings);
// Forgets what is kept for `desktop`.
bool ForgetOwnWallpaper(std::string_view desktop);

}  // namespace ossen
