// SPDX-License-Identifier: MIT
// Gathered indexed draws against one draw per call: lit, textured mesh
// subsets drawn as the game's models draw them. Each scene is drawn both
// ways; the back buffers must match pixel for pixel (the GPU transforms and
// lights the same vertices either way) while runs of subsets that share
// every state but their world, material, vertex buffer and stage 0's
// texture become one OpenGL draw.
#include <cmath>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

struct MeshVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1
  float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr int kQuads = 8;  // the model: a fan of tilted quads, one subset each

// Textures of a few colours, each a gradient with its own alpha, so that
// sampling the wrong one or at the wrong place shows.
std::vector<IDirect3DTexture8*> MakeTextures(IDirect3DDevice8* device, int count) {
  std::vector<IDirect3DTexture8*> textures;
  for (int t = 0; t < count; ++t) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT r{};
    EXPECT_EQ(texture->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        static_cast<uint32_t*>(r.pBits)[y * r.Pitch / 4 + x] =
            static_cast<uint32_t>(0x60 + 0x1C * t + y * 4) << 24 | (0x20 + 0x30 * t + x * 8) << 16 |
            ((0xE0 - 0x28 * t) & 0xFF) << 8 | (0x10 + y * 0x1C);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    textures.push_back(texture);
  }
  return textures;
}

class IndexedCoalescingTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(device_->CreateVertexBuffer(kQuads * 4 * sizeof(MeshVertex), D3DUSAGE_WRITEONLY, kMeshFvf,
                                          D3DPOOL_MANAGED, &mesh_),
              D3D_OK);
    FillMesh(mesh_, 0.0f);
    ASSERT_EQ(device_->CreateIndexBuffer(kQuads * 6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                         &indices_),
              D3D_OK);
    BYTE* p = nullptr;
    ASSERT_EQ(indices_->Lock(0, 0, &p, 0), D3D_OK);
    for (int q = 0; q < kQuads; ++q) {
      const WORD b = static_cast<WORD>(q * 4);
      const WORD quad[6] = {b,
                            static_cast<WORD>(b + 1),
                            static_cast<WORD>(b + 2),
                            static_cast<WORD>(b + 2),
                            static_cast<WORD>(b + 1),
                            static_cast<WORD>(b + 3)};
      std::memcpy(p + q * sizeof(quad), quad, sizeof(quad));
    }
    ASSERT_EQ(indices_->Unlock(), D3D_OK);
    texture_ = MakeTextures(device_, 1)[0];

    D3DMATRIX proj{};
    proj._11 = 1.5f, proj._22 = 2.0f, proj._33 = 1.01f, proj._34 = 1.0f, proj._43 = -0.101f;
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &proj), D3D_OK);
    LightScene({0.4f, -0.5f, 0.75f}, 0xFF303030);
    ASSERT_EQ(device_->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    Material(0.9f, 0.7f, 0.5f, 1.0f);
  }

  void TearDown() override {
    for (IUnknown* u : std::initializer_list<IUnknown*>{mesh_, indices_, texture_})
      if (u) u->Release();
    DeviceTest::TearDown();
  }

  // Quads side by side, each turned a little further about y, so lighting
  // differs from quad to quad; `lift` moves them all up.
  static void FillMesh(IDirect3DVertexBuffer8* vb, float lift) {
    BYTE* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    for (int q = 0; q < kQuads; ++q) {
      const float x = -0.8f + 0.2f * q, a = 0.25f * q - 0.9f;
      const float nx = std::sin(a), nz = -std::cos(a);
      for (int c = 0; c < 4; ++c) {
        const float dx = (c & 1) ? 0.12f : -0.12f, dy = (c & 2) ? -0.3f : 0.3f;
        const MeshVertex v = {
            x + dx * std::cos(a), dy + lift, dx * std::sin(a), nx, 0.2f, nz, (c & 1) ? 1.0f : 0.0f,
            (c & 2) ? 1.0f : 0.0f};
        std::memcpy(p + (q * 4 + c) * sizeof(MeshVertex), &v, sizeof(v));
      }
    }
    ASSERT_EQ(vb->Unlock(), D3D_OK);
  }

  void Material(float r, float g, float b, float a) {
    D3DMATERIAL8 m{};
    m.Diffuse = {r, g, b, a};
    m.Ambient = m.Diffuse;
    ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
  }

  // The model's world: turned about y by `angle`, moved to (x, y, z).
  void Place(float x, float y, float z, float angle) {
    D3DMATRIX w = Identity();
    w._11 = w._33 = std::cos(angle);
    w._13 = std::sin(angle), w._31 = -w._13;
    w._41 = x, w._42 = y, w._43 = z;
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &w), D3D_OK);
  }

  // Draws quads [first, first + count) of the model, as DrawSubset does.
  void Subset(int first, int count, IDirect3DVertexBuffer8* vb = nullptr) {
    ASSERT_EQ(device_->SetVertexShader(kMeshFvf), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb ? vb : mesh_, sizeof(MeshVertex)), D3D_OK);
    ASSERT_EQ(device_->SetIndices(indices_, 0), D3D_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kQuads * 4, first * 6, count * 2), D3D_OK);
  }

  IDirect3DVertexBuffer8* mesh_ = nullptr;
  IDirect3DIndexBuffer8* indices_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
};

