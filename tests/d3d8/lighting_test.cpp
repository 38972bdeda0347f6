// SPDX-License-Identifier: MIT
// Per-vertex lighting against the Direct3D 8 equation worked out by hand:
// emissive + ambient x (global ambient + light ambients) + diffuse x sum of
// light diffuse x N.L x attenuation, with point-light range and attenuation
// and the NORMALIZENORMALS switch.
#include <cmath>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class LightingTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    D3DMATRIX id = Identity();  // identity projection: x, y in -1..1 fill the viewport
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &id), D3D_OK);
    ASSERT_EQ(device_->SetTransform(D3DTS_VIEW, &id), D3D_OK);
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &id), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
  }

  // A quad facing the viewer (normal towards -z) spanning +-half at depth 0.5.
  void DrawQuad(float half) {
    LitVertex v[4] = {{-half, half, 0.5f, 0, 0, -1},
                      {half, half, 0.5f, 0, 0, -1},
                      {-half, -half, 0.5f, 0, 0, -1},
                      {half, -half, 0.5f, 0, 0, -1}};
    ASSERT_EQ(device_->SetVertexShader(kLitFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(LitVertex)), D3D_OK);
  }

  void SetMaterial(float r, float g, float b, float ambient) {
    D3DMATERIAL8 m{};
    m.Diffuse = {r, g, b, 1.0f};
    m.Ambient = {ambient, ambient, ambient, 1.0f};
    ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
  }

  static D3DLIGHT8 WhiteLight(D3DLIGHTTYPE type) {
    D3DLIGHT8 light{};
    light.Type = type;
    light.Diffuse = {1, 1, 1, 0};
    light.Direction = {0, 0, 1};
    return light;
  }

  void UseLight(DWORD index, const D3DLIGHT8& light) {
    ASSERT_EQ(device_->SetLight(index, &light), D3D_OK);
    ASSERT_EQ(device_->LightEnable(index, TRUE), D3D_OK);
  }

  // The centre pixel of the quad drawn on a black screen.
  uint32_t LitCentre(float half) {
    ClearTo(0xFF000000);
    DrawQuad(half);
    return Pixel(32, 24);
  }

  static int Byte(double v) { return static_cast<int>(std::lround(std::min(1.0, v) * 255.0)); }
};

TEST_F(LightingTest, DirectionalLightWithMaterialAndGlobalAmbient) {
  SetMaterial(1.0f, 0.5f, 0.25f, 1.0f);
  ASSERT_EQ(device_->SetRenderState(D3DRS_AMBIENT, 0x33333333), D3D_OK);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_DIRECTIONAL);
  const float k = 1.0f / std::sqrt(3.0f);
  light.Direction = {k, -k, k};  // the game's light
  light.Range = 1000;
  UseLight(0, light);
  ClearTo(0xFF000000);
  DrawQuad(1.0f);
  // N = (0, 0, -1), L = -direction: N.L = 1/sqrt(3); ambient term 0.2.
  const double nl = 1.0 / std::sqrt(3.0);
  uint32_t p = Pixel(32, 24);
  EXPECT_NEAR(Red(p), Byte(0.2 + 1.0 * nl), 1);
  EXPECT_NEAR(Green(p), Byte(0.2 + 0.5 * nl), 1);
  EXPECT_NEAR(Blue(p), Byte(0.2 + 0.25 * nl), 1);
  EXPECT_EQ(p, Pixel(1, 1));  // one light direction: flat across the quad

  // With the light off only the ambient term remains.
  ASSERT_EQ(device_->LightEnable(0, FALSE), D3D_OK);
  EXPECT_EQ(LitCentre(1.0f), 0xFF333333u);
}

TEST_F(LightingTest, PointLightAttenuationAndRange) {
  SetMaterial(1.0f, 1.0f, 1.0f, 0.0f);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_POINT);
  light.Position = {0, 0, -0.5f};  // one unit in front of the quad's centre
  light.Attenuation1 = 1.0f;       // 1 / d
  light.Range = 10.0f;
  UseLight(3, light);
  ClearTo(0xFF000000);
  DrawQuad(1.0f);
  // Every corner is sqrt(3) from the light: N.L = 1/sqrt(3), attenuation 1/sqrt(3).
  EXPECT_NEAR(Red(Pixel(32, 24)), Byte(1.0 / 3.0), 1);
  EXPECT_NEAR(Red(Pixel(1, 1)), Byte(1.0 / 3.0), 1);

  light.Range = 1.5f;  // the corners are out of reach
  ASSERT_EQ(device_->SetLight(3, &light), D3D_OK);
  EXPECT_EQ(LitCentre(1.0f), 0xFF000000u);
}

TEST_F(LightingTest, SpotLightInsideAndOutsideItsCone) {
  SetMaterial(1.0f, 1.0f, 1.0f, 0.0f);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_SPOT);
  light.Position = {0, 0, -0.5f};
  light.Attenuation0 = 1.0f;
  light.Range = 10.0f;
  light.Theta = 2.0f;  // corners at 54.7 degrees off the axis: inside the 57-degree inner cone
  light.Phi = 2.2f;
  light.Falloff = 1.0f;
  UseLight(0, light);
  EXPECT_NEAR(Red(LitCentre(1.0f)), Byte(1.0 / std::sqrt(3.0)), 1);
  light.Theta = 0.5f;  // now outside the outer cone
  light.Phi = 1.0f;
  ASSERT_EQ(device_->SetLight(0, &light), D3D_OK);
  EXPECT_EQ(LitCentre(1.0f), 0xFF000000u);
}

TEST_F(LightingTest, NormalizeNormalsUndoesTheWorldScale) {
  SetMaterial(0.4f, 0.4f, 0.4f, 0.0f);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_DIRECTIONAL);
  UseLight(0, light);
  D3DMATRIX half = Identity();
  half._11 = half._22 = half._33 = 0.5f;  // normals come out twice as long
  ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &half), D3D_OK);
  EXPECT_NEAR(Red(LitCentre(2.0f)), Byte(0.8), 1);
  ASSERT_EQ(device_->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE), D3D_OK);
  EXPECT_NEAR(Red(LitCentre(2.0f)), Byte(0.4), 1);
}

TEST_F(LightingTest, VertexColourIsTheDiffuseMaterialUnlessTurnedOff) {
  struct V {
    float x, y, z, nx, ny, nz;
    D3DCOLOR c;
  } v[4] = {{-1, 1, 0.5f, 0, 0, -1, 0xFF00FF00},
            {1, 1, 0.5f, 0, 0, -1, 0xFF00FF00},
            {-1, -1, 0.5f, 0, 0, -1, 0xFF00FF00},
            {1, -1, 0.5f, 0, 0, -1, 0xFF00FF00}};
  SetMaterial(1.0f, 0.0f, 0.0f, 0.0f);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_DIRECTIONAL);
  UseLight(0, light);
  ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE), D3D_OK);
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
  EXPECT_EQ(Pixel(32, 24), 0xFF00FF00u);
  ASSERT_EQ(device_->SetRenderState(D3DRS_COLORVERTEX, FALSE), D3D_OK);
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
  EXPECT_EQ(Pixel(32, 24), 0xFFFF0000u);
}

}  // namespace
}  // namespace d3d8test
