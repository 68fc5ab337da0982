// The product's names: every file, registry key and command that the program, the screen
// saver, the installer, the uninstaller and the disc's launcher share is named here once.
// Windows names are as Windows would show them; "host" names are the files on this system.
#pragma once

namespace ossen::product {

inline constexpr char kProductName[] = "Vintra Ossens Screen Savers";
inline constexpr char kMakerName[] = "Brantwell Software";
// Where the installer proposes to put the program.
inline constexpr char kDefaultInstallFolder[] = "C:\\Program Files\\Brantwell Software\\Vintra Ossens Screen Savers";
// The program folder of a start that no installer recorded (a package's copy, a build):
// each person's schedule and wallpaper live there, in that person's prefix.
inline constexpr char kUserProgramFolder[] = "C:\\OSSEN";
// What `--version` prints.
inline constexpr char kVersionLine[] = "ossen 1.00 (Vintra Ossens Screen Savers)";

// The program and the files beside it in the program folder.
inline constexpr char kProgramFile[] = "ossen";              // host name
inline constexpr char kProgramExeName[] = "ossen.exe";       // as the logon entry names it
inline constexpr char kLauncherProgramName[] = "Ossen.EXE";  // as the disc's launcher starts it
inline constexpr char kPictureLibraryName[] = "OssenDLL";    // LoadLibrary's name
inline constexpr char kPictureLibraryFile[] = "OssenDLL.rcc";
inline constexpr char kPictureLibraryList[] = "OssenDLL.qrc";  // rcc's list when one is made
inline constexpr char kUninstallerFile[] = "uninst";           // host name
inline constexpr char kUninstallerCommandName[] = "UNINST.EXE";  // finds the host program "uninst"
inline constexpr char kInstallerName[] = "SETUP.EXE";            // on the disc
inline constexpr char kScheduleFile[] = "data.bin";
inline constexpr char kWallpaperFile[] = "ossen.bmp";
// Plasma's copies of the wallpaper: "ossen-<n>.bmp" beside it.
inline constexpr char kWallpaperCopyPrefix[] = "ossen-";

// The screen saver, in the system folder.
inline constexpr char kSaverFile[] = "ossen.scr";

// The start-up image in the root of the Windows drive, and the person's own kept beside it.
inline constexpr char kStartupImageFile[] = "logo.sys";
inline constexpr char kStartupBackupFile[] = "logo.bak";

// HKEY_LOCAL_MACHINE, written by the installer.
inline constexpr char kSetupKeyPath[] = "SOFTWARE\\Brantwell Software\\Vintra Ossen Screen Savers\\1.00\\Setup";
// HKEY_CURRENT_USER, read by the screen saver.
inline constexpr char kConfigKeyPath[] = "SOFTWARE\\Brantwell Software\\Vintra Ossen Screen Savers\\1.00\\Config";
// The value under Windows' Run key that starts the program at logon.
inline constexpr char kRunValue[] = "ossen.exe";

// The running copy's named mapping, which holds its window's handle.
inline constexpr char kRunningMarkerName[] = "OSSEN_RUNNING";

// Commands of the tray menu, also sent between processes (a second start sends Properties;
// the removal run and the installer send Exit).
inline constexpr int kCommandProperties = 32771;
inline constexpr int kCommandExit = 32773;

}  // namespace ossen::product
