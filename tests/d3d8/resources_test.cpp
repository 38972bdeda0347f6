// SPDX-License-Identifier: MIT
// Textures, surfaces and buffers: level chains and descriptions, locks that
// expose the exact bytes written, refusals of bad locks and bad sizes, copies.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

using ResourceTest = DeviceTest;

TEST_F(ResourceTest, TextureLevelsAndDescriptions) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(64, 16, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &t), D3D_OK);
  ASSERT_EQ(t->GetLevelCount(), 7u);  // 64x16 down to 1x1
  const UINT widths[7] = {64, 32, 16, 8, 4, 2, 1}, heights[7] = {16, 8, 4, 2, 1, 1, 1};
  for (UINT i = 0; i < 7; ++i) {
    D3DSURFACE_DESC d{};
    ASSERT_EQ(t->GetLevelDesc(i, &d), D3D_OK);
    EXPECT_EQ(d.Width, widths[i]);
    EXPECT_EQ(d.Height, heights[i]);
    EXPECT_EQ(d.Format, D3DFMT_A1R5G5B5);
    EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
    D3DLOCKED_RECT r{};
    ASSERT_EQ(t->LockRect(i, &r, nullptr, 0), D3D_OK);
    EXPECT_EQ(r.Pitch, static_cast<INT>(widths[i] * 2));
    ASSERT_EQ(t->UnlockRect(i), D3D_OK);
  }
  D3DSURFACE_DESC d{};
  D3DLOCKED_RECT r{};
  EXPECT_EQ(t->GetLevelDesc(7, &d), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(7, &r, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->Release(), 0u);
}

TEST_F(ResourceTest, LocksKeepTheExactBytesOfEveryFormat) {
  const D3DFORMAT formats[] = {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
                               D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_R8G8B8};
  const UINT bytesPerPixel[] = {2, 2, 4, 4, 2, 2, 3};
  for (size_t f = 0; f < sizeof(formats) / sizeof(formats[0]); ++f) {
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device_->CreateTexture(5, 3, 1, 0, formats[f], D3DPOOL_MANAGED, &t), D3D_OK) << formats[f];
    D3DLOCKED_RECT r{};
    ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    ASSERT_EQ(r.Pitch, static_cast<INT>(5 * bytesPerPixel[f]));
    BYTE* bytes = static_cast<BYTE*>(r.pBits);
    for (INT i = 0; i < r.Pitch * 3; ++i) bytes[i] = static_cast<BYTE>(i * 37 + f);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    // Drawing with it uploads it; the bytes a later lock shows are unchanged.
    ASSERT_EQ(device_->SetTexture(0, t), D3D_OK);
    DrawRect(0, 0, 4, 4, 0xFFFFFFFF);
    ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (INT i = 0; i < r.Pitch * 3; ++i)
      ASSERT_EQ(static_cast<BYTE*>(r.pBits)[i], static_cast<BYTE>(i * 37 + f));
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(t->Release(), 0u);
  }
}

TEST_F(ResourceTest, SubRectLocksAndBadLocks) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT whole{}, part{};
  ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
  BYTE* base = static_cast<BYTE*>(whole.pBits);
  D3DLOCKED_RECT again{};
  EXPECT_EQ(t->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  RECT r = {2, 3, 6, 8};
  ASSERT_EQ(t->LockRect(0, &part, &r, 0), D3D_OK);
  EXPECT_EQ(static_cast<BYTE*>(part.pBits), base + 3 * 32 + 2 * 4);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  const RECT bad[] = {{0, 0, 9, 1}, {-1, 0, 2, 2}, {3, 3, 3, 4}, {0, 5, 4, 2}};
  for (const RECT& b : bad) EXPECT_EQ(t->LockRect(0, &part, &b, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(0, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->Release(), 0u);
}

TEST_F(ResourceTest, BadTextureRequestsAreRefused) {
  IDirect3DTexture8* t = reinterpret_cast<IDirect3DTexture8*>(1);
  EXPECT_EQ(device_->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(device_->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, static_cast<D3DPOOL>(7), &t),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(ResourceTest, SmallerMaximumTextureSizeCanBeEmulated) {
  d3d8::SetMaxTextureSizeLimit(256);
  D3DCAPS8 caps{};
  ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_EQ(caps.MaxTextureWidth, 256u);
  D3DCAPS8 adapterCaps{};
  ASSERT_EQ(d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &adapterCaps), D3D_OK);
  EXPECT_EQ(adapterCaps.MaxTextureWidth, 256u);
  IDirect3DTexture8* t = nullptr;
  EXPECT_EQ(device_->CreateTexture(512, 512, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateTexture(256, 256, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &t), D3D_OK);
  t->Release();
  d3d8::SetMaxTextureSizeLimit(0);
  ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_GE(caps.MaxTextureWidth, 1024u);
}

TEST_F(ResourceTest, SurfaceLevelSharesTheTextureBytesAndLifetime) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 2, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &t), D3D_OK);
  IDirect3DSurface8* s = nullptr;
  IDirect3DSurface8* none = nullptr;
  EXPECT_EQ(t->GetSurfaceLevel(2, &none), D3DERR_INVALIDCALL);
  EXPECT_EQ(none, nullptr);
  ASSERT_EQ(t->GetSurfaceLevel(1, &s), D3D_OK);
  t->Release();  // the surface keeps its texture alive
  D3DSURFACE_DESC d{};
  ASSERT_EQ(s->GetDesc(&d), D3D_OK);
  EXPECT_EQ(d.Width, 2u);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(s->LockRect(&r, nullptr, 0), D3D_OK);
  static_cast<WORD*>(r.pBits)[3] = 0xF123;
  ASSERT_EQ(s->UnlockRect(), D3D_OK);
  IDirect3DTexture8* owner = nullptr;
  ASSERT_EQ(s->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&owner)), D3D_OK);
  ASSERT_EQ(owner->LockRect(1, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<WORD*>(r.pBits)[3], 0xF123);
  owner->UnlockRect(1);
  owner->Release();
  EXPECT_EQ(s->Release(), 0u);
}

