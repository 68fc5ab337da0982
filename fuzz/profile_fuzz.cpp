// Drives the profile parser and editor with arbitrary file contents.
//
// Checks that untouched text comes back byte for byte, and that after a few edits the
// text, parsed again, holds exactly what a simple model of sections and keys says.

#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/ascii_case.h"
#include "platform/win32/profile.h"

namespace {

using ossen::ProfileText;

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

// Section -> key -> value as read, all names upper-cased.
using Model = std::map<std::string, std::map<std::string, std::string>>;

Model Snapshot(const ProfileText& profile) {
  Model model;
  for (const std::string& section : profile.SectionNames()) {
    auto& keys = model[ossen::AsciiLowered(Trimmed(section))];
    for (const std::string& key : profile.KeyNames(section)) {
      std::optional<std::string> value = profile.Get(section, key);
      if (!value) std::abort();  // a listed key must be readable
      keys[ossen::AsciiLowered(Trimmed(key))] = *value;
    }
  }
  return model;
}

void DropEmptySections(Model& model) {
  for (auto it = model.begin(); it != model.end();) it = it->second.empty() ? model.erase(it) : std::next(it);
}

std::string AsRead(std::string_view value) {
  std::string text = Trimmed(value);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    text = text.substr(1, text.size() - 2);
  return text;
}

void SetAndModel(ProfileText& profile, Model& model, const std::string& section, const std::string& key,
                 std::string_view value) {
  std::string before = profile.Serialize();
  if (profile.Set(section, key, value))
    model[ossen::AsciiLowered(Trimmed(section))][ossen::AsciiLowered(Trimmed(key))] = AsRead(value);
  else if (profile.Serialize() != before)
    std::abort();  // a refused change must change nothing
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ProfileText profile = ProfileText::Parse(text);
  if (profile.Serialize() != text) std::abort();

  Model model = Snapshot(profile);
  std::vector<std::string> sections = profile.SectionNames();
  std::string first = sections.empty() ? "fuzz" : sections[0];
  std::vector<std::string> keys = profile.KeyNames(first);

  SetAndModel(profile, model, first, "FuzzKey", "  \"quoted\" ");
  if (!keys.empty()) SetAndModel(profile, model, first, keys.back(), text.substr(size / 2, 24));
  if (keys.size() >= 2 && profile.DeleteKey(first, keys[0])) model[ossen::AsciiLowered(Trimmed(first))].erase(ossen::AsciiLowered(Trimmed(keys[0])));
  if (sections.size() >= 2 && profile.DeleteSection(sections[1])) model.erase(ossen::AsciiLowered(Trimmed(sections[1])));
  SetAndModel(profile, model, "Fuzz New", "k", text.substr(0, 12));

  std::string written = profile.Serialize();
  ProfileText again = ProfileText::Parse(written);
  if (again.Serialize() != written) std::abort();
  Model expected = model, actual = Snapshot(again);
  DropEmptySections(expected);
  DropEmptySections(actual);
  if (actual != expected) std::abort();
  return 0;
}
