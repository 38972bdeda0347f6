// SPDX-License-Identifier: MIT
// Truevision TGA (true colour, grey and colour-mapped, raw or RLE, either
// row order) and the Netpbm PPM/PGM family (P6, P5, P3, P2).
#include <algorithm>
#include <cctype>
#include <cstring>

#include "image_decode.h"

namespace dxsupport {
namespace {

uint32_t U16(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

// One TGA pixel of `bytes` bytes (2, 3 or 4; 1 is grey) as ARGB.
uint32_t TgaPixel(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1:
      return 0xFF000000u | p[0] * 0x010101u;
    case 2: {
      const uint32_t v = U16(p);
      auto five = [](uint32_t c) { return (c << 3) | (c >> 2); };
      return ((v & 0x8000) ? 0xFF000000u : 0) | five((v >> 10) & 31) << 16 | five((v >> 5) & 31) << 8 |
             five(v & 31);
    }
    case 3:
      return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    default:
      return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  }
}

}  // namespace

bool DecodeTga(const uint8_t* data, size_t size, DecodedImage* out) {
  if (size < 18) return false;
  const uint8_t idLength = data[0], mapType = data[1], type = data[2];
  const uint32_t mapFirst = U16(data + 3), mapLength = U16(data + 5), mapBits = data[7];
  const uint32_t width = U16(data + 12), height = U16(data + 14), bits = data[16], descriptor = data[17];
  const uint32_t base = type & ~8u;
  const bool rle = type & 8;
  if (type != base + (rle ? 8 : 0) || base < 1 || base > 3 || mapType > 1) return false;
  const bool mapped = base == 1;
  if (mapped ? (mapType != 1 || bits != 8)
             : (base == 3 ? bits != 8 : (bits != 16 && bits != 24 && bits != 32)))
    return false;
  // A colour map may come with any image type; its entries must be a size we read.
  if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
  size_t at = 18 + size_t(idLength);
  std::vector<uint32_t> map;
  if (mapType == 1) {
    const size_t entry = (mapBits + 7) / 8;
    if (at + entry * mapLength > size) return false;
    for (uint32_t i = 0; i < mapLength; ++i) map.push_back(TgaPixel(data + at + entry * i, int(entry)));
    at += entry * mapLength;
  }
  const int bytes = static_cast<int>(bits / 8);
  // Raw texels must all be there; an RLE packet holds at most 128 of them.
  const uint64_t texels = uint64_t(width) * height;
  const uint64_t least = rle ? (texels + 127) / 128 * (1 + bytes) : texels * bytes;
  if (at > size || least > size - at) return false;
  if (!out->Allocate(width, height, rle)) return false;
  const bool topDown = descriptor & 0x20;
  const bool alpha = bits == 32 || (bits == 16 && (descriptor & 0xF));
  auto texel = [&](const uint8_t* p) -> uint32_t {
    if (!mapped) return TgaPixel(p, bytes) | ((bits == 16 && !alpha) ? 0xFF000000u : 0u);
    const uint32_t i = p[0] >= mapFirst ? p[0] - mapFirst : mapLength;
    return i < map.size() ? map[i] | (mapBits == 32 ? 0u : 0xFF000000u) : 0xFF000000u;
  };
  const size_t total = size_t(width) * height;
  size_t done = 0;
  auto put = [&](uint32_t v) {
    const size_t y = done / width, x = done % width;
    out->argb[(topDown ? y : height - 1 - y) * width + x] = v;
    ++done;
  };
  while (done < total) {
    size_t run = 1;
    bool repeat = false;
    if (rle) {
      if (at >= size) return false;
      repeat = data[at] & 0x80;
      run = (data[at] & 0x7F) + 1u;
      ++at;
    }
    run = std::min(run, total - done);
    const size_t need = repeat ? size_t(bytes) : run * bytes;
    if (at + need > size) return false;
    for (size_t k = 0; k < run; ++k) put(texel(data + at + (repeat ? 0 : k * bytes)));
    at += need;
  }
  out->format = mapped       ? D3DFMT_P8
                : bits == 32 ? D3DFMT_A8R8G8B8
                : bits == 24 ? D3DFMT_R8G8B8
                : bits == 16 ? (alpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5)
                             : D3DFMT_L8;
  out->fileFormat = D3DXIFF_TGA;
  return true;
}

namespace {

// Reads one unsigned decimal of a Netpbm header or ASCII body.
bool PpmNumber(const uint8_t* data, size_t size, size_t* at, uint32_t* value) {
  for (;;) {
    while (*at < size && std::isspace(data[*at])) ++*at;
    if (*at < size && data[*at] == '#') {
      while (*at < size && data[*at] != '\n') ++*at;
      continue;
    }
    break;
  }
  if (*at >= size || !std::isdigit(data[*at])) return false;
  uint64_t v = 0;
  while (*at < size && std::isdigit(data[*at]) && v <= 0xFFFFFFFF) v = v * 10 + (data[(*at)++] - '0');
  if (v > 0xFFFFFFFF) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

bool DecodePpm(const uint8_t* data, size_t size, DecodedImage* out) {
  if (size < 3 || data[0] != 'P' || !std::strchr("2356", data[1])) return false;
  const bool ascii = data[1] == '2' || data[1] == '3';
  const uint32_t channels = (data[1] == '3' || data[1] == '6') ? 3 : 1;
  size_t at = 2;
  uint32_t width = 0, height = 0, maxValue = 0;
  if (!PpmNumber(data, size, &at, &width) || !PpmNumber(data, size, &at, &height) ||
      !PpmNumber(data, size, &at, &maxValue) || maxValue == 0 || maxValue > 65535)
    return false;
  ++at;  // the single whitespace after the header
  // Every sample takes at least one byte in either form.
  const uint32_t sampleBytes = maxValue > 255 && !ascii ? 2 : 1;
  if (at > size || (size - at) / (uint64_t(channels) * sampleBytes) < uint64_t(width) * height) return false;
  if (!out->Allocate(width, height, false)) return false;
  for (size_t i = 0; i < size_t(width) * height; ++i) {
    uint32_t c[3] = {0, 0, 0};
    for (uint32_t k = 0; k < channels; ++k) {
      if (ascii) {
        if (!PpmNumber(data, size, &at, &c[k]) || c[k] > maxValue) return false;
      } else {
        c[k] = sampleBytes == 2 ? uint32_t(data[at]) << 8 | data[at + 1] : data[at];
        at += sampleBytes;
        c[k] = std::min(c[k], maxValue);
      }
      c[k] = (c[k] * 255 + maxValue / 2) / maxValue;
    }
    if (channels == 1) c[1] = c[2] = c[0];
    out->argb[i] = 0xFF000000u | c[0] << 16 | c[1] << 8 | c[2];
  }
  out->format = channels == 1 ? D3DFMT_L8 : D3DFMT_X8R8G8B8;
  out->fileFormat = D3DXIFF_PPM;
  return true;
}

bool DecodedImage::Allocate(uint32_t w, uint32_t h, bool packed) {
  const uint32_t side = packed ? std::min(maxPackedSide, kMaxImageSide) : kMaxImageSide;
  if (w == 0 || h == 0 || w > side || h > side || uint64_t(w) * h > kMaxImageTexels) return false;
  width = w;
  height = h;
  argb.assign(size_t(w) * h, 0xFF000000u);
  return true;
}

bool DecodeImage(const uint8_t* data, size_t size, DecodedImage* out) {
  if (!data || size < 4) return false;
  static const uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
  if (std::memcmp(data, kPng, 4) == 0) return DecodePng(data, size, out);
  if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return DecodeJpeg(data, size, out);
  if (data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out);
  if (data[0] == 'P' && data[1] >= '2' && data[1] <= '6') return DecodePpm(data, size, out);
  return DecodeTga(data, size, out);
}

}  // namespace dxsupport
