// The desktop bridge: shows a wallpaper file on the desktop the person is looking at,
// through that desktop's own interface, and gives the person's own wallpaper back.
//
// Before the first wallpaper ossen sets on a desktop kind, the desktop's own setting is
// read and kept (own_wallpaper.h); RestoreOwnWallpaper puts it back and forgets it. A
// missing desktop, a missing tool or a failing one is traced, never an error.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "desktop/desktop_kind.h"

namespace ossen {

// How long one desktop tool may run before it is killed; tests shorten it.
inline constexpr int kDefaultDesktopToolTimeoutMs = 5000;
void SetDesktopToolTimeout(int timeoutMs);

// Shows the host file `hostPath` as the wallpaper of `kind`, keeping the desktop's own
// setting first when none is kept yet. True when the desktop took it.
bool ShowWallpaperOnDesktop(DesktopKind kind, const std::string& hostPath);

// Puts back the desktop's own setting kept before ossen's first change, then forgets it.
// True when something was put back.
bool RestoreOwnWallpaper(DesktopKind kind);

// "file://" and the path with every byte other than unreserved characters and '/'
// percent-encoded.
std::string FileUriFromPath(std::string_view path);
// The path of a "file://" URI (percent escapes decoded); a text that is no file URI is
// taken as a path as it is. nullopt for a malformed escape or an encoded NUL.
std::optional<std::string> PathFromFileUri(std::string_view uri);

// A text as a GVariant string literal: single quotes, with '\' and '\'' escaped.
std::string GVariantStringLiteral(std::string_view text);
// The string that `gsettings get` printed for a string key ("'text'\n", or "@s 'text'");
// nullopt when the output is not one string literal.
std::optional<std::string> ParseGVariantString(std::string_view output);

// Host path of the fresh copy Plasma gets for `hostPath`: "ossen-<n>.bmp" beside it, n one
// more than the largest copy there. Plasma caches pictures by name, so every change needs a
// name it has not seen.
std::string NextPlasmaCopyPath(const std::string& hostPath);

}  // namespace ossen
