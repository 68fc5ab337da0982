// Divided colour. Veldmoor lays a scene down first and then repaints it entirely in small round
// dots of pure, slightly shifted colour on a pale ground; Ferrowyn works the same way with long
// dashes that follow the lie of the land.
#include <cmath>

#include "res/painter/paintings.h"
#include "res/painter/scenery.h"

namespace ossen {

namespace {

constexpr float kVeldmoorDot = 0.0055f;
const Colour kVeldmoorGround = {0.96f, 0.93f, 0.86f};

// A tall columnar poplar as a narrow flame of foliage.
void Poplar(Canvas& canvas, Rng& rng, Point base, float height, Colour dark, Colour light) {
  const float w = height * 0.13f;
  canvas.Polygon({{base.x - 0.004f, base.y}, {base.x - 0.003f, base.y - height * 0.2f},
                  {base.x + 0.003f, base.y - height * 0.2f}, {base.x + 0.004f, base.y}},
                 Hex(0x3A2E22), 1.0f);
  for (int i = 0; i < 60; ++i) {
    const float t = rng.Uniform();
    const float y = base.y - height * (0.12f + 0.88f * t);
    const float half = w * std::sin(3.14159f * std::pow(1.0f - t, 0.7f)) * 0.8f + 0.002f;
    const float side = rng.Signed(1.0f);
    canvas.Ellipse({{base.x + side * half / canvas.Aspect(), y}, w * 0.35f, height * 0.05f, 0.0f,
                   Mix(dark, light, std::fmax(0.0f, -side * 0.5f + 0.5f)), 0.9f, 0.4f});
  }
}

}  // namespace

void PaintSundayOnTheRiverMeadow(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  Canvas scene(canvas.width(), canvas.height());
  scene.VerticalGradient({{0.0f, Hex(0x7AA8E0)}, {0.35f, Hex(0xD0E4F0)}});
  CloudBank(scene, rng, brush.noise, 0.04f, 0.2f, 5, 0.15f, Hex(0xFFFFF8), Hex(0xC0C8D8), 0.8f);
  scene.Ground(Ridge(brush.noise, 0.36f, 0.02f, 3.0f, 1.0f), 1.01f, Hex(0x6E9A50), Hex(0x4A8A3A), 0.1f, brush.detail);
  const TreeLook tree{Hex(0x4A3A2A), Hex(0x2A5A30), Hex(0x4A8A3A), Hex(0xA8C860), 90, 0.06f};
  Tree(scene, rng, {0.12f, 0.5f}, 0.45f, 0.32f, tree);
  Tree(scene, rng, {0.85f, 0.45f}, 0.35f, 0.26f, tree);
  // The river bends across the meadow, the far bank in shade.
  scene.Polygon({{-0.01f, 0.46f}, {0.4f, 0.44f}, {1.01f, 0.5f}, {1.01f, 0.62f}, {0.5f, 0.58f}, {-0.01f, 0.6f}},
                Hex(0x6AA0D0), 1.0f);
  scene.Polygon({{-0.01f, 0.46f}, {0.4f, 0.44f}, {1.01f, 0.5f}, {1.01f, 0.52f}, {0.4f, 0.47f}, {-0.01f, 0.49f}},
                Hex(0x3A6A80), 0.7f);
  // A white sail and a red skiff on the water, strollers in the sunlit grass.
  scene.Polygon({{0.55f, 0.53f}, {0.58f, 0.38f}, {0.6f, 0.53f}}, Hex(0xFAF6EA), 1.0f);
  scene.Polygon({{0.3f, 0.54f}, {0.4f, 0.54f}, {0.38f, 0.56f}, {0.32f, 0.56f}}, Hex(0xC83A2A), 1.0f);
  for (int i = 0; i < 6; ++i) {
    const Point at{rng.Range(0.25f, 0.8f), rng.Range(0.7f, 0.85f)};
    const float h = 0.08f + (at.y - 0.7f) * 0.5f;
    const Colour dress = i % 3 == 0 ? Hex(0xF4F0E8) : (i % 3 == 1 ? Hex(0x2A3A6A) : Hex(0xD86A4A));
    scene.Ellipse({{at.x, at.y - h * 0.4f}, h * 0.2f, h * 0.45f, 0.0f, dress, 1.0f, 0.2f});
    scene.Ellipse({{at.x, at.y - h * 0.92f}, h * 0.09f, h * 0.1f, 0.0f, Hex(0xE8B890), 1.0f, 0.3f});
    if (i % 2 == 0) {
      // A parasol against the sun.
      scene.Polygon({{at.x - h * 0.3f / scene.Aspect(), at.y - h * 1.05f}, {at.x, at.y - h * 1.3f},
                     {at.x + h * 0.3f / scene.Aspect(), at.y - h * 1.05f}},
                    Hex(0xF4D0DC), 1.0f);
    }
  }
  scene.Polygon({{-0.01f, 0.86f}, {1.01f, 0.9f}, {1.01f, 1.01f}, {-0.01f, 1.01f}}, Hex(0x3A6A2E), 0.5f);
  canvas.Pointillize(scene, kVeldmoorGround, kVeldmoorDot, 0.1f, rng);
}

void PaintPoplarsInTheNoonHeat(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  Canvas scene(canvas.width(), canvas.height());
  scene.VerticalGradient({{0.0f, Hex(0x8AB8F0)}, {0.5f, Hex(0xF4F0D8)}});
  scene.Ground(Ridge(brush.noise, 0.62f, 0.02f, 2.0f, 5.0f), 1.01f, Hex(0xE8C860), Hex(0xD8A040), 0.1f, brush.detail);
  scene.Ground(Ridge(brush.noise, 0.6f, 0.015f, 3.0f, 8.0f), 0.66f, Hex(0x9AB068), Hex(0x9AB068), 0.1f, brush.detail);
  for (int i = 0; i < 7; ++i) {
    const float x = 0.1f + static_cast<float>(i) * 0.13f;
    Poplar(scene, rng, {x, 0.66f}, 0.48f + rng.Signed(0.04f), Hex(0x2E5A3A), Hex(0x8AB85A));
    // Short noon shadows.
    scene.Ellipse({{x + 0.02f, 0.665f}, 0.04f, 0.008f, 0.0f, Hex(0x6A7A5A), 0.8f, 0.5f});
  }
  // A path of pale dust through the field.
  scene.Polygon({{0.48f, 0.66f}, {0.52f, 0.66f}, {0.7f, 1.01f}, {0.45f, 1.01f}}, Hex(0xF4E6C0), 0.9f);
  Glow(scene, {0.5f, 0.05f}, 0.2f, Hex(0xFFFCE8), 0.3f);
  canvas.Pointillize(scene, kVeldmoorGround, kVeldmoorDot, 0.1f, rng);
}

void PaintVeldmoorHarbourAtDusk(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  Canvas scene(canvas.width(), canvas.height());
  const float horizon = 0.55f;
  scene.VerticalGradient({{0.0f, Hex(0x5A6AA8)}, {0.3f, Hex(0xB08AB8)}, {0.5f, Hex(0xF4B890)}, {0.55f, Hex(0xF8D8A0)}});
  Glow(scene, {0.35f, 0.5f}, 0.08f, Hex(0xFFE8B0), 0.4f);
  Townscape(scene, rng, 0.55f, 1.01f, horizon, 0.09f, Hex(0x6A4A7A), Hex(0xFFD070), 0.1f);
  scene.Reflect(horizon, Hex(0x6A78B0), 0.35f, 0.01f, brush.detail);
  const BoatLook look{Hex(0x3A3A6A), Hex(0xE8A060), Hex(0x3A3A5A), Hex(0xF8E8C8), true, 0.0f, true};
  Boat(scene, rng, {0.2f, 0.75f}, 0.22f, look);
  Boat(scene, rng, {0.5f, 0.68f}, 0.16f, look);
  // The lighthouse jetty at the right.
  scene.Polygon({{0.7f, 0.62f}, {1.01f, 0.6f}, {1.01f, 0.66f}, {0.7f, 0.64f}}, Hex(0x5A4A6A), 1.0f);
  canvas.Pointillize(scene, kVeldmoorGround, kVeldmoorDot, 0.12f, rng);
}

void PaintLavenderRows(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  Canvas scene(canvas.width(), canvas.height());
  // A white, hazy summer sky, almost without colour.
  scene.VerticalGradient({{0.0f, Hex(0xE8ECF0)}, {0.4f, Hex(0xF8F6F0)}});
  scene.Ground(Ridge(brush.noise, 0.4f, 0.02f, 2.0f, 6.0f), 1.01f, Hex(0x9AA070), Hex(0x7A8A48), 0.05f, brush.detail);
  // A farmhouse with an ochre wall and a red roof on the rise.
  scene.Polygon({{0.66f, 0.42f}, {0.66f, 0.35f}, {0.78f, 0.35f}, {0.78f, 0.42f}}, Hex(0xE8C890), 1.0f);
  scene.Polygon({{0.65f, 0.35f}, {0.72f, 0.3f}, {0.79f, 0.35f}}, Hex(0xC05A3A), 1.0f);
  Poplar(scene, rng, {0.62f, 0.42f}, 0.2f, Hex(0x3A5A3A), Hex(0x7A9A5A));
  Poplar(scene, rng, {0.82f, 0.42f}, 0.17f, Hex(0x3A5A3A), Hex(0x7A9A5A));
  // Rows of lavender converging on the horizon.
  const Point vanish{0.45f, 0.4f};
  for (int row = -9; row <= 9; ++row) {
    const float foot = 0.45f + static_cast<float>(row) * 0.16f;
    const float half0 = 0.002f;
    const float half1 = 0.055f;
    scene.Polygon({{vanish.x - half0, vanish.y + 0.02f}, {vanish.x + half0, vanish.y + 0.02f},
                   {foot + half1, 1.01f}, {foot - half1, 1.01f}},
                  Hex(0x7A5AB0), 1.0f);
    scene.Polygon({{vanish.x, vanish.y + 0.02f}, {vanish.x + half0, vanish.y + 0.02f}, {foot + half1, 1.01f},
                   {foot + half1 * 0.2f, 1.01f}},
                  Hex(0xB08AD8), 0.6f);
  }
  canvas.Pointillize(scene, kVeldmoorGround, kVeldmoorDot, 0.1f, rng);
}

void PaintPoppyFieldAtEvening(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  Canvas scene(canvas.width(), canvas.height());
  scene.VerticalGradient({{0.0f, Hex(0x6A7AB0)}, {0.25f, Hex(0xD8A0A0)}, {0.42f, Hex(0xF8D090)}});
  Glow(scene, {0.7f, 0.4f}, 0.08f, Hex(0xFFF0C0), 0.5f);
  scene.Ground(Ridge(brush.noise, 0.44f, 0.03f, 2.0f, 2.0f), 1.01f, Hex(0x6A7A50), Hex(0x3A5A2A), 0.15f, brush.detail);
  const TreeLook tree{Hex(0x2A2A22), Hex(0x2A3A2A), Hex(0x3A4A30), Hex(0x6A6A40), 60, 0.05f};
  Tree(scene, rng, {0.2f, 0.45f}, 0.2f, 0.16f, tree);
  Tree(scene, rng, {0.28f, 0.45f}, 0.14f, 0.12f, tree);
  canvas = scene;
  // Ferrowyn's dashes run level in the sky and follow the slope of the field below.
  const float step = 0.0085f;
  for (int layer = 0; layer < 2; ++layer) {
    for (float y = 0.0f; y < 1.0f + step; y += step) {
      // Never more than one dash per pixel column, however wide the picture.
      const float step_x = std::fmax(step / canvas.Aspect(), 1.0f / static_cast<float>(canvas.width()));
      for (float x = 0.0f; x < 1.0f + step_x; x += step_x) {
        const Point at{x + rng.Signed(step * 0.6f), y + rng.Signed(step * 0.6f)};
        Colour c = scene.Sample(at.x, at.y);
        const bool field = at.y > 0.46f;
        // Poppies: clusters of red where the noise runs high, denser towards the front.
        if (field && (brush.detail.Fbm(at.x * 30.0f, at.y * 50.0f, 3) > 0.66f - (at.y - 0.46f) * 0.3f || rng.Uniform() < 0.03f)) {
          c = rng.Uniform() < 0.8f ? Hex(0xE02A1E) : Hex(0xF86A2A);
        }
        const float angle = field ? -0.25f + rng.Signed(0.5f) : rng.Signed(0.1f);
        const float len = step * (field ? 2.6f : 3.2f);
        canvas.Dab({at, len, step * 0.9f, angle, Vary(c, rng, 0.1f), 0.9f, static_cast<std::uint32_t>(rng.Next())});
      }
    }
  }
}

}  // namespace ossen
