// SPDX-License-Identifier: MIT
// The Direct3D device and the display objects every drawing part shares:
// fonts, sprite textures, vertex buffers and the input configuration
// surface. The application's display (app/display.h) makes, resets and
// releases them; the drawing code only reads them. Loop thread only.
#pragma once

#include <d3d8.h>
#include <windows.h>

class TextureFont;

// Every reference below is null until created and cleared when released.
extern IDirect3DDevice8* device;               // the one device (default adapter, HAL)
extern D3DPRESENT_PARAMETERS presentParams;    // used at creation and by every reset
extern D3DDISPLAYMODE desktopMode;             // the adapter's mode at start; windowed format
extern D3DFORMAT fullScreenFormat;             // D3DFMT_UNKNOWN until found
extern D3DFORMAT textureFormat;                // of the sprite textures; D3DFMT_UNKNOWN until found
extern TextureFont* hudFont;                   // "Tahoma", height 30
extern TextureFont* bigFont;                   // "Impact", height 48
extern IDirect3DTexture8* spriteTexture1;      // "Glorbs1.bmp", black keyed out
extern IDirect3DTexture8* spriteTexture2;      // "Glorbs2.bmp", black keyed out
extern IDirect3DVertexBuffer8* screenQuad;     // 4 x ScreenQuadVertex, a strip over the viewport
extern IDirect3DVertexBuffer8* spriteQuad;     // 4 x 24-byte sprite vertices (XYZ | DIFFUSE | TEX1)
extern IDirect3DSurface8* inputConfigSurface;  // 640 x 480 in fullScreenFormat

// screenQuad's layout: the positions are written after every creation and
// reset (a strip (0,h) (0,0) (w,h) (w,0)); drawing code fills the colours.
struct ScreenQuadVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
};
constexpr DWORD kScreenQuadFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr UINT kScreenQuadBytes = 4 * sizeof(ScreenQuadVertex);  // 80
constexpr DWORD kSpriteQuadFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kSpriteQuadBytes = 4 * 24;  // 96
