// SPDX-License-Identifier: MIT
// Materials, lights, textures from media files and colour keys. Relies on
// the extension library for vector math and image loading, and on the
// application's media-file lookup.
#include "render/d3d_helpers.h"

#include <d3dx8.h>

#include <cstring>

#include "common/src/media_files.h"

void MakeMaterial(D3DMATERIAL8& material, float r, float g, float b, float a) {
  std::memset(&material, 0, sizeof(material));
  material.Diffuse = D3DCOLORVALUE{r, g, b, a};
  material.Ambient = material.Diffuse;
}

void MakeLight(D3DLIGHT8& light, D3DLIGHTTYPE type, float x, float y, float z) {
  std::memset(&light, 0, sizeof(light));
  light.Type = type;
  light.Diffuse.r = 1.0f;
  light.Diffuse.g = 1.0f;
  light.Diffuse.b = 1.0f;
  light.Position = D3DVECTOR{x, y, z};
  D3DXVECTOR3 direction(x, y, z);
  D3DXVec3Normalize(&direction, &direction);
  light.Direction = direction;
  light.Range = 1000.0f;
}

HRESULT LoadTextureFile(IDirect3DDevice8* device, const char* fileName, IDirect3DTexture8** texture,
                        D3DFORMAT format) {
  if (!texture) return E_INVALIDARG;
  // A missing file leaves the bare name in `path`; the creation then fails.
  char path[MAX_PATH] = {};
  LocateMediaFile(path, fileName);
  const DWORD filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR;
  IDirect3DTexture8* created = nullptr;
  const HRESULT hr =
      D3DXCreateTextureFromFileEx(device, path, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, format,
                                  D3DPOOL_MANAGED, filter, filter, 0, nullptr, nullptr, &created);
  if (SUCCEEDED(hr)) *texture = created;
  return hr;
}

namespace {

// The key of `color` in a texel format, or false for a format the key
// routine does not handle. 16-bit keys keep the top bits of each channel.
bool KeyForFormat(D3DFORMAT format, D3DCOLOR color, DWORD* key) {
  const DWORD r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
  switch (format) {
    case D3DFMT_A4R4G4B4:
      *key = 0xF000 + (r / 16) * 256 + (g / 16) * 16 + b / 16;
      return true;
    case D3DFMT_A1R5G5B5:
      *key = 0x8000 + (r / 8) * 1024 + (g / 8) * 32 + b / 8;
      return true;
    case D3DFMT_A8R8G8B8:
      *key = color;
      return true;
    default:
      return false;
  }
}

template <typename Texel>
void ClearMatchingTexels(const D3DLOCKED_RECT& locked, UINT width, UINT height, Texel key) {
  BYTE* row = static_cast<BYTE*>(locked.pBits);
  for (UINT y = 0; y < height; ++y, row += locked.Pitch) {
    Texel* texel = reinterpret_cast<Texel*>(row);
    for (UINT x = 0; x < width; ++x) {
      if (texel[x] == key) texel[x] = 0;
    }
  }
}

}  // namespace

HRESULT KeyOutColor(IDirect3DTexture8* texture, D3DCOLOR color) {
  if (!texture) return E_FAIL;
  D3DSURFACE_DESC desc = {};
  DWORD key = 0;
  if (FAILED(texture->GetLevelDesc(0, &desc)) || !KeyForFormat(desc.Format, color, &key)) return E_FAIL;
  D3DLOCKED_RECT locked = {};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return E_FAIL;
  if (desc.Format == D3DFMT_A8R8G8B8)
    ClearMatchingTexels<DWORD>(locked, desc.Width, desc.Height, key);
  else
    ClearMatchingTexels<WORD>(locked, desc.Width, desc.Height, static_cast<WORD>(key));
  texture->UnlockRect(0);
  return S_OK;
}
