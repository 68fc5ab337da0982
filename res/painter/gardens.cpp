// Gardens. Quillan fills her pictures to the edges with foliage and flowers in thick short dabs
// under a bright sky, with a wall or a glasshouse to hold them; Greythorne and Vantreece each
// painted one garden of their own.
#include <cmath>

#include "res/painter/paintings.h"
#include "res/painter/scenery.h"

namespace ossen {

namespace {

// A border of foliage topped with flowers, from (x0, y) to (x1, y), depth in picture heights.
void FlowerBorder(Canvas& canvas, Rng& rng, float x0, float x1, float y_top, float y_bottom,
                  const std::vector<Colour>& flowers, int count, float size) {
  const std::vector<Colour> leaves{Hex(0x2E4A22), Hex(0x4A6E2E), Hex(0x6A8E3A), Hex(0x3A5A2A)};
  const Point centre{(x0 + x1) * 0.5f, (y_top + y_bottom) * 0.5f};
  const float rx = (x1 - x0) * 0.5f * canvas.Aspect();
  const float ry = (y_bottom - y_top) * 0.5f;
  DabField(canvas, rng, centre, rx, ry, count, size * 1.3f, leaves, 0.9f, 0.0f, 1.5f);
  DabField(canvas, rng, {centre.x, centre.y - ry * 0.2f}, rx * 0.95f, ry * 0.8f, count * 2 / 3, size * 0.7f,
           flowers, 0.95f, 0.0f, 3.0f);
}

// A brick wall between y_top and y_bottom, courses drawn as soft mortar lines.
void BrickWall(Canvas& canvas, Brush brush, float y_top, float y_bottom, Colour brick) {
  canvas.Ground({{-0.01f, y_top}, {1.01f, y_top}}, y_bottom, brick, Scale(brick, 0.8f), 0.25f, brush.detail);
  const float course = 0.022f;
  for (float y = y_top + course; y < y_bottom; y += course) {
    canvas.Polygon({{-0.01f, y}, {1.01f, y}, {1.01f, y + 0.003f}, {-0.01f, y + 0.003f}}, Hex(0xC8B8A0), 0.35f);
  }
  // Coping stones along the top.
  canvas.Polygon({{-0.01f, y_top - 0.015f}, {1.01f, y_top - 0.015f}, {1.01f, y_top + 0.005f}, {-0.01f, y_top + 0.005f}},
                 Hex(0xB8AC98), 1.0f);
  // Creepers hanging over the wall.
  for (int i = 0; i < 8; ++i) {
    const float x = brush.rng.Uniform();
    DabField(canvas, brush.rng, {x, y_top + 0.06f}, 0.06f, 0.08f, 60, 0.025f,
             {Hex(0x3A5A2A), Hex(0x5A7E34), Hex(0x2A4420)}, 0.85f, 1.2f, 0.8f);
  }
}

}  // namespace

void PaintWalledGardenInJune(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0x6A9ED0)}, {0.3f, Hex(0xB8D4E8)}});
  CloudBank(canvas, rng, brush.noise, 0.02f, 0.15f, 6, 0.15f, Hex(0xFFFFFA), Hex(0xB8C4D4), 0.85f);
  // Trees beyond the wall.
  const TreeLook beyond{Hex(0x3A2E22), Hex(0x2A4026), Hex(0x4A6A38), Hex(0x7A9A50), 120, 0.04f};
  for (float x = 0.05f; x < 1.0f; x += 0.22f) Tree(canvas, rng, {x + rng.Signed(0.05f), 0.36f}, 0.28f, 0.3f, beyond);
  BrickWall(canvas, brush, 0.3f, 0.52f, Hex(0xA45A3E));
  // A gate in the wall with the light of the next garden in it.
  canvas.Polygon({{0.46f, 0.52f}, {0.46f, 0.36f}, {0.5f, 0.33f}, {0.54f, 0.36f}, {0.54f, 0.52f}}, Hex(0xE8E0B0), 1.0f);
  canvas.Ground({{-0.01f, 0.52f}, {1.01f, 0.52f}}, 1.01f, Hex(0x6E9A44), Hex(0x4A7A2E), 0.25f, brush.detail);
  // Gravel path running to the gate.
  canvas.Polygon({{0.47f, 0.52f}, {0.53f, 0.52f}, {0.78f, 1.01f}, {0.22f, 1.01f}}, Hex(0xD8C8A0), 1.0f);
  DabField(canvas, rng, {0.5f, 0.8f}, 0.25f, 0.2f, 300, 0.02f, {Hex(0xC8B088), Hex(0xE8DCC0)}, 0.4f, 0.0f, 3.0f);
  const std::vector<Colour> flowers{Hex(0xE84A6A), Hex(0xF4E8F0), Hex(0xE8C040), Hex(0x9A5AC8), Hex(0xF08A3A), Hex(0xF4A0C0)};
  FlowerBorder(canvas, rng, -0.02f, 0.44f, 0.5f, 0.62f, flowers, 500, 0.03f);
  FlowerBorder(canvas, rng, 0.56f, 1.02f, 0.5f, 0.62f, flowers, 500, 0.03f);
  // The borders run beside the path, deeper towards the viewer.
  for (int k = 0; k < 6; ++k) {
    const float t = static_cast<float>(k) / 5.0f;
    const float y = 0.6f + 0.4f * t;
    const float path_edge = 0.5f - (0.03f + 0.25f * (y - 0.52f) / 0.49f);
    const float depth = 0.06f + 0.14f * t;
    FlowerBorder(canvas, rng, path_edge - depth * 1.6f - 0.06f, path_edge - 0.01f, y - depth * 0.5f, y + depth * 0.5f, flowers,
                 90 + 90 * k, 0.03f + 0.025f * t);
    FlowerBorder(canvas, rng, 1.0f - path_edge + 0.01f, 1.06f - path_edge + depth * 1.6f, y - depth * 0.5f, y + depth * 0.5f,
                 flowers, 90 + 90 * k, 0.03f + 0.025f * t);
  }
}

