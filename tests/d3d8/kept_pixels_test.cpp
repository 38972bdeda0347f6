// SPDX-License-Identifier: MIT
// Texture bytes that go once OpenGL holds them: every format and level
// locks back exactly as written, sub-rectangle and read-only locks, copies
// to and from a level whose bytes went, a Reset and a lost OpenGL context
// keep the texels, and image surfaces hold no bytes before their first use.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class KeptPixelsTest : public DeviceTest {
 protected:
  // Fills every level of `t` with bytes that depend on the level, the byte
  // and `seed`.
  static void Fill(IDirect3DTexture8* t, int seed) {
    for (UINT level = 0; level < t->GetLevelCount(); ++level) {
      D3DSURFACE_DESC d{};
      ASSERT_EQ(t->GetLevelDesc(level, &d), D3D_OK);
      D3DLOCKED_RECT r{};
      ASSERT_EQ(t->LockRect(level, &r, nullptr, 0), D3D_OK);
      BYTE* bytes = static_cast<BYTE*>(r.pBits);
      for (UINT i = 0; i < d.Size; ++i) bytes[i] = Expected(level, i, seed);
      ASSERT_EQ(t->UnlockRect(level), D3D_OK);
    }
  }
  static BYTE Expected(UINT level, UINT i, int seed) { return static_cast<BYTE>(i * 37 + level * 11 + seed); }

  // Each level of `t` as a read-only lock shows it equals what Fill wrote.
  static void ExpectFilled(IDirect3DTexture8* t, int seed) {
    for (UINT level = 0; level < t->GetLevelCount(); ++level) {
      D3DSURFACE_DESC d{};
      ASSERT_EQ(t->GetLevelDesc(level, &d), D3D_OK);
      D3DLOCKED_RECT r{};
      ASSERT_EQ(t->LockRect(level, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
      const BYTE* bytes = static_cast<const BYTE*>(r.pBits);
      for (UINT i = 0; i < d.Size; ++i)
        ASSERT_EQ(bytes[i], Expected(level, i, seed))
            << "format " << d.Format << " level " << level << " byte " << i;
      ASSERT_EQ(t->UnlockRect(level), D3D_OK);
    }
  }

  // Draws a small quad with `t` on stage 0, which uploads it (the read-back
  // submits the draw).
  void DrawWith(IDirect3DTexture8* t) {
    RhwTexVertex v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                         {4, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                         {0, 4, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                         {4, 4, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
    ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(kRhwTexFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex)), D3D_OK);
    ReadBack();
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  }

  // A 2 x 2 A8R8G8B8 texture of four colours, drawn texel for pixel over
  // [0, 32) x [0, 32); gives the colour at the centre of each quarter.
  IDirect3DTexture8* FourColours() {
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT r{};
    EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    const uint32_t texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (int y = 0; y < 2; ++y) std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch, texels + 2 * y, 8);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }
  std::vector<uint32_t> DrawQuarters(IDirect3DTexture8* t) {
    ClearTo(0xFF000000);
    RhwTexVertex v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                         {32, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                         {0, 32, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                         {32, 32, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
    EXPECT_EQ(device_->SetTexture(0, t), D3D_OK);
    EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE), D3D_OK);
    EXPECT_EQ(device_->SetVertexShader(kRhwTexFvf), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex)), D3D_OK);
    EXPECT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    return {Pixel(8, 8), Pixel(24, 8), Pixel(8, 24), Pixel(24, 24)};
  }
};

TEST_F(KeptPixelsTest, EveryFormatAndLevelLocksBackAsWrittenAfterItsBytesWent) {
  const D3DFORMAT formats[] = {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
                               D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_X4R4G4B4, D3DFMT_R8G8B8};
  for (D3DFORMAT format : formats) {
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device_->CreateTexture(7, 5, 0, 0, format, D3DPOOL_MANAGED, &t), D3D_OK) << format;
    const size_t before = d3d8::KeptPixelBytes();
    Fill(t, static_cast<int>(format));
    EXPECT_GT(d3d8::KeptPixelBytes(), before);
    DrawWith(t);
    EXPECT_EQ(d3d8::KeptPixelBytes(), before) << "the uploaded bytes stay, format " << format;
    ExpectFilled(t, static_cast<int>(format));
    // A look changes nothing, so the bytes go again.
    EXPECT_EQ(d3d8::KeptPixelBytes(), before);
    EXPECT_EQ(t->Release(), 0u);
  }
}

