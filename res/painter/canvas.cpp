#include "res/painter/canvas.h"

#include <algorithm>
#include <cmath>

namespace ossen {

namespace {

constexpr int kSubRows = 4;  // vertical samples per pixel row for polygon anti-aliasing

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

}  // namespace

Colour Hex(std::uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
          static_cast<float>((rgb >> 8) & 0xFF) / 255.0f, static_cast<float>(rgb & 0xFF) / 255.0f};
}

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

Colour Vary(Colour c, Rng& rng, float amount) {
  const float light = 1.0f + rng.Signed(amount);
  return {c.r * light + rng.Signed(amount * 0.4f), c.g * light + rng.Signed(amount * 0.4f),
          c.b * light + rng.Signed(amount * 0.4f)};
}

float Smoothstep(float edge0, float edge1, float x) {
  const float t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * height),
      coverage_(static_cast<std::size_t>(width) + 1) {}

Colour Canvas::Sample(float x, float y) const {
  const int px = std::clamp(static_cast<int>(x * width_), 0, width_ - 1);
  const int py = std::clamp(static_cast<int>(y * height_), 0, height_ - 1);
  return At(px, py);
}

void Canvas::Blend(int x, int y, Colour colour, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0f) return;
  At(x, y) = Mix(At(x, y), colour, std::min(alpha, 1.0f));
}

void Canvas::VerticalGradient(const std::vector<GradientStop>& stops, float y0, float y1) {
  if (stops.empty()) return;
  const int row0 = std::max(0, static_cast<int>(std::floor(y0 * height_)));
  const int row1 = std::min(height_, static_cast<int>(std::ceil(y1 * height_)));
  for (int py = row0; py < row1; ++py) {
    const float y = (static_cast<float>(py) + 0.5f) / static_cast<float>(height_);
    Colour colour = stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
      if (y <= stops[i - 1].y) break;
      const float span = stops[i].y - stops[i - 1].y;
      const float t = span > 0.0f ? Clamp01((y - stops[i - 1].y) / span) : 1.0f;
      const float eased = t * t * (3.0f - 2.0f * t);
      colour = Mix(stops[i - 1].colour, stops[i].colour, eased);
    }
    for (int px = 0; px < width_; ++px) At(px, py) = colour;
  }
}

void Canvas::RadialLight(Point centre, float radius, Colour inner, Colour outer) {
  const float h = static_cast<float>(height_);
  const float cx = centre.x * static_cast<float>(width_);
  const float cy = centre.y * h;
  const float inv_r = 1.0f / std::max(radius * h, 1.0f);
  for (int py = 0; py < height_; ++py) {
    const float dy = (static_cast<float>(py) - cy) * inv_r;
    for (int px = 0; px < width_; ++px) {
      const float dx = (static_cast<float>(px) - cx) * inv_r;
      At(px, py) = Mix(inner, outer, Smoothstep(0.0f, 1.0f, std::sqrt(dx * dx + dy * dy)));
    }
  }
}

std::vector<Point> Canvas::ToPixels(const std::vector<Point>& points) const {
  std::vector<Point> pixels;
  pixels.reserve(points.size());
  for (const Point& p : points) {
    pixels.push_back({p.x * static_cast<float>(width_), p.y * static_cast<float>(height_)});
  }
  return pixels;
}

