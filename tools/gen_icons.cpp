// SPDX-License-Identifier: MIT
// glorbs_gen_icons OUTDIR: writes the program's icons into OUTDIR:
//   icon.bmp            64 x 64, 32-bit with alpha: the window icon (resource 101)
//   glorbs3d-N.png      N x N for N = 16, 24, 32, 48, 64, 128, 256, 512: the
//                       desktop icons of the hicolor theme
// Every size is the same picture, a rounded ocean tile with one Glorb on it,
// drawn large and averaged down so that the small ones stay crisp.
#include <algorithm>
#include <cmath>
#include <string>

#include "lib/generator_main.h"
#include "lib/glorb_art.h"
#include "lib/image.h"

using namespace gen;

namespace {

// Rounded ocean tile with one Glorb on it; alpha outside the tile is 0.
Image PaintIcon(int size) {
  Image img(size, size);
  float s = static_cast<float>(size), corner = s * 0.2f, inset = s * 0.03f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float qx = std::max(std::fabs(x + 0.5f - s / 2) - (s / 2 - inset - corner), 0.0f);
      float qy = std::max(std::fabs(y + 0.5f - s / 2) - (s / 2 - inset - corner), 0.0f);
      float d = std::sqrt(qx * qx + qy * qy) - corner;  // signed distance to the tile edge
      float t = (y + 0.5f) / s;
      Rgba c = Mix(Rgb(0.08f, 0.42f, 0.60f), Rgb(0.02f, 0.08f, 0.22f), t);
      c = Mix(c, Rgb(0.4f, 0.85f, 1.0f), 0.6f * std::exp(-std::fabs(d + s * 0.015f) / (s * 0.012f)));
      c.a = Clamp01(0.5f - d);
      img.At(x, y) = c;
    }
  GlorbLook look;
  Image creature(size, size);
  DrawGlorb(creature, s * 0.5f, s * 0.52f, s * 0.27f, 0.4f, look, 4, 0.0f);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Rgba g = creature.At(x, y);
      float halo =
          0.5f * std::exp(-((x - s / 2) * (x - s / 2) + (y - s * 0.52f) * (y - s * 0.52f)) / (s * s * 0.06f));
      Rgba& p = img.At(x, y);
      float keep = p.a;
      p = p + Rgb(0.3f, 0.9f, 0.8f) * (halo * keep);
      if (g.a > 0) p = Mix(p, Rgba{g.r / g.a, g.g / g.a, g.b / g.a, 1}, g.a);
      p.a = keep;
    }
  return img;
}

// The icon at `size` pixels, painted at least 256 pixels large and averaged
// down by a whole factor.
Image MakeIcon(int size) {
  int factor = std::max(1, 256 / size);
  return factor == 1 ? PaintIcon(size) : PaintIcon(size * factor).Downsample(factor);
}

const int kDesktopSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};

}  // namespace

int main(int argc, char** argv) {
  return GeneratorMain(argc, argv, [](const std::string& dir) {
    bool ok = WriteBmp32(dir + "/icon.bmp", MakeIcon(64));
    for (int size : kDesktopSizes)
      ok = WritePng(dir + "/glorbs3d-" + std::to_string(size) + ".png", MakeIcon(size)) && ok;
    return ok;
  });
}