TEST_F(ResourceTest, VertexAndIndexBufferLocks) {
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &vb), D3D_OK);
  D3DVERTEXBUFFER_DESC vd{};
  ASSERT_EQ(vb->GetDesc(&vd), D3D_OK);
  EXPECT_EQ(vd.Size, 96u);
  EXPECT_EQ(vd.FVF, 0x142u);
  EXPECT_EQ(vd.Pool, D3DPOOL_MANAGED);
  BYTE* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
  std::memset(p, 0xAB, 96);
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  ASSERT_EQ(vb->Lock(24, 24, &p, D3DLOCK_NOOVERWRITE), D3D_OK);
  EXPECT_EQ(p[0], 0xAB);
  p[0] = 1;
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  ASSERT_EQ(vb->Lock(0, 96, &p, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_EQ(p[24], 1);
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(90, 8, &p, 0), D3DERR_INVALIDCALL);  // past the end
  EXPECT_EQ(vb->Lock(97, 0, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Release(), 0u);
  EXPECT_EQ(device_->CreateVertexBuffer(10, 0, 0x142, D3DPOOL_MANAGED, &vb),
            D3DERR_INVALIDCALL);  // < one vertex

  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM, &ib), D3D_OK);
  D3DINDEXBUFFER_DESC id{};
  ASSERT_EQ(ib->GetDesc(&id), D3D_OK);
  EXPECT_EQ(id.Format, D3DFMT_INDEX16);
  EXPECT_EQ(id.Size, 12u);
  EXPECT_EQ(ib->Release(), 0u);
  EXPECT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib), D3DERR_INVALIDCALL);
}

TEST_F(ResourceTest, CopyRectsBetweenImageSurfacesAndTextureLevels) {
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A1R5G5B5, &image), D3D_OK);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(image->LockRect(&r, nullptr, 0), D3D_OK);
  for (int i = 0; i < 16; ++i) static_cast<WORD*>(r.pBits)[i] = static_cast<WORD>(0x8000 + i);
  ASSERT_EQ(image->UnlockRect(), D3D_OK);
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &t), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(0, &level), D3D_OK);
  RECT from = {1, 1, 3, 3};
  POINT to = {5, 6};
  ASSERT_EQ(device_->CopyRects(image, &from, 1, level, &to), D3D_OK);
  ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  const WORD* texels = static_cast<const WORD*>(r.pBits);
  EXPECT_EQ(texels[6 * 8 + 5], 0x8000 + 5);
  EXPECT_EQ(texels[7 * 8 + 6], 0x8000 + 10);
  EXPECT_EQ(texels[6 * 8 + 4], 0);
  t->UnlockRect(0);
  // A rectangle that does not fit, or another format, copies nothing.
  POINT outside = {7, 7};
  EXPECT_EQ(device_->CopyRects(image, &from, 1, level, &outside), D3DERR_INVALIDCALL);
  IDirect3DSurface8* other = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &other), D3D_OK);
  EXPECT_EQ(device_->CopyRects(image, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CopyRects(nullptr, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
  other->Release();
  level->Release();
  t->Release();
  EXPECT_EQ(image->Release(), 0u);
}

}  // namespace
}  // namespace d3d8test