bool Canvas::CoverRow(const std::vector<Point>& pixels, int py, int& x0, int& x1) {
  // Clear what the previous row left behind.
  if (dirty_last_ >= dirty_first_) {
    std::fill(coverage_.begin() + dirty_first_, coverage_.begin() + dirty_last_ + 1, 0.0f);
  }
  x0 = width_;
  x1 = -1;
  const std::size_t n = pixels.size();
  for (int sub = 0; sub < kSubRows; ++sub) {
    const float yy = static_cast<float>(py) + (static_cast<float>(sub) + 0.5f) / kSubRows;
    crossings_.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const Point& a = pixels[i];
      const Point& b = pixels[(i + 1) % n];
      if ((a.y <= yy) != (b.y <= yy)) {
        crossings_.push_back(a.x + (yy - a.y) * (b.x - a.x) / (b.y - a.y));
      }
    }
    std::sort(crossings_.begin(), crossings_.end());
    for (std::size_t i = 0; i + 1 < crossings_.size(); i += 2) {
      const float xa = std::clamp(crossings_[i], 0.0f, static_cast<float>(width_));
      const float xb = std::clamp(crossings_[i + 1], 0.0f, static_cast<float>(width_));
      if (!(xb > xa)) continue;
      const int first = std::min(static_cast<int>(xa), width_ - 1);
      const int last = std::min(static_cast<int>(xb), width_ - 1);
      x0 = std::min(x0, first);
      x1 = std::max(x1, last);
      for (int px = first; px <= last; ++px) {
        const float overlap = std::min(xb, static_cast<float>(px + 1)) -
                              std::max(xa, static_cast<float>(px));
        if (overlap > 0.0f) coverage_[px] += overlap / kSubRows;
      }
    }
  }
  dirty_first_ = x0;
  dirty_last_ = x1;
  return x1 >= x0;
}

void Canvas::Polygon(const std::vector<Point>& points, Colour colour, float alpha) {
  if (points.size() < 3) return;
  const std::vector<Point> pixels = ToPixels(points);
  float top = pixels[0].y;
  float bottom = pixels[0].y;
  for (const Point& p : pixels) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  const int row0 = std::max(0, static_cast<int>(std::floor(top)));
  const int row1 = std::min(height_ - 1, static_cast<int>(std::ceil(bottom)));
  for (int py = row0; py <= row1; ++py) {
    int x0 = 0;
    int x1 = 0;
    if (!CoverRow(pixels, py, x0, x1)) continue;
    for (int px = x0; px <= x1; ++px) Blend(px, py, colour, alpha * std::min(coverage_[px], 1.0f));
  }
}

void Canvas::Ground(const std::vector<Point>& ridge, float y_bottom, Colour top, Colour bottom,
                    float mottle, const Noise& noise) {
  if (ridge.size() < 2) return;
  std::vector<Point> points = ridge;
  points.push_back({ridge.back().x, y_bottom});
  points.push_back({ridge.front().x, y_bottom});
  const std::vector<Point> pixels = ToPixels(points);
  float high = pixels[0].y;
  for (const Point& p : pixels) high = std::min(high, p.y);
  const float low = y_bottom * static_cast<float>(height_);
  const float inv_h = 1.0f / static_cast<float>(height_);
  const int row0 = std::max(0, static_cast<int>(std::floor(high)));
  const int row1 = std::min(height_ - 1, static_cast<int>(std::ceil(low)));
  for (int py = row0; py <= row1; ++py) {
    int x0 = 0;
    int x1 = 0;
    if (!CoverRow(pixels, py, x0, x1)) continue;
    const float t = Clamp01((static_cast<float>(py) - high) / std::max(1.0f, low - high));
    const Colour base = Mix(top, bottom, t);
    for (int px = x0; px <= x1; ++px) {
      const float n = noise.Fbm(static_cast<float>(px) * inv_h * 9.0f,
                                static_cast<float>(py) * inv_h * 22.0f, 3);
      Blend(px, py, Scale(base, 1.0f + mottle * (n - 0.5f) * 2.0f), std::min(coverage_[px], 1.0f));
    }
  }
}

Canvas::PixelBox Canvas::Reach(float left, float top, float right, float bottom) const {
  return {std::max(0, static_cast<int>(left)), std::min(width_ - 1, static_cast<int>(right)),
          std::max(0, static_cast<int>(top)), std::min(height_ - 1, static_cast<int>(bottom))};
}

void Canvas::Ellipse(const EllipseShape& shape) {
  PaintEllipse(shape.centre, shape.rx, shape.ry, shape.angle, shape.colour, shape.alpha, shape.softness);
}

