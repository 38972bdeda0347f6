// SPDX-License-Identifier: MIT
// A frame of the game's meshes as the player sees them: the sea floor and
// the ship model (slot 0) above it, drawn with the display's light, material
// and projection. The picture is also written as a PNG for review.
#include "display_fixture.h"
#include "png_file.h"
#include "render/game_models.h"
#include "render/render_game.h"

namespace {

using FramePicture = DisplayTest;

TEST_F(FramePicture, ShipHoversOverTheLitSeaFloor) {
  // Behind and above the ship, looking down at it as the game's chase view does.
  LookAt(D3DXVECTOR3(0.0f, 0.8f, -1.4f), D3DXVECTOR3(0.0f, 0.2f, 0.0f));
  device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
  D3DXMATRIX world;
  SetWorld(*D3DXMatrixIdentity(&world));
  ASSERT_EQ(seaFloorModel->Render(device, true, true), S_OK);
  DrawModel(modelSlots[MODEL_SLOT_SHIP], *D3DXMatrixTranslation(&world, 0.0f, 0.3f, 0.0f));
  ASSERT_EQ(device->EndScene(), D3D_OK);
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_TRUE(WriteFramePng("ship_over_sea_floor.png", pixels, width_, height_));

  // Where the ship's centre projects, a lit hull; the floor fills the
  // bottom rows; far above the horizon nothing is drawn.
  D3DXVECTOR3 centre(0.0f, 0.3f, 0.0f);
  const D3DXMATRIX viewProjection = sceneCamera.GetViewMatrix() * sceneCamera.GetProjMatrix();
  D3DXVec3TransformCoord(&centre, &centre, &viewProjection);
  const UINT cx = static_cast<UINT>((centre.x + 1.0f) * 0.5f * width_);
  const UINT cy = static_cast<UINT>((1.0f - centre.y) * 0.5f * height_);
  int litNearShip = 0;
  for (UINT y = cy - 10; y <= cy + 10; ++y)
    for (UINT x = cx - 10; x <= cx + 10; ++x) litNearShip += Brightness(pixels[y * width_ + x]) > 120;
  EXPECT_GT(litNearShip, 300) << "of 441 pixels around the ship's centre";
  for (UINT x = 0; x < width_; x += 37) {
    EXPECT_GT(Brightness(pixels[(height_ - 2) * width_ + x]), 60) << "floor at column " << x;
    EXPECT_EQ(pixels[2 * width_ + x] & 0xFFFFFF, 0u) << "sky at column " << x;
  }
}

}  // namespace
