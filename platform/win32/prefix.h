// The prefix: the host folder that stands in for the Windows machine.
//
// It is $OSSEN_PREFIX, else $XDG_DATA_HOME/ossen, else ~/.local/share/ossen, and holds
// the registry hives system.reg and user.reg and drive_c/, the host folder of drive C:.
// The first use of a prefix creates that layout, with C:\WINDOWS, C:\WINDOWS\SYSTEM
// and C:\WINDOWS\TEMP.
#pragma once

#include <string>

namespace ossen {

// Host path of the prefix, without a trailing slash; its layout exists after the call
// (as far as the file system allows: a prefix that cannot be created is traced).
std::string PrefixDir();

// Host path of drive C: inside the prefix, without a trailing slash.
std::string DriveCDir();

}  // namespace ossen
