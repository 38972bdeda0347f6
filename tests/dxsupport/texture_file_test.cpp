// SPDX-License-Identifier: MIT
// Textures from image files: each decoder on small files built here, row
// order, palettes, RLE, alpha, mip chains, format conversion and colour
// key; broken and truncated files fail without crashing.
#include <d3dx8.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dxsupport/fake_device.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF), Put16(b, v >> 16);
}

// A BMP with a 40-byte info header; `pixels` are the rows as stored.
Bytes Bmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const Bytes& palette,
          const Bytes& pixels) {
  Bytes b = {'B', 'M'};
  const uint32_t offset = 54 + static_cast<uint32_t>(palette.size());
  Put32(b, offset + static_cast<uint32_t>(pixels.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(w));
  Put32(b, static_cast<uint32_t>(h));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, compression);
  for (int i = 0; i < 5; ++i) Put32(b, i == 3 ? static_cast<uint32_t>(palette.size() / 4) : 0);
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// A 16- or 32-bit BMP with a 108-byte header carrying red, green, blue and
// alpha masks; `pixels` are the rows as stored.
Bytes MaskedBmp(int32_t w, int32_t h, uint16_t bits, const uint32_t (&rgba)[4], const Bytes& pixels) {
  Bytes b = {'B', 'M'};
  const uint32_t offset = 14 + 108;
  Put32(b, offset + static_cast<uint32_t>(pixels.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 108);
  Put32(b, static_cast<uint32_t>(w));
  Put32(b, static_cast<uint32_t>(h));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, 3);  // bit fields
  for (int i = 0; i < 5; ++i) Put32(b, 0);
  for (uint32_t m : rgba) Put32(b, m);
  b.resize(offset, 0);  // colour space, end points and gamma: unused
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// Palette: 0 black, 1 red, 2 green, 3 blue (BGRX entries).
const Bytes kPalette = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};

class TextureFile : public testing::Test {
 protected:
  void TearDown() override {
    if (texture_) texture_->Release();
    device_->Release();
  }
  HRESULT Load(const Bytes& file, D3DFORMAT format = D3DFMT_UNKNOWN, D3DCOLOR key = 0) {
    const std::string path = testing::TempDir() + "image.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    if (texture_) texture_->Release();
    texture_ = nullptr;
    IDirect3DTexture8* t = nullptr;
    const HRESULT hr = D3DXCreateTextureFromFileExA(device_, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                    D3DX_DEFAULT, 0, format, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                    D3DX_DEFAULT, key, &info_, nullptr, &t);
    texture_ = static_cast<dxtest::Texture*>(t);
    return hr;
  }
  DWORD At(UINT x, UINT y, UINT level = 0) const { return texture_->At(level, x, y); }

  dxtest::FakeDevice* device_ = new dxtest::FakeDevice();
  dxtest::Texture* texture_ = nullptr;
  D3DXIMAGE_INFO info_ = {};
};

TEST_F(TextureFile, Bmp24BottomUpWithMipChain) {
  // 3 x 2, bottom row first, rows padded to 12 bytes.
  const Bytes rows = {0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0,   // bottom: red green blue
                      255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0};  // top: white black grey
  ASSERT_EQ(Load(Bmp(3, 2, 24, 0, {}, rows)), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_R8G8B8);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_BMP);
  EXPECT_EQ(texture_->descs[0].Format, D3DFMT_X8R8G8B8);
  ASSERT_EQ(texture_->GetLevelCount(), 2u);
  EXPECT_EQ(At(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(1, 0), 0xFF000000u);  // opaque black: what the colour key looks for
  EXPECT_EQ(At(0, 1), 0xFFFF0000u);
  EXPECT_EQ(At(2, 1), 0xFF0000FFu);
  // 1 x 1: the box of white, black, red and green.
  EXPECT_EQ(At(0, 0, 1), 0xFF808040u);
}

TEST_F(TextureFile, PaletteImagesTopDownAndRle) {
  // 8-bit, top-down 2 x 2: red green / blue black.
  ASSERT_EQ(Load(Bmp(2, -2, 8, 0, kPalette, {1, 2, 0, 0, 3, 0, 0, 0})), D3D_OK);
  EXPECT_EQ(At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(1, 0), 0xFF00FF00u);
  EXPECT_EQ(At(0, 1), 0xFF0000FFu);
  // 4-bit bottom-up 3 x 1: indices 1 2 3.
  ASSERT_EQ(Load(Bmp(3, 1, 4, 0, kPalette, {0x12, 0x30, 0, 0})), D3D_OK);
  EXPECT_EQ(At(2, 0), 0xFF0000FFu);
  // 1-bit 9 x 1: alternate bits.
  ASSERT_EQ(Load(Bmp(9, 1, 1, 0, kPalette, {0xAA, 0x80, 0, 0})), D3D_OK);
  EXPECT_EQ(At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(1, 0), 0xFF000000u);
  EXPECT_EQ(At(8, 0), 0xFFFF0000u);
  // RLE8 2 x 2: bottom row a run of two reds, top row green then blue.
  ASSERT_EQ(Load(Bmp(2, 2, 8, 1, kPalette, {2, 1, 0, 0, 1, 2, 1, 3, 0, 1})), D3D_OK);
  EXPECT_EQ(At(0, 1), 0xFFFF0000u);
  EXPECT_EQ(At(1, 1), 0xFFFF0000u);
  EXPECT_EQ(At(0, 0), 0xFF00FF00u);
  EXPECT_EQ(At(1, 0), 0xFF0000FFu);
}

TEST_F(TextureFile, Bmp32IgnoresTheUnusedByteAndConvertsTo16Bits) {
  ASSERT_EQ(Load(Bmp(1, 1, 32, 0, {}, {0x10, 0x20, 0xF0, 0x00})), D3D_OK);
  EXPECT_EQ(At(0, 0), 0xFFF02010u);
  ASSERT_EQ(Load(Bmp(1, 1, 32, 0, {}, {0xFF, 0x00, 0xFF, 0x00}), D3DFMT_R5G6B5), D3D_OK);
  WORD texel = 0;
  std::memcpy(&texel, texture_->levels[0].data(), 2);
  EXPECT_EQ(texel, 0xF81F);  // magenta
  ASSERT_EQ(Load(Bmp(1, 1, 32, 0, {}, {0, 0, 0, 0}), D3DFMT_A1R5G5B5), D3D_OK);
  std::memcpy(&texel, texture_->levels[0].data(), 2);
  EXPECT_EQ(texel, 0x8000);  // opaque black keeps its alpha bit
}

TEST_F(TextureFile, SixteenBitBmpsWithAnAlphaMaskKeepTheirAlpha) {
  WORD texel[2] = {};
  // A1R5G5B5: transparent red, opaque green.
  ASSERT_EQ(Load(MaskedBmp(2, 1, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0x00, 0x7C, 0xE0, 0x83})), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_A1R5G5B5);
  ASSERT_EQ(texture_->descs[0].Format, D3DFMT_A1R5G5B5);
  std::memcpy(texel, texture_->levels[0].data(), 4);
  EXPECT_EQ(texel[0], 0x7C00);
  EXPECT_EQ(texel[1], 0x83E0);
  // A4R4G4B4: half-transparent blue, opaque white.
  ASSERT_EQ(Load(MaskedBmp(2, 1, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0x0F, 0x80, 0xFF, 0xFF})), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_A4R4G4B4);
  ASSERT_EQ(texture_->descs[0].Format, D3DFMT_A4R4G4B4);
  std::memcpy(texel, texture_->levels[0].data(), 4);
  EXPECT_EQ(texel[0], 0x800F);
  EXPECT_EQ(texel[1], 0xFFFF);
  // Without an alpha mask the same layouts stay opaque formats.
  ASSERT_EQ(Load(MaskedBmp(1, 1, 16, {0x0F00, 0x00F0, 0x000F, 0}, {0x0F, 0x00, 0, 0})), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_X4R4G4B4);
  ASSERT_EQ(Load(MaskedBmp(1, 1, 16, {0xF800, 0x07E0, 0x001F, 0}, {0x1F, 0x00, 0, 0})), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_R5G6B5);
  // Masks no format has come through as 8-bit channels, alpha kept.
  ASSERT_EQ(Load(MaskedBmp(1, 1, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000u}, {1, 2, 3, 0x40})), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(At(0, 0), 0x40010203u);
}

