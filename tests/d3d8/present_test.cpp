// SPDX-License-Identifier: MIT
// Presentation and display modes: the back buffer scaled into a window of
// another size (letterboxed where the shape differs), full screen and back, the lost-device cycle driven by
// the window's focus and minimise events, and what Reset requires first.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class PresentTest : public DeviceTest {
 protected:
  int WindowWidth() const override { return 128; }
  int WindowHeight() const override { return 96; }

  // A 32 x 20 picture over `pixels`, rows `pitchPixels` apart.
  static host::Picture Picture32x20(const std::vector<uint32_t>& pixels, int pitchPixels) {
    host::Picture picture;
    picture.pixels = pixels.data();
    picture.w = 32;
    picture.h = 20;
    picture.pitch = pitchPixels * 4;
    return picture;
  }

  void Inject(host::EventType type) {
    host::Event e;
    e.type = type;
    host::InjectEvent(e);
    host::PumpEvents(0);
  }

  static D3DPRESENT_PARAMETERS FullScreenParams(UINT w, UINT h) {
    D3DPRESENT_PARAMETERS pp = WindowedParams(w, h);
    pp.Windowed = FALSE;
    return pp;
  }
};

TEST_F(PresentTest, BackBufferIsStretchedIntoTheWindow) {
  ClearTo(0xFF000000);
  DrawRect(0, 0, 32, 48, 0xFFFF0000);
  DrawRect(32, 0, 64, 24, 0xFF00FF00);
  std::vector<uint32_t> shown(128 * 96);
  ASSERT_EQ(d3d8::ReadDrawable(device_, shown.data(), 128, 96), D3D_OK);
  EXPECT_EQ(shown[10 * 128 + 10], 0xFFFF0000u);
  EXPECT_EQ(shown[90 * 128 + 60], 0xFFFF0000u);  // 64 x 48 doubled: red reaches x = 63, y = 95
  EXPECT_EQ(shown[10 * 128 + 70], 0xFF00FF00u);
  EXPECT_EQ(shown[40 * 128 + 120], 0xFF00FF00u);
  EXPECT_EQ(shown[60 * 128 + 120], 0xFF000000u);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(PresentTest, WindowedBackBufferTakesTheClientSize) {
  D3DPRESENT_PARAMETERS pp = WindowedParams(0, 0);
  ASSERT_EQ(device_->Reset(&pp), D3D_OK);
  EXPECT_EQ(pp.BackBufferWidth, 128u);
  EXPECT_EQ(pp.BackBufferHeight, 96u);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC d{};
  ASSERT_EQ(back->GetDesc(&d), D3D_OK);
  EXPECT_EQ(d.Width, 128u);
  EXPECT_EQ(d.Height, 96u);
  back->Release();
  D3DVIEWPORT8 vp{};
  ASSERT_EQ(device_->GetViewport(&vp), D3D_OK);
  EXPECT_EQ(vp.Width, 128u);
}

TEST_F(PresentTest, ResetRestoresDefaultStatesAndNeedsDefaultPoolReleased) {
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  IDirect3DVertexBuffer8* dynamic = nullptr;
  ASSERT_EQ(
      device_->CreateVertexBuffer(8400, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic),
      D3D_OK);
  IDirect3DVertexBuffer8* managed = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &managed), D3D_OK);
  D3DPRESENT_PARAMETERS pp = WindowedParams(0, 0);
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
  dynamic->Release();
  ASSERT_EQ(device_->Reset(&pp), D3D_OK);
  DWORD lighting = 0;
  ASSERT_EQ(device_->GetRenderState(D3DRS_LIGHTING, &lighting), D3D_OK);
  EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
  DWORD z = 0;
  ASSERT_EQ(device_->GetRenderState(D3DRS_ZENABLE, &z), D3D_OK);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_TRUE));
  managed->Release();  // managed resources survive a reset
}

// A lost-device cycle and a windowed -> full screen -> windowed switch, as
// the game runs them, a hundred times: every reset and recreate succeeds.
TEST_F(PresentTest, LostDeviceAndModeSwitchCycles) {
  const UINT sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
  for (int i = 0; i < 100; ++i) {
    const UINT w = sizes[i % 3][0], h = sizes[i % 3][1];
    D3DPRESENT_PARAMETERS full = FullScreenParams(w, h);
    ASSERT_EQ(device_->Reset(&full), D3D_OK) << i;
    ASSERT_TRUE(host::IsFullScreen());
    ASSERT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    IDirect3DVertexBuffer8* text = nullptr;
    ASSERT_EQ(
        device_->CreateVertexBuffer(8400, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &text),
        D3D_OK);
    IDirect3DSurface8* config = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(640, 480, D3DFMT_X8R8G8B8, &config), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
    DrawRect(0, 0, 10, 10, 0xFFFFFFFF);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    Inject(i % 2 ? host::EventType::Minimized : host::EventType::FocusLost);
    ASSERT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    ASSERT_EQ(device_->Reset(&full), D3DERR_DEVICELOST);
    Inject(i % 2 ? host::EventType::Restored : host::EventType::FocusGained);
    ASSERT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

    // The game releases its volatile objects, resets, and recreates them.
    text->Release();
    config->Release();
    ASSERT_EQ(device_->Reset(&full), D3D_OK);
    ASSERT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(
        device_->CreateVertexBuffer(8400, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &text),
        D3D_OK);
    text->Release();

    D3DPRESENT_PARAMETERS windowed = WindowedParams(0, 0);
    ASSERT_EQ(device_->Reset(&windowed), D3D_OK);
    ASSERT_FALSE(host::IsFullScreen());
    // A windowed device is never lost.
    Inject(host::EventType::FocusLost);
    ASSERT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    Inject(host::EventType::FocusGained);
  }
}

