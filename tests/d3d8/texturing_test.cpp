// SPDX-License-Identifier: MIT
// Texture stages: select and modulate operations, the colour-keyed A1R5G5B5
// sprite texels dropped by alpha test 8 / GREATEREQUAL, filtering, a stage
// without a texture, and the second stage.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class TexturingTest : public DeviceTest {
 protected:
  // A 2 x 2 texture; texels are given top row first.
  IDirect3DTexture8* MakeTexture(D3DFORMAT format, const uint32_t* texels32, const WORD* texels16) {
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(2, 2, 1, 0, format, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT r{};
    EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) {
        BYTE* row = static_cast<BYTE*>(r.pBits) + y * r.Pitch;
        if (texels32)
          std::memcpy(row + 4 * x, &texels32[y * 2 + x], 4);
        else
          std::memcpy(row + 2 * x, &texels16[y * 2 + x], 2);
      }
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }

  // A textured screen quad [0, 32) x [0, 32) with u, v running 0..1.
  void DrawTexturedQuad(D3DCOLOR diffuse) {
    RhwTexVertex v[4] = {{0, 0, 0.5f, 1, diffuse, 0, 0},
                         {32, 0, 0.5f, 1, diffuse, 1, 0},
                         {0, 32, 0.5f, 1, diffuse, 0, 1},
                         {32, 32, 0.5f, 1, diffuse, 1, 1}};
    ASSERT_EQ(device_->SetVertexShader(kRhwTexFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex)), D3D_OK);
  }

  void AlphaTest(DWORD ref, DWORD func) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAREF, ref), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAFUNC, func), D3D_OK);
  }

  void SetStage(DWORD stage, DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp = D3DTOP_SELECTARG1) {
    ASSERT_EQ(device_->SetTextureStageState(stage, D3DTSS_COLOROP, colorOp), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp), D3D_OK);
  }
};

const uint32_t kFour[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

TEST_F(TexturingTest, SelectAndModulateOperations) {
  IDirect3DTexture8* t = MakeTexture(D3DFMT_A8R8G8B8, kFour, nullptr);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  ClearTo(0xFF000000);
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawTexturedQuad(0xFF808080);
  std::vector<uint32_t> p = ReadBack();
  EXPECT_EQ(p[4 * kWidth + 4], 0xFFFF0000u);  // point filtering: one texel per 16 x 16 block
  EXPECT_EQ(p[4 * kWidth + 20], 0xFF00FF00u);
  EXPECT_EQ(p[20 * kWidth + 4], 0xFF0000FFu);
  EXPECT_EQ(p[20 * kWidth + 20], 0xFFFFFFFFu);

  SetStage(0, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawTexturedQuad(0xFF123456);
  EXPECT_EQ(Pixel(4, 4), 0xFF123456u);

  SetStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawTexturedQuad(0xFF808040);
  uint32_t white = Pixel(20, 20);
  EXPECT_NEAR(Red(white), 0x80, 1);
  EXPECT_NEAR(Blue(white), 0x40, 1);
  EXPECT_EQ(Pixel(4, 4) & 0x00FFFF, 0u);

  SetStage(0, D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawTexturedQuad(0xFF804020);
  white = Pixel(20, 20);
  EXPECT_EQ(Red(white), 0xFF);  // saturates
  EXPECT_NEAR(Green(white), 0x80, 1);
  EXPECT_NEAR(Blue(white), 0x40, 1);

  SetStage(0, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawTexturedQuad(0xFF102030);
  EXPECT_EQ(Pixel(4, 4), 0xFFFF2030u);
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  t->Release();
}

TEST_F(TexturingTest, ColourKeyedTexelsVanishUnderAlphaTest) {
  // Left texels keyed out (0x0000), right texels opaque red (0xFC00).
  const WORD texels[4] = {0x0000, 0xFC00, 0x0000, 0xFC00};
  IDirect3DTexture8* t = MakeTexture(D3DFMT_A1R5G5B5, nullptr, texels);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  SetStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1);
  AlphaTest(8, D3DCMP_GREATEREQUAL);
  ClearTo(0xFF0000FF);
  DrawTexturedQuad(0xFFFFFFFF);
  EXPECT_EQ(Pixel(4, 4), 0xFF0000FFu);  // dropped: the blue clear shows
  EXPECT_EQ(Pixel(20, 4), 0xFFFF0000u);
  // Depth was not written where the texels were dropped.
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  DrawRect(0, 0, 32, 32, 0xFF00FF00, 0.9f);
  EXPECT_EQ(Pixel(4, 4), 0xFF00FF00u);
  EXPECT_EQ(Pixel(20, 4), 0xFFFF0000u);
  t->Release();
}

TEST_F(TexturingTest, OpaqueFormatsSampleAsOpaque) {
  const WORD texels[4] = {0x7C00, 0x7C00, 0x7C00, 0x7C00};  // X1R5G5B5 red, top bit clear
  IDirect3DTexture8* t = MakeTexture(D3DFMT_X1R5G5B5, nullptr, texels);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1);
  AlphaTest(0xFF, D3DCMP_EQUAL);
  ClearTo(0xFF000000);
  DrawTexturedQuad(0xFFFFFFFF);
  EXPECT_EQ(Pixel(8, 8), 0xFFFF0000u);
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  t->Release();
}

TEST_F(TexturingTest, LinearFilteringBlendsNeighbouringTexels) {
  const uint32_t texels[4] = {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF};
  IDirect3DTexture8* t = MakeTexture(D3DFMT_X8R8G8B8, texels, nullptr);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  ClearTo(0xFF000000);
  DrawTexturedQuad(0xFFFFFFFF);
  EXPECT_EQ(Pixel(15, 8), 0xFF000000u);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP), D3D_OK);
  DrawTexturedQuad(0xFFFFFFFF);
  const int mid = Red(Pixel(15, 8));
  EXPECT_GT(mid, 96);
  EXPECT_LT(mid, 160);
  EXPECT_EQ(Pixel(2, 8), 0xFF000000u);  // clamped at the edge: no wrap-around
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  t->Release();
}