TEST_F(IndexedCoalescingTest, SubsetsSharingEveryStateBecomeOneDraw) {
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Place(0.0f, 0.1f, 2.0f, 0.2f);
    // Subsets out of order and a material set again to the same values, as
    // a model whose materials repeat does.
    Subset(0, 2);
    Subset(5, 3);
    Material(0.9f, 0.7f, 0.5f, 1.0f);
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Subset(2, 3);
    // Part of the model elsewhere: a new world, in a slot of its own.
    Place(0.3f, -0.4f, 2.5f, -0.3f);
    Subset(0, 2);
    Subset(3, 1);
  });
  EXPECT_EQ(draws.first, 1u);
  EXPECT_EQ(draws.second, 5u);
}

TEST_F(IndexedCoalescingTest, MaterialsPassesAndWorldsSplitRunsInOrder) {
  const auto draws = Compare([&] {
    // The opaque pass: textured, untextured, and back to the first material.
    Material(0.9f, 0.7f, 0.5f, 1.0f);
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Place(-0.2f, 0.0f, 2.2f, 0.1f);
    Subset(0, 2);
    Subset(2, 1);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    Material(0.2f, 0.8f, 0.9f, 1.0f);
    Subset(3, 2);
    // A world set and then set back to the same matrix joins the run.
    Place(0.5f, 0.5f, 3.0f, 1.0f);
    Place(-0.2f, 0.0f, 2.2f, 0.1f);
    Subset(5, 1);
    Material(0.9f, 0.7f, 0.5f, 1.0f);
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Subset(6, 2);
    // The translucent pass, added on top without depth writes and in order:
    // a second model overlapping the first.
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE), D3D_OK);
    Material(0.3f, 0.2f, 0.6f, 0.45f);
    Place(0.1f, 0.1f, 2.1f, -0.5f);
    Subset(0, 3);
    Subset(3, 5);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE), D3D_OK);
  });
  // The opaque pass is one draw whatever its worlds, materials and
  // textures; the blended one another.
  EXPECT_EQ(draws.first, 2u);
  EXPECT_EQ(draws.second, 7u);
}