// Loss is latched by the window going away itself: a device nobody calls
// while its window is away still needs its Reset once the window is back.
TEST_F(PresentTest, LossIsSeenEvenWhenNothingAsksWhileAway) {
  D3DPRESENT_PARAMETERS full = FullScreenParams(640, 480);
  ASSERT_EQ(device_->Reset(&full), D3D_OK);
  Inject(host::EventType::FocusLost);
  Inject(host::EventType::FocusGained);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  ASSERT_EQ(device_->Reset(&full), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  D3DPRESENT_PARAMETERS windowed = WindowedParams(0, 0);
  ASSERT_EQ(device_->Reset(&windowed), D3D_OK);
}

TEST_F(PresentTest, FullScreenOnAnotherShapeIsLetterboxed) {
  D3DPRESENT_PARAMETERS full = FullScreenParams(64, 48);
  ASSERT_EQ(device_->Reset(&full), D3D_OK);
  ClearTo(0xFFFFFFFF);
  // Drawn into a 128 x 48 drawable, the 4:3 picture keeps its shape.
  std::vector<uint32_t> shown(128 * 48);
  ASSERT_EQ(d3d8::ReadDrawable(device_, shown.data(), 128, 48), D3D_OK);
  EXPECT_EQ(shown[24 * 128 + 10], 0xFF000000u);
  EXPECT_EQ(shown[24 * 128 + 64], 0xFFFFFFFFu);
  EXPECT_EQ(shown[24 * 128 + 118], 0xFF000000u);
  D3DPRESENT_PARAMETERS windowed = WindowedParams(0, 0);
  ASSERT_EQ(device_->Reset(&windowed), D3D_OK);
}

// A window dragged to another shape shows the whole 4:3 picture undistorted
// between black bars, in the drawable's real pixels, on both sides of 4:3.
TEST_F(PresentTest, ResizedWindowOfAnotherShapeIsLetterboxed) {
  ClearTo(0xFFFFFFFF);
  DrawRect(24, 16, 40, 32, 0xFFFF0000);  // a 16 x 16 square in the 64 x 48 picture
  struct Shape {
    int w, h;
    int x, y, scale;  // where the picture lands and how much it grows
  };
  const Shape shapes[] = {{256, 96, 64, 0, 2}, {128, 192, 0, 48, 2}, {320, 240, 0, 0, 5}};
  for (const Shape& s : shapes) {
    host::SetClientSize(s.w, s.h);
    int dw = 0, dh = 0;
    host::GetDrawableSize(&dw, &dh);
    ASSERT_EQ(dw, s.w);
    ASSERT_EQ(dh, s.h);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    std::vector<uint32_t> shown(static_cast<size_t>(dw) * dh);
    ASSERT_EQ(d3d8::ReadDrawable(device_, shown.data(), dw, dh), D3D_OK);
    auto at = [&](int x, int y) { return shown[static_cast<size_t>(y) * dw + x]; };
    // Bars: everything outside the picture's rectangle is black.
    const int right = s.x + 64 * s.scale, bottom = s.y + 48 * s.scale;
    for (int y = 0; y < dh; y += 3) {
      for (int x = 0; x < dw; x += 3) {
        const bool bar = x < s.x || x >= right || y < s.y || y >= bottom;
        if (bar) {
          ASSERT_EQ(at(x, y), 0xFF000000u) << x << "," << y;
        }
      }
    }
    // The picture: white around a red square that stays square (green is
    // below half only inside the red).
    EXPECT_EQ(at(s.x + 2 * s.scale, s.y + 2 * s.scale), 0xFFFFFFFFu);
    EXPECT_EQ(at(right - 2 * s.scale, bottom - 2 * s.scale), 0xFFFFFFFFu);
    int redW = 0, redH = 0;
    const int cx = s.x + 32 * s.scale, cy = s.y + 24 * s.scale;
    for (int x = s.x; x < right; ++x) redW += Green(at(x, cy)) < 128;
    for (int y = s.y; y < bottom; ++y) redH += Green(at(cx, y)) < 128;
    EXPECT_NEAR(redW, 16 * s.scale, 2) << s.w << "x" << s.h;
    EXPECT_NEAR(redH, 16 * s.scale, 2) << s.w << "x" << s.h;
  }
}

TEST_F(PresentTest, GdiPictureIsShownThroughTheDeviceUntilItIsReleased) {
  std::vector<uint32_t> pixels(40 * 20, 0x00FF8000);
  const host::Picture picture = Picture32x20(pixels, 40);
  host::PresentPicture(picture);
  // Drawing goes on unharmed by the picture's own OpenGL work.
  ClearTo(0xFF000000);
  DrawRect(0, 0, 8, 8, 0xFF00FF00);
  EXPECT_EQ(Pixel(4, 4), 0xFF00FF00u);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  host::PresentPicture(picture);  // host's own way again: the released device is not reached
}

// The device's first frame lets the picture's copy go; a picture after it is
// uploaded again, and a texture made after the release is drawn with.
TEST_F(PresentTest, AFrameReleasesTheGdiPictureAndALaterPictureComesBack) {
  std::vector<uint32_t> pixels(32 * 20, 0x000080FF);
  const host::Picture picture = Picture32x20(pixels, 32);
  for (int round = 0; round < 2; ++round) {
    host::PresentPicture(picture);
    ClearTo(0xFF000000);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] = 0xFF00FF00;
    texture->UnlockRect(0);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    DrawRect(0, 0, 16, 16, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(8, 8), 0xFF00FF00u) << "round " << round;
    device_->SetTexture(0, nullptr);
    texture->Release();
  }
}

}  // namespace
}  // namespace d3d8test
