// What the desktop backends share: running a desktop's tool within one change, the order of
// keeping, showing and giving back the person's own wallpaper, the texts the tools take and
// print, and the makers of each family's backend (one file per family).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "desktop/desktop_backend.h"
#include "desktop/own_wallpaper.h"
#include "desktop/tool_run.h"

namespace ossen {

using ToolArgs = std::vector<std::string>;

// Runs one backend's desktop tools. A tool that does not answer in time marks the desktop as
// hung and the rest of that change is skipped, so a desktop that hangs costs the program one
// timeout, not one per call.
class DesktopTools {
 public:
  explicit DesktopTools(int timeoutMs) : timeoutMs_(timeoutMs > 0 ? timeoutMs : kDefaultDesktopToolTimeoutMs) {}

  // A new change begins: a desktop that hung before is asked again.
  void BeginChange() {
    hung_ = false;
    failure_.clear();
  }
  // Runs argv[0] from PATH and traces what became of it when it did not succeed.
  ToolOutcome Run(const ToolArgs& argv);
  bool Ok(const ToolArgs& argv) { return Run(argv).result == ToolResult::kOk; }

  // Notes why the desktop did not take the change, in words for the person.
  void Refuse(std::string reason) { failure_ = std::move(reason); }
  // The last tool that did not succeed in this change ("xfconf-query is missing", "... failed
  // (exit 1)", "... did not answer within 5 s"), or what Refuse noted.
  const std::string& Failure() const { return failure_; }

 private:
  int timeoutMs_;
  bool hung_ = false;
  std::string failure_;
};

// A desktop whose own wallpaper is kept before ossen's first change and given back later.
// The order (keep once, show; load, put back, forget) is the same for every family; what is
// read, shown and put back is each family's own.
class KeepingDesktopBackend : public DesktopBackend {
 public:
  const char* Name() const override { return DesktopKindName(kind_); }
  DesktopResult ShowWallpaper(const WallpaperRequest& request) override;
  bool RestoreOwnWallpaper() override;

 protected:
  KeepingDesktopBackend(DesktopKind kind, int toolTimeoutMs) : kind_(kind), tools_(toolTimeoutMs) {}

  // The desktop's own setting as it is now; nullopt when the desktop cannot be asked.
  virtual std::optional<OwnSettings> ReadOwnWallpaper() = 0;
  // Shows the picture in the desktop's mode for the placement; true when the desktop took
  // it (else Tools().Failure() says why).
  virtual bool Show(const WallpaperRequest& request) = 0;
  // Puts back what was kept (an empty list: the desktop had no setting of its own).
  virtual bool PutBack(const OwnSettings& own) = 0;

  DesktopTools& Tools() { return tools_; }
  // Adds a setting to what is kept for this desktop (one ossen itself created, say), so that
  // PutBack sees it; a setting of that name already kept stays as it is.
  void KeepAlso(const OwnSetting& setting);

 private:
  void KeepOwnWallpaperOnce();

  DesktopKind kind_;
  DesktopTools tools_;
};

// True when a setting names a picture ossen itself wrote ("ossen.bmp" or a copy for the
// desktop, in any case): such a value is no setting of the person's own (it is left over
// from an earlier run whose kept file is gone).
bool NamesOurPicture(const std::string& value);
// "ossen-<n>.jpg", or "ossen-<n>.bmp" of earlier versions; the letters compared exactly or
// ignoring case.
bool IsWallpaperCopyName(std::string_view name, bool ignoringCase);

// "file://" and the path with every byte other than unreserved characters and '/'
// percent-encoded.
std::string FileUriFromPath(std::string_view path);
// The path of a "file://" URI (percent escapes decoded); a text that is no file URI is
// taken as a path as it is. nullopt for a malformed escape or an encoded NUL.
std::optional<std::string> PathFromFileUri(std::string_view uri);

// A text as a GVariant string literal: single quotes, with '\' and '\'' escaped.
std::string GVariantStringLiteral(std::string_view text);
// The string that `gsettings get` printed for a string key ("'text'\n", or "@s 'text'");
// nullopt when the output is not one string literal.
std::optional<std::string> ParseGVariantString(std::string_view output);

// The families, one file each.
std::unique_ptr<DesktopBackend> MakeGSettingsBackend(DesktopKind kind, int toolTimeoutMs);  // gsettings_backend.cpp
std::unique_ptr<DesktopBackend> MakeXfceBackend(int toolTimeoutMs);                         // xfce_backend.cpp
std::unique_ptr<DesktopBackend> MakePlasmaBackend(int toolTimeoutMs);                       // plasma_backend.cpp
std::unique_ptr<DesktopBackend> MakeSwayBackend(int toolTimeoutMs);                         // sway_backend.cpp
std::unique_ptr<DesktopBackend> MakeX11RootBackend();                                       // x11_root_backend.cpp
// No desktop we can reach (kNone, kUnknown): traces, nothing is shown (null_backend.cpp).
std::unique_ptr<DesktopBackend> MakeUnreachableBackend(DesktopKind kind);
// OSSEN_DESKTOP_BRIDGE=off: does nothing at all (null_backend.cpp).
std::unique_ptr<DesktopBackend> MakeSwitchedOffBackend();

}  // namespace ossen
