// SPDX-License-Identifier: MIT
#include "world/random.h"

#include <cstdint>

namespace {

// x(n) = x(n - 31) + x(n - 3) mod 2^32 over 31 words, the draw being the
// word shifted right by one. The table starts from a Lehmer sequence
// (16807 x mod 2^31 - 1) of the seed, and its first 310 draws are thrown
// away, as the C library does.
constexpr int kDegree = 31;
constexpr int kSeparation = 3;

struct Generator {
  uint32_t words[kDegree] = {};
  // The two taps, three words apart around the ring; the front word takes
  // the sum and is the draw.
  int front = kSeparation;
  int rear = 0;

  uint32_t Next() {
    words[front] += words[rear];
    const uint32_t value = words[front] >> 1;
    front = (front + 1) % kDegree;
    rear = (rear + 1) % kDegree;
    return value;
  }
};

Generator Seeded(unsigned seed) {
  if (seed == 0) seed = 1;
  Generator g;
  // The C library keeps the seed in a signed 32-bit word and steps it with
  // Schrage's method, so seeds of 2^31 and above start from a negative word.
  int32_t word = static_cast<int32_t>(seed);
  g.words[0] = static_cast<uint32_t>(word);
  for (int i = 1; i < kDegree; ++i) {
    const int32_t hi = word / 127773;
    const int32_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    g.words[i] = static_cast<uint32_t>(word);
  }
  for (int i = 0; i < 10 * kDegree; ++i) g.Next();
  return g;
}

// Before any seed the C library draws as if seeded with 1.
Generator generator = Seeded(1);

}  // namespace

void SeedRandom(unsigned seed) {
  generator = Seeded(seed);
}

int NextRandom() {
  return static_cast<int>(generator.Next());
}
