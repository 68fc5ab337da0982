// When a full-screen run ends: at a key, a button, or a pointer movement of more than a few
// pixels from where the pointer was when the run began (a window appearing under a pointer
// that lies still, or a jittering mouse, does not end it).
#pragma once

#include <cstdlib>

#include "platform/draw/screen_window.h"

namespace ossen {

inline constexpr int kPointerSlack = 4;

class InputWatch {
 public:
  InputWatch(int pointerX, int pointerY) : x_(pointerX), y_(pointerY) {}
  bool Ends(const InputEvent& event) const {
    if (event.kind != InputEvent::kMotion) return true;
    return std::abs(event.screenX - x_) > kPointerSlack || std::abs(event.screenY - y_) > kPointerSlack;
  }

 private:
  int x_;
  int y_;
};

}  // namespace ossen
