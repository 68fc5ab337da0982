#include "platform/win32/module.h"

#include <QByteArray>
#include <QResource>
#include <QString>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <memory>
#include <mutex>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"
#include "platform/win32/paths.h"
#include "product/product_names.h"

namespace ossen {

// The bytes of a loaded module: its file mapped read-only, or an image handed over in
// memory. A mapped file costs memory only for the pages that are read (the tree and the
// resources in use), not for the whole picture library.
class ModuleBytes {
 public:
  ModuleBytes() = default;
  explicit ModuleBytes(std::vector<std::uint8_t> owned) : owned_(std::move(owned)) {
    data_ = owned_.data();
    size_ = owned_.size();
  }
  ModuleBytes(const ModuleBytes&) = delete;
  ModuleBytes& operator=(const ModuleBytes&) = delete;
  ~ModuleBytes() {
    if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  }

  // Maps the whole file; false (with the reason traced) when it cannot be mapped, is empty
  // or is larger than kMaxModuleFileBytes.
  bool MapFile(const std::string& hostPath) {
    UniqueFd fd(::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
      Trace("LoadLibrary: cannot read %s (errno %d)", hostPath.c_str(), errno);
      return false;
    }
    if (info.st_size <= 0 || static_cast<std::uint64_t>(info.st_size) > kMaxModuleFileBytes) {
      Trace("LoadLibrary: %s is %s", hostPath.c_str(), info.st_size <= 0 ? "empty" : "too large");
      return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (mapping == MAP_FAILED) {
      Trace("LoadLibrary: cannot map %s (errno %d)", hostPath.c_str(), errno);
      return false;
    }
    data_ = static_cast<const std::uint8_t*>(mapping);
    size_ = size;
    mapped_ = true;
    return true;
  }

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

  // Hands the mapped pages back: after the whole file has been checked (the check reads a
  // word of every resource, and the kernel maps the pages around each read, so without
  // this nearly the whole library would stay resident) and when the process empties its
  // working set. Pages read later come back on demand; nothing is ever written to them.
  void DropResidentPages() {
    if (mapped_) ::madvise(const_cast<std::uint8_t*>(data_), size_, MADV_DONTNEED);
  }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
  std::vector<std::uint8_t> owned_;
};

}  // namespace ossen

// A module as the table hands it out. The program's own module lives for the whole run; a
// loaded one holds the bytes of its file, which Qt reads in place while it is registered.
struct ossen::HINSTANCE__ {
  std::string hostPath;           // the file; empty for the program's own module
  std::string mapRoot;            // where Qt shows the module's tree ("/ossen-module-3")
  std::unique_ptr<ossen::ModuleBytes> image;  // a loaded module's file, as registered
  int loadCount = 0;
  std::map<std::string, std::unique_ptr<HRSRC__>> found;  // by path inside the module
};

// One resource that FindResource found: where its bytes are and how many.
struct ossen::HRSRC__ {
  const std::uint8_t* bytes = nullptr;
  DWORD size = 0;
  QByteArray inflated;  // only for a compiled-in resource that rcc compressed
};

namespace ossen {

// ---------------------------------------------------------------------------------------
// Resource ids

ResourceId::ResourceId(int id) {
  isInteger_ = true;
  valid_ = id >= 1 && id <= 0xFFFF;
  id_ = valid_ ? static_cast<WORD>(id) : 0;
}

ResourceId::ResourceId(const char* name) {
  if (name) SetText(name, std::strlen(name));
}

ResourceId::ResourceId(const std::string& name) { SetText(name.data(), name.size()); }

void ResourceId::SetText(const char* name, std::size_t length) {
  if (length == 0 || std::memchr(name, '/', length) || std::memchr(name, '\0', length)) return;
  // "#123" is the integer id 123.
  if (name[0] == '#' && length >= 2 && length <= 6) {
    long value = 0;
    bool digits = true;
    for (std::size_t i = 1; i < length; ++i) {
      if (name[i] < '0' || name[i] > '9') {
        digits = false;
        break;
      }
      value = value * 10 + (name[i] - '0');
    }
    if (digits) {
      *this = ResourceId(static_cast<int>(value));
      return;
    }
  }
  text_.assign(name, length);
  for (char& c : text_) c = AsciiUpper(c);
  valid_ = true;
}

std::string ResourceId::PathComponent() const {
  if (!valid_) return {};
  return isInteger_ ? "#" + std::to_string(id_) : text_;
}

namespace {

// ---------------------------------------------------------------------------------------
// Checking a resource file before Qt reads it
//
// Qt trusts the offsets inside a registered file. So the whole tree that a lookup can walk
// is checked first: the header, every directory's child range, every node's name and every
// file's data must lie inside the image. Layout (big-endian integers):
//   header: "qres", version (1 to 3), tree offset, data offset, names offset, [flags: v3]
//   node:   name offset (4), flags (2), then for a directory child count (4) and first
//           child index (4), for a file territory (2), language (2), data offset (4);
//           from version 2 on, 8 more bytes of modification time
//   name:   length in UTF-16 units (2), hash (4), the units
//   data:   length (4), the bytes
class ResourceImageCheck {
 public:
  ResourceImageCheck(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool IsSound() {
    if (size_ < 20 || std::memcmp(bytes_, "qres", 4) != 0) return false;
    const std::uint32_t version = Read32(4);
    if (version < 1 || version > 3) return false;
    tree_ = Read32(8);
    data_ = Read32(12);
    names_ = Read32(16);
    if (version >= 3 && (size_ < 24 || Read32(20) != 0)) return false;  // no compression
    nodeSize_ = version >= 2 ? 22 : 14;
    if (tree_ >= size_ || data_ >= size_ || names_ >= size_) return false;
    nodeCount_ = (size_ - tree_) / nodeSize_;
    if (nodeCount_ == 0) return false;
    return WalkTree();
  }

 private:
  static constexpr std::uint16_t kDirectory = 0x02;

  std::uint32_t Read32(std::uint64_t at) const {
    const std::uint8_t* p = bytes_ + at;
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
  }
  std::uint16_t Read16(std::uint64_t at) const {
    return static_cast<std::uint16_t>((bytes_[at] << 8) | bytes_[at + 1]);
  }
  bool Fits(std::uint64_t at, std::uint64_t length) const {
    return at <= size_ && length <= size_ - at;
  }
  std::uint64_t NodeAt(std::uint64_t index) const { return tree_ + index * nodeSize_; }

  bool NameIsSound(std::uint64_t node) const {
    const std::uint64_t at = std::uint64_t{names_} + Read32(node);
    if (!Fits(at, 6)) return false;
    return Fits(at + 6, std::uint64_t{Read16(at)} * 2);
  }

  bool DataIsSound(std::uint64_t node) const {
    const std::uint64_t at = std::uint64_t{data_} + Read32(node + 10);
    if (!Fits(at, 4)) return false;
    return Fits(at + 4, Read32(at));
  }

  // Every node reachable from the root (node 0, a directory) is checked once. A sound file
  // gives each node one parent, so more child links than nodes mean a hostile file (and
  // would make the walk slow).
  bool WalkTree() {
    std::vector<bool> seen(nodeCount_, false);
    std::vector<std::uint64_t> directories{0};
    seen[0] = true;
    if (!NameIsSound(NodeAt(0)) || !(Read16(NodeAt(0) + 4) & kDirectory)) return false;
    std::uint64_t links = 0;
    while (!directories.empty()) {
      const std::uint64_t node = NodeAt(directories.back());
      directories.pop_back();
      const std::uint64_t count = Read32(node + 6);
      const std::uint64_t first = Read32(node + 10);
      if (count == 0) continue;
      if (count > nodeCount_ || first > nodeCount_ - count) return false;
      links += count;
      if (links > nodeCount_) return false;
      for (std::uint64_t child = first; child < first + count; ++child) {
        const std::uint64_t at = NodeAt(child);
        if (!NameIsSound(at)) return false;
        const std::uint16_t flags = Read16(at + 4);
        if (flags & ~kDirectory) return false;  // compressed data would not be the bytes
        if (flags & kDirectory) {
          if (!seen[child]) directories.push_back(child);
        } else if (!DataIsSound(at)) {
          return false;
        }
        seen[child] = true;
      }
    }
    return true;
  }

  const std::uint8_t* bytes_;
  std::size_t size_;
  std::uint32_t tree_ = 0;
  std::uint32_t data_ = 0;
  std::uint32_t names_ = 0;
  std::uint64_t nodeSize_ = 22;
  std::uint64_t nodeCount_ = 0;
};

// ---------------------------------------------------------------------------------------
// The module table

class ModuleTable {
 public:
  static ModuleTable& Instance() {
    static ModuleTable table;
    return table;
  }

