// SPDX-License-Identifier: MIT
// glorbs_gen_models OUTDIR: writes SeaFloor.x, the nine ship models, the two
// part models (two of these names coincide, ten files in all) and the
// textures they name. The sea bed is authored ten times wider than it is
// drawn, since the game shrinks it by 0.1 in x and z and flattens it.
#include <cmath>
#include <cstdio>
#include <string>

#include "lib/generator_main.h"
#include "lib/image.h"
#include "lib/math_constants.h"
#include "lib/mesh.h"
#include "lib/rng.h"
#include "lib/ship_types.h"
#include "lib/xfile.h"
#include "ships.h"

using namespace gen;

namespace {

// Rippled sand with pebbles and darker silt; tiles seamlessly.
Image SeaBedTexture() {
  const int n = 256, period = 4;
  Image t(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      float fx = x / static_cast<float>(n) * period, fy = y / static_cast<float>(n) * period;
      float warp = FractalNoise(fx, fy, period, 3, 21);
      float ripple = 0.5f + 0.5f * std::sin(2 * kPi * (fy * 2.0f + 1.5f * warp));
      float silt = FractalNoise(fx * 2, fy * 2, period * 2, 4, 33);
      float grain = HashUnit(x, y, 7);
      Rgba c = Mix(Rgb(0.78f, 0.70f, 0.52f), Rgb(0.52f, 0.50f, 0.42f), SmoothStep(0.45f, 0.7f, silt));
      c = c * (0.82f + 0.22f * ripple + 0.1f * (grain - 0.5f));
      c.a = 1;
      t.At(x, y) = c;
    }
  Rng rng(8080);
  for (int i = 0; i < 90; ++i) {
    float cx = rng.Range(0, n), cy = rng.Range(0, n), r = rng.Range(1.0f, 3.5f),
          shade = rng.Range(0.35f, 0.8f);
    Rgba pebble = Rgb(0.55f * shade + 0.2f, 0.5f * shade + 0.15f, 0.45f * shade + 0.1f);
    for (int y = static_cast<int>(cy - r - 1); y <= static_cast<int>(cy + r + 1); ++y)
      for (int x = static_cast<int>(cx - r - 1); x <= static_cast<int>(cx + r + 1); ++x) {
        float d = std::sqrt((x + 0.5f - cx) * (x + 0.5f - cx) + (y + 0.5f - cy) * (y + 0.5f - cy));
        Rgba p = pebble * (1.1f - 0.4f * (y + 0.5f - cy + r) / (2 * r));
        p.a = Clamp01(r + 0.5f - d);
        int wx = ((x % n) + n) % n, wy = ((y % n) + n) % n;
        t.BlendOver(wx, wy, p);
      }
  }
  return t;
}

// Light hull plating: a 4 x 4 grid of plates with seams, bevels and rivets.
Image HullPlatesTexture() {
  const int n = 128, plate = 32;
  Image t(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      int px = x % plate, py = y % plate;
      float tone = 0.8f + 0.12f * (HashUnit(x / plate, y / plate, 3) - 0.5f);
      float v = tone + 0.05f * (HashUnit(x, y, 5) - 0.5f);
      if (px == 0 || py == 0)
        v *= 0.45f;  // seam
      else if (px == 1 || py == 1)
        v *= 1.15f;  // lit bevel
      else if (px == plate - 1 || py == plate - 1)
        v *= 0.8f;
      int rx = px < plate / 2 ? px - 4 : px - (plate - 4), ry = py < plate / 2 ? py - 4 : py - (plate - 4);
      if (rx * rx + ry * ry <= 1) v *= 0.65f;  // rivet
      Rgba c = Rgb(Clamp01(v), Clamp01(v), Clamp01(v * 1.03f));
      t.At(x, y) = c;
    }
  return t;
}

// A dark band with eight lit windows of varying warmth.
Image HullWindowsTexture() {
  const int w = 128, h = 32;
  Image t(w, h, Rgb(0.22f, 0.24f, 0.28f));
  Rng rng(1207);
  for (int k = 0; k < 8; ++k) {
    float lit = rng.Range(0.6f, 1.0f);
    Rgba light = rng.Unit() < 0.3f ? Rgb(0.6f * lit, 0.85f * lit, 1.0f * lit)
                                   : Rgb(1.0f * lit, 0.85f * lit, 0.5f * lit);
    for (int y = 10; y < 22; ++y)
      for (int x = k * 16 + 3; x < k * 16 + 13; ++x) {
        bool frame = y == 10 || y == 21 || x == k * 16 + 3 || x == k * 16 + 12;
        t.At(x, y) = frame ? Rgb(0.1f, 0.1f, 0.12f) : light * (1.0f - 0.25f * (y - 11) / 10.0f);
        t.At(x, y).a = 1;
      }
  }
  for (int x = 0; x < w; ++x) {
    t.At(x, 2) = Rgb(0.5f, 0.52f, 0.56f);
    t.At(x, h - 3) = Rgb(0.5f, 0.52f, 0.56f);
  }
  return t;
}

// Rolling dunes and a few mounds; 64 x 64 quads over 600 x 600 units.
Mesh SeaFloorMesh() {
  const int cells = 64;
  const float half = 300.0f, uvRepeats = 30.0f;
  Mesh m;
  Material sand;
  sand.diffuse = Rgb(0.9f, 0.88f, 0.82f);
  sand.specular = Rgb(0.05f, 0.05f, 0.05f);
  sand.power = 8;
  sand.texture = "SeaBed.bmp";
  m.AddMaterial(sand);
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i) {
      float x = -half + 2 * half * i / cells, z = -half + 2 * half * j / cells;
      float dunes = 6.0f * std::sin(x / 37.0f + 2.0f * std::sin(z / 90.0f));
      float mounds = 22.0f * (FractalNoise(x / 120.0f + 10, z / 120.0f + 10, 0, 4, 64) - 0.5f);
      m.AddVertex({x, dunes + mounds, z}, {}, uvRepeats * i / cells, uvRepeats * j / cells);
    }
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
      m.AddTriangle(a, c, b, 0, {0, 1, 0});
      m.AddTriangle(b, c, d, 0, {0, 1, 0});
    }
  m.Finalize();
  return m;
}

bool WriteModel(const std::string& dir, const char* file, const Mesh& m) {
  bool ok = WriteXFile(dir + "/" + file, m, "Model");
  if (!ok) std::fprintf(stderr, "glorbs_gen_models: cannot write %s\n", file);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  return GeneratorMain(argc, argv, [](const std::string& dir) {
    bool ok = WriteBmp24(dir + "/SeaBed.bmp", SeaBedTexture(), false);
    ok = WriteBmp24(dir + "/HullPlates.bmp", HullPlatesTexture(), false) && ok;
    ok = WriteBmp24(dir + "/HullWindows.bmp", HullWindowsTexture(), false) && ok;
    ok = WriteModel(dir, kSeaFloorModel, SeaFloorMesh()) && ok;
    for (const ShipType& t : kShipTypes) ok = WriteModel(dir, t.file, FindShipBuilder(t.file)()) && ok;
    return WriteModel(dir, kPartModels[0], FindShipBuilder(kPartModels[0])()) && ok;
  });
}
