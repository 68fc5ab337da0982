// The single-instance marker: the 10-byte named mapping "OSSEN_RUNNING" that the resident
// copy holds for its whole life, with its window's handle in the first four bytes.
//
// Creating the named mapping is atomic, so of any number of simultaneous starts exactly one
// creates it; every other one finds it existing and waits (bounded) for that copy's window
// to answer. A marker whose creator is gone reads as absent, and one whose window does not
// answer counts as no running copy.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "image/file_source.h"
#include "platform/win32/window_commands.h"
#include "product/product_names.h"

namespace ossen {

inline constexpr DWORD kInstanceMarkerSize = 10;
inline constexpr char kInstanceMarkerPrefix[] = "OS_";

// Opens the marker of a running copy (no file): the view is present only while a live
// process holds the name.
std::unique_ptr<FileSource> OpenInstanceMarker();
// Creates the marker on a fresh "OS_" temporary file. Its `mappingExisted` tells that a
// live process held the name first; its view is then that process's marker.
std::unique_ptr<FileSource> CreateInstanceMarker();

// The window handle stored in a marker; 0 without a view (or before it was published).
HWND MarkerWindow(const FileSource* marker);
// Stores the handle in the marker's first four bytes; nothing without a view.
void StoreMarkerWindow(FileSource* marker, HWND window);

// What the running copy's shut-down did with the schedule, in the marker's fifth byte: the
// removal run reads it after Exit was answered, to say whether the schedule was saved.
enum class MarkerSave : std::uint8_t { kUnknown = 0, kSaved = 1, kNotSaved = 2 };
MarkerSave MarkerScheduleSave(const FileSource* marker);
void StoreMarkerScheduleSave(FileSource* marker, bool saved);

// Waits until the marker's window handle is published, the marker's creator is gone, or
// `timeoutMs` passed; the handle, or 0.
HWND WaitForMarkerWindow(FileSource* marker, int timeoutMs);

// What a start that wants to become resident ends up as.
struct ResidencyOutcome {
  std::unique_ptr<FileSource> marker;  // ours when `resident`, else null
  bool resident = false;                // false: a running copy took the command
};

// Creates the marker, or, while another live copy holds it, sends `command` to that copy's
// window once it is published. Retries while the holder is gone or does not answer, and
// becomes resident when the holder disappears or after `timeoutMs` without an answer.
ResidencyOutcome BecomeResidentOrWake(WORD command, int timeoutMs);

}  // namespace ossen
