// Seeded randomness for the painter: the same seed gives the same numbers on every run and build.
#pragma once

#include <cstdint>

namespace ossen {

// splitmix64: small, fast and fully determined by its seed.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  float Uniform();                       // [0, 1)
  float Range(float low, float high);    // [low, high)
  float Signed(float amount);            // [-amount, amount)
  int Below(int count);                  // [0, count), 0 for count <= 0

 private:
  std::uint64_t state_;
};

// Smooth value noise in [0, 1] on a lattice of unit spacing, and its fractal sum.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : seed_(static_cast<std::uint32_t>(seed ^ (seed >> 32))) {}
  float Value(float x, float y) const;
  float Fbm(float x, float y, int octaves) const;  // in [0, 1], mean near 0.5

 private:
  float Lattice(int x, int y) const;
  std::uint32_t seed_;
};

// A well-mixed hash of two integers, for per-item variation without a sequence.
std::uint32_t Hash2(std::uint32_t a, std::uint32_t b);

}  // namespace ossen
