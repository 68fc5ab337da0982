#include "gfx/display_view.h"

#include <vector>

namespace ossen {

DisplayView::~DisplayView() { Close(); }

int DisplayView::Open(int width, int height, DWORD format, ScreenWindow* newWindow, DWORD options) {
  Close();
  if (!newWindow) return kGfxFailed;
  window = newWindow;
  const BOOL paletteOption = (options & kViewPaletteManaged) ? TRUE : FALSE;
  windowSurface = WindowSurface::New();
  if (windowSurface) windowSurface->Attach(window, paletteOption);
  backBuffer = DibSectionSurface::New();
  if (backBuffer) backBuffer->CreateBlank(width, height, format);

  paletteManaged = paletteOption;
  modeChanged = (paletteOption && (options & kViewFullScreen)) ? 1 : 0;
  resizeWithWindow = (!modeChanged && (options & kViewResizeWithWindow)) ? 1 : 0;
  if (modeChanged) {
    // The screen keeps its resolution and depth; the window covers it instead, whether or not
    // its size already matches. A window that cannot cover stays as it is, and nothing is
    // owed back.
    modeChanged = window->CoverScreen() ? 1 : 0;
  }
  return kGfxOk;
}

int DisplayView::Close() {
  if (window) {
    windowSurface = {};
    backBuffer = {};
    if (modeChanged) window->Uncover();
    modeChanged = 0;
    window = nullptr;
  }
  return kGfxOk;
}

int DisplayView::Present(int effect, DWORD colour, int weight) {
  if (!window || !windowSurface || !backBuffer) return kGfxOk;
  if (effect == kPresentTint) {
    backBuffer->Tint(0, 0, backBuffer->Width(), backBuffer->Height(), 1, colour, weight);
  }
  windowSurface->BltTo(0, 0, windowSurface->Width(), windowSurface->Height(), backBuffer.get(), 0, 0,
                       backBuffer->Width(), backBuffer->Height(), 0, {});
  window->Validate();
  return kGfxOk;
}

int DisplayView::RealizePalette() {
  if (!paletteManaged || !windowSurface || !windowSurface->GetPalette()) return 0;
  DeviceContext* dc = windowSurface->GetDC();
  if (!dc) return 0;
  std::vector<RGBQUAD> table;
  for (const PaletteEntry& entry : windowSurface->GetPalette()->Entries()) {
    table.push_back(RGBQUAD{entry.blue, entry.green, entry.red, 0});
  }
  const UINT changed = RealizeWindowPalette(window, table.data(), static_cast<int>(table.size()), FALSE);
  windowSurface->ReleaseDC(dc);
  if (changed == 0) return 0;
  window->Invalidate();
  return 1;
}

int DisplayView::OnPaletteChanged() { return paletteManaged ? RealizePalette() : 0; }

void DisplayView::Paint() {
  if (!window) return;
  DeviceContext* paintDc = window->BeginPaint();
  DeviceContext* backDc = backBuffer ? backBuffer->GetDC() : nullptr;
  if (paintDc && backDc) {
    // Stretched as Present stretches it, so that a covering window shows the whole picture
    // between two presents too.
    paintDc->SetStretchBltMode(COLORONCOLOR);
    paintDc->StretchBlt(0, 0, window->ClientWidth(), window->ClientHeight(), *backDc, 0, 0, backBuffer->Width(),
                        backBuffer->Height(), SRCCOPY);
  }
  if (backDc) backBuffer->ReleaseDC(backDc);
  window->EndPaint(paintDc);
}

void DisplayView::Resize(int, int width, int height) {
  if (!resizeWithWindow || !window || !backBuffer) return;
  const PaletteRef kept = PaletteRef::Share(backBuffer->GetPalette());
  backBuffer->CreateBlank(width, height, backBuffer->format);
  if (kept) backBuffer->SetPalette(kept.get());
}

}  // namespace ossen
