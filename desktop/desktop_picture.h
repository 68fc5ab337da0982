// The full-colour pictures the desktop shows: copies of the painting's stored JPEG, each under
// a name the desktop has not seen ("ossen-<n>.jpg"), in one folder of the prefix beside
// "desktop-own.ini", so that giving the person's own wallpaper back can remove them all
// without being told where the program lives. Desktops cache pictures by name (Plasma) or
// reload only when the setting changes (GNOME), hence the fresh name per change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ossen {

// <prefix>/desktop: the folder of the desktop's pictures.
std::string DesktopPictureFolder();

// Writes `size` bytes as a fresh "ossen-<n>.jpg" in DesktopPictureFolder() (n one more than
// the largest copy there) and returns its host path; empty when it could not be written.
std::string WriteDesktopPicture(const std::uint8_t* data, std::size_t size);

// Host path of the next fresh copy in `folder` with the extension `extension` (".jpg").
std::string NextPictureCopyPath(const std::string& folder, std::string_view extension);

// Removes every picture copy ossen made in `folder` ("ossen-<n>.jpg" and the older
// "ossen-<n>.bmp"; never "ossen.bmp", which the Windows records name) except `keep`.
// Returns how many went.
int RemovePictureCopies(const std::string& folder, const std::string& keep = {});

}  // namespace ossen
