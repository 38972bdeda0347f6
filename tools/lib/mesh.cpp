// SPDX-License-Identifier: MIT
// Vector math, triangle mesh bookkeeping and primitive builders.
#include "mesh.h"

#include <algorithm>
#include <cmath>

#include "math_constants.h"

namespace gen {

float Length(Vec3 a) {
  return std::sqrt(Dot(a, a));
}
Vec3 Normalize(Vec3 a) {
  float l = Length(a);
  return l > 1e-12f ? a * (1.0f / l) : Vec3{0, 0, 0};
}

Vec3 Mat4::Point(Vec3 p) const {
  return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
          p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
          p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

Vec3 Mat4::Direction(Vec3 d) const {
  return Normalize({d.x * m[0][0] + d.y * m[1][0] + d.z * m[2][0],
                    d.x * m[0][1] + d.y * m[1][1] + d.z * m[2][1],
                    d.x * m[0][2] + d.y * m[1][2] + d.z * m[2][2]});
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  return r;
}

Mat4 Translate(float x, float y, float z) {
  Mat4 r;
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Mat4 Scale(float x, float y, float z) {
  Mat4 r;
  r.m[0][0] = x;
  r.m[1][1] = y;
  r.m[2][2] = z;
  return r;
}

Mat4 RotateX(float a) {
  Mat4 r;
  r.m[1][1] = std::cos(a);
  r.m[1][2] = std::sin(a);
  r.m[2][1] = -std::sin(a);
  r.m[2][2] = std::cos(a);
  return r;
}

Mat4 RotateY(float a) {
  Mat4 r;
  r.m[0][0] = std::cos(a);
  r.m[0][2] = -std::sin(a);
  r.m[2][0] = std::sin(a);
  r.m[2][2] = std::cos(a);
  return r;
}

Mat4 RotateZ(float a) {
  Mat4 r;
  r.m[0][0] = std::cos(a);
  r.m[0][1] = std::sin(a);
  r.m[1][0] = -std::sin(a);
  r.m[1][1] = std::cos(a);
  return r;
}

Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
  Vec3 z = Normalize(at - eye), x = Normalize(Cross(up, z)), y = Cross(z, x);
  Mat4 r;
  r.m[0][0] = x.x;
  r.m[1][0] = x.y;
  r.m[2][0] = x.z;
  r.m[0][1] = y.x;
  r.m[1][1] = y.y;
  r.m[2][1] = y.z;
  r.m[0][2] = z.x;
  r.m[1][2] = z.y;
  r.m[2][2] = z.z;
  r.m[3][0] = -Dot(x, eye);
  r.m[3][1] = -Dot(y, eye);
  r.m[3][2] = -Dot(z, eye);
  return r;
}

Mat4 Inverse(const Mat4& a) {
  const float(*m)[4] = a.m;
  float det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
              m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
              m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  float inv = std::fabs(det) > 1e-20f ? 1.0f / det : 0.0f;
  Mat4 r;
  r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) * inv;
  r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
  r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
  r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) * inv;
  r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
  r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
  r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) * inv;
  r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
  r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
  for (int j = 0; j < 3; ++j) r.m[3][j] = -(m[3][0] * r.m[0][j] + m[3][1] * r.m[1][j] + m[3][2] * r.m[2][j]);
  return r;
}

int Mesh::AddMaterial(const Material& m) {
  materials.push_back(m);
  return static_cast<int>(materials.size()) - 1;
}

int Mesh::AddVertex(Vec3 p, Vec3 n, float tu, float tv) {
  positions.push_back(p);
  normals.push_back(n);
  u.push_back(tu);
  v.push_back(tv);
  return static_cast<int>(positions.size()) - 1;
}

void Mesh::AddTriangle(int a, int b, int c, int material, Vec3 outward) {
  Vec3 n = Cross(positions[b] - positions[a], positions[c] - positions[a]);
  if (Dot(n, outward) < 0) std::swap(b, c);
  faces.push_back({a, b, c, material});
}

void Mesh::ComputeNormals() {
  std::vector<Vec3> sum(positions.size());
  for (const Face& f : faces) {
    Vec3 n = Cross(positions[f.b] - positions[f.a], positions[f.c] - positions[f.a]);
    sum[f.a] = sum[f.a] + n;
    sum[f.b] = sum[f.b] + n;
    sum[f.c] = sum[f.c] + n;
  }
  for (size_t i = 0; i < sum.size(); ++i) normals[i] = Normalize(sum[i]);
}

void Mesh::Finalize() {
  std::vector<int> remap(positions.size(), -1);
  Mesh kept;
  kept.materials = materials;
  for (Face& f : faces)
    for (int* idx : {&f.a, &f.b, &f.c}) {
      if (remap[*idx] < 0) remap[*idx] = kept.AddVertex(positions[*idx], normals[*idx], u[*idx], v[*idx]);
      *idx = remap[*idx];
    }
  kept.faces = faces;
  *this = kept;
  ComputeNormals();
}

