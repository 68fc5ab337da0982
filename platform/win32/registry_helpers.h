// The program's registry keys and values, and the three small helpers that read and
// write them in one call each (open or create, query or set, close).
#pragma once

#include <string>

#include "platform/base/win_types.h"
#include "platform/win32/registry.h"
#include "product/product_names.h"

namespace ossen {

// HKEY_LOCAL_MACHINE, written by the installer.
using product::kSetupKeyPath;
inline constexpr char kSourcePathValue[] = "sourcepath";        // program folder
inline constexpr char kUninstallPathValue[] = "uninstallpath";  // command line of the uninstaller

// HKEY_LOCAL_MACHINE: the logon entry, "<sourcepath>\ossen.exe -h" while resident.
inline constexpr char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
using product::kRunValue;

// HKEY_CURRENT_USER, read by the screen saver; every value a REG_DWORD.
using product::kConfigKeyPath;
inline constexpr char kPicValue[] = "Pic";      // painting the screen saver shows, 0 = none fixed
inline constexpr char kPrevValue[] = "prev";    // painting of a preview run
inline constexpr char kMuteValue[] = "Mute";    // 1 = sound off
inline constexpr char kTimerValue[] = "Timer";  // 1 = schedule checking on

// Reads a value into `buffer` (`size` bytes) whatever its stored type, as a text: 1 when
// it was read and holds its terminator, 0 otherwise, and then `buffer` holds "". Data
// without a terminator is terminated when there is room; data that does not fit is a failure.
int RegReadString(HKEY root, const char* keyPath, const char* valueName, char* buffer, DWORD size);

// Stores `text` and its terminator as a REG_SZ, creating the key if needed: 1 or 0.
int RegWriteString(HKEY root, const char* keyPath, const char* valueName, const char* text);

// Stores `value` as a REG_DWORD, creating the key if needed: 1 or 0.
int RegWriteDword(HKEY root, const char* keyPath, const char* valueName, DWORD value);

// `path` ending in exactly one backslash: a missing one is added, a doubled one dropped;
// "" stays "".
std::string WithOneTrailingBackslash(std::string path);

// The program folder the installer recorded ("sourcepath" under the Setup key), ending in
// exactly one backslash; "" when the value is missing or empty. The start-up's logon entry
// and the book window's program folder both come from here.
std::string ReadSourcePathFolder();

}  // namespace ossen
