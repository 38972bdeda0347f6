// SPDX-License-Identifier: MIT
// Builds small .bmp images in memory for tests of bitmap loading.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

// A 24- or 32-bit bottom-up (or top-down) image; pixel(x, y) gives
// 0x00RRGGBB (32-bit: 0xAARRGGBB) for the top-down coordinates.
template <typename PixelFn>
std::vector<unsigned char> MakeBmp(int w, int h, int bits, bool withFileHeader, PixelFn pixel,
                                   bool topDown = false) {
  int stride = ((w * bits + 31) / 32) * 4;
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = w;
  info.biHeight = topDown ? -h : h;
  info.biPlanes = 1;
  info.biBitCount = static_cast<WORD>(bits);
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * h);
  std::vector<unsigned char> out;
  size_t headerBytes = (withFileHeader ? 14 : 0) + sizeof(info);
  out.resize(headerBytes + stride * h, 0);
  if (withFileHeader) {
    out[0] = 'B';
    out[1] = 'M';
    DWORD size = static_cast<DWORD>(out.size()), offset = static_cast<DWORD>(headerBytes);
    std::memcpy(&out[2], &size, 4);
    std::memcpy(&out[10], &offset, 4);
  }
  std::memcpy(&out[withFileHeader ? 14 : 0], &info, sizeof(info));
  for (int y = 0; y < h; ++y) {
    int row = topDown ? y : h - 1 - y;
    for (int x = 0; x < w; ++x) {
      unsigned int p = pixel(x, y);
      unsigned char* at = &out[headerBytes + row * stride + x * (bits / 8)];
      at[0] = p & 0xFF;
      at[1] = (p >> 8) & 0xFF;
      at[2] = (p >> 16) & 0xFF;
      if (bits == 32) at[3] = (p >> 24) & 0xFF;
    }
  }
  return out;
}
