// SPDX-License-Identifier: MIT
// The game's three-float vector (x, y on the ground plane, z the height) and
// the handful of operations the world rules use on it.
#pragma once

#include <cmath>

// Half a turn in radians: headings, aim and the spread of bursts.
constexpr float kPi = 3.1415927f;

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float vx, float vy, float vz) : x(vx), y(vy), z(vz) {}

  Vector3 operator+(const Vector3& v) const { return Vector3(x + v.x, y + v.y, z + v.z); }
  Vector3 operator-(const Vector3& v) const { return Vector3(x - v.x, y - v.y, z - v.z); }
  Vector3 operator*(float s) const { return Vector3(x * s, y * s, z * s); }
  Vector3 operator/(float s) const { return Vector3(x / s, y / s, z / s); }
  Vector3& operator+=(const Vector3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  Vector3& operator/=(float s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
  }
  bool operator==(const Vector3& v) const { return x == v.x && y == v.y && z == v.z; }

  float Length() const { return std::sqrt(x * x + y * y + z * z); }
};

inline Vector3 operator*(float s, const Vector3& v) {
  return v * s;
}

// Writes v scaled to length 1 into out; a vector too short to have a
// direction (under 1e-5) gives the zero vector rather than a division by zero.
inline void Normalize(Vector3& out, const Vector3& v) {
  const float length = v.Length();
  out = (length < 1e-5f) ? Vector3() : v / length;
}
