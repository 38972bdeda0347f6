// SPDX-License-Identifier: MIT
// Float image helpers and the BMP / PNG file formats of the generated assets.
// Relies on libpng for PNG; BMP is written and read by hand (little-endian).
#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bytes.h"
#include "rng.h"

namespace gen {

float Clamp01(float v) {
  return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float SmoothStep(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3.0f - 2.0f * t);
}

float ValueNoise(float x, float y, int period, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3.0f - 2.0f * tx);
  ty = ty * ty * (3.0f - 2.0f * ty);
  auto lattice = [&](int a, int b) {
    int p = period > 0 ? period : 1 << 30;
    return HashUnit(((a % p) + p) % p, ((b % p) + p) % p, seed);
  };
  float v00 = lattice(ix, iy), v10 = lattice(ix + 1, iy);
  float v01 = lattice(ix, iy + 1), v11 = lattice(ix + 1, iy + 1);
  return (v00 * (1 - tx) + v10 * tx) * (1 - ty) + (v01 * (1 - tx) + v11 * tx) * ty;
}

float FractalNoise(float x, float y, int period, int octaves, uint32_t seed) {
  float sum = 0.0f, amp = 0.5f, norm = 0.0f;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * ValueNoise(x, y, period, seed + static_cast<uint32_t>(o) * 101u);
    norm += amp;
    x *= 2.0f;
    y *= 2.0f;
    period *= 2;
    amp *= 0.5f;
  }
  return sum / norm;
}

Image::Image(int width, int height, Rgba fill)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height, fill) {}

Rgba Image::SampleWrap(float x, float y) const {
  float fx = std::floor(x - 0.5f), fy = std::floor(y - 0.5f);
  float tx = x - 0.5f - fx, ty = y - 0.5f - fy;
  auto at = [&](int a, int b) {
    a = ((a % width_) + width_) % width_;
    b = ((b % height_) + height_) % height_;
    return At(a, b);
  };
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  return Mix(Mix(at(ix, iy), at(ix + 1, iy), tx), Mix(at(ix, iy + 1), at(ix + 1, iy + 1), tx), ty);
}

void Image::AddLight(int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgba& p = At(x, y);
  p.r += c.r * c.a;
  p.g += c.g * c.a;
  p.b += c.b * c.a;
}

void Image::BlendOver(int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgba& p = At(x, y);
  float a = Clamp01(c.a);
  p.r = p.r * (1 - a) + c.r * a;
  p.g = p.g * (1 - a) + c.g * a;
  p.b = p.b * (1 - a) + c.b * a;
  p.a = p.a * (1 - a) + a;
}

void Image::Paste(const Image& src, int x, int y) {
  for (int j = 0; j < src.Height(); ++j)
    for (int i = 0; i < src.Width(); ++i)
      if (x + i >= 0 && y + j >= 0 && x + i < width_ && y + j < height_) At(x + i, y + j) = src.At(i, j);
}

Image Image::Downsample(int factor) const {
  Image out(width_ / factor, height_ / factor);
  float inv = 1.0f / static_cast<float>(factor * factor);
  for (int y = 0; y < out.height_; ++y)
    for (int x = 0; x < out.width_; ++x) {
      Rgba sum;
      for (int j = 0; j < factor; ++j)
        for (int i = 0; i < factor; ++i) sum = sum + At(x * factor + i, y * factor + j);
      out.At(x, y) = sum * inv;
    }
  return out;
}

namespace {

const float kBayer4[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

uint8_t Quantise(float v, float bias) {
  float q = std::floor(Clamp01(v) * 255.0f + bias);
  return static_cast<uint8_t>(std::min(255.0f, std::max(0.0f, q)));
}

// File header, then an info header of `infoSize` bytes whose first 40 bytes
// are the classic BITMAPINFOHEADER; the caller appends any extra fields.
std::vector<uint8_t> BmpHeaders(int w, int h, int bpp, uint32_t compression, uint32_t infoSize,
                                uint32_t imageSize) {
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, 14 + infoSize + imageSize);
  Put32(b, 0);
  Put32(b, 14 + infoSize);
  Put32(b, infoSize);
  Put32(b, static_cast<uint32_t>(w));
  Put32(b, static_cast<uint32_t>(h));  // positive: bottom-up rows
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(bpp));
  Put32(b, compression);
  Put32(b, imageSize);
  Put32(b, 2835);
  Put32(b, 2835);  // 72 dpi
  Put32(b, 0);
  Put32(b, 0);
  return b;
}

}  // namespace