void Mesh::Append(const Mesh& o) {
  int vbase = static_cast<int>(positions.size()), mbase = static_cast<int>(materials.size());
  positions.insert(positions.end(), o.positions.begin(), o.positions.end());
  normals.insert(normals.end(), o.normals.begin(), o.normals.end());
  u.insert(u.end(), o.u.begin(), o.u.end());
  v.insert(v.end(), o.v.begin(), o.v.end());
  materials.insert(materials.end(), o.materials.begin(), o.materials.end());
  for (const Face& f : o.faces) faces.push_back({f.a + vbase, f.b + vbase, f.c + vbase, f.material + mbase});
}

float Mesh::BoundingRadius() const {
  float r = 0;
  for (const Vec3& p : positions) r = std::max(r, Length(p));
  return r;
}

namespace {

void AddQuad(Mesh& m, const Mat4& xf, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 outward, int mat) {
  Vec3 out = xf.Direction(outward);
  int a = m.AddVertex(xf.Point(p0), out, 0, 1), b = m.AddVertex(xf.Point(p1), out, 1, 1);
  int c = m.AddVertex(xf.Point(p2), out, 1, 0), d = m.AddVertex(xf.Point(p3), out, 0, 0);
  m.AddTriangle(a, b, c, mat, out);
  m.AddTriangle(a, c, d, mat, out);
}

// Flat disc cap of a lathe at height h with radius r, facing `up` (+1 / -1).
void AddCap(Mesh& m, const Mat4& xf, float r, float h, float up, int segments, int mat) {
  Vec3 out = xf.Direction({0, up, 0});
  int centre = m.AddVertex(xf.Point({0, h, 0}), out, 0.5f, 0.5f);
  int first = static_cast<int>(m.positions.size());
  for (int s = 0; s <= segments; ++s) {
    float a = 2 * kPi * s / segments;
    m.AddVertex(xf.Point({r * std::cos(a), h, r * std::sin(a)}), out, 0.5f + 0.5f * std::cos(a),
                0.5f + 0.5f * std::sin(a));
  }
  for (int s = 0; s < segments; ++s) m.AddTriangle(centre, first + s, first + s + 1, mat, out);
}

}  // namespace

void AddBox(Mesh& m, const Mat4& xf, float hx, float hy, float hz, int mat) {
  AddQuad(m, xf, {-hx, -hy, -hz}, {hx, -hy, -hz}, {hx, hy, -hz}, {-hx, hy, -hz}, {0, 0, -1}, mat);
  AddQuad(m, xf, {hx, -hy, hz}, {-hx, -hy, hz}, {-hx, hy, hz}, {hx, hy, hz}, {0, 0, 1}, mat);
  AddQuad(m, xf, {-hx, -hy, hz}, {-hx, -hy, -hz}, {-hx, hy, -hz}, {-hx, hy, hz}, {-1, 0, 0}, mat);
  AddQuad(m, xf, {hx, -hy, -hz}, {hx, -hy, hz}, {hx, hy, hz}, {hx, hy, -hz}, {1, 0, 0}, mat);
  AddQuad(m, xf, {-hx, hy, -hz}, {hx, hy, -hz}, {hx, hy, hz}, {-hx, hy, hz}, {0, 1, 0}, mat);
  AddQuad(m, xf, {-hx, -hy, hz}, {hx, -hy, hz}, {hx, -hy, -hz}, {-hx, -hy, -hz}, {0, -1, 0}, mat);
}

