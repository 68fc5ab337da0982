#include "desktop/desktop_backend.h"

#include <cstdlib>
#include <string_view>

#include "desktop/backend_common.h"

namespace ossen {

std::unique_ptr<DesktopBackend> MakeDesktopBackend(DesktopKind kind, int toolTimeoutMs) {
  switch (kind) {
    case DesktopKind::kGnome:
    case DesktopKind::kUnity:
    case DesktopKind::kBudgie:
    case DesktopKind::kCinnamon:
    case DesktopKind::kMate:
      return MakeGSettingsBackend(kind, toolTimeoutMs);
    case DesktopKind::kXfce: return MakeXfceBackend(toolTimeoutMs);
    case DesktopKind::kPlasma: return MakePlasmaBackend(toolTimeoutMs);
    case DesktopKind::kSway: return MakeSwayBackend(toolTimeoutMs);
    case DesktopKind::kBareX11: return MakeX11RootBackend();
    case DesktopKind::kNone:
    case DesktopKind::kUnknown: break;
  }
  return MakeUnreachableBackend(kind);
}

std::unique_ptr<DesktopBackend> MakeDesktopBackendForSession() {
  const char* bridge = std::getenv("OSSEN_DESKTOP_BRIDGE");
  if (bridge != nullptr && std::string_view(bridge) == "off") return MakeSwitchedOffBackend();
  return MakeDesktopBackend(DetectDesktop());
}

}  // namespace ossen
