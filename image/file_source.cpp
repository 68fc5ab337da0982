#include "image/file_source.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win32/paths.h"

namespace ossen {

namespace {

// Opens without blocking (a FIFO in the path must not hang the loader) and accepts only
// plain files: a folder or a device has no length to map.
int OpenRegularFile(const std::string& hostPath, int flags, mode_t mode) {
  int fd = ::open(hostPath.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

FileSource::FileSource(DWORD createSize, const char* winPath, bool temporary, const char* name, bool isReadOnly,
                       bool sequential)
    : sequential_(sequential) {
  handle = kInvalidHandleValue;
  if (winPath != nullptr) {
    hostPath_ = HostPathFromWin(winPath);
    if (hostPath_.empty()) return;
    int fd = -1;
    if (createSize != 0) {
      fd = OpenRegularFile(hostPath_, O_RDWR | O_CREAT | O_TRUNC, temporary ? 0600 : 0666);
      if (fd < 0) return;
      handle = static_cast<std::uintptr_t>(fd);
      deleteOnClose_ = temporary;
      if (::ftruncate(fd, static_cast<off_t>(createSize)) != 0) {
        CloseFile();
        return;
      }
      size = createSize;
      readOnly = 0;
    } else {
      fd = OpenRegularFile(hostPath_, isReadOnly ? O_RDONLY : O_RDWR, 0);
      if (fd < 0) return;
      handle = static_cast<std::uintptr_t>(fd);
      deleteOnClose_ = temporary;
      off_t length = ::lseek(fd, 0, SEEK_END);
      // A length the 32-bit size cannot hold is refused rather than cut.
      if (length < 0 || static_cast<std::uint64_t>(length) > UINT32_MAX || ::lseek(fd, 0, SEEK_SET) != 0) {
        CloseFile();
        return;
      }
      size = static_cast<std::uint32_t>(length);
      readOnly = isReadOnly ? 1 : 0;
    }
    ::posix_fadvise(fd, 0, 0, sequential ? POSIX_FADV_SEQUENTIAL : POSIX_FADV_RANDOM);
  } else {
    readOnly = isReadOnly ? 1 : 0;
  }
  if (name != nullptr) mappingName = name;
  kind = kFile;
  lockCount = 0;
  Lock();
}

FileSource::~FileSource() {
  if (lockCount > 1) lockCount = 1;
  Unlock();
  CloseFile();
  data = nullptr;
  size = 0;
  lockCount = 0;
}

void FileSource::Lock() {
  if (lockCount == 0) {
    LONG error = ERROR_SUCCESS;
    NamedMapping opened;
    if (HasFile()) {
      opened = NamedMapping::Create(static_cast<int>(handle), hostPath_, mappingName, readOnly != 0, deleteOnClose_,
                                    &error);
      mappingExisted = error == ERROR_ALREADY_EXISTS;
    } else if (!mappingName.empty()) {
      opened = NamedMapping::Open(mappingName, true, &error);
    }
    if (opened.valid()) {
      mapping = std::make_unique<NamedMapping>(std::move(opened));
      view_ = mapping->MapView(readOnly == 0);
      if (view_) {
        ::madvise(view_.data(), view_.size(), sequential_ ? MADV_SEQUENTIAL : MADV_RANDOM);
        size = static_cast<std::uint32_t>(view_.size());  // what `data` really spans
      }
      data = view_.data();
    }
  }
  ++lockCount;
}

void FileSource::Unlock() {
  // An Unlock without a Lock is ignored: a count below zero would keep the next Lock from
  // mapping the view.
  if (lockCount <= 0) return;
  if (lockCount == 1) {
    view_.Reset();
    mapping.reset();
    data = nullptr;
  }
  --lockCount;
}

void FileSource::CloseFile() {
  if (HasFile()) ::close(static_cast<int>(handle));
  handle = kInvalidHandleValue;
  if (deleteOnClose_) ::unlink(hostPath_.c_str());
  deleteOnClose_ = false;
}

}  // namespace ossen
