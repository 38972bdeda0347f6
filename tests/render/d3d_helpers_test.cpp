// SPDX-License-Identifier: MIT
// Textures from media files and the colour key in each texel format it
// accepts (and those it refuses).
#include "render/d3d_helpers.h"

#include <vector>

#include "display_fixture.h"

namespace {

class KeyTest : public DisplayTest {
 protected:
  // A 4 x 2 texture of `format` with two mip levels, filled with `texels`
  // (level 0) and with the first texel repeated (level 1).
  template <typename Texel>
  IDirect3DTexture8* Make(D3DFORMAT format, const std::vector<Texel>& texels) {
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device->CreateTexture(4, 2, 2, 0, format, D3DPOOL_MANAGED, &t), D3D_OK);
    if (!t) return nullptr;
    for (UINT level = 0; level < 2; ++level) {
      D3DLOCKED_RECT r = {};
      t->LockRect(level, &r, nullptr, 0);
      const UINT w = 4 >> level, h = 2 >> level;
      for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
          reinterpret_cast<Texel*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch)[x] =
              texels[level ? 0 : y * 4 + x];
      t->UnlockRect(level);
    }
    return t;
  }
  template <typename Texel>
  std::vector<Texel> Read(IDirect3DTexture8* t, UINT level) {
    D3DSURFACE_DESC d = {};
    t->GetLevelDesc(level, &d);
    D3DLOCKED_RECT r = {};
    t->LockRect(level, &r, nullptr, D3DLOCK_READONLY);
    std::vector<Texel> out;
    for (UINT y = 0; y < d.Height; ++y)
      for (UINT x = 0; x < d.Width; ++x)
        out.push_back(reinterpret_cast<const Texel*>(static_cast<const BYTE*>(r.pBits) + y * r.Pitch)[x]);
    t->UnlockRect(level);
    return out;
  }
};

TEST_F(KeyTest, SixteenBitFormatsKeyOpaqueBlackOnlyAndLeaveSmallerLevels) {
  // Opaque black, transparent black, red, opaque black, near-black, ...
  IDirect3DTexture8* t =
      Make<WORD>(D3DFMT_A1R5G5B5, {0x8000, 0x0000, 0xFC00, 0x8000, 0x8001, 0x8000, 0x83E0, 0x801F});
  ASSERT_EQ(KeyOutColor(t, 0), S_OK);
  EXPECT_EQ(Read<WORD>(t, 0), (std::vector<WORD>{0, 0, 0xFC00, 0, 0x8001, 0, 0x83E0, 0x801F}));
  EXPECT_EQ(Read<WORD>(t, 1), (std::vector<WORD>{0x8000, 0x8000}));
  t->Release();

  // The key's alpha byte is ignored in 16-bit formats; 0x123456 keys as
  // F 1 3 5 in A4R4G4B4.
  t = Make<WORD>(D3DFMT_A4R4G4B4, {0xF135, 0x0135, 0xF136, 0xF135, 0xF000, 0xF135, 0xFFFF, 0x0000});
  ASSERT_EQ(KeyOutColor(t, 0x00123456), S_OK);
  EXPECT_EQ(Read<WORD>(t, 0), (std::vector<WORD>{0, 0x0135, 0xF136, 0, 0xF000, 0, 0xFFFF, 0}));
  t->Release();
}

TEST_F(KeyTest, ThirtyTwoBitFormatComparesAlphaToo) {
  const std::vector<DWORD> texels = {0xFF000000, 0x00000000, 0xFF000000, 0xFFFFFFFF,
                                     0x80000000, 0xFF000001, 0xFF000000, 0x00000000};
  IDirect3DTexture8* t = Make<DWORD>(D3DFMT_A8R8G8B8, texels);
  ASSERT_EQ(KeyOutColor(t, 0), S_OK);  // only texels already 0 match
  EXPECT_EQ(Read<DWORD>(t, 0), texels);
  ASSERT_EQ(KeyOutColor(t, 0xFF000000), S_OK);  // opaque black, as the display keys its sheets
  EXPECT_EQ(Read<DWORD>(t, 0), (std::vector<DWORD>{0, 0, 0, 0xFFFFFFFF, 0x80000000, 0xFF000001, 0, 0}));
  t->Release();
}

TEST_F(KeyTest, OtherFormatsAreRefusedUntouched) {
  IDirect3DTexture8* t = Make<WORD>(D3DFMT_R5G6B5, {0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(KeyOutColor(t, 0), E_FAIL);
  EXPECT_EQ(Read<WORD>(t, 0), std::vector<WORD>(8, 0));
  t->Release();
  IDirect3DTexture8* x = Make<DWORD>(D3DFMT_X8R8G8B8, std::vector<DWORD>(8, 0xFF000000));
  EXPECT_EQ(KeyOutColor(x, 0xFF000000), E_FAIL);
  EXPECT_EQ(Read<DWORD>(x, 0), std::vector<DWORD>(8, 0xFF000000));
  x->Release();
  EXPECT_EQ(KeyOutColor(nullptr, 0), E_FAIL);
}

TEST_F(KeyTest, TexturesComeFromTheMediaDirectoryInTheAskedFormat) {
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(LoadTextureFile(device, "Glorbs2.bmp", &t, D3DFMT_A4R4G4B4), D3D_OK);
  D3DSURFACE_DESC d = {};
  t->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Format, D3DFMT_A4R4G4B4);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(t->GetLevelCount(), 9u);  // 256 x 256 with its full chain
  t->Release();

  IDirect3DTexture8* untouched = reinterpret_cast<IDirect3DTexture8*>(0x1234);
  EXPECT_TRUE(FAILED(LoadTextureFile(device, "NoSuchSheet.bmp", &untouched, D3DFMT_A1R5G5B5)));
  EXPECT_EQ(untouched, reinterpret_cast<IDirect3DTexture8*>(0x1234));
}

}  // namespace
