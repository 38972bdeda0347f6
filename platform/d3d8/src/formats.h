// SPDX-License-Identifier: MIT
// The surface formats the device accepts: their sizes, and how their bytes
// reach OpenGL unchanged (locks expose exactly the Direct3D byte layout).
#pragma once

#include <d3d8types.h>

#include "gl.h"

namespace d3d8 {

struct FormatInfo {
  D3DFORMAT format;
  UINT bytesPerPixel;
  GLenum glFormat;  // upload format for colour formats; 0 for depth formats
  GLenum glType;
  bool forceOpaque;  // no alpha bits: sampled alpha is 1
  bool depth;
  bool stencil;
};

// Null for formats this device does not know.
const FormatInfo* FindFormat(D3DFORMAT format);
bool IsTextureFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);

// Bytes of one row of `width` pixels: rows are packed with no padding, so a
// lock's Pitch is width x bytes per pixel.
inline UINT RowPitch(const FormatInfo& f, UINT width) {
  return width * f.bytesPerPixel;
}

// Converts one pixel of the format to 0xAARRGGBB (forceOpaque formats give
// alpha 0xFF), and back. Used by CopyRects between formats and by read-backs.
uint32_t PixelToArgb(const FormatInfo& f, const BYTE* pixel);
void ArgbToPixel(const FormatInfo& f, uint32_t argb, BYTE* pixel);

}  // namespace d3d8
