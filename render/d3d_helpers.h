// SPDX-License-Identifier: MIT
// Small Direct3D routines shared by the display set-up, the frame drawing
// and the menus: filling a material and a light, loading a texture from a
// media file, and keying one colour of a texture out to transparent black.
#pragma once

#include <d3d8.h>

// Diffuse and ambient (r, g, b, a); specular, emissive and power 0.
void MakeMaterial(D3DMATERIAL8& material, float r, float g, float b, float a);
// White diffuse light (alpha 0) of `type` at (x, y, z), pointing along the
// normalised (x, y, z), range 1000; every other field 0.
void MakeLight(D3DLIGHT8& light, D3DLIGHTTYPE type, float x, float y, float z);
// Creates a managed texture in `format` from the media file `fileName`
// (found beside the program or in the media directory), with a full mip
// chain. Returns the creation's result; `texture` is untouched on failure.
HRESULT LoadTextureFile(IDirect3DDevice8* device, const char* fileName, IDirect3DTexture8** texture,
                        D3DFORMAT format);
// Sets every texel of mip level 0 that equals `color` (ARGB) to 0. In the
// 16-bit formats A1R5G5B5 and A4R4G4B4 the key carries full alpha, so the
// colour's own alpha byte is not compared; in A8R8G8B8 all 32 bits are.
// E_FAIL without touching the texture for any other format or a failed lock.
HRESULT KeyOutColor(IDirect3DTexture8* texture, D3DCOLOR color);
