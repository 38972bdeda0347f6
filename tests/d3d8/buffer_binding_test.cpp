// SPDX-License-Identifier: MIT
// Vertex and index buffers drawn in turn, released and made again: each
// draw must read the buffer it names with the layout it names, whatever was
// drawn before. Every scene is drawn once from buffers and once from memory
// (the same vertices and indices); the pictures must match pixel for pixel.
#include <algorithm>
#include <cmath>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

struct TexVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1
  float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kTexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
struct ColorVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE
  float x, y, z, nx, ny, nz;
  D3DCOLOR color;
};
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

// A quad of two triangles (a list) around (cx, cy), tilted by `tilt` so
// that lighting varies across it.
template <class V>
std::vector<V> Quad(float cx, float cy, float half, float tilt, const std::function<void(V&, int)>& extra) {
  static const int kCorners[6] = {0, 1, 2, 2, 1, 3};
  std::vector<V> out(6);
  for (int i = 0; i < 6; ++i) {
    const int c = kCorners[i];
    const float dx = (c & 1) ? half : -half, dy = (c & 2) ? -half : half;
    V& v = out[i];
    v.x = cx + dx, v.y = cy + dy, v.z = dx * std::sin(tilt);
    v.nx = std::sin(tilt + dx), v.ny = 0.3f, v.nz = -std::cos(tilt);
    extra(v, c);
  }
  return out;
}

std::vector<TexVertex> TexQuad(float cx, float cy, float half, float tilt) {
  return Quad<TexVertex>(cx, cy, half, tilt, [](TexVertex& v, int c) {
    v.u = (c & 1) ? 1.0f : 0.0f;
    v.v = (c & 2) ? 1.0f : 0.0f;
  });
}

std::vector<ColorVertex> ColorQuad(float cx, float cy, float half, float tilt, D3DCOLOR color) {
  return Quad<ColorVertex>(cx, cy, half, tilt, [color](ColorVertex& v, int c) {
    v.color = color ^ static_cast<D3DCOLOR>(c * 0x202000);
  });
}

class BufferBindingTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_), D3D_OK);
    D3DLOCKED_RECT r{};
    ASSERT_EQ(texture_->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        static_cast<uint32_t*>(r.pBits)[y * r.Pitch / 4 + x] =
            0xFF000000u | (0x40 + x * 0x30) << 16 | (0xF0 - y * 0x30) << 8 | 0x80;
    ASSERT_EQ(texture_->UnlockRect(0), D3D_OK);
    D3DMATRIX proj{};
    proj._11 = 1.0f, proj._22 = 1.3f, proj._33 = 1.01f, proj._34 = 1.0f, proj._43 = -0.101f;
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &proj), D3D_OK);
    D3DMATRIX view = Identity();
    view._43 = 1.0f;
    ASSERT_EQ(device_->SetTransform(D3DTS_VIEW, &view), D3D_OK);
    LightScene({0.3f, -0.4f, 0.8f}, 0xFF202020);
    D3DMATERIAL8 m{};
    m.Diffuse = m.Ambient = {0.8f, 0.7f, 0.9f, 1.0f};
    ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
  }

  void TearDown() override {
    if (texture_) texture_->Release();
    DeviceTest::TearDown();
  }

  template <class V>
  IDirect3DVertexBuffer8* MakeBuffer(DWORD fvf, const std::vector<V>& vertices) {
    IDirect3DVertexBuffer8* vb = nullptr;
    const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(V));
    EXPECT_EQ(device_->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &vb), D3D_OK);
    BYTE* p = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, vertices.data(), bytes);
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    return vb;
  }

  IDirect3DIndexBuffer8* MakeIndices(const std::vector<WORD>& indices) {
    IDirect3DIndexBuffer8* ib = nullptr;
    const UINT bytes = static_cast<UINT>(indices.size() * 2);
    EXPECT_EQ(device_->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib),
              D3D_OK);
    BYTE* p = nullptr;
    EXPECT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indices.data(), bytes);
    EXPECT_EQ(ib->Unlock(), D3D_OK);
    return ib;
  }

  // Draws `vertices` as a triangle list, from `vb` (already holding them)
  // or, when `vb` is null, from memory.
  template <class V>
  void DrawList(DWORD fvf, IDirect3DVertexBuffer8* vb, const std::vector<V>& vertices, bool textured) {
    ASSERT_EQ(device_->SetTexture(0, textured ? texture_ : nullptr), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(fvf), D3D_OK);
    const UINT triangles = static_cast<UINT>(vertices.size() / 3);
    if (!vb) {
      ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, vertices.data(), sizeof(V)), D3D_OK);
      return;
    }
    ASSERT_EQ(device_->SetStreamSource(0, vb, sizeof(V)), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles), D3D_OK);
  }

  // Draws `vertices` as a strip through `indices`, from buffers or memory.
  template <class V>
  void DrawStrip(DWORD fvf, IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib,
                 const std::vector<V>& vertices, const std::vector<WORD>& indices) {
    ASSERT_EQ(device_->SetTexture(0, texture_), D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(fvf), D3D_OK);
    const UINT triangles = static_cast<UINT>(indices.size() - 2);
    if (!vb) {
      ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, static_cast<UINT>(vertices.size()),
                                                triangles, indices.data(), D3DFMT_INDEX16, vertices.data(),
                                                sizeof(V)),
                D3D_OK);
      return;
    }
    ASSERT_EQ(device_->SetStreamSource(0, vb, sizeof(V)), D3D_OK);
    ASSERT_EQ(device_->SetIndices(ib, 0), D3D_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<UINT>(vertices.size()), 0,
                                            triangles),
              D3D_OK);
  }

  // Draws `scene(fromBuffers)` both ways on a fresh clear each; the pictures
  // must be equal and show more than the clear on a sixth of the pixels.
  void ExpectSameAsFromMemory(const std::function<void(bool)>& scene) {
    std::vector<uint32_t> pictures[2];
    for (int fromBuffers = 0; fromBuffers < 2; ++fromBuffers) {
      ClearTo(0xFF102030);
      ASSERT_EQ(device_->BeginScene(), D3D_OK);
      scene(fromBuffers != 0);
      ASSERT_EQ(device_->EndScene(), D3D_OK);
      pictures[fromBuffers] = ReadBack();
    }
    size_t differing = 0, drawn = 0;
    for (size_t i = 0; i < pictures[0].size(); ++i) {
      differing += pictures[0][i] != pictures[1][i];
      drawn += pictures[0][i] != 0xFF102030u;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(drawn, pictures[0].size() / 6);
  }

  IDirect3DTexture8* texture_ = nullptr;
};

