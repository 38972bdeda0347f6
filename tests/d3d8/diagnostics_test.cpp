// SPDX-License-Identifier: MIT
// The device layer's named diagnostics: which one a refused or undrawn
// request fires, that a harmless value fires none, and that a feature the
// layer does not draw is counted every time but said only once.
#include <algorithm>
#include <string>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class DiagnosticsTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    d3d8::ResetDiagnostics();
  }
  static int Fired(d3d8::Diagnostic which) { return d3d8::DiagnosticCount(which); }
  static int FiredInAll() {
    int total = 0;
    for (int d = 0; d < d3d8::DIAG_COUNT; ++d) total += Fired(static_cast<d3d8::Diagnostic>(d));
    return total;
  }
};

TEST_F(DiagnosticsTest, RenderStatesThatAreNotDrawnAreNamedAndHarmlessValuesAreNot) {
  EXPECT_EQ(device_->SetRenderState(D3DRS_FOGENABLE, FALSE), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(D3DRS_ZBIAS, 0), D3D_OK);
  EXPECT_EQ(FiredInAll(), 0);

  EXPECT_EQ(device_->SetRenderState(D3DRS_FOGENABLE, TRUE), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(D3DRS_CLIPPLANEENABLE, 1), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(D3DRS_ZBIAS, 2), D3D_OK);
  EXPECT_EQ(Fired(d3d8::DIAG_FOG), 1);
  EXPECT_EQ(Fired(d3d8::DIAG_VERTEX_BLEND), 2);
  EXPECT_EQ(Fired(d3d8::DIAG_CLIP_PLANES), 1);
  EXPECT_EQ(Fired(d3d8::DIAG_DEPTH_BIAS), 1);
  EXPECT_EQ(FiredInAll(), 5);
  // The state is kept as asked all the same.
  DWORD fog = 0;
  ASSERT_EQ(device_->GetRenderState(D3DRS_FOGENABLE, &fog), D3D_OK);
  EXPECT_EQ(fog, static_cast<DWORD>(TRUE));
}

TEST_F(DiagnosticsTest, StageOperationsTransformsAndTargetTexturesAreNamed) {
  EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X), D3D_OK);
  EXPECT_EQ(FiredInAll(), 0);
  EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP), D3D_OK);
  EXPECT_EQ(device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_PREMODULATE), D3D_OK);
  EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0x00010000), D3D_OK);
  EXPECT_EQ(Fired(d3d8::DIAG_STAGE_OPERATION), 3);
  EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2), D3D_OK);
  EXPECT_EQ(Fired(d3d8::DIAG_TEXTURE_TRANSFORM), 1);

  IDirect3DTexture8* t = nullptr;
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(Fired(d3d8::DIAG_TARGET_TEXTURE), 1);
  EXPECT_EQ(FiredInAll(), 5);
}

TEST_F(DiagnosticsTest, AFeatureNotDrawnIsCountedEveryTimeButSaidOnce) {
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) {
    device_->SetRenderState(D3DRS_ZBIAS, 1);
    device_->SetRenderState(D3DRS_ZBIAS, 0);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Fired(d3d8::DIAG_DEPTH_BIAS), 3);
  // Earlier tests in this run may have said it already: at most one line.
  EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 1);
}

TEST_F(DiagnosticsTest, ASecondDeviceAndAResetWithLiveDefaultPoolResourcesAreNamed) {
  D3DPRESENT_PARAMETERS pp = WindowedParams(0, 0);
  IDirect3DDevice8* other = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &other),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(Fired(d3d8::DIAG_ONE_DEVICE_ONLY), 1);

  IDirect3DVertexBuffer8* dynamic = nullptr;
  ASSERT_EQ(
      device_->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic),
      D3D_OK);
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
  EXPECT_EQ(Fired(d3d8::DIAG_RESET_WITH_DEFAULT_POOL), 1);
  dynamic->Release();
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);
  EXPECT_EQ(FiredInAll(), 2);
}

}  // namespace
}  // namespace d3d8test
