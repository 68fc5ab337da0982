// What the installer puts where, and what the uninstaller takes away again.
#pragma once

namespace ossen::setup {

inline constexpr char kProductName[] = "Vintra Ossens Screen Savers";
inline constexpr char kDefaultFolder[] = "C:\\Program Files\\Brantwell Software\\Vintra Ossens Screen Savers";
// The folder above the default one, removed with it when nothing else is left in it.
inline constexpr char kCompanyFolderName[] = "Brantwell Software";

// The launcher's initialisation file: "[X7352]" with "INSTALLDIR=<folder>".
inline constexpr char kLauncherIniFile[] = "C:\\WINDOWS\\X7352.INI";
inline constexpr char kLauncherIniSection[] = "X7352";
inline constexpr char kLauncherIniKey[] = "INSTALLDIR";

// The payload on the disc, by host name, and where each goes.
inline constexpr char kProgramFile[] = "ossen";            // program folder
inline constexpr char kLibraryFile[] = "OssenDLL.rcc";     // program folder
inline constexpr char kUninstallerFile[] = "uninst";       // program folder
inline constexpr char kSaverFile[] = "ossen.scr";          // system folder; optional on the disc
// The uninstaller as "uninstallpath" names it: "UNINST.EXE" finds the host program "uninst".
inline constexpr char kUninstallerCommandName[] = "UNINST.EXE";

// What the program itself leaves in its folder.
inline constexpr char kScheduleFile[] = "data.bin";
inline constexpr char kWallpaperFile[] = "ossen.bmp";

// The program's Exit command, sent to a running copy before its files are replaced.
inline constexpr unsigned short kExitCommand = 32773;
inline constexpr char kRunningMarkerName[] = "OSSEN_RUNNING";

}  // namespace ossen::setup
