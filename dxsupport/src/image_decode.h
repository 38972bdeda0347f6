// SPDX-License-Identifier: MIT
// Decoding image files into one plain picture: 32-bit ARGB texels, top row
// first. Decoders are written for hostile input: sizes are checked before
// any allocation or read, and a bad file gives false, never a crash.
#pragma once

#include <d3dx8tex.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dxsupport {

// The largest image accepted, in each direction and in texels.
constexpr uint32_t kMaxImageSide = 16384;
constexpr uint64_t kMaxImageTexels = 64ull * 1024 * 1024;

struct DecodedImage {
  // Set before decoding: the largest side taken from compressed data (RLE,
  // PNG, JPEG), whose size says little about the picture's. Raw texels are
  // bounded by the bytes the file holds instead.
  uint32_t maxPackedSide = kMaxImageSide;
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> argb;         // width * height, alpha 0xFF where the file has none
  D3DFORMAT format = D3DFMT_UNKNOWN;  // what the file holds (R8G8B8, A8R8G8B8, P8, ...)
  D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
  std::vector<PALETTEENTRY> palette;  // for palette images

  // Sizes the picture; `packed` applies maxPackedSide.
  bool Allocate(uint32_t w, uint32_t h, bool packed);
};

// Recognises the format by content (TGA, which has no signature, last).
bool DecodeImage(const uint8_t* data, size_t size, DecodedImage* out);

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodeTga(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodePpm(const uint8_t* data, size_t size, DecodedImage* out);

}  // namespace dxsupport
