// SPDX-License-Identifier: MIT
// State blocks as the texture font uses them (record, capture the caller's
// state, apply the text state, restore), and the refusals of invalid calls,
// which must leave every state as it was.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

using StateTest = DeviceTest;

DWORD RecordTextStates(IDirect3DDevice8* device, IDirect3DTexture8* glyphs) {
  EXPECT_EQ(device->BeginStateBlock(), D3D_OK);
  device->SetTexture(0, glyphs);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DWORD token = 0;
  EXPECT_EQ(device->EndStateBlock(&token), D3D_OK);
  EXPECT_NE(token, 0u);
  return token;
}

TEST_F(StateTest, StateBlockCapturesThenRestoresTheCallersState) {
  IDirect3DTexture8* glyphs = nullptr;
  IDirect3DTexture8* sprite = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &glyphs), D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &sprite), D3D_OK);
  const DWORD saved = RecordTextStates(device_, glyphs);
  const DWORD text = RecordTextStates(device_, glyphs);
  // Recording changed nothing on the device.
  DWORD v = 0;
  ASSERT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(FALSE));
  IDirect3DBaseTexture8* bound = nullptr;
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, nullptr);

  // The caller's state: a sprite with additive blending and linear filtering.
  device_->SetTexture(0, sprite);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);  // not in the blocks: untouched

  ASSERT_EQ(device_->CaptureStateBlock(saved), D3D_OK);
  ASSERT_EQ(device_->ApplyStateBlock(text), D3D_OK);
  ASSERT_EQ(device_->GetRenderState(D3DRS_SRCBLEND, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DBLEND_SRCALPHA));
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, glyphs);
  bound->Release();
  // The text is drawn with the text state...
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  DrawRect(0, 0, 8, 8, 0x80FFFFFF);
  EXPECT_NEAR(Red(Pixel(4, 4)), 128, 1);  // alpha blending, not additive
  // ...and the caller's state comes back.
  ASSERT_EQ(device_->ApplyStateBlock(saved), D3D_OK);
  ASSERT_EQ(device_->GetRenderState(D3DRS_SRCBLEND, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DBLEND_ONE));
  ASSERT_EQ(device_->GetTextureStageState(0, D3DTSS_MINFILTER, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_LINEAR));
  ASSERT_EQ(device_->GetRenderState(D3DRS_LIGHTING, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(FALSE));
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, sprite);
  bound->Release();

  EXPECT_EQ(device_->DeleteStateBlock(saved), D3D_OK);
  EXPECT_EQ(device_->DeleteStateBlock(saved), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->ApplyStateBlock(saved), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DeleteStateBlock(text), D3D_OK);
  device_->SetTexture(0, nullptr);
  glyphs->Release();
  sprite->Release();
}

TEST_F(StateTest, ReleasedTextureLeavesDeviceAndBlocks) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  const DWORD block = RecordTextStates(device_, t);
  ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
  EXPECT_EQ(t->Release(), 0u);
  IDirect3DBaseTexture8* bound = reinterpret_cast<IDirect3DBaseTexture8*>(1);
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, nullptr);
  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, nullptr);
  DrawRect(0, 0, 4, 4, 0xFFFFFFFF);  // draws without the texture, no dangling use
}