void PaintHollyhocksByTheGlasshouse(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0x7AAAD8)}, {0.5f, Hex(0xD8E8F0)}});
  CloudBank(canvas, rng, brush.noise, 0.03f, 0.2f, 5, 0.16f, Hex(0xFFFFFA), Hex(0xB8C4D4), 0.8f);
  canvas.Ground({{-0.01f, 0.62f}, {1.01f, 0.6f}}, 1.01f, Hex(0x7AA04A), Hex(0x4A7230), 0.25f, brush.detail);
  // The glasshouse: a white frame of panes catching the sky and the green inside.
  const float left = 0.38f;
  const float right = 0.98f;
  const float eave = 0.3f;
  const float ridge = 0.14f;
  canvas.Polygon({{left, 0.64f}, {left, eave}, {(left + right) * 0.5f, ridge}, {right, eave}, {right, 0.64f}},
                 Hex(0xA8C8C0), 0.85f);
  DabField(canvas, rng, {0.68f, 0.46f}, 0.35f, 0.15f, 250, 0.04f, {Hex(0x5A8A5A), Hex(0x8AB088), Hex(0xC8DCD0)}, 0.45f,
           0.0f, 2.0f);
  const Colour frame = Hex(0xF4F2EA);
  for (int k = 0; k <= 8; ++k) {
    const float x = left + (right - left) * static_cast<float>(k) / 8.0f;
    const float top = eave - (ridge - eave) * -(1.0f - std::fabs(x - (left + right) * 0.5f) / ((right - left) * 0.5f));
    canvas.Polygon({{x - 0.003f, 0.64f}, {x - 0.003f, top}, {x + 0.003f, top}, {x + 0.003f, 0.64f}}, frame, 1.0f);
  }
  for (float y : {0.3f, 0.42f, 0.53f, 0.64f}) {
    canvas.Polygon({{left, y - 0.004f}, {right, y - 0.004f}, {right, y + 0.004f}, {left, y + 0.004f}}, frame, 1.0f);
  }
  canvas.Stroke({{left, eave}, {(left + right) * 0.5f, ridge}, {right, eave}}, 0.01f, frame, 1.0f, rng);
  // Sunlight flashing on the glass.
  for (int i = 0; i < 10; ++i) {
    canvas.Dab({{rng.Range(left, right), rng.Range(0.25f, 0.6f)}, 0.08f, 0.02f, -0.9f, Hex(0xFFFFF4), 0.3f,
               static_cast<std::uint32_t>(rng.Next())});
  }
  // The hollyhocks: tall spikes of round flowers, buds getting smaller towards the top.
  const Colour blooms[5] = {Hex(0xE0406A), Hex(0xF4B8C8), Hex(0xB02A4A), Hex(0xF8F0E0), Hex(0xE88AA8)};
  for (int i = 0; i < 11; ++i) {
    const float x = 0.04f + static_cast<float>(i) * 0.085f + rng.Signed(0.02f);
    const float top = rng.Range(0.12f, 0.3f);
    const float foot = rng.Range(0.8f, 0.95f);
    canvas.Stroke({{x, foot}, {x + rng.Signed(0.01f), (foot + top) * 0.5f}, {x + rng.Signed(0.02f), top}}, 0.008f,
                  Hex(0x3A5A26), 1.0f, rng);
    DabField(canvas, rng, {x, (foot + 0.62f) * 0.5f + 0.05f}, 0.06f, 0.12f, 40, 0.05f,
             {Hex(0x3A5E28), Hex(0x5A7E34)}, 0.9f, 0.0f, 3.0f);
    const Colour bloom = blooms[rng.Below(5)];
    for (float y = top; y < foot - 0.15f; y += 0.035f) {
      const float grow = (y - top) / (foot - top);
      const float r = 0.012f + 0.022f * std::min(1.0f, grow * 1.8f);
      const float side = rng.Signed(0.012f);
      canvas.ShadedBall({x + side, y}, r, r * 0.9f, Vary(bloom, rng, 0.05f), Hex(0xFFF4F0), Scale(bloom, 0.5f),
                        {-0.6f, -0.7f}, brush.detail);
      canvas.Ellipse({{x + side, y}, r * 0.25f, r * 0.25f, 0.0f, Hex(0xF4E070), 0.9f, 0.5f});
    }
  }
  DabField(canvas, rng, {0.5f, 0.93f}, 0.9f, 0.1f, 500, 0.04f, {Hex(0x3A5A26), Hex(0x6A8E3A), Hex(0x8AAE4A)}, 0.8f,
           -1.4f, 0.5f);
}

