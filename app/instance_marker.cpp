#include "app/instance_marker.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/base/trace.h"
#include "platform/win32/temp_files.h"

namespace ossen {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(20);
// A woken copy shows its window at once; one that takes longer than this is not answering.
constexpr DWORD kWakeAnswerMs = 5000;
constexpr std::size_t kMarkerSaveByte = 4;

bool HolderAlive() { return OpenInstanceMarker()->data != nullptr; }

int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::unique_ptr<FileSource> OpenInstanceMarker() {
  return std::make_unique<FileSource>(0, nullptr, false, product::kRunningMarkerName, false, true);
}

std::unique_ptr<FileSource> CreateInstanceMarker() {
  char tempName[MAX_PATH] = "";
  // Without a temporary file there is no marker: the start then goes on without one.
  if (MakeTempFileName(kInstanceMarkerPrefix, tempName) == 0) {
    return std::make_unique<FileSource>(0, nullptr, false, nullptr, false, true);
  }
  return std::make_unique<FileSource>(kInstanceMarkerSize, tempName, true, product::kRunningMarkerName, false, true);
}

HWND MarkerWindow(const FileSource* marker) {
  if (marker == nullptr || marker->data == nullptr || marker->size < sizeof(HWND)) return 0;
  HWND window = 0;
  std::memcpy(&window, marker->data, sizeof window);
  return window;
}

void StoreMarkerWindow(FileSource* marker, HWND window) {
  if (marker == nullptr || marker->data == nullptr || marker->size < sizeof(HWND) || marker->readOnly) return;
  std::memcpy(marker->data, &window, sizeof window);
}

MarkerSave MarkerScheduleSave(const FileSource* marker) {
  if (marker == nullptr || marker->data == nullptr || marker->size <= kMarkerSaveByte) return MarkerSave::kUnknown;
  const std::uint8_t value = static_cast<const std::uint8_t*>(marker->data)[kMarkerSaveByte];
  return value == 1 ? MarkerSave::kSaved : value == 2 ? MarkerSave::kNotSaved : MarkerSave::kUnknown;
}

void StoreMarkerScheduleSave(FileSource* marker, bool saved) {
  if (marker == nullptr || marker->data == nullptr || marker->size <= kMarkerSaveByte || marker->readOnly) return;
  static_cast<std::uint8_t*>(marker->data)[kMarkerSaveByte] =
      static_cast<std::uint8_t>(saved ? MarkerSave::kSaved : MarkerSave::kNotSaved);
}

HWND WaitForMarkerWindow(FileSource* marker, int timeoutMs) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const HWND window = MarkerWindow(marker);
    if (window != 0) return window;
    if (!HolderAlive() || SteadyClock::now() >= deadline) return 0;
    std::this_thread::sleep_for(kPollInterval);
  }
}

ResidencyOutcome BecomeResidentOrWake(WORD command, int timeoutMs) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::unique_ptr<FileSource> marker = CreateInstanceMarker();
    if (!marker->mappingExisted) return {std::move(marker), true};

    const HWND window = WaitForMarkerWindow(marker.get(), MillisecondsLeft(deadline));
    if (window != 0 && SendCommand(window, command, kWakeAnswerMs)) return {nullptr, false};
    if (SteadyClock::now() >= deadline) {
      // The holder lives but its window never answered: it does not count as a copy.
      Trace("start: the running copy does not answer, becoming resident without the marker");
      return {nullptr, true};
    }
    // The holder is gone or ending: try to take the name again.
    marker.reset();
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace ossen
