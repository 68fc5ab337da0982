// sway: the background of every output through swaymsg. sway cannot be asked what it shows;
// its own configuration, reloaded, is what gives the person's background back.
#include "desktop/backend_common.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

class SwayBackend : public KeepingDesktopBackend {
 public:
  explicit SwayBackend(int toolTimeoutMs) : KeepingDesktopBackend(DesktopKind::kSway, toolTimeoutMs) {}

 protected:
  std::optional<OwnSettings> ReadOwnWallpaper() override { return OwnSettings{}; }

  bool Show(const std::string& hostPath) override {
    // swaymsg joins its arguments into one sway command, which has its own quoting.
    if (hostPath.find('"') != std::string::npos) {
      Trace("desktop: sway cannot take a path with a double quote: %s", hostPath.c_str());
      return false;
    }
    return Tools().Ok({"swaymsg", "output", "*", "bg", "\"" + hostPath + "\"", "fill"});
  }

  bool PutBack(const OwnSettings&) override { return Tools().Ok({"swaymsg", "reload"}); }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakeSwayBackend(int toolTimeoutMs) { return std::make_unique<SwayBackend>(toolTimeoutMs); }

}  // namespace ossen
