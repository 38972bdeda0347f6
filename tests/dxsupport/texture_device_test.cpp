// SPDX-License-Identifier: MIT
// Textures from image files on the game's own device: greyscale pictures,
// which the device has no format for, come out as grey texels in a format
// it has; compressed pictures are held to its largest texture.
#include <d3dx8.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "d3d8/d3d8_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class TextureOnDevice : public d3d8test::DeviceTest {
 protected:
  void TearDown() override {
    d3d8::SetMaxTextureSizeLimit(0);
    if (texture_) texture_->Release();
    texture_ = nullptr;
    DeviceTest::TearDown();
  }
  HRESULT Load(const Bytes& file) {
    const std::string path = testing::TempDir() + "device_image.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    if (texture_) texture_->Release();
    texture_ = nullptr;
    return D3DXCreateTextureFromFileA(device_, path.c_str(), &texture_);
  }
  // Texel (x, y) of level 0, read back through a lock, as 0xAARRGGBB.
  uint32_t Texel(UINT x, UINT y) {
    D3DSURFACE_DESC desc = {};
    EXPECT_EQ(texture_->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    D3DLOCKED_RECT locked = {};
    EXPECT_EQ(texture_->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t texel = 0;
    std::memcpy(&texel, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + 4 * x, 4);
    texture_->UnlockRect(0);
    return texel | 0xFF000000u;
  }

  IDirect3DTexture8* texture_ = nullptr;
};

TEST_F(TextureOnDevice, GreyscaleTgaAndPgmLoadAsGreyTexels) {
  const std::string header = "P5 2 2 255\n";
  Bytes pgm(header.begin(), header.end());
  pgm.insert(pgm.end(), {0x00, 0x40, 0x80, 0xFF});
  // An uncompressed grey TGA, top row first.
  const Bytes tga = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0x20, 0x00, 0x40, 0x80, 0xFF};
  for (const Bytes& file : {pgm, tga}) {
    ASSERT_EQ(Load(file), D3D_OK);
    EXPECT_EQ(Texel(0, 0), 0xFF000000u);
    EXPECT_EQ(Texel(1, 0), 0xFF404040u);
    EXPECT_EQ(Texel(0, 1), 0xFF808080u);
    EXPECT_EQ(Texel(1, 1), 0xFFFFFFFFu);
  }
}

TEST_F(TextureOnDevice, CompressedPicturesAreHeldToTheLargestTexture) {
  // A run-length grey TGA of 8 x 8 texels: two repeat packets of 32.
  Bytes tga = {0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0, 8, 0x20};
  tga.insert(tga.end(), {0x80 | 31, 0x55, 0x80 | 31, 0x55});
  ASSERT_EQ(Load(tga), D3D_OK);
  EXPECT_EQ(Texel(7, 7), 0xFF555555u);
  d3d8::SetMaxTextureSizeLimit(4);
  EXPECT_EQ(Load(tga), D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture_, nullptr);
}

}  // namespace
