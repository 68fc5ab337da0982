// Harbours and seas. Marrow paints wide skies over a low horizon, water broken into short level
// strokes and boats in dark hulls; Tessaro paints the harbour after dark, deep blue and violet
// with lights that run down into the water; Sorrenlund and Brisbarre each painted one sea.
#include <cmath>

#include "res/painter/paintings.h"
#include "res/painter/scenery.h"

namespace ossen {

namespace {

// Vertical streaks of light on water below a lamp, the moon or the sun.
void LightPath(Canvas& canvas, Rng& rng, float x, float y_top, float y_bottom, float spread,
               Colour colour, int count, float alpha) {
  const float aspect = canvas.Aspect();
  for (int i = 0; i < count; ++i) {
    const float t = rng.Uniform();
    const float y = y_top + (y_bottom - y_top) * t;
    const float wide = spread * (0.3f + t);
    canvas.Dab({{x + rng.Signed(wide) / aspect, y}, rng.Range(0.015f, 0.05f) * (0.4f + t),
               rng.Range(0.003f, 0.007f), rng.Signed(0.05f), Vary(colour, rng, 0.08f),
               alpha * (1.0f - t * 0.6f), static_cast<std::uint32_t>(rng.Next())});
  }
}

// Marrow's stone quay in the left foreground, its top lit and its face in shadow.
void Quay(Canvas& canvas, Brush brush, float x_end, float y_far, float y_near, Colour stone) {
  canvas.Ground({{-0.01f, y_near}, {x_end, y_far}}, 1.01f, Scale(stone, 0.75f), Scale(stone, 0.45f),
                0.25f, brush.detail);
  canvas.Polygon({{-0.01f, y_near - 0.025f}, {x_end, y_far - 0.012f}, {x_end, y_far}, {-0.01f, y_near}},
                 stone, 1.0f);
  // Courses of dressed stone in the quay's face.
  for (float y = y_near + 0.04f; y < 1.0f; y += 0.045f) {
    canvas.Polygon({{-0.01f, y}, {x_end, y + (y_far - y_near)}, {x_end, y + (y_far - y_near) + 0.003f}, {-0.01f, y + 0.003f}},
                   Scale(stone, 0.3f), 0.5f);
    for (float x = brush.rng.Range(0.0f, 0.05f); x < x_end; x += brush.rng.Range(0.05f, 0.09f)) {
      const float top = y + (y_far - y_near) * (x / x_end);
      canvas.Polygon({{x, top}, {x + 0.003f, top}, {x + 0.003f, top + 0.045f}, {x, top + 0.045f}}, Scale(stone, 0.3f), 0.4f);
    }
  }
  // Bollards along the edge.
  for (float x = 0.06f; x < x_end - 0.03f; x += 0.11f) {
    const float y = y_near + (y_far - y_near) * (x / x_end) - 0.02f;
    canvas.Ellipse({{x, y}, 0.012f, 0.02f, 0.0f, Scale(stone, 0.3f), 1.0f, 0.2f});
  }
}

}  // namespace

void PaintMarrowHarbourAtDusk(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.6f;
  canvas.VerticalGradient({{0.0f, Hex(0x1E2748)}, {0.25f, Hex(0x3E4470)}, {0.45f, Hex(0xA06A7E)},
                           {0.56f, Hex(0xE79A62)}, {0.61f, Hex(0xF5C886)}});
  CloudBank(canvas, rng, brush.noise, 0.06f, 0.42f, 10, 0.2f, Hex(0xD9927E), Hex(0x34325A), 0.75f);
  Glow(canvas, {0.7f, 0.575f}, 0.05f, Hex(0xFFD9A0), 0.3f);
  canvas.Ellipse({{0.7f, 0.575f}, 0.028f, 0.028f, 0.0f, Hex(0xFFEBC8), 1.0f, 0.3f});
  Townscape(canvas, rng, -0.01f, 0.5f, horizon, 0.07f, Hex(0x3A2E48), Hex(0xFFC870), 0.12f);
  canvas.Reflect(horizon, Hex(0x2A2E52), 0.3f, 0.012f, brush.detail);
  LightPath(canvas, rng, 0.7f, horizon + 0.01f, 0.95f, 0.05f, Hex(0xFFD090), 260, 0.6f);
  WaterStrokes(canvas, rng, horizon, 1.0f, 700, 0.05f, {Hex(0x3A3D6A), Hex(0x6A5478), Hex(0xD08A6A)}, 0.45f);
  const BoatLook dark{Hex(0x2A1E24), Hex(0x8A3A2A), Hex(0x2A2024), Hex(0xC8B090), false, 0.0f, true};
  Boat(canvas, rng, {0.55f, 0.74f}, 0.2f, dark);
  BoatLook blue = dark;
  blue.hull = Hex(0x22304A);
  blue.trim = Hex(0xC89A50);
  Boat(canvas, rng, {0.83f, 0.8f}, 0.26f, blue);
  Boat(canvas, rng, {0.43f, 0.68f}, 0.12f, dark);
  Quay(canvas, brush, 0.34f, 0.8f, 0.74f, Hex(0x6A5A64));
}

void PaintNorthSeaMorningSquall(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.52f;
  canvas.VerticalGradient({{0.0f, Hex(0x4A5560)}, {0.3f, Hex(0x7D8A90)}, {0.5f, Hex(0xC8CCC2)}, {0.53f, Hex(0xD8D8CC)}});
  Glow(canvas, {0.3f, 0.3f}, 0.12f, Hex(0xF0EEDC), 0.25f);
  CloudBank(canvas, rng, brush.noise, 0.02f, 0.3f, 12, 0.28f, Hex(0x8C949A), Hex(0x2E3640), 0.9f);
  CloudBank(canvas, rng, brush.noise, 0.25f, 0.45f, 6, 0.15f, Hex(0xB8BCB6), Hex(0x5A646C), 0.6f);
  // The squall: slanted veils of rain under the darkest cloud.
  for (int i = 0; i < 90; ++i) {
    const float x = rng.Range(0.55f, 0.95f);
    const float y = rng.Range(0.15f, 0.3f);
    canvas.Stroke({{x, y}, {x - 0.05f, horizon}}, rng.Range(0.004f, 0.012f), Hex(0x4A5260), 0.12f, rng);
  }
  canvas.Reflect(horizon, Hex(0x3E5A5C), 0.72f, 0.02f, brush.detail);
  canvas.Mottle(0.12f, 10.0f, brush.noise, horizon, 1.0f);
  // Choppy sea: swells of dark green-grey with white crests.
  WaterStrokes(canvas, rng, horizon, 1.0f, 1100, 0.06f, {Hex(0x2E4848), Hex(0x4E6A66), Hex(0x6E8A84)}, 0.6f);
  WaterStrokes(canvas, rng, horizon + 0.01f, 1.0f, 260, 0.04f, {Hex(0xE8ECE4), Hex(0xC8D4CC)}, 0.7f);
  const BoatLook look{Hex(0x3A2A22), Hex(0xA8442C), Hex(0x2A2420), Hex(0xC8A46A), true, -0.12f, false};
  Boat(canvas, rng, {0.32f, 0.58f}, 0.12f, look);
  Birds(canvas, rng, {0.22f, 0.22f}, 0.08f, 4, 0.018f, Hex(0x2A2E34));
}

void PaintFishingBoatsAtLowTide(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.46f;
  canvas.VerticalGradient({{0.0f, Hex(0x5E8EC0)}, {0.3f, Hex(0x9CC0DC)}, {0.46f, Hex(0xE6E8DE)}});
  CloudBank(canvas, rng, brush.noise, 0.08f, 0.36f, 9, 0.17f, Hex(0xFFFCF2), Hex(0xA8AEBC), 0.9f);
  canvas.Reflect(horizon, Hex(0x6E98B0), 0.45f, 0.008f, brush.detail);
  // The ebb has left wet sand: ochre grounds with the sky still shining in the pools.
  canvas.Ground(Ridge(brush.noise, 0.52f, 0.012f, 3.0f, 4.0f), 1.01f, Hex(0xC8AE84), Hex(0x9A7E58), 0.18f,
                brush.detail);
  for (int i = 0; i < 14; ++i) {
    const Point at{rng.Range(0.0f, 1.0f), rng.Range(0.56f, 0.95f)};
    canvas.Ellipse({at, rng.Range(0.04f, 0.14f), rng.Range(0.006f, 0.02f), rng.Signed(0.05f),
                   Mix(Hex(0xB4CCDC), Hex(0xE8ECE4), rng.Uniform()), 0.7f, 0.6f});
  }
  DabField(canvas, rng, {0.5f, 0.8f}, 0.8f, 0.2f, 500, 0.03f, {Hex(0xB09670), Hex(0xD6C29C), Hex(0x8A6E4C)}, 0.35f, 0.0f, 0.2f);
  const BoatLook looks[4] = {
      {Hex(0x2E4C6E), Hex(0xE0D8C4), Hex(0x3A2E26), Hex(0xC09060), false, 0.08f, false},
      {Hex(0x9A3A2A), Hex(0xE8D8A0), Hex(0x3A2E26), Hex(0xC09060), false, -0.1f, false},
      {Hex(0x2E5E4A), Hex(0xD8C060), Hex(0x3A2E26), Hex(0xC09060), false, 0.05f, false},
      {Hex(0xE0DAC8), Hex(0x2E4C6E), Hex(0x3A2E26), Hex(0xC09060), false, -0.06f, false},
  };
  const Point places[4] = {{0.22f, 0.66f}, {0.5f, 0.74f}, {0.8f, 0.69f}, {0.66f, 0.9f}};
  const float sizes[4] = {0.3f, 0.36f, 0.27f, 0.42f};
  for (int i = 0; i < 4; ++i) {
    // The keel's shadow on the sand.
    canvas.Ellipse({{places[i].x + 0.015f, places[i].y + 0.012f}, sizes[i] * 0.5f, sizes[i] * 0.06f, 0.0f,
                   Hex(0x5E4A34), 0.45f, 0.7f});
    Boat(canvas, rng, places[i], sizes[i], looks[i]);
  }
}

void PaintBreakwaterInNovember(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.5f;
  canvas.VerticalGradient({{0.0f, Hex(0x6A6E72)}, {0.35f, Hex(0x9A9C98)}, {0.5f, Hex(0xBCBAB0)}});
  CloudBank(canvas, rng, brush.noise, 0.05f, 0.42f, 12, 0.25f, Hex(0xA8A8A2), Hex(0x5E6266), 0.7f);
  // A break in the overcast lets a band of pale light down onto the far sea.
  canvas.Ellipse({{0.8f, horizon - 0.03f}, 0.4f, 0.035f, 0.0f, Hex(0xF0EEE0), 0.55f, 1.0f});
  canvas.Reflect(horizon, Hex(0x5A6660), 0.6f, 0.015f, brush.detail);
  WaterStrokes(canvas, rng, horizon, 1.0f, 900, 0.055f, {Hex(0x4E5A56), Hex(0x7A847C), Hex(0xA4A8A0)}, 0.5f);
  WaterStrokes(canvas, rng, horizon, horizon + 0.08f, 200, 0.05f, {Hex(0xE0E2D8)}, 0.5f);
  // The breakwater runs out from the left foreground to the light at its end.
  canvas.Polygon({{-0.01f, 0.78f}, {0.62f, 0.49f}, {0.64f, 0.5f}, {0.64f, 0.515f}, {-0.01f, 0.95f}},
                 Hex(0x4A4844), 1.0f);
  canvas.Polygon({{-0.01f, 0.74f}, {0.62f, 0.478f}, {0.64f, 0.49f}, {-0.01f, 0.79f}}, Hex(0x86827A), 1.0f);
  for (int i = 0; i < 60; ++i) {
    const float t = rng.Uniform();
    canvas.Dab({{t * 0.62f, 0.78f - t * 0.29f + rng.Range(0.0f, 0.08f) * (1.0f - t)}, 0.03f * (1.2f - t),
               0.012f * (1.2f - t), -0.43f, Vary(Hex(0x5E5A54), rng, 0.12f), 0.6f,
               static_cast<std::uint32_t>(rng.Next())});
  }
  // Lighthouse.
  canvas.Polygon({{0.615f, 0.49f}, {0.622f, 0.37f}, {0.636f, 0.37f}, {0.643f, 0.49f}}, Hex(0xE4DED2), 1.0f);
  canvas.Polygon({{0.615f, 0.455f}, {0.643f, 0.455f}, {0.641f, 0.435f}, {0.617f, 0.435f}}, Hex(0xA03A2E), 1.0f);
  canvas.Polygon({{0.62f, 0.372f}, {0.629f, 0.35f}, {0.638f, 0.372f}}, Hex(0x3A3A3A), 1.0f);
  Glow(canvas, {0.629f, 0.365f}, 0.012f, Hex(0xFFE6A8), 0.35f);
  // Foam where the sea runs along the foot of the stones.
  for (int i = 0; i < 120; ++i) {
    const float t = rng.Uniform();
    canvas.Dab({{t * 0.64f, 0.95f - t * 0.435f + rng.Range(0.0f, 0.012f)}, rng.Range(0.02f, 0.06f) * (1.2f - t), 0.006f * (1.2f - t),
               -0.6f, Hex(0xE8ECE8), 0.45f, static_cast<std::uint32_t>(rng.Next())});
  }
  // Boulders heaped against the sea side of the wall, large near us, small far out.
  for (int i = 0; i < 70; ++i) {
    const float t = rng.Range(0.0f, 0.6f) * rng.Range(0.3f, 1.0f);
    const float r = 0.06f * (1.0f - t * 1.4f) * rng.Range(0.5f, 1.1f);
    const Point at{t * 0.64f + rng.Signed(0.03f), 0.95f - t * 0.435f + rng.Range(-0.02f, 0.03f) * (1.0f - t)};
    const Colour stone = Mix(Hex(0x4A4842), Hex(0x7A766C), rng.Uniform());
    const float squash = rng.Range(0.55f, 0.85f);
    canvas.ShadedBall(at, r * 1.2f, r * squash, stone, Hex(0xA8A498), Hex(0x1E1C1A), {-0.3f, -1.0f}, brush.noise);
  }
  Birds(canvas, rng, {0.75f, 0.2f}, 0.1f, 3, 0.02f, Hex(0x3A3A3E));
}

void PaintTessaroHarbourAtDusk(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.56f;
  canvas.VerticalGradient({{0.0f, Hex(0x0E1230)}, {0.3f, Hex(0x2A2458)}, {0.5f, Hex(0x6A3E70)}, {0.57f, Hex(0xC0607A)}});
  for (int i = 0; i < 50; ++i) {
    canvas.Ellipse({{rng.Uniform(), rng.Range(0.0f, 0.3f)}, 0.0018f, 0.0018f, 0.0f, Hex(0xE8E8FF),
                   rng.Range(0.3f, 0.9f), 0.6f});
  }
  Townscape(canvas, rng, -0.01f, 0.62f, horizon, 0.09f, Hex(0x1C1632), Hex(0xFFC45A), 0.35f);
  Townscape(canvas, rng, 0.62f, 1.01f, horizon, 0.05f, Hex(0x241A3A), Hex(0xFFC45A), 0.25f);
  canvas.Reflect(horizon, Hex(0x141634), 0.45f, 0.01f, brush.detail);
  // A thin crescent moon, high enough that the water does not hold it.
  canvas.Ellipse({{0.8f, 0.14f}, 0.03f, 0.03f, 0.0f, Hex(0xF4ECC8), 1.0f, 0.08f});
  canvas.Ellipse({{0.81f, 0.13f}, 0.028f, 0.028f, 0.0f, Hex(0x141838), 1.0f, 0.08f});
  // Lamps along the far quay and their long reflections.
  for (float x = 0.05f; x < 1.0f; x += rng.Range(0.08f, 0.16f)) {
    Glow(canvas, {x, horizon - 0.02f}, 0.01f, Hex(0xFFC060), 0.45f);
    canvas.Ellipse({{x, horizon - 0.02f}, 0.005f, 0.005f, 0.0f, Hex(0xFFF0C0), 1.0f, 0.4f});
    LightPath(canvas, rng, x, horizon + 0.005f, 0.92f, 0.01f, Hex(0xFFB050), 70, 0.7f);
  }
  WaterStrokes(canvas, rng, horizon, 1.0f, 500, 0.05f, {Hex(0x1A1C40), Hex(0x3A2A5A), Hex(0x602E50)}, 0.5f);
  const BoatLook look{Hex(0x0A0A16), Hex(0x3A2A40), Hex(0x0A0A16), Hex(0x000000), false, 0.0f, true};
  Boat(canvas, rng, {0.28f, 0.78f}, 0.3f, look);
  Boat(canvas, rng, {0.66f, 0.7f}, 0.2f, look);
}

void PaintLanternsOnTheQuay(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.5f;
  // Midsummer: the sky never goes quite dark in the north.
  canvas.VerticalGradient({{0.0f, Hex(0x141C40)}, {0.35f, Hex(0x2E3E70)}, {0.5f, Hex(0x5E7096)}});
  for (int i = 0; i < 40; ++i) {
    canvas.Ellipse({{rng.Uniform(), rng.Range(0.0f, 0.25f)}, 0.0016f, 0.0016f, 0.0f, Hex(0xF0F0FF),
                   rng.Range(0.3f, 0.8f), 0.6f});
  }
  canvas.Ground(Ridge(brush.noise, horizon - 0.02f, 0.025f, 2.5f, 9.0f), horizon + 0.01f, Hex(0x1E2440),
                Hex(0x1E2440), 0.1f, brush.detail);
  canvas.Reflect(horizon, Hex(0x18204A), 0.4f, 0.01f, brush.detail);
  WaterStrokes(canvas, rng, horizon, 1.0f, 400, 0.05f, {Hex(0x1E2A58), Hex(0x3A4A7A)}, 0.5f);
  // The quay fills the left and the foreground.
  const Colour stone = Hex(0x4A3A3A);
  canvas.Ground({{-0.01f, 0.58f}, {0.35f, 0.62f}, {0.6f, 0.78f}, {1.01f, 0.86f}}, 1.01f, Scale(stone, 0.9f),
                Scale(stone, 0.6f), 0.3f, brush.detail);
  for (int i = 0; i < 300; ++i) {
    const float x = rng.Uniform();
    const float y = rng.Range(0.62f, 1.0f);
    canvas.Dab({{x, y}, 0.04f, 0.018f, rng.Signed(0.1f), Vary(Hex(0x5A4440), rng, 0.12f), 0.3f,
               static_cast<std::uint32_t>(rng.Next())});
  }
  Townscape(canvas, rng, -0.01f, 0.3f, 0.6f, 0.13f, Hex(0x2A2030), Hex(0xFFB850), 0.3f);
  // A string of lanterns sagging between posts, each throwing warm light on the stones.
  const Colour lantern_colours[3] = {Hex(0xFF9A3A), Hex(0xFFD060), Hex(0xF05A3A)};
  for (int span = 0; span < 3; ++span) {
    const float xa = 0.05f + static_cast<float>(span) * 0.32f;
    const float xb = xa + 0.32f;
    const float ya = 0.3f + static_cast<float>(span) * 0.04f;
    const float yb = ya + 0.04f;
    std::vector<Point> wire;
    for (int k = 0; k <= 20; ++k) {
      const float t = static_cast<float>(k) / 20.0f;
      wire.push_back({xa + (xb - xa) * t, ya + (yb - ya) * t + 0.07f * std::sin(t * 3.14159f)});
    }
    canvas.Stroke(wire, 0.003f, Hex(0x1A1414), 0.8f, rng);
    canvas.Polygon({{xa - 0.004f, ya}, {xa + 0.004f, ya}, {xa + 0.005f, 0.75f + 0.04f * static_cast<float>(span)},
                    {xa - 0.005f, 0.75f + 0.04f * static_cast<float>(span)}},
                   Hex(0x1A1414), 1.0f);
    for (int k = 2; k < 20; k += 3) {
      const Point at{wire[static_cast<std::size_t>(k)].x, wire[static_cast<std::size_t>(k)].y + 0.02f};
      const Colour c = lantern_colours[rng.Below(3)];
      Glow(canvas, at, 0.02f, c, 0.4f);
      canvas.Ellipse({at, 0.011f, 0.016f, 0.0f, Mix(c, Hex(0xFFF4D0), 0.5f), 1.0f, 0.4f});
      canvas.Ellipse({{at.x, 0.72f + at.y * 0.25f}, 0.09f, 0.025f, 0.0f, c, 0.22f, 1.0f});
    }
  }
}

void PaintFjordLightInSpring(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.58f;
  canvas.VerticalGradient({{0.0f, Hex(0x8AA8C8)}, {0.35f, Hex(0xC8D8E0)}, {0.55f, Hex(0xF4EED6)}});
  Glow(canvas, {0.52f, 0.42f}, 0.1f, Hex(0xFFF6DA), 0.3f);
  CloudBank(canvas, rng, brush.noise, 0.05f, 0.3f, 6, 0.2f, Hex(0xFAF8F0), Hex(0xA6B4C4), 0.6f);
  // Steep sides of the fjord, farther ones paler, snow still lying on the heights.
  const Colour far_rock = Hex(0x7282A4);
  const Colour near_rock = Hex(0x2E4038);
  for (int layer = 0; layer < 3; ++layer) {
    const float t = static_cast<float>(layer) / 2.0f;
    const Colour rock = Mix(far_rock, near_rock, t);
    const float offset = 3.0f + static_cast<float>(layer) * 5.0f;
    // The far wall closes the fjord; the nearer ones stand at the sides.
    const float centre = layer == 0 ? 0.5f : (layer == 1 ? 0.62f : 0.38f);
    std::vector<Point> ridge;
    for (int k = 0; k <= 80; ++k) {
      const float x = -0.01f + 1.02f * static_cast<float>(k) / 80.0f;
      const float n = brush.noise.Fbm(x * 7.0f + offset, offset, 5) - 0.5f;
      float height = layer == 0 ? 0.2f + (brush.noise.Fbm(x * 2.5f, 9.0f, 3) - 0.5f) * 0.3f
                                : std::fabs(x - centre) * (layer == 1 ? 1.1f : 1.6f) - 0.05f;
      if (layer == 1 && x < centre) height = 0.0f;
      if (layer == 2 && x > centre) height = 0.0f;
      ridge.push_back({x, horizon - std::fmax(0.0f, height + n * 0.16f)});
    }
    canvas.Ground(ridge, horizon + 0.002f, rock, Scale(rock, 0.75f), 0.2f, brush.detail);
    // Snow: a thin cap along the heights and streaks lying in the gullies below it.
    const float snowline = horizon - (layer == 0 ? 0.2f : 0.26f);
    const Colour snow = Mix(Hex(0xF6F4EE), rock, 0.06f + 0.12f * t);
    std::vector<Point> cap = ridge;
    for (auto it = ridge.rbegin(); it != ridge.rend(); ++it) {
      cap.push_back({it->x, it->y + std::fmin(0.02f, std::fmax(0.0f, snowline - it->y) * 0.3f)});
    }
    canvas.Polygon(cap, snow, 0.95f);
    // Patches lying down the fall line of the slopes above the snow line.
    for (int i = 0; i < 160; ++i) {
      const float x = rng.Uniform();
      const std::size_t k = std::min(ridge.size() - 1, static_cast<std::size_t>((x + 0.01f) / 1.02f * 80.0f));
      const float y = rng.Range(ridge[k].y + 0.01f, snowline);
      if (y <= ridge[k].y + 0.01f || y >= snowline) continue;
      canvas.Dab({{x, y}, rng.Range(0.02f, 0.06f), rng.Range(0.005f, 0.01f), 1.35f + rng.Signed(0.3f), snow, 0.75f,
                 static_cast<std::uint32_t>(rng.Next())});
    }
  }
  // A red boathouse on the near shore.
  canvas.Polygon({{0.74f, horizon}, {0.74f, horizon - 0.035f}, {0.79f, horizon - 0.035f}, {0.79f, horizon}}, Hex(0x9A2E22), 1.0f);
  canvas.Polygon({{0.735f, horizon - 0.035f}, {0.765f, horizon - 0.06f}, {0.795f, horizon - 0.035f}}, Hex(0x3A2A26), 1.0f);
  canvas.Reflect(horizon, Hex(0x4E6A7A), 0.22f, 0.006f, brush.detail);
  WaterStrokes(canvas, rng, horizon, 1.0f, 300, 0.06f, {Hex(0xE8EEE8), Hex(0x6E8A9A)}, 0.35f);
  const BoatLook look{Hex(0xE8E2D2), Hex(0x2E5E7A), Hex(0x4A3A2E), Hex(0xF0ECE0), true, 0.0f, true};
  Boat(canvas, rng, {0.36f, 0.72f}, 0.1f, look);
}

void PaintEstuaryAtSunset(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.56f;
  canvas.VerticalGradient({{0.0f, Hex(0x3A4A7A)}, {0.2f, Hex(0x8A6A8E)}, {0.38f, Hex(0xE88A6A)},
                           {0.5f, Hex(0xF8B860)}, {0.56f, Hex(0xFCE0A0)}});
  // Long thin clouds lit from below.
  for (int i = 0; i < 14; ++i) {
    const Point at{rng.Range(-0.1f, 1.1f), rng.Range(0.08f, 0.45f)};
    canvas.Cloud({at, rng.Range(0.15f, 0.35f), rng.Range(0.012f, 0.03f), Hex(0xFFC8A0), Hex(0x8A4A6A),
                 rng.Range(0.5f, 0.85f), brush.noise});
  }
  Glow(canvas, {0.42f, 0.52f}, 0.06f, Hex(0xFFE8A0), 0.4f);
  canvas.Ellipse({{0.42f, 0.525f}, 0.035f, 0.035f, 0.0f, Hex(0xFFF4D0), 1.0f, 0.15f});
  // The far shore, low and blue.
  canvas.Ground(Ridge(brush.noise, horizon - 0.01f, 0.012f, 4.0f, 2.0f), horizon + 0.002f, Hex(0x5A4A6A),
                Hex(0x5A4A6A), 0.05f, brush.detail);
  canvas.Reflect(horizon, Hex(0x6A5070), 0.25f, 0.008f, brush.detail);
  LightPath(canvas, rng, 0.42f, horizon + 0.005f, 1.0f, 0.06f, Hex(0xFFE0A0), 420, 0.7f);
  WaterStrokes(canvas, rng, horizon, 1.0f, 500, 0.05f, {Hex(0xE89A70), Hex(0x7A5A7E), Hex(0xF8C890)}, 0.4f);
  // Mud banks in the foreground, wet and shining.
  canvas.Ground({{-0.01f, 0.82f}, {0.2f, 0.8f}, {0.38f, 0.86f}, {0.5f, 1.01f}}, 1.01f, Hex(0x6A4A48),
                Hex(0x3A2A2C), 0.2f, brush.detail);
  canvas.Ground({{0.72f, 1.01f}, {0.85f, 0.88f}, {1.01f, 0.85f}}, 1.01f, Hex(0x6A4A48), Hex(0x3A2A2C), 0.2f,
                brush.detail);
  // The wet mud catches the sunset along its edges.
  canvas.Stroke({{-0.01f, 0.822f}, {0.2f, 0.802f}, {0.38f, 0.862f}, {0.48f, 0.98f}}, 0.006f, Hex(0xE8A070), 0.6f, rng);
  canvas.Stroke({{0.74f, 0.99f}, {0.85f, 0.882f}, {1.01f, 0.852f}}, 0.006f, Hex(0xE8A070), 0.6f, rng);
  for (int i = 0; i < 80; ++i) {
    const float x = rng.Range(0.0f, 0.3f);
    canvas.Stroke({{x, 0.84f}, {x + rng.Signed(0.01f), 0.84f - rng.Range(0.02f, 0.06f)}}, 0.003f,
                  Hex(0x3A2A26), 0.7f, rng);
  }
  const BoatLook sail{Hex(0x3A2A34), Hex(0x3A2A34), Hex(0x3A2A34), Hex(0xF4D8B0), true, 0.0f, false};
  Boat(canvas, rng, {0.78f, horizon + 0.012f}, 0.05f, sail);
  Birds(canvas, rng, {0.62f, 0.26f}, 0.14f, 6, 0.025f, Hex(0x2A2230));
  Birds(canvas, rng, {0.25f, 0.36f}, 0.05f, 2, 0.018f, Hex(0x3A2A3A));
}

}  // namespace ossen
