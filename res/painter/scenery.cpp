#include "res/painter/scenery.h"

#include <algorithm>
#include <cmath>

namespace ossen {

std::vector<Point> Ridge(const Noise& noise, float base_y, float amplitude, float frequency,
                         float offset) {
  constexpr int kPoints = 96;
  std::vector<Point> ridge;
  ridge.reserve(kPoints + 1);
  for (int i = 0; i <= kPoints; ++i) {
    const float x = -0.01f + 1.02f * static_cast<float>(i) / kPoints;
    const float n = noise.Fbm(x * frequency + offset, offset * 0.37f, 4);
    ridge.push_back({x, base_y - amplitude * (n - 0.5f) * 2.0f});
  }
  return ridge;
}

void Glow(Canvas& canvas, Point centre, float radius, Colour colour, float strength) {
  for (int ring = 0; ring < 5; ++ring) {
    const float r = radius * (1.0f + static_cast<float>(ring) * 0.9f);
    canvas.Ellipse({centre, r, r, 0.0f, colour, strength / static_cast<float>(ring + 1), 1.0f});
  }
}

void CloudBank(Canvas& canvas, Rng& rng, const Noise& noise, float y_top, float y_bottom, int count,
               float size, Colour light, Colour shadow, float alpha) {
  for (int i = 0; i < count; ++i) {
    const Point at{rng.Range(-0.05f, 1.05f), rng.Range(y_top, y_bottom)};
    const float rx = size * rng.Range(0.6f, 1.4f);
    const float ry = rx * rng.Range(0.25f, 0.45f);
    canvas.Cloud({at, rx, ry, Vary(light, rng, 0.04f), shadow, alpha * rng.Range(0.6f, 1.0f), noise});
  }
}

void WaterStrokes(Canvas& canvas, Rng& rng, float y_top, float y_bottom, int count, float length,
                  const std::vector<Colour>& colours, float alpha) {
  if (colours.empty()) return;
  for (int i = 0; i < count; ++i) {
    const float t = rng.Uniform();
    const float y = y_top + (y_bottom - y_top) * t * t;  // more, smaller strokes far away
    const float near = 0.3f + 1.4f * (y - y_top) / std::max(1e-3f, y_bottom - y_top);
    const Colour c = Vary(colours[static_cast<std::size_t>(rng.Below(static_cast<int>(colours.size())))], rng, 0.05f);
    canvas.Dab({{rng.Uniform(), y}, length * near * rng.Range(0.6f, 1.6f), length * near * rng.Range(0.05f, 0.1f),
               rng.Signed(0.05f), c, alpha, static_cast<std::uint32_t>(rng.Next())});
  }
}

void Boat(Canvas& canvas, Rng& rng, Point waterline, float size, const BoatLook& look) {
  const float aspect = canvas.Aspect();
  const float half = size * 0.5f / aspect;  // half length in x units
  const float depth = size * 0.16f;
  const float sheer = size * 0.05f;
  const float tilt = look.tilt;
  auto at = [&](float dx, float dy) {
    return Point{waterline.x + dx, waterline.y + dy + dx * aspect * tilt};
  };
  canvas.Polygon({at(-half, -depth - sheer), at(-half * 0.55f, -depth), at(half * 0.55f, -depth),
                  at(half * 1.05f, -depth - sheer * 1.6f), at(half * 0.7f, 0.0f), at(-half * 0.75f, 0.0f)},
                 look.hull, 1.0f);
  canvas.Polygon({at(-half, -depth - sheer), at(half * 1.05f, -depth - sheer * 1.6f),
                  at(half * 1.03f, -depth - sheer * 1.6f + size * 0.02f), at(-half * 0.98f, -depth - sheer + size * 0.02f)},
                 look.trim, 0.9f);
  const float mast_height = size * rng.Range(0.7f, 0.95f);
  const Point foot = at(-half * 0.1f, -depth);
  const Point top{foot.x + tilt * 0.05f, foot.y - mast_height};
  const float mast_w = std::max(size * 0.012f, 0.0015f) / aspect;
  canvas.Polygon({{foot.x - mast_w, foot.y}, {top.x - mast_w * 0.6f, top.y}, {top.x + mast_w * 0.6f, top.y},
                  {foot.x + mast_w, foot.y}},
                 look.mast, 1.0f);
  if (look.reflected) {
    canvas.Ellipse({{waterline.x, waterline.y + depth * 0.5f}, size * 0.45f, depth * 0.45f, 0.0f,
                   Scale(look.hull, 0.6f), 0.45f, 0.8f});
    for (float y = 0.0f; y < mast_height * 0.8f; y += size * 0.05f) {
      canvas.Dab({{foot.x + rng.Signed(mast_w * 1.5f), waterline.y + y + size * 0.03f}, size * 0.04f,
                 size * 0.012f, 0.0f, Scale(look.mast, 0.8f), 0.5f * (1.0f - y / mast_height),
                 static_cast<std::uint32_t>(rng.Next())});
    }
  }
  if (look.has_sail) {
    canvas.Polygon({{top.x + mast_w, top.y + size * 0.04f}, {top.x + mast_w, foot.y - size * 0.06f},
                    {foot.x + half * 0.95f, foot.y - size * 0.08f}},
                   look.sail, 0.95f);
  }
}

void Townscape(Canvas& canvas, Rng& rng, float x0, float x1, float base_y, float max_height,
               Colour wall, Colour window, float lit_share) {
  const float aspect = canvas.Aspect();
  float x = x0;
  while (x < x1) {
    const float w = rng.Range(0.025f, 0.06f) / aspect;
    const bool tower = rng.Uniform() < 0.08f;
    const float h = tower ? max_height * rng.Range(1.4f, 1.9f) : max_height * rng.Range(0.35f, 1.0f);
    const float right = std::min(x + w, x1);
    const Colour c = Vary(wall, rng, 0.08f);
    canvas.Polygon({{x, base_y}, {x, base_y - h}, {right, base_y - h}, {right, base_y}}, c, 1.0f);
    if (tower) {
      canvas.Polygon({{x, base_y - h}, {(x + right) * 0.5f, base_y - h - w * aspect * 1.6f}, {right, base_y - h}}, c, 1.0f);
    } else if (rng.Uniform() < 0.6f) {
      canvas.Polygon({{x - w * 0.05f, base_y - h}, {(x + right) * 0.5f, base_y - h - w * aspect * 0.45f},
                      {right + w * 0.05f, base_y - h}}, Scale(c, 0.85f), 1.0f);
    }
    // Windows in a loose grid.
    const float win = std::max(0.006f, w * aspect * 0.14f);
    for (float wy = base_y - h + win * 1.5f; wy < base_y - win; wy += win * 2.6f) {
      for (float wx = x + w * 0.2f; wx < right - w * 0.15f; wx += w * 0.3f) {
        if (rng.Uniform() < lit_share) {
          canvas.Ellipse({{wx, wy}, win * 0.45f, win * 0.6f, 0.0f, Vary(window, rng, 0.1f), 0.95f, 0.5f});
        }
      }
    }
    x = right + rng.Range(0.0f, 0.006f);
  }
}

void Tree(Canvas& canvas, Rng& rng, Point base, float height, float crown_width,
          const TreeLook& look) {
  const float aspect = canvas.Aspect();
  const float trunk_w = crown_width * 0.08f / aspect;
  const float crown_y = base.y - height * 0.62f;
  canvas.Polygon({{base.x - trunk_w, base.y}, {base.x - trunk_w * 0.5f, crown_y},
                  {base.x + trunk_w * 0.5f, crown_y}, {base.x + trunk_w, base.y}},
                 look.trunk, 1.0f);
  const float rx = crown_width * 0.5f;
  const float ry = height * 0.42f;
  for (int i = 0; i < look.limbs; ++i) {
    const float angle = -3.14159f * (0.1f + 0.8f * (static_cast<float>(i) + rng.Uniform()) / static_cast<float>(look.limbs));
    const float reach = rng.Range(0.5f, 0.95f);
    const Point fork{base.x + std::cos(angle) * rx * reach * 0.45f / aspect, crown_y + ry * 0.3f + std::sin(angle) * ry * reach * 0.4f};
    const Point tip{base.x + std::cos(angle) * rx * reach / aspect, crown_y + ry * 0.2f + std::sin(angle) * ry * reach};
    canvas.Stroke({{base.x, crown_y + ry * 0.45f}, fork, tip}, crown_width * 0.035f, look.trunk, 1.0f, rng);
  }
  for (int i = 0; i < look.dabs; ++i) {
    const float angle = rng.Range(0.0f, 6.2831853f);
    const float radius = std::sqrt(rng.Uniform());
    const float lx = std::cos(angle) * radius;
    const float ly = std::sin(angle) * radius;
    // Paint from shadow to light: the later dabs sit on the lit upper left.
    const float progress = static_cast<float>(i) / static_cast<float>(look.dabs);
    const float lit = std::clamp(0.5f - lx * 0.45f - ly * 0.55f + progress * 0.4f - 0.2f, 0.0f, 1.0f);
    Colour c = lit < 0.5f ? Mix(look.dark, look.mid, lit * 2.0f) : Mix(look.mid, look.light, (lit - 0.5f) * 2.0f);
    c = Vary(c, rng, 0.07f);
    canvas.Dab({{base.x + lx * rx / aspect, crown_y + ly * ry}, look.dab_size * rng.Range(0.7f, 1.3f),
               look.dab_size * rng.Range(0.45f, 0.75f), rng.Range(-0.8f, 0.8f), c, 0.9f,
               static_cast<std::uint32_t>(rng.Next())});
  }
}

void Birds(Canvas& canvas, Rng& rng, Point centre, float spread, int count, float size,
           Colour colour) {
  const float aspect = canvas.Aspect();
  for (int i = 0; i < count; ++i) {
    const Point at{centre.x + rng.Signed(spread) / aspect, centre.y + rng.Signed(spread * 0.4f)};
    const float s = size * rng.Range(0.6f, 1.2f);
    const float lift = rng.Range(0.15f, 0.45f) * s;
    const float w = std::max(s * 0.09f, 0.0022f);
    canvas.Stroke({{at.x - s / aspect, at.y - lift * 0.3f}, {at.x - s * 0.5f / aspect, at.y - lift},
                   {at.x, at.y}},
                  w, colour, 0.9f, rng);
    canvas.Stroke({{at.x, at.y}, {at.x + s * 0.5f / aspect, at.y - lift},
                   {at.x + s / aspect, at.y - lift * 0.3f}},
                  w, colour, 0.9f, rng);
  }
}

void DabField(Canvas& canvas, Rng& rng, Point centre, float rx, float ry, int count, float size,
              const std::vector<Colour>& colours, float alpha, float angle, float angle_jitter) {
  if (colours.empty()) return;
  const float aspect = canvas.Aspect();
  for (int i = 0; i < count; ++i) {
    const float a = rng.Range(0.0f, 6.2831853f);
    const float r = std::sqrt(rng.Uniform());
    const Point at{centre.x + std::cos(a) * r * rx / aspect, centre.y + std::sin(a) * r * ry};
    const Colour c = Vary(colours[static_cast<std::size_t>(rng.Below(static_cast<int>(colours.size())))], rng, 0.06f);
    canvas.Dab({at, size * rng.Range(0.7f, 1.3f), size * rng.Range(0.4f, 0.7f),
               angle + rng.Signed(angle_jitter), c, alpha, static_cast<std::uint32_t>(rng.Next())});
  }
}

}  // namespace ossen
