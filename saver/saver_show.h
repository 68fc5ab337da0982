// One run of the screen saver: the paintings it shows, on every window it was given, and the
// change to the next painting of the random order every 30 seconds, through black.
//
// The show draws each window's back buffer and presents it; the windows' own paints redraw
// it. It knows nothing of how the run ends: the program watches the input.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "gfx/display_view.h"
#include "saver/painting_library.h"
#include "saver/saver_settings.h"

namespace ossen {

inline constexpr std::int64_t kPaintingMilliseconds = 30000;
inline constexpr std::int64_t kFadeMilliseconds = 600;  // each way: out to black, in again

class SaverShow {
 public:
  // `seed` orders the random show.
  SaverShow(const PaintingLibrary& library, ShowPlan plan, std::uint32_t seed);
  SaverShow(const SaverShow&) = delete;
  SaverShow& operator=(const SaverShow&) = delete;

  // Shows on `window`: covering its whole screen (a run of our own), or in its client area
  // as it is (a window we were given).
  void AddWindow(ScreenWindow* window, bool cover);
  // Picks and decodes the first painting. It touches no window, so it may run on another
  // thread while the windows are made; Start does it when it was not done.
  void PrepareFirst();
  // Draws the first painting into every back buffer; each window shows it at its next paint.
  void Start();
  // Moves the show on to `milliseconds` after Start: the change and its fades.
  void Tick(std::int64_t milliseconds);

  // The painting on show; 0 for the black screen.
  int CurrentPainting() const { return current_; }
  // Whether the paintings change (the random order with more than one painting).
  bool Changes() const { return changes_; }
  // What window `index` (in the order added) is shown next.
  DibSectionSurface* BackBuffer(std::size_t index) const {
    return index < screens_.size() ? screens_[index]->view.backBuffer.get() : nullptr;
  }

 private:
  struct Screen {
    ScreenWindow* window = nullptr;
    bool cover = false;
    DisplayView view;  // its back buffer holds the painting on the window's shape
    // An undimmed copy of the back buffer, made when a fade first needs one.
    SurfaceRef<DibSectionSurface> canvas;
  };
  enum class Phase { kShowing, kFadingOut, kFadingIn };

  // The next painting of the order that loads, its number in `number`; null when none does.
  SurfaceRef<DibSectionSurface> LoadNext(int& number);
  // Lays `picture` (null: black) out for every screen and draws it at `level`.
  void SetPicture(DibSectionSurface* picture);
  void DrawAll(int level, bool present);

  const PaintingLibrary& library_;
  ShowPlan plan_;
  std::mt19937 random_;
  std::vector<int> order_;
  std::size_t next_ = 0;
  std::vector<std::unique_ptr<Screen>> screens_;
  int current_ = 0;
  bool changes_ = false;
  Phase phase_ = Phase::kShowing;
  std::int64_t phaseStart_ = 0;
  SurfaceRef<DibSectionSurface> upcoming_;
  int upcomingNumber_ = 0;
  bool prepared_ = false;
  SurfaceRef<DibSectionSurface> first_;
};

}  // namespace ossen
