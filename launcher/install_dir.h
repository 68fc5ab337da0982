// The installation folder that the installer leaves in the launcher's initialisation file.
//
// The file is X7352.INI in the Windows folder; its "[X7352]" section holds the line
// "INSTALLDIR=<folder>". The text is read as the installer or a person may have left it:
// CRLF or LF line ends, blanks around the section name, the key and the value, any case,
// and a trailing backslash on the folder all still find it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace discmenu {

inline constexpr char kProductCode[] = "X7352";
inline constexpr char kInstallDirKey[] = "INSTALLDIR";

// The folder named by the first INSTALLDIR line of the product's section, without trailing
// backslashes; nullopt when the section or the line is missing or the value is empty.
std::optional<std::string> FindInstallDir(std::string_view iniText);

}  // namespace discmenu