TEST_F(IndexedCoalescingTest, WritesClearsAndReleasesBetweenDrawsLandInOrder) {
  IDirect3DVertexBuffer8* other = nullptr;
  ASSERT_EQ(
      device_->CreateVertexBuffer(kQuads * 4 * sizeof(MeshVertex), 0, kMeshFvf, D3DPOOL_MANAGED, &other),
      D3D_OK);
  IDirect3DIndexBuffer8* wide = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(kQuads * 6 * 4, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &wide), D3D_OK);
  auto fillWide = [&](int quad) {
    BYTE* p = nullptr;
    ASSERT_EQ(wide->Lock(0, 0, &p, 0), D3D_OK);
    for (int i = 0; i < 6; ++i) {
      const DWORD corner[6] = {0, 1, 2, 2, 1, 3};
      const DWORD index = quad * 4 + corner[i];
      std::memcpy(p + i * 4, &index, 4);
    }
    ASSERT_EQ(wide->Unlock(), D3D_OK);
  };
  const auto draws = Compare([&] {
    FillMesh(other, 0.0f);
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Place(0.0f, 0.0f, 2.4f, 0.0f);
    Subset(0, 2, other);
    // The vertices rewritten between two draws of one run: the first keeps
    // the old ones.
    FillMesh(other, 0.35f);
    Subset(2, 2, other);
    // Indices rewritten between draws, and 32-bit ones after 16-bit ones.
    ASSERT_EQ(device_->SetIndices(wide, 0), D3D_OK);
    fillWide(4);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kQuads * 4, 0, 2), D3D_OK);
    fillWide(5);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kQuads * 4, 0, 2), D3D_OK);
    // A clear between draws covers what came before it only.
    const D3DRECT band = {0, 20, kWidth, 25};
    ASSERT_EQ(device_->Clear(1, &band, D3DCLEAR_TARGET, 0xFF00C000, 1.0f, 0), D3D_OK);
    // A buffer released while its draws wait: they are drawn first.
    IDirect3DVertexBuffer8* doomed = nullptr;
    ASSERT_EQ(
        device_->CreateVertexBuffer(kQuads * 4 * sizeof(MeshVertex), 0, kMeshFvf, D3DPOOL_MANAGED, &doomed),
        D3D_OK);
    FillMesh(doomed, -0.4f);
    Subset(6, 2, doomed);
    Subset(0, 1, doomed);
    ASSERT_EQ(device_->SetStreamSource(0, mesh_, sizeof(MeshVertex)), D3D_OK);
    EXPECT_EQ(doomed->Release(), 0u);
  });
  // Runs: the first draw alone (its buffer changed), the second with the
  // two 32-bit ones (indices of another size, copied when drawn), the
  // released pair.
  EXPECT_EQ(draws.first, 3u);
  EXPECT_EQ(draws.second, 6u);
  wide->Release();
  other->Release();
}

TEST_F(IndexedCoalescingTest, GatheredDrawsFollowSpritesAndStripsInOrder) {
  // Unlit quads drawn from memory gather on the CPU; indexed strips go
  // straight through; each kind submits the other before it starts.
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Place(0.0f, 0.0f, 2.0f, 0.3f);
    Subset(0, 4);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE), D3D_OK);
    const MeshVertex quad[4] = {{-0.5f, -0.2f, 0, 0, 0, -1, 0, 0},
                                {-0.5f, 0.2f, 0, 0, 0, -1, 0, 1},
                                {0.5f, -0.2f, 0, 0, 0, -1, 1, 0},
                                {0.5f, 0.2f, 0, 0, 0, -1, 1, 1}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(MeshVertex)), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE), D3D_OK);
    Subset(4, 4);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, kQuads * 4, 0, 2), D3D_OK);
    Subset(2, 1);
  });
  EXPECT_EQ(draws.first, 5u);
  EXPECT_EQ(draws.second, 5u);
}

TEST_F(IndexedCoalescingTest, AStateChangedWhileDrawsWaitReachesTheirUniformsAndTheNextOnes) {
  // The texture factor lives in a uniform: each run must see its own value,
  // the waiting draws the one they were given and the next ones the new one.
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR), D3D_OK);
    Place(0.0f, 0.0f, 2.0f, 0.2f);
    const D3DCOLOR factors[4] = {0xFFFF4020, 0xFF20FF40, 0xFFFF4020, 0xFF4020FF};
    for (int run = 0; run < 4; ++run) {
      ASSERT_EQ(device_->SetRenderState(D3DRS_TEXTUREFACTOR, factors[run]), D3D_OK);
      Subset(run * 2, 1);
      Subset(run * 2 + 1, 1);
    }
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT), D3D_OK);
  });
  EXPECT_EQ(draws.first, 4u);
  EXPECT_EQ(draws.second, 8u);
}