TEST_F(TextureFile, ColourKeyMakesMatchingTexelsTransparent) {
  ASSERT_EQ(Load(Bmp(2, 1, 24, 0, {}, {0, 0, 0, 255, 255, 255, 0, 0}), D3DFMT_A8R8G8B8, 0xFF000000), D3D_OK);
  EXPECT_EQ(At(0, 0), 0u);
  EXPECT_EQ(At(1, 0), 0xFFFFFFFFu);
}

Bytes Png(uint32_t w, uint32_t h, bool alpha, const std::vector<uint8_t>& pixels) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  Bytes out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

Bytes Jpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row;
  for (int x = 0; x < w; ++x) row.insert(row.end(), {r, g, b});
  while (c.next_scanline < c.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  Bytes out(mem, mem + size);
  jpeg_destroy_compress(&c);
  free(mem);
  return out;
}

TEST_F(TextureFile, PngJpegTgaAndPpm) {
  ASSERT_EQ(Load(Png(2, 1, true, {255, 0, 0, 128, 0, 0, 255, 255})), D3D_OK);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_PNG);
  EXPECT_EQ(texture_->descs[0].Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(At(0, 0), 0x80FF0000u);
  ASSERT_EQ(Load(Png(1, 1, false, {1, 2, 3})), D3D_OK);
  EXPECT_EQ(At(0, 0), 0xFF010203u);

  ASSERT_EQ(Load(Jpeg(8, 8, 200, 40, 40)), D3D_OK);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_JPG);
  const DWORD c = At(3, 3);
  EXPECT_EQ(c >> 24, 0xFFu);
  EXPECT_NEAR(int(c >> 16 & 0xFF), 200, 6);
  EXPECT_NEAR(int(c >> 8 & 0xFF), 40, 6);
  EXPECT_EQ(texture_->GetLevelCount(), 4u);

  // TGA, RLE true colour, bottom-up 2 x 2: a run of two blues, then raw red, green.
  Bytes tga = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
  tga.insert(tga.end(), {0x81, 255, 0, 0, 0x01, 0, 0, 255, 0, 255, 0});
  ASSERT_EQ(Load(tga), D3D_OK);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_TGA);
  EXPECT_EQ(At(0, 1), 0xFF0000FFu);
  EXPECT_EQ(At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(1, 0), 0xFF00FF00u);

  const std::string header = "P6\n# comment\n2 1\n255\n";
  Bytes ppm(header.begin(), header.end());
  ppm.insert(ppm.end(), {0x0a, 0x14, 0x1e, 0xff, 0x00, 0x80});
  ASSERT_EQ(Load(ppm), D3D_OK);
  EXPECT_EQ(At(0, 0), 0xFF0A141Eu);
  EXPECT_EQ(At(1, 0), 0xFFFF0080u);
}

