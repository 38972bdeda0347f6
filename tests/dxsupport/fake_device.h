// SPDX-License-Identifier: MIT
// Test helper: a Direct3D 8 device that keeps every buffer and texture in
// memory and records draws, so mesh and texture code can be checked
// without a GPU. Calls the extension library does not make answer E_NOTIMPL.
// By default it makes textures of any format and size and cannot be asked
// about either; given a format list and a size limit it answers
// CheckDeviceFormat and GetDeviceCaps, and refuses what they exclude.
#pragma once

#include <d3d8.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dxtest {

template <typename I>
struct Counted : I {
  ULONG refs = 1;
  STDMETHODIMP QueryInterface(REFIID, void** o) override {
    *o = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs;
    if (!left) delete this;
    return left;
  }
};

// Vertex and index buffers share one memory-backed implementation.
template <typename I, typename Desc>
struct MemoryBuffer : Counted<I> {
  std::vector<BYTE> bytes;
  Desc desc{};
  int locks = 0;
  STDMETHODIMP_(HRESULT) GetDevice(IDirect3DDevice8**) override { return E_NOTIMPL; }
  STDMETHODIMP_(DWORD) SetPriority(DWORD) override { return 0; }
  STDMETHODIMP_(DWORD) GetPriority() override { return 0; }
  STDMETHODIMP_(void) PreLoad() override {}
  STDMETHODIMP_(D3DRESOURCETYPE) GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  STDMETHODIMP Lock(UINT offset, UINT, BYTE** data, DWORD) override {
    if (offset > bytes.size()) return D3DERR_INVALIDCALL;
    ++locks;
    *data = bytes.data() + offset;
    return D3D_OK;
  }
  STDMETHODIMP Unlock() override { return locks-- > 0 ? D3D_OK : D3DERR_INVALIDCALL; }
  STDMETHODIMP GetDesc(Desc* d) override {
    *d = desc;
    return D3D_OK;
  }
};
using VertexBuffer = MemoryBuffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>;
using IndexBuffer = MemoryBuffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>;

inline int BytesPerTexel(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_A8:
    case D3DFMT_L8:
      return 1;
    default:
      return 2;
  }
}

struct Texture : Counted<IDirect3DTexture8> {
  std::vector<std::vector<BYTE>> levels;
  std::vector<D3DSURFACE_DESC> descs;
  D3DPOOL pool = D3DPOOL_MANAGED;
  STDMETHODIMP_(HRESULT) GetDevice(IDirect3DDevice8**) override { return E_NOTIMPL; }
  STDMETHODIMP_(DWORD) SetPriority(DWORD) override { return 0; }
  STDMETHODIMP_(DWORD) GetPriority() override { return 0; }
  STDMETHODIMP_(void) PreLoad() override {}
  STDMETHODIMP_(D3DRESOURCETYPE) GetType() override { return D3DRTYPE_TEXTURE; }
  STDMETHODIMP_(DWORD) SetLOD(DWORD) override { return 0; }
  STDMETHODIMP_(DWORD) GetLOD() override { return 0; }
  STDMETHODIMP_(DWORD) GetLevelCount() override { return static_cast<DWORD>(levels.size()); }
  STDMETHODIMP GetLevelDesc(UINT level, D3DSURFACE_DESC* d) override {
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    *d = descs[level];
    return D3D_OK;
  }
  STDMETHODIMP GetSurfaceLevel(UINT, IDirect3DSurface8**) override { return E_NOTIMPL; }
  STDMETHODIMP LockRect(UINT level, D3DLOCKED_RECT* r, const RECT*, DWORD) override {
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    r->Pitch = static_cast<INT>(descs[level].Width * BytesPerTexel(descs[level].Format));
    r->pBits = levels[level].data();
    return D3D_OK;
  }
  STDMETHODIMP UnlockRect(UINT) override { return D3D_OK; }
  STDMETHODIMP AddDirtyRect(const RECT*) override { return D3D_OK; }
  // Texel (x, y) of a 32-bit level.
  DWORD At(UINT level, UINT x, UINT y) const {
    DWORD v = 0;
    std::memcpy(&v, levels[level].data() + (size_t(y) * descs[level].Width + x) * 4, 4);
    return v;
  }
};

struct Draw {
  DWORD fvf;
  UINT startIndex;
  UINT primitives;
};

// The device's Direct3D object: answers format questions from its list.
struct FakeDirect3D : Counted<IDirect3D8> {
  std::vector<D3DFORMAT> textureFormats;
  int formatQueries = 0;
  STDMETHODIMP CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD,
                                 D3DRESOURCETYPE resource, D3DFORMAT format) override {
    ++formatQueries;
    if (adapter != 0 || type != D3DDEVTYPE_HAL || adapterFormat != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
    const bool known =
        std::find(textureFormats.begin(), textureFormats.end(), format) != textureFormats.end();
    return resource == D3DRTYPE_TEXTURE && known ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  STDMETHODIMP_(UINT) GetAdapterCount() override { return 1; }
  STDMETHODIMP_(UINT) GetAdapterModeCount(UINT) override { return 0; }
  STDMETHODIMP EnumAdapterModes(UINT, UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  STDMETHODIMP CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8*) override { return E_NOTIMPL; }
  STDMETHODIMP CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                            IDirect3DDevice8**) override {
    return E_NOTIMPL;
  }
};