  HMODULE Program() { return &program_; }

  HMODULE LoadFile(const std::string& hostPath) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& module : loaded_) {
      if (module->hostPath == hostPath) {
        ++module->loadCount;
        return module.get();
      }
    }
    auto image = std::make_unique<ModuleBytes>();
    if (!image->MapFile(hostPath)) return nullptr;
    HMODULE module = Register(std::move(image), hostPath);
    if (!module) Trace("LoadLibrary: %s is not a sound resource file", hostPath.c_str());
    return module;
  }

  HMODULE LoadImage(std::vector<std::uint8_t> image) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (image.size() > kMaxModuleFileBytes) return nullptr;
    return Register(std::make_unique<ModuleBytes>(std::move(image)), std::string());
  }

  BOOL Free(HMODULE module) {
    if (!module) return 0;
    if (module == &program_) return 1;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(loaded_.begin(), loaded_.end(),
                           [module](const auto& m) { return m.get() == module; });
    if (it == loaded_.end()) return 0;
    if (--module->loadCount > 0) return 1;
    QResource::unregisterResource(module->image->data(), QString::fromStdString(module->mapRoot));
    loaded_.erase(it);  // unmaps the file
    return 1;
  }

  // Finds (once) and remembers the resource at `path` inside the module.
  HRSRC Find(HMODULE module, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (module != &program_ && !IsLoaded(module)) return nullptr;
    auto known = module->found.find(path);
    if (known != module->found.end()) return known->second.get();

    // Names are single-byte texts: each byte is the character of that code.
    const std::string fullPath = ":" + module->mapRoot + path;
    QResource resource(QString::fromLatin1(fullPath.data(), static_cast<qsizetype>(fullPath.size())));
    if (!resource.isValid()) return nullptr;  // a folder passes, but has no bytes (below)
    auto record = std::make_unique<HRSRC__>();
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
      record->bytes = resource.data();
      if (resource.size() < 0 || resource.size() > 0xFFFFFFFF) return nullptr;
      record->size = static_cast<DWORD>(resource.size());
    } else {
      // Only a compiled-in resource can be compressed: loaded files are refused if they are.
      record->inflated = resource.uncompressedData();
      record->bytes = reinterpret_cast<const std::uint8_t*>(record->inflated.constData());
      record->size = static_cast<DWORD>(record->inflated.size());
    }
    // Qt searches every registered tree for a path; make sure the bytes are this module's.
    if (!record->bytes || !BelongsTo(module, record->bytes, record->size)) return nullptr;
    HRSRC handle = record.get();
    module->found.emplace(path, std::move(record));
    return handle;
  }

