#include "setup/running_copy.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/base/trace.h"
#include "platform/win32/named_mapping.h"
#include "platform/win32/window_commands.h"
#include "product/product_names.h"

namespace ossen::setup {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(20);

// The published window of the marker's holder: 0 before it is published; nullopt-like -1
// when no live process holds the marker.
long long MarkerWindow() {
  LONG error = ERROR_SUCCESS;
  NamedMapping mapping = NamedMapping::Open(product::kRunningMarkerName, false, &error);
  if (!mapping.valid()) return -1;
  MappedView view = mapping.MapView(false);
  if (!view || view.size() < sizeof(HWND)) return 0;
  HWND window = 0;
  std::memcpy(&window, view.data(), sizeof window);
  return window;
}

}  // namespace

bool EndRunningCopy(DWORD timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  long long window = MarkerWindow();
  if (window < 0) return false;
  // A copy that is still starting has the marker but no window yet.
  while (window == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(kPoll);
    window = MarkerWindow();
  }
  if (window <= 0) return window < 0;
  // Answered once the copy's whole shut-down has run.
  const BOOL answered = SendCommand(static_cast<HWND>(window), product::kCommandExit, timeoutMs);
  Trace("setup: sent Exit to the running copy: %d", answered);
  while (MarkerWindow() >= 0) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

}  // namespace ossen::setup
