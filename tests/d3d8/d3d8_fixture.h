// SPDX-License-Identifier: MIT
// Shared set-up of the device tests: a hidden window on the offscreen
// driver, a windowed device of a given back-buffer size, and helpers that
// read pixels back and draw small vertex lists.
#pragma once

#include "pixel_channels.h"
#include "windowed_device.h"
#include <d3d8.h>
#include <d3d8_glorbs.h>
#include <gtest/gtest.h>
#include <host/host.h>

#include <cstring>
#include <vector>

namespace d3d8test {

struct RhwVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
  float x, y, z, rhw;
  D3DCOLOR color;
};
constexpr DWORD kRhwFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct RhwTexVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kRhwTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct LitVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL
  float x, y, z, nx, ny, nz;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

inline D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 64, kHeight = 48;

  void SetUp() override {
    ASSERT_TRUE(host::Init());
    ASSERT_TRUE(host::CreateMainWindow("d3d8 test", 0, 0, WindowWidth(), WindowHeight(), false));
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    ASSERT_EQ(windowed_device::CreateWindowedDevice(d3d_, nullptr, kWidth, kHeight, &device_), D3D_OK);
    host::SetFramePacing(false);
  }

  void TearDown() override {
    if (device_) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
    host::DestroyMainWindow();
    host::Shutdown();
  }

  virtual int WindowWidth() const { return 64; }
  virtual int WindowHeight() const { return 48; }

  static D3DPRESENT_PARAMETERS WindowedParams(UINT w, UINT h) {
    return windowed_device::WindowedParams(w, h);
  }

  std::vector<uint32_t> ReadBack() {
    std::vector<uint32_t> pixels(kWidth * kHeight);
    EXPECT_EQ(d3d8::ReadBackBuffer(device_, pixels.data(), kWidth, kHeight), D3D_OK);
    return pixels;
  }
  uint32_t Pixel(int x, int y) { return ReadBack()[y * kWidth + x]; }

  void ClearTo(D3DCOLOR c) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, c, 1.0f, 0), D3D_OK);
  }

  // A screen-space rectangle [x0, x1) x [y0, y1) as a two-triangle strip.
  void DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR c, float z = 0.5f) {
    RhwVertex v[4] = {{x0, y0, z, 1, c}, {x1, y0, z, 1, c}, {x0, y1, z, 1, c}, {x1, y1, z, 1, c}};
    ASSERT_EQ(device_->SetVertexShader(kRhwFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwVertex)), D3D_OK);
  }

  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

using pixel_channels::Blue;
using pixel_channels::Green;
using pixel_channels::Red;

}  // namespace d3d8test
