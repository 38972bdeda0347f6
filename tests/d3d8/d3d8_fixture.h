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
#include <functional>
#include <utility>
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

  // A scene drawn once with draws gathered and once one OpenGL draw per
  // call, each on a fresh clear: how many pixels differ, how many show more
  // than the clear, and the OpenGL draws of each way.
  struct BothWays {
    size_t differing = 0, drawn = 0, pixels = 0;
    uint64_t gathered = 0, apart = 0;
  };
  BothWays DrawBothWays(const std::function<void()>& scene, D3DCOLOR clear = 0xFF203040) {
    std::vector<uint32_t> pictures[2];
    uint64_t draws[2] = {};
    for (int apart = 0; apart < 2; ++apart) {
      EXPECT_EQ(d3d8::SetDrawCoalescing(device_, apart ? FALSE : TRUE), D3D_OK);
      ClearTo(clear);
      EXPECT_EQ(device_->BeginScene(), D3D_OK);
      const uint64_t before = d3d8::GetCounters().draws;
      scene();
      EXPECT_EQ(device_->EndScene(), D3D_OK);
      draws[apart] = d3d8::GetCounters().draws - before;
      pictures[apart] = ReadBack();
    }
    EXPECT_EQ(d3d8::SetDrawCoalescing(device_, TRUE), D3D_OK);
    BothWays r;
    r.gathered = draws[0], r.apart = draws[1], r.pixels = pictures[1].size();
    for (size_t i = 0; i < pictures[1].size(); ++i) {
      r.differing += pictures[0][i] != pictures[1][i];
      r.drawn += pictures[1][i] != (clear | 0xFF000000u);
    }
    return r;
  }

  // Draws `scene` both ways: the pictures must be equal and show more than
  // the clear on at least 1 / `drawnPart` of the pixels. Gives the OpenGL
  // draws, gathered first.
  std::pair<uint64_t, uint64_t> Compare(const std::function<void()>& scene, size_t drawnPart = 16) {
    const BothWays r = DrawBothWays(scene);
    EXPECT_EQ(r.differing, 0u);
    EXPECT_GT(r.drawn, r.pixels / drawnPart);
    return {r.gathered, r.apart};
  }

  // Lighting on with one white-ish directional light along `direction`,
  // ambient `ambient`, no culling: what the lit-mesh tests share.
  void LightScene(D3DVECTOR direction, D3DCOLOR ambient) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 0.9f, 0.8f, 1.0f};
    light.Direction = direction;
    ASSERT_EQ(device_->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device_->LightEnable(0, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_AMBIENT, ambient), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
  }

  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

using pixel_channels::Blue;
using pixel_channels::Green;
using pixel_channels::Red;

}  // namespace d3d8test
