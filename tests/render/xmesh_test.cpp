// SPDX-License-Identifier: MIT
// .x meshes drawn with the game's light and camera: the opaque and the
// translucent pass, materials without their texture, the device-mesh
// lifecycle; and frame trees: child order, names, transforms, refusals.
#include "render/xmesh.h"

#include <unistd.h>

#include <fstream>
#include <limits>
#include <string>

#include "display_fixture.h"
#include "render/game_models.h"

namespace {

// Two unit squares side by side facing the camera at -z: the left one red
// and opaque (its texture file is absent), the right one green at half alpha.
const char kTwoSquares[] = R"(xof 0302txt 0032
Mesh Squares {
  6;
  -1.0;1.0;0.0;, 0.0;1.0;0.0;, 0.0;-1.0;0.0;, -1.0;-1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;;
  4;
  3;0,1,2;, 3;0,2,3;, 3;1,4,5;, 3;1,5,2;;
  MeshMaterialList {
    2; 4; 0,0,1,1;;
    Material { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "Absent.bmp"; } }
    Material { 0.0;1.0;0.0;0.5;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  }
}
)";

// Root with children A, B, C in file order; B holds a square moved right by
// 0.8 and C a matrix only. The square's name is written in lower case.
const char kFrames[] = R"(xof 0302txt 0032
Frame Root {
  Frame A { }
  Frame B {
    FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.8,0.0,0.0,1.0;; }
    Mesh square {
      4; -0.5;0.5;0.0;, 0.5;0.5;0.0;, 0.5;-0.5;0.0;, -0.5;-0.5;0.0;;
      2; 3;0,1,2;, 3;0,2,3;;
    }
  }
  Frame C { FrameTransformMatrix { 2.0,0.0,0.0,0.0, 0.0,2.0,0.0,0.0, 0.0,0.0,2.0,0.0, 0.0,0.0,0.0,1.0;; } }
}
)";

const char kTwoMeshesInOneFrame[] = R"(xof 0302txt 0032
Frame Twice {
  Mesh One { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }
  Mesh Two { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }
}
)";

class XMeshTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    char pattern[] = "/tmp/glorbs-xmesh-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    LookAt(D3DXVECTOR3(0, 0, -3), D3DXVECTOR3(0, 0, 0));
    D3DXMATRIX identity;
    SetWorld(*D3DXMatrixIdentity(&identity));
  }
  void TearDown() override {
    for (const std::string& f : written_) unlink(f.c_str());
    rmdir(dir_.c_str());
    DisplayTest::TearDown();
  }
  std::string Write(const char* name, const char* text) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    written_.push_back(path);
    return path;
  }
  // Draws with `draw` between a clear to `background` and the read-back.
  template <typename Draw>
  std::vector<uint32_t> Frame(D3DCOLOR background, Draw draw) {
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    draw();
    EXPECT_EQ(device->EndScene(), D3D_OK);
    return ReadBack();
  }
  // The pixel where the world point (x, y, 0) lands.
  uint32_t At(const std::vector<uint32_t>& pixels, float x, float y) {
    D3DXVECTOR3 p(x, y, 0);
    const D3DXMATRIX vp = sceneCamera.GetViewMatrix() * sceneCamera.GetProjMatrix();
    D3DXVec3TransformCoord(&p, &p, &vp);
    const UINT px = static_cast<UINT>((p.x + 1) * 0.5f * width_),
               py = static_cast<UINT>((1 - p.y) * 0.5f * height_);
    if (px >= width_ || py >= height_) {
      ADD_FAILURE() << "(" << x << ", " << y << ") is off the screen";
      return 0;
    }
    return pixels[py * width_ + px] & 0xFFFFFF;
  }
  std::string dir_;
  std::vector<std::string> written_;
};

