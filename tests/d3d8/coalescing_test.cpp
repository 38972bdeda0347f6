// SPDX-License-Identifier: MIT
// Gathered draws against one draw per call: each scene is drawn twice, once
// with coalescing and once without, and the two back buffers must match
// pixel for pixel while the gathered run submits fewer OpenGL draws. Scenes
// cover blending order, texture and state changes mid-run, buffer and
// texture writes and clears between draws, strips, fans and flat shading;
// and sprites placed in the world on the CPU land where the GPU puts them.
#include <cmath>
#include <functional>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

struct SpriteVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kSpriteFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class CoalescingTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(SpriteVertex), D3DUSAGE_WRITEONLY, kSpriteFvf,
                                          D3DPOOL_MANAGED, &quad_),
              D3D_OK);
    sheets_[0] = MakeSheet(0);
    sheets_[1] = MakeSheet(1);
    // A perspective camera looking down +z, as the game's.
    D3DMATRIX proj{};
    proj._11 = 1.5f, proj._22 = 2.0f, proj._33 = 1.01f, proj._34 = 1.0f, proj._43 = -0.101f;
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &proj), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
  }

  void TearDown() override {
    if (quad_) quad_->Release();
    for (IDirect3DTexture8* t : sheets_)
      if (t) t->Release();
    DeviceTest::TearDown();
  }

  // An 8 x 8 sheet whose colour and alpha vary by texel, so that blending
  // order and texture coordinates both show in the picture.
  IDirect3DTexture8* MakeSheet(int seed) {
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT r{};
    EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const uint32_t a = 0x40 + ((x * 37 + y * 11 + seed * 90) & 0xBF);
        const uint32_t c = seed ? 0x2040F0 + x * 0x100000 : 0xF04020 + y * 0x1000;
        static_cast<uint32_t*>(r.pBits)[y * r.Pitch / 4 + x] = a << 24 | c;
      }
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }

  // The game's sprite: refill the shared quad, place it with the world
  // transform (turned by `angle`), draw it as a two-triangle strip.
  void Sprite(float x, float y, float z, float half, float angle, D3DCOLOR color) {
    BYTE* p = nullptr;
    ASSERT_EQ(quad_->Lock(0, 0, &p, 0), D3D_OK);
    const SpriteVertex v[4] = {{-half, -half, 0, color, 0, 1},
                               {-half, half, 0, color, 0, 0},
                               {half, -half, 0, color, 1, 1},
                               {half, half, 0, color, 1, 0}};
    std::memcpy(p, v, sizeof(v));
    ASSERT_EQ(quad_->Unlock(), D3D_OK);
    D3DMATRIX world = Identity();
    world._11 = world._22 = std::cos(angle);
    world._12 = std::sin(angle), world._21 = -world._12;
    world._41 = x, world._42 = y, world._43 = z;
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &world), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(kSpriteFvf), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, quad_, sizeof(SpriteVertex)), D3D_OK);
    if (indexed_) {
      ASSERT_EQ(device_->SetIndices(indexed_, 0), D3D_OK);
      ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 4, 0, 2), D3D_OK);
    } else {
      ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    }
  }

  void AlphaBlend(DWORD src, DWORD dst) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, src), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, dst), D3D_OK);
  }

  // A row of overlapping sprites, each over the last, so any change of
  // order changes the picture.
  void Row(int count, float y, D3DCOLOR color) {
    for (int i = 0; i < count; ++i)
      Sprite(-1.3f + i * 0.23f, y + 0.05f * std::sin(i * 1.7f), 3.0f - 0.01f * i, 0.31f, 0.3f * i, color);
  }

  struct Run {
    std::vector<uint32_t> pixels;
    uint64_t draws = 0;
  };

  Run Draw(bool coalesce, const std::function<void()>& scene) {
    Run run;
    EXPECT_EQ(d3d8::SetDrawCoalescing(device_, coalesce ? TRUE : FALSE), D3D_OK);
    ClearTo(0xFF203040);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    const uint64_t before = d3d8::GetCounters().draws;
    scene();
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    run.draws = d3d8::GetCounters().draws - before;
    run.pixels = ReadBack();
    return run;
  }

  // Draws `scene` both ways; the pictures must be equal and show more than
  // the clear colour. Gives the draw counts, gathered first.
  std::pair<uint64_t, uint64_t> Compare(const std::function<void()>& scene) {
    const Run together = Draw(true, scene);
    const Run apart = Draw(false, scene);
    size_t differing = 0, drawn = 0;
    for (size_t i = 0; i < apart.pixels.size(); ++i) {
      differing += together.pixels[i] != apart.pixels[i];
      drawn += apart.pixels[i] != 0xFF203040;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(drawn, apart.pixels.size() / 16);
    return {together.draws, apart.draws};
  }

  IDirect3DVertexBuffer8* quad_ = nullptr;
  IDirect3DIndexBuffer8* indexed_ = nullptr;  // set: sprites draw through it
  IDirect3DTexture8* sheets_[2] = {};
};

