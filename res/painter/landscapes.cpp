// Landscapes. Lindqvar paints winter in pale, cool layers with the snow's blue shadows;
// Pellamy paints the same valley country at its hours, deep skies over fields in strong light;
// Hallorby, and the unnamed master of the salt marsh, each left one landscape.
#include <cmath>

#include "res/painter/paintings.h"
#include "res/painter/scenery.h"

namespace ossen {

namespace {

// A birch: a white trunk with dark lenticels and knots, thin twigs at the top.
void Birch(Canvas& canvas, Rng& rng, float x, float foot, float top, float width) {
  const float aspect = canvas.Aspect();
  const float half = width * 0.5f / aspect;
  const float lean = rng.Signed(0.015f);
  canvas.Polygon({{x - half, foot}, {x + lean - half * 0.5f, top}, {x + lean + half * 0.5f, top}, {x + half, foot}},
                 Hex(0xE8E6E0), 1.0f);
  // Shade on the right side of the trunk.
  canvas.Polygon({{x + half * 0.2f, foot}, {x + lean + half * 0.1f, top}, {x + lean + half * 0.5f, top}, {x + half, foot}},
                 Hex(0xA8AEBC), 0.6f);
  for (float y = top; y < foot; y += rng.Range(0.015f, 0.05f)) {
    const float t = (y - top) / (foot - top);
    const float cx = x + lean * (1.0f - t);
    canvas.Dab({{cx + rng.Signed(half * 0.4f), y}, width * rng.Range(0.3f, 0.9f), width * 0.12f, rng.Signed(0.2f),
               Hex(0x2A2622), 0.85f, static_cast<std::uint32_t>(rng.Next())});
  }
  for (int k = 0; k < 6; ++k) {
    const float y = top + rng.Range(0.0f, 0.2f) * (foot - top);
    const float dir = rng.Uniform() < 0.5f ? -1.0f : 1.0f;
    canvas.Stroke({{x + lean, y}, {x + lean + dir * rng.Range(0.03f, 0.08f), y - rng.Range(0.04f, 0.1f)}}, 0.003f,
                  Hex(0x4A3E3A), 0.8f, rng);
  }
}

}  // namespace

void PaintBirchWoodUnderFirstSnow(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0xB8BCC8)}, {0.45f, Hex(0xE4DCDA)}, {0.6f, Hex(0xEEE8E2)}});
  // The wood behind, in receding veils of violet-grey.
  for (int layer = 0; layer < 3; ++layer) {
    const float t = static_cast<float>(layer) / 2.0f;
    const Colour c = Mix(Hex(0xB8B0BC), Hex(0x6A6070), t);
    for (int i = 0; i < 40; ++i) {
      const float x = rng.Uniform();
      const float top = 0.1f + rng.Range(0.0f, 0.2f) + t * 0.05f;
      canvas.Stroke({{x, 0.62f}, {x + rng.Signed(0.01f), top}}, 0.004f + t * 0.004f, c, 0.5f, rng);
    }
    canvas.Ground(Ridge(brush.noise, 0.58f + t * 0.03f, 0.02f, 5.0f, 3.0f + t), 0.7f, Mix(c, Hex(0xE8E4E0), 0.5f),
                  Mix(c, Hex(0xE8E4E0), 0.5f), 0.05f, brush.detail);
  }
  // Snow on the ground: white in the open, blue in the shadows of the trunks.
  canvas.Ground(Ridge(brush.noise, 0.64f, 0.015f, 3.0f, 9.0f), 1.01f, Hex(0xF0F0F4), Hex(0xDCE0EC), 0.06f, brush.detail);
  const float xs[9] = {0.06f, 0.17f, 0.25f, 0.41f, 0.5f, 0.63f, 0.79f, 0.86f, 0.95f};
  for (int i = 0; i < 9; ++i) {
    const float foot = 0.7f + rng.Range(0.0f, 0.25f);
    const float width = 0.02f + (foot - 0.7f) * 0.15f;
    canvas.Polygon({{xs[i], foot}, {xs[i] + 0.25f, foot + 0.03f}, {xs[i] + 0.25f, foot + 0.045f}, {xs[i], foot + 0.01f}},
                   Hex(0x9AA4C8), 0.5f);
    Birch(canvas, rng, xs[i], foot, -0.02f, width);
  }
  // The last yellow leaves caught in the twigs and lying on the snow.
  DabField(canvas, rng, {0.5f, 0.2f}, 0.7f, 0.2f, 90, 0.012f, {Hex(0xE0B040), Hex(0xC88A2A)}, 0.8f, 0.0f, 3.0f);
  DabField(canvas, rng, {0.5f, 0.85f}, 0.7f, 0.15f, 60, 0.01f, {Hex(0xC89A40), Hex(0xA87A3A)}, 0.7f, 0.0f, 3.0f);
}

