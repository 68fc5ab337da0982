#include "desktop/desktop_picture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "desktop/backend_common.h"
#include "platform/base/file_io.h"
#include "platform/base/unique_fd.h"
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

// A new file at `path` holding the bytes; false (and no file) when it exists already or
// cannot be written whole. No rename and no sync: nobody knows the name before it is
// handed to the desktop, and a copy lost to a crash is made again by the next change.
bool WriteNewFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (fd.get() < 0) return false;
  struct iovec whole {const_cast<std::uint8_t*>(data), size};
  if (WriteAllParts(fd.get(), &whole, 1)) return true;
  ::unlink(path.c_str());
  return false;
}

std::string WriteDesktopPicture(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) return {};
  const std::string folder = DesktopPictureFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  // Another ossen process may take the same name at the same moment: the next one then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::string path = NextPictureCopyPath(folder, ".jpg");
    if (WriteNewFile(path, data, size)) return path;
  }
  Trace("desktop: could not write a picture in %s (errno %d)", folder.c_str(), errno);
  return {};
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
