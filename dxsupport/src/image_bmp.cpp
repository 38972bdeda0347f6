// SPDX-License-Identifier: MIT
// Windows bitmap files: core and info headers (v1 to v5), 1/4/8-bit
// palettes, 16/24/32-bit direct colour with or without bit masks, RLE8 and
// RLE4, bottom-up and top-down rows.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "image_decode.h"

namespace dxsupport {
namespace {

uint32_t U16(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t U32(const uint8_t* p) {
  return U16(p) | U16(p + 2) << 16;
}

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// Extracts a channel through its mask, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint32_t Get(uint32_t pixel, uint32_t missing) const {
    if (!mask) return missing;
    const uint32_t v = (pixel & mask) >> shift;
    const uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    return static_cast<uint32_t>((uint64_t(v) * 255 + max / 2) / max);
  }
};

struct BmpInfo {
  int32_t width = 0;
  int32_t height = 0;
  bool topDown = false;
  uint32_t bits = 0;
  uint32_t compression = kRgb;
  uint32_t paletteOffset = 0;
  uint32_t paletteCount = 0;
  uint32_t paletteEntryBytes = 4;
  uint32_t masks[4] = {0, 0, 0, 0};  // r, g, b, a
};

bool ReadHeader(const uint8_t* data, size_t size, BmpInfo* info) {
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t headerSize = U32(data + 14);
  if (headerSize == 12) {
    info->width = static_cast<int32_t>(U16(data + 18));
    info->height = static_cast<int32_t>(U16(data + 20));
    info->bits = U16(data + 24);
    info->paletteEntryBytes = 3;
  } else {
    if (headerSize < 40 || size < 14 + size_t(headerSize)) return false;
    info->width = static_cast<int32_t>(U32(data + 18));
    const int32_t h = static_cast<int32_t>(U32(data + 22));
    if (h == INT32_MIN) return false;
    info->topDown = h < 0;
    info->height = h < 0 ? -h : h;
    info->bits = U16(data + 28);
    info->compression = U32(data + 30);
    info->paletteCount = U32(data + 46);
    const bool hasMasks = info->compression == kBitFields || info->compression == kAlphaBitFields;
    const bool maskInHeader = headerSize >= 52;
    const int maskCount = info->compression == kAlphaBitFields || headerSize >= 56 ? 4 : 3;
    const size_t maskAt = maskInHeader ? 54 : 14 + size_t(headerSize);
    if (hasMasks) {
      if (size < maskAt + 4 * maskCount) return false;
      for (int i = 0; i < maskCount; ++i) info->masks[i] = U32(data + maskAt + 4 * i);
    }
    info->paletteOffset = 14 + headerSize + (hasMasks && !maskInHeader ? 4 * maskCount : 0);
  }
  if (headerSize == 12) info->paletteOffset = 26;
  if (info->width <= 0 || info->height <= 0) return false;
  if (info->bits <= 8) {
    const uint32_t full = 1u << info->bits;
    if (info->paletteCount == 0 || info->paletteCount > full) info->paletteCount = full;
  } else {
    info->paletteCount = 0;
  }
  return true;
}

bool ReadPalette(const uint8_t* data, size_t size, const BmpInfo& info, DecodedImage* out) {
  out->palette.assign(256, PALETTEENTRY{0, 0, 0, 0});
  for (uint32_t i = 0; i < info.paletteCount; ++i) {
    const size_t at = size_t(info.paletteOffset) + size_t(i) * info.paletteEntryBytes;
    if (at + 3 > size) return false;
    out->palette[i] = PALETTEENTRY{data[at + 2], data[at + 1], data[at], 0};
  }
  return true;
}

uint32_t FromPalette(const DecodedImage& img, uint32_t index) {
  const PALETTEENTRY& p = img.palette[index & 0xFF];
  return 0xFF000000u | uint32_t(p.peRed) << 16 | uint32_t(p.peGreen) << 8 | p.peBlue;
}

void SetIndex(DecodedImage* out, uint32_t x, uint32_t row, uint32_t index) {
  out->argb[size_t(row) * out->width + x] = FromPalette(*out, index);
}

uint64_t RowStride(const BmpInfo& info) {
  return ((uint64_t(info.width) * info.bits + 31) / 32) * 4;
}

// Rows in file order; `row` maps them to the picture's top-first order.
bool DecodeRows(const uint8_t* pixels, const BmpInfo& info, DecodedImage* out) {
  const uint64_t stride = RowStride(info);
  Channel r(info.masks[0]), g(info.masks[1]), b(info.masks[2]), a(info.masks[3]);
  if (!info.masks[0] && info.bits == 16) r = Channel(0x7C00), g = Channel(0x03E0), b = Channel(0x001F);
  for (uint32_t y = 0; y < out->height; ++y) {
    const uint8_t* src = pixels + stride * y;
    const uint32_t row = info.topDown ? y : out->height - 1 - y;
    uint32_t* dst = &out->argb[size_t(row) * out->width];
    for (uint32_t x = 0; x < out->width; ++x) {
      if (info.bits <= 8) {
        const uint32_t bitAt = x * info.bits;
        const uint32_t byte = src[bitAt / 8];
        const uint32_t index = (byte >> (8 - info.bits - bitAt % 8)) & ((1u << info.bits) - 1);
        dst[x] = FromPalette(*out, index);
      } else if (info.bits == 24) {
        dst[x] = 0xFF000000u | uint32_t(src[3 * x + 2]) << 16 | uint32_t(src[3 * x + 1]) << 8 | src[3 * x];
      } else {
        const uint32_t pixel = info.bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
        if (info.bits == 32 && !info.masks[0]) {
          dst[x] = 0xFF000000u | (pixel & 0xFFFFFF);  // BI_RGB: the fourth byte is unused
          continue;
        }
        dst[x] = a.Get(pixel, 0xFF) << 24 | r.Get(pixel, 0) << 16 | g.Get(pixel, 0) << 8 | b.Get(pixel, 0);
      }
    }
  }
  return true;
}

// RLE8 / RLE4: bottom-up only; pixels not written stay index 0.
bool DecodeRle(const uint8_t* p, size_t n, const BmpInfo& info, DecodedImage* out) {
  const bool four = info.compression == kRle4;
  for (uint32_t y = 0; y < out->height; ++y)
    for (uint32_t x = 0; x < out->width; ++x) SetIndex(out, x, y, 0);
  uint32_t x = 0, y = 0;  // y counts rows from the bottom
  size_t i = 0;
  auto put = [&](uint32_t index) {
    if (x < out->width && y < out->height) SetIndex(out, x, out->height - 1 - y, index);
    ++x;
  };
  while (i + 1 < n) {
    const uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (uint32_t k = 0; k < count; ++k) put(four ? (k % 2 ? value & 0xF : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (i + 2 > n) return false;
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (i + bytes > n) return false;
      for (uint32_t k = 0; k < value; ++k)
        put(four ? (k % 2 ? p[i + k / 2] & 0xF : p[i + k / 2] >> 4) : p[i + k]);
      i += (bytes + 1) & ~size_t(1);  // runs are padded to a 16-bit boundary
    }
    if (y > out->height) return true;
  }
  return true;  // a file may end without the end-of-bitmap code
}

// Direct colour formats by their channel masks (alpha, red, green, blue).
struct MaskedFormat {
  D3DFORMAT format;
  uint32_t bits;
  uint32_t masks[4];
};
constexpr MaskedFormat kMaskedFormats[] = {
    {D3DFMT_R5G6B5, 16, {0, 0xF800, 0x07E0, 0x001F}},
    {D3DFMT_X1R5G5B5, 16, {0, 0x7C00, 0x03E0, 0x001F}},
    {D3DFMT_A1R5G5B5, 16, {0x8000, 0x7C00, 0x03E0, 0x001F}},
    {D3DFMT_X4R4G4B4, 16, {0, 0x0F00, 0x00F0, 0x000F}},
    {D3DFMT_A4R4G4B4, 16, {0xF000, 0x0F00, 0x00F0, 0x000F}},
    {D3DFMT_X8R8G8B8, 32, {0, 0xFF0000, 0xFF00, 0xFF}},
    {D3DFMT_A8R8G8B8, 32, {0xFF000000u, 0xFF0000, 0xFF00, 0xFF}},
};

// The file's own format, so that an alpha mask survives into the texture.
// Masks no Direct3D format has are read into 8-bit channels.
D3DFORMAT FormatOf(const BmpInfo& info) {
  if (info.bits <= 8) return D3DFMT_P8;
  if (info.bits == 24) return D3DFMT_R8G8B8;
  if (!info.masks[0] && !info.masks[1] && !info.masks[2])
    return info.bits == 16 ? D3DFMT_X1R5G5B5 : D3DFMT_X8R8G8B8;
  const uint32_t argb[4] = {info.masks[3], info.masks[0], info.masks[1], info.masks[2]};
  for (const MaskedFormat& f : kMaskedFormats)
    if (f.bits == info.bits && std::equal(std::begin(argb), std::end(argb), f.masks)) return f.format;
  return info.masks[3] ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out) {
  BmpInfo info;
  if (!ReadHeader(data, size, &info)) return false;
  static const uint32_t kBits[] = {1, 4, 8, 16, 24, 32};
  if (std::find(std::begin(kBits), std::end(kBits), info.bits) == std::end(kBits)) return false;
  const bool rle = info.compression == kRle8 || info.compression == kRle4;
  if (rle && (info.topDown || info.bits != (info.compression == kRle8 ? 8u : 4u))) return false;
  if (!rle && info.compression != kRgb && info.compression != kBitFields &&
      info.compression != kAlphaBitFields)
    return false;
  const uint32_t offset = U32(data + 10);
  if (offset >= size) return false;
  // Uncompressed rows must all be in the file before anything is allocated.
  if (!rle && RowStride(info) * uint64_t(info.height) > size - offset) return false;
  if (!out->Allocate(static_cast<uint32_t>(info.width), static_cast<uint32_t>(info.height), rle))
    return false;
  if (info.bits <= 8 && !ReadPalette(data, size, info, out)) return false;
  out->fileFormat = D3DXIFF_BMP;
  out->format = FormatOf(info);
  if (rle) return DecodeRle(data + offset, size - offset, info, out);
  return DecodeRows(data + offset, info, out);
}

}  // namespace dxsupport
