#include "desktop/backend_common.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "desktop/desktop_picture.h"
#include "platform/base/ascii_case.h"
#include "platform/base/trace.h"
#include "product/product_names.h"

namespace ossen {

ToolOutcome DesktopTools::Run(const ToolArgs& argv) {
  if (hung_) {
    ToolOutcome skipped;
    skipped.result = ToolResult::kTimedOut;
    return skipped;
  }
  ToolOutcome outcome = RunTool(argv, timeoutMs_);
  if (outcome.result == ToolResult::kTimedOut) hung_ = true;
  if (outcome.result != ToolResult::kOk) {
    std::string line;
    for (const std::string& arg : argv) line += (line.empty() ? "" : " ") + arg;
    Trace("desktop: %.160s: %s (exit %d)", line.c_str(), ToolResultName(outcome.result), outcome.exitCode);
    const std::string& tool = argv.empty() ? std::string("the tool") : argv.front();
    char reason[256] = "";
    if (outcome.result == ToolResult::kNotFound)
      std::snprintf(reason, sizeof reason, "%.80s is missing", tool.c_str());
    else if (outcome.result == ToolResult::kTimedOut)
      std::snprintf(reason, sizeof reason, "%.80s did not answer within %g s", tool.c_str(), timeoutMs_ / 1000.0);
    else
      std::snprintf(reason, sizeof reason, "%.80s failed (exit %d)", tool.c_str(), outcome.exitCode);
    failure_ = reason;
  }
  return outcome;
}

DesktopResult KeepingDesktopBackend::ShowWallpaper(const WallpaperRequest& request) {
  tools_.BeginChange();
  KeepOwnWallpaperOnce();
  DesktopResult result;
  result.shown = Show(request);
  if (!result.shown) result.reason = tools_.Failure().empty() ? "the desktop did not take it" : tools_.Failure();
  Trace("desktop: %s wallpaper %s (%s): %s%s", Name(), request.picturePath.c_str(),
        WallpaperPlacementName(request.placement), result.shown ? "shown" : "not shown: ", result.reason.c_str());
  return result;
}

void KeepingDesktopBackend::KeepAlso(const OwnSetting& setting) {
  OwnSettings own = LoadOwnWallpaper(Name()).value_or(OwnSettings{});
  for (const OwnSetting& kept : own)
    if (kept.first == setting.first) return;
  own.push_back(setting);
  SaveOwnWallpaper(Name(), own);
}

void KeepingDesktopBackend::KeepOwnWallpaperOnce() {
  if (LoadOwnWallpaper(Name())) return;
  std::optional<OwnSettings> own = ReadOwnWallpaper();
  if (!own) return;
  std::erase_if(*own, [](const OwnSetting& setting) { return NamesOurPicture(setting.second); });
  if (SaveOwnWallpaper(Name(), *own)) Trace("desktop: kept the %s desktop's own wallpaper", Name());
}

bool KeepingDesktopBackend::RestoreOwnWallpaper() {
  const std::optional<OwnSettings> own = LoadOwnWallpaper(Name());
  bool ok = false;
  if (own) {
    tools_.BeginChange();
    ok = PutBack(*own);
    // Forgotten once it is back (or when nothing was there to give back): the next painting
    // keeps whatever the person has by then.
    if (ok || own->empty()) ForgetOwnWallpaper(Name());
    Trace("desktop: %s own wallpaper %s", Name(), ok ? "put back" : "not put back");
  } else {
    Trace("desktop: nothing kept for the %s desktop", Name());
  }
  // The pictures ossen made for the desktop go in any case: this is also the removal run's
  // and the uninstaller's last word on them.
  const int removed = RemovePictureCopies(DesktopPictureFolder());
  if (removed > 0) Trace("desktop: %d picture copies removed", removed);
  std::error_code ignored;
  std::filesystem::remove(DesktopPictureFolder(), ignored);  // only when nothing else is in it
  return ok;
}

bool IsWallpaperCopyName(std::string_view name, bool ignoringCase) {
  constexpr std::string_view prefix = product::kWallpaperCopyPrefix;
  constexpr std::size_t suffixLength = 4;
  if (name.size() < prefix.size() + 1 + suffixLength) return false;
  const std::string_view head = name.substr(0, prefix.size());
  const std::string_view tail = name.substr(name.size() - suffixLength);
  auto same = [ignoringCase](std::string_view a, std::string_view b) {
    return ignoringCase ? EqualNamesIgnoringCase(a, b) : a == b;
  };
  const bool named = same(head, prefix) && (same(tail, ".jpg") || same(tail, ".bmp"));
  if (!named) return false;
  for (std::size_t i = prefix.size(); i + suffixLength < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

bool NamesOurPicture(const std::string& value) {
  const std::optional<std::string> path = PathFromFileUri(value);
  if (!path) return false;
  const std::string name = std::filesystem::path(*path).filename().string();
  return EqualNamesIgnoringCase(name, product::kWallpaperFile) || IsWallpaperCopyName(name, true);
}

std::string FileUriFromPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::optional<std::string> PathFromFileUri(std::string_view uri) {
  if (!uri.starts_with("file://")) return std::string(uri);
  uri.remove_prefix(7);
  // "file://host/path": only the local host (empty or "localhost") names a file here.
  if (uri.starts_with("localhost/")) uri.remove_prefix(9);
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    auto hex = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (i + 2 >= uri.size()) return std::nullopt;
    const int high = hex(uri[i + 1]), low = hex(uri[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return path;
}

std::string GVariantStringLiteral(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out + "'";
}

std::optional<std::string> ParseGVariantString(std::string_view output) {
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.remove_suffix(1);
  if (output.starts_with("@s ")) output.remove_prefix(3);
  if (output.size() < 2) return std::nullopt;
  const char quote = output.front();
  if ((quote != '\'' && quote != '"') || output.back() != quote) return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i + 1 < output.size(); ++i) {
    char c = output[i];
    if (c == quote) return std::nullopt;  // an unescaped quote ends the literal early
    if (c == '\\') {
      if (i + 2 >= output.size()) return std::nullopt;
      c = output[++i];
      if (c == 'n') c = '\n';
      else if (c == 't') c = '\t';
    }
    text += c;
  }
  return text;
}

}  // namespace ossen
