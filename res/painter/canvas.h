// The painter's canvas: a float RGB picture with the painting operations every hand shares.
// Positions are picture units: x from 0 (left) to 1 (right), y from 0 (top) to 1 (bottom);
// lengths (radii, widths) are fractions of the picture's height, so a composition scales.
#pragma once

#include <cstdint>
#include <vector>

#include "res/painter/noise.h"
#include "res/painter/painter.h"

namespace ossen {

struct Colour {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};

// 0xRRGGBB to a colour with channels in [0, 1].
Colour Hex(std::uint32_t rgb);
Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour c, float factor);
// The colour moved a little at random in brightness and hue, for variation between strokes.
Colour Vary(Colour c, Rng& rng, float amount);

struct Point {
  float x = 0.0f;
  float y = 0.0f;
};

// The shapes below are passed brace-initialised: their members are then evaluated in the
// written order, which keeps a painting that draws several of them from one Rng the same under
// every compiler (the order of function arguments is unspecified).
// A soft-edged rotated ellipse.
struct EllipseShape {
  Point centre;
  float rx;
  float ry;
  float angle;
  Colour colour;
  float alpha;
  float softness;  // the fraction of the radius that fades out
};

// A brush dab: an ellipse whose paint lies in bristle streaks along its length.
struct DabStroke {
  Point centre;
  float length;
  float width;
  float angle;
  Colour colour;
  float alpha;
  std::uint32_t bristles;  // seed of the bristle pattern
};

// A soft cloud: lit on top, shadowed below, its edge torn by noise.
struct CloudShape {
  Point centre;
  float rx;
  float ry;
  Colour light;
  Colour shadow;
  float alpha;
  const Noise& noise;
};

struct GradientStop {
  float y;
  Colour colour;
};

float Smoothstep(float edge0, float edge1, float x);

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  float Aspect() const { return static_cast<float>(width_) / static_cast<float>(height_); }

  // The colour under a picture position (clamped to the picture).
  Colour Sample(float x, float y) const;
  // Blends colour over pixel (x, y); pixels outside the picture are left alone.
  void Blend(int x, int y, Colour colour, float alpha);

  // Fills rows between y0 and y1 with a vertical gradient through stops sorted by y.
  void VerticalGradient(const std::vector<GradientStop>& stops, float y0 = 0.0f, float y1 = 1.0f);
  // A light falling off from centre (radius in picture heights) into the colour around it.
  void RadialLight(Point centre, float radius, Colour inner, Colour outer);
  // An anti-aliased polygon (even-odd rule).
  void Polygon(const std::vector<Point>& points, Colour colour, float alpha);
  // The polygon below a ridge line (points left to right) down to the bottom edge y_bottom,
  // coloured by a vertical gradient from top to bottom and mottled by noise.
  void Ground(const std::vector<Point>& ridge, float y_bottom, Colour top, Colour bottom,
              float mottle, const Noise& noise);
  void Ellipse(const EllipseShape& shape);
  // A rectangle whose edges blur and fray like thinned paint soaking into canvas; softness and
  // fray are picture heights.
  void SoftRect(float x0, float y0, float x1, float y1, Colour colour, float alpha, float softness,
                float fray, const Noise& noise);
  void Dab(const DabStroke& shape);
  // A stroke of dabs along a polyline, tapering at both ends.
  void Stroke(const std::vector<Point>& path, float width, Colour colour, float alpha, Rng& rng);
  void Cloud(const CloudShape& shape);
  // A sphere-like shaded body (fruit, bowl) lit from light_dir (picture directions).
  void ShadedBall(Point centre, float rx, float ry, Colour base, Colour light, Colour dark,
                  Point light_dir, const Noise& noise, float clip_top = -1.0f);
  // A turned body (jug, pear, vase) standing from top down over height: its half-width at
  // evenly spaced heights is profile[i] * rx. Shaded like a ball, row by row.
  void ShadedBody(Point top, float height, float rx, const std::vector<float>& profile, Colour base,
                  Colour light, Colour dark, Point light_dir, const Noise& noise);
  // Mirrors everything above the horizon into the water below it, rippled and tinted.
  void Reflect(float horizon, Colour water, float tint, float ripple, const Noise& noise);
  // Brightness mottling at picture scale (brush texture) over a band of rows.
  void Mottle(float amount, float frequency, const Noise& noise, float y0 = 0.0f, float y1 = 1.0f);
  // Brushwork over what is painted: dabs that pick up the colour under them and drag it along
  // angle (plus jitter); softens hard edges into strokes. density is dabs per picture height
  // squared; length and width are picture heights.
  void Impasto(float density, float length, float width, float angle, float angle_jitter, float alpha,
               Rng& rng);
  // Fills the canvas with ground and repaints source as round dots of jittered colour.
  void Pointillize(const Canvas& source, Colour ground, float radius, float jitter, Rng& rng);
  // The canvas weave and a darkening towards the corners: the last touches of every painting.
  void Finish(float weave, float vignette, const Noise& noise);

  RgbImage ToImage() const;

 private:
  // The pixel rows and columns that a shape reaching from (left, top) to (right, bottom),
  // in pixels, can touch, clamped to the picture.
  struct PixelBox {
    int x0, x1, y0, y1;
  };
  PixelBox Reach(float left, float top, float right, float bottom) const;
  void PaintCloud(Point centre, float rx, float ry, Colour light, Colour shadow, float alpha,
                  const Noise& noise);
  void PaintDab(Point centre, float length, float width, float angle, Colour colour, float alpha,
                std::uint32_t bristles);
  void PaintEllipse(Point centre, float rx, float ry, float angle, Colour colour, float alpha,
                    float softness);
  // Fills coverage_ for pixel row py from the polygon; returns the covered column range.
  bool CoverRow(const std::vector<Point>& pixels, int py, int& x0, int& x1);
  std::vector<Point> ToPixels(const std::vector<Point>& points) const;
  Colour& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const Colour& At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  int width_;
  int height_;
  std::vector<Colour> pixels_;
  std::vector<float> coverage_;   // one row of polygon coverage, reused
  std::vector<float> crossings_;  // one sub-row of edge crossings, reused
  int dirty_first_ = 0;           // the columns of coverage_ the last row wrote
  int dirty_last_ = -1;
};

}  // namespace ossen