void PaintFrozenLakeAtNoon(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float shore = 0.5f;
  // Midwinter noon: the sun stands low even at midday.
  canvas.VerticalGradient({{0.0f, Hex(0x7A9AC4)}, {0.3f, Hex(0xC0D0E0)}, {0.48f, Hex(0xF4E8D8)}});
  Glow(canvas, {0.62f, 0.3f}, 0.06f, Hex(0xFFF4DC), 0.4f);
  canvas.Ellipse({{0.62f, 0.3f}, 0.025f, 0.025f, 0.0f, Hex(0xFFFCF0), 1.0f, 0.3f});
  CloudBank(canvas, rng, brush.noise, 0.05f, 0.22f, 5, 0.2f, Hex(0xF8F8F8), Hex(0xB0BCD0), 0.5f);
  // Far shore of dark spruce, frosted.
  canvas.Ground(Ridge(brush.noise, shore - 0.04f, 0.02f, 4.0f, 4.0f), shore + 0.005f, Hex(0x3A4A50), Hex(0x4A5A60), 0.2f,
                brush.detail);
  for (int i = 0; i < 70; ++i) {
    const float x = rng.Uniform();
    const float h = rng.Range(0.03f, 0.08f);
    canvas.Polygon({{x - 0.008f, shore}, {x, shore - h}, {x + 0.008f, shore}}, Hex(0x2E3E46), 0.9f);
    canvas.Polygon({{x - 0.003f, shore - h * 0.6f}, {x, shore - h}, {x + 0.002f, shore - h * 0.6f}}, Hex(0xE8ECF0), 0.5f);
  }
  // The ice mirrors the sky faintly; snow lies on it in drifts; cracks run across.
  canvas.Reflect(shore, Hex(0xC8D8E8), 0.65f, 0.0f, brush.detail);
  for (int i = 0; i < 30; ++i) {
    const float y = rng.Range(shore + 0.02f, 1.0f);
    canvas.Ellipse({{rng.Uniform(), y}, rng.Range(0.1f, 0.3f), rng.Range(0.005f, 0.02f) * (y - shore) * 4.0f, rng.Signed(0.05f),
                   Hex(0xF4F6FA), 0.6f, 0.8f});
  }
  for (int i = 0; i < 12; ++i) {
    std::vector<Point> crack;
    Point p{rng.Uniform(), rng.Range(shore + 0.05f, 1.0f)};
    for (int k = 0; k < 6; ++k) {
      crack.push_back(p);
      p = {p.x + rng.Range(0.02f, 0.07f), p.y + rng.Signed(0.015f)};
    }
    canvas.Stroke(crack, 0.0025f, Hex(0x7A8AA4), 0.6f, rng);
  }
  // The sun's glare on the ice.

  for (int i = 0; i < 80; ++i) {
    const float t = rng.Uniform();
    canvas.Dab({{0.62f + rng.Signed(0.05f + t * 0.05f), shore + 0.02f + t * 0.4f}, 0.05f, 0.006f, 0.0f, Hex(0xFFFCF0), 0.4f,
               static_cast<std::uint32_t>(rng.Next())});
  }
  // A snowy bank in the foreground with reeds.
  canvas.Ground({{-0.01f, 0.86f}, {0.3f, 0.84f}, {0.55f, 0.92f}, {0.7f, 1.01f}}, 1.01f, Hex(0xF4F4F8), Hex(0xD8DCE8), 0.05f,
                brush.detail);
  for (int i = 0; i < 50; ++i) {
    const float x = rng.Range(0.0f, 0.45f);
    canvas.Stroke({{x, 0.9f}, {x + rng.Signed(0.02f), 0.9f - rng.Range(0.04f, 0.12f)}}, 0.003f, Hex(0x8A7050), 0.8f, rng);
  }
}