TEST_F(XMeshTest, OpaqueAndTranslucentPassesDrawTheirOwnSubsets) {
  XMesh mesh("CD3DFile_Mesh");
  ASSERT_EQ(mesh.LoadFromFile(device, Write("squares.x", kTwoSquares).c_str()), S_OK);
  ASSERT_EQ(mesh.materialCount, 2u);
  EXPECT_EQ(std::memcmp(&mesh.materials[1].Ambient, &mesh.materials[1].Diffuse, sizeof(D3DCOLORVALUE)), 0);
  EXPECT_EQ(mesh.textures[0], nullptr);  // "Absent.bmp" is nowhere
  ASSERT_EQ(mesh.ConvertVertexFormat(device, kModelVertexFVF), S_OK);
  EXPECT_EQ(mesh.systemMesh->GetFVF(), kModelVertexFVF);
  EXPECT_EQ(mesh.Render(device), E_FAIL);  // no device mesh yet
  ASSERT_EQ(mesh.CreateDeviceMesh(device), S_OK);

  // Lit from (1, -1, 1): N.L = 1/sqrt(3) on faces towards the camera, plus
  // the 0x33 ambient: red about 0.78.
  std::vector<uint32_t> opaque = Frame(0, [&] { EXPECT_EQ(mesh.Render(device, true, false), S_OK); });
  EXPECT_NEAR(Red(At(opaque, -0.5f, 0.0f)), 198, 6);
  EXPECT_EQ(At(opaque, -0.5f, 0.0f) & 0xFFFF, 0u);
  EXPECT_EQ(At(opaque, 0.5f, 0.0f), 0u);

  // The translucent pass alone, blended over blue.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  std::vector<uint32_t> alpha = Frame(0xFF0000FF, [&] { EXPECT_EQ(mesh.Render(device, false, true), S_OK); });
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  EXPECT_EQ(At(alpha, -0.5f, 0.0f), 0x0000FFu);
  const uint32_t blended = At(alpha, 0.5f, 0.0f);
  EXPECT_NEAR(Green(blended), 99, 6);
  EXPECT_NEAR(Blue(blended), 128, 4);

  // An alpha that is not a number is not below 1: both passes draw it.
  mesh.materials[1].Diffuse.a = std::numeric_limits<float>::quiet_NaN();
  std::vector<uint32_t> nanOpaque = Frame(0, [&] { mesh.Render(device, true, false); });
  EXPECT_GT(Green(At(nanOpaque, 0.5f, 0.0f)), 150);
  std::vector<uint32_t> nanAlpha = Frame(0, [&] { mesh.Render(device, false, true); });
  EXPECT_GT(Green(At(nanAlpha, 0.5f, 0.0f)), 150);
  EXPECT_EQ(At(nanAlpha, -0.5f, 0.0f), 0u);
  mesh.materials[1].Diffuse.a = 0.5f;

  // With materials off, every subset is drawn in the current material.
  mesh.useMaterials = FALSE;
  D3DMATERIAL8 white = {};
  white.Diffuse = white.Ambient = D3DCOLORVALUE{1, 1, 1, 1};
  device->SetMaterial(&white);
  device->SetTexture(0, nullptr);
  std::vector<uint32_t> plain = Frame(0, [&] { mesh.Render(device, true, true); });
  EXPECT_EQ(At(plain, -0.5f, 0.0f), At(plain, 0.5f, 0.0f));
  EXPECT_GT(Green(At(plain, 0.5f, 0.0f)), 150);

  ASSERT_EQ(mesh.ReleaseDeviceMesh(), S_OK);
  EXPECT_EQ(mesh.Render(device), E_FAIL);
  ASSERT_EQ(mesh.Destroy(), S_OK);
  EXPECT_EQ(mesh.CreateDeviceMesh(device), E_FAIL);
  EXPECT_EQ(mesh.materialCount, 0u);
  EXPECT_EQ(mesh.materials, nullptr);
}

