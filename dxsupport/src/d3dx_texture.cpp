// SPDX-License-Identifier: MIT
// Texture creation from image files: decode, size and mip count from the
// image where defaulted, resample level 0, box-filter the mip chain, then
// lock each level of the device texture and convert ARGB into its format.
#include <d3dx8mesh.h>
#include <dxfile_read.h>
#include <d3dx8tex.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "d3dx_diagnostics.h"
#include "image_decode.h"

namespace dxsupport {
namespace {

struct Level {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> argb;
};

uint32_t Channel(uint32_t c, int shift) {
  return (c >> shift) & 0xFF;
}

// Bilinear (or nearest) resampling of the decoded picture to w x h.
Level Resample(const DecodedImage& img, uint32_t w, uint32_t h, bool point) {
  Level out{w, h, std::vector<uint32_t>(size_t(w) * h)};
  if (w == img.width && h == img.height) {
    out.argb = img.argb;
    return out;
  }
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const float sx = std::max(0.0f, (x + 0.5f) * img.width / w - 0.5f);
      const float sy = std::max(0.0f, (y + 0.5f) * img.height / h - 0.5f);
      const uint32_t x0 = std::min(static_cast<uint32_t>(sx), img.width - 1);
      const uint32_t y0 = std::min(static_cast<uint32_t>(sy), img.height - 1);
      if (point) {
        out.argb[size_t(y) * w + x] = img.argb[size_t(y0) * img.width + x0];
        continue;
      }
      const uint32_t x1 = std::min(x0 + 1, img.width - 1), y1 = std::min(y0 + 1, img.height - 1);
      const float fx = sx - x0, fy = sy - y0;
      const uint32_t c[4] = {img.argb[size_t(y0) * img.width + x0], img.argb[size_t(y0) * img.width + x1],
                             img.argb[size_t(y1) * img.width + x0], img.argb[size_t(y1) * img.width + x1]};
      uint32_t texel = 0;
      for (int s = 0; s < 32; s += 8) {
        const float top = Channel(c[0], s) * (1 - fx) + Channel(c[1], s) * fx;
        const float bottom = Channel(c[2], s) * (1 - fx) + Channel(c[3], s) * fx;
        texel |= static_cast<uint32_t>(top * (1 - fy) + bottom * fy + 0.5f) << s;
      }
      out.argb[size_t(y) * w + x] = texel;
    }
  }
  return out;
}

// The next mip level: each texel the average of the 2 x 2 (or 2 x 1) block.
Level BoxHalf(const Level& src) {
  Level out{std::max(1u, src.width / 2), std::max(1u, src.height / 2), {}};
  out.argb.resize(size_t(out.width) * out.height);
  for (uint32_t y = 0; y < out.height; ++y) {
    for (uint32_t x = 0; x < out.width; ++x) {
      const uint32_t x0 = std::min(2 * x, src.width - 1), x1 = std::min(2 * x + 1, src.width - 1);
      const uint32_t y0 = std::min(2 * y, src.height - 1), y1 = std::min(2 * y + 1, src.height - 1);
      const uint32_t c[4] = {src.argb[size_t(y0) * src.width + x0], src.argb[size_t(y0) * src.width + x1],
                             src.argb[size_t(y1) * src.width + x0], src.argb[size_t(y1) * src.width + x1]};
      uint32_t texel = 0;
      for (int s = 0; s < 32; s += 8)
        texel |= ((Channel(c[0], s) + Channel(c[1], s) + Channel(c[2], s) + Channel(c[3], s) + 2) / 4) << s;
      out.argb[size_t(y) * out.width + x] = texel;
    }
  }
  return out;
}

// Texel writers for the formats textures are made in.
void Put32(uint8_t* p, uint32_t c) {
  std::memcpy(p, &c, 4);
}
void PutX32(uint8_t* p, uint32_t c) {
  Put32(p, c | 0xFF000000u);
}
void Put24(uint8_t* p, uint32_t c) {
  p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
}
void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
}
void Put565(uint8_t* p, uint32_t c) {
  Put16(p, (c >> 8 & 0xF800) | (c >> 5 & 0x07E0) | (c >> 3 & 0x001F));
}
void Put555(uint8_t* p, uint32_t c, uint32_t top) {
  Put16(p, top | (c >> 9 & 0x7C00) | (c >> 6 & 0x03E0) | (c >> 3 & 0x001F));
}
void PutX555(uint8_t* p, uint32_t c) {
  Put555(p, c, 0x8000);
}
void PutA555(uint8_t* p, uint32_t c) {
  Put555(p, c, (c >> 31) << 15);
}
void Put4444(uint8_t* p, uint32_t c, uint32_t alpha) {
  Put16(p, alpha << 12 | (c >> 12 & 0x0F00) | (c >> 8 & 0x00F0) | (c >> 4 & 0x000F));
}
void PutA4444(uint8_t* p, uint32_t c) {
  Put4444(p, c, c >> 28);
}
void PutX4444(uint8_t* p, uint32_t c) {
  Put4444(p, c, 0xF);
}
void PutA8(uint8_t* p, uint32_t c) {
  p[0] = uint8_t(c >> 24);
}
void PutL8(uint8_t* p, uint32_t c) {
  p[0] = uint8_t((Channel(c, 16) * 77 + Channel(c, 8) * 150 + Channel(c, 0) * 29 + 128) >> 8);
}

