#include "platform/win32/named_mapping.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"
#include "platform/win32/prefix.h"

namespace ossen {

namespace {

constexpr std::size_t kMaxEncodedName = 200;
constexpr std::size_t kMaxEntryBytes = 8192;
constexpr std::size_t kMaxBackingPath = 4096;
// How long a creator waits for another creator that holds the name's mutex but has not
// published its entry yet (a matter of microseconds unless it is closing).
constexpr int kCreateAttempts = 2000;
constexpr useconds_t kCreateRetryMicroseconds = 1000;

constexpr std::string_view kEntryMagic = "ossen-mapping 1\n";

LONG ErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case ELOOP:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_INVALID_HANDLE;
  }
}

void Report(LONG* error, LONG value) {
  if (error) *error = value;
}

bool IsPlainNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// A mapping name as a file name: plain characters as they are, every other byte as %XX,
// so no name can climb out of the table or collide with another. "" when too long.
std::string EncodeName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : name) {
    if (IsPlainNameChar(c)) {
      encoded += c;
    } else {
      auto byte = static_cast<unsigned char>(c);
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
    if (encoded.size() > kMaxEncodedName) return {};
  }
  return encoded;
}

// True when `fd` is still the file that `path` names (a closing creator removes the name's
// files while it holds the lock, so a lock taken on a removed file means nothing).
bool StillNamedBy(int fd, const std::string& path) {
  struct stat byFd {}, byPath {};
  if (::fstat(fd, &byFd) != 0 || ::lstat(path.c_str(), &byPath) != 0) return false;
  return byFd.st_dev == byPath.st_dev && byFd.st_ino == byPath.st_ino;
}

