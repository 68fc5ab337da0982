// Drives the reader of the kept own-wallpaper file with arbitrary contents.
//
// Whatever the file holds, every setting read back must be one a desktop could have
// reported, and writing what was read and reading it again must give the same settings.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "desktop/own_wallpaper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const char* desktop : {"gnome", "xfce", "plasma", "x11"}) {
    const std::optional<ossen::OwnSettings> read = ossen::OwnSettingsFromText(text, desktop);
    if (!read) continue;
    if (read->size() > ossen::kMaxOwnSettings) std::abort();
    for (const auto& [name, value] : *read)
      if (!ossen::IsAcceptableOwnSetting(name, value)) std::abort();
    const std::string written = ossen::OwnSettingsIntoText(text, desktop, &*read);
    const std::optional<ossen::OwnSettings> again = ossen::OwnSettingsFromText(written, desktop);
    if (!again) std::abort();
    // Keys compare without case in the file: a later key that differs only in case from an
    // earlier one is the same setting, so compare what the second reading keeps.
    if (ossen::OwnSettingsFromText(ossen::OwnSettingsIntoText(written, desktop, &*again), desktop) != again)
      std::abort();
  }
  return 0;
}