struct FormatWriter {
  D3DFORMAT format;
  int bytes;
  void (*put)(uint8_t*, uint32_t);
};
constexpr FormatWriter kWriters[] = {
    {D3DFMT_A8R8G8B8, 4, Put32},    {D3DFMT_X8R8G8B8, 4, PutX32},   {D3DFMT_R8G8B8, 3, Put24},
    {D3DFMT_R5G6B5, 2, Put565},     {D3DFMT_X1R5G5B5, 2, PutX555},  {D3DFMT_A1R5G5B5, 2, PutA555},
    {D3DFMT_A4R4G4B4, 2, PutA4444}, {D3DFMT_X4R4G4B4, 2, PutX4444}, {D3DFMT_A8, 1, PutA8},
    {D3DFMT_L8, 1, PutL8},
};

const FormatWriter* WriterFor(D3DFORMAT format) {
  for (const FormatWriter& w : kWriters)
    if (w.format == format) return &w;
  return nullptr;
}

HRESULT WriteLevel(IDirect3DTexture8* texture, UINT index, const Level& level) {
  D3DSURFACE_DESC desc = {};
  HRESULT hr = texture->GetLevelDesc(index, &desc);
  if (FAILED(hr)) return hr;
  const FormatWriter* writer = WriterFor(desc.Format);
  if (!writer || desc.Width != level.width || desc.Height != level.height) return D3DERR_INVALIDCALL;
  D3DLOCKED_RECT locked = {};
  if (FAILED(hr = texture->LockRect(index, &locked, nullptr, 0))) return hr;
  for (uint32_t y = 0; y < level.height; ++y) {
    uint8_t* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
    for (uint32_t x = 0; x < level.width; ++x)
      writer->put(row + x * writer->bytes, level.argb[size_t(y) * level.width + x]);
  }
  return texture->UnlockRect(index);
}

// No picture a texture can hold comes near this.
constexpr size_t kMaxImageFileBytes = 256u * 1024 * 1024;

UINT FullChain(UINT w, UINT h) {
  UINT levels = 1;
  while (w > 1 || h > 1) w = std::max(1u, w / 2), h = std::max(1u, h / 2), ++levels;
  return levels;
}

bool IsDefault(UINT v) {
  return v == 0 || v == D3DX_DEFAULT;
}

D3DFORMAT FormatFromImage(D3DFORMAT image) {
  // Formats we cannot write are made as 32-bit texels.
  if (image == D3DFMT_R8G8B8 || image == D3DFMT_P8 || !WriterFor(image)) return D3DFMT_X8R8G8B8;
  return image;
}

bool HasAlpha(D3DFORMAT format) {
  return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4 ||
         format == D3DFMT_A8;
}

// What the device says about texture formats. A device that cannot be asked
// is taken to make any format; its CreateTexture has the last word.
class DeviceFormats {
 public:
  DeviceFormats(IDirect3DDevice8* device, DWORD usage) : usage_(usage) {
    D3DDEVICE_CREATION_PARAMETERS created = {};
    D3DDISPLAYMODE mode = {};
    if (FAILED(device->GetCreationParameters(&created)) || FAILED(device->GetDisplayMode(&mode)) ||
        FAILED(device->GetDirect3D(&d3d_)))
      d3d_ = nullptr;
    adapter_ = created.AdapterOrdinal;
    type_ = created.DeviceType;
    adapterFormat_ = mode.Format;
  }
  ~DeviceFormats() {
    if (d3d_) d3d_->Release();
  }
  DeviceFormats(const DeviceFormats&) = delete;
  DeviceFormats& operator=(const DeviceFormats&) = delete;

  bool Takes(D3DFORMAT format) const {
    return WriterFor(format) &&
           (!d3d_ || SUCCEEDED(d3d_->CheckDeviceFormat(adapter_, type_, adapterFormat_, usage_,
                                                       D3DRTYPE_TEXTURE, format)));
  }

