// Where the resident copy keeps its files, settled before it starts.
//
// A copy the disc's installer put in place works in the folder the installer recorded
// ("sourcepath"; the resident changes there itself). Every other start (the package's copy
// in /usr/bin, a build started from any folder) works in the per-user program folder C:\OSSEN
// of the person's prefix, never in the folder it was started from: one schedule per person,
// wherever the start came from. The screen saver beside the program is linked into the
// prefix's system folder, where the Preview button and system.ini name it, and an installed
// copy's logon entry names the installed program.
#pragma once

#include <string>

namespace ossen {

// The whole preparation, in order: the program folder, the screen saver's link, the Run value.
void PrepareResidentStart();

// Without an installer's "sourcepath": makes C:\OSSEN (created when missing) the current
// directory. False when it could not (the start then stays where it is, with a trace line).
bool EnterUserProgramFolder();

// A copy laid out by the build's install rules: its picture library sits in the installed
// data folder beside the programs' folder (InstalledDataFolder()).
bool IsInstalledCopy();

// Points C:\WINDOWS\SYSTEM\ossen.scr at the screen saver beside this program, by a symbolic
// link. An installer's copy (a plain file) stays as it is; so does everything when there is
// no screen saver beside the program.
void LinkScreenSaver();

// The Run value for the next logon: an installer's copy keeps the resident's rule (its
// recorded folder); an installed copy without an installer names itself
// ("Z:\usr\bin\ossen.exe -h", which starts /usr/bin/ossen); any other start names no program.
std::string LogonCommand();

}  // namespace ossen