void PaintWheatFieldsBeforeTheStorm(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  // Pellamy: a slate sky pressing down, the fields still in a last band of sun.
  canvas.VerticalGradient({{0.0f, Hex(0x2A3040)}, {0.3f, Hex(0x4A5060)}, {0.45f, Hex(0x8A8478)}});
  CloudBank(canvas, rng, brush.noise, 0.0f, 0.35f, 14, 0.3f, Hex(0x6A707A), Hex(0x1E222C), 0.85f);
  canvas.Cloud({{0.75f, 0.12f}, 0.35f, 0.12f, Hex(0xC8C4B4), Hex(0x3A3E48), 0.6f, brush.noise});
  canvas.Ground(Ridge(brush.noise, 0.45f, 0.03f, 3.0f, 2.0f), 1.01f, Hex(0x4A5A3A), Hex(0x4A5A3A), 0.15f, brush.detail);
  canvas.Ground(Ridge(brush.noise, 0.5f, 0.04f, 2.0f, 7.0f), 1.01f, Hex(0xE8C050), Hex(0xC8902A), 0.2f, brush.detail);
  // Wheat: upright strokes, shorter and thinner into the distance, bent by the first gusts.
  for (int i = 0; i < 2600; ++i) {
    const float t = rng.Uniform();
    const float y = 0.52f + 0.5f * t * t;
    const float len = 0.01f + 0.06f * t * t;
    const float x = rng.Uniform();
    const Colour c = Vary(Mix(Hex(0xF0D070), Hex(0xB8802A), rng.Uniform()), rng, 0.08f);
    canvas.Dab({{x, y}, len, len * 0.18f, -1.3f + rng.Signed(0.15f), c, 0.6f, static_cast<std::uint32_t>(rng.Next())});
  }
  // A hedge and a lone oak at the field's edge, dark against the storm.
  const TreeLook oak{Hex(0x2A2218), Hex(0x1E2A18), Hex(0x2E3E22), Hex(0x5A6A32), 200, 0.045f};
  Tree(canvas, rng, {0.28f, 0.5f}, 0.28f, 0.26f, oak);
  DabField(canvas, rng, {0.75f, 0.48f}, 0.4f, 0.02f, 200, 0.025f, {Hex(0x1E2A18), Hex(0x2E3E22)}, 0.9f, 0.0f, 3.0f);
  // Poppies at the front and a gleam of light on the far field.
  DabField(canvas, rng, {0.3f, 0.95f}, 0.5f, 0.06f, 40, 0.015f, {Hex(0xD82A1A)}, 0.95f, 0.0f, 3.0f);
  canvas.Ellipse({{0.6f, 0.55f}, 0.3f, 0.02f, 0.0f, Hex(0xFFE8A0), 0.3f, 1.0f});
}