TEST_F(BufferBindingTest, BuffersOfTwoLayoutsDrawnInTurnEachReadTheirOwn) {
  const auto left = TexQuad(-0.5f, 0.3f, 0.35f, 0.4f), right = TexQuad(0.45f, -0.3f, 0.3f, -0.6f);
  const auto middle = ColorQuad(0.0f, 0.0f, 0.4f, 0.2f, 0xFF30C040);
  IDirect3DVertexBuffer8* textured = MakeBuffer(kTexFvf, left);
  IDirect3DVertexBuffer8* moved = MakeBuffer(kTexFvf, right);
  IDirect3DVertexBuffer8* colored = MakeBuffer(kColorFvf, middle);
  // Each buffer is drawn again after the others, untextured after textured
  // and back, over two frames: the second frame finds everything made.
  for (int frame = 0; frame < 2; ++frame) {
    ExpectSameAsFromMemory([&](bool fromBuffers) {
      DrawList(kTexFvf, fromBuffers ? textured : nullptr, left, true);
      DrawList(kColorFvf, fromBuffers ? colored : nullptr, middle, false);
      DrawList(kTexFvf, fromBuffers ? moved : nullptr, right, true);
      DrawList(kTexFvf, fromBuffers ? textured : nullptr, left, false);
      DrawList(kColorFvf, fromBuffers ? colored : nullptr, middle, true);
    });
  }
  // A buffer drawn with a layout other than its own (its u coordinate read
  // as a colour): the attributes follow the layout set, not the one the
  // buffer was last drawn with.
  const auto pair = TexQuad(0.1f, 0.1f, 0.5f, 0.3f);
  IDirect3DVertexBuffer8* both = MakeBuffer(kTexFvf, pair);
  ExpectSameAsFromMemory([&](bool fromBuffers) {
    DrawList(kTexFvf, fromBuffers ? both : nullptr, pair, true);
    if (fromBuffers) {
      ASSERT_EQ(device_->SetVertexShader(kColorFvf), D3D_OK);
      ASSERT_EQ(device_->SetStreamSource(0, both, sizeof(TexVertex)), D3D_OK);
      ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    } else {
      std::vector<BYTE> strided(pair.size() * sizeof(TexVertex));
      std::memcpy(strided.data(), pair.data(), strided.size());
      ASSERT_EQ(device_->SetVertexShader(kColorFvf), D3D_OK);
      ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, strided.data(), sizeof(TexVertex)), D3D_OK);
    }
  });
  for (IDirect3DVertexBuffer8* vb : {textured, moved, colored, both}) EXPECT_EQ(vb->Release(), 0u);
}

TEST_F(BufferBindingTest, BuffersMadeAfterOthersWereReleasedShowTheirOwnContents) {
  const auto first = TexQuad(-0.2f, 0.1f, 0.5f, 0.5f), second = TexQuad(0.3f, -0.2f, 0.45f, -0.4f);
  const std::vector<WORD> forward = {0, 1, 2, 5}, backward = {1, 5, 0};
  IDirect3DVertexBuffer8* keep = MakeBuffer(kTexFvf, first);
  // A vertex buffer and an index buffer drawn, released, and new ones made
  // (OpenGL may hand out the same names again) with other contents.
  for (int round = 0; round < 3; ++round) {
    const auto& vertices = round % 2 ? second : first;
    const auto& indices = round % 2 ? backward : forward;
    IDirect3DVertexBuffer8* vb = MakeBuffer(kTexFvf, vertices);
    IDirect3DIndexBuffer8* ib = MakeIndices(indices);
    ExpectSameAsFromMemory([&](bool fromBuffers) {
      DrawList(kTexFvf, fromBuffers ? vb : nullptr, vertices, true);
      // The kept buffer drawn through the new indices: its vertex array
      // had the released index buffer bound.
      DrawStrip(kTexFvf, fromBuffers ? keep : nullptr, ib, first, indices);
    });
    EXPECT_EQ(ib->Release(), 0u);
    EXPECT_EQ(vb->Release(), 0u);
  }
  EXPECT_EQ(keep->Release(), 0u);
}

TEST_F(BufferBindingTest, DrawingAModelAgainCostsFewerCallsThanTheFirstTime) {
  const auto a = TexQuad(-0.4f, 0.0f, 0.4f, 0.3f);
  const auto b = ColorQuad(0.4f, 0.0f, 0.4f, -0.3f, 0xFFC08020);
  IDirect3DVertexBuffer8* va = MakeBuffer(kTexFvf, a);
  IDirect3DVertexBuffer8* vb = MakeBuffer(kColorFvf, b);
  auto frame = [&] {
    ClearTo(0xFF000000);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    DrawList(kTexFvf, va, a, true);
    DrawList(kColorFvf, vb, b, true);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
  };
  uint64_t calls[3] = {};
  for (uint64_t& c : calls) {
    const uint64_t before = d3d8::GetCounters().glCalls;
    frame();
    c = d3d8::GetCounters().glCalls - before;
  }
  // Once both were drawn, a frame describes no attribute again: it binds
  // each buffer's vertex array (and the program, textures and uniforms).
  EXPECT_EQ(calls[1], calls[2]);
  EXPECT_LE(calls[1] + 8, calls[0]);
  va->Release();
  vb->Release();
}

