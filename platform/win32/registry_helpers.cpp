#include "platform/win32/registry_helpers.h"

#include <cstring>

namespace ossen {

namespace {

// Closes the key on every way out.
class KeyCloser {
 public:
  explicit KeyCloser(HKEY key) : key_(key) {}
  ~KeyCloser() {
    if (key_) RegCloseKey(key_);
  }
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;

 private:
  HKEY key_;
};

int WriteValue(HKEY root, const char* keyPath, const char* valueName, DWORD type, const BYTE* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKey(root, keyPath, &key) != ERROR_SUCCESS) return 0;
  KeyCloser closer(key);
  return RegSetValueEx(key, valueName, 0, type, data, size) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace

int RegReadString(HKEY root, const char* keyPath, const char* valueName, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyEx(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  KeyCloser closer(key);

  DWORD length = size;
  if (RegQueryValueEx(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length) != ERROR_SUCCESS) {
    buffer[0] = '\0';  // a failed query may have left anything there
    return 0;
  }
  if (length > 0 && buffer[length - 1] == '\0') return 1;
  if (length < size) {
    buffer[length] = '\0';
    return 1;
  }
  buffer[0] = '\0';  // it fits only without its terminator
  return 0;
}

int RegWriteString(HKEY root, const char* keyPath, const char* valueName, const char* text) {
  if (text == nullptr) return 0;
  DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
  return WriteValue(root, keyPath, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
}

int RegWriteDword(HKEY root, const char* keyPath, const char* valueName, DWORD value) {
  BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                   static_cast<BYTE>(value >> 24)};
  return WriteValue(root, keyPath, valueName, REG_DWORD, bytes, sizeof bytes);
}

std::string WithOneTrailingBackslash(std::string path) {
  while (path.size() > 1 && path.back() == '\\' && path[path.size() - 2] == '\\') path.pop_back();
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string ReadSourcePathFolder() {
  char sourcePath[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, sourcePath, sizeof sourcePath);
  return WithOneTrailingBackslash(sourcePath);
}

}  // namespace ossen