TEST_F(TextureFile, BrokenFilesFailWithoutCrashing) {
  IDirect3DTexture8* t = nullptr;
  EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(device_, "no/such/texture.bmp", &t)));
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, "x.bmp", &t), D3DERR_INVALIDCALL);
  const Bytes rows = {0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0,
                      255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0};
  const std::vector<Bytes> files = {
      Bmp(3, 2, 24, 0, {}, rows),
      Bmp(2, 2, 8, 1, kPalette, {2, 1, 0, 0, 1, 2, 1, 3, 0, 1}),
      Png(2, 2, true, Bytes(16, 7)),
      Jpeg(16, 16, 1, 2, 3),
  };
  // Every cut must be safe; cuts inside the headers must fail. (RLE and
  // JPEG data cut short decode what is there, as image viewers do.)
  for (const Bytes& f : files) {
    for (size_t n = 0; n < f.size(); n += 1 + f.size() / 64) {
      const HRESULT hr = Load(Bytes(f.begin(), f.begin() + n));
      if (n < 54) {
        EXPECT_TRUE(FAILED(hr)) << n;
      }
    }
  }
  // Headers that claim huge or negative sizes.
  EXPECT_TRUE(FAILED(Load(Bmp(100000, 100000, 24, 0, {}, rows))));
  EXPECT_TRUE(FAILED(Load(Bmp(3, 2, 24, 0, {}, Bytes(5, 0)))));
  EXPECT_TRUE(FAILED(Load(Bmp(-3, 2, 24, 0, {}, rows))));
  EXPECT_TRUE(FAILED(Load(Bmp(3, 2, 7, 0, {}, rows))));
  // A JPEG whose data goes wrong inside the scan: libjpeg gives up through
  // its error exit there (found by the fuzzer; the sanitizer build catches
  // anything that escape leaves behind).
  {
    std::ifstream in(std::string(GLORBS_FUZZ_CORPUS) + "/image/jpeg-error-mid-image.jpg", std::ios::binary);
    const Bytes jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(jpeg.empty());
    EXPECT_TRUE(FAILED(Load(jpeg)));
  }
  // A grey TGA with a colour map of zero-bit entries (found by the fuzzer).
  EXPECT_TRUE(FAILED(Load({0, 1, 3, 0, 0, 0, 0x18, 0, 2, 2, 0, 0, 0x88, 0, 1, 0, 8, 0x29, 0, 1, 0x3f})));
  const std::string ppm = "P6 4000000000 2 255\n";
  EXPECT_TRUE(FAILED(Load(Bytes(ppm.begin(), ppm.end()))));
}