// The game's own station: the opaque pass puts lit hull at the centre; the
// translucent dome, added on top, only ever brightens the picture.
TEST_F(XMeshTest, GameModelIsLitAndItsTranslucentPassAddsLight) {
  LookAt(D3DXVECTOR3(0, 0.6f, -0.9f), D3DXVECTOR3(0, 0, 0));
  XMesh* station = modelSlots[0];
  std::vector<uint32_t> opaque = Frame(0, [&] { station->Render(device, true, false); });
  EXPECT_GT(Brightness(At(opaque, 0.0f, 0.0f)), 150);
  std::vector<uint32_t> both = Frame(0, [&] {
    station->Render(device, true, false);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    station->Render(device, false, true);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  });
  int brighter = 0, darker = 0;
  for (size_t i = 0; i < both.size(); ++i) {
    brighter += Blue(both[i]) > Blue(opaque[i]) + 20;
    darker +=
        Red(both[i]) < Red(opaque[i]) || Green(both[i]) < Green(opaque[i]) || Blue(both[i]) < Blue(opaque[i]);
  }
  EXPECT_GT(brighter, 500);
  EXPECT_EQ(darker, 0);
}

TEST_F(XMeshTest, AMissingFileFailsAndLeavesTheMeshAsItWas) {
  XMesh mesh("missing");
  EXPECT_TRUE(FAILED(mesh.LoadFromFile(device, "NoSuchModel.x")));
  EXPECT_EQ(mesh.systemMesh, nullptr);
  EXPECT_EQ(mesh.CreateDeviceMesh(device), E_FAIL);
  EXPECT_EQ(mesh.ConvertVertexFormat(device, kModelVertexFVF), S_OK);  // nothing to convert
  EXPECT_STREQ(mesh.name, "missing");

  // A loaded mesh survives a failed reload and still draws its red square;
  // a successful reload replaces it without leaking the old one.
  const std::string squares = Write("squares.x", kTwoSquares);
  ASSERT_EQ(mesh.LoadFromFile(device, squares.c_str()), S_OK);
  EXPECT_TRUE(FAILED(mesh.LoadFromFile(device, "NoSuchModel.x")));
  ASSERT_EQ(mesh.materialCount, 2u);
  ASSERT_EQ(mesh.ConvertVertexFormat(device, kModelVertexFVF), S_OK);  // normals, so it is lit
  ASSERT_EQ(mesh.CreateDeviceMesh(device), S_OK);
  EXPECT_GT(Red(At(Frame(0, [&] { mesh.Render(device, true, false); }), -0.5f, 0.0f)), 150);
  ASSERT_EQ(mesh.LoadFromFile(device, squares.c_str()), S_OK);
  EXPECT_EQ(mesh.deviceMesh, nullptr);  // the old drawable copy went with the old mesh
  EXPECT_EQ(mesh.materialCount, 2u);
}

