// SPDX-License-Identifier: MIT
// Rasterising as Direct3D 8 defines it: pre-transformed quads cover exactly
// the pixels they name, depth occludes and obeys its write switch, culling
// follows Direct3D's winding, blending and alpha test combine as documented.
#include <algorithm>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

using RasterTest = DeviceTest;

TEST_F(RasterTest, PretransformedQuadCoversExactlyThePixelsItNames) {
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  ClearTo(0xFF000000);
  DrawRect(10, 5, 20, 12, 0xFFFF0000);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  std::vector<uint32_t> p = ReadBack();
  for (int y = 0; y < static_cast<int>(kHeight); ++y)
    for (int x = 0; x < static_cast<int>(kWidth); ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 5 && y < 12;
      ASSERT_EQ(p[y * kWidth + x], inside ? 0xFFFF0000u : 0xFF000000u) << x << "," << y;
    }
}

TEST_F(RasterTest, DepthOccludesAndWritesCanBeTurnedOff) {
  ClearTo(0xFF000000);
  DrawRect(0, 0, 32, 48, 0xFFFF0000, 0.2f);  // near
  DrawRect(0, 0, 64, 48, 0xFF00FF00, 0.8f);  // far: hidden where the near one is
  EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(40, 5), 0xFF00FF00u);

  ClearTo(0xFF000000);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
  DrawRect(0, 0, 32, 48, 0xFFFF0000, 0.2f);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), D3D_OK);
  DrawRect(0, 0, 64, 48, 0xFF00FF00, 0.8f);
  EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u);  // the near quad left no depth behind

  ClearTo(0xFF000000);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
  DrawRect(0, 0, 32, 48, 0xFFFF0000, 0.2f);
  DrawRect(0, 0, 64, 48, 0xFF00FF00, 0.8f);
  EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u);  // no depth test: the last one drawn wins
}

// Triangle in the top-left corner; `clockwise` as seen on the screen.
void DrawCornerTriangle(IDirect3DDevice8* device, bool clockwise) {
  RhwVertex a{0, 0, 0.5f, 1, 0xFFFFFFFF}, b{16, 0, 0.5f, 1, 0xFFFFFFFF}, c{0, 16, 0.5f, 1, 0xFFFFFFFF};
  RhwVertex v[3] = {a, clockwise ? b : c, clockwise ? c : b};
  ASSERT_EQ(device->SetVertexShader(kRhwFvf), D3D_OK);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(RhwVertex)), D3D_OK);
}

TEST_F(RasterTest, CullingFollowsDirect3DWinding) {
  struct Case {
    DWORD cull;
    bool clockwise, drawn;
  } cases[] = {{D3DCULL_CCW, true, true}, {D3DCULL_CCW, false, false}, {D3DCULL_CW, true, false},
               {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true},  {D3DCULL_NONE, false, true}};
  for (const Case& c : cases) {
    ClearTo(0xFF000000);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, c.cull), D3D_OK);
    DrawCornerTriangle(device_, c.clockwise);
    EXPECT_EQ(Pixel(2, 2), c.drawn ? 0xFFFFFFFFu : 0xFF000000u) << c.cull << " " << c.clockwise;
  }
  // Transformed geometry: with identity transforms, (-1, 1) is the top-left
  // corner; this triangle runs clockwise on the screen and the default
  // culling (CCW) keeps it.
  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  struct V {
    float x, y, z;
    D3DCOLOR c;
  } tri[3] = {{-1, 1, 0.5f, 0xFF00FF00}, {1, 1, 0.5f, 0xFF00FF00}, {-1, -1, 0.5f, 0xFF00FF00}};
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(V)), D3D_OK);
  EXPECT_EQ(Pixel(2, 2), 0xFF00FF00u);
  EXPECT_EQ(Pixel(62, 46), 0xFF000000u);
}