TEST_F(StateTest, InvalidCallsAreRefusedAndChangeNothing) {
  DWORD before = 0, after = 0;
  ASSERT_EQ(device_->GetRenderState(D3DRS_CULLMODE, &before), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(5), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(300), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderState(D3DRS_FORCE_DWORD, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(5), &after), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetRenderState(D3DRS_CULLMODE, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTexture(2, nullptr), D3DERR_INVALIDCALL);
  const D3DMATRIX id = Identity();
  EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &id), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTransform(D3DTS_WORLD, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetMaterial(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetLight(0, nullptr), D3DERR_INVALIDCALL);
  D3DLIGHT8 bad{};
  bad.Type = static_cast<D3DLIGHTTYPE>(9);
  EXPECT_EQ(device_->SetLight(0, &bad), D3DERR_INVALIDCALL);
  D3DLIGHT8 got{};
  EXPECT_EQ(device_->GetLight(0, &got), D3DERR_INVALIDCALL);  // never set
  D3DVIEWPORT8 huge = {0, 0, kWidth + 1, kHeight, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&huge), D3DERR_INVALIDCALL);
  D3DVIEWPORT8 vp{};
  ASSERT_EQ(device_->GetViewport(&vp), D3D_OK);
  EXPECT_EQ(vp.Width, kWidth);
  EXPECT_EQ(device_->SetVertexShader(0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetStreamSource(1, nullptr, 20), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0),
            D3DERR_INVALIDCALL);  // D16 has no stencil
  EXPECT_EQ(device_->Clear(2, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(device_->EndStateBlock(&after), D3DERR_INVALIDCALL);
  IDirect3DSurface8* s = nullptr;
  EXPECT_EQ(device_->GetBackBuffer(1, D3DBACKBUFFER_TYPE_MONO, &s), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Reset(nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->GetRenderState(D3DRS_CULLMODE, &after), D3D_OK);
  EXPECT_EQ(before, after);
}

TEST_F(StateTest, DrawsThatWouldReadPastTheirBuffersAreRefused) {
  ASSERT_EQ(device_->SetVertexShader(kRhwFvf), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // no stream
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(80, 0, kRhwFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb, 20), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0xFFFFFFF0u, 0x7FFFFFFF), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetStreamSource(0, vb, 12), D3D_OK);  // stride smaller than a vertex
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetStreamSource(0, vb, 20), D3D_OK);
  BYTE* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // still locked
  ASSERT_EQ(vb->Unlock(), D3D_OK);

  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3DERR_INVALIDCALL);  // no indices
  ASSERT_EQ(device_->SetIndices(ib, 0), D3D_OK);
  ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
  const WORD indices[6] = {0, 1, 2, 2, 1, 4};  // 4 is past the four vertices
  std::memcpy(p, indices, sizeof(indices));
  ASSERT_EQ(ib->Unlock(), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 5, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 4, 1),
            D3DERR_INVALIDCALL);                  // past the end
  ASSERT_EQ(device_->SetIndices(ib, 1), D3D_OK);  // base 1: index 2 -> vertex 3, still inside
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
  ASSERT_EQ(device_->SetIndices(ib, 2), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);

  RhwVertex v[3] = {};
  const WORD wild[3] = {0, 1, 7};
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, wild, D3DFMT_INDEX16, v,
                                            sizeof(RhwVertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, sizeof(RhwVertex)), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 8), D3DERR_INVALIDCALL);
  device_->SetIndices(nullptr, 0);
  device_->SetStreamSource(0, nullptr, 0);
  ib->Release();
  vb->Release();
}

TEST_F(StateTest, IndexedDrawFromBuffers) {
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(5 * sizeof(RhwVertex), 0, kRhwFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
  RhwVertex quad[5] = {{0, 0, 0, 1, 0},
                       {8, 8, 0.5f, 1, 0xFF00FFFF},
                       {24, 8, 0.5f, 1, 0xFF00FFFF},
                       {8, 24, 0.5f, 1, 0xFF00FFFF},
                       {24, 24, 0.5f, 1, 0xFF00FFFF}};
  BYTE* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
  std::memcpy(p, quad, sizeof(quad));
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(6 * 4, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &ib), D3D_OK);
  const uint32_t indices[6] = {0, 1, 2, 2, 1, 3};
  ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
  std::memcpy(p, indices, sizeof(indices));
  ASSERT_EQ(ib->Unlock(), D3D_OK);
  ASSERT_EQ(device_->SetVertexShader(kRhwFvf), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb, sizeof(RhwVertex)), D3D_OK);
  ASSERT_EQ(device_->SetIndices(ib, 1), D3D_OK);  // vertex 0 is skipped by the base
  ClearTo(0xFF000000);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(Pixel(8, 8), 0xFF00FFFFu);
  EXPECT_EQ(Pixel(23, 23), 0xFF00FFFFu);
  EXPECT_EQ(Pixel(24, 24), 0xFF000000u);
  device_->SetIndices(nullptr, 0);
  device_->SetStreamSource(0, nullptr, 0);
  ib->Release();
  vb->Release();
}

TEST_F(StateTest, ImageSurfaceCopiedToAndFromTheBackBuffer) {
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(8, 8, D3DFMT_X8R8G8B8, &image), D3D_OK);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(image->LockRect(&r, nullptr, 0), D3D_OK);
  for (int i = 0; i < 64; ++i) static_cast<uint32_t*>(r.pBits)[i] = 0xFF102030 + i;
  ASSERT_EQ(image->UnlockRect(), D3D_OK);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  ClearTo(0xFF000000);
  RECT all = {0, 0, 8, 8};
  POINT at = {20, 10};
  ASSERT_EQ(device_->CopyRects(image, &all, 1, back, &at), D3D_OK);
  EXPECT_EQ(Pixel(20, 10), 0xFF102030u);
  EXPECT_EQ(Pixel(27, 17), 0xFF102030u + 63);
  EXPECT_EQ(Pixel(28, 17), 0xFF000000u);
  // And back: the lockable copy of the back buffer.
  IDirect3DSurface8* copy = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(kWidth, kHeight, D3DFMT_X8R8G8B8, &copy), D3D_OK);
  ASSERT_EQ(device_->CopyRects(back, nullptr, 0, copy, nullptr), D3D_OK);
  ASSERT_EQ(copy->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<uint32_t*>(r.pBits)[10 * kWidth + 21], 0xFF102031u);
  copy->UnlockRect();
  EXPECT_EQ(back->LockRect(&r, nullptr, 0), D3DERR_INVALIDCALL);  // not asked to be lockable
  copy->Release();
  back->Release();
  image->Release();
}

}  // namespace
}  // namespace d3d8test