TEST_F(TextureFile, SpecialFilesNamedAsTexturesAreRefusedAtOnce) {
  const std::string fifo = testing::TempDir() + "texture_fifo.bmp";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  IDirect3DTexture8* t = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileA(device_, fifo.c_str(), &t),
            D3DXERR_INVALIDDATA);  // no wait for a writer
  unlink(fifo.c_str());
  EXPECT_EQ(D3DXCreateTextureFromFileA(device_, "/dev/zero", &t), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device_, testing::TempDir().c_str(), &t), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device_, "no/such/texture.bmp", &t), D3DERR_NOTFOUND);
  EXPECT_EQ(t, nullptr);
}

// A PNG header of w x h RGB texels, its IHDR checksum right, with one
// tiny data chunk and the end chunk: what a 69-byte file can claim.
Bytes PngHeader(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&b](const char* type, const Bytes& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    b.insert(b.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    b.insert(b.end(), body.begin(), body.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size())));
    b.insert(b.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
  };
  chunk("IHDR", {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 24),
                 uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h), 8, 2, 0, 0, 0});
  chunk("IDAT", {0x78, 0x9C, 0x03, 0x00});
  chunk("IEND", {});
  return b;
}

// A JPEG of 16 x 16 texels whose frame header claims w x h.
Bytes JpegClaiming(uint16_t w, uint16_t h) {
  Bytes jpeg = Jpeg(16, 16, 9, 9, 9);
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = uint8_t(h >> 8), jpeg[i + 6] = uint8_t(h);
      jpeg[i + 7] = uint8_t(w >> 8), jpeg[i + 8] = uint8_t(w);
      break;
    }
  }
  return jpeg;
}