TEST_F(CoalescingTest, BlendedSpritesInOrderBecomeOneDraw) {
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, sheets_[0]), D3D_OK);
    AlphaBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Row(12, 0.0f, 0xFFFFFFFF);
  });
  EXPECT_EQ(draws.first, 1u);
  EXPECT_EQ(draws.second, 12u);
}

TEST_F(CoalescingTest, TextureOrStateChangeMidRunSplitsTheBatch) {
  auto draws = Compare([&] {
    AlphaBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    ASSERT_EQ(device_->SetTexture(0, sheets_[0]), D3D_OK);
    Row(5, 0.3f, 0xFFFFFFFF);
    ASSERT_EQ(device_->SetTexture(0, sheets_[1]), D3D_OK);
    Row(5, 0.1f, 0xFFFFFFFF);
    ASSERT_EQ(device_->SetTexture(0, sheets_[0]), D3D_OK);
    Row(5, -0.1f, 0xFFFFFFFF);
  });
  EXPECT_EQ(draws.first, 3u);
  EXPECT_EQ(draws.second, 15u);

  draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, sheets_[1]), D3D_OK);
    AlphaBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Row(6, 0.2f, 0xFFFFFFFF);
    AlphaBlend(D3DBLEND_ONE, D3DBLEND_ONE);  // debris: additive
    Row(6, 0.0f, 0xFF806040);
    // Setting a state to the value it has changes nothing and splits nothing.
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE), D3D_OK);
    Row(6, -0.2f, 0xFF406080);
  });
  EXPECT_EQ(draws.first, 2u);
  EXPECT_EQ(draws.second, 18u);
}

TEST_F(CoalescingTest, StatesSetAndSetBackKeepTheBatchOpen) {
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, sheets_[0]), D3D_OK);
    AlphaBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Row(4, 0.3f, 0xFFFFFFFF);
    // Text drawn inside state blocks does this: set, then restore.
    ASSERT_EQ(device_->SetTexture(0, sheets_[1]), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, sheets_[0]), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    Row(4, 0.1f, 0xFFFFFFFF);
    // Changed and not set back: the clear draws the waiting sprites with
    // the states they were given, then the additive ones follow it.
    AlphaBlend(D3DBLEND_ONE, D3DBLEND_ONE);
    ASSERT_EQ(device_->SetTexture(0, sheets_[1]), D3D_OK);
    const D3DRECT band = {0, 30, kWidth, 34};
    ASSERT_EQ(device_->Clear(1, &band, D3DCLEAR_TARGET, 0xFF000080, 1.0f, 0), D3D_OK);
    Row(4, -0.2f, 0xFF808080);
  });
  EXPECT_EQ(draws.first, 2u);
  EXPECT_EQ(draws.second, 12u);
}

TEST_F(CoalescingTest, WritesAndClearsBetweenDrawsLandInOrder) {
  // The quad is relocked before every sprite already; here a second buffer
  // is drawn, rewritten, and drawn again inside one run.
  IDirect3DVertexBuffer8* other = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(SpriteVertex), 0, kSpriteFvf, D3DPOOL_MANAGED, &other),
            D3D_OK);
  auto fill = [&](float x, D3DCOLOR c) {
    BYTE* p = nullptr;
    ASSERT_EQ(other->Lock(0, 0, &p, 0), D3D_OK);
    const SpriteVertex v[4] = {{x, -0.5f, 3, c, 0, 1},
                               {x, 0.5f, 3, c, 0, 0},
                               {x + 0.6f, -0.5f, 3, c, 1, 1},
                               {x + 0.6f, 0.5f, 3, c, 1, 0}};
    std::memcpy(p, v, sizeof(v));
    ASSERT_EQ(other->Unlock(), D3D_OK);
  };
  auto texel = [&](uint32_t value) {
    D3DLOCKED_RECT r{};
    ASSERT_EQ(sheets_[0]->LockRect(0, &r, nullptr, 0), D3D_OK);
    static_cast<uint32_t*>(r.pBits)[9] = value;
    ASSERT_EQ(sheets_[0]->UnlockRect(0), D3D_OK);
  };
  const auto draws = Compare([&] {
    texel(0x8000FF00);
    ASSERT_EQ(device_->SetTexture(0, sheets_[0]), D3D_OK);
    AlphaBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Row(4, 0.2f, 0xFFFFFFFF);
    const D3DMATRIX identity = Identity();
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &identity), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, other, sizeof(SpriteVertex)), D3D_OK);
    fill(-1.0f, 0xFFFF8080);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    fill(-0.7f, 0xFF80FF80);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    // A clear of a band between draws covers what came before it only.
    const D3DRECT band = {0, 20, kWidth, 26};
    ASSERT_EQ(device_->Clear(1, &band, D3DCLEAR_TARGET, 0xFF00C000, 1.0f, 0), D3D_OK);
    Row(4, -0.1f, 0xFFFFFFFF);
    // New texels reach the draws after the write, not the ones before it.
    texel(0xFFFFFFFF);
    Row(4, -0.3f, 0xFFFFFFFF);
  });
  // Rows and the two buffer draws gather; the clear and the texture write
  // each end a batch.
  EXPECT_EQ(draws.first, 3u);
  EXPECT_EQ(draws.second, 14u);
  other->Release();
}

