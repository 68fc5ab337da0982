// Installing the program from the disc's payload into a program folder of the prefix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ossen::setup {

struct InstallRequest {
  std::string payloadDir;             // host folder holding the payload (the disc's root)
  std::string folder;                 // program folder as a Windows path
  std::vector<std::uint8_t> iconPng;  // the menu entry's icon; none when empty
};

struct InstallResult {
  bool ok = false;
  std::string message;             // one line: what was done, or why nothing was
  std::string folder;              // the program folder as written to the registry
  std::vector<std::string> steps;  // what was written, one line each
};

// The folder as it will be used: blanks and trailing backslashes taken off. Sets `*problem`
// (and returns "") when it is no full path of a drive the prefix has, or cannot be stored.
std::string NormalisedFolder(const std::string& folder, std::string* problem);

// The program folder of the installation there is ("sourcepath", else the launcher's
// INSTALLDIR), without a trailing backslash; "" when none is recorded (a drive's root never
// counts as one).
std::string InstalledFolder();
// The folder the installer offers: the installed one, else the default.
std::string ProposedFolder();
// What installing into `folder` does to the installation there is, when that lies in
// another folder (one line for the installer's window); "" otherwise.
std::string MoveNote(const std::string& folder);

// Ends a running copy, copies the program, its picture library and the uninstaller into the
// folder (and the screen saver into the system folder when the payload has one), then
// writes "sourcepath" and "uninstallpath", X7352.INI, the backup of the start-up image and
// the menu entry. Files are staged beside their targets and renamed into place only when
// every one is staged, so a failed copy leaves what was there before; the schedule
// (data.bin) of an earlier installation stays. An earlier installation in another folder
// moves: its schedule comes along (unless the new folder has one of its own, which is kept
// and the message says where the earlier one stays), and its folder is taken away as
// RemoveEarlierFolder does.
InstallResult Install(const InstallRequest& request);

}  // namespace ossen::setup