void Canvas::PaintEllipse(Point centre, float rx, float ry, float angle, Colour colour, float alpha,
                     float softness) {
  const float cx = centre.x * static_cast<float>(width_);
  const float cy = centre.y * static_cast<float>(height_);
  const float prx = std::max(rx * static_cast<float>(height_), 0.5f);
  const float pry = std::max(ry * static_cast<float>(height_), 0.5f);
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float reach = std::max(prx, pry) + 1.0f;
  const auto [x0, x1, y0, y1] = Reach(cx - reach, cy - reach, cx + reach, cy + reach);
  // Distances in pixels along the smaller radius; the fade is at least one pixel wide and
  // centred on the edge when it is that narrow, so a small shape keeps its true area.
  const float radius = std::min(prx, pry);
  const float fade = std::max(softness * radius, 1.0f);
  const float outer = 1.0f + 0.5f / radius;
  for (int py = y0; py <= y1; ++py) {
    const float dy = static_cast<float>(py) + 0.5f - cy;
    for (int px = x0; px <= x1; ++px) {
      const float dx = static_cast<float>(px) + 0.5f - cx;
      const float lx = (dx * c + dy * s) / prx;
      const float ly = (-dx * s + dy * c) / pry;
      const float d2 = lx * lx + ly * ly;
      if (d2 >= outer * outer) continue;
      const float edge = Clamp01(((1.0f - std::sqrt(d2)) * radius + 0.5f) / fade);
      Blend(px, py, colour, alpha * edge);
    }
  }
}

void Canvas::SoftRect(float x0, float y0, float x1, float y1, Colour colour, float alpha,
                      float softness, float fray, const Noise& noise) {
  const float w = static_cast<float>(width_);
  const float h = static_cast<float>(height_);
  const float reach = (softness + fray) * h;
  const float left = x0 * w;
  const float right = x1 * w;
  const float top = y0 * h;
  const float bottom = y1 * h;
  const float soft = std::max(softness * h, 1.0f);
  const auto [px0, px1, py0, py1] = Reach(left - reach, top - reach, right + reach, bottom + reach);
  for (int py = py0; py <= py1; ++py) {
    const float fy = static_cast<float>(py) + 0.5f;
    for (int px = px0; px <= px1; ++px) {
      const float fx = static_cast<float>(px) + 0.5f;
      // Signed distance inside the rectangle (negative outside), roughened at the edge.
      const float inside = std::min(std::min(fx - left, right - fx), std::min(fy - top, bottom - fy));
      const float n = noise.Fbm(fx / h * 9.0f, fy / h * 9.0f, 4) - 0.5f;
      const float a = Smoothstep(-soft, soft, inside + n * fray * h * 2.0f);
      if (a > 0.0f) Blend(px, py, Scale(colour, 0.97f + 0.1f * n), alpha * a);
    }
  }
}

void Canvas::Dab(const DabStroke& shape) {
  PaintDab(shape.centre, shape.length, shape.width, shape.angle, shape.colour, shape.alpha, shape.bristles);
}

void Canvas::PaintDab(Point centre, float length, float width, float angle, Colour colour, float alpha,
                 std::uint32_t bristles) {
  const float cx = centre.x * static_cast<float>(width_);
  const float cy = centre.y * static_cast<float>(height_);
  const float prx = std::max(length * 0.5f * static_cast<float>(height_), 0.75f);
  const float pry = std::max(width * 0.5f * static_cast<float>(height_), 0.75f);
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float reach = std::max(prx, pry) + 1.0f;
  const auto [x0, x1, y0, y1] = Reach(cx - reach, cy - reach, cx + reach, cy + reach);
  const float soft = std::max(0.25f, 1.0f / std::min(prx, pry));
  // Bristle strengths across the dab: a few hairs carry more paint than others.
  constexpr int kBristles = 7;
  float strength[kBristles];
  float shade[kBristles];
  for (int i = 0; i < kBristles; ++i) {
    const std::uint32_t h = Hash2(bristles, static_cast<std::uint32_t>(i));
    strength[i] = 0.55f + 0.45f * static_cast<float>(h & 0xFF) / 255.0f;
    shade[i] = 0.93f + 0.14f * static_cast<float>((h >> 8) & 0xFF) / 255.0f;
  }
  for (int py = y0; py <= y1; ++py) {
    const float dy = static_cast<float>(py) + 0.5f - cy;
    for (int px = x0; px <= x1; ++px) {
      const float dx = static_cast<float>(px) + 0.5f - cx;
      const float lx = (dx * c + dy * s) / prx;
      const float ly = (-dx * s + dy * c) / pry;
      const float d2 = lx * lx + ly * ly;
      if (d2 >= 1.0f) continue;
      const int bristle = std::clamp(static_cast<int>((ly + 1.0f) * 0.5f * kBristles), 0,
                                     kBristles - 1);
      const float edge = Clamp01((1.0f - std::sqrt(d2)) / soft);
      Blend(px, py, Scale(colour, shade[bristle]), alpha * edge * strength[bristle]);
    }
  }
}