std::vector<uint8_t> ToRgb8(const Image& img, bool dither) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(img.Width()) * img.Height() * 3);
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      float bias = dither ? (kBayer4[(y & 3) * 4 + (x & 3)] + 0.5f) / 16.0f : 0.5f;
      const Rgba& p = img.At(x, y);
      out.push_back(Quantise(p.r, bias));
      out.push_back(Quantise(p.g, bias));
      out.push_back(Quantise(p.b, bias));
    }
  return out;
}

std::vector<uint8_t> ToRgba8(const Image& img) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(img.Width()) * img.Height() * 4);
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const Rgba& p = img.At(x, y);
      out.push_back(Quantise(p.r, 0.5f));
      out.push_back(Quantise(p.g, 0.5f));
      out.push_back(Quantise(p.b, 0.5f));
      out.push_back(Quantise(p.a, 0.5f));
    }
  return out;
}

bool WriteBmp24(const std::string& path, const Image& img, bool dither) {
  int w = img.Width(), h = img.Height();
  uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
  std::vector<uint8_t> b = BmpHeaders(w, h, 24, 0, 40, stride * h);
  std::vector<uint8_t> rgb = ToRgb8(img, dither);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      b.push_back(p[2]);
      b.push_back(p[1]);
      b.push_back(p[0]);
    }
    for (uint32_t pad = static_cast<uint32_t>(w) * 3; pad < stride; ++pad) b.push_back(0);
  }
  return WriteFile(path, b);
}

bool WriteBmp32(const std::string& path, const Image& img) {
  int w = img.Width(), h = img.Height();
  const uint32_t kV4Size = 108, kBiBitfields = 3;
  std::vector<uint8_t> b = BmpHeaders(w, h, 32, kBiBitfields, kV4Size, static_cast<uint32_t>(w) * h * 4);
  Put32(b, 0x00FF0000);
  Put32(b, 0x0000FF00);
  Put32(b, 0x000000FF);
  Put32(b, 0xFF000000);
  Put32(b, 0x73524742);  // 'sRGB' colour space; endpoints and gamma unused
  for (int i = 0; i < 12; ++i) Put32(b, 0);
  std::vector<uint8_t> rgba = ToRgba8(img);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      b.push_back(p[2]);
      b.push_back(p[1]);
      b.push_back(p[0]);
      b.push_back(p[3]);
    }
  return WriteFile(path, b);
}

bool WritePng(const std::string& path, const Image& img) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(img.Width()), static_cast<png_uint_32>(img.Height()), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> rgba = ToRgba8(img);
  for (int y = 0; y < img.Height(); ++y) png_write_row(png, &rgba[static_cast<size_t>(y) * img.Width() * 4]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool ReadBmp(const std::string& path, Image* out) {
  std::vector<uint8_t> b;
  if (!ReadFile(path, &b) || b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  uint32_t offset = Get32(&b[10]), infoSize = Get32(&b[14]);
  int32_t w = static_cast<int32_t>(Get32(&b[18])), h = static_cast<int32_t>(Get32(&b[22]));
  uint32_t bpp = Get16(&b[28]), compression = Get32(&b[30]);
  if (infoSize < 40 || w <= 0 || h == 0 || w > 16384 || h > 16384 || h < -16384) return false;
  if (!(bpp == 24 && compression == 0) && !(bpp == 32 && (compression == 0 || compression == 3)))
    return false;
  bool bottomUp = h > 0;
  int rows = bottomUp ? h : -h;
  uint32_t stride = (static_cast<uint32_t>(w) * (bpp / 8) + 3) & ~3u;
  if (offset > b.size() || b.size() - offset < static_cast<size_t>(stride) * rows) return false;
  *out = Image(w, rows);
  for (int r = 0; r < rows; ++r) {
    const uint8_t* row = &b[offset + static_cast<size_t>(r) * stride];
    int y = bottomUp ? rows - 1 - r : r;
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + x * (bpp / 8);
      float a = bpp == 32 ? p[3] / 255.0f : 1.0f;
      out->At(x, y) = {p[2] / 255.0f, p[1] / 255.0f, p[0] / 255.0f, a};
    }
  }
  return true;
}

bool ReadPng(const std::string& path, Image* out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> buf(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buf.data(), 0, nullptr)) return false;
  *out = Image(static_cast<int>(image.width), static_cast<int>(image.height));
  for (int y = 0; y < out->Height(); ++y)
    for (int x = 0; x < out->Width(); ++x) {
      const uint8_t* p = &buf[(static_cast<size_t>(y) * out->Width() + x) * 4];
      out->At(x, y) = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
    }
  return true;
}

}  // namespace gen
