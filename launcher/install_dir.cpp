#include "launcher/install_dir.h"

#include <algorithm>

#include "platform/win32/profile.h"

namespace discmenu {

std::optional<std::string> FindInstallDir(std::string_view iniText) {
  // The profile reader takes the section and key names apart from case and blanks, and the
  // value without surrounding blanks and quotes.
  std::optional<std::string> folder = ossen::ProfileText::Parse(iniText).Get(kProductCode, kInstallDirKey);
  if (!folder) return std::nullopt;
  // A carriage return ends the line's text even where no line feed follows it.
  folder->resize(std::min(folder->size(), folder->find('\r')));
  while (!folder->empty() && (folder->back() == ' ' || folder->back() == '\t')) folder->pop_back();
  // "C:\Games\" and "C:\Games" name one folder; the program's path adds its own separator.
  while (folder->size() > 1 && (folder->back() == '\\' || folder->back() == '/')) folder->pop_back();
  if (folder->empty() || *folder == "\\" || *folder == "/") return std::nullopt;
  return folder;
}

}  // namespace discmenu