void Canvas::Stroke(const std::vector<Point>& path, float width, Colour colour, float alpha,
                    Rng& rng) {
  if (path.size() < 2) return;
  const float aspect = Aspect();
  float total = 0.0f;
  for (std::size_t i = 1; i < path.size(); ++i) {
    total += std::hypot((path[i].x - path[i - 1].x) * aspect, path[i].y - path[i - 1].y);
  }
  if (total <= 0.0f) return;
  const float step = std::max(width * 0.4f, 0.5f / static_cast<float>(height_));
  const std::uint32_t bristles = static_cast<std::uint32_t>(rng.Next());
  float walked = 0.0f;
  for (std::size_t i = 1; i < path.size(); ++i) {
    const float dx = (path[i].x - path[i - 1].x) * aspect;
    const float dy = path[i].y - path[i - 1].y;
    const float segment = std::hypot(dx, dy);
    if (segment <= 0.0f) continue;
    const float angle = std::atan2(dy, dx);
    for (float along = 0.0f; along < segment; along += step) {
      const float t = (walked + along) / total;
      const float taper = 0.45f + 0.55f * std::sin(3.14159265f * std::clamp(t, 0.0f, 1.0f));
      const Point at{path[i - 1].x + dx * (along / segment) / aspect,
                     path[i - 1].y + dy * (along / segment)};
      Dab({at, width * 1.3f, width * taper, angle, colour, alpha, bristles});
    }
    walked += segment;
  }
}

void Canvas::Cloud(const CloudShape& shape) {
  PaintCloud(shape.centre, shape.rx, shape.ry, shape.light, shape.shadow, shape.alpha, shape.noise);
}

void Canvas::PaintCloud(Point centre, float rx, float ry, Colour light, Colour shadow, float alpha,
                   const Noise& noise) {
  const float h = static_cast<float>(height_);
  const float cx = centre.x * static_cast<float>(width_);
  const float cy = centre.y * h;
  const float prx = std::max(rx * h, 1.0f);
  const float pry = std::max(ry * h, 1.0f);
  const auto [x0, x1, y0, y1] = Reach(cx - prx * 1.3f, cy - pry * 1.3f, cx + prx * 1.3f, cy + pry * 1.3f);
  for (int py = y0; py <= y1; ++py) {
    const float ly = (static_cast<float>(py) - cy) / pry;
    const Colour tone = Mix(light, shadow, Smoothstep(-0.8f, 0.9f, ly));
    for (int px = x0; px <= x1; ++px) {
      const float lx = (static_cast<float>(px) - cx) / prx;
      const float d = std::sqrt(lx * lx + ly * ly);
      if (d >= 1.3f) continue;
      const float n = noise.Fbm(static_cast<float>(px) / h * 7.0f, static_cast<float>(py) / h * 11.0f, 4);
      const float density = (1.0f - d) + (n - 0.5f) * 1.1f;
      const float a = Smoothstep(0.0f, 0.45f, density);
      if (a > 0.0f) Blend(px, py, Scale(tone, 0.94f + 0.12f * n), alpha * a);
    }
  }
}

