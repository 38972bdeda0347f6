// SPDX-License-Identifier: MIT
// Resource creation with its checks, and CopyRects between image surfaces,
// texture levels and the back buffer (formats must match, as in Direct3D 8).
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "debug.h"
#include "device.h"
#include "direct3d.h"

namespace d3d8 {

namespace {

constexpr UINT kMaxBufferBytes = 64u << 20;
constexpr UINT kMaxSurfaceSide = 8192;

UINT FullChain(UINT w, UINT h) {
  UINT levels = 1;
  while (w > 1 || h > 1) {
    w = std::max(1u, w / 2);
    h = std::max(1u, h / 2);
    ++levels;
  }
  return levels;
}

bool KnownPool(D3DPOOL pool) {
  return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM;
}

}  // namespace

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const FormatInfo* f = FindFormat(format);
  if (!f || f->depth || !KnownPool(pool) || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) {
    DiagnoseOnce(DIAG_TARGET_TEXTURE);
    return D3DERR_INVALIDCALL;
  }
  if (width > MaxTextureSize() || height > MaxTextureSize()) return D3DERR_INVALIDCALL;
  const UINT chain = FullChain(width, height);
  if (levels == 0) levels = chain;
  if (levels > chain) return D3DERR_INVALIDCALL;
  Texture* t = new (std::nothrow) Texture(this, width, height, levels, usage, *f, pool);
  if (!t) return E_OUTOFMEMORY;
  *texture = t;
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || !KnownPool(pool)) return D3DERR_INVALIDCALL;
  if (fvf) {
    FvfLayout layout;
    if (!DecodeFvf(fvf, &layout) || length < layout.size) return D3DERR_INVALIDCALL;
  }
  if (length > kMaxBufferBytes) return D3DERR_OUTOFVIDEOMEMORY;
  *buffer = new VertexBuffer(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || !KnownPool(pool) || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
    return D3DERR_INVALIDCALL;
  if (length > kMaxBufferBytes) return D3DERR_OUTOFVIDEOMEMORY;
  *buffer = new IndexBuffer(this, length, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  const FormatInfo* f = FindFormat(format);
  if (!f || f->depth || width == 0 || height == 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide)
    return D3DERR_INVALIDCALL;
  *surface = new Surface(this, Surface::Kind::Image, f, width, height);
  return D3D_OK;
}

// ------------------------------------------------------------- CopyRects

namespace {

// One rectangle copy in bytes: from `src` (pitch sp) to `dst` (pitch dp).
void CopyRows(const BYTE* src, UINT sp, BYTE* dst, UINT dp, UINT rowBytes, UINT rows) {
  for (UINT y = 0; y < rows; ++y)
    std::memmove(dst + static_cast<size_t>(y) * dp, src + static_cast<size_t>(y) * sp, rowBytes);
}

bool Inside(LONG x, LONG y, LONG w, LONG h, UINT sw, UINT sh) {
  return x >= 0 && y >= 0 && w > 0 && h > 0 && x + w <= static_cast<LONG>(sw) &&
         y + h <= static_cast<LONG>(sh);
}

}  // namespace

HRESULT Device::CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count, IDirect3DSurface8* dest,
                          const POINT* points) {
  Surface* src = static_cast<Surface*>(source);
  Surface* dst = static_cast<Surface*>(dest);
  if (!src || !dst || src == dst || (count && !rects) || (!count && rects)) return D3DERR_INVALIDCALL;
  if (src->format().format != dst->format().format) return D3DERR_INVALIDCALL;
  if (src->kind() == Surface::Kind::DepthStencil || dst->kind() == Surface::Kind::DepthStencil)
    return D3DERR_INVALIDCALL;
  const RECT whole = {0, 0, static_cast<LONG>(src->width()), static_cast<LONG>(src->height())};
  const UINT n = count ? count : 1;
  // Every rectangle is checked before anything is copied.
  for (UINT i = 0; i < n; ++i) {
    const RECT& r = count ? rects[i] : whole;
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    const POINT p = points ? points[i] : POINT{r.left, r.top};
    if (!Inside(r.left, r.top, w, h, src->width(), src->height()) ||
        !Inside(p.x, p.y, w, h, dst->width(), dst->height()))
      return D3DERR_INVALIDCALL;
  }
  FlushDraws();  // gathered draws may read the texture this writes
  // A copy over the whole destination needs none of its old bytes back.
  const RECT& first = count ? rects[0] : whole;
  const POINT at = points ? points[0] : POINT{first.left, first.top};
  const bool overwriting = n == 1 && at.x == 0 && at.y == 0 &&
                           first.right - first.left == static_cast<LONG>(dst->width()) &&
                           first.bottom - first.top == static_cast<LONG>(dst->height());
  PixelMemory* sm = src->memory();
  PixelMemory* dm = dst->memory(overwriting);
  if ((sm && sm->locked) || (dm && dm->locked)) return D3DERR_INVALIDCALL;
  const UINT bpp = src->format().bytesPerPixel;
  for (UINT i = 0; i < n; ++i) {
    const RECT& r = count ? rects[i] : whole;
    const UINT w = r.right - r.left, h = r.bottom - r.top;
    const POINT p = points ? points[i] : POINT{r.left, r.top};
    const RECT to = {p.x, p.y, static_cast<LONG>(p.x + w), static_cast<LONG>(p.y + h)};
    if (sm && dm) {
      CopyRows(&sm->bytes[r.top * sm->pitch + r.left * bpp], sm->pitch,
               &dm->bytes[to.top * dm->pitch + to.left * bpp], dm->pitch, w * bpp, h);
    } else if (sm) {
      WriteTarget(to, &sm->bytes[r.top * sm->pitch + r.left * bpp], sm->pitch);
    } else if (dm) {
      ReadTarget(r, &dm->bytes[to.top * dm->pitch + to.left * bpp], dm->pitch);
    } else {
      std::vector<BYTE> staging(static_cast<size_t>(w) * h * bpp);
      ReadTarget(r, staging.data(), w * bpp);
      WriteTarget(to, staging.data(), w * bpp);
    }
  }
  dst->Touch();
  return D3D_OK;
}

}  // namespace d3d8