struct FakeDevice : Counted<IDirect3DDevice8> {
  std::vector<Draw> draws;
  DWORD fvf = 0;
  std::vector<D3DPOOL> bufferPools;
  UINT maxTextureSize = 0;                 // 0: any size, and no caps to ask
  FakeDirect3D* d3d = new FakeDirect3D();  // an empty format list: any format, and no answers

  ~FakeDevice() { d3d->Release(); }
  bool Makes(D3DFORMAT format) const {
    const auto& list = d3d->textureFormats;
    return list.empty() || std::find(list.begin(), list.end(), format) != list.end();
  }
  STDMETHODIMP_(HRESULT) GetDirect3D(IDirect3D8** out) override {
    if (d3d->textureFormats.empty()) return E_NOTIMPL;
    d3d->AddRef();
    *out = d3d;
    return D3D_OK;
  }
  STDMETHODIMP_(HRESULT) GetDeviceCaps(D3DCAPS8* caps) override {
    if (!maxTextureSize) return E_NOTIMPL;
    *caps = D3DCAPS8{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->MaxTextureWidth = caps->MaxTextureHeight = maxTextureSize;
    return D3D_OK;
  }
  STDMETHODIMP_(HRESULT) GetDisplayMode(D3DDISPLAYMODE* mode) override {
    *mode = D3DDISPLAYMODE{640, 480, 60, D3DFMT_X8R8G8B8};
    return D3D_OK;
  }
  STDMETHODIMP_(HRESULT) GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) override {
    *params = D3DDEVICE_CREATION_PARAMETERS{0, D3DDEVTYPE_HAL, nullptr, 0};
    return D3D_OK;
  }
  STDMETHODIMP CreateTexture(UINT w, UINT h, UINT levels, DWORD, D3DFORMAT format, D3DPOOL pool,
                             IDirect3DTexture8** out) override {
    if (!Makes(format) || (maxTextureSize && (w > maxTextureSize || h > maxTextureSize)))
      return D3DERR_INVALIDCALL;
    auto* t = new Texture();
    t->pool = pool;
    for (UINT i = 0; i < levels; ++i) {
      D3DSURFACE_DESC d{};
      d.Format = format;
      d.Width = w;
      d.Height = h;
      t->descs.push_back(d);
      t->levels.emplace_back(size_t(w) * h * BytesPerTexel(format));
      w = w > 1 ? w / 2 : 1;
      h = h > 1 ? h / 2 : 1;
    }
    *out = t;
    return D3D_OK;
  }
  STDMETHODIMP CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL pool,
                                  IDirect3DVertexBuffer8** out) override {
    auto* b = new VertexBuffer();
    b->bytes.resize(length);
    b->desc.Size = length;
    b->desc.Pool = pool;
    bufferPools.push_back(pool);
    *out = b;
    return D3D_OK;
  }
  STDMETHODIMP CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DIndexBuffer8** out) override {
    auto* b = new IndexBuffer();
    b->bytes.resize(length);
    b->desc.Size = length;
    b->desc.Format = format;
    b->desc.Pool = pool;
    bufferPools.push_back(pool);
    *out = b;
    return D3D_OK;
  }
  STDMETHODIMP SetVertexShader(DWORD handle) override {
    fvf = handle;
    return D3D_OK;
  }
  STDMETHODIMP SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override { return D3D_OK; }
  STDMETHODIMP SetIndices(IDirect3DIndexBuffer8*, UINT) override { return D3D_OK; }
  STDMETHODIMP DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT start, UINT count) override {
    draws.push_back({fvf, start, count});
    return D3D_OK;
  }
  STDMETHODIMP_(HRESULT) TestCooperativeLevel() override { return E_NOTIMPL; }
  STDMETHODIMP_(UINT) GetAvailableTextureMem() override { return 0; }
  STDMETHODIMP_(HRESULT) Reset(D3DPRESENT_PARAMETERS*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) GetDepthStencilSurface(IDirect3DSurface8**) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT)
  CopyRects(IDirect3DSurface8*, const RECT*, UINT, IDirect3DSurface8*, const POINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) BeginScene() override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) EndScene() override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) SetViewport(const D3DVIEWPORT8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetViewport(D3DVIEWPORT8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) SetMaterial(const D3DMATERIAL8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetMaterial(D3DMATERIAL8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) SetLight(DWORD, const D3DLIGHT8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetLight(DWORD, D3DLIGHT8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) LightEnable(DWORD, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetLightEnable(DWORD, BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetTexture(DWORD, IDirect3DBaseTexture8**) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) SetTexture(DWORD, IDirect3DBaseTexture8*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT) BeginStateBlock() override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) EndStateBlock(DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) ApplyStateBlock(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) CaptureStateBlock(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) DeleteStateBlock(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetVertexShader(DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetStreamSource(UINT, IDirect3DVertexBuffer8**, UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) GetIndices(IDirect3DIndexBuffer8**, UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return E_NOTIMPL; }
  STDMETHODIMP_(HRESULT) DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP_(HRESULT)
  DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                         UINT) override {
    return E_NOTIMPL;
  }
};

}  // namespace dxtest