void AddLathe(Mesh& m, const Mat4& xf, const std::vector<float>& radius, const std::vector<float>& height,
              int segments, int mat, bool smooth, float uvUnit) {
  size_t n = std::min(radius.size(), height.size());
  if (n < 2) return;
  std::vector<float> along(n, 0.0f);
  float rmax = radius[0];
  for (size_t i = 1; i < n; ++i) {
    along[i] = along[i - 1] + std::hypot(radius[i] - radius[i - 1], height[i] - height[i - 1]);
    rmax = std::max(rmax, radius[i]);
  }
  float unit = std::max(std::fabs(uvUnit), 1e-3f);
  float uRepeats = std::max(1.0f, std::round(2 * kPi * rmax / unit));
  auto texV = [&](size_t i) {
    return uvUnit > 0 ? along[i] / unit : 1.0f - along[i] / std::max(along[n - 1], 1e-6f);
  };
  // Smooth lathes share one vertex row per profile point; faceted ones give
  // every band its own two rows so the bands keep hard edges between them.
  auto addRow = [&](size_t i) {
    int row = static_cast<int>(m.positions.size());
    for (int s = 0; s <= segments; ++s) {
      float a = 2 * kPi * s / segments;
      m.AddVertex(xf.Point({radius[i] * std::cos(a), height[i], radius[i] * std::sin(a)}), {},
                  uRepeats * s / segments, texV(i));
    }
    return row;
  };
  int lower = addRow(0);
  for (size_t i = 0; i + 1 < n; ++i) {
    if (!smooth && i > 0) lower = addRow(i);
    int upper = addRow(i + 1);
    float dr = radius[i + 1] - radius[i], dh = height[i + 1] - height[i];
    for (int s = 0; s < segments; ++s) {
      float a = 2 * kPi * (s + 0.5f) / segments;
      Vec3 out = xf.Direction({std::cos(a) * dh, -dr, std::sin(a) * dh});
      int v0 = lower + s, v1 = upper + s, v2 = lower + s + 1, v3 = upper + s + 1;
      if (radius[i] > 1e-7f) m.AddTriangle(v0, v2, v1, mat, out);
      if (radius[i + 1] > 1e-7f) m.AddTriangle(v1, v2, v3, mat, out);
    }
    lower = upper;
  }
  if (radius[0] > 1e-6f) AddCap(m, xf, radius[0], height[0], -1.0f, segments, mat);
  if (radius[n - 1] > 1e-6f) AddCap(m, xf, radius[n - 1], height[n - 1], 1.0f, segments, mat);
}

void AddSphere(Mesh& m, const Mat4& xf, float r, int segments, int rings, int mat) {
  std::vector<float> rad, h;
  for (int i = 0; i <= rings; ++i) {
    float a = kPi * i / rings;
    rad.push_back(r * std::sin(a));
    h.push_back(-r * std::cos(a));
  }
  rad.front() = 0;
  rad.back() = 0;
  AddLathe(m, xf, rad, h, segments, mat, true, -2 * kPi * r);  // latitude-longitude mapping
}

void AddCylinder(Mesh& m, const Mat4& xf, float r0, float r1, float h, int segments, int mat) {
  AddLathe(m, xf, {r0, r1}, {0, h}, segments, mat, true);
}

void AddTorus(Mesh& m, const Mat4& xf, float major, float minor, int segments, int sides, int mat) {
  int base = static_cast<int>(m.positions.size());
  for (int s = 0; s <= segments; ++s)
    for (int t = 0; t <= sides; ++t) {
      float a = 2 * kPi * s / segments, b = 2 * kPi * t / sides;
      float rr = major + minor * std::cos(b);
      m.AddVertex(xf.Point({rr * std::cos(a), minor * std::sin(b), rr * std::sin(a)}), {},
                  static_cast<float>(s) / segments * 4.0f, static_cast<float>(t) / sides);
    }
  for (int s = 0; s < segments; ++s)
    for (int t = 0; t < sides; ++t) {
      int v0 = base + s * (sides + 1) + t, v1 = v0 + 1, v2 = v0 + sides + 1, v3 = v2 + 1;
      float a = 2 * kPi * (s + 0.5f) / segments, b = 2 * kPi * (t + 0.5f) / sides;
      Vec3 out = xf.Direction({std::cos(b) * std::cos(a), std::sin(b), std::cos(b) * std::sin(a)});
      m.AddTriangle(v0, v2, v1, mat, out);
      m.AddTriangle(v1, v2, v3, mat, out);
    }
}

void AddPrism(Mesh& m, const Mat4& xf, const std::vector<float>& xz, float h, int mat) {
  size_t n = xz.size() / 2;
  if (n < 3) return;
  float cx = 0, cz = 0;
  for (size_t i = 0; i < n; ++i) {
    cx += xz[2 * i];
    cz += xz[2 * i + 1];
  }
  cx /= n;
  cz /= n;
  for (float side : {1.0f, -1.0f}) {
    Vec3 out = xf.Direction({0, side, 0});
    int centre = m.AddVertex(xf.Point({cx, side * h / 2, cz}), out, 0.5f, 0.5f);
    int first = static_cast<int>(m.positions.size());
    for (size_t i = 0; i < n; ++i) m.AddVertex(xf.Point({xz[2 * i], side * h / 2, xz[2 * i + 1]}), out, 0, 0);
    for (size_t i = 0; i < n; ++i)
      m.AddTriangle(centre, first + static_cast<int>(i), first + static_cast<int>((i + 1) % n), mat, out);
  }
  for (size_t i = 0; i < n; ++i) {
    size_t j = (i + 1) % n;
    Vec3 a{xz[2 * i], -h / 2, xz[2 * i + 1]}, b{xz[2 * j], -h / 2, xz[2 * j + 1]};
    Vec3 mid{(a.x + b.x) / 2 - cx, 0, (a.z + b.z) / 2 - cz};
    AddQuad(m, xf, a, b, b + Vec3{0, h, 0}, a + Vec3{0, h, 0}, mid, mat);
  }
}

}  // namespace gen