TEST_F(BufferBindingTest, DrawsFromMemoryPastTheStreamsEndShowWhatEachWasGiven) {
  // Forty large draws (too large to gather) of about 60 KB each, over two
  // frames: the vertex stream runs out and starts afresh several times. Each
  // draw fills one 8 x 8 cell with its own colour; the rest of its vertices
  // are degenerate triangles. Every other draw goes through indices.
  constexpr int kVertices = 3000, kCells = 40;
  auto color = [](int cell) {
    return 0xFF000000u | static_cast<D3DCOLOR>(cell * 6) << 16 | static_cast<D3DCOLOR>(255 - cell * 5) << 8 |
           static_cast<D3DCOLOR>(cell * 37 % 256);
  };
  std::vector<RhwVertex> v(kVertices);
  std::vector<WORD> indices(kVertices);
  for (int i = 0; i < kVertices; ++i) indices[i] = static_cast<WORD>(i);
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  ASSERT_EQ(device_->SetVertexShader(kRhwFvf), D3D_OK);
  for (int frame = 0; frame < 2; ++frame) {
    ClearTo(0xFF000000);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    for (int cell = 0; cell < kCells; ++cell) {
      const float x0 = static_cast<float>(cell % 8 * 8), y0 = static_cast<float>(cell / 8 * 8);
      const D3DCOLOR c = color(cell + frame);
      std::fill(v.begin(), v.end(), RhwVertex{x0, y0, 0.5f, 1.0f, c});
      const RhwVertex quad[6] = {{x0, y0, 0.5f, 1, c},     {x0 + 8, y0, 0.5f, 1, c},
                                 {x0, y0 + 8, 0.5f, 1, c}, {x0, y0 + 8, 0.5f, 1, c},
                                 {x0 + 8, y0, 0.5f, 1, c}, {x0 + 8, y0 + 8, 0.5f, 1, c}};
      std::copy(quad, quad + 6, v.begin());
      if (cell % 2)
        ASSERT_EQ(
            device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, kVertices, kVertices / 3, indices.data(),
                                            D3DFMT_INDEX16, v.data(), sizeof(RhwVertex)),
            D3D_OK);
      else
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, kVertices / 3, v.data(), sizeof(RhwVertex)),
                  D3D_OK);
    }
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<uint32_t> p = ReadBack();
    for (int cell = 0; cell < kCells; ++cell)
      EXPECT_EQ(p[(cell / 8 * 8 + 4) * kWidth + cell % 8 * 8 + 4], color(cell + frame)) << "cell " << cell;
  }
  // One draw larger than a whole store (1.2 MB), then a small one after it.
  v.assign(60000, RhwVertex{0, 0, 0.5f, 1.0f, 0xFF000000});
  const RhwVertex whole[6] = {{0, 0, 0.5f, 1, 0xFF4080C0},       {kWidth, 0, 0.5f, 1, 0xFF4080C0},
                              {0, kHeight, 0.5f, 1, 0xFF4080C0}, {0, kHeight, 0.5f, 1, 0xFF4080C0},
                              {kWidth, 0, 0.5f, 1, 0xFF4080C0},  {kWidth, kHeight, 0.5f, 1, 0xFF4080C0}};
  std::copy(whole, whole + 6, v.end() - 6);
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 20000, v.data(), sizeof(RhwVertex)), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v.data() + v.size() - 6, sizeof(RhwVertex)),
            D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  const std::vector<uint32_t> p = ReadBack();
  EXPECT_EQ(std::count(p.begin(), p.end(), 0xFF4080C0u), static_cast<long>(p.size()));
}

}  // namespace
}  // namespace d3d8test
