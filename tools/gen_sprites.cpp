// SPDX-License-Identifier: MIT
// glorbs_gen_sprites OUTDIR: writes the two 256 x 256 sprite sheets
// Glorbs1.bmp (Glorb, sphere and cube frames) and Glorbs2.bmp (pyramid
// frames and the spark cell shared by debris and bullets). Black is the
// game's colour key, so every texel inside a sprite is kept off pure black.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "lib/generator_main.h"
#include "lib/glorb_art.h"
#include "lib/image.h"
#include "lib/math_constants.h"
#include "lib/mesh.h"
#include "lib/raster.h"
#include "lib/sprite_layout.h"

using namespace gen;

namespace {

const int kSuper = 8;  // supersampling of the 3D cells

// Turns a cell with coverage in .a (colour premultiplied) into keyed texels:
// well-covered texels get their full colour, lifted off pure black; the rest
// become black and vanish under the key.
void KeyCell(Image& sheet, const Image& cell, int ox, int oy) {
  for (int y = 0; y < cell.Height(); ++y)
    for (int x = 0; x < cell.Width(); ++x) {
      Rgba c = cell.At(x, y);
      Rgba out = Rgb(0, 0, 0);
      if (c.a >= 0.35f) {
        float inv = 1.0f / c.a;
        out = Rgb(std::max(Clamp01(c.r * inv), 3 / 255.0f), std::max(Clamp01(c.g * inv), 3 / 255.0f),
                  std::max(Clamp01(c.b * inv), 4 / 255.0f));
      }
      sheet.At(ox + x, oy + y) = out;
    }
}

// Premultiplied result of the rasteriser (clear colour is transparent black).
Image RenderCell(const Mesh& mesh, const Mat4& world, int size, const std::vector<const Image*>& tex,
                 const Lighting& light) {
  Camera cam;
  cam.ortho = true;
  cam.orthoHalfHeight = 1.0f;
  cam.view = LookAtLH({0, 0.8f, -3.0f}, {0, 0, 0}, {0, 1, 0});
  Rasterizer r(size * kSuper, size * kSuper, {0, 0, 0, 0});
  r.Draw(mesh, world, cam, light, tex);
  return r.Result().Downsample(kSuper);
}

Lighting SpriteLight(Rgba rim) {
  Lighting l;
  l.direction = Normalize({1.0f, -1.2f, 0.9f});
  l.ambient = Rgb(0.28f, 0.28f, 0.3f);
  l.rim = rim;
  l.rimPower = 2.5f;
  return l;
}

// Panel texture: a dark plate with a glowing border and a faint inner frame.
Image PanelTexture(Rgba plate, Rgba glow) {
  const int n = 64;
  Image t(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      float ex = std::min(x + 0.5f, n - x - 0.5f), ey = std::min(y + 0.5f, n - y - 0.5f),
            e = std::min(ex, ey);
      float border = std::exp(-e / 3.0f), inner = std::exp(-std::fabs(e - 16.0f) / 1.5f);
      Rgba c = plate + glow * (0.9f * border + 0.35f * inner);
      c.a = 1;
      t.At(x, y) = c;
    }
  return t;
}

void DrawGlorbs(Image& sheet) {
  GlorbLook look;
  for (int i = 0; i < kGlorbCell.frames; ++i) {
    Image cell(32, 32);
    DrawGlorb(cell, 16.0f, 16.0f, 10.0f, 2 * kPi * i / kGlorbCell.frames, look, 6, 0.0f);
    KeyCell(sheet, cell, kGlorbCell.CellX(i), kGlorbCell.CellY(i));
  }
}

void DrawSpheres(Image& sheet) {
  Image tex(128, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) {
      float lat = (y + 0.5f) / 64.0f, lon = (x + 0.5f) / 128.0f;
      float band = 0.5f + 0.5f * std::cos(lat * kPi * 6.0f);
      float spot = std::pow(std::max(0.0f, std::cos(lon * 2 * kPi * 3) * std::sin(lat * kPi)), 8.0f);
      Rgba c = Mix(Rgb(0.85f, 0.25f, 0.6f), Rgb(1.0f, 0.65f, 0.85f), band) + Rgb(1, 0.95f, 0.5f) * spot;
      c.a = 1;
      tex.At(x, y) = c;
    }
  Mesh m;
  Material mat;
  mat.diffuse = Rgb(1, 1, 1);
  mat.specular = Rgb(0.9f, 0.9f, 0.9f);
  mat.power = 30;
  m.AddMaterial(mat);
  AddSphere(m, Mat4(), 0.84f, 32, 16, 0);
  m.Finalize();
  for (int i = 0; i < kSphereCell.frames; ++i) {
    Mat4 world = RotateY(2 * kPi * i / kSphereCell.frames) * RotateZ(0.45f);
    Image cell = RenderCell(m, world, 16, {&tex}, SpriteLight(Rgb(0.5f, 0.2f, 0.6f)));
    KeyCell(sheet, cell, kSphereCell.CellX(i), kSphereCell.CellY(i));
  }
}

void DrawCubes(Image& sheet) {
  Image tex = PanelTexture(Rgb(0.25f, 0.35f, 0.55f), Rgb(0.3f, 0.85f, 1.0f));
  Mesh m;
  Material mat;
  mat.diffuse = Rgb(1, 1, 1);
  mat.specular = Rgb(0.6f, 0.7f, 0.8f);
  mat.power = 16;
  m.AddMaterial(mat);
  AddBox(m, Mat4(), 0.5f, 0.5f, 0.5f, 0);
  m.Finalize();
  for (int i = 0; i < kCubeCell.frames; ++i) {
    float a = 2 * kPi * i / kCubeCell.frames;
    Mat4 world = RotateX(a) * RotateY(a + 0.5f) * RotateZ(0.3f);
    Image cell = RenderCell(m, world, 16, {&tex}, SpriteLight(Rgb(0.2f, 0.35f, 0.5f)));
    KeyCell(sheet, cell, kCubeCell.CellX(i), kCubeCell.CellY(i));
  }
}

Mesh PyramidMesh() {
  Mesh m;
  Material mat;
  mat.diffuse = Rgb(1, 1, 1);
  mat.specular = Rgb(0.7f, 0.6f, 0.4f);
  mat.power = 32;
  m.AddMaterial(mat);
  const float b = 0.62f, lo = -0.55f, hi = 0.7f;
  Vec3 apex{0, hi, 0};
  Vec3 corners[4] = {{-b, lo, -b}, {b, lo, -b}, {b, lo, b}, {-b, lo, b}};
  for (int k = 0; k < 4; ++k) {
    Vec3 p = corners[k], q = corners[(k + 1) % 4];
    Vec3 out = Vec3{(p.x + q.x) * 0.5f, 0.4f, (p.z + q.z) * 0.5f};
    int a = m.AddVertex(p, {}, 0, 1), c = m.AddVertex(q, {}, 1, 1), t = m.AddVertex(apex, {}, 0.5f, 0);
    m.AddTriangle(a, c, t, 0, out);
  }
  int v[4];
  for (int k = 0; k < 4; ++k)
    v[k] = m.AddVertex(corners[k], {}, k == 1 || k == 2 ? 1.0f : 0.0f, k >= 2 ? 1.0f : 0.0f);
  m.AddTriangle(v[0], v[1], v[2], 0, {0, -1, 0});
  m.AddTriangle(v[0], v[2], v[3], 0, {0, -1, 0});
  m.Finalize();
  return m;
}

void DrawPyramids(Image& sheet) {
  // Face texture: warm gold with glowing edges along the triangle's sides.
  const int n = 64;
  Image tex(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
      float side = std::fabs(u - 0.5f) * 2.0f - v;  // 0 on the slanted edges
      float edge = std::min({std::fabs(side) * 0.45f, 1.0f - v});
      Rgba c = Mix(Rgb(0.8f, 0.5f, 0.12f), Rgb(0.45f, 0.2f, 0.05f), v * 0.8f) +
               Rgb(1.0f, 0.9f, 0.55f) * std::exp(-edge * 14.0f);
      c.a = 1;
      tex.At(x, y) = c;
    }
  Mesh m = PyramidMesh();
  for (int i = 0; i < kPyramidCell.frames; ++i) {
    Mat4 world = RotateY(2 * kPi * i / kPyramidCell.frames) * RotateX(-0.12f);
    Image cell = RenderCell(m, world, 32, {&tex}, SpriteLight(Rgb(0.35f, 0.2f, 0.05f)));
    KeyCell(sheet, cell, kPyramidCell.CellX(i), kPyramidCell.CellY(i));
  }
}

// A soft round glow with a hot centre and faint cross rays; white so that
// the vertex colour alone decides its tint when drawn additively.
void DrawSpark(Image& sheet) {
  Image cell(32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      float dx = x + 0.5f - 16.0f, dy = y + 0.5f - 16.0f, r = std::sqrt(dx * dx + dy * dy);
      float glow = 0.8f * std::exp(-(r * r) / 10.0f) + 0.5f * std::exp(-r / 5.5f);
      float rays =
          0.3f * (std::exp(-std::fabs(dx) / 0.9f) + std::exp(-std::fabs(dy) / 0.9f)) * std::exp(-r / 6.0f);
      float v = (glow + rays) * SmoothStep(15.5f, 12.0f, r);
      Rgba c = Rgb(Clamp01(v), Clamp01(v * 0.97f), Clamp01(v * 0.92f + 0.02f * v));
      c.a = v >= 1.5f / 255.0f ? 1.0f : 0.0f;
      cell.At(x, y) = c;
    }
  KeyCell(sheet, cell, kSparkCell.x, kSparkCell.y);
}

}  // namespace

int main(int argc, char** argv) {
  return GeneratorMain(argc, argv, [](const std::string& dir) {
    Image sheet1(256, 256, Rgb(0, 0, 0)), sheet2(256, 256, Rgb(0, 0, 0));
    DrawGlorbs(sheet1);
    DrawSpheres(sheet1);
    DrawCubes(sheet1);
    DrawPyramids(sheet2);
    DrawSpark(sheet2);
    return WriteBmp24(dir + "/Glorbs1.bmp", sheet1, false) && WriteBmp24(dir + "/Glorbs2.bmp", sheet2, false);
  });
}
