// Grids and colour fields. Adelsten divides the picture by dark bars into cells of flat, brushed
// colour, off balance on purpose; Oriel stacks soft-edged fields of colour that seem to float on
// a darker ground; Drummaker painted one chequerboard without bars, square by square.
#include <cmath>

#include "res/painter/paintings.h"
#include "res/painter/scenery.h"

namespace ossen {

namespace {

// A rectangle of flat colour worked over with level brush strokes that stay inside it.
void BrushedRect(Canvas& canvas, Rng& rng, float x0, float y0, float x1, float y1, Colour colour,
                 float strokes_per_area) {
  canvas.Polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, colour, 1.0f);
  const float aspect = canvas.Aspect();
  const float w = (x1 - x0) * aspect;
  const float h = y1 - y0;
  const float stroke = std::min(0.06f, std::min(w, h) * 0.8f);
  // Bounded by the pixels the rectangle covers, so very wide pictures stay quick.
  const float pixels = (x1 - x0) * static_cast<float>(canvas.width()) * h * static_cast<float>(canvas.height());
  const int count = static_cast<int>(std::fmin(w * h * strokes_per_area, pixels * 0.25f));
  for (int i = 0; i < count; ++i) {
    const float length = stroke * rng.Range(0.6f, 1.0f);
    const float x = x0 + (length * 0.5f + rng.Uniform() * std::max(0.0f, w - length)) / aspect;
    const float y = y0 + length * 0.15f + rng.Uniform() * std::max(0.0f, h - length * 0.3f);
    canvas.Dab({{x, y}, length, length * 0.28f, rng.Signed(0.04f), Vary(colour, rng, 0.06f), 0.35f,
               static_cast<std::uint32_t>(rng.Next())});
  }
}

// Adelsten's bars: dark, not quite straight, a little thicker in places.
void Bar(Canvas& canvas, Rng& rng, Point a, Point b, float thickness, Colour ink) {
  const float aspect = canvas.Aspect();
  const float dx = (b.x - a.x) * aspect;
  const float dy = b.y - a.y;
  const float len = std::max(1e-4f, std::hypot(dx, dy));
  const float nx = -dy / len * thickness * 0.5f / aspect;
  const float ny = dx / len * thickness * 0.5f;
  const float wobble = thickness * 0.15f;
  canvas.Polygon({{a.x + nx * (1.0f + rng.Signed(wobble)), a.y + ny}, {b.x + nx, b.y + ny * (1.0f + rng.Signed(0.2f))},
                  {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}},
                 ink, 1.0f);
}

// Adelsten's grid: cells filled by colour, then the bars drawn over the divisions.
void Grid(Canvas& canvas, Rng& rng, const std::vector<float>& columns, const std::vector<float>& rows,
          const std::vector<Colour>& fills, float bar, Colour ink) {
  for (std::size_t j = 0; j + 1 < rows.size(); ++j) {
    for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
      const Colour c = fills[(j * (columns.size() - 1) + i) % fills.size()];
      BrushedRect(canvas, rng, columns[i], rows[j], columns[i + 1], rows[j + 1], c, 1400.0f);
    }
  }
  for (std::size_t i = 1; i + 1 < columns.size(); ++i) Bar(canvas, rng, {columns[i], -0.01f}, {columns[i], 1.01f}, bar, ink);
  for (std::size_t j = 1; j + 1 < rows.size(); ++j) Bar(canvas, rng, {-0.01f, rows[j]}, {1.01f, rows[j]}, bar, ink);
}

}  // namespace

void PaintCompositionInOchreAndSlate(Canvas& canvas, Brush brush) {
  const Colour ochre = Hex(0xC8962E);
  const Colour slate = Hex(0x56626E);
  const Colour cream = Hex(0xEEE6D2);
  const Colour pale_slate = Hex(0x9AA4AC);
  const Colour dark = Hex(0x22252A);
  const std::vector<float> columns{0.0f, 0.14f, 0.52f, 0.66f, 0.9f, 1.0f};
  const std::vector<float> rows{0.0f, 0.22f, 0.6f, 0.78f, 1.0f};
  Grid(canvas, brush.rng, columns, rows,
       {cream, slate, cream, cream, pale_slate, cream, ochre, cream, slate, cream, ochre, cream, cream, dark,
        cream, pale_slate, cream, ochre, cream, cream},
       0.022f, dark);
}