TEST_F(IndexedCoalescingTest, RunsRepeatedFrameAfterFrameUploadNothingAndFollowNewIndices) {
  auto scene = [&] {
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    Place(0.0f, 0.0f, 2.0f, 0.2f);
    Subset(0, 3);
    Subset(4, 3);
  };
  // The first two frames keep the run's indices; later ones upload none.
  for (int frame = 0; frame < 2; ++frame) EXPECT_EQ(Compare(scene).first, 1u);
  const uint64_t before = d3d8::GetCounters().bufferData;
  EXPECT_EQ(Compare(scene).first, 1u);
  EXPECT_EQ(d3d8::GetCounters().bufferData, before);
  // The same ranges of rewritten indices are a different run: the picture
  // follows the new indices (quads turned the other way round).
  BYTE* p = nullptr;
  ASSERT_EQ(indices_->Lock(0, 0, &p, 0), D3D_OK);
  for (int i = 0; i < kQuads * 6; ++i) {
    WORD index = 0;
    std::memcpy(&index, p + i * 2, 2);
    index = static_cast<WORD>(kQuads * 4 - 1 - index);
    std::memcpy(p + i * 2, &index, 2);
  }
  ASSERT_EQ(indices_->Unlock(), D3D_OK);
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(Compare(scene).first, 1u);
}

TEST_F(IndexedCoalescingTest, SubsetsOfOneModelWithMaterialsOfTheirOwnBecomeOneDraw) {
  // Untextured subsets, each with its own material (specular and power
  // too), under one world: gathered with their materials in slots. Quad 2
  // is drawn twice with two materials (the second wins the depth test), so
  // its vertices serve two slots.
  ASSERT_EQ(device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE), D3D_OK);
  auto material = [&](int i) {
    D3DMATERIAL8 m{};
    m.Diffuse = {0.2f + 0.1f * i, 0.9f - 0.08f * i, 0.3f + 0.05f * (i % 3), 1.0f};
    m.Ambient = {0.1f * (i % 4), 0.2f, 0.3f, 1.0f};
    m.Specular = {0.5f, 0.4f + 0.05f * i, 0.3f, 1.0f};
    m.Emissive = {0.02f * i, 0.0f, 0.05f, 0.0f};
    m.Power = 4.0f + 3.0f * i;
    ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
  };
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    Place(0.0f, 0.0f, 2.0f, 0.3f);
    for (int q = 0; q < kQuads; ++q) {
      material(q);
      Subset(q, 1);
    }
    material(9);
    Subset(1, 2);
    // Elsewhere, two materials again: two more slots (9 to 11).
    Place(0.2f, 0.3f, 2.5f, -0.4f);
    for (int q = 0; q < kQuads; ++q) {
      material(q % 2);
      Subset(q, 1);
    }
    // Eight more: the seventeenth slot does not fit, and a new draw starts.
    Place(-0.3f, -0.2f, 2.8f, 0.6f);
    for (int q = 0; q < kQuads; ++q) {
      material(10 + q);
      Subset(q, 1);
    }
    ASSERT_EQ(device_->SetRenderState(D3DRS_SPECULARENABLE, FALSE), D3D_OK);
  });
  EXPECT_EQ(draws.first, 2u);
  EXPECT_EQ(draws.second, 25u);
}