void Canvas::ShadedBall(Point centre, float rx, float ry, Colour base, Colour light, Colour dark,
                        Point light_dir, const Noise& noise, float clip_top) {
  const float h = static_cast<float>(height_);
  const float cx = centre.x * static_cast<float>(width_);
  const float cy = centre.y * h;
  const float prx = std::max(rx * h, 1.0f);
  const float pry = std::max(ry * h, 1.0f);
  const float len = std::max(1e-3f, std::hypot(light_dir.x, light_dir.y));
  const float lx_dir = light_dir.x / len;
  const float ly_dir = light_dir.y / len;
  const int x0 = std::max(0, static_cast<int>(cx - prx - 1.0f));
  const int x1 = std::min(width_ - 1, static_cast<int>(cx + prx + 1.0f));
  const int y0 = std::max({0, static_cast<int>(cy - pry - 1.0f), static_cast<int>(std::ceil(clip_top * h))});
  const int y1 = std::min(height_ - 1, static_cast<int>(cy + pry + 1.0f));
  const float soft = 1.5f / std::min(prx, pry);
  for (int py = y0; py <= y1; ++py) {
    for (int px = x0; px <= x1; ++px) {
      const float lx = (static_cast<float>(px) + 0.5f - cx) / prx;
      const float ly = (static_cast<float>(py) + 0.5f - cy) / pry;
      const float d2 = lx * lx + ly * ly;
      if (d2 >= 1.0f) continue;
      const float nz = std::sqrt(1.0f - d2);
      // Lambert light from the front-upper side, with a narrow highlight and a dark rim.
      const float lambert = Clamp01(lx * lx_dir + ly * ly_dir + nz * 0.6f);
      const float n = noise.Fbm(static_cast<float>(px) / h * 30.0f, static_cast<float>(py) / h * 30.0f, 2);
      Colour c = Mix(dark, base, Smoothstep(0.0f, 0.75f, lambert + (n - 0.5f) * 0.25f));
      const float specular = Smoothstep(0.86f, 0.99f, lambert);
      c = Mix(c, light, specular * 0.8f);
      const float edge = Clamp01((1.0f - std::sqrt(d2)) / soft);
      Blend(px, py, c, edge);
    }
  }
}

void Canvas::ShadedBody(Point top, float height, float rx, const std::vector<float>& profile,
                        Colour base, Colour light, Colour dark, Point light_dir, const Noise& noise) {
  if (profile.size() < 2) return;
  const float h = static_cast<float>(height_);
  const float cx = top.x * static_cast<float>(width_);
  const float ty = top.y * h;
  const float ph = std::max(height * h, 1.0f);
  const float prx = rx * h;
  const float len = std::max(1e-3f, std::hypot(light_dir.x, light_dir.y));
  const float lx_dir = light_dir.x / len;
  const float ly_dir = light_dir.y / len;
  const int y0 = std::max(0, static_cast<int>(ty));
  const int y1 = std::min(height_ - 1, static_cast<int>(ty + ph));
  const float segments = static_cast<float>(profile.size() - 1);
  auto width_at = [&](float s) {
    const float at = Clamp01(s) * segments;
    const std::size_t i = std::min(static_cast<std::size_t>(at), profile.size() - 2);
    const float f = at - static_cast<float>(i);
    return profile[i] + (profile[i + 1] - profile[i]) * f;
  };
  // The slope is taken over a stretch wider than one segment so the shading turns smoothly.
  const float reach = 0.6f / segments;
  for (int py = y0; py <= y1; ++py) {
    const float s = Clamp01((static_cast<float>(py) + 0.5f - ty) / ph);
    const float width = (width_at(s - reach * 0.5f) + 2.0f * width_at(s) + width_at(s + reach * 0.5f)) * 0.25f;
    const float slope = (width_at(s + reach) - width_at(s - reach)) / (2.0f * reach) * rx / height;
    const float half = width * prx;
    if (half < 0.5f) continue;
    const int x0 = std::max(0, static_cast<int>(cx - half - 1.0f));
    const int x1 = std::min(width_ - 1, static_cast<int>(cx + half + 1.0f));
    for (int px = x0; px <= x1; ++px) {
      const float lx = (static_cast<float>(px) + 0.5f - cx) / half;
      if (lx <= -1.0f || lx >= 1.0f) continue;
      const float nz = std::sqrt(1.0f - lx * lx);
      // A body widening downwards faces up a little, one narrowing faces down.
      const float ny = std::clamp(-slope * 0.6f, -0.8f, 0.8f) * nz;
      const float lambert = Clamp01(lx * lx_dir + ny * ly_dir + nz * 0.6f);
      const float n = noise.Fbm(static_cast<float>(px) / h * 30.0f, static_cast<float>(py) / h * 30.0f, 2);
      Colour c = Mix(dark, base, Smoothstep(0.0f, 0.75f, lambert + (n - 0.5f) * 0.25f));
      c = Mix(c, light, Smoothstep(0.88f, 0.99f, lambert) * 0.6f);
      Blend(px, py, c, Clamp01((1.0f - std::fabs(lx)) * half));
    }
  }
}

