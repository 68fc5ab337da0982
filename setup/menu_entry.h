// The program's entry in the desktop's application menu: an XDG desktop file and a hicolor
// icon in the user's data folder, named after the prefix, so that installations into
// different prefixes never share or remove each other's entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ossen::setup {

struct MenuEntryFiles {
  std::string desktopFile;  // $XDG_DATA_HOME/applications/ossen-<tag>.desktop
  std::string iconFile;     // $XDG_DATA_HOME/icons/hicolor/48x48/apps/ossen-<tag>.png
};

// The entry's host paths for the current prefix; empty paths when there is no data folder
// (neither XDG_DATA_HOME nor HOME is an absolute path).
MenuEntryFiles MenuEntryFilesForPrefix();

// Writes the entry that starts `programHostPath` in this prefix, with `iconPng` (a 48-pixel
// PNG) as its icon. False when a file cannot be written or the path cannot be carried.
bool WriteMenuEntry(const std::string& programHostPath, const std::vector<std::uint8_t>& iconPng);

// Removes the entry and its icon when this prefix wrote them; the host paths removed.
std::vector<std::string> RemoveMenuEntry();

}  // namespace ossen::setup
