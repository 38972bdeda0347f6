// SPDX-License-Identifier: MIT
#include "world/portable_math.h"

#include <cmath>
#include <cstddef>

namespace {

// pi / 2 in three parts: the first two have enough trailing zero bits that
// k times them is exact for the quadrant counts the game meets.
constexpr double kPiOver2Hi = 1.57079632673412561417e+00;
constexpr double kPiOver2Mid = 6.07710050630396597660e-11;
constexpr double kPiOver2Lo = 2.02226624879595063154e-21;
constexpr double kTwoPi = 6.28318530717958647692e+00;
constexpr double kLargeAngle = 1.0e6;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;

// Taylor series on [-pi/4, pi/4] in double: the first omitted term is below
// 1e-16, far under half a float's last place. Coefficients from the highest
// power down, each 1/n! with its sign.
constexpr double kSinCoefficients[] = {
    1.0 / 355687428096000.0, -1.0 / 1307674368000.0, 1.0 / 6227020800.0, -1.0 / 39916800.0,
    1.0 / 362880.0,          -1.0 / 5040.0,          1.0 / 120.0,        -1.0 / 6.0};
constexpr double kCosCoefficients[] = {
    1.0 / 20922789888000.0, -1.0 / 87178291200.0, 1.0 / 479001600.0, -1.0 / 3628800.0,
    1.0 / 40320.0,          -1.0 / 720.0,         1.0 / 24.0};

// c0 + c1 y + c2 y^2 + ... by Horner's rule, the coefficients given highest first.
template <size_t N>
double Polynomial(const double (&coefficients)[N], double y) {
  double sum = 0.0;
  for (double c : coefficients) sum = sum * y + c;
  return sum;
}

double SinSeries(double r) {
  const double r2 = r * r;
  return r + r * r2 * Polynomial(kSinCoefficients, r2);
}

double CosSeries(double r) {
  const double r2 = r * r;
  return 1.0 - 0.5 * r2 + r2 * r2 * Polynomial(kCosCoefficients, r2);
}

// sin(x + quadrant pi/2) for the reduced angle r.
float Evaluate(float x, int quadrantOffset) {
  if (!std::isfinite(x)) return std::nanf("");
  double d = x;
  // Past a million radians the three-part reduction below is no longer
  // exact; the remainder by the double nearest 2 pi is (and the same in
  // every C library), which keeps the result a sine, if a less accurate one.
  if (std::fabs(d) > kLargeAngle) d = std::fmod(d, kTwoPi);
  const double k = std::nearbyint(d * kTwoOverPi);
  const double r = ((d - k * kPiOver2Hi) - k * kPiOver2Mid) - k * kPiOver2Lo;
  // The quadrant from k, taken modulo 4 without overflowing for huge angles.
  const int quadrant = (static_cast<int>(std::fmod(k, 4.0)) + 4 + quadrantOffset) % 4;
  switch (quadrant) {
    case 0:
      return static_cast<float>(SinSeries(r));
    case 1:
      return static_cast<float>(CosSeries(r));
    case 2:
      return static_cast<float>(-SinSeries(r));
    default:
      return static_cast<float>(-CosSeries(r));
  }
}

}  // namespace

float PortableSin(float x) {
  return Evaluate(x, 0);
}

float PortableCos(float x) {
  return Evaluate(x, 1);
}