// How many times `needle` occurs in `text`.
int Count(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

TEST_F(XMeshTest, TexturesThatCannotBeUsedAreNamedOnceEachWithTheReason) {
  // A 1 x 1 white 24-bit BMP, a file that is no picture, and a name of nothing.
  const char kWhite[] = "BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0";
  std::string bmp(kWhite, sizeof kWhite - 1);
  bmp.resize(54, '\0');
  bmp += std::string("\xff\xff\xff\0", 4);
  const std::string good = Write("good.bmp", ""), damaged = Write("damaged.bmp", "BM not a bitmap");
  std::ofstream(good, std::ios::binary) << bmp;  // Write stops at the first zero byte
  const std::string absent = dir_ + "/absent.bmp";
  std::string model =
      "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;;\n MeshMaterialList { 4; 1; 0;;\n";
  for (const std::string& texture : {absent, damaged, good, damaged})
    model += "  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"" + texture + "\"; } }\n";
  model += " }\n}\n";
  const std::string path = Write("textured.x", model.c_str());

  // The game's own models, loaded by the fixture, name no bad texture.
  EXPECT_EQ(Count(debug_->text, "model texture"), 0) << debug_->text;
  debug_->text.clear();
  XMesh mesh("CD3DFile_Mesh");
  ASSERT_EQ(mesh.LoadFromFile(device, path.c_str()), S_OK);
  ASSERT_EQ(mesh.materialCount, 4u);
  EXPECT_EQ(mesh.textures[0], nullptr);
  EXPECT_EQ(mesh.textures[1], nullptr);
  EXPECT_NE(mesh.textures[2], nullptr);
  EXPECT_EQ(mesh.textures[3], nullptr);
  const std::string& said = debug_->text;
  EXPECT_EQ(Count(said, "\n"), 2) << said;
  EXPECT_EQ(
      Count(said, "absent.bmp\" is left out: it is neither in the working folder nor in the media folder"), 1)
      << said;
  EXPECT_EQ(Count(said, "damaged.bmp\" is left out: it is damaged or not a picture the game reads"), 1)
      << said;
  EXPECT_EQ(Count(said, "good.bmp"), 0);
  // The same files in another model are not named again.
  XMesh again("CD3DFile_Mesh");
  ASSERT_EQ(again.LoadFromFile(device, path.c_str()), S_OK);
  EXPECT_EQ(Count(said, "\n"), 2) << said;
}

TEST_F(XMeshTest, FrameTreeKeepsChildrenReversedAndFindsNamesInAnyCase) {
  XFile file;
  ASSERT_EQ(file.LoadFromFile(device, Write("frames.x", kFrames).c_str()), S_OK);
  XFrame* root = file.child;
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->name, "Root");
  ASSERT_NE(root->child, nullptr);
  EXPECT_STREQ(root->child->name, "C");
  EXPECT_STREQ(root->child->next->name, "B");
  EXPECT_STREQ(root->child->next->next->name, "A");
  EXPECT_EQ(root->child->next->next->next, nullptr);
  EXPECT_EQ(file.FindFrame("ROOT"), root);
  EXPECT_EQ(file.FindFrame("b"), root->child->next);
  EXPECT_EQ(file.FindFrame("D"), nullptr);
  EXPECT_EQ(file.FindMesh("SQUARE"), root->child->next->mesh);
  EXPECT_EQ(root->child->matrix._11, 2.0f);
  EXPECT_EQ(root->child->next->matrix._41, 0.8f);
  int meshes = 0;
  EXPECT_TRUE(file.ForEachMesh([](XMesh*, void* n) { return ++*static_cast<int*>(n) > 0; }, &meshes));
  EXPECT_EQ(meshes, 1);

  // B's square lands 0.8 to the right, drawn under the caller's world.
  file.CreateDeviceMesh(device);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  std::vector<uint32_t> pixels = Frame(0, [&] { EXPECT_EQ(file.Render(device), S_OK); });
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  EXPECT_EQ(At(pixels, 0.8f, 0.0f), 0xFFFFFFu);
  EXPECT_EQ(At(pixels, 0.0f, 0.0f), 0u);
  D3DMATRIX world = {};
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(world._41, 0.0f);  // restored
  DWORD blending = TRUE;
  device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
  EXPECT_FALSE(blending);
  file.Destroy();
  EXPECT_EQ(file.child, nullptr);
}

TEST_F(XMeshTest, SecondMeshInOneFrameFailsTheLoad) {
  XFile file;
  EXPECT_EQ(file.LoadFromFile(device, Write("twice.x", kTwoMeshesInOneFrame).c_str()), E_FAIL);
  ASSERT_NE(file.child, nullptr);  // what was loaded so far stays, and is freed by the destructor
  EXPECT_STREQ(file.child->mesh->name, "One");
  XFile none;
  EXPECT_TRUE(FAILED(none.LoadFromFile(device, "NoSuchFile.x")));
}

}  // namespace
