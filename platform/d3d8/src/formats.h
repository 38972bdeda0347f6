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

// For OpenGL ES, which takes colour pixels as RGBA bytes only. Converts
// `width` x `height` pixels given as an upload pair of the table (glFormat,
// glType; `opaque` tells X8 from A8 and X1 from A1), rows `rowLength` pixels
// apart (0: packed), to packed RGBA bytes, alpha 0xFF where the format has
// none. False, and nothing written, for a pair the table does not hold.
bool ConvertToRgba(GLenum glFormat, GLenum glType, bool opaque, const void* pixels, int width, int height,
                   int rowLength, uint8_t* out);
// RGBA bytes read back become the BGRA order of the layer's formats, in
// place; rows are `rowLength` pixels apart (0: packed).
void SwapRedBlue(uint8_t* pixels, int width, int height, int rowLength);

}  // namespace d3d8
