// SPDX-License-Identifier: MIT
// The pixel conversions of the OpenGL ES (web) path: every upload pair of
// the format table becomes the RGBA bytes the desktop would have sampled,
// X8 and X1 formats read opaque, row lengths are honoured, and read-backs
// come back in BGRA order.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d8/src/formats.h"

namespace {

using Rgba = std::vector<uint8_t>;

Rgba Convert(D3DFORMAT format, const void* pixels, int w, int h, int rowLength = 0) {
  const d3d8::FormatInfo* f = d3d8::FindFormat(format);
  EXPECT_NE(f, nullptr);
  Rgba out(static_cast<size_t>(w) * h * 4, 0xCD);
  EXPECT_TRUE(
      d3d8::ConvertToRgba(f->glFormat, f->glType, f->forceOpaque, pixels, w, h, rowLength, out.data()));
  return out;
}

TEST(EsFormats, EachColourFormatBecomesRgbaBytes) {
  const uint32_t argb = 0x80112233;
  EXPECT_EQ(Convert(D3DFMT_A8R8G8B8, &argb, 1, 1), (Rgba{0x11, 0x22, 0x33, 0x80}));
  // X8: whatever the unused byte holds, the texel is opaque.
  EXPECT_EQ(Convert(D3DFMT_X8R8G8B8, &argb, 1, 1), (Rgba{0x11, 0x22, 0x33, 0xFF}));
  const uint8_t bgr[3] = {0x33, 0x22, 0x11};
  EXPECT_EQ(Convert(D3DFMT_R8G8B8, bgr, 1, 1), (Rgba{0x11, 0x22, 0x33, 0xFF}));
  const uint16_t rgb565[3] = {0xF800, 0x07E0, 0x001F};
  EXPECT_EQ(Convert(D3DFMT_R5G6B5, rgb565, 3, 1),
            (Rgba{0xFF, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0xFF, 0xFF}));
  const uint16_t argb1555[2] = {0xFC00, 0x03E0};  // opaque red, transparent green
  EXPECT_EQ(Convert(D3DFMT_A1R5G5B5, argb1555, 2, 1), (Rgba{0xFF, 0, 0, 0xFF, 0, 0xFF, 0, 0}));
  EXPECT_EQ(Convert(D3DFMT_X1R5G5B5, argb1555, 2, 1), (Rgba{0xFF, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF}));
  const uint16_t argb4444 = 0x1234;
  EXPECT_EQ(Convert(D3DFMT_A4R4G4B4, &argb4444, 1, 1), (Rgba{0x22, 0x33, 0x44, 0x11}));
  EXPECT_EQ(Convert(D3DFMT_X4R4G4B4, &argb4444, 1, 1), (Rgba{0x22, 0x33, 0x44, 0xFF}));
}

TEST(EsFormats, RowLengthSkipsThePaddingOfEachRow) {
  // 2 x 2 pixels in rows of 3: the third pixel of each row is not part of it.
  const uint32_t rows[6] = {0xFF000001, 0xFF000002, 0xDEADBEEF, 0xFF000003, 0xFF000004, 0xDEADBEEF};
  const Rgba out = Convert(D3DFMT_A8R8G8B8, rows, 2, 2, 3);
  ASSERT_EQ(out.size(), 16u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i * 4 + 2], i + 1) << "pixel " << i;
}

TEST(EsFormats, UnknownPairsAndBadArgumentsWriteNothing) {
  uint8_t out[8];
  std::memset(out, 0xCD, sizeof(out));
  const uint32_t pixel = 0;
  EXPECT_FALSE(d3d8::ConvertToRgba(GL_RGBA, GL_FLOAT, false, &pixel, 1, 1, 0, out));
  EXPECT_FALSE(d3d8::ConvertToRgba(GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, nullptr, 1, 1, 0, out));
  EXPECT_FALSE(d3d8::ConvertToRgba(GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, &pixel, -1, 1, 0, out));
  for (uint8_t b : out) EXPECT_EQ(b, 0xCD);
}

TEST(EsFormats, ReadBackSwapsRedAndBlueWithinEachRowOnly) {
  uint8_t rows[2 * 3 * 4];
  for (int i = 0; i < 24; ++i) rows[i] = static_cast<uint8_t>(i);
  d3d8::SwapRedBlue(rows, 2, 2, 3);
  const uint8_t want[24] = {2,  1,  0,  3,  6,  5,  4,  7,  8,  9,  10, 11,
                            14, 13, 12, 15, 18, 17, 16, 19, 20, 21, 22, 23};
  EXPECT_EQ(0, std::memcmp(rows, want, sizeof(want)));
}

}  // namespace