long PeakKilobytes() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(TextureFile, HeadersClaimingHugeSizesAreRefusedBeforeAnythingIsAllocated) {
  device_->maxTextureSize = 2048;
  const std::string ppm = "P6 8192 8192 255\n", pgm = "P2 8192 8192 255\n1 2 3\n";
  Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0x20, 24, 0};  // 8192 x 8192, raw
  Bytes tgaRle = tga;
  tgaRle[2] = 10;
  tgaRle.insert(tgaRle.end(), 64, 0xFF);  // a few full runs
  const std::vector<Bytes> files = {
      Bmp(8192, 8192, 24, 0, {}, {}),
      Bmp(8192, 8192, 8, 1, kPalette, {0, 1}),  // RLE8: only an end-of-bitmap code
      tga,
      tgaRle,
      Bytes(ppm.begin(), ppm.end()),
      Bytes(pgm.begin(), pgm.end()),
      PngHeader(8192, 8192),
      JpegClaiming(8192, 8192),
  };
  // A 64-Mtexel picture would take 256 MB: the peak must not come near.
  const long before = PeakKilobytes();
  for (const Bytes& f : files) {
    EXPECT_EQ(Load(f), D3DXERR_INVALIDDATA) << f.size() << " bytes";
    EXPECT_EQ(texture_, nullptr);
  }
  EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
  // Compressed pictures up to the device's largest texture still load.
  EXPECT_EQ(Load(Png(2, 1, false, {1, 2, 3, 4, 5, 6})), D3D_OK);
  device_->maxTextureSize = 1;
  EXPECT_EQ(Load(Png(2, 1, false, {1, 2, 3, 4, 5, 6})), D3DXERR_INVALIDDATA);
}

// The device's own format list: what the real device makes, without L8.
const std::vector<D3DFORMAT> kDeviceFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8,
                                               D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                               D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4};

TEST_F(TextureFile, GreyImagesFallBackToAFormatTheDeviceHas) {
  device_->d3d->textureFormats = kDeviceFormats;
  const std::string pgm = "P5 2 1 255\n";
  Bytes grey(pgm.begin(), pgm.end());
  grey.insert(grey.end(), {0x40, 0xC0});
  const Bytes tga = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20, 0x40, 0xC0};
  for (const Bytes& f : {grey, tga}) {
    ASSERT_EQ(Load(f), D3D_OK);
    EXPECT_EQ(info_.Format, D3DFMT_L8);
    ASSERT_EQ(texture_->descs[0].Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(At(0, 0), 0xFF404040u);
    EXPECT_EQ(At(1, 0), 0xFFC0C0C0u);
  }
  EXPECT_GT(device_->d3d->formatQueries, 0);
  // A caller's format the device lacks gives way the same way.
  ASSERT_EQ(Load(grey, D3DFMT_L8), D3D_OK);
  EXPECT_EQ(texture_->descs[0].Format, D3DFMT_X8R8G8B8);
}

TEST_F(TextureFile, AFallbackKeepsAlphaWhereTheImageHasIt) {
  device_->d3d->textureFormats = {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4};
  ASSERT_EQ(Load(Png(1, 1, true, {255, 255, 255, 0})), D3D_OK);
  EXPECT_EQ(texture_->descs[0].Format, D3DFMT_A4R4G4B4);
  ASSERT_EQ(Load(Png(1, 1, false, {255, 255, 255})), D3D_OK);
  EXPECT_EQ(texture_->descs[0].Format, D3DFMT_R5G6B5);
  // With nothing better an opaque image takes an alpha format, opaque.
  device_->d3d->textureFormats = {D3DFMT_A4R4G4B4};
  ASSERT_EQ(Load(Png(1, 1, false, {255, 255, 255})), D3D_OK);
  WORD texel = 0;
  std::memcpy(&texel, texture_->levels[0].data(), 2);
  EXPECT_EQ(texel, 0xFFFF);
  device_->d3d->textureFormats = {D3DFMT_D16};
  EXPECT_EQ(Load(Png(1, 1, false, {255, 255, 255})), D3DERR_NOTAVAILABLE);
}

}  // namespace