void PaintRoseArbourAfterRain(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0x9AA6B4)}, {0.4f, Hex(0xD8DCDA)}, {0.5f, Hex(0xE8E8DE)}});
  CloudBank(canvas, rng, brush.noise, 0.0f, 0.25f, 8, 0.25f, Hex(0xE8E8E4), Hex(0x8A929E), 0.7f);
  // Glimpse of the garden beyond the arch.
  canvas.Ground(Ridge(brush.noise, 0.5f, 0.03f, 3.0f, 1.0f), 1.01f, Hex(0x8AA67A), Hex(0x5A7A4A), 0.2f, brush.detail);
  const TreeLook far{Hex(0x4A4A3A), Hex(0x5A7060), Hex(0x7A9078), Hex(0xA8B8A0), 120, 0.04f};
  Tree(canvas, rng, {0.52f, 0.52f}, 0.25f, 0.25f, far);
  // A wet flagstone path shining with the sky.
  canvas.Polygon({{0.44f, 0.52f}, {0.56f, 0.52f}, {0.86f, 1.01f}, {0.14f, 1.01f}}, Hex(0xA8A49A), 1.0f);
  DabField(canvas, rng, {0.5f, 0.8f}, 0.35f, 0.2f, 300, 0.04f, {Hex(0x9A968A), Hex(0xB8B4A8), Hex(0x8A8C84)}, 0.4f, 0.0f, 0.3f);
  for (int i = 0; i < 40; ++i) {
    const float t = rng.Uniform();
    const float y = 0.52f + 0.49f * t * t;
    const float half = 0.06f + 0.3f * (y - 0.52f) / 0.49f;
    canvas.Ellipse({{0.5f + rng.Signed(half) / canvas.Aspect() * 0.9f, y}, 0.01f + 0.06f * t, 0.003f + 0.012f * t, 0.0f,
                   Hex(0xE8ECEC), 0.55f, 0.7f});
  }
  // Joints between the flags, closer together into the distance.
  for (float d = 0.0f; d < 1.0f; d += 0.09f) {
    const float y = 0.52f + 0.49f * d * d;
    const float half = 0.06f + 0.3f * (y - 0.52f) / 0.49f;
    canvas.Polygon({{0.5f - half / canvas.Aspect() * 0.95f, y}, {0.5f + half / canvas.Aspect() * 0.95f, y},
                    {0.5f + half / canvas.Aspect() * 0.95f, y + 0.002f + 0.004f * d},
                    {0.5f - half / canvas.Aspect() * 0.95f, y + 0.002f + 0.004f * d}},
                   Hex(0x6A6E66), 0.7f);
  }
  canvas.Polygon({{0.499f, 0.52f}, {0.501f, 0.52f}, {0.505f, 1.01f}, {0.495f, 1.01f}}, Hex(0x6A6E66), 0.6f);
  // The arbour: two posts and an arch, smothered in leaves and roses.
  const Colour post = Hex(0x4A3A2E);
  canvas.Polygon({{0.22f, 1.01f}, {0.22f, 0.2f}, {0.25f, 0.2f}, {0.25f, 1.01f}}, post, 1.0f);
  canvas.Polygon({{0.75f, 1.01f}, {0.75f, 0.2f}, {0.78f, 0.2f}, {0.78f, 1.01f}}, post, 1.0f);
  std::vector<Point> arch;
  for (int k = 0; k <= 24; ++k) {
    const float a = 3.14159f * static_cast<float>(k) / 24.0f;
    arch.push_back({0.5f - 0.265f * std::cos(a), 0.22f - 0.16f * std::sin(a)});
  }
  const std::vector<Colour> leaves{Hex(0x2A4426), Hex(0x3E5E30), Hex(0x5A7A3A), Hex(0x1E3420)};
  const std::vector<Colour> roses{Hex(0xE8708A), Hex(0xF4B0BC), Hex(0xC83A5A), Hex(0xF8E0E0)};
  for (const Point& p : arch) DabField(canvas, rng, p, 0.07f, 0.06f, 40, 0.035f, leaves, 0.9f, 0.0f, 3.0f);
  for (float y = 0.25f; y < 1.0f; y += 0.05f) {
    DabField(canvas, rng, {0.235f, y}, 0.07f, 0.04f, 24, 0.035f, leaves, 0.9f, 0.0f, 3.0f);
    DabField(canvas, rng, {0.765f, y}, 0.07f, 0.04f, 24, 0.035f, leaves, 0.9f, 0.0f, 3.0f);
  }
  auto rose = [&](Point at) {
    const Colour c = roses[static_cast<std::size_t>(rng.Below(4))];
    const float r = rng.Range(0.01f, 0.018f);
    canvas.ShadedBall(at, r, r, c, Hex(0xFFF4F4), Scale(c, 0.55f), {-0.5f, -0.8f}, brush.detail);
    // A raindrop still on the petals.
    if (rng.Uniform() < 0.3f) canvas.Ellipse({{at.x + r * 0.2f, at.y - r * 0.3f}, r * 0.2f, r * 0.2f, 0.0f, Hex(0xFFFFFF), 0.8f, 0.5f});
  };
  for (const Point& p : arch) {
    for (int i = 0; i < 2; ++i) rose({p.x + rng.Signed(0.04f), p.y + rng.Signed(0.04f)});
  }
  for (float y = 0.25f; y < 0.95f; y += 0.04f) {
    if (rng.Uniform() < 0.6f) rose({0.235f + rng.Signed(0.04f), y});
    if (rng.Uniform() < 0.6f) rose({0.765f + rng.Signed(0.04f), y});
  }
  // Box hedges at the foot of the posts.
  DabField(canvas, rng, {0.08f, 0.9f}, 0.22f, 0.14f, 400, 0.04f, leaves, 0.9f, 0.0f, 3.0f);
  DabField(canvas, rng, {0.92f, 0.9f}, 0.22f, 0.14f, 400, 0.04f, leaves, 0.9f, 0.0f, 3.0f);
}

