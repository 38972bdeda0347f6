// SPDX-License-Identifier: MIT
// Float RGBA images for the asset generators, with the file writers the game
// and the desktop need (24-bit BMP, 32-bit BMP with alpha, PNG) and a BMP
// reader for tests and previews. Colours are display values in [0, 1].
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace gen {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};
inline Rgba operator+(Rgba p, Rgba q) {
  return {p.r + q.r, p.g + q.g, p.b + q.b, p.a + q.a};
}
inline Rgba operator*(Rgba p, float s) {
  return {p.r * s, p.g * s, p.b * s, p.a * s};
}
inline Rgba Mix(Rgba p, Rgba q, float t) {
  return p * (1.0f - t) + q * t;
}
inline Rgba Rgb(float r, float g, float b) {
  return {r, g, b, 1.0f};
}

float Clamp01(float v);
float SmoothStep(float e0, float e1, float x);

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgba fill = {});
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgba& At(int x, int y) { return px_[static_cast<size_t>(y) * width_ + x]; }
  const Rgba& At(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }
  // Bilinear sample with wrap-around, coordinates in pixels.
  Rgba SampleWrap(float x, float y) const;
  // Adds colour scaled by its own alpha (light) at one pixel, ignoring off-image.
  void AddLight(int x, int y, Rgba c);
  // Composites c over the pixel with coverage c.a.
  void BlendOver(int x, int y, Rgba c);
  // Copies `src` with its top-left corner at (x, y).
  void Paste(const Image& src, int x, int y);
  // Averages factor x factor blocks (supersampling resolve).
  Image Downsample(int factor) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Rgba> px_;
};

// Quantises to 8 bits per channel. With dither, a fixed ordered pattern hides
// banding in smooth gradients; without it, exact 0 stays 0 (keyed black).
std::vector<uint8_t> ToRgb8(const Image& img, bool dither);
std::vector<uint8_t> ToRgba8(const Image& img);

bool WriteBmp24(const std::string& path, const Image& img, bool dither);
// 32-bit BMP with a BITMAPV4HEADER, BI_BITFIELDS and an alpha mask 0xFF000000.
bool WriteBmp32(const std::string& path, const Image& img);
bool WritePng(const std::string& path, const Image& img);

// Reads an uncompressed 24- or 32-bit BMP (either row order). Returns false
// on anything else. Alpha is 1 for 24-bit files.
bool ReadBmp(const std::string& path, Image* out);
bool ReadPng(const std::string& path, Image* out);

}  // namespace gen