void PaintGridWithOneRedSquare(Canvas& canvas, Brush brush) {
  // A quiet, even grid of whites and greys, and one red square off the centre.
  std::vector<float> columns;
  std::vector<float> rows;
  for (int i = 0; i <= 8; ++i) columns.push_back(static_cast<float>(i) / 8.0f);
  for (int j = 0; j <= 6; ++j) rows.push_back(static_cast<float>(j) / 6.0f);
  std::vector<Colour> fills;
  for (int k = 0; k < 48; ++k) {
    const float t = brush.noise.Value(static_cast<float>(k % 8) * 0.6f, static_cast<float>(k / 8) * 0.6f);
    fills.push_back(Mix(Hex(0xF2EEE4), Hex(0xB8B8B4), t * t));
  }
  fills[2 * 8 + 5] = Hex(0xC8281E);
  Grid(canvas, brush.rng, columns, rows, fills, 0.012f, Hex(0x2A2A2E));
}

void PaintLatticeForAWinterWindow(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  // Diamond panes of frosted glass in pale winter blues, held by grey leading.
  canvas.VerticalGradient({{0.0f, Hex(0xC8D8E8)}, {1.0f, Hex(0xE8EEF4)}});
  const float aspect = canvas.Aspect();
  const float cell = 0.16f;
  const Colour panes[5] = {Hex(0xDCE8F4), Hex(0xB8CCE0), Hex(0xF4F6FA), Hex(0xC8C8E4), Hex(0xA8C0D8)};
  for (int j = -1; j <= 7; ++j) {
    for (int i = -1; i <= 9; ++i) {
      const float cx = (static_cast<float>(i) + (j % 2 != 0 ? 0.5f : 0.0f)) * cell / aspect;
      const float cy = static_cast<float>(j) * cell * 0.5f;
      const float hx = cell * 0.5f / aspect;
      const float hy = cell * 0.5f;
      const Colour c = panes[Hash2(static_cast<std::uint32_t>(i + 20), static_cast<std::uint32_t>(j + 20)) % 5];
      canvas.Polygon({{cx, cy - hy}, {cx + hx, cy}, {cx, cy + hy}, {cx - hx, cy}}, c, 1.0f);
      // Frost creeping in from the corners of each pane.
      for (int k = 0; k < 8; ++k) {
        const float t = rng.Uniform();
        canvas.Dab({{cx + rng.Signed(hx * 0.6f), cy + hy * 0.6f * (t * 2.0f - 1.0f) * 0.5f + hy * 0.3f}, cell * 0.25f,
                   cell * 0.05f, rng.Range(-2.0f, 2.0f), Hex(0xFFFFFF), 0.25f, static_cast<std::uint32_t>(rng.Next())});
      }
    }
  }
  const Colour lead = Hex(0x5A6070);
  for (int k = -8; k <= 16; ++k) {
    const float x = (static_cast<float>(k) + 0.5f) * cell / aspect;
    Bar(canvas, rng, {x, 0.0f}, {x + 1.0f / aspect * 1.0f, 1.0f}, 0.008f, lead);
    Bar(canvas, rng, {x, 0.0f}, {x - 1.0f / aspect * 1.0f, 1.0f}, 0.008f, lead);
  }
  // The window frame's muntins: one heavy cross.
  Bar(canvas, rng, {0.5f, -0.01f}, {0.5f, 1.01f}, 0.03f, Hex(0x3A3E48));
  Bar(canvas, rng, {-0.01f, 0.5f}, {1.01f, 0.5f}, 0.03f, Hex(0x3A3E48));
  canvas.Mottle(0.05f, 6.0f, brush.noise);
}

void PaintVermilionOverUmber(Canvas& canvas, Brush brush) {
  canvas.VerticalGradient({{0.0f, Hex(0x5A1E16)}, {1.0f, Hex(0x3A140E)}});
  canvas.Mottle(0.12f, 5.0f, brush.noise);
  canvas.SoftRect(0.08f, 0.07f, 0.92f, 0.52f, Hex(0xD8401E), 0.95f, 0.012f, 0.01f, brush.detail);
  canvas.SoftRect(0.1f, 0.1f, 0.9f, 0.48f, Hex(0xE85A28), 0.5f, 0.03f, 0.015f, brush.noise);
  canvas.SoftRect(0.08f, 0.58f, 0.92f, 0.93f, Hex(0x5E3A22), 0.95f, 0.012f, 0.01f, brush.detail);
  canvas.SoftRect(0.12f, 0.62f, 0.88f, 0.9f, Hex(0x74482A), 0.4f, 0.03f, 0.015f, brush.noise);
  canvas.Mottle(0.06f, 14.0f, brush.detail);
}

