// What the installer and the uninstaller name besides the product's own files
// (product/product_names.h): the disc launcher's initialisation file.
#pragma once

namespace ossen::setup {

// The launcher's initialisation file: "[X7352]" with "INSTALLDIR=<folder>".
inline constexpr char kLauncherIniFile[] = "C:\\WINDOWS\\X7352.INI";
inline constexpr char kLauncherIniSection[] = "X7352";
inline constexpr char kLauncherIniKey[] = "INSTALLDIR";

}  // namespace ossen::setup
