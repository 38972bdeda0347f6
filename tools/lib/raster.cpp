// SPDX-License-Identifier: MIT
// Triangle set-up, perspective-correct interpolation and shading.
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace gen {

Rasterizer::Rasterizer(int width, int height, Rgba clear)
    : w_(width),
      h_(height),
      colour_(width, height, clear),
      depth_(static_cast<size_t>(width) * height, 1e30f) {}

void Rasterizer::Draw(const Mesh& mesh, const Mat4& world, const Camera& cam, const Lighting& light,
                      const std::vector<const Image*>& textures) {
  Mat4 toView = world * cam.view;
  Vec3 eye = Inverse(cam.view).Point({0, 0, 0});
  float aspect = static_cast<float>(w_) / h_;
  float focal = cam.ortho ? 1.0f / cam.orthoHalfHeight : 1.0f / std::tan(cam.fovY * 0.5f);
  std::vector<Projected> pv(mesh.positions.size());
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    Vec3 vp = toView.Point(mesh.positions[i]);
    float invW = cam.ortho ? 1.0f : (vp.z > cam.nearZ ? 1.0f / vp.z : -1.0f);
    float nx = vp.x * focal / aspect * (cam.ortho ? 1.0f : invW),
          ny = vp.y * focal * (cam.ortho ? 1.0f : invW);
    pv[i] = {(nx * 0.5f + 0.5f) * w_,        (0.5f - ny * 0.5f) * h_,          vp.z,      invW,
             world.Point(mesh.positions[i]), world.Direction(mesh.normals[i]), mesh.u[i], mesh.v[i]};
  }
  for (int pass = 0; pass < 2; ++pass)
    for (const Mesh::Face& f : mesh.faces) {
      const Material& mat = mesh.materials[f.material];
      bool translucent = mat.diffuse.a < 1.0f;
      if (translucent != (pass == 1)) continue;
      Projected tri[3] = {pv[f.a], pv[f.b], pv[f.c]};
      if (tri[0].invW < 0 || tri[1].invW < 0 || tri[2].invW < 0) continue;  // behind the near plane
      const Image* tex = f.material < static_cast<int>(textures.size()) ? textures[f.material] : nullptr;
      DrawTriangle(tri, mat, tex, light, eye, translucent);
    }
}

void Rasterizer::DrawTriangle(const Projected* p, const Material& mat, const Image* tex,
                              const Lighting& light, Vec3 eye, bool additive) {
  float area = (p[1].sx - p[0].sx) * (p[2].sy - p[0].sy) - (p[2].sx - p[0].sx) * (p[1].sy - p[0].sy);
  if (std::fabs(area) < 1e-9f) return;
  int x0 = std::max(0, static_cast<int>(std::floor(std::min({p[0].sx, p[1].sx, p[2].sx}))));
  int x1 = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({p[0].sx, p[1].sx, p[2].sx}))));
  int y0 = std::max(0, static_cast<int>(std::floor(std::min({p[0].sy, p[1].sy, p[2].sy}))));
  int y1 = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({p[0].sy, p[1].sy, p[2].sy}))));
  Vec3 toLight = light.direction * -1.0f;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float b0 = ((p[1].sx - px) * (p[2].sy - py) - (p[2].sx - px) * (p[1].sy - py)) / area;
      float b1 = ((p[2].sx - px) * (p[0].sy - py) - (p[0].sx - px) * (p[2].sy - py)) / area;
      float b2 = 1.0f - b0 - b1;
      if (b0 < 0 || b1 < 0 || b2 < 0) continue;
      float w0 = b0 * p[0].invW, w1 = b1 * p[1].invW, w2 = b2 * p[2].invW, ws = w0 + w1 + w2;
      w0 /= ws;
      w1 /= ws;
      w2 /= ws;
      float z = w0 * p[0].z + w1 * p[1].z + w2 * p[2].z;
      float& depth = depth_[static_cast<size_t>(y) * w_ + x];
      if (z >= depth) continue;
      Vec3 n = Normalize(p[0].normal * w0 + p[1].normal * w1 + p[2].normal * w2);
      Vec3 pos = p[0].world * w0 + p[1].world * w1 + p[2].world * w2;
      Vec3 toEye = Normalize(eye - pos);
      Rgba base = mat.diffuse;
      if (tex) {
        float tu = w0 * p[0].u + w1 * p[1].u + w2 * p[2].u, tv = w0 * p[0].v + w1 * p[1].v + w2 * p[2].v;
        Rgba t = tex->SampleWrap(tu * tex->Width(), tv * tex->Height());
        base = {base.r * t.r, base.g * t.g, base.b * t.b, base.a};
      }
      float lambert = std::max(0.0f, Dot(n, toLight));
      float highlight = 0;
      if (lambert > 0) highlight = std::pow(std::max(0.0f, Dot(n, Normalize(toLight + toEye))), mat.power);
      float rim = std::pow(1.0f - std::fabs(Dot(n, toEye)), light.rimPower);
      Rgba c;
      c.r = base.r * (light.ambient.r + lambert * light.colour.r) + mat.specular.r * highlight +
            mat.emissive.r + light.rim.r * rim;
      c.g = base.g * (light.ambient.g + lambert * light.colour.g) + mat.specular.g * highlight +
            mat.emissive.g + light.rim.g * rim;
      c.b = base.b * (light.ambient.b + lambert * light.colour.b) + mat.specular.b * highlight +
            mat.emissive.b + light.rim.b * rim;
      Rgba& dst = colour_.At(x, y);
      if (additive) {
        dst.r += c.r;
        dst.g += c.g;
        dst.b += c.b;
        dst.a = std::max(dst.a, base.a);
      } else {
        dst = {c.r, c.g, c.b, 1.0f};
        depth = z;
      }
    }
}

}  // namespace gen
