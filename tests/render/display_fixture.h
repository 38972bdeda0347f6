// SPDX-License-Identifier: MIT
// The game's display for drawing tests: the real main window on the
// offscreen driver and CreateDisplay with the generated media (models,
// sprite sheets), so meshes are drawn with the game's light, material and
// projection; plus read-back helpers on the back buffer.
#pragma once

#include "pixel_channels.h"
#include <d3d8_glorbs.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/app_globals.h"
#include "app/display.h"
#include "app/main_window.h"
#include "render/scene_camera.h"
#include "win32/debug_capture.h"

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    debug_ = std::make_unique<DebugCapture>();
    fullScreen = false;
    displayReady = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_EQ(CreateDisplay(mainWindow), S_OK) << debug_->text;
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc = {};
    back->GetDesc(&desc);
    back->Release();
    width_ = desc.Width;
    height_ = desc.Height;
  }

  void TearDown() override {
    if (IsWindow(mainWindow)) DestroyWindow(mainWindow);  // WM_DESTROY releases the display
    DestroyDisplay();
    mainWindow = nullptr;
    sceneCamera = SceneCamera();  // the display aimed the one global camera
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    debug_.reset();
  }

  // Aims the game's camera and hands its view to the device, as a frame does.
  void LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
    sceneCamera.SetView(eye, at, D3DXVECTOR3(0, 1, 0));
    const D3DXMATRIX view = sceneCamera.GetViewMatrix();
    device->SetTransform(D3DTS_VIEW, &view);
  }

  void SetWorld(const D3DXMATRIX& world) { device->SetTransform(D3DTS_WORLD, &world); }

  std::vector<uint32_t> ReadBack() {
    std::vector<uint32_t> pixels(width_ * height_);
    EXPECT_EQ(d3d8::ReadBackBuffer(device, pixels.data(), width_, height_), D3D_OK);
    return pixels;
  }

  std::unique_ptr<DebugCapture> debug_;
  UINT width_ = 0;
  UINT height_ = 0;
};

using pixel_channels::Blue;
using pixel_channels::Green;
using pixel_channels::Red;
inline int Brightness(uint32_t p) {
  return Red(p) + Green(p) + Blue(p);
}
