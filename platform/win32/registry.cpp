#include "platform/win32/registry.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/autostart.h"
#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {

namespace {

enum class Hive { kLocalMachine, kCurrentUser };

// What a handle stands for: a key path in one hive, and what the opener may do with it.
struct OpenKey {
  Hive hive;
  std::string path;  // below the hive's root, "" for the root
  REGSAM access;
};

std::uintptr_t HandleValue(HKEY key) { return reinterpret_cast<std::uintptr_t>(key); }

std::optional<Hive> PredefinedHive(HKEY key) {
  if (key == HKEY_CURRENT_USER) return Hive::kCurrentUser;
  if (key == HKEY_LOCAL_MACHINE) return Hive::kLocalMachine;
  return std::nullopt;
}

bool IsPredefinedRange(std::uintptr_t value) { return value >= 0x80000000u && value <= 0x800000ffu; }

// The keys this process has open. It lives until exit, so handles nobody closed are
// released with it.
class OpenKeyTable {
 public:
  static OpenKeyTable& Instance() {
    static OpenKeyTable table;
    return table;
  }

  HKEY Add(OpenKey key) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (keys_.count(next_) || IsPredefinedRange(next_) || next_ == 0) next_ += 4;
    std::uintptr_t value = next_;
    next_ += 4;
    keys_.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
  }

  std::optional<OpenKey> Find(HKEY handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = keys_.find(HandleValue(handle));
    if (it == keys_.end()) return std::nullopt;
    return it->second;
  }

  bool Remove(HKEY handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return keys_.erase(HandleValue(handle)) == 1;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::uintptr_t, OpenKey> keys_;
  std::uintptr_t next_ = 0x1000;
};

// A predefined root or an open key; nothing for any other handle.
std::optional<OpenKey> Resolve(HKEY key) {
  if (std::optional<Hive> hive = PredefinedHive(key)) return OpenKey{*hive, std::string(), KEY_ALL_ACCESS};
  return OpenKeyTable::Instance().Find(key);
}

// One hive file in the prefix, read whole and replaced whole.
class HiveFile {
 public:
  explicit HiveFile(Hive hive)
      : fileName_(hive == Hive::kCurrentUser ? "user.reg" : "system.reg"),
        rootName_(hive == Hive::kCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE") {
    std::string prefix = PrefixDir();
    path_ = prefix + "/" + fileName_;
    lockPath_ = prefix + "/." + fileName_ + ".lock";
  }

  // The hive as the file holds it now; a file that cannot be read gives an empty hive.
  // A page of dates asks for the date settings dozens of times: the file is parsed again only
  // when it is another file than last time (every write renames a new one into place) or
  // was changed in place (size or times differ), and after each write of this process.
  std::shared_ptr<const RegistryHive> Read() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return Parsed();
    const FileIdentity identity{info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
                                info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
    LastRead& last = LastRead::Instance();
    std::lock_guard<std::mutex> lock(last.mutex);
    auto known = last.hives.find(path_);
    if (known != last.hives.end() && known->second.first == identity) return known->second.second;
    std::shared_ptr<const RegistryHive> hive = Parsed();
    last.hives[path_] = {identity, hive};
    return hive;
  }

  // Under the lock: reads the file, lets `change` edit the hive and writes the result
  // back if `change` succeeded and reported a change. A file that cannot be read is
  // left alone rather than replaced by what little we know.
  template <typename Change>
  LONG Update(Change change) {
    ExclusiveFileLock lock(lockPath_);
    if (!lock.held()) return ERROR_CANTWRITE;
    RegistryHive hive(rootName_);
    if (!Load(hive)) return ERROR_CANTWRITE;
    bool changed = false;
    LONG result = change(hive, changed);
    if (result != ERROR_SUCCESS || !changed) return result;
    // Never write a hive that the next read would refuse.
    std::string text = hive.Serialize();
    if (text.size() > kMaxHiveBytes || hive.ItemCount() > kMaxHiveItems) {
      Trace("registry: %s would grow past what a hive may hold; change refused", fileName_.c_str());
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    // The new file may reuse the inode of one read before, within the same clock tick.
    LastRead::Instance().Forget(path_);
    return WriteFileAtomically(path_, text.data(), text.size()) ? ERROR_SUCCESS : ERROR_CANTWRITE;
  }

 private:
  struct FileIdentity {
    dev_t device;
    ino_t inode;
    off_t size;
    time_t modified;
    long modifiedNs;
    time_t changed;
    long changedNs;
    bool operator==(const FileIdentity&) const = default;
  };

  // The hive each file held when this process last parsed it.
  struct LastRead {
    static LastRead& Instance() {
      static LastRead last;
      return last;
    }
    void Forget(const std::string& path) {
      std::lock_guard<std::mutex> lock(mutex);
      hives.erase(path);
    }
    std::mutex mutex;
    std::map<std::string, std::pair<FileIdentity, std::shared_ptr<const RegistryHive>>> hives;
  };

  std::shared_ptr<const RegistryHive> Parsed() const {
    auto hive = std::make_shared<RegistryHive>(rootName_);
    Load(*hive);
    return hive;
  }

  bool Load(RegistryHive& hive) const {
    std::vector<std::uint8_t> bytes;
    switch (ReadFileBytes(path_, kMaxHiveBytes, bytes)) {
      case ReadResult::kOk:
        return hive.Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), fileName_);
      case ReadResult::kMissing:
        return true;  // an empty hive; the first change creates the file
      case ReadResult::kTooLarge:
        Trace("registry: %s is larger than %zu bytes; not read", path_.c_str(), kMaxHiveBytes);
        return false;
      case ReadResult::kError:
        break;
    }
    Trace("registry: cannot read %s (errno %d)", path_.c_str(), errno);
    return false;
  }

