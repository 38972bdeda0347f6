// SPDX-License-Identifier: MIT
// The rules' sine and cosine must give the same bits in every build, or a
// game recorded on the desktop diverges when replayed in the web page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "world/portable_math.h"

namespace {

uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// -20 to 20 radians by a single division, which no compiler can fuse with
// anything, so the angles are the same in every build too.
float Angle(int i, int steps) {
  return static_cast<float>(i - steps / 2) / static_cast<float>(steps / 40);
}

// The fingerprint pins the exact results over the angles the game meets
// (headings run past +-20 radians only after long turning): a build whose
// arithmetic differs, by a fused multiply-add or another reduction, shows
// here before any replay.
TEST(PortableMath, TheSameBitsInEveryBuild) {
  constexpr int kSteps = 1000000;
  uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < kSteps; ++i) {
    const float x = Angle(i, kSteps);
    hash = (hash ^ Bits(PortableSin(x))) * 1099511628211ull;
    hash = (hash ^ Bits(PortableCos(x))) * 1099511628211ull;
  }
  EXPECT_EQ(hash, 0x005cd20cda64dbb9ull);
}

// Each result is the double-precision value rounded to float, so it is
// as good as a C library's sinf and cosf.
TEST(PortableMath, ResultsAreTheExactValuesRoundedToFloat) {
  constexpr int kSteps = 1000000;
  int mismatches = 0;
  for (int i = 0; i < kSteps; ++i) {
    const float x = Angle(i, kSteps);
    mismatches += PortableSin(x) != static_cast<float>(std::sin(static_cast<double>(x)));
    mismatches += PortableCos(x) != static_cast<float>(std::cos(static_cast<double>(x)));
  }
  EXPECT_LE(mismatches, 2);
  for (float x : {0.0f, 1e-30f, 0.5f, 1.5707964f, 3.1415927f, 100.0f, 12345.678f, 999999.0f, 3.0e7f}) {
    EXPECT_EQ(PortableSin(x), static_cast<float>(std::sin(static_cast<double>(x)))) << x;
    EXPECT_EQ(PortableCos(x), static_cast<float>(std::cos(static_cast<double>(x)))) << x;
    EXPECT_EQ(PortableSin(-x), -PortableSin(x)) << x;
    EXPECT_EQ(PortableCos(-x), PortableCos(x)) << x;
  }
}

// Angles no game reaches still give a sine, never a value past 1, and
// infinities give NaN as the C library's do.
TEST(PortableMath, HugeAndNonFiniteAnglesStaySane) {
  for (float x : {1.0e10f, -3.0e20f, std::numeric_limits<float>::max()}) {
    EXPECT_LE(std::fabs(PortableSin(x)), 1.0f) << x;
    EXPECT_LE(std::fabs(PortableCos(x)), 1.0f) << x;
  }
  EXPECT_TRUE(std::isnan(PortableSin(std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(PortableCos(-std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(PortableSin(std::nanf(""))));
}

}  // namespace