void Canvas::Reflect(float horizon, Colour water, float tint, float ripple, const Noise& noise) {
  // A picture one row high has no water below any horizon.
  if (height_ < 2) return;
  const float h = static_cast<float>(height_);
  const int horizon_row = std::clamp(static_cast<int>(horizon * h), 1, height_ - 1);
  for (int py = horizon_row; py < height_; ++py) {
    const float depth = static_cast<float>(py - horizon_row) / h;
    // Waves grow and stretch towards the viewer.
    const float wave_scale = ripple * h * (0.3f + depth * 4.0f);
    const float fy = static_cast<float>(py) / h * (60.0f / (0.3f + depth * 3.0f));
    const float row_tint = Clamp01(tint + depth * 0.6f);
    for (int px = 0; px < width_; ++px) {
      const float n = noise.Value(static_cast<float>(px) / h * 6.0f, fy);
      const int sx = std::clamp(px + static_cast<int>((n - 0.5f) * wave_scale * 0.6f), 0, width_ - 1);
      const int mirrored = 2 * horizon_row - py - 1 + static_cast<int>((n - 0.5f) * wave_scale);
      const int sy = std::clamp(mirrored, 0, horizon_row - 1);
      const Colour src = At(sx, sy);
      At(px, py) = Mix(src, Scale(water, 0.9f + 0.2f * n), row_tint);
    }
  }
}

void Canvas::Mottle(float amount, float frequency, const Noise& noise, float y0, float y1) {
  const float h = static_cast<float>(height_);
  const int row0 = std::max(0, static_cast<int>(y0 * h));
  const int row1 = std::min(height_, static_cast<int>(std::ceil(y1 * h)));
  for (int py = row0; py < row1; ++py) {
    for (int px = 0; px < width_; ++px) {
      const float n = noise.Fbm(static_cast<float>(px) / h * frequency,
                                static_cast<float>(py) / h * frequency, 3);
      At(px, py) = Scale(At(px, py), 1.0f + amount * (n - 0.5f) * 2.0f);
    }
  }
}

void Canvas::Impasto(float density, float length, float width, float angle, float angle_jitter,
                     float alpha, Rng& rng) {
  const std::vector<Colour> before = pixels_;
  const float h = static_cast<float>(height_);
  const float pixels = static_cast<float>(width_) * h;
  const float stamp = std::max(1.0f, length * width * h * h);
  // Scale-free in the picture, but never more work than a few layers over every pixel.
  const int count = static_cast<int>(std::min(density * Aspect(), pixels * 3.0f / stamp));
  for (int i = 0; i < count; ++i) {
    const float x = rng.Uniform();
    const float y = rng.Uniform();
    const int px = std::min(width_ - 1, static_cast<int>(x * static_cast<float>(width_)));
    const int py = std::min(height_ - 1, static_cast<int>(y * h));
    const Colour picked = before[static_cast<std::size_t>(py) * width_ + px];
    Dab({{x, y}, length * rng.Range(0.6f, 1.2f), width * rng.Range(0.7f, 1.2f), angle + rng.Signed(angle_jitter),
        picked, alpha, static_cast<std::uint32_t>(rng.Next())});
  }
}

