// SPDX-License-Identifier: MIT
// The game's models after loading: ship and part models scaled about their
// origin to a radius of a third, the sea floor shrunk and laid flat, the ship
// type table and changing the ship type; refusals of bad slots and types.
#include "render/game_models.h"

#include <unistd.h>

#include <fstream>
#include <string>

#include "display_fixture.h"

namespace {

std::vector<ModelVertex> Vertices(XMesh* model) {
  std::vector<ModelVertex> out;
  BYTE* data = nullptr;
  if (FAILED(model->systemMesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) return out;
  const auto* v = reinterpret_cast<const ModelVertex*>(data);
  out.assign(v, v + model->systemMesh->GetNumVertices());
  model->systemMesh->UnlockVertexBuffer();
  return out;
}

// The file as authored, in the model layout but not reshaped.
std::vector<ModelVertex> Authored(const char* fileName) {
  XMesh raw("raw");
  EXPECT_EQ(raw.LoadFromFile(device, fileName), S_OK);
  EXPECT_EQ(raw.ConvertVertexFormat(device, kModelVertexFVF), S_OK);
  return Vertices(&raw);
}

using GameModels = DisplayTest;

TEST_F(GameModels, ShipAndPartModelsAreScaledAboutTheirOriginToAThird) {
  const char* files[] = {ShipTypeFiles[0], PartModelTable[1], PartModelTable[2]};
  for (DWORD slot = 0; slot < kModelSlotCount; ++slot) {
    XMesh* model = modelSlots[slot];
    ASSERT_NE(model, nullptr);
    EXPECT_STREQ(model->name, "CD3DFile_Mesh");
    EXPECT_EQ(model->systemMesh->GetFVF(), 0x112u);
    ASSERT_NE(model->deviceMesh, nullptr);
    const std::vector<ModelVertex> loaded = Vertices(model), raw = Authored(files[slot]);
    ASSERT_EQ(loaded.size(), raw.size());
    D3DXVECTOR3 centre;
    float radius = 0.0f;
    D3DXComputeBoundingSphere(const_cast<ModelVertex*>(raw.data()), static_cast<DWORD>(raw.size()), 0x112,
                              &centre, &radius);
    const float scale = 1.0f / (3.0f * radius);
    for (size_t i = 0; i < raw.size(); i += 7) {
      EXPECT_NEAR(loaded[i].x, raw[i].x * scale, 1e-5f);
      EXPECT_NEAR(loaded[i].z, raw[i].z * scale, 1e-5f);
    }
    D3DXComputeBoundingSphere(const_cast<ModelVertex*>(loaded.data()), static_cast<DWORD>(loaded.size()),
                              0x112, &centre, &radius);
    EXPECT_NEAR(radius, 1.0f / 3.0f, 1e-4f) << files[slot];
  }
}

TEST_F(GameModels, SeaFloorIsATenthAsWideAndFlatOnTheFloor) {
  ASSERT_NE(seaFloorModel, nullptr);
  const std::vector<ModelVertex> loaded = Vertices(seaFloorModel), raw = Authored("SeaFloor.x");
  ASSERT_EQ(loaded.size(), raw.size());
  bool hilly = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    hilly |= raw[i].y != 0.0f;
    ASSERT_FLOAT_EQ(loaded[i].x, raw[i].x * 0.1f);
    ASSERT_FLOAT_EQ(loaded[i].z, raw[i].z * 0.1f);
    ASSERT_EQ(loaded[i].y, 0.0f);
  }
  EXPECT_TRUE(hilly);  // the file itself is not flat
}

TEST_F(GameModels, ShipTypesNameTheirModelsAndCredits) {
  EXPECT_EQ(shipType, 0u);
  EXPECT_STREQ(ShipTypeFiles[0], "Space Station 7.x");
  EXPECT_STREQ(CurrentShipCredit(), "the Glorbs3D crew");
  EXPECT_STREQ(ShipTypeCredits[1], "Dart, Glorbs3D crew");
  EXPECT_STREQ(ShipTypeCredits[3], "Hauler, Glorbs3D crew");
  EXPECT_STREQ(ShipTypeCredits[2], "Purple Prowler");
  EXPECT_STREQ(ShipTypeCredits[8], "Helicopter");

  ASSERT_EQ(ChangeShipType(2), S_OK);
  EXPECT_STREQ(CurrentShipCredit(), "Purple Prowler");
  ASSERT_NE(modelSlots[0]->deviceMesh, nullptr);
  EXPECT_EQ(Vertices(modelSlots[0]).size(), Authored("Shusui.x").size());
  EXPECT_EQ(ChangeShipType(kShipTypeCount), E_INVALIDARG);
  EXPECT_EQ(shipType, 2u);
  ASSERT_EQ(ChangeShipType(0), S_OK);
  EXPECT_EQ(LoadShipModel(kModelSlotCount), E_INVALIDARG);
}

// Models of our own in the working directory, which is searched first.
class OwnModels : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    char pattern[] = "/tmp/glorbs-models-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    char cwd[4096] = {};
    oldCwd_ = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    if (chdir(oldCwd_.c_str()) != 0) ADD_FAILURE();
    for (const char* f : {"Space Station 7.x", "Space Station 5.x"}) unlink((dir_ + "/" + f).c_str());
    rmdir(dir_.c_str());
    DisplayTest::TearDown();
  }
  std::string dir_, oldCwd_;
};

TEST_F(OwnModels, RadiusSixBecomesAThirdWithTheCentreOffsetScaledAlong) {
  // Centre (10, 0, 0), radius 6: every position is multiplied by 1/18.
  std::ofstream("Space Station 7.x") << "xof 0302txt 0032\nMesh Kite {\n 4; 4.0;0.0;0.0;, 10.0;6.0;0.0;, "
                                        "16.0;0.0;0.0;, 10.0;-6.0;0.0;;\n 2; 3;0,1,2;, 3;0,2,3;;\n}\n";
  // Every vertex in one point: no extent to scale by.
  std::ofstream("Space Station 5.x") << "xof 0302txt 0032\nMesh Dot {\n 3; 1.0;2.0;3.0;, 1.0;2.0;3.0;, "
                                        "1.0;2.0;3.0;;\n 1; 3;0,1,2;;\n}\n";
  ASSERT_EQ(LoadShipModel(0), S_OK);
  std::vector<ModelVertex> v = Vertices(modelSlots[0]);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_NEAR(v[0].x, 4.0f / 18.0f, 1e-6f);
  EXPECT_NEAR(v[1].x, 10.0f / 18.0f, 1e-6f);
  EXPECT_NEAR(v[1].y, 6.0f / 18.0f, 1e-6f);
  EXPECT_NEAR(v[2].x, 16.0f / 18.0f, 1e-6f);

  ASSERT_EQ(LoadShipModel(1), S_OK);
  v = Vertices(modelSlots[1]);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[2].x, 1.0f);
  EXPECT_EQ(v[2].z, 3.0f);

  unlink("Space Station 5.x");
  std::ofstream("Space Station 5.x") << "xof 0302txt 0032\nMesh Broken { 3; 1.0;";
  EXPECT_EQ(LoadShipModel(1), E_FAIL);
  ASSERT_NE(modelSlots[1], nullptr);  // the empty model stays in its slot
  EXPECT_EQ(modelSlots[1]->systemMesh, nullptr);
}

}  // namespace