void PaintValleyRoadAtFirstLight(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  canvas.VerticalGradient({{0.0f, Hex(0x7A88B0)}, {0.25f, Hex(0xD8A8B0)}, {0.4f, Hex(0xF8D0A8)}, {0.45f, Hex(0xFCE4C0)}});
  Glow(canvas, {0.58f, 0.42f}, 0.08f, Hex(0xFFF0D0), 0.45f);
  for (int i = 0; i < 6; ++i) {
    canvas.Cloud({{rng.Range(0.0f, 1.0f), rng.Range(0.08f, 0.3f)}, rng.Range(0.12f, 0.25f), 0.015f, Hex(0xFFD8C0),
                 Hex(0xA878A0), 0.6f, brush.noise});
  }
  // Hills in layers, each paler for the mist between.
  const Colour near = Hex(0x3A5A3A);
  const Colour far = Hex(0xB8A8C0);
  for (int layer = 0; layer < 4; ++layer) {
    const float t = static_cast<float>(layer) / 3.0f;
    const Colour c = Mix(far, near, t);
    canvas.Ground(Ridge(brush.noise, 0.42f + t * 0.18f, 0.05f + t * 0.03f, 2.0f + t, 3.0f + t * 4.0f), 1.01f, c,
                  Mix(c, Hex(0xE8D8D0), 0.25f * (1.0f - t)), 0.1f + t * 0.1f, brush.detail);
    // Mist lying in the valley floor.
    canvas.Ellipse({{0.5f, 0.46f + t * 0.17f}, 0.9f, 0.02f, 0.0f, Hex(0xF4E4DA), 0.35f * (1.0f - t * 0.7f), 1.0f});
  }
  // The road winds down from the pass towards us, widening.
  std::vector<Point> road;
  for (int k = 0; k <= 30; ++k) {
    const float t = static_cast<float>(k) / 30.0f;
    road.push_back({0.55f + 0.18f * std::sin(t * 5.5f) * t, 0.56f + 0.45f * t * t});
  }
  for (std::size_t k = 1; k < road.size(); ++k) {
    const float t = static_cast<float>(k) / 30.0f;
    canvas.Stroke({road[k - 1], road[k]}, 0.004f + 0.09f * t * t, Mix(Hex(0xD8B890), Hex(0xE8C8A0), t), 1.0f, rng);
  }
  const TreeLook tree{Hex(0x2A2A22), Hex(0x22361E), Hex(0x3A5A2E), Hex(0x8A9A5A), 300, 0.04f};
  Tree(canvas, rng, {0.12f, 0.82f}, 0.45f, 0.3f, tree);
  Tree(canvas, rng, {0.86f, 0.74f}, 0.3f, 0.2f, tree);
  // A farm with one lit window down in the valley.
  canvas.Polygon({{0.36f, 0.62f}, {0.36f, 0.595f}, {0.41f, 0.595f}, {0.41f, 0.62f}}, Hex(0xD8C8B0), 1.0f);
  canvas.Polygon({{0.355f, 0.595f}, {0.385f, 0.575f}, {0.415f, 0.595f}}, Hex(0x8A4A3A), 1.0f);
  canvas.Ellipse({{0.375f, 0.607f}, 0.004f, 0.005f, 0.0f, Hex(0xFFD070), 1.0f, 0.5f});
}

void PaintAutumnBeechesAboveTheWeir(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float bank = 0.58f;
  canvas.VerticalGradient({{0.0f, Hex(0x9AB0C8)}, {0.3f, Hex(0xE0D8C8)}});
  // Beeches in copper and gold filling the far bank.
  const TreeLook beech{Hex(0x3A2A22), Hex(0x7A3A16), Hex(0xC0641E), Hex(0xF0B040), 260, 0.045f};
  // The wood going back up the slope, in browns that fade into the haze.
  DabField(canvas, rng, {0.5f, 0.43f}, 0.75f, 0.13f, 1600, 0.04f, {Hex(0x7A5A3E), Hex(0x5A3E2A), Hex(0x987050), Hex(0x6A6046)},
           0.8f, 0.0f, 3.0f);
  for (int i = 0; i < 7; ++i) {
    const float x = -0.05f + static_cast<float>(i) * 0.18f + rng.Signed(0.03f);
    const float height = rng.Range(0.45f, 0.6f);
    const float crown = rng.Range(0.3f, 0.4f);
    Tree(canvas, rng, {x, bank - 0.02f}, height, crown, beech);
  }
  canvas.Ground(Ridge(brush.noise, bank - 0.02f, 0.01f, 4.0f, 2.0f), bank + 0.005f, Hex(0x5A4A2A), Hex(0x5A4A2A), 0.2f,
                brush.detail);
  // The river above the weir is still and holds the trees; below, white water and foam.
  canvas.Reflect(bank, Hex(0x3A4A4A), 0.35f, 0.006f, brush.detail);
  const float weir = 0.72f;
  canvas.Polygon({{-0.01f, weir}, {1.01f, weir - 0.03f}, {1.01f, weir}, {-0.01f, weir + 0.03f}}, Hex(0xC8D0CC), 1.0f);
  canvas.Polygon({{-0.01f, weir + 0.03f}, {1.01f, weir}, {1.01f, 1.01f}, {-0.01f, 1.01f}}, Hex(0x4A5A58), 1.0f);
  for (int i = 0; i < 900; ++i) {
    const float x = rng.Uniform();
    const float edge = weir + 0.03f - 0.03f * x;
    const float y = edge + rng.Uniform() * rng.Uniform() * (1.0f - edge);
    const float white = 1.0f - (y - edge) / (1.0f - edge);
    canvas.Dab({{x, y}, rng.Range(0.02f, 0.07f), 0.008f, rng.Signed(0.3f),
               Mix(Hex(0x5A6E6A), Hex(0xF4F4EE), white * rng.Uniform()), 0.6f, static_cast<std::uint32_t>(rng.Next())});
  }
  // Fallen leaves drifting on the still water.
  DabField(canvas, rng, {0.5f, 0.66f}, 0.7f, 0.04f, 80, 0.01f, {Hex(0xE08A2A), Hex(0xC0501A)}, 0.9f, 0.0f, 3.0f);
}

