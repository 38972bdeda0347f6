// SPDX-License-Identifier: MIT
// Direct3DCreate8 and IDirect3D8: one adapter whose display format is always
// X8R8G8B8 (OpenGL reads and writes 32-bit pixels), hardware device type only.
#include <d3d8_glorbs.h>
#include <host/host.h>

#include <cstring>

#include "debug.h"
#include "device.h"
#include "direct3d.h"

namespace d3d8 {

namespace {

Device* g_device = nullptr;
UINT g_maxTextureLimit = 0;
constexpr UINT kMaxTextureSize = 2048;

struct Mode {
  UINT w, h;
};
const Mode kModes[] = {{640, 480}, {800, 600}, {1024, 768}};

bool IsDisplayFormat(D3DFORMAT f) {
  return f == D3DFMT_X8R8G8B8;
}
bool IsBackBufferFormat(D3DFORMAT f) {
  return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8;
}

}  // namespace

Device* CurrentDevice() {
  return g_device;
}
void SetCurrentDevice(Device* device) {
  g_device = device;
}

UINT MaxTextureSize() {
  return g_maxTextureLimit && g_maxTextureLimit < kMaxTextureSize ? g_maxTextureLimit : kMaxTextureSize;
}

void SetMaxTextureSizeLimit(UINT maxSize) {
  g_maxTextureLimit = maxSize;
}

HRESULT Direct3D::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDirect3D8) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirect3D8*>(this);
  return S_OK;
}

ULONG Direct3D::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter) {
  return adapter == 0 ? sizeof(kModes) / sizeof(kModes[0]) : 0;
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) {
  if (adapter != 0 || !out || mode >= GetAdapterModeCount(0)) return D3DERR_INVALIDCALL;
  *out = D3DDISPLAYMODE{kModes[mode].w, kModes[mode].h, 60, D3DFMT_X8R8G8B8};
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
  host::DisplayMode desktop = host::GetDesktopMode();
  mode->Width = desktop.w > 0 ? desktop.w : 1024;
  mode->Height = desktop.h > 0 ? desktop.h : 768;
  mode->RefreshRate = desktop.refresh > 0 ? desktop.refresh : 60;
  mode->Format = D3DFMT_X8R8G8B8;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                  D3DFORMAT backBufferFormat, BOOL) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!IsDisplayFormat(displayFormat) || !IsBackBufferFormat(backBufferFormat)) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL)
    return resourceType == D3DRTYPE_SURFACE && IsDepthFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_RENDERTARGET) return D3DERR_NOTAVAILABLE;
  if (resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE)
    return IsTextureFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT targetFormat, D3DFORMAT depthFormat) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat) || !IsBackBufferFormat(targetFormat) ||
      !IsDepthFormat(depthFormat))
    return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

void FillCaps(D3DCAPS8* c) {
  std::memset(c, 0, sizeof(*c));
  const DWORD allCmp = 0xFF, allBlend = 0x1FFF;
  c->DeviceType = D3DDEVTYPE_HAL;
  c->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  c->DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
               D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
               D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWRASTERIZATION;
  c->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                         D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
  c->RasterCaps = D3DPRASTERCAPS_ZTEST;
  c->ZCmpCaps = c->AlphaCmpCaps = allCmp;
  c->SrcBlendCaps = c->DestBlendCaps = allBlend;
  c->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  c->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  c->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                         D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  c->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP;
  c->MaxTextureWidth = c->MaxTextureHeight = MaxTextureSize();
  c->MaxTextureRepeat = 8192;
  c->MaxTextureAspectRatio = MaxTextureSize();
  c->MaxAnisotropy = 1;
  c->MaxVertexW = 1e10f;
  c->StencilCaps = 0xFF;
  c->FVFCaps = 8;                                                           // texture coordinate sets
  c->TextureOpCaps = 0x03FFFFFF & ~((1u << 21) | (1u << 22) | (1u << 16));  // no bump mapping, no premodulate
  c->MaxTextureBlendStages = 2;
  c->MaxSimultaneousTextures = 2;
  c->VertexProcessingCaps =
      D3DVTXPCAPS_DIRECTIONALLIGHTS | D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
  c->MaxActiveLights = kMaxLights;
  c->MaxPointSize = 1.0f;
  c->MaxPrimitiveCount = 0xFFFFF;
  c->MaxVertexIndex = 0xFFFFFF;
  c->MaxStreams = 1;
  c->MaxStreamStride = 255;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
  if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  FillCaps(caps);
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (adapter != 0 || !params) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const DWORD processing =
      behavior & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                  D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing == 0 || (processing & (processing - 1)) != 0) return D3DERR_INVALIDCALL;
  if (g_device) {
    Diagnose(DIAG_ONE_DEVICE_ONLY);
    return D3DERR_NOTAVAILABLE;
  }
  Device* created = new Device(this, focusWindow, behavior);
  HRESULT hr = created->Init(params);
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  *device = created;
  return D3D_OK;
}

Counters GetCounters() {
  Counters c;
  c.glCalls = g_glCalls;
  if (g_device) c.programsBuilt = g_device->programsBuilt();
  c.draws = g_draws;
  c.bufferData = g_bufferData;
  return c;
}

}  // namespace d3d8

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  return new d3d8::Direct3D();
}
