// XFCE: xfdesktop's image properties in the xfconf channel xfce4-desktop, one per monitor and
// workspace, set and listed with xfconf-query.
#include <string_view>
#include <vector>

#include "desktop/backend_common.h"

namespace ossen {
namespace {

constexpr char kChannel[] = "xfce4-desktop";

bool IsImageProperty(std::string_view property) {
  return property.starts_with("/backdrop/") &&
         (property.ends_with("/last-image") || property.ends_with("/image-path"));
}

// The next line of `rest`, which moves past it.
std::string_view NextLine(std::string_view& rest) {
  const std::size_t end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

class XfceBackend : public KeepingDesktopBackend {
 public:
  explicit XfceBackend(int toolTimeoutMs) : KeepingDesktopBackend(DesktopKind::kXfce, toolTimeoutMs) {}

 protected:
  // The image properties and their values, from "xfconf-query -l -v" ("<property>  <value>").
  std::optional<OwnSettings> ReadOwnWallpaper() override {
    const ToolOutcome listed = Tools().Run({"xfconf-query", "-c", kChannel, "-p", "/backdrop", "-l", "-v"});
    // A fresh install has no /backdrop properties at all, and the tool says so with a failure.
    if (listed.result == ToolResult::kNotFound || listed.result == ToolResult::kTimedOut) return std::nullopt;
    OwnSettings settings;
    std::string_view rest = listed.output;
    while (!rest.empty()) {
      const std::string_view line = NextLine(rest);
      const std::size_t gap = line.find_first_of(" \t");
      const std::string_view property = line.substr(0, gap);
      std::string_view value = gap == std::string_view::npos ? std::string_view() : line.substr(gap);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      if (IsImageProperty(property) && IsAcceptableOwnSetting(property, value))
        settings.emplace_back(std::string(property), std::string(value));
    }
    return settings;
  }

  bool Show(const std::string& hostPath) override {
    const std::optional<OwnSettings> existing = ReadOwnWallpaper();
    if (!existing) return false;
    std::vector<std::string> properties;
    for (const auto& [property, value] : *existing)
      if (property.ends_with("/last-image") || property.ends_with("/image-path")) properties.push_back(property);
    bool create = false;
    if (properties.empty()) {
      // A fresh install: one property per connected output, on the first workspace.
      create = true;
      std::vector<std::string> outputs = ConnectedOutputs();
      if (outputs.empty()) outputs.push_back("0");
      for (const std::string& output : outputs)
        properties.push_back("/backdrop/screen0/monitor" + output + "/workspace0/last-image");
    }
    bool ok = true;
    for (const std::string& property : properties) {
      // The empty text first: xfdesktop reloads only when the value changes, and the same
      // file name comes back with a new picture.
      ToolArgs clear = {"xfconf-query", "-c", kChannel, "-p", property};
      if (create) clear.insert(clear.end(), {"-n", "-t", "string"});
      clear.insert(clear.end(), {"-s", ""});
      ok = Tools().Ok(clear) && SetProperty(property, hostPath) && ok;
    }
    return ok;
  }

  bool PutBack(const OwnSettings& own) override {
    const std::optional<OwnSettings> now = ReadOwnWallpaper();
    bool ok = true;
    for (const auto& [property, value] : own)
      if (IsImageProperty(property)) ok = SetProperty(property, value) && ok;
    // Properties ossen created on a fresh install go again, so xfdesktop shows its default.
    if (now) {
      for (const auto& [property, value] : *now) {
        bool kept = false;
        for (const auto& setting : own) kept = kept || setting.first == property;
        if (!kept) ok = Tools().Ok({"xfconf-query", "-c", kChannel, "-p", property, "-r"}) && ok;
      }
    }
    return ok;
  }

 private:
  bool SetProperty(const std::string& property, const std::string& value) {
    return Tools().Ok({"xfconf-query", "-c", kChannel, "-p", property, "-s", value});
  }

  // The outputs xrandr reports as connected ("<name> connected ...").
  std::vector<std::string> ConnectedOutputs() {
    std::vector<std::string> outputs;
    const ToolOutcome query = Tools().Run({"xrandr", "--query"});
    std::string_view rest = query.output;
    while (!rest.empty()) {
      const std::string_view line = NextLine(rest);
      const std::size_t gap = line.find(' ');
      if (gap != std::string_view::npos && gap > 0 && line.substr(gap).starts_with(" connected"))
        outputs.emplace_back(line.substr(0, gap));
    }
    return outputs;
  }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakeXfceBackend(int toolTimeoutMs) { return std::make_unique<XfceBackend>(toolTimeoutMs); }

}  // namespace ossen
