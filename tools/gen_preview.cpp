// SPDX-License-Identifier: MIT
// glorbs_gen_preview MEDIADIR OUTDIR: reads the generated sprite sheets and
// models back from MEDIADIR and writes two pictures for people to review:
// contact_sheet.png (both sheets with the game's cells outlined, keyed black
// shown as dark blue) and turntable.png (every model from six angles, lit
// like the game: one directional light along (1, -1, 1), ambient 0.2).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "lib/image.h"
#include "lib/math_constants.h"
#include "lib/raster.h"
#include "lib/ship_types.h"
#include "lib/sprite_layout.h"
#include "lib/stroke_font.h"
#include "lib/xfile.h"

using namespace gen;

namespace {

bool ContactSheet(const std::string& media, const std::string& out) {
  const int scale = 2, gap = 16;
  Image sheets[2];
  if (!ReadBmp(media + "/Glorbs1.bmp", &sheets[0]) || !ReadBmp(media + "/Glorbs2.bmp", &sheets[1]))
    return false;
  Image pic(2 * 256 * scale + 3 * gap, 256 * scale + 2 * gap, Rgb(0.15f, 0.15f, 0.17f));
  for (int s = 0; s < 2; ++s) {
    int ox = gap + s * (256 * scale + gap), oy = gap;
    for (int y = 0; y < 256 * scale; ++y)
      for (int x = 0; x < 256 * scale; ++x) {
        Rgba c = sheets[s].At(x / scale, y / scale);
        bool keyed = c.r == 0 && c.g == 0 && c.b == 0;
        pic.At(ox + x, oy + y) = keyed ? Rgb(0.04f, 0.07f, 0.2f) : c;
      }
    for (const CellStrip& strip : kAllCells) {
      if (std::string(strip.sheet) != (s == 0 ? "Glorbs1.bmp" : "Glorbs2.bmp")) continue;
      for (int f = 0; f < strip.frames; ++f) {
        int cx = ox + strip.CellX(f) * scale, cy = oy + strip.CellY(f) * scale;
        for (int k = 0; k < strip.width * scale; ++k) {
          pic.BlendOver(cx + k, cy, {0.5f, 0.5f, 0.55f, 0.6f});
          pic.BlendOver(cx + k, cy + strip.height * scale - 1, {0.5f, 0.5f, 0.55f, 0.6f});
        }
        for (int k = 0; k < strip.height * scale; ++k) {
          pic.BlendOver(cx, cy + k, {0.5f, 0.5f, 0.55f, 0.6f});
          pic.BlendOver(cx + strip.width * scale - 1, cy + k, {0.5f, 0.5f, 0.55f, 0.6f});
        }
      }
    }
  }
  return WritePng(out + "/contact_sheet.png", pic);
}

// One turntable row: the model from six yaw angles, 25 degrees above.
bool TurntableRow(const std::string& media, const std::string& file, Image& pic, int row, int cell,
                  int labelWidth) {
  Mesh mesh;
  std::string error;
  if (!ReadXFile(media + "/" + file, &mesh, &error)) {
    std::fprintf(stderr, "glorbs_gen_preview: %s: %s\n", file.c_str(), error.c_str());
    return false;
  }
  mesh.ComputeNormals();  // as the game does after loading
  std::map<std::string, Image> loaded;
  std::vector<const Image*> textures;
  for (const Material& m : mesh.materials) {
    if (!m.texture.empty() && !loaded.count(m.texture)) ReadBmp(media + "/" + m.texture, &loaded[m.texture]);
    textures.push_back(m.texture.empty() || loaded[m.texture].Width() == 0 ? nullptr : &loaded[m.texture]);
  }
  float radius = std::max(1e-6f, mesh.BoundingRadius());
  Lighting light;
  light.ambient = Rgb(0.2f, 0.2f, 0.2f);
  for (int k = 0; k < 6; ++k) {
    Camera cam;
    float yaw = 2 * kPi * k / 6 + 0.4f, pitch = 0.44f;
    Vec3 eye{std::sin(yaw) * std::cos(pitch) * 3.2f, std::sin(pitch) * 3.2f,
             -std::cos(yaw) * std::cos(pitch) * 3.2f};
    cam.view = LookAtLH(eye, {0, 0, 0}, {0, 1, 0});
    Rasterizer r(cell * 2, cell * 2, Rgb(0.05f, 0.1f, 0.18f));
    r.Draw(mesh, Scale(1 / radius, 1 / radius, 1 / radius), cam, light, textures);
    pic.Paste(r.Result().Downsample(2), labelWidth + k * cell, row * cell);
  }
  std::string label;
  for (char c : file) label += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  label = label.substr(0, label.size() - 2);
  Image tag(labelWidth, cell, Rgb(0.1f, 0.1f, 0.12f));
  TextStyle style;
  style.height = 12;
  DrawNeonText(tag, label, 8, cell / 2 + 6, style, Rgb(1, 1, 1), Rgb(0.7f, 0.9f, 1.0f),
               {0.3f, 0.6f, 1.0f, 0.2f}, 3);
  pic.Paste(tag, 0, row * cell);
  return true;
}

bool Turntable(const std::string& media, const std::string& out) {
  std::vector<std::string> files{kSeaFloorModel};
  for (const ShipType& t : kShipTypes) files.push_back(t.file);
  files.push_back(kPartModels[0]);
  const int cell = 150, labelWidth = 190;
  Image pic(labelWidth + 6 * cell, cell * static_cast<int>(files.size()));
  bool ok = true;
  for (size_t i = 0; i < files.size(); ++i)
    ok = TurntableRow(media, files[i], pic, static_cast<int>(i), cell, labelWidth) && ok;
  return WritePng(out + "/turntable.png", pic) && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s MEDIADIR OUTDIR\n", argv[0]);
    return 2;
  }
  bool ok = ContactSheet(argv[1], argv[2]);
  ok = Turntable(argv[1], argv[2]) && ok;
  return ok ? 0 : 1;
}
