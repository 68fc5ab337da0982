// Still lifes. Brannock sets fruit and vessels on a dark ledge against a brown-black ground,
// lit hard from the upper left; Ambrecht painted one in a pale, cool daylight.
#include <cmath>

#include "res/painter/paintings.h"
#include "res/painter/scenery.h"

namespace ossen {

namespace {

const Point kBrannockLight = {-0.6f, -0.75f};

// The dark room and the ledge, its front edge at y_edge.
void BrannockRoom(Canvas& canvas, Brush brush, float y_edge, Colour wall, Colour wood) {
  canvas.RadialLight({0.3f, 0.25f}, 0.95f, wall, Scale(wall, 0.18f));
  canvas.Mottle(0.15f, 5.0f, brush.noise, 0.0f, y_edge);
  canvas.Ground({{-0.01f, y_edge - 0.18f}, {1.01f, y_edge - 0.2f}}, y_edge, Scale(wood, 0.9f), wood, 0.2f, brush.detail);
  canvas.Ground({{-0.01f, y_edge}, {1.01f, y_edge}}, 1.01f, Scale(wood, 0.45f), Scale(wood, 0.2f), 0.2f, brush.detail);
  canvas.Polygon({{-0.01f, y_edge - 0.006f}, {1.01f, y_edge - 0.006f}, {1.01f, y_edge + 0.004f}, {-0.01f, y_edge + 0.004f}},
                 Mix(wood, Hex(0xE8D0A0), 0.35f), 0.8f);
}

// A quince: a lumpy yellow body, broad at the shoulder, with a dark blossom end and a stalk.
void Quince(Canvas& canvas, Brush brush, Point at, float r) {
  const float aspect = canvas.Aspect();
  canvas.Ellipse({{at.x + r * 0.5f / aspect, at.y + r * 0.85f}, r * 1.2f, r * 0.25f, 0.0f, Hex(0x0E0A06), 0.6f, 0.8f});
  const Colour base = Mix(Hex(0xD8B02A), Hex(0xC89A20), brush.rng.Uniform());
  const float lump = brush.rng.Range(-0.05f, 0.05f);
  canvas.ShadedBody({at.x, at.y - r * 1.05f}, r * 2.0f, r,
                    {0.12f, 0.55f, 0.8f + lump, 0.95f, 1.0f, 0.97f - lump, 0.85f, 0.55f, 0.1f}, base, Hex(0xFFF0B0),
                    Hex(0x4A3A0E), kBrannockLight, brush.detail);
  canvas.Ellipse({{at.x, at.y - r * 0.98f}, r * 0.12f, r * 0.06f, 0.0f, Hex(0x3A2A10), 1.0f, 0.5f});
  canvas.Stroke({{at.x, at.y - r}, {at.x + r * 0.15f / aspect, at.y - r * 1.25f}}, r * 0.08f, Hex(0x4A3418), 1.0f, brush.rng);
}

void Leaf(Canvas& canvas, Rng& rng, Point at, float size, float angle, Colour colour) {
  canvas.Dab({at, size, size * 0.4f, angle, colour, 0.95f, static_cast<std::uint32_t>(rng.Next())});
  const float aspect = canvas.Aspect();
  canvas.Stroke({{at.x - std::cos(angle) * size * 0.4f / aspect, at.y - std::sin(angle) * size * 0.4f},
                 {at.x + std::cos(angle) * size * 0.4f / aspect, at.y + std::sin(angle) * size * 0.4f}},
                size * 0.03f, Scale(colour, 0.6f), 0.7f, rng);
}

// A folded cloth falling over the ledge: long strokes of one colour in light and shadow.
void Cloth(Canvas& canvas, Rng& rng, float x0, float x1, float y_edge, Colour colour) {
  // The part lying on the ledge, lit, then the part hanging over its edge down to a wavy hem.
  canvas.Polygon({{x0 + 0.03f, y_edge - 0.12f}, {x1 - 0.02f, y_edge - 0.13f}, {x1, y_edge}, {x0, y_edge}},
                 Mix(colour, Hex(0xE8B8A0), 0.2f), 1.0f);
  std::vector<Point> hanging{{x0, y_edge}, {x1, y_edge}};
  for (int k = 0; k <= 40; ++k) {
    const float t = static_cast<float>(k) / 40.0f;
    const float x = x1 + 0.015f - (x1 - x0 + 0.04f) * t;
    hanging.push_back({x, 0.93f + 0.02f * std::sin(t * 9.0f) + 0.008f * std::sin(t * 23.0f)});
  }
  canvas.Polygon(hanging, colour, 1.0f);
  for (int i = 0; i < 40; ++i) {
    const float x = rng.Range(x0, x1);
    const float fold = rng.Uniform();
    const std::vector<Point> path{{x, y_edge - 0.1f}, {x + rng.Signed(0.02f), y_edge + 0.05f}, {x + rng.Signed(0.03f), 0.91f}};
    canvas.Stroke(path, rng.Range(0.01f, 0.03f), Scale(colour, 0.5f + fold * 0.9f), 0.35f, rng);
  }
}

// A pear: narrow neck, full body, a stalk and a shadow on the table.
void Pear(Canvas& canvas, Rng& rng, const Noise& detail, Point at, float r, Colour base, Point light) {
  const float aspect = canvas.Aspect();
  canvas.Ellipse({{at.x + r * 0.6f / aspect, at.y + r * 0.9f}, r * 1.2f, r * 0.22f, 0.0f, Hex(0x6A7080), 0.35f, 0.8f});
  canvas.ShadedBody({at.x, at.y - r * 1.9f}, r * 2.9f, r,
                    {0.15f, 0.38f, 0.5f, 0.55f, 0.68f, 0.88f, 0.99f, 1.0f, 0.93f, 0.7f, 0.15f}, base, Hex(0xFFFBE0),
                    Scale(base, 0.45f), light, detail);
  canvas.Stroke({{at.x, at.y - r * 1.85f}, {at.x + r * 0.2f / aspect, at.y - r * 2.25f}}, r * 0.07f, Hex(0x5A3E22), 1.0f,
                rng);
}

}  // namespace

void PaintStillLifeWithQuinces(Canvas& canvas, Brush brush) {
  const float edge = 0.74f;
  BrannockRoom(canvas, brush, edge, Hex(0x5A4A30), Hex(0x6A4426));
  Cloth(canvas, brush.rng, 0.62f, 0.95f, edge, Hex(0x5A2A22));
  const Point places[5] = {{0.3f, 0.6f}, {0.45f, 0.63f}, {0.58f, 0.59f}, {0.38f, 0.5f}, {0.72f, 0.63f}};
  const float sizes[5] = {0.07f, 0.075f, 0.068f, 0.062f, 0.065f};
  const int order[5] = {3, 0, 2, 1, 4};
  for (int k : order) Quince(canvas, brush, places[k], sizes[k]);
  Leaf(canvas, brush.rng, {0.24f, 0.66f}, 0.09f, 0.4f, Hex(0x3A4A22));
  Leaf(canvas, brush.rng, {0.52f, 0.66f}, 0.08f, -0.3f, Hex(0x4A5A2A));
}

void PaintPewterJugAndLemons(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  const float edge = 0.76f;
  BrannockRoom(canvas, brush, edge, Hex(0x4A4A3A), Hex(0x5A3E26));
  // The jug: a grey body with cold highlights, a narrower neck, a lip and a handle.
  const Colour pewter = Hex(0x8A8C8A);
  const Point body{0.38f, 0.52f};
  canvas.Ellipse({{body.x + 0.06f, 0.72f}, 0.16f, 0.03f, 0.0f, Hex(0x0E0A06), 0.6f, 0.8f});
  std::vector<Point> handle;
  for (int k = 0; k <= 16; ++k) {
    const float a = -1.3f + 2.5f * static_cast<float>(k) / 16.0f;
    handle.push_back({body.x + 0.09f + 0.085f * std::cos(a) / canvas.Aspect(), 0.4f + 0.12f * std::sin(a)});
  }
  canvas.Stroke(handle, 0.03f, Scale(pewter, 0.55f), 1.0f, rng);
  canvas.ShadedBody({body.x, 0.22f}, 0.51f, 0.15f,
                    {0.5f, 0.44f, 0.4f, 0.42f, 0.55f, 0.75f, 0.9f, 0.98f, 1.0f, 0.97f, 0.88f, 0.72f, 0.62f, 0.66f},
                    pewter, Hex(0xF4F4F0), Hex(0x22221E), kBrannockLight, brush.detail);
  canvas.Ellipse({{body.x, 0.225f}, 0.075f, 0.014f, 0.0f, Hex(0xB8BAB4), 1.0f, 0.3f});
  canvas.Ellipse({{body.x, 0.227f}, 0.062f, 0.009f, 0.0f, Hex(0x1E1E1A), 1.0f, 0.3f});
  canvas.Polygon({{body.x - 0.05f, 0.222f}, {body.x - 0.085f, 0.205f}, {body.x - 0.045f, 0.232f}}, Hex(0xA8AAA4), 1.0f);
  // Reflected window light on the belly.
  canvas.Dab({{body.x - 0.035f, 0.46f}, 0.12f, 0.018f, 1.4f, Hex(0xE8ECE8), 0.5f, 7u});
  // Lemons, one cut open.
  const Colour lemon = Hex(0xE8C828);
  const Point lemons[3] = {{0.6f, 0.69f}, {0.72f, 0.67f}, {0.22f, 0.7f}};
  for (const Point& p : lemons) {
    canvas.Ellipse({{p.x + 0.02f, p.y + 0.04f}, 0.08f, 0.015f, 0.0f, Hex(0x0E0A06), 0.6f, 0.8f});
    canvas.ShadedBall(p, 0.075f, 0.05f, lemon, Hex(0xFFFAD0), Hex(0x5A4608), kBrannockLight, brush.detail);
    canvas.Ellipse({{p.x + 0.075f / canvas.Aspect() * 0.95f, p.y}, 0.012f, 0.01f, 0.0f, Hex(0xC8A820), 1.0f, 0.4f});
  }
  canvas.Ellipse({{0.84f, 0.72f}, 0.06f, 0.035f, 0.3f, Hex(0xF4E8A0), 1.0f, 0.1f});
  canvas.Ellipse({{0.84f, 0.72f}, 0.05f, 0.028f, 0.3f, Hex(0xF0D850), 1.0f, 0.3f});
  for (int s = 0; s < 8; ++s) {
    const float a = static_cast<float>(s) * 0.785f;
    canvas.Stroke({{0.84f, 0.72f}, {0.84f + std::cos(a) * 0.035f / canvas.Aspect(), 0.72f + std::sin(a) * 0.02f}},
                  0.003f, Hex(0xFFF8E0), 0.8f, rng);
  }
  Leaf(canvas, rng, {0.66f, 0.62f}, 0.08f, -0.6f, Hex(0x2E4420));
}

void PaintQuincesOnAPlate(Canvas& canvas, Brush brush) {
  const float edge = 0.78f;
  BrannockRoom(canvas, brush, edge, Hex(0x3E3A2A), Hex(0x4A3020));
  // A pale dish seen from the side, a knife across the ledge, quinces heaped on the dish.
  canvas.Ellipse({{0.45f, 0.69f}, 0.3f, 0.06f, 0.0f, Hex(0x0E0A06), 0.6f, 0.5f});
  canvas.ShadedBall({0.45f, 0.66f}, 0.28f, 0.055f, Hex(0xD8D4C8), Hex(0xFFFFF8), Hex(0x5A5448), kBrannockLight, brush.detail);
  canvas.Ellipse({{0.45f, 0.655f}, 0.22f, 0.04f, 0.0f, Hex(0xA8A498), 0.7f, 0.4f});
  const Point places[6] = {{0.33f, 0.6f}, {0.46f, 0.61f}, {0.58f, 0.6f}, {0.4f, 0.5f}, {0.53f, 0.5f}, {0.46f, 0.41f}};
  for (int i = 0; i < 6; ++i) Quince(canvas, brush, places[i], 0.06f + 0.006f * static_cast<float>(i % 3));
  canvas.Polygon({{0.7f, 0.8f}, {0.92f, 0.74f}, {0.925f, 0.748f}, {0.71f, 0.81f}}, Hex(0xC8C8C0), 1.0f);
  canvas.Polygon({{0.62f, 0.83f}, {0.7f, 0.8f}, {0.71f, 0.81f}, {0.63f, 0.845f}}, Hex(0x3A2416), 1.0f);
  Leaf(canvas, brush.rng, {0.22f, 0.73f}, 0.09f, 0.2f, Hex(0x3A4A22));
  Leaf(canvas, brush.rng, {0.3f, 0.76f}, 0.08f, -0.5f, Hex(0x4A5A2A));
}

void PaintBlueBowlAndPears(Canvas& canvas, Brush brush) {
  Rng& rng = brush.rng;
  // Ambrecht: a cool grey wall in daylight, a scrubbed table, clear shadows to the right.
  const Point light{-0.7f, -0.5f};
  canvas.VerticalGradient({{0.0f, Hex(0xC4C8CC)}, {0.6f, Hex(0xA8B0B8)}});
  canvas.Mottle(0.05f, 4.0f, brush.noise, 0.0f, 0.62f);
  canvas.Ground({{-0.01f, 0.62f}, {1.01f, 0.62f}}, 1.01f, Hex(0xD8C8A8), Hex(0xB89E78), 0.1f, brush.detail);
  for (int i = 0; i < 30; ++i) {
    const float y = rng.Range(0.64f, 1.0f);
    canvas.Stroke({{-0.01f, y}, {1.01f, y + rng.Signed(0.01f)}}, 0.004f, Hex(0xA08860), 0.25f, rng);
  }
  // The bowl: cobalt, its inside seen over the rim.
  canvas.Ellipse({{0.47f, 0.78f}, 0.27f, 0.04f, 0.0f, Hex(0x6A7080), 0.4f, 0.8f});
  canvas.ShadedBall({0.42f, 0.56f}, 0.26f, 0.2f, Hex(0x2A4AA0), Hex(0xD8E4FF), Hex(0x0E1A40), light, brush.detail, 0.56f);
  canvas.Ellipse({{0.42f, 0.56f}, 0.26f, 0.045f, 0.0f, Hex(0x4A6AC0), 1.0f, 0.05f});
  canvas.Ellipse({{0.42f, 0.562f}, 0.24f, 0.036f, 0.0f, Hex(0x1E3070), 1.0f, 0.1f});
  // Pears in the bowl and one on the table.
  Pear(canvas, rng, brush.detail, {0.35f, 0.5f}, 0.06f, Hex(0xB8C040), light);
  Pear(canvas, rng, brush.detail, {0.47f, 0.49f}, 0.065f, Hex(0xD0B840), light);
  Pear(canvas, rng, brush.detail, {0.78f, 0.76f}, 0.07f, Hex(0xA8B83A), light);
  Pear(canvas, rng, brush.detail, {0.16f, 0.86f}, 0.055f, Hex(0xC8A83A), light);
  Pear(canvas, rng, brush.detail, {0.88f, 0.8f}, 0.05f, Hex(0xB8C848), light);
}

}  // namespace ossen