void PaintMoonriseOverTheSaltMarsh(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float horizon = 0.6f;
  canvas.VerticalGradient({{0.0f, Hex(0x0E1428)}, {0.35f, Hex(0x1E2A48)}, {0.55f, Hex(0x4A4A60)}, {0.6f, Hex(0x7A6A6A)}});
  for (int i = 0; i < 70; ++i) {
    canvas.Ellipse({{rng.Uniform(), rng.Range(0.0f, 0.4f)}, 0.0016f, 0.0016f, 0.0f, Hex(0xE8E8F8), rng.Range(0.2f, 0.8f), 0.6f});
  }
  // A large moon just clear of the horizon, warm from the low air.
  const Point moon{0.66f, 0.5f};
  Glow(canvas, moon, 0.08f, Hex(0xF8E0B0), 0.35f);
  canvas.ShadedBall(moon, 0.06f, 0.06f, Hex(0xF8E4B8), Hex(0xFFF6E0), Hex(0xD8B888), {0.0f, -0.2f}, brush.noise);
  for (int i = 0; i < 5; ++i) {
    canvas.Cloud({{rng.Range(0.2f, 1.0f), rng.Range(0.42f, 0.56f)}, rng.Range(0.1f, 0.25f), 0.01f, Hex(0x5A5470),
                 Hex(0x2A2A40), 0.7f, brush.noise});
  }
  // The marsh: dark flats cut by channels that carry the moon's light.
  canvas.Ground({{-0.01f, horizon}, {1.01f, horizon}}, 1.01f, Hex(0x2A2E2E), Hex(0x1A1C1A), 0.3f, brush.detail);
  DabField(canvas, rng, {0.5f, 0.8f}, 0.9f, 0.2f, 700, 0.03f, {Hex(0x2E3430), Hex(0x3A3A2E), Hex(0x242826)}, 0.5f, 0.0f, 0.2f);
  for (int c = 0; c < 7; ++c) {
    // Seen from low down, the creeks lie as level, winding bands, wider nearer the viewer.
    const float nearness = static_cast<float>(c) / 6.0f;
    const float y0 = horizon + 0.015f + 0.36f * nearness * nearness;
    const float x0 = rng.Range(-0.2f, 0.6f);
    const float length = rng.Range(0.35f, 0.8f);
    std::vector<Point> channel;
    for (int k = 0; k <= 16; ++k) {
      const float t = static_cast<float>(k) / 16.0f;
      channel.push_back({x0 + length * t, y0 + std::sin(t * 6.0f + static_cast<float>(c)) * (0.004f + 0.02f * nearness)});
    }
    const float mid = x0 + length * 0.5f;
    const float lit = std::fmax(0.0f, 1.0f - std::fabs(mid - moon.x) * 2.0f);
    const Colour water = Mix(Hex(0x343A50), Hex(0xB8A880), lit * lit);
    canvas.Stroke(channel, 0.004f + 0.016f * nearness, water, 0.6f, rng);
  }
  // A long pool below the moon.
  canvas.Ellipse({{moon.x, horizon + 0.05f}, 0.3f, 0.012f, 0.0f, Hex(0xC8B898), 0.8f, 0.6f});
  for (int i = 0; i < 40; ++i) {
    canvas.Dab({{moon.x + rng.Signed(0.05f), horizon + 0.045f + rng.Signed(0.008f)}, 0.03f, 0.004f, 0.0f, Hex(0xFFF0D0), 0.6f,
               static_cast<std::uint32_t>(rng.Next())});
  }
  // Reeds and samphire in the foreground, black against the water.
  for (int i = 0; i < 160; ++i) {
    const float x = rng.Uniform();
    const float foot = rng.Range(0.85f, 1.02f);
    canvas.Stroke({{x, foot}, {x + rng.Signed(0.02f), foot - rng.Range(0.05f, 0.18f)}}, 0.003f, Hex(0x0A0C0E), 0.85f, rng);
  }
}

}  // namespace ossen
