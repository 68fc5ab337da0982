// XFCE: xfdesktop's image properties in the xfconf channel xfce4-desktop, one per monitor and
// workspace, set and listed with xfconf-query.
#include <string_view>
#include <vector>

#include "desktop/backend_common.h"

namespace ossen {
namespace {

constexpr char kChannel[] = "xfce4-desktop";
// What a kept setting's name begins with when ossen created the property: it is removed
// again on give-back, where a property that was there before gets its old value back.
constexpr std::string_view kCreatedMark = "new:";

bool IsImageProperty(std::string_view property) {
  return property.starts_with("/backdrop/") &&
         (property.ends_with("/last-image") || property.ends_with("/image-path"));
}

bool IsStyleProperty(std::string_view property) {
  return property.starts_with("/backdrop/") && property.ends_with("/image-style");
}

// The image-style beside an image property ("<monitor>/<workspace>/image-style").
std::string StylePropertyOf(std::string_view imageProperty) {
  return std::string(imageProperty.substr(0, imageProperty.rfind('/'))) + "/image-style";
}

// xfdesktop's image-style for the placement.
const char* ImageStyle(WallpaperPlacement placement) {
  switch (placement) {
    case WallpaperPlacement::Fill: return "5";     // zoomed
    case WallpaperPlacement::Fit: return "4";      // scaled
    case WallpaperPlacement::Stretch: return "3";  // stretched
    case WallpaperPlacement::Center: return "1";   // centred
    case WallpaperPlacement::Tile: return "2";     // tiled
    case WallpaperPlacement::Span: return "6";     // spanning
  }
  return "5";
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
  // The image and image-style properties and their values, from "xfconf-query -l -v"
  // ("<property>  <value>").
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
      if ((IsImageProperty(property) || IsStyleProperty(property)) && IsAcceptableOwnSetting(property, value))
        settings.emplace_back(std::string(property), std::string(value));
    }
    return settings;
  }

  bool Show(const WallpaperRequest& request) override {
    const std::optional<OwnSettings> existing = ReadOwnWallpaper();
    if (!existing) return false;
    auto exists = [&](const std::string& property) {
      for (const auto& setting : *existing)
        if (setting.first == property) return true;
      return false;
    };
    std::vector<std::string> images;
    for (const auto& [property, value] : *existing)
      if (IsImageProperty(property)) images.push_back(property);
    if (images.empty()) {
      // A fresh install: one property per connected output, on the first workspace.
      std::vector<std::string> outputs = ConnectedOutputs();
      if (outputs.empty()) outputs.push_back("0");
      for (const std::string& output : outputs)
        images.push_back("/backdrop/screen0/monitor" + output + "/workspace0/last-image");
    }
    bool ok = true;
    for (const std::string& image : images) {
      // The placement first, then the picture: the empty text before it, since xfdesktop
      // reloads only when the value changes.
      ok = Set(StylePropertyOf(image), "int", ImageStyle(request.placement), exists(StylePropertyOf(image))) && ok;
      ok = Set(image, "string", "", exists(image)) && SetProperty(image, request.picturePath) && ok;
    }
    return ok;
  }

  // Properties that were there get their old values; only those ossen created go again, so
  // that xfdesktop shows its own default where it did before.
  bool PutBack(const OwnSettings& own) override {
    bool ok = true;
    for (const auto& [name, value] : own)
      if (IsImageProperty(name) || IsStyleProperty(name)) ok = SetProperty(name, value) && ok;
    for (const auto& [name, value] : own) {
      if (!name.starts_with(kCreatedMark)) continue;
      const std::string_view property = std::string_view(name).substr(kCreatedMark.size());
      if (IsImageProperty(property) || IsStyleProperty(property))
        ok = Tools().Ok({"xfconf-query", "-c", kChannel, "-p", std::string(property), "-r"}) && ok;
    }
    return ok;
  }

 private:
  bool SetProperty(const std::string& property, const std::string& value) {
    return Tools().Ok({"xfconf-query", "-c", kChannel, "-p", property, "-s", value});
  }

  // Sets a property, creating it (and noting that ossen did) when it is not there yet.
  bool Set(const std::string& property, const char* type, const std::string& value, bool exists) {
    if (exists) return SetProperty(property, value);
    KeepAlso({std::string(kCreatedMark) + property, ""});
    return Tools().Ok({"xfconf-query", "-c", kChannel, "-p", property, "-n", "-t", type, "-s", value});
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
