// SPDX-License-Identifier: MIT
// Format table of the device and per-pixel conversion for copies between
// formats. Multi-byte pixels are little-endian words, as on Windows.
#include "formats.h"

#include <cstring>
#include <utility>

namespace d3d8 {

namespace {

const FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, 4, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, false, false},
    {D3DFMT_X8R8G8B8, 4, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true, false, false},
    {D3DFMT_R8G8B8, 3, GL_BGR, GL_UNSIGNED_BYTE, true, false, false},
    {D3DFMT_R5G6B5, 2, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, true, false, false},
    {D3DFMT_X1R5G5B5, 2, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true, false, false},
    {D3DFMT_A1R5G5B5, 2, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, false, false},
    {D3DFMT_A4R4G4B4, 2, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false, false, false},
    {D3DFMT_X4R4G4B4, 2, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, true, false, false},
    {D3DFMT_D16, 2, 0, 0, false, true, false},
    {D3DFMT_D24S8, 4, 0, 0, false, true, true},
};

// Widens an n-bit channel to 8 bits by repeating its high bits.
uint32_t Widen(uint32_t v, int bits) {
  if (bits >= 8) return v & 0xFF;
  uint32_t r = 0;
  int filled = 0;
  while (filled < 8) {
    r = (r << bits) | v;
    filled += bits;
  }
  return (r >> (filled - 8)) & 0xFF;
}

struct Layout {
  D3DFORMAT format;
  int aBits, rBits, gBits, bBits;  // channel widths, from the top bit down
};

const Layout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 8, 8, 8, 8}, {D3DFMT_X8R8G8B8, 8, 8, 8, 8}, {D3DFMT_R8G8B8, 0, 8, 8, 8},
    {D3DFMT_R5G6B5, 0, 5, 6, 5},   {D3DFMT_X1R5G5B5, 1, 5, 5, 5}, {D3DFMT_A1R5G5B5, 1, 5, 5, 5},
    {D3DFMT_A4R4G4B4, 4, 4, 4, 4}, {D3DFMT_X4R4G4B4, 4, 4, 4, 4},
};

const Layout* FindLayout(D3DFORMAT format) {
  for (const Layout& l : kLayouts)
    if (l.format == format) return &l;
  return nullptr;
}

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
  for (const FormatInfo& f : kFormats)
    if (f.format == format) return &f;
  return nullptr;
}

bool IsTextureFormat(D3DFORMAT format) {
  const FormatInfo* f = FindFormat(format);
  return f && !f->depth;
}

bool IsDepthFormat(D3DFORMAT format) {
  const FormatInfo* f = FindFormat(format);
  return f && f->depth;
}

uint32_t PixelToArgb(const FormatInfo& f, const BYTE* pixel) {
  const Layout* l = FindLayout(f.format);
  if (!l) return 0;
  uint32_t v = 0;
  std::memcpy(&v, pixel, f.bytesPerPixel);
  int shift = l->bBits;
  uint32_t b = Widen(v & ((1u << l->bBits) - 1), l->bBits);
  uint32_t g = Widen((v >> shift) & ((1u << l->gBits) - 1), l->gBits);
  shift += l->gBits;
  uint32_t r = Widen((v >> shift) & ((1u << l->rBits) - 1), l->rBits);
  shift += l->rBits;
  uint32_t a = 0xFF;
  if (l->aBits && !f.forceOpaque) a = Widen((v >> shift) & ((1u << l->aBits) - 1), l->aBits);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

void ArgbToPixel(const FormatInfo& f, uint32_t argb, BYTE* pixel) {
  const Layout* l = FindLayout(f.format);
  if (!l) return;
  uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  if (f.forceOpaque) a = 0xFF;
  uint32_t v = b >> (8 - l->bBits);
  int shift = l->bBits;
  v |= (g >> (8 - l->gBits)) << shift;
  shift += l->gBits;
  v |= (r >> (8 - l->rBits)) << shift;
  shift += l->rBits;
  if (l->aBits) v |= (a >> (8 - l->aBits)) << shift;
  std::memcpy(pixel, &v, f.bytesPerPixel);
}

bool ConvertToRgba(GLenum glFormat, GLenum glType, bool opaque, const void* pixels, int width, int height,
                   int rowLength, uint8_t* out) {
  const FormatInfo* f = nullptr;
  for (const FormatInfo& c : kFormats)
    if (!c.depth && c.glFormat == glFormat && c.glType == glType && (c.forceOpaque == opaque || !f)) f = &c;
  if (!f || !pixels || width < 0 || height < 0) return false;
  const size_t pitch = static_cast<size_t>(rowLength > 0 ? rowLength : width) * f->bytesPerPixel;
  const BYTE* rows = static_cast<const BYTE*>(pixels);
  for (int y = 0; y < height; ++y) {
    const BYTE* pixel = rows + y * pitch;
    for (int x = 0; x < width; ++x, pixel += f->bytesPerPixel, out += 4) {
      uint32_t argb = PixelToArgb(*f, pixel);
      if (opaque) argb |= 0xFF000000u;
      out[0] = static_cast<uint8_t>(argb >> 16);
      out[1] = static_cast<uint8_t>(argb >> 8);
      out[2] = static_cast<uint8_t>(argb);
      out[3] = static_cast<uint8_t>(argb >> 24);
    }
  }
  return true;
}

void SwapRedBlue(uint8_t* pixels, int width, int height, int rowLength) {
  const size_t pitch = static_cast<size_t>(rowLength > 0 ? rowLength : width) * 4;
  for (int y = 0; y < height; ++y) {
    uint8_t* p = pixels + y * pitch;
    for (int x = 0; x < width; ++x, p += 4) std::swap(p[0], p[2]);
  }
}

}  // namespace d3d8
