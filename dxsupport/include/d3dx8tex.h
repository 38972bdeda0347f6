// SPDX-License-Identifier: MIT
// Textures from image files: BMP/DIB (1, 4, 8, 16, 24, 32 bits, RLE), PNG,
// JPEG, TGA and PPM, with default sizes, full mip chains and conversion to
// the texture format.
#pragma once

#include <d3d8.h>

#ifndef D3DX_DEFAULT
#define D3DX_DEFAULT ((UINT)-1)
#endif

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)

typedef enum _D3DXIMAGE_FILEFORMAT {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

typedef struct _D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;  // the image's own format, before conversion
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

#ifndef GLORBS_PALETTEENTRY_DEFINED
#define GLORBS_PALETTEENTRY_DEFINED
typedef struct tagPALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
} PALETTEENTRY, *LPPALETTEENTRY;
#endif

// Width, height and mip levels of D3DX_DEFAULT (or 0) come from the image
// (a full chain for mips), sizes held to the device's largest texture;
// D3DFMT_UNKNOWN takes the image's format, with R8G8B8 and palettes
// becoming X8R8G8B8. A format the device lacks (CheckDeviceFormat) gives
// way to the nearest one it has, keeping alpha. Texels of images without
// alpha are opaque. D3DERR_NOTFOUND: the file cannot be read;
// D3DXERR_INVALIDDATA: it is not a picture we read, or it is damaged, or it
// is compressed and larger than the device's largest texture. A non-zero colorKey (A8R8G8B8) turns matching
// texels into transparent black. `palette`, when given, receives 256 entries.
HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 device, LPCSTR srcFile, UINT width, UINT height,
                                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            LPDIRECT3DTEXTURE8* texture);
// All defaults, managed pool.
HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE8 device, LPCSTR srcFile,
                                          LPDIRECT3DTEXTURE8* texture);

#define D3DXCreateTextureFromFile D3DXCreateTextureFromFileA
#define D3DXCreateTextureFromFileEx D3DXCreateTextureFromFileExA