  // `wanted` when the device makes it, else the first format it makes with
  // alpha where `wanted` has alpha (and none where it has none), else any
  // format it makes; D3DFMT_UNKNOWN when it makes none we can write.
  D3DFORMAT Nearest(D3DFORMAT wanted) const {
    static const D3DFORMAT kPreferred[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4,
                                           D3DFMT_A1R5G5B5, D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5,
                                           D3DFMT_R8G8B8,   D3DFMT_X4R4G4B4};
    if (Takes(wanted)) return wanted;
    for (int pass = 0; pass < 2; ++pass)
      for (D3DFORMAT f : kPreferred)
        if ((pass == 1 || HasAlpha(f) == HasAlpha(wanted)) && Takes(f)) return f;
    return D3DFMT_UNKNOWN;
  }

 private:
  IDirect3D8* d3d_ = nullptr;
  UINT adapter_ = 0;
  D3DDEVTYPE type_ = D3DDEVTYPE_HAL;
  D3DFORMAT adapterFormat_ = D3DFMT_UNKNOWN;
  DWORD usage_ = 0;
};

// The largest texture side the device makes (MaxTextureWidth/Height), or
// our own limit when it does not say.
void DeviceMaxSize(IDirect3DDevice8* device, UINT* maxWidth, UINT* maxHeight) {
  D3DCAPS8 caps = {};
  const bool known = SUCCEEDED(device->GetDeviceCaps(&caps));
  *maxWidth =
      known && caps.MaxTextureWidth ? std::min<UINT>(caps.MaxTextureWidth, kMaxImageSide) : kMaxImageSide;
  *maxHeight =
      known && caps.MaxTextureHeight ? std::min<UINT>(caps.MaxTextureHeight, kMaxImageSide) : kMaxImageSide;
}

}  // namespace
}  // namespace dxsupport

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 device, LPCSTR srcFile, UINT width, UINT height,
                                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            LPDIRECT3DTEXTURE8* texture) {
  using namespace dxsupport;
  if (texture) *texture = nullptr;
  if (!device || !srcFile || !texture)
    return InvalidCall("D3DXCreateTextureFromFileEx: NULL device, file name or output texture\n");
  (void)mipFilter;  // every mip level is box-filtered
  std::vector<uint8_t> bytes;
  switch (dxfile::ReadDataFile(srcFile, kMaxImageFileBytes, &bytes)) {
    case dxfile::ReadResult::kOk:
      break;
    case dxfile::ReadResult::kNotAFile:
    case dxfile::ReadResult::kTooLarge:
      return D3DXERR_INVALIDDATA;
    default:
      return D3DERR_NOTFOUND;
  }
  UINT maxWidth = 0, maxHeight = 0;
  DeviceMaxSize(device, &maxWidth, &maxHeight);
  DecodedImage image;
  // Compressed files are refused past what the device could ever hold.
  image.maxPackedSide = std::max(maxWidth, maxHeight);
  if (!DecodeImage(bytes.data(), bytes.size(), &image)) return D3DXERR_INVALIDDATA;
  if (srcInfo) *srcInfo = {image.width, image.height, 1, 1, image.format, D3DRTYPE_TEXTURE, image.fileFormat};
  if (palette) {
    std::fill(palette, palette + 256, PALETTEENTRY{0, 0, 0, 0xFF});
    std::copy(image.palette.begin(), image.palette.end(), palette);
  }
  // Defaulted sizes follow the image, shrunk to what the device makes.
  if (IsDefault(width)) width = std::min<UINT>(image.width, maxWidth);
  if (IsDefault(height)) height = std::min<UINT>(image.height, maxHeight);
  if (width > kMaxImageSide || height > kMaxImageSide) return D3DERR_INVALIDCALL;
  const UINT chain = FullChain(width, height);
  const UINT levels = IsDefault(mipLevels) ? chain : std::min(mipLevels, chain);
  if (format == D3DFMT_UNKNOWN) format = FormatFromImage(image.format);
  // A format the device lacks gives way to the nearest one it has.
  format = DeviceFormats(device, usage).Nearest(format);
  if (format == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
  IDirect3DTexture8* created = nullptr;
  HRESULT hr = device->CreateTexture(width, height, levels, usage, format, pool, &created);
  if (FAILED(hr)) return hr;
  const DWORD kind = filter & 0xFFFF;
  Level level = Resample(image, width, height, kind == D3DX_FILTER_POINT || kind == D3DX_FILTER_NONE);
  if (colorKey)
    for (uint32_t& t : level.argb)
      if (t == colorKey) t = 0;
  for (UINT i = 0; i < levels && SUCCEEDED(hr); ++i) {
    if (i > 0) level = BoxHalf(level);
    hr = WriteLevel(created, i, level);
  }
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  *texture = created;
  return D3D_OK;
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE8 device, LPCSTR srcFile,
                                          LPDIRECT3DTEXTURE8* texture) {
  return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                      nullptr, texture);
}