  // A loaded module whose file has this name (any case), without counting a load.
  HMODULE LoadedByFileName(const std::string& fileName) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& module : loaded_) {
      const std::size_t slash = module->hostPath.rfind('/');
      if (!module->hostPath.empty() && slash != std::string::npos &&
          EqualNamesIgnoringCase(std::string_view(module->hostPath).substr(slash + 1), fileName))
        return module.get();
    }
    return nullptr;
  }

  void DropResidentPages() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& module : loaded_) module->image->DropResidentPages();
  }

  bool Owns(HMODULE module, HRSRC resource) {
    if (!module || !resource) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (module != &program_ && !IsLoaded(module)) return false;
    return std::any_of(module->found.begin(), module->found.end(),
                       [resource](const auto& entry) { return entry.second.get() == resource; });
  }

 private:
  ModuleTable() { program_.mapRoot = kProgramModuleRoot; }
  // At exit Qt's list of trees may outlive the table: it must not point at freed bytes.
  ~ModuleTable() {
    for (const auto& module : loaded_)
      QResource::unregisterResource(module->image->data(), QString::fromStdString(module->mapRoot));
  }

  HMODULE Register(std::unique_ptr<ModuleBytes> image, std::string hostPath) {
    if (!ResourceImageCheck(image->data(), image->size()).IsSound()) return nullptr;
    image->DropResidentPages();
    auto module = std::make_unique<HINSTANCE__>();
    module->hostPath = std::move(hostPath);
    module->mapRoot = "/ossen-module-" + std::to_string(++serial_);
    module->image = std::move(image);
    module->loadCount = 1;
    if (!QResource::registerResource(module->image->data(), QString::fromStdString(module->mapRoot)))
      return nullptr;
    loaded_.push_back(std::move(module));
    return loaded_.back().get();
  }

  bool IsLoaded(HMODULE module) const {
    return std::any_of(loaded_.begin(), loaded_.end(),
                       [module](const auto& m) { return m.get() == module; });
  }

  static bool Inside(const ModuleBytes& image, const std::uint8_t* bytes, DWORD size) {
    const auto begin = reinterpret_cast<std::uintptr_t>(image.data());
    const auto at = reinterpret_cast<std::uintptr_t>(bytes);
    return at >= begin && at - begin <= image.size() && size <= image.size() - (at - begin);
  }

  bool BelongsTo(HMODULE module, const std::uint8_t* bytes, DWORD size) const {
    if (module != &program_) return Inside(*module->image, bytes, size);
    return std::none_of(loaded_.begin(), loaded_.end(),
                        [&](const auto& m) { return Inside(*m->image, bytes, size); });
  }

  std::mutex mutex_;
  HINSTANCE__ program_;
  std::vector<std::unique_ptr<HINSTANCE__>> loaded_;
  unsigned serial_ = 0;
};

// ---------------------------------------------------------------------------------------
// Finding a module's file

