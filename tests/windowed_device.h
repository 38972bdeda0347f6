// SPDX-License-Identifier: MIT
// The windowed Direct3D device the device tests, the texture-font tests and
// the d3d8 benchmark draw on: 32-bit back buffer, one of them, discarded on
// present, with a 16-bit depth buffer.
#pragma once

#include <d3d8.h>

namespace windowed_device {

// Present parameters of a windowed device; a size of 0 takes the window's.
inline D3DPRESENT_PARAMETERS WindowedParams(UINT w, UINT h) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = w;
  pp.BackBufferHeight = h;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  return pp;
}

// A device of that kind on `window` (null: the main window). `pp`, when
// given, receives the parameters as the device filled them in.
inline HRESULT CreateWindowedDevice(IDirect3D8* d3d, HWND window, UINT w, UINT h, IDirect3DDevice8** device,
                                    D3DPRESENT_PARAMETERS* pp = nullptr) {
  D3DPRESENT_PARAMETERS params = WindowedParams(w, h);
  const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, device);
  if (pp) *pp = params;
  return hr;
}

}  // namespace windowed_device