TEST_F(CoalescingTest, StripsFansAndFlatShadingKeepFacingAndColour) {
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT), D3D_OK);
    // Culling drops the back-facing half of each strip and fan if a
    // conversion turned a triangle around.
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(kRhwFvf), D3D_OK);
    const D3DCOLOR colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    for (int k = 0; k < 3; ++k) {
      const float x = 2.0f + k * 20.0f;
      RhwVertex strip[6];
      for (int i = 0; i < 6; ++i)
        strip[i] = {x + (i / 2) * 8.0f, (i & 1) ? 22.0f : 2.0f, 0.5f, 1, colours[(i + k) % 6]};
      ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 4, strip, sizeof(RhwVertex)), D3D_OK);
      RhwVertex fan[5] = {{x + 8, 36, 0.5f, 1, colours[k]},
                          {x, 26, 0.5f, 1, colours[(k + 1) % 6]},
                          {x + 16, 26, 0.5f, 1, colours[(k + 2) % 6]},
                          {x + 16, 46, 0.5f, 1, colours[(k + 3) % 6]},
                          {x, 46, 0.5f, 1, colours[(k + 4) % 6]}};
      ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 3, fan, sizeof(RhwVertex)), D3D_OK);
    }
  });
  EXPECT_EQ(draws.first, 1u);
  EXPECT_EQ(draws.second, 6u);
}

TEST_F(CoalescingTest, LitDrawsGoStraightThrough) {
  // Lighting reads normals and distances in camera space: no gathering.
  const auto draws = Compare([&] {
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_AMBIENT, 0xFF808080), D3D_OK);
    D3DMATERIAL8 material{};
    material.Ambient = {1.0f, 0.5f, 0.25f, 1.0f};
    ASSERT_EQ(device_->SetMaterial(&material), D3D_OK);
    Row(6, 0.0f, 0xFFFFFFFF);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  });
  EXPECT_EQ(draws.first, 6u);
  EXPECT_EQ(draws.second, 6u);
}

TEST_F(CoalescingTest, WorldPlacementOnTheCpuMatchesTheGpu) {
  // Indexed draws are never gathered: the GPU applies their world matrix.
  IDirect3DIndexBuffer8* strip = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(8, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &strip), D3D_OK);
  BYTE* p = nullptr;
  ASSERT_EQ(strip->Lock(0, 0, &p, 0), D3D_OK);
  const WORD order[4] = {0, 1, 2, 3};
  std::memcpy(p, order, sizeof(order));
  ASSERT_EQ(strip->Unlock(), D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, sheets_[1]), D3D_OK);
  std::vector<uint32_t> pictures[2];
  for (int gpu = 0; gpu < 2; ++gpu) {
    indexed_ = gpu ? strip : nullptr;
    ClearTo(0xFF203040);
    for (int i = 0; i < 8; ++i)
      Sprite(-1.2f + 0.33f * i, 0.1f * (i % 3), 2.5f + 0.2f * i, 0.25f, 0.4f * i, 0xFFFFFFFF);
    pictures[gpu] = ReadBack();
  }
  indexed_ = nullptr;
  strip->Release();
  // Rounding may move an edge pixel, nothing more.
  size_t differing = 0, drawn = 0;
  for (size_t i = 0; i < pictures[0].size(); ++i) {
    differing += pictures[0][i] != pictures[1][i];
    drawn += pictures[1][i] != 0xFF203040;
  }
  EXPECT_GT(drawn, pictures[0].size() / 8);
  EXPECT_LE(differing, pictures[0].size() / 500);
}

}  // namespace
}  // namespace d3d8test
