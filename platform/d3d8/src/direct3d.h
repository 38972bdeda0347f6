// SPDX-License-Identifier: MIT
// The IDirect3D8 object: one adapter (the host's display), its modes, the
// format checks and capabilities, and device creation.
#pragma once

#include <d3d8.h>

namespace d3d8 {

class Device;

class Direct3D final : public IDirect3D8 {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  UINT STDMETHODCALLTYPE GetAdapterCount() override { return 1; }
  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override;
  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override;
  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                            D3DFORMAT backBufferFormat, BOOL windowed) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                              DWORD usage, D3DRESOURCETYPE resourceType,
                                              D3DFORMAT format) override;
  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                   D3DFORMAT targetFormat, D3DFORMAT depthFormat) override;
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
                                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override;

 private:
  ULONG refs_ = 1;
};

// The capabilities every device of this layer has.
void FillCaps(D3DCAPS8* caps);
// Largest texture side the device accepts (the test limit applied).
UINT MaxTextureSize();
// The device that exists, if any (there is at most one).
Device* CurrentDevice();
void SetCurrentDevice(Device* device);

}  // namespace d3d8