TEST_F(KeptPixelsTest, SubRectangleWriteAfterTheBytesWentKeepsTheRestAndIsDrawn) {
  IDirect3DTexture8* t = FourColours();
  EXPECT_EQ(DrawQuarters(t), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
  const size_t gone = d3d8::KeptPixelBytes();
  RECT right = {1, 0, 2, 2};
  D3DLOCKED_RECT r{};
  ASSERT_EQ(t->LockRect(0, &r, &right, 0), D3D_OK);
  *static_cast<uint32_t*>(r.pBits) = 0xFF102030;  // texel (1, 0)
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(DrawQuarters(t), (std::vector<uint32_t>{0xFFFF0000, 0xFF102030, 0xFF0000FF, 0xFFFFFFFF}));
  // Edited after it was drawn: it keeps its bytes from now on.
  EXPECT_EQ(d3d8::KeptPixelBytes(), gone + 16);
  ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint32_t*>(r.pBits)[0], 0xFFFF0000u);
  EXPECT_EQ(static_cast<const uint32_t*>(r.pBits)[1], 0xFF102030u);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  // A second lock of a held level is refused and reads nothing back.
  ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  D3DLOCKED_RECT again{};
  EXPECT_EQ(t->LockRect(0, &again, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(t->Release(), 0u);
}

TEST_F(KeptPixelsTest, CopiesToAndFromALevelWhoseBytesWent) {
  IDirect3DTexture8* t = FourColours();
  DrawQuarters(t);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(0, &level), D3D_OK);
  // Out of the level: its texels come back from OpenGL.
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(2, 2, D3DFMT_A8R8G8B8, &image), D3D_OK);
  ASSERT_EQ(device_->CopyRects(level, nullptr, 0, image, nullptr), D3D_OK);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(image->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint32_t*>(r.pBits)[1], 0xFF00FF00u);
  EXPECT_EQ(*reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(r.pBits) + r.Pitch), 0xFF0000FFu);
  ASSERT_EQ(image->UnlockRect(), D3D_OK);
  // Into part of it: the texels outside the copy stay.
  RECT one = {0, 0, 1, 1};
  ASSERT_EQ(image->LockRect(&r, &one, 0), D3D_OK);
  *static_cast<uint32_t*>(r.pBits) = 0xFF405060;
  ASSERT_EQ(image->UnlockRect(), D3D_OK);
  POINT to = {1, 1};
  ASSERT_EQ(device_->CopyRects(image, &one, 1, level, &to), D3D_OK);
  EXPECT_EQ(DrawQuarters(t), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF405060}));
  // Over all of it: what was there does not matter.
  ASSERT_EQ(device_->CopyRects(image, nullptr, 0, level, nullptr), D3D_OK);
  EXPECT_EQ(DrawQuarters(t), (std::vector<uint32_t>{0xFF405060, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
  level->Release();
  image->Release();
  EXPECT_EQ(t->Release(), 0u);
}

TEST_F(KeptPixelsTest, AResetKeepsAManagedTexturesTexels) {
  IDirect3DTexture8* t = FourColours();
  const std::vector<uint32_t> drawn = DrawQuarters(t);
  D3DPRESENT_PARAMETERS pp = WindowedParams(kWidth, kHeight);
  ASSERT_EQ(device_->Reset(&pp), D3D_OK);
  EXPECT_EQ(DrawQuarters(t), drawn);
  EXPECT_EQ(t->Release(), 0u);
}

TEST_F(KeptPixelsTest, ALostContextHandsTheTexelsBack) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(6, 6, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t), D3D_OK);
  Fill(t, 5);
  DrawWith(t);
  const size_t gone = d3d8::KeptPixelBytes();
  host::DestroyGLContext();
  EXPECT_GT(d3d8::KeptPixelBytes(), gone);
  ExpectFilled(t, 5);
  EXPECT_EQ(t->Release(), 0u);
  // The device goes (in TearDown) with no context left: its programs and
  // buffers died with it, and nothing calls into OpenGL for them.
}

// 16-bit textures are stored at their own size: drawn texel for pixel they
// show every channel widened to 8 bits exactly as from 32-bit storage.
TEST_F(KeptPixelsTest, SixteenBitTexelsDrawWidenedExactly) {
  struct Case {
    D3DFORMAT format;
    WORD texels[4];
    uint32_t shown[4];
  };
  const Case cases[] = {
      {D3DFMT_A4R4G4B4, {0xF123, 0xF9AB, 0xFEDC, 0xF70F}, {0xFF112233, 0xFF99AABB, 0xFFEEDDCC, 0xFF7700FF}},
      {D3DFMT_A1R5G5B5,
       {0x8000 | (1 << 10) | (17 << 5) | 30, 0x8000 | (31 << 10) | 2, 0x8000 | (9 << 5) | 5, 0xFFFF},
       {0xFF088CF7, 0xFFFF0010, 0xFF004A29, 0xFFFFFFFF}},
  };
  for (const Case& c : cases) {
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, c.format, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT r{};
    ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 2; ++y) std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch, c.texels + 2 * y, 4);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(DrawQuarters(t), std::vector<uint32_t>(c.shown, c.shown + 4)) << c.format;
    EXPECT_EQ(t->Release(), 0u);
  }
}

TEST_F(KeptPixelsTest, ImageSurfacesAndUnwrittenLevelsHoldNoBytesUntilUsed) {
  const size_t before = d3d8::KeptPixelBytes();
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(64, 64, D3DFMT_A8R8G8B8, &image), D3D_OK);
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(d3d8::KeptPixelBytes(), before);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(image->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(static_cast<const uint32_t*>(r.pBits)[i], 0u);
  ASSERT_EQ(image->UnlockRect(), D3D_OK);
  EXPECT_EQ(d3d8::KeptPixelBytes(), before + 64 * 64 * 4);
  // A texture never written draws as zeros (transparent black).
  ClearTo(0xFF808080);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE), D3D_OK);
  DrawWith(t);
  EXPECT_EQ(Pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(image->Release(), 0u);
  EXPECT_EQ(d3d8::KeptPixelBytes(), before);
  EXPECT_EQ(t->Release(), 0u);
}

}  // namespace
}  // namespace d3d8test
