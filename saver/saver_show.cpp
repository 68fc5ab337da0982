#include "saver/saver_show.h"

#include <algorithm>
#include <numeric>

#include "gfx/blit_engine.h"
#include "saver/canvas.h"

namespace ossen {

namespace {
// The back buffer of the black screen: any size does, it is stretched.
constexpr int kBlackSide = 16;
}  // namespace

SaverShow::SaverShow(const PaintingLibrary& library, ShowPlan plan, std::uint32_t seed)
    : library_(library), plan_(plan), random_(seed), order_(kPaintingCount) {
  std::iota(order_.begin(), order_.end(), 1);
  std::shuffle(order_.begin(), order_.end(), random_);
}

void SaverShow::AddWindow(ScreenWindow* window, bool cover) {
  auto screen = std::make_unique<Screen>();
  screen->window = window;
  screen->cover = cover;
  // Covering: the screen's shape, the window only reaches it once shown full screen.
  screen->view.Open(kBlackSide, kBlackSide, kFormatRgb888, window, cover ? kViewFullScreen | kViewPaletteManaged : 0);
  DisplayView* view = &screen->view;
  window->SetPaintHandler([view] { view->Paint(); });
  screens_.push_back(std::move(screen));
}

SurfaceRef<DibSectionSurface> SaverShow::LoadNext(int& number) {
  for (std::size_t tried = 0; tried < order_.size(); ++tried) {
    const int candidate = order_[next_];
    next_ = (next_ + 1) % order_.size();
    SurfaceRef<DibSectionSurface> picture = library_.LoadPainting(candidate);
    if (picture) {
      number = candidate;
      return picture;
    }
  }
  number = 0;
  return {};
}

void SaverShow::PrepareFirst() {
  prepared_ = true;
  int number = 0;
  if (plan_.kind == ShowPlan::kPainting) {
    first_ = library_.LoadPainting(plan_.painting);
    if (first_) number = plan_.painting;
  }
  // A painting that does not load gives the random order; no painting at all gives black.
  if (!first_ && plan_.kind != ShowPlan::kBlack) {
    first_ = LoadNext(number);
    // The order goes on while there may be another painting; the first look ahead tells.
    changes_ = static_cast<bool>(first_);
  }
  current_ = number;
}

void SaverShow::Start() {
  if (!prepared_) PrepareFirst();
  SetPicture(first_.get());
  first_ = {};
  DrawAll(256, false);
  phase_ = Phase::kShowing;
  phaseStart_ = 0;
}

void SaverShow::SetPicture(DibSectionSurface* picture) {
  for (auto& screen : screens_) {
    const int width = screen->cover ? screen->window->ScreenWidth() : screen->window->ClientWidth();
    const int height = screen->cover ? screen->window->ScreenHeight() : screen->window->ClientHeight();
    DibSectionSurface* back = screen->view.backBuffer.get();
    if (back && !ComposeCanvas(picture, back, width, height)) back->CreateBlank(kBlackSide, kBlackSide, kFormatRgb888);
    screen->canvas = {};
  }
}

void SaverShow::DrawAll(int level, bool present) {
  for (auto& screen : screens_) {
    DibSectionSurface* back = screen->view.backBuffer.get();
    if (!back) continue;
    if (!screen->canvas && level < 256) {
      // The back buffer is still undimmed: keep a copy to dim from.
      screen->canvas = DibSectionSurface::New();
      if (screen->canvas && screen->canvas->CreateBlank(back->Width(), back->Height(), kFormatRgb888) == 0) {
        DarkenInto(back, screen->canvas.get(), 256);
      }
    }
    if (screen->canvas) DarkenInto(screen->canvas.get(), back, level);
    if (present) {
      screen->view.Present(0, 0, 0);
    } else {
      screen->window->Invalidate();
    }
  }
}

void SaverShow::Tick(std::int64_t milliseconds) {
  if (!changes_) return;
  const std::int64_t inPhase = milliseconds - phaseStart_;
  switch (phase_) {
    case Phase::kShowing:
      if (!upcoming_) {
        // Decoded while the painting is on show, so the change itself is quick.
        upcoming_ = LoadNext(upcomingNumber_);
        if (!upcoming_ || upcomingNumber_ == current_) {
          changes_ = false;  // the library holds only this one
          upcoming_ = {};
          return;
        }
      }
      if (inPhase < kPaintingMilliseconds) return;
      phase_ = Phase::kFadingOut;
      phaseStart_ = milliseconds;
      return;
    case Phase::kFadingOut:
      if (inPhase < kFadeMilliseconds) {
        DrawAll(static_cast<int>(256 - 256 * inPhase / kFadeMilliseconds), true);
        return;
      }
      // Black on the screen, and in the back buffer too, so a paint before the fade in
      // shows black rather than the new painting at full strength.
      current_ = upcomingNumber_;
      SetPicture(upcoming_.get());
      upcoming_ = {};
      DrawAll(0, true);
      phase_ = Phase::kFadingIn;
      phaseStart_ = milliseconds;
      return;
    case Phase::kFadingIn:
      if (inPhase < kFadeMilliseconds) {
        DrawAll(static_cast<int>(256 * inPhase / kFadeMilliseconds), true);
        return;
      }
      DrawAll(256, true);
      phase_ = Phase::kShowing;
      phaseStart_ = milliseconds;
      return;
  }
}

}  // namespace ossen