TEST_F(IndexedCoalescingTest, SubsetsWithTexturesOfTheirOwnShareADrawUpToFour) {
  // Colour from the texture alone and alpha (blended) from texture and
  // vertex: an untextured subset runs other arithmetic, the lit colour.
  std::vector<IDirect3DTexture8*> textures = MakeTextures(device_, 5);
  // The second model's vertices lie further apart in their buffer.
  constexpr UINT kWideStride = sizeof(MeshVertex) + 12;
  IDirect3DVertexBuffer8* wide = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(kQuads * 4 * kWideStride, 0, kMeshFvf, D3DPOOL_MANAGED, &wide),
            D3D_OK);
  {
    FillMesh(mesh_, 0.2f);
    BYTE *from = nullptr, *to = nullptr;
    ASSERT_EQ(mesh_->Lock(0, 0, &from, D3DLOCK_READONLY), D3D_OK);
    ASSERT_EQ(wide->Lock(0, 0, &to, 0), D3D_OK);
    for (int v = 0; v < kQuads * 4; ++v)
      std::memcpy(to + v * kWideStride, from + v * sizeof(MeshVertex), sizeof(MeshVertex));
    ASSERT_EQ(wide->Unlock(), D3D_OK);
    ASSERT_EQ(mesh_->Unlock(), D3D_OK);
    FillMesh(mesh_, 0.0f);
  }
  auto texture = [&](int t) { ASSERT_EQ(device_->SetTexture(0, t < 0 ? nullptr : textures[t]), D3D_OK); };
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
    Material(0.9f, 0.7f, 0.5f, 0.8f);
    Place(-0.3f, 0.1f, 2.2f, 0.2f);
    texture(0), Subset(0, 1);
    texture(-1), Subset(1, 1);
    texture(1), Subset(2, 2);
    Place(0.25f, -0.3f, 2.6f, -0.4f);
    ASSERT_EQ(device_->SetStreamSource(0, wide, kWideStride), D3D_OK);
    texture(2);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kQuads * 4, 4 * 6, 2 * 2), D3D_OK);
    texture(3), Subset(6, 1);
    texture(0), Subset(7, 1);
    texture(-1), Subset(0, 1);
    // A fifth texture: the draw holds four, and another starts.
    Place(0.0f, 0.4f, 3.0f, 0.9f);
    texture(4), Subset(3, 3);
    texture(1), Subset(0, 2);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE), D3D_OK);
  });
  EXPECT_EQ(draws.first, 2u);
  EXPECT_EQ(draws.second, 9u);
  // With stage 1 on, only one texture of stage 0 fits a draw; a change of
  // stage 1's texture ends it too.
  const auto twoStages = Compare([&] {
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0), D3D_OK);
    ASSERT_EQ(device_->SetTexture(1, textures[4]), D3D_OK);
    Place(0.0f, 0.0f, 2.4f, 0.3f);
    texture(0), Subset(0, 2);
    Place(0.1f, 0.2f, 2.4f, 0.3f);
    Subset(2, 2);  // another world, the same textures: joins
    texture(1), Subset(4, 2);
    ASSERT_EQ(device_->SetTexture(1, textures[3]), D3D_OK);
    Subset(6, 2);
    ASSERT_EQ(device_->SetTexture(1, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE), D3D_OK);
  });
  EXPECT_EQ(twoStages.first, 3u);
  EXPECT_EQ(twoStages.second, 4u);
  wide->Release();
  for (IDirect3DTexture8* t : textures) t->Release();
}

TEST_F(IndexedCoalescingTest, SlottedSubsetsKeepTheVerticesTheyWereGiven) {
  // The model's vertices rewritten after two subsets with different
  // materials were gathered, before anything submitted them: they show the
  // vertices as they were, the next draw (joining them) the new ones.
  const auto draws = Compare([&] {
    FillMesh(mesh_, 0.0f);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    Place(0.0f, 0.0f, 2.0f, 0.2f);
    Material(0.9f, 0.2f, 0.2f, 1.0f);
    Subset(0, 3);
    Material(0.2f, 0.9f, 0.2f, 1.0f);
    Subset(3, 3);
    FillMesh(mesh_, 0.4f);
    Material(0.2f, 0.2f, 0.9f, 1.0f);
    Subset(5, 3);
  });
  EXPECT_EQ(draws.first, 1u);
  EXPECT_EQ(draws.second, 3u);
  FillMesh(mesh_, 0.0f);
}

TEST_F(IndexedCoalescingTest, ManyRunsKeptTogetherStayRightWhenTheKeepingStartsOver) {
  // More distinct runs than are kept at once, each drawn on two frames (so
  // it is kept), then the first ones again: every picture follows its own
  // indices while kept lists pile up in one buffer and it starts over.
  std::vector<std::pair<int, int>> runs;
  for (int a = 0; a < kQuads; ++a)
    for (int b = 0; b < kQuads; ++b)
      for (int n = 1; n <= 3 && runs.size() < 150; ++n)
        if (a != b) runs.push_back({a, b * 16 + n});
  ASSERT_EQ(runs.size(), 150u);
  auto scene = [&](const std::pair<int, int>& r) {
    return [this, r] {
      ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
      Place(0.0f, 0.0f, 2.0f, 0.2f);
      const int b = r.second / 16, n = r.second % 16;
      Subset(r.first, 1);
      Subset(b, std::min(n, kQuads - b));
    };
  };
  for (size_t i = 0; i < runs.size(); ++i)
    for (int frame = 0; frame < 2; ++frame) EXPECT_EQ(Compare(scene(runs[i]), 64).first, 1u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Compare(scene(runs[i]), 64).first, 1u);
}

}  // namespace
}  // namespace d3d8test