void Canvas::Pointillize(const Canvas& source, Colour ground, float radius, float jitter, Rng& rng) {
  for (Colour& c : pixels_) c = ground;
  const float h = static_cast<float>(height_);
  const float spacing = std::max(radius * h * 1.35f, 1.5f);
  const int columns = static_cast<int>(static_cast<float>(width_) / spacing) + 2;
  const int rows = static_cast<int>(h / spacing) + 2;
  // Two layers: an under-layer of larger dots, then the finer dots of pure colour over it.
  for (int layer = 0; layer < 2; ++layer) {
    const float r = radius * (layer == 0 ? 1.25f : 0.85f);
    for (int j = 0; j < rows; ++j) {
      for (int i = 0; i < columns; ++i) {
        const float x = (static_cast<float>(i) + rng.Uniform()) * spacing / static_cast<float>(width_);
        const float y = (static_cast<float>(j) + rng.Uniform()) * spacing / h;
        Colour c = source.Sample(x, y);
        // Divisionist habit: now and then a dot of a neighbouring hue beside the local colour.
        const float accent = rng.Uniform();
        if (accent < 0.12f) {
          c = {c.g, c.b, c.r};
          c = Mix(source.Sample(x, y), c, 0.45f);
        } else if (accent < 0.22f) {
          c = Mix(c, {1.0f, 0.95f, 0.8f}, 0.3f);
        }
        c = Vary(c, rng, jitter);
        Ellipse({{x, y}, r * rng.Range(0.85f, 1.15f), r * rng.Range(0.85f, 1.1f),
                rng.Range(0.0f, 3.14f), c, layer == 0 ? 0.85f : 0.95f, 0.35f});
      }
    }
  }
}

void Canvas::Finish(float weave, float vignette, const Noise& noise) {
  const float h = static_cast<float>(height_);
  const float w = static_cast<float>(width_);
  for (int py = 0; py < height_; ++py) {
    const float vy = (static_cast<float>(py) / h - 0.5f) * 2.0f;
    for (int px = 0; px < width_; ++px) {
      const float vx = (static_cast<float>(px) / w - 0.5f) * 2.0f;
      const float fx = static_cast<float>(px) / h;
      const float fy = static_cast<float>(py) / h;
      // Threads of the canvas in both directions.
      const float threads = noise.Value(fx * 420.0f, fy * 90.0f) + noise.Value(fx * 90.0f + 31.0f, fy * 420.0f);
      const float corner = vx * vx * vy * vy;
      const float factor = (1.0f + weave * (threads - 1.0f)) * (1.0f - vignette * (0.5f * (vx * vx + vy * vy) * 0.5f + corner * 0.5f));
      At(px, py) = Scale(At(px, py), factor);
    }
  }
}

RgbImage Canvas::ToImage() const {
  RgbImage image;
  image.width = width_;
  image.height = height_;
  image.pixels.resize(pixels_.size() * 3);
  std::size_t at = 0;
  for (int py = 0; py < height_; ++py) {
    for (int px = 0; px < width_; ++px) {
      const Colour& c = At(px, py);
      // A small ordered dither keeps wide skies free of bands; pure black and white stay pure.
      const float dither = static_cast<float>(((px & 1) * 2 + (py & 1) * 3) & 3) / 4.0f - 0.375f;
      const float channels[3] = {c.r, c.g, c.b};
      for (float v : channels) {
        image.pixels[at++] = static_cast<std::uint8_t>(std::clamp(Clamp01(v) * 255.0f + dither + 0.5f, 0.0f, 255.0f));
      }
    }
  }
  return image;
}

}  // namespace ossen
