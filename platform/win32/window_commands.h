// Window handles and WM_COMMAND between the user's processes.
//
// A process makes its top-level window addressable by creating a CommandReceiver: it gets
// a 32-bit handle and listens on a local socket named after it in the prefix's private run
// folder (mode 0700). Another process of the same user sends a command to the handle and
// waits until the receiver's handler has run to its end, or until the receiver is gone.
// The receiver checks the peer's user id, so no other user's process is ever answered.
#pragma once

#include <functional>
#include <memory>

#include "platform/base/win_types.h"

namespace ossen {

using HWND = DWORD;  // a top-level window's 32-bit handle, valid across the user's processes; 0 = none
inline constexpr UINT WM_COMMAND = 0x0111;

// Makes this process's top-level window addressable: commands sent to the returned handle run
// `handler(id)` on the thread that created the receiver, from its Qt event loop (also from a
// nested modal loop). Handles are non-zero and unique among the user's live receivers.
class CommandReceiver {
 public:
  // Null when no handle can be had (no private run folder, no socket).
  static std::unique_ptr<CommandReceiver> Create(std::function<void(WORD id)> handler);
  ~CommandReceiver();  // withdraws the handle; pending senders see "gone"
  CommandReceiver(const CommandReceiver&) = delete;
  CommandReceiver& operator=(const CommandReceiver&) = delete;

  HWND handle() const;

  class Impl;

 private:
  explicit CommandReceiver(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Sends WM_COMMAND `id` (second parameter 0) to `window` and waits until the receiver has
// run its handler to the end, or has gone away. TRUE when handled; FALSE when no such window
// of this user answers (0, stale, refused, or no answer within timeoutMs).
BOOL SendCommand(HWND window, WORD id, DWORD timeoutMs);

}  // namespace ossen
