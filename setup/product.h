// What the installer puts where, and what the uninstaller takes away again.
#pragma once

#include "product/product_names.h"

namespace ossen::setup {

using ossen::product::kProductName;
inline constexpr auto& kDefaultFolder = ossen::product::kDefaultInstallFolder;
// The folder above the default one, removed with it when nothing else is left in it.
inline constexpr auto& kCompanyFolderName = ossen::product::kMakerName;

// The launcher's initialisation file: "[X7352]" with "INSTALLDIR=<folder>".
inline constexpr char kLauncherIniFile[] = "C:\\WINDOWS\\X7352.INI";
inline constexpr char kLauncherIniSection[] = "X7352";
inline constexpr char kLauncherIniKey[] = "INSTALLDIR";

// The payload on the disc, by host name, and where each goes.
using ossen::product::kProgramFile;  // program folder
inline constexpr auto& kLibraryFile = ossen::product::kPictureLibraryFile;  // program folder
using ossen::product::kUninstallerFile;  // program folder
using ossen::product::kSaverFile;  // system folder; optional on the disc
// The uninstaller as "uninstallpath" names it: "UNINST.EXE" finds the host program "uninst".
using ossen::product::kUninstallerCommandName;

// What the program itself leaves in its folder.
using ossen::product::kScheduleFile;
using ossen::product::kWallpaperFile;

// The program's Exit command, sent to a running copy before its files are replaced.
inline constexpr unsigned short kExitCommand = ossen::product::kCommandExit;
using ossen::product::kRunningMarkerName;

}  // namespace ossen::setup