// Reads at most kMaxEntryBytes; nullopt when the file is longer or unreadable.
std::optional<std::string> ReadSmallFile(int fd) {
  std::string text(kMaxEntryBytes + 1, '\0');
  std::size_t used = 0;
  while (used < text.size()) {
    ssize_t got = ::pread(fd, text.data() + used, text.size() - used, static_cast<off_t>(used));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  if (used > kMaxEntryBytes) return std::nullopt;
  text.resize(used);
  return text;
}

// Takes the line "<key> <value>\n" off the front of `text`; nullopt when it is not there.
std::optional<std::string_view> TakeField(std::string_view& text, std::string_view key) {
  if (text.size() <= key.size() || text.substr(0, key.size()) != key || text[key.size()] != ' ')
    return std::nullopt;
  std::size_t end = text.find('\n', key.size() + 1);
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view value = text.substr(key.size() + 1, end - key.size() - 1);
  text.remove_prefix(end + 1);
  return value;
}

std::optional<bool> ParseFlag(std::optional<std::string_view> value) {
  if (value == "0") return false;
  if (value == "1") return true;
  return std::nullopt;
}

// Removes what a dead creator left under a name: its entry and, when it was temporary,
// its backing file (only a plain file of this user, and never `keepPath`).
void RemoveStaleEntry(const std::string& entryPath, const std::string& keepPath) {
  UniqueFd entry(::open(entryPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (entry.get() < 0) return;
  if (::flock(entry.get(), LOCK_SH | LOCK_NB) != 0) return;  // still held: the rename replaces it
  if (auto text = ReadSmallFile(entry.get())) {
    if (auto stale = ParseMappingEntry(*text); stale && stale->temporary && stale->backingPath != keepPath) {
      struct stat st {};
      if (::lstat(stale->backingPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        ::unlink(stale->backingPath.c_str());
    }
  }
  if (StillNamedBy(entry.get(), entryPath)) ::unlink(entryPath.c_str());
}

}  // namespace

std::string FormatMappingEntry(const MappingEntry& entry) {
  std::string text(kEntryMagic);
  text += "size " + std::to_string(entry.size) + "\n";
  text += std::string("readonly ") + (entry.readOnly ? "1" : "0") + "\n";
  text += std::string("temporary ") + (entry.temporary ? "1" : "0") + "\n";
  text += "path " + entry.backingPath + "\n";
  return text;
}

std::optional<MappingEntry> ParseMappingEntry(std::string_view text) {
  if (text.substr(0, kEntryMagic.size()) != kEntryMagic) return std::nullopt;
  text.remove_prefix(kEntryMagic.size());

  MappingEntry entry;
  std::optional<std::string_view> size = TakeField(text, "size");
  if (!size || size->empty() || size->size() > 10 || size->front() == '0') return std::nullopt;
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(size->data(), size->data() + size->size(), value);
  if (ec != std::errc() || end != size->data() + size->size() || value == 0 || value > UINT32_MAX)
    return std::nullopt;
  entry.size = static_cast<std::uint32_t>(value);

  std::optional<bool> readOnly = ParseFlag(TakeField(text, "readonly"));
  std::optional<bool> temporary = ParseFlag(TakeField(text, "temporary"));
  std::optional<std::string_view> path = TakeField(text, "path");
  if (!readOnly || !temporary || !path || !text.empty()) return std::nullopt;
  if (path->empty() || path->front() != '/' || path->size() > kMaxBackingPath ||
      path->find('\0') != std::string_view::npos)
    return std::nullopt;
  entry.readOnly = *readOnly;
  entry.temporary = *temporary;
  entry.backingPath = std::string(*path);
  return entry;
}

std::string MappingTableDir() {
  std::string dir = PrefixDir() + "/run";
  if (::mkdir(dir.c_str(), 0700) == 0) ::chmod(dir.c_str(), 0700);  // whatever the umask left
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) {
    Trace("cannot create the mapping table %s (errno %d)", dir.c_str(), errno);
    return {};
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
    Trace("mapping table %s is not a private folder of this user; not used", dir.c_str());
    return {};
  }
  return dir;
}

MappedView::MappedView(MappedView&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedView::~MappedView() { Reset(); }

void MappedView::Reset() {
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

NamedMapping NamedMapping::Create(int fd, const std::string& hostPath, std::string_view name, bool readOnly,
                                  bool temporary, LONG* error) {
  Report(error, ERROR_INVALID_HANDLE);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};
  if (st.st_size == 0) {
    Report(error, ERROR_FILE_INVALID);
    return {};
  }
  if (static_cast<std::uint64_t>(st.st_size) > UINT32_MAX) {
    Report(error, ERROR_NOT_ENOUGH_MEMORY);
    return {};
  }

  NamedMapping mapping;
  mapping.size_ = static_cast<std::uint32_t>(st.st_size);
  mapping.readOnly_ = readOnly;
  mapping.fd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (mapping.fd_ < 0) {
    Report(error, ErrorFromErrno(errno));
    return {};
  }
  if (name.empty()) {
    Report(error, ERROR_SUCCESS);
    return mapping;
  }

  const std::string encoded = EncodeName(name);
  if (encoded.empty() || hostPath.empty() || hostPath.front() != '/' || hostPath.size() > kMaxBackingPath ||
      hostPath.find_first_of(std::string_view("\n\0", 2)) != std::string::npos) {
    Report(error, ERROR_INVALID_NAME);
    return {};
  }
  const std::string table = MappingTableDir();
  if (table.empty()) {
    Report(error, ERROR_ACCESS_DENIED);
    return {};
  }
  mapping.lockPath_ = table + "/" + encoded + ".lock";
  mapping.entryPath_ = table + "/" + encoded + ".map";

  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    UniqueFd lock(::open(mapping.lockPath_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.get() < 0) {
      Report(error, ErrorFromErrno(errno));
      return {};
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        Report(error, ErrorFromErrno(errno));
        return {};
      }
      // Another process holds the name: the result is its mapping, once it is published.
      LONG openError = ERROR_SUCCESS;
      NamedMapping existing = Open(name, !readOnly, &openError);
      if (existing.valid()) {
        Report(error, ERROR_ALREADY_EXISTS);
        return existing;
      }
      if (openError == ERROR_ACCESS_DENIED) {
        Report(error, openError);
        return {};
      }
      ::usleep(kCreateRetryMicroseconds);
      continue;
    }
    if (!StillNamedBy(lock.get(), mapping.lockPath_)) continue;  // its creator closed meanwhile

    // This process holds the name now; whatever entry is there was left by a dead creator.
    RemoveStaleEntry(mapping.entryPath_, hostPath);
    const std::string newEntryPath = table + "/" + encoded + ".new";
    ::unlink(newEntryPath.c_str());
    UniqueFd entry(::open(newEntryPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    const std::string text = FormatMappingEntry({hostPath, mapping.size_, readOnly, temporary});
    // Locked before it becomes visible, so no opener ever sees it unheld while we live.
    if (entry.get() < 0 || ::flock(entry.get(), LOCK_EX | LOCK_NB) != 0 || !WriteAll(entry.get(), text.data(), text.size()) ||
        ::rename(newEntryPath.c_str(), mapping.entryPath_.c_str()) != 0) {
      Report(error, ErrorFromErrno(errno));
      ::unlink(newEntryPath.c_str());
      ::unlink(mapping.lockPath_.c_str());
      return {};
    }
    mapping.lockFd_ = lock.Release();
    mapping.entryFd_ = entry.Release();
    Report(error, ERROR_SUCCESS);
    return mapping;
  }
  Trace("mapping name %.*s stays busy; not created", static_cast<int>(name.size()), name.data());
  Report(error, ERROR_ACCESS_DENIED);
  return {};
}

NamedMapping NamedMapping::Open(std::string_view name, bool write, LONG* error) {
  const std::string encoded = EncodeName(name);
  if (encoded.empty()) {
    Report(error, ERROR_INVALID_NAME);
    return {};
  }
  const std::string table = MappingTableDir();
  if (table.empty()) {
    Report(error, ERROR_ACCESS_DENIED);
    return {};
  }
  const std::string entryPath = table + "/" + encoded + ".map";
  UniqueFd entry(::open(entryPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (entry.get() < 0) {
    Report(error, ErrorFromErrno(errno));
    return {};
  }
  if (::flock(entry.get(), LOCK_SH | LOCK_NB) == 0) {
    Report(error, ERROR_FILE_NOT_FOUND);  // nobody holds it: its creator has ended
    return {};
  }
  std::optional<std::string> text = ReadSmallFile(entry.get());
  std::optional<MappingEntry> parsed = text ? ParseMappingEntry(*text) : std::nullopt;
  if (!parsed) {
    Trace("mapping entry %s is damaged; name treated as absent", entryPath.c_str());
    Report(error, ERROR_FILE_NOT_FOUND);
    return {};
  }
  if (write && parsed->readOnly) {
    Report(error, ERROR_ACCESS_DENIED);
    return {};
  }

  UniqueFd backing(::open(parsed->backingPath.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (backing.get() < 0 || ::fstat(backing.get(), &st) != 0) {
    Report(error, ErrorFromErrno(errno));
    return {};
  }
  // A file shorter than the entry says would fault on access: refuse it.
  if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) < parsed->size) {
    Report(error, ERROR_FILE_INVALID);
    return {};
  }
  NamedMapping mapping;
  mapping.fd_ = backing.Release();
  mapping.size_ = parsed->size;
  mapping.readOnly_ = !write;
  Report(error, ERROR_SUCCESS);
  return mapping;
}

NamedMapping::NamedMapping(NamedMapping&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(std::exchange(other.size_, 0)),
      readOnly_(std::exchange(other.readOnly_, true)),
      lockFd_(std::exchange(other.lockFd_, -1)),
      entryFd_(std::exchange(other.entryFd_, -1)),
      lockPath_(std::move(other.lockPath_)),
      entryPath_(std::move(other.entryPath_)) {}

NamedMapping& NamedMapping::operator=(NamedMapping&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
    readOnly_ = std::exchange(other.readOnly_, true);
    lockFd_ = std::exchange(other.lockFd_, -1);
    entryFd_ = std::exchange(other.entryFd_, -1);
    lockPath_ = std::move(other.lockPath_);
    entryPath_ = std::move(other.entryPath_);
  }
  return *this;
}

NamedMapping::~NamedMapping() { Close(); }

MappedView NamedMapping::MapView(bool write) const {
  if (fd_ < 0 || size_ == 0 || (write && readOnly_)) return {};
  int protection = PROT_READ | (write ? PROT_WRITE : 0);
  void* view = ::mmap(nullptr, size_, protection, MAP_SHARED, fd_, 0);
  if (view == MAP_FAILED) return {};
  return MappedView(static_cast<std::uint8_t*>(view), size_);
}

void NamedMapping::Close() {
  // Withdraw the name while still holding it, so no other creator can be overtaken.
  if (entryFd_ >= 0) {
    if (StillNamedBy(entryFd_, entryPath_)) ::unlink(entryPath_.c_str());
    ::close(entryFd_);
  }
  if (lockFd_ >= 0) {
    if (StillNamedBy(lockFd_, lockPath_)) ::unlink(lockPath_.c_str());
    ::close(lockFd_);
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = lockFd_ = entryFd_ = -1;
  size_ = 0;
  readOnly_ = true;
  lockPath_.clear();
  entryPath_.clear();
}

}  // namespace ossen
