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
  screen->view.Open(kBlackSide, kBlackSide, kFormat24, window, cover ? kViewFullScreen | kViewPaletteManaged : 0);
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

void SaverShow::Start() {
  SurfaceRef<DibSectionSurface> picture;
  int number = 0;
  if (plan_.kind == ShowPlan::kPainting) {
    picture = library_.LoadPainting(plan_.painting);
    if (picture) number = plan_.painting;
  }
  // A painting that does not load gives the random order; no painting at all gives black.
  if (!picture && plan_.kind != ShowPlan::kBlack) {
    picture = LoadNext(number);
    // The order goes on while there may be another painting; the first look ahead tells.
    changes_ = static_cast<bool>(picture);
  }
  current_ = number;
  SetPicture(picture.get());
  DrawAll(256, false);
  phase_ = Phase::kShowing;
  phaseStart_ = 0;
}

void SaverShow::SetPicture(DibSectionSurface* picture) {
  for (auto& screen : screens_) {
    const int width = screen->cover ? screen->window->ScreenWidth() : screen->window->ClientWidth();
    const int height = screen->cover ? screen->window->ScreenHeight() : screen->window->ClientHeight();
    screen->canvas = picture ? ComposeCanvas(picture, width, height) : SurfaceRef<DibSectionSurface>();
    if (!screen->canvas) {
      screen->canvas = DibSectionSurface::New();
      if (screen->canvas) screen->canvas->CreateBlank(kBlackSide, kBlackSide, kFormat24);
    }
    DibSectionSurface* back = screen->view.backBuffer.get();
    if (back && screen->canvas &&
        (back->Width() != screen->canvas->Width() || back->Height() != screen->canvas->Height())) {
      back->CreateBlank(screen->canvas->Width(), screen->canvas->Height(), kFormat24);
    }
  }
}

void SaverShow::DrawAll(int level, bool present) {
  for (auto& screen : screens_) {
    DarkenInto(screen->canvas.get(), screen->view.backBuffer.get(), level);
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
      DrawAll(0, true);
      current_ = upcomingNumber_;
      SetPicture(upcoming_.get());
      upcoming_ = {};
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