TEST_F(RasterTest, AdditiveAndAlphaBlending) {
  ClearTo(0xFF202020);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE), D3D_OK);
  DrawRect(0, 0, 64, 48, 0x00403010);
  DrawRect(0, 0, 64, 48, 0x00F00000);
  EXPECT_EQ(Pixel(30, 30), 0xFFFF5030u);  // saturates at 255

  ClearTo(0xFF0000FF);
  ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
  DrawRect(0, 0, 64, 48, 0x80FF0000);
  uint32_t p = Pixel(30, 30);
  EXPECT_NEAR(Red(p), 128, 1);
  EXPECT_NEAR(Blue(p), 127, 1);
  EXPECT_EQ(Green(p), 0);

  // The back buffer has no alpha of its own: DESTALPHA reads as 1.
  ClearTo(0x000000FF);
  ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA), D3D_OK);
  DrawRect(0, 0, 64, 48, 0xFFFF0000);
  EXPECT_EQ(Pixel(30, 30), 0xFF0000FFu);
}

TEST_F(RasterTest, AlphaTestEveryComparison) {
  ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAREF, 0x80), D3D_OK);
  const struct {
    DWORD func;
    bool below, equal, above;  // drawn for alpha 0x7F, 0x80, 0x81
  } cases[] = {{D3DCMP_NEVER, false, false, false},      {D3DCMP_LESS, true, false, false},
               {D3DCMP_EQUAL, false, true, false},       {D3DCMP_LESSEQUAL, true, true, false},
               {D3DCMP_GREATER, false, false, true},     {D3DCMP_NOTEQUAL, true, false, true},
               {D3DCMP_GREATEREQUAL, false, true, true}, {D3DCMP_ALWAYS, true, true, true}};
  for (const auto& c : cases) {
    ClearTo(0xFF000000);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAFUNC, c.func), D3D_OK);
    DrawRect(0, 0, 10, 10, 0x7FFFFFFF);
    DrawRect(10, 0, 20, 10, 0x80FFFFFF);
    DrawRect(20, 0, 30, 10, 0x81FFFFFF);
    std::vector<uint32_t> p = ReadBack();
    EXPECT_EQ(p[5 * kWidth + 5] == 0xFFFFFFFFu, c.below) << c.func;
    EXPECT_EQ(p[5 * kWidth + 15] == 0xFFFFFFFFu, c.equal) << c.func;
    EXPECT_EQ(p[5 * kWidth + 25] == 0xFFFFFFFFu, c.above) << c.func;
  }
}

TEST_F(RasterTest, ClearsStayInsideTheViewportAndRectangles) {
  ClearTo(0xFF000000);
  D3DVIEWPORT8 vp = {8, 4, 16, 8, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
  D3DRECT r = {0, 0, 10, 6};
  ASSERT_EQ(device_->Clear(1, &r, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  std::vector<uint32_t> p = ReadBack();
  EXPECT_EQ(p[4 * kWidth + 8], 0xFFFF0000u);   // rectangle within the viewport
  EXPECT_EQ(p[5 * kWidth + 10], 0xFF00FF00u);  // viewport only
  EXPECT_EQ(p[3 * kWidth + 8], 0xFF000000u);   // rectangle outside the viewport
  EXPECT_EQ(p[11 * kWidth + 23], 0xFF00FF00u);
  EXPECT_EQ(p[12 * kWidth + 24], 0xFF000000u);
  // The whole target as viewport: a clear reaches every pixel, and a
  // smaller viewport after it limits the next clear again.
  D3DVIEWPORT8 whole = {0, 0, kWidth, kHeight, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&whole), D3D_OK);
  ClearTo(0xFF0000FF);
  p = ReadBack();
  EXPECT_EQ(std::count(p.begin(), p.end(), 0xFF0000FFu), static_cast<long>(p.size()));
  ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->SetViewport(&whole), D3D_OK);
  ASSERT_EQ(device_->Clear(1, &r, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
  p = ReadBack();
  EXPECT_EQ(std::count(p.begin(), p.end(), 0xFFFFFFFFu), 16 * 8 - 2 * 2);
  EXPECT_EQ(std::count(p.begin(), p.end(), 0xFF00FF00u), 10 * 6);
}

TEST_F(RasterTest, WireframeDrawsEdgesOnly) {
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME), D3D_OK);
  DrawRect(10, 10, 40, 40, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(25, 30), 0xFF000000u);
  int lit = 0;
  for (int y = 8; y < 14; ++y) lit += Pixel(25, y) == 0xFFFFFFFFu;
  EXPECT_GT(lit, 0);
}

}  // namespace
}  // namespace d3d8test