void PaintOrchardInBlossom(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0x8EB8E0)}, {0.4f, Hex(0xDCE8F0)}, {0.5f, Hex(0xF0F0E6)}});
  CloudBank(canvas, rng, brush.noise, 0.03f, 0.2f, 6, 0.14f, Hex(0xFFFFFF), Hex(0xC4CCD8), 0.7f);
  // Far downs, blue with distance, then the orchard grass.
  canvas.Ground(Ridge(brush.noise, 0.43f, 0.05f, 1.5f, 8.0f), 0.6f, Hex(0x98AEB0), Hex(0xA8C0A0), 0.05f, brush.detail);
  canvas.Ground(Ridge(brush.noise, 0.5f, 0.015f, 2.0f, 3.0f), 1.01f, Hex(0x9AC060), Hex(0x5A8A34), 0.2f, brush.detail);
  // Greythorne's trees: dark crooked limbs under clouds of white and pink blossom, in rows.
  const TreeLook blossom{Hex(0x3A2C26), Hex(0xC08098), Hex(0xECBCCC), Hex(0xFFF6F4), 320, 0.03f, 7};
  const float row_y[3] = {0.5f, 0.63f, 0.9f};
  const float row_scale[3] = {0.42f, 0.68f, 1.15f};
  const int row_trees[3] = {7, 4, 2};
  for (int row = 0; row < 3; ++row) {
    const float y = row_y[row];
    const float scale = row_scale[row];
    const int trees = row_trees[row];
    for (int i = 0; i < trees; ++i) {
      // The nearest pair stands at the sides and frames the view down the rows.
      const float x = row == 2 ? (i == 0 ? 0.12f : 0.9f)
                               : (static_cast<float>(i) + 0.5f + rng.Signed(0.15f)) / static_cast<float>(trees) +
                                     (row == 1 ? 0.06f : 0.0f);
      canvas.Ellipse({{x, y + 0.01f}, 0.12f * scale, 0.02f * scale, 0.0f, Hex(0x4A7A2A), 0.4f, 0.9f});
      TreeLook look = blossom;
      look.dab_size *= scale;
      Tree(canvas, rng, {x, y}, 0.32f * scale, 0.34f * scale, look);
    }
  }
  // Dandelions and daisies in the grass.
  DabField(canvas, rng, {0.5f, 0.9f}, 0.9f, 0.12f, 250, 0.012f, {Hex(0xF8E040), Hex(0xFFFFF0)}, 0.9f, 0.0f, 3.0f);
  // Fallen petals.
  DabField(canvas, rng, {0.5f, 0.85f}, 0.8f, 0.2f, 200, 0.008f, {Hex(0xF8E0E8)}, 0.8f, 0.0f, 3.0f);
}

