// SPDX-License-Identifier: MIT
// The resources embedded in the program: the splash picture, the window and
// desktop icons and the twelve recordings, checked for the formats the game
// loads and for content fitting their use.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lib/image.h"
#include "lib/wav.h"
#include "tools/asset_paths.h"

namespace {

std::vector<unsigned char> Header(const std::string& path, size_t n) {
  std::vector<unsigned char> h(n, 0);
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) {
    h.resize(std::fread(h.data(), 1, n, f));
    std::fclose(f);
  }
  return h;
}

uint32_t Le32(const std::vector<unsigned char>& h, size_t at) {
  return h[at] | (h[at + 1] << 8) | (h[at + 2] << 16) | (static_cast<uint32_t>(h[at + 3]) << 24);
}

TEST(Splash, IsA640By400TwentyFourBitBitmapWithVariedContent) {
  std::vector<unsigned char> h = Header(assets::Resource("splash.bmp"), 54);
  ASSERT_EQ(h.size(), 54u);
  EXPECT_EQ(Le32(h, 18), 640u);
  EXPECT_EQ(Le32(h, 22), 400u);
  EXPECT_EQ(h[28], 24);
  EXPECT_EQ(Le32(h, 30), 0u);  // BI_RGB
  gen::Image img;
  ASSERT_TRUE(gen::ReadBmp(assets::Resource("splash.bmp"), &img));
  float lo = 1, hi = 0;
  for (int y = 0; y < img.Height(); y += 4)
    for (int x = 0; x < img.Width(); x += 4) {
      float l = img.At(x, y).r + img.At(x, y).g + img.At(x, y).b;
      lo = std::min(lo, l);
      hi = std::max(hi, l);
    }
  EXPECT_GT(hi - lo, 1.5f) << "a picture, not a flat fill";
}

TEST(Icons, WindowIconHasAnAlphaChannelAndDesktopIconsComeInEveryThemeSize) {
  std::vector<unsigned char> h = Header(assets::Resource("icon.bmp"), 122);
  ASSERT_EQ(h.size(), 122u);
  EXPECT_EQ(Le32(h, 14), 108u);  // BITMAPV4HEADER
  EXPECT_EQ(Le32(h, 18), 64u);
  EXPECT_EQ(Le32(h, 22), 64u);
  EXPECT_EQ(h[28], 32);
  EXPECT_EQ(Le32(h, 30), 3u);  // BI_BITFIELDS
  EXPECT_EQ(Le32(h, 54), 0x00FF0000u);
  EXPECT_EQ(Le32(h, 66), 0xFF000000u);  // alpha mask
  gen::Image icon;
  ASSERT_TRUE(gen::ReadBmp(assets::Resource("icon.bmp"), &icon));
  EXPECT_EQ(icon.At(0, 0).a, 0.0f) << "corners are transparent";
  EXPECT_EQ(icon.At(32, 32).a, 1.0f) << "the middle is opaque";
  // Every hicolor size is the same picture: a transparent corner, an opaque
  // middle, and the tile's colours on the way down to it (small sizes are
  // averaged from large ones, not a different or an empty drawing).
  for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
    SCOPED_TRACE(size);
    gen::Image png;
    ASSERT_TRUE(gen::ReadPng(assets::Resource("glorbs3d-" + std::to_string(size) + ".png"), &png));
    EXPECT_EQ(png.Width(), size);
    EXPECT_EQ(png.Height(), size);
    EXPECT_EQ(png.At(0, 0).a, 0.0f);
    EXPECT_EQ(png.At(size / 2, size / 2).a, 1.0f);
    const gen::Rgba& edge = png.At(size / 2, size / 6);  // ocean above the Glorb: blue over red
    EXPECT_GT(edge.b, edge.r);
  }
}

struct Expectation {
  const char* name;
  float minSeconds, maxSeconds;
};

// How long each recording may last for its event: the gun and the menu click
// repeat quickly, explosions may ring out, the level fanfare is longest.
const Expectation kRecordings[] = {
    {"BEGINLEVEL", 0.8f, 2.0f},  {"ENGINEIDLE", 0.5f, 2.0f},      {"ENGINEREV", 0.6f, 2.0f},
    {"SHIELDBUZZ", 0.3f, 1.5f},  {"SHIPEXPLODE", 1.0f, 2.5f},     {"GUNFIRE", 0.05f, 0.3f},
    {"SHIPBOUNCE", 0.15f, 0.6f}, {"GLORBEXPLODE", 0.3f, 1.0f},    {"PYRAMIDEXPLODE", 0.3f, 1.0f},
    {"CUBEEXPLODE", 0.3f, 1.0f}, {"SPHEREEXPLODE", 0.05f, 0.25f}, {"SKIDTOSTOP", 0.3f, 1.2f},
};

TEST(Recordings, AreElevenKiloHertzSixteenBitMonoPcm) {
  for (const Expectation& e : kRecordings) {
    gen::WavInfo w;
    ASSERT_TRUE(gen::ReadWav(assets::Resource(std::string(e.name) + ".wav"), &w)) << e.name;
    EXPECT_EQ(w.format, 1) << e.name;
    EXPECT_EQ(w.channels, 1) << e.name;
    EXPECT_EQ(w.sampleRate, 11025u) << e.name;
    EXPECT_EQ(w.bitsPerSample, 16) << e.name;
    EXPECT_EQ(w.blockAlign, 2) << e.name;
    EXPECT_EQ(w.byteRate, 22050u) << e.name;
    float seconds = static_cast<float>(w.samples.size()) / 11025.0f;
    EXPECT_GE(seconds, e.minSeconds) << e.name;
    EXPECT_LE(seconds, e.maxSeconds) << e.name;
  }
}

TEST(Recordings, AreAudibleLeaveHeadroomAndStartAndEndQuietly) {
  for (const Expectation& e : kRecordings) {
    gen::WavInfo w;
    ASSERT_TRUE(gen::ReadWav(assets::Resource(std::string(e.name) + ".wav"), &w)) << e.name;
    ASSERT_FALSE(w.samples.empty());
    double sum = 0;
    int peak = 0;
    for (int16_t s : w.samples) {
      sum += static_cast<double>(s) * s;
      peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    double rms = std::sqrt(sum / w.samples.size()) / 32768.0;
    EXPECT_GT(rms, 0.02) << e.name << " is nearly silent";
    // Three effects at their peaks together must still fit full scale.
    EXPECT_LE(peak, 32767 * 0.62) << e.name;
    EXPECT_GT(peak, 32767 * 0.25) << e.name;
    EXPECT_LT(std::abs(static_cast<int>(w.samples.front())), 330) << e.name << " clicks at its start";
    EXPECT_LT(std::abs(static_cast<int>(w.samples.back())), 330) << e.name << " clicks at its end";
  }
}

TEST(Recordings, ReaderRefusesTruncatedAndForeignFiles) {
  std::string path = ::testing::TempDir() + "/broken.wav";
  gen::WavInfo w;
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("RIFF\x10\0\0\0WAVEdata\xff\xff\xff\x7f", f);
  std::fclose(f);
  EXPECT_FALSE(gen::ReadWav(path, &w));
  EXPECT_FALSE(gen::ReadWav(assets::Resource("splash.bmp"), &w));
  EXPECT_FALSE(gen::ReadWav(path + ".missing", &w));
}

}  // namespace
