// The logon entries of the Windows Run key, kept as XDG autostart entries of the desktop.
#pragma once

#include <string>
#include <vector>

namespace ossen {

// Brings the user's XDG autostart entries ($XDG_CONFIG_HOME or ~/.config, /autostart/) in
// line with the values of HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run:
// a value whose text names a program gets an entry "ossen-run-<prefix tag>-<value tag>.desktop"
// that starts it with its arguments (and OSSEN_PREFIX when the prefix is not the default
// one); a value that is empty, missing or names no program has no entry. Only entries this
// prefix made are ever touched.
void SyncAutostartEntries();

// The Exec value of a desktop entry that runs `words` (program first) exactly as given, as
// it stands in the file: each word quoted by the Exec rules where it needs it and '%'
// doubled, then the value's own escapes applied. "" when a word cannot be carried (not
// UTF-8, or a control character other than the tab), or when there are no words.
std::string DesktopExecValue(const std::vector<std::string>& words);

}  // namespace ossen
