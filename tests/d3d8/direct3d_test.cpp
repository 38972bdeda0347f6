// SPDX-License-Identifier: MIT
// The adapter object: version check, the format choices the game makes at
// start-up, capabilities, and device creation's refusals.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

using Direct3DTest = DeviceTest;

TEST_F(Direct3DTest, OnlyTheGamesSdkVersionIsServed) {
  EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION + 1), nullptr);
  EXPECT_EQ(Direct3DCreate8(0), nullptr);
}

TEST_F(Direct3DTest, FormatChoicesOfTheGame) {
  D3DDISPLAYMODE desktop{};
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
  EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
  EXPECT_GT(desktop.Width, 0u);
  // Full-screen candidates in the game's order: the first that passes wins.
  const D3DFORMAT fullScreen[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8,
                                  D3DFMT_A8R8G8B8};
  D3DFORMAT chosen = D3DFMT_UNKNOWN;
  for (D3DFORMAT f : fullScreen)
    if (chosen == D3DFMT_UNKNOWN &&
        SUCCEEDED(d3d_->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, f, f, FALSE)))
      chosen = f;
  EXPECT_EQ(chosen, D3DFMT_X8R8G8B8);
  // Texture candidates: A1R5G5B5 is offered, so the sprites use it.
  EXPECT_EQ(d3d_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop.Format, 0, D3DRTYPE_TEXTURE,
                                    D3DFMT_A1R5G5B5),
            D3D_OK);
  EXPECT_EQ(d3d_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop.Format, 0, D3DRTYPE_TEXTURE,
                                    D3DFMT_DXT1),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->GetAdapterDisplayMode(1, &desktop), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, CapabilitiesTheGameReads) {
  D3DCAPS8 caps{};
  ASSERT_EQ(d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_GE(caps.MaxTextureWidth, 1024u);  // the 48-point font needs 1024 x 1024
  EXPECT_EQ(caps.MaxTextureBlendStages, 2u);
  EXPECT_EQ(caps.MaxSimultaneousTextures, 2u);
  EXPECT_GE(caps.MaxActiveLights, 1u);
  EXPECT_EQ(d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, DeviceCreationRefusals) {
  D3DPRESENT_PARAMETERS pp = WindowedParams(0, 0);
  IDirect3DDevice8* other = reinterpret_cast<IDirect3DDevice8*>(1);
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &other),
            D3DERR_NOTAVAILABLE);  // one device at a time
  EXPECT_EQ(other, nullptr);
  device_->Release();
  device_ = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &other),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &pp, &other),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, nullptr, &other),
            D3DERR_INVALIDCALL);
  D3DPRESENT_PARAMETERS bad = pp;
  bad.BackBufferFormat = D3DFMT_R5G6B5;
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &bad, &other),
            D3DERR_INVALIDCALL);
  bad = pp;
  bad.AutoDepthStencilFormat = D3DFMT_A8R8G8B8;
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &bad, &other),
            D3DERR_INVALIDCALL);
  // The game's own parameters work, and the device outlives the adapter object.
  ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_),
            D3D_OK);
  EXPECT_EQ(pp.BackBufferWidth, 64u);
  EXPECT_EQ(d3d_->Release(), 1u);
  d3d_ = nullptr;
  IDirect3D8* owner = nullptr;
  ASSERT_EQ(device_->GetDirect3D(&owner), D3D_OK);
  EXPECT_EQ(owner->Release(), 1u);
}

}  // namespace
}  // namespace d3d8test
