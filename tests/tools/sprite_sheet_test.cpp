// SPDX-License-Identifier: MIT
// The sprite sheets as the game cuts them: every cell inside its 256 x 256
// sheet, drawn, free of keyed (pure black) holes inside its silhouette,
// framed by a keyed border so filtering never pulls in a neighbour, and
// animated (frames differ).
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "lib/image.h"
#include "lib/sprite_layout.h"
#include "tools/asset_paths.h"

namespace {

using gen::CellStrip;
using gen::Image;

bool IsKey(const gen::Rgba& c) {
  return c.r == 0 && c.g == 0 && c.b == 0;
}

Image LoadSheet(const char* name) {
  Image img;
  EXPECT_TRUE(gen::ReadBmp(assets::Media(name), &img)) << name;
  return img;
}

// Keyed texels of the cell that cannot reach the cell's edge through keyed
// texels: holes the colour key would punch into the sprite.
int CountHoles(const Image& sheet, int x0, int y0, int w, int h) {
  std::vector<char> reached(static_cast<size_t>(w) * h, 0);
  std::vector<int> stack;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((x == 0 || y == 0 || x == w - 1 || y == h - 1) && IsKey(sheet.At(x0 + x, y0 + y))) {
        reached[y * w + x] = 1;
        stack.push_back(y * w + x);
      }
  while (!stack.empty()) {
    int p = stack.back();
    stack.pop_back();
    int x = p % w, y = p / w;
    const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
    for (int k = 0; k < 4; ++k) {
      int nx = x + dx[k], ny = y + dy[k];
      if (nx < 0 || ny < 0 || nx >= w || ny >= h || reached[ny * w + nx]) continue;
      if (!IsKey(sheet.At(x0 + nx, y0 + ny))) continue;
      reached[ny * w + nx] = 1;
      stack.push_back(ny * w + nx);
    }
  }
  int holes = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) holes += IsKey(sheet.At(x0 + x, y0 + y)) && !reached[y * w + x];
  return holes;
}

TEST(SpriteSheets, AreTwoHundredFiftySixSquareTwentyFourBitBitmaps) {
  for (const char* name : {"Glorbs1.bmp", "Glorbs2.bmp"}) {
    FILE* f = std::fopen(assets::Media(name).c_str(), "rb");
    ASSERT_NE(f, nullptr) << name;
    unsigned char h[54] = {};
    ASSERT_EQ(std::fread(h, 1, sizeof h, f), sizeof h);
    std::fclose(f);
    EXPECT_EQ(h[0], 'B');
    EXPECT_EQ(h[28], 24) << name << " bits per pixel";
    Image img = LoadSheet(name);
    EXPECT_EQ(img.Width(), 256);
    EXPECT_EQ(img.Height(), 256);
  }
}

TEST(SpriteSheets, EveryCellIsInsideItsSheetDrawnAndWithoutHoles) {
  for (const CellStrip& strip : gen::kAllCells) {
    Image sheet = LoadSheet(strip.sheet);
    ASSERT_EQ(sheet.Width(), 256);
    for (int f = 0; f < strip.frames; ++f) {
      int x = strip.CellX(f), y = strip.CellY(f);
      ASSERT_LE(x + strip.width, 256) << strip.sheet << " frame " << f;
      ASSERT_LE(y + strip.height, 256) << strip.sheet << " frame " << f;
      int drawn = 0, rim = 0;
      for (int j = 0; j < strip.height; ++j)
        for (int i = 0; i < strip.width; ++i) {
          bool key = IsKey(sheet.At(x + i, y + j));
          drawn += !key;
          rim += !key && (i == 0 || j == 0 || i == strip.width - 1 || j == strip.height - 1);
        }
      EXPECT_GT(drawn, strip.width * strip.height / 8) << strip.sheet << " frame " << f << " is nearly empty";
      EXPECT_EQ(rim, 0) << strip.sheet << " frame " << f << " touches its cell edge";
      EXPECT_EQ(CountHoles(sheet, x, y, strip.width, strip.height), 0) << strip.sheet << " frame " << f;
    }
  }
}

TEST(SpriteSheets, AnimationFramesDifferFromTheirNeighbours) {
  for (const CellStrip& strip : gen::kAllCells) {
    if (strip.frames < 2) continue;
    Image sheet = LoadSheet(strip.sheet);
    for (int f = 0; f < strip.frames; ++f) {
      int g = (f + 1) % strip.frames, changed = 0;
      for (int j = 0; j < strip.height; ++j)
        for (int i = 0; i < strip.width; ++i) {
          const gen::Rgba& a = sheet.At(strip.CellX(f) + i, strip.CellY(f) + j);
          const gen::Rgba& b = sheet.At(strip.CellX(g) + i, strip.CellY(g) + j);
          changed += a.r != b.r || a.g != b.g || a.b != b.b;
        }
      EXPECT_GT(changed, 0) << strip.sheet << " frames " << f << " and " << g << " are identical";
    }
  }
}

TEST(SpriteSheets, SparkIsAWhiteGlowBrightestInTheMiddle) {
  Image sheet = LoadSheet(gen::kSparkCell.sheet);
  int x = gen::kSparkCell.x, y = gen::kSparkCell.y;
  const gen::Rgba& centre = sheet.At(x + 16, y + 16);
  EXPECT_GT(centre.r, 0.95f);
  EXPECT_GT(centre.b, 0.9f);  // near white, so a tint decides its colour
  float prev = 2.0f;
  for (int r = 0; r < 15; ++r) {  // falls off along a radius
    float v = sheet.At(x + 16 + r, y + 16).r;
    EXPECT_LE(v, prev + 1e-6f) << "radius " << r;
    prev = v;
  }
}

}  // namespace
