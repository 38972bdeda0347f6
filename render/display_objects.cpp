// SPDX-License-Identifier: MIT
// Storage of the shared display objects; the application's display fills them.
#include "render/display_objects.h"

IDirect3DDevice8* device = nullptr;
D3DPRESENT_PARAMETERS presentParams = {};
D3DDISPLAYMODE desktopMode = {};
D3DFORMAT fullScreenFormat = D3DFMT_UNKNOWN;
D3DFORMAT textureFormat = D3DFMT_UNKNOWN;
TextureFont* hudFont = nullptr;
TextureFont* bigFont = nullptr;
IDirect3DTexture8* spriteTexture1 = nullptr;
IDirect3DTexture8* spriteTexture2 = nullptr;
IDirect3DVertexBuffer8* screenQuad = nullptr;
IDirect3DVertexBuffer8* spriteQuad = nullptr;
IDirect3DSurface8* inputConfigSurface = nullptr;
