// SPDX-License-Identifier: MIT
// Triangle meshes for the model generators, in the game's left-handed space
// (x right, y up, z away from the viewer); a front face winds clockwise seen
// from outside, so cross(b - a, c - a) points outward. Builders add
// primitives through a transform; hard edges get their own vertices so
// normals recomputed per shared vertex keep them sharp.
#pragma once
#include <string>
#include <vector>

#include "image.h"

namespace gen {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(Vec3 a);
Vec3 Normalize(Vec3 a);

// Row-vector affine transform: p' = p * M (as the game's matrices).
struct Mat4 {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  Vec3 Point(Vec3 p) const;
  Vec3 Direction(Vec3 d) const;  // no translation, renormalised
};
Mat4 operator*(const Mat4& a, const Mat4& b);  // a applies first
Mat4 Translate(float x, float y, float z);
Mat4 Scale(float x, float y, float z);
Mat4 RotateX(float a);
Mat4 RotateY(float a);
Mat4 RotateZ(float a);
Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up);
Mat4 Inverse(const Mat4& m);  // general affine inverse

struct Material {
  Rgba diffuse = Rgb(0.8f, 0.8f, 0.8f);  // .a below 1 marks a translucent subset
  float power = 20.0f;
  Rgba specular = Rgb(0.3f, 0.3f, 0.3f);
  Rgba emissive = Rgb(0, 0, 0);
  std::string texture;  // file name beside the model, empty for none
};

struct Mesh {
  struct Face {
    int a, b, c, material;
  };
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  std::vector<float> u, v;
  std::vector<Face> faces;
  std::vector<Material> materials;

  int AddMaterial(const Material& m);
  int AddVertex(Vec3 p, Vec3 n, float tu, float tv);
  // Adds triangle a, b, c, turned so its face normal agrees with `outward`.
  void AddTriangle(int a, int b, int c, int material, Vec3 outward);
  // Recomputes vertex normals as the normalised sum of the face normals.
  void ComputeNormals();
  // Drops vertices that no face uses, then recomputes the normals: the last
  // step of every builder, so no vertex is left without a normal.
  void Finalize();
  void Append(const Mesh& other);  // materials are merged by index offset
  float BoundingRadius() const;    // about the origin
};

// Primitive builders. Each adds geometry transformed by `xf` with material `mat`.
// Box of half-extents (hx, hy, hz), flat faces, uv per face.
void AddBox(Mesh& m, const Mat4& xf, float hx, float hy, float hz, int mat);
// Solid of revolution about +y of the profile (radius, height) pairs, from
// bottom to top; `segments` around; caps where radius > 0 at the ends.
// Texture coordinates repeat every `uvUnit` units of surface; a negative
// value instead stretches the texture once over the profile (for bands such
// as window rows) and repeats it every |uvUnit| around.
void AddLathe(Mesh& m, const Mat4& xf, const std::vector<float>& radius, const std::vector<float>& height,
              int segments, int mat, bool smooth = true, float uvUnit = 2.0f);
void AddSphere(Mesh& m, const Mat4& xf, float r, int segments, int rings, int mat);
// Cylinder along +y from y=0 to y=h.
void AddCylinder(Mesh& m, const Mat4& xf, float r0, float r1, float h, int segments, int mat);
void AddTorus(Mesh& m, const Mat4& xf, float major, float minor, int segments, int sides, int mat);
// Flat polygon (x, z pairs, convex, counter-clockwise seen from +y) extruded
// from y=-h/2 to y=+h/2 with flat sides.
void AddPrism(Mesh& m, const Mat4& xf, const std::vector<float>& xz, float h, int mat);

}  // namespace gen