  std::string fileName_;
  std::string rootName_;
  std::string path_;
  std::string lockPath_;
};

std::string ChildPath(const std::string& parent, const char* subKey) {
  if (subKey == nullptr || *subKey == '\0') return parent;
  return parent.empty() ? std::string(subKey) : parent + "\\" + subKey;
}

std::string_view ValueName(const char* name) { return name ? std::string_view(name) : std::string_view(); }

}  // namespace

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD /*options*/, REGSAM access, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::optional<OpenKey> parent = Resolve(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  std::string path = ChildPath(parent->path, subKey);
  if (!RegistryHive::IsStorableKeyPath(path)) return ERROR_FILE_NOT_FOUND;
  if (!HiveFile(parent->hive).Read()->KeyExists(path)) return ERROR_FILE_NOT_FOUND;
  *result = OpenKeyTable::Instance().Add(OpenKey{parent->hive, std::move(path), access});
  return ERROR_SUCCESS;
}

LONG RegCreateKey(HKEY key, const char* subKey, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::optional<OpenKey> parent = Resolve(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  std::string path = ChildPath(parent->path, subKey);
  if (!RegistryHive::IsStorableKeyPath(path)) return ERROR_INVALID_PARAMETER;
  if (path != parent->path) {
    if (!(parent->access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    LONG created = HiveFile(parent->hive).Update([&](RegistryHive& hive, bool& changed) {
      if (hive.KeyExists(path)) return ERROR_SUCCESS;
      changed = hive.CreateKey(path);
      return changed ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    });
    if (created != ERROR_SUCCESS) return created;
  }
  *result = OpenKeyTable::Instance().Add(OpenKey{parent->hive, std::move(path), KEY_ALL_ACCESS});
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  std::optional<OpenKey> open = Resolve(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;

  const std::shared_ptr<const RegistryHive> hive = HiveFile(open->hive).Read();
  const HiveValue* value = hive->FindValue(open->path, ValueName(name));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  if (size == nullptr) return ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(value->data.size());  // a hive is far below 4 GiB
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    if (needed > 0) std::memcpy(data, value->data.data(), needed);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size) {
  if ((data == nullptr && size > 0) || size > kMaxHiveBytes) return ERROR_INVALID_PARAMETER;
  if (!RegistryHive::IsStorableValueName(ValueName(name))) return ERROR_INVALID_PARAMETER;
  std::optional<OpenKey> open = Resolve(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;

  std::vector<BYTE> bytes(data, data + size);
  LONG result = HiveFile(open->hive).Update([&](RegistryHive& hive, bool& changed) {
    // The same value again leaves the file as it is: the program writes its Run value at
    // every start, and each write is a flush to disk.
    const HiveValue* stored = hive.FindValue(open->path, ValueName(name));
    if (stored != nullptr && stored->type == type && stored->data == bytes) return ERROR_SUCCESS;
    changed = hive.SetValue(open->path, ValueName(name), type, std::move(bytes));
    return changed ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  });
  // The desktop starts the Run key's programs at logon through its own autostart entries.
  if (result == ERROR_SUCCESS && open->hive == Hive::kLocalMachine && EqualNamesIgnoringCase(open->path, kRunKeyPath))
    SyncAutostartEntries();
  return result;
}

LONG RegDeleteValue(HKEY key, const char* name) {
  std::optional<OpenKey> open = Resolve(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  LONG result = HiveFile(open->hive).Update([&](RegistryHive& hive, bool& changed) {
    changed = hive.DeleteValue(open->path, ValueName(name));
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  // A logon entry that goes from the Run key takes its autostart entry with it.
  if (result == ERROR_SUCCESS && open->hive == Hive::kLocalMachine && EqualNamesIgnoringCase(open->path, kRunKeyPath))
    SyncAutostartEntries();
  return result;
}

LONG RegDeleteEmptyKey(HKEY key, const char* subKey) {
  std::optional<OpenKey> parent = Resolve(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  const std::string path = ChildPath(parent->path, subKey);
  if (path == parent->path || !RegistryHive::IsStorableKeyPath(path)) return ERROR_INVALID_PARAMETER;
  return HiveFile(parent->hive).Update([&](RegistryHive& hive, bool& changed) {
    if (!hive.KeyExists(path)) return ERROR_FILE_NOT_FOUND;
    changed = hive.DeleteEmptyKey(path);
    return changed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
  });
}

LONG RegCloseKey(HKEY key) {
  if (PredefinedHive(key)) return ERROR_SUCCESS;
  return OpenKeyTable::Instance().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace ossen