void PaintFieldOfDeepIndigo(Canvas& canvas, Brush brush) {
  canvas.VerticalGradient({{0.0f, Hex(0x16163A)}, {1.0f, Hex(0x0E0E26)}});
  canvas.SoftRect(0.07f, 0.08f, 0.93f, 0.8f, Hex(0x2A2A6E), 0.95f, 0.015f, 0.012f, brush.detail);
  canvas.SoftRect(0.12f, 0.14f, 0.88f, 0.72f, Hex(0x32307A), 0.45f, 0.05f, 0.02f, brush.noise);
  canvas.SoftRect(0.07f, 0.85f, 0.93f, 0.93f, Hex(0x4A5A9A), 0.85f, 0.01f, 0.008f, brush.detail);
  canvas.Mottle(0.1f, 6.0f, brush.noise);
}

void PaintTwoBandsOfEveningGold(Canvas& canvas, Brush brush) {
  canvas.VerticalGradient({{0.0f, Hex(0x3A1A2E)}, {1.0f, Hex(0x24101E)}});
  canvas.Mottle(0.1f, 5.0f, brush.noise);
  canvas.SoftRect(0.07f, 0.12f, 0.93f, 0.38f, Hex(0xE0A830), 0.95f, 0.014f, 0.01f, brush.detail);
  canvas.SoftRect(0.1f, 0.16f, 0.9f, 0.34f, Hex(0xF4C850), 0.45f, 0.04f, 0.015f, brush.noise);
  canvas.SoftRect(0.07f, 0.5f, 0.93f, 0.86f, Hex(0xC8862A), 0.95f, 0.014f, 0.01f, brush.detail);
  canvas.SoftRect(0.1f, 0.55f, 0.9f, 0.8f, Hex(0xD89A38), 0.4f, 0.05f, 0.015f, brush.noise);
  canvas.Mottle(0.06f, 14.0f, brush.detail);
}

void PaintChequerboardInRustAndCream(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0x2A1E18)}});
  // Squares inside a dark margin, each laid by hand: corners a little off, tones a little apart.
  const int columns = 8;
  const int rows = 6;
  const float margin = 0.05f;
  const float x0 = margin / canvas.Aspect();
  const float cell_x = (1.0f - 2.0f * x0) / static_cast<float>(columns);
  const float cell_y = (1.0f - 2.0f * margin) / static_cast<float>(rows);
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const bool rust = (i + j) % 2 == 0;
      const Colour base = rust ? Mix(Hex(0xA8451E), Hex(0x8A3416), rng.Uniform()) : Mix(Hex(0xF0E4C8), Hex(0xE4D2AC), rng.Uniform());
      const float left = x0 + static_cast<float>(i) * cell_x;
      const float top = margin + static_cast<float>(j) * cell_y;
      const float j1 = cell_y * 0.015f;
      canvas.Polygon({{left + rng.Signed(j1), top + rng.Signed(j1)}, {left + cell_x + rng.Signed(j1), top + rng.Signed(j1)},
                      {left + cell_x + rng.Signed(j1), top + cell_y + rng.Signed(j1)}, {left + rng.Signed(j1), top + cell_y + rng.Signed(j1)}},
                     base, 1.0f);
      // Drummaker brushes each square in one direction, alternating.
      for (int k = 0; k < 30; ++k) {
        const float angle = (i + j) % 2 == 0 ? 0.0f : 1.5708f;
        canvas.Dab({{left + cell_x * rng.Range(0.2f, 0.8f), top + cell_y * rng.Range(0.2f, 0.8f)}, cell_y * 0.5f,
                   cell_y * 0.12f, angle, Vary(base, rng, 0.07f), 0.4f, static_cast<std::uint32_t>(rng.Next())});
      }
    }
  }
  canvas.Mottle(0.07f, 8.0f, brush.noise);
}

}  // namespace ossen