// The file `name` in the host folder, in the case it is written or, failing that, in any
// case; "" when there is none.
std::string FindInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return {};
  const std::string exact = folder + "/" + name;
  if (IsRegularFile(exact)) return exact;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return {};
  while (const dirent* entry = ::readdir(dir.get())) {
    if (EqualNamesIgnoringCase(entry->d_name, name)) {
      std::string candidate = folder + "/" + entry->d_name;
      if (IsRegularFile(candidate)) return candidate;
    }
  }
  return {};
}

std::string CurrentFolder() {
  char path[4096];
  return ::getcwd(path, sizeof path) ? std::string(path) : std::string();
}

// "OssenDLL", "OssenDLL.dll" and "OssenDLL.rcc" all name the file "OssenDLL.rcc".
std::string ModuleFileName(std::string name) {
  if (EndsWithIgnoringCase(name, ".dll") || EndsWithIgnoringCase(name, ".rcc"))
    name.resize(name.size() - 4);
  return name + ".rcc";
}

std::string SearchModuleFile(const std::string& fileName) {
  std::vector<std::string> folders{ExecutableFolder(), CurrentFolder(),
                                   HostPathFromWin(product::kUserProgramFolder),
                                   InstalledDataFolder(),
                                   HostPathFromWin(kSystemDirectory),
                                   HostPathFromWin(kWindowsDirectory)};
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest(path);
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string_view folder = rest.substr(0, colon);
      if (!folder.empty()) folders.emplace_back(folder);  // an empty entry is the current one
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
  }
  for (const std::string& folder : folders) {
    std::string found = FindInFolder(folder, fileName);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The Win32-shaped operations

std::string ExecutableFolder() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string exe(path, static_cast<std::size_t>(length));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::string InstalledDataFolder() {
  const std::string exe = ExecutableFolder();
  return exe.empty() ? std::string() : exe + "/" + OSSEN_INSTALLED_DATA_FROM_PROGRAMS;
}

HMODULE LoadLibrary(const char* name) {
  if (!name || !*name) return nullptr;
  const std::string given(name);
  std::string hostPath;
  if (given.find_first_of("\\/:") != std::string::npos) {
    // A path: that file only, with the module extension in place of its own.
    const std::string winPath = given.substr(0, given.find_last_of("\\/:") + 1) +
                                ModuleFileName(given.substr(given.find_last_of("\\/:") + 1));
    hostPath = HostPathFromWin(winPath);
    if (!IsRegularFile(hostPath)) hostPath.clear();
  } else {
    hostPath = SearchModuleFile(ModuleFileName(given));
  }
  if (hostPath.empty()) {
    Trace("LoadLibrary: %s not found", name);
    return nullptr;
  }
  char resolved[PATH_MAX];
  if (::realpath(hostPath.c_str(), resolved)) hostPath = resolved;
  Trace("LoadLibrary: %s is %s", name, hostPath.c_str());
  return ModuleTable::Instance().LoadFile(hostPath);
}

HMODULE LoadModuleFromImage(std::vector<std::uint8_t> image) {
  return ModuleTable::Instance().LoadImage(std::move(image));
}

BOOL FreeLibrary(HMODULE module) { return ModuleTable::Instance().Free(module); }

HMODULE GetModuleHandle(const char* name) {
  if (!name) return ModuleTable::Instance().Program();
  return ModuleTable::Instance().LoadedByFileName(ModuleFileName(name));
}

void EmptyWorkingSet() {
  ModuleTable::Instance().DropResidentPages();
  ::malloc_trim(0);
}

HRSRC FindResource(HMODULE module, const ResourceId& name, const ResourceId& type) {
  if (!name.IsValid() || !type.IsValid()) return nullptr;
  ModuleTable& table = ModuleTable::Instance();
  if (!module) module = table.Program();
  return table.Find(module, "/" + type.PathComponent() + "/" + name.PathComponent());
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  if (!module) module = ModuleTable::Instance().Program();
  return ModuleTable::Instance().Owns(module, resource) ? resource->size : 0;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (!module) module = ModuleTable::Instance().Program();
  if (!ModuleTable::Instance().Owns(module, resource)) return nullptr;
  return const_cast<std::uint8_t*>(resource->bytes);
}

const void* LockResource(HGLOBAL loaded) { return loaded; }

BOOL FreeResource(HGLOBAL /*loaded*/) { return 0; }

int LoadString(HINSTANCE module, UINT id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (id > 0xFFFF) return 0;
  HRSRC found = FindResource(module, static_cast<int>(id), RT_STRING);
  if (!found) return 0;
  const auto* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
  const DWORD length = SizeofResource(module, found);
  if (!text) return 0;
  const void* nul = std::memchr(text, '\0', length);
  const std::size_t textLength = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : length;
  const std::size_t copied = std::min(textLength, static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text, copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

}  // namespace ossen
