// SPDX-License-Identifier: MIT
// Transform, material, lights and texture factor are shared by every
// generated program: whatever program drew last, a draw must see the values
// set for it. Lit quads show their material's emissive colour exactly (no
// ambient, no diffuse), unlit ones the texture factor or their vertex
// colour, so each region's pixel is known.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                   kYellow = 0xFFFFFF00, kClear = 0xFF000000;

struct PlainVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  D3DCOLOR color;
};

class UniformGroupsTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    // Identity view and projection: a world moves a quad straight across
    // the screen. One light, lighting nothing (no diffuse material).
    D3DMATRIX identity = Identity();
    ASSERT_EQ(device_->SetTransform(D3DTS_VIEW, &identity), D3D_OK);
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &identity), D3D_OK);
    LightScene({0.0f, 0.0f, 1.0f}, 0);
  }

  void Emissive(D3DCOLOR c) {
    D3DMATERIAL8 m{};
    m.Emissive = {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, 1.0f};
    m.Diffuse.a = 1.0f;
    ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
  }

  void World(float x, float y) {
    D3DMATRIX w = Identity();
    w._41 = x, w._42 = y;
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &w), D3D_OK);
  }

  // A lit quad 0.3 wide about the world's origin.
  void LitQuad() {
    const LitVertex v[4] = {{-0.15f, 0.15f, 0.5f, 0, 0, -1},
                            {0.15f, 0.15f, 0.5f, 0, 0, -1},
                            {-0.15f, -0.15f, 0.5f, 0, 0, -1},
                            {0.15f, -0.15f, 0.5f, 0, 0, -1}};
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(kLitFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(LitVertex)), D3D_OK);
  }

  // An unlit quad of colour `c` in the world (gathered with others like it).
  void PlainQuad(D3DCOLOR c) {
    const PlainVertex v[4] = {{-0.15f, 0.15f, 0.5f, c},
                              {0.15f, 0.15f, 0.5f, c},
                              {-0.15f, -0.15f, 0.5f, c},
                              {0.15f, -0.15f, 0.5f, c}};
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(PlainVertex)), D3D_OK);
  }

  // A screen rectangle coloured by the texture factor.
  void FactorRect(float x0, float y0, D3DCOLOR factor) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_TEXTUREFACTOR, factor), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    DrawRect(x0, y0, x0 + 8, y0 + 8, kClear);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE), D3D_OK);
  }

  // The pixel at the centre of a quad placed at world (x, y).
  uint32_t At(const std::vector<uint32_t>& p, float x, float y) {
    const int px = static_cast<int>((x + 1.0f) * 0.5f * kWidth),
              py = static_cast<int>((1.0f - y) * 0.5f * kHeight);
    return p[py * kWidth + px];
  }
};

TEST_F(UniformGroupsTest, EachProgramSeesTheValuesSetForItsDraw) {
  ClearTo(kClear);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  Emissive(kRed);
  World(-0.6f, 0.5f);
  LitQuad();
  // Another program in between, while material and world change.
  FactorRect(2, 40, kGreen);
  Emissive(kBlue);
  World(0.0f, 0.5f);
  LitQuad();
  // Unlit quads gathered and drawn with a world of their own; then the lit
  // program again with the world it was given.
  World(-0.6f, -0.4f);
  PlainQuad(kYellow);
  World(0.0f, -0.4f);
  PlainQuad(kGreen);
  World(0.6f, 0.5f);
  LitQuad();
  // The texture factor changed for its program while the lit one drew.
  FactorRect(20, 40, kYellow);
  // A material changed and set back before the next lit draw.
  Emissive(kWhite);
  Emissive(kBlue);
  World(0.6f, -0.4f);
  LitQuad();
  Emissive(kWhite);
  FactorRect(40, 40, kBlue);
  World(0.3f, 0.0f);
  LitQuad();
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  const std::vector<uint32_t> p = ReadBack();
  EXPECT_EQ(At(p, -0.6f, 0.5f), kRed);
  EXPECT_EQ(At(p, 0.0f, 0.5f), kBlue);
  EXPECT_EQ(At(p, 0.6f, 0.5f), kBlue);
  EXPECT_EQ(At(p, -0.6f, -0.4f), kYellow);
  EXPECT_EQ(At(p, 0.0f, -0.4f), kGreen);
  EXPECT_EQ(At(p, 0.6f, -0.4f), kBlue);
  EXPECT_EQ(At(p, 0.3f, 0.0f), kWhite);
  EXPECT_EQ(p[44 * kWidth + 6], kGreen);
  EXPECT_EQ(p[44 * kWidth + 24], kYellow);
  EXPECT_EQ(p[44 * kWidth + 44], kBlue);
}

TEST_F(UniformGroupsTest, LightsFollowTheirCountAndValuesAcrossPrograms) {
  // Diffuse lighting now: a second light added, changed, and taken away,
  // with an unlit program drawn between. Each quad lit by what was on when
  // it was drawn must match a quad drawn alone with the same lights.
  D3DMATERIAL8 m{};
  m.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
  D3DLIGHT8 first{};
  first.Type = D3DLIGHT_DIRECTIONAL;
  first.Diffuse = {0.3f, 0.3f, 0.3f, 1.0f};
  first.Direction = {0.0f, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetLight(0, &first), D3D_OK);
  D3DLIGHT8 second{};
  second.Type = D3DLIGHT_DIRECTIONAL;
  second.Diffuse = {0.0f, 0.0f, 0.5f, 1.0f};
  second.Direction = {0.0f, 0.0f, 1.0f};
  auto lights = [&](int count, float blue) {
    second.Diffuse.b = blue;
    ASSERT_EQ(device_->SetLight(1, &second), D3D_OK);
    ASSERT_EQ(device_->LightEnable(1, count > 1), D3D_OK);
  };
  const struct {
    int count;
    float blue;
  } kSteps[4] = {{2, 0.5f}, {1, 0.5f}, {2, 0.5f}, {2, 1.0f}};
  auto drawStep = [&](int i) {
    lights(kSteps[i].count, kSteps[i].blue);
    World(-0.6f + 0.4f * i, 0.0f);
    LitQuad();
  };
  ClearTo(kClear);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  for (int i = 0; i < 4; ++i) {
    drawStep(i);
    FactorRect(2 + 10 * i, 40, kGreen);
  }
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  const std::vector<uint32_t> together = ReadBack();
  for (int i = 0; i < 4; ++i) {
    ClearTo(kClear);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    drawStep(i);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const uint32_t alone = At(ReadBack(), -0.6f + 0.4f * i, 0.0f);
    EXPECT_EQ(At(together, -0.6f + 0.4f * i, 0.0f), alone) << "step " << i;
  }
  // The light values reached the pixels: one light is dimmer in blue.
  EXPECT_LT(Blue(At(together, -0.2f, 0.0f)), Blue(At(together, -0.6f, 0.0f)));
  EXPECT_GT(Blue(At(together, 0.6f, 0.0f)), Blue(At(together, 0.2f, 0.0f)));
}

}  // namespace
}  // namespace d3d8test
