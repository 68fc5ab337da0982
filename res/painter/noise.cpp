#include "res/painter/noise.h"

#include <cmath>

namespace ossen {

std::uint64_t Rng::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

float Rng::Uniform() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }

float Rng::Range(float low, float high) { return low + (high - low) * Uniform(); }

float Rng::Signed(float amount) { return Range(-amount, amount); }

int Rng::Below(int count) {
  if (count <= 0) return 0;
  return static_cast<int>(Next() % static_cast<std::uint64_t>(count));
}

std::uint32_t Hash2(std::uint32_t a, std::uint32_t b) {
  std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float Noise::Lattice(int x, int y) const {
  const std::uint32_t h = Hash2(static_cast<std::uint32_t>(x) ^ seed_,
                                static_cast<std::uint32_t>(y) + seed_ * 0x632BE5ABu);
  return static_cast<float>(h >> 8) * (1.0f / 16777215.0f);
}

float Noise::Value(float x, float y) const {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  float tx = x - fx;
  float ty = y - fy;
  tx = tx * tx * (3.0f - 2.0f * tx);
  ty = ty * ty * (3.0f - 2.0f * ty);
  const float a = Lattice(ix, iy);
  const float b = Lattice(ix + 1, iy);
  const float c = Lattice(ix, iy + 1);
  const float d = Lattice(ix + 1, iy + 1);
  const float top = a + (b - a) * tx;
  const float bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

float Noise::Fbm(float x, float y, int octaves) const {
  float sum = 0.0f;
  float weight = 0.5f;
  float total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * Value(x, y);
    total += weight;
    // Each octave is turned a little so lattice lines of the octaves do not line up.
    const float nx = x * 1.6f + y * 1.2f + 17.3f;
    const float ny = y * 1.6f - x * 1.2f + 5.1f;
    x = nx;
    y = ny;
    weight *= 0.5f;
  }
  return sum / total;
}

}  // namespace ossen
