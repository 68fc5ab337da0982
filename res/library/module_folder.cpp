#include "res/library/module_folder.h"

#include <system_error>

#include "platform/base/file_io.h"

namespace ossen {
namespace {

bool IsResourceWord(std::string_view word) {
  if (word.empty()) return false;
  for (char c : word) {
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!allowed) return false;
  }
  return true;
}

}  // namespace

bool ModuleFolder::Add(std::string_view type, std::string_view name, ByteView bytes) {
  if (!IsResourceWord(type) || !IsResourceWord(name)) return false;
  const std::filesystem::path folder = root_ / std::string(type);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return false;
  const std::string path = (folder / std::string(name)).string();
  if (!WriteFileAtomically(path, bytes.data(), bytes.size())) return false;
  entries_.push_back(std::string(type) + "/" + std::string(name));
  return true;
}

std::filesystem::path ModuleFolder::WriteResourceList(std::string_view qrcName) const {
  std::string list = "<RCC>\n  <qresource prefix=\"/\">\n";
  for (const std::string& entry : entries_) list += "    <file alias=\"" + entry + "\">" + entry + "</file>\n";
  list += "  </qresource>\n</RCC>\n";
  const std::filesystem::path path = root_ / std::string(qrcName);
  if (!WriteFileAtomically(path.string(), list.data(), list.size())) return {};
  return path;
}

std::vector<std::string> RccCommand(const std::string& rcc, const std::string& qrc, const std::string& output) {
  // Format version 1 carries no modification times.
  return {rcc, "-binary", "-no-compress", "--format-version", "1", qrc, "-o", output};
}

}  // namespace ossen