TEST_F(TexturingTest, MipFilterPicksTheLevelOfTheMinification) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  const uint32_t levelColours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (UINT level = 0; level < 3; ++level) {
    D3DLOCKED_RECT r{};
    ASSERT_EQ(t->LockRect(level, &r, nullptr, 0), D3D_OK);
    const UINT side = 8 >> level;
    for (UINT i = 0; i < side * side; ++i) static_cast<uint32_t*>(r.pBits)[i] = levelColours[level];
    ASSERT_EQ(t->UnlockRect(level), D3D_OK);
  }
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  // Eight texels over four pixels: level 1 is the one that fits.
  RhwTexVertex v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                       {4, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                       {0, 4, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                       {4, 4, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
  ASSERT_EQ(device_->SetVertexShader(kRhwTexFvf), D3D_OK);
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex)), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xFFFF0000u);  // no mip filter: level 0 only
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex)), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  t->Release();
}

TEST_F(TexturingTest, StageWithoutTexturePassesTheDiffuseColour) {
  // The game's fade: MODULATE(TEXTURE, DIFFUSE) and alpha SELECTARG1(TEXTURE)
  // with no texture set leave the diffuse colour and alpha.
  SetStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
  ClearTo(0xFFFFFFFF);
  DrawRect(0, 0, 64, 48, 0x7F000000);
  EXPECT_NEAR(Red(Pixel(10, 10)), 128, 1);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), D3D_OK);
  ClearTo(0xFFFFFFFF);
  DrawRect(0, 0, 64, 48, 0x7F000000);
  EXPECT_NEAR(Red(Pixel(10, 10)), 128, 1);
}

TEST_F(TexturingTest, SecondStageCombinesWithTheFirst) {
  IDirect3DTexture8* t = MakeTexture(D3DFMT_A8R8G8B8, kFour, nullptr);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  ASSERT_EQ(device_->SetTexture(1, t), D3D_OK);
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  SetStage(1, D3DTOP_ADD, D3DTA_CURRENT, D3DTA_DIFFUSE);
  ASSERT_EQ(device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0), D3D_OK);
  ClearTo(0xFF000000);
  DrawTexturedQuad(0xFF000080);
  EXPECT_EQ(Pixel(4, 4), 0xFFFF0080u);
  SetStage(1, D3DTOP_DISABLE, D3DTA_CURRENT, D3DTA_DIFFUSE);
  DrawTexturedQuad(0xFF000080);
  EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetTexture(1, nullptr), D3D_OK);
  t->Release();
}

TEST_F(TexturingTest, ChangedTexelsReachTheNextDraw) {
  IDirect3DTexture8* t = MakeTexture(D3DFMT_A8R8G8B8, kFour, nullptr);
  IDirect3DTexture8* other = MakeTexture(D3DFMT_A8R8G8B8, kFour, nullptr);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  ASSERT_EQ(device_->SetTexture(1, other), D3D_OK);  // stage 1 bound too, passing stage 0 through
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  SetStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE);
  DrawTexturedQuad(0xFFFFFFFF);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  static_cast<uint32_t*>(r.pBits)[0] = 0xFF123456;
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  DrawTexturedQuad(0xFFFFFFFF);
  EXPECT_EQ(Pixel(4, 4), 0xFF123456u);
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetTexture(1, nullptr), D3D_OK);
  t->Release();
  other->Release();
}

}  // namespace
}  // namespace d3d8test
