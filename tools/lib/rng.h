// SPDX-License-Identifier: MIT
// Seeded pseudo-random numbers for the asset generators. Every generator owns
// its stream with a fixed seed so a build always produces the same bytes; the
// C library's rand() is never used (its sequence differs between libraries).
#pragma once
#include <cstdint>

namespace gen {

// PCG32 (O'Neill): small state, good statistics, identical on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) {
    Next();
    state_ += seed;
    Next();
  }
  uint32_t Next() {
    uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
    uint32_t xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    uint32_t rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
  }
  // Uniform in [0, 1).
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float a, float b) { return a + (b - a) * Unit(); }
  int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

 private:
  uint64_t state_ = 0;
};

// Stateless hash noise: a value in [0, 1) for an integer lattice point, used
// where a pattern must not depend on the order in which pixels are visited.
inline float HashUnit(int x, int y, uint32_t seed) {
  uint32_t h =
      static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

// Smooth value noise in [0, 1) with period `period` lattice cells (tileable).
float ValueNoise(float x, float y, int period, uint32_t seed);
// Sum of octaves of ValueNoise, result roughly in [0, 1).
float FractalNoise(float x, float y, int period, int octaves, uint32_t seed);

}  // namespace gen
