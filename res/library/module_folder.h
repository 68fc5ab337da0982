// A loadable module in the making: a folder holding one file per resource, "<TYPE>/<NAME>",
// and the Qt resource list (.qrc) that names each at "/<TYPE>/<NAME>" in the module, which
// `rcc -binary -no-compress` turns into the module file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "image/global_block.h"

namespace ossen {

class ModuleFolder {
 public:
  explicit ModuleFolder(std::filesystem::path root) : root_(std::move(root)) {}

  // Writes the resource's bytes to <root>/<TYPE>/<NAME>, replacing an older file. Type and
  // name are upper-case ASCII letters, digits or '_' (module lookups upper-case what they
  // are given); false for anything else or when the file cannot be written.
  bool Add(std::string_view type, std::string_view name, ByteView bytes);

  // Writes the resource list of everything added, in the order added, to `qrcName` in the
  // root; its path, or an empty path when it cannot be written.
  std::filesystem::path WriteResourceList(std::string_view qrcName) const;

  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
  std::vector<std::string> entries_;  // "TYPE/NAME"
};

// The command line that makes the module file `output` from the resource list `qrc` with
// the rcc program at `rcc`. The file holds no time stamps, so the same resources always
// give the same bytes.
std::vector<std::string> RccCommand(const std::string& rcc, const std::string& qrc, const std::string& output);

}  // namespace ossen