void PaintKitchenGardenInSeptember(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  // Vantreece: warm late light, the garden seen from above so the rows run up the picture.
  canvas.VerticalGradient({{0.0f, Hex(0xA8C0D0)}, {0.2f, Hex(0xF0DEB0)}});
  const TreeLook hedge{Hex(0x3A2E22), Hex(0x3A4A24), Hex(0x6A7A34), Hex(0xB8A850), 160, 0.04f};
  for (float x = 0.0f; x < 1.05f; x += 0.12f) Tree(canvas, rng, {x, 0.26f}, 0.22f, 0.24f, hedge);
  canvas.Ground({{-0.01f, 0.24f}, {1.01f, 0.24f}}, 1.01f, Hex(0x8A6A44), Hex(0x5A3E28), 0.3f, brush.detail);
  // Rows converge on a point above the picture.
  const Point vanish{0.5f, -0.3f};
  const std::vector<Colour> cabbage{Hex(0x5A7A5A), Hex(0x8AA87A), Hex(0x3E5E48)};
  const std::vector<Colour> leek{Hex(0x4E7A3A), Hex(0x9AB06A)};
  const std::vector<Colour> marigold{Hex(0xF0A020), Hex(0xE86A10), Hex(0xF8D040)};
  for (int row = 0; row < 7; ++row) {
    const float foot_x = -0.35f + static_cast<float>(row) * 0.28f;
    const int kind = row % 3;
    for (int k = 0; k < 14; ++k) {
      const float t = static_cast<float>(k) / 13.0f;
      const float y = 0.27f + 0.75f * t * t;
      const float depth = (y - vanish.y) / (1.0f - vanish.y);
      const float x = vanish.x + (foot_x - vanish.x) * depth;
      const float s = 0.02f + 0.06f * t;
      if (kind == 0) {
        DabField(canvas, rng, {x, y}, s, s * 0.8f, 18, s * 0.7f, cabbage, 0.9f, 0.0f, 3.0f);
      } else if (kind == 1) {
        DabField(canvas, rng, {x, y - s * 0.6f}, s * 0.6f, s, 12, s * 0.9f, leek, 0.9f, 1.57f, 0.4f);
      } else {
        DabField(canvas, rng, {x, y}, s, s * 0.6f, 14, s * 0.5f, {Hex(0x3A5A2A)}, 0.9f, 0.0f, 3.0f);
        DabField(canvas, rng, {x, y - s * 0.2f}, s * 0.9f, s * 0.5f, 10, s * 0.4f, marigold, 0.95f, 0.0f, 3.0f);
      }
    }
  }
  // Pumpkins ripening at the front and bean poles with their last pods.
  for (int i = 0; i < 4; ++i) {
    const Point at{0.12f + static_cast<float>(i) * 0.25f + rng.Signed(0.04f), rng.Range(0.86f, 0.94f)};
    const float r = rng.Range(0.045f, 0.07f);
    canvas.Ellipse({{at.x, at.y + r * 0.7f}, r * 1.3f, r * 0.3f, 0.0f, Hex(0x3A2818), 0.5f, 0.8f});
    canvas.ShadedBall(at, r * 1.2f, r * 0.85f, Hex(0xE07A20), Hex(0xFFD8A0), Hex(0x7A3A10), {-0.6f, -0.8f},
                      brush.detail);
  }
  for (int i = 0; i < 5; ++i) {
    const float x = 0.62f + static_cast<float>(i) * 0.07f;
    canvas.Stroke({{x, 0.75f}, {x + 0.02f, 0.32f}}, 0.006f, Hex(0x6A4A2E), 1.0f, rng);
    DabField(canvas, rng, {x + 0.01f, 0.5f}, 0.05f, 0.17f, 60, 0.03f, {Hex(0x4A6A2E), Hex(0x7A9A3A), Hex(0xA0A850)}, 0.85f,
             0.0f, 3.0f);
  }
}

}  // namespace ossen
