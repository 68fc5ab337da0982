// Motifs that several hands paint: skies, ridges, glows, clouds, boats, trees, water, birds.
// Each takes its randomness from the caller, so a painting stays one seeded sequence.
#pragma once

#include <vector>

#include "res/painter/canvas.h"

namespace ossen {

// A ridge line across the picture around base_y, roughened by noise.
std::vector<Point> Ridge(const Noise& noise, float base_y, float amplitude, float frequency,
                         float offset);
// A soft light (sun, moon haze, lantern) in rings that fade outwards.
void Glow(Canvas& canvas, Point centre, float radius, Colour colour, float strength);
// A bank of clouds between y_top and y_bottom.
void CloudBank(Canvas& canvas, Rng& rng, const Noise& noise, float y_top, float y_bottom, int count,
               float size, Colour light, Colour shadow, float alpha);
// Short horizontal strokes that break a water surface into light and wavelets.
void WaterStrokes(Canvas& canvas, Rng& rng, float y_top, float y_bottom, int count, float length,
                  const std::vector<Colour>& colours, float alpha);
// A moored or beached boat; waterline is the middle of the keel, size its length.
struct BoatLook {
  Colour hull;
  Colour trim;
  Colour mast;
  Colour sail;
  bool has_sail = false;
  float tilt = 0.0f;
  bool reflected = false;  // in calm water: a dark, broken mirror image below the keel
};
void Boat(Canvas& canvas, Rng& rng, Point waterline, float size, const BoatLook& look);
// A row of houses, sheds and a tower along base_y between x0 and x1, lit windows now and then.
void Townscape(Canvas& canvas, Rng& rng, float x0, float x1, float base_y, float max_height,
               Colour wall, Colour window, float lit_share);
// A tree: trunk and a crown of dabs, lit from the left.
struct TreeLook {
  Colour trunk;
  Colour dark;
  Colour mid;
  Colour light;
  int dabs = 140;
  float dab_size = 0.035f;
  int limbs = 0;  // branches drawn out into the crown before the leaves or blossom
};
void Tree(Canvas& canvas, Rng& rng, Point base, float height, float crown_width,
          const TreeLook& look);
// Gulls as soft bent strokes.
void Birds(Canvas& canvas, Rng& rng, Point centre, float spread, int count, float size,
           Colour colour);
// Dabs scattered over an elliptic area, each picked from colours (flower beds, foliage, fields).
void DabField(Canvas& canvas, Rng& rng, Point centre, float rx, float ry, int count, float size,
              const std::vector<Colour>& colours, float alpha, float angle, float angle_jitter);

}  // namespace ossen
