#include "desktop/desktop_picture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "desktop/backend_common.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/prefix.h"
#include "product/product_names.h"

namespace ossen {

std::string DesktopPictureFolder() { return PrefixDir() + "/desktop"; }

std::string NextPictureCopyPath(const std::string& folder, std::string_view extension) {
  constexpr std::size_t prefixLength = sizeof product::kWallpaperCopyPrefix - 1;
  // Longer numbers than an unsigned 64-bit value holds are no copy of ours.
  constexpr std::size_t longestName = prefixLength + 18 + 4;
  unsigned long long largest = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsWallpaperCopyName(name, false) || name.size() > longestName) continue;
    largest = std::max(largest, std::strtoull(name.c_str() + prefixLength, nullptr, 10));
  }
  const std::string name = product::kWallpaperCopyPrefix + std::to_string(largest + 1) + std::string(extension);
  return (std::filesystem::path(folder) / name).string();
}

std::string WriteDesktopPicture(const std::uint8_t* data, std::size_t size) {
  const std::string folder = DesktopPictureFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string path = NextPictureCopyPath(folder, ".jpg");
  if (data == nullptr || size == 0 || !WriteFileAtomically(path, data, size)) {
    Trace("desktop: could not write the picture %s", path.c_str());
    return {};
  }
  return path;
}

int RemovePictureCopies(const std::string& folder, const std::string& keep) {
  int removed = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsWallpaperCopyName(name, false) || (!keep.empty() && entry.path() == std::filesystem::path(keep))) continue;
    std::error_code ignored;
    if (std::filesystem::remove(entry.path(), ignored)) ++removed;
  }
  return removed;
}

}  // namespace ossen
