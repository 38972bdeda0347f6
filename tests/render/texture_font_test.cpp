// SPDX-License-Identifier: MIT
// The texture font on a real device: texture sizes and their shrinking on
// small hardware, the glyph texture's texels, text landing where MeasureText
// says in the colour asked, the three drawing forms, batching, and the
// caller's state surviving a text.
#include <d3d8.h>
#include <d3d8_glorbs.h>
#include <d3dx8.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/texture_font.h"
#include "windowed_device.h"

namespace {

constexpr UINT kWidth = 320, kHeight = 240;

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < left; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

class FontDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FontTestClass";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "FontTestClass", "font test", WS_OVERLAPPEDWINDOW, 0, 0, kWidth, kHeight,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    ASSERT_EQ(windowed_device::CreateWindowedDevice(d3d_, window_, kWidth, kHeight, &device_), D3D_OK);
  }

  void TearDown() override {
    d3d8::SetMaxTextureSizeLimit(0);
    font_.reset();
    if (device_) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) d3d_->Release();
    if (window_) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  TextureFont* MakeFont(const char* face, DWORD height, DWORD flags = 0) {
    font_ = std::make_unique<TextureFont>(face, height, flags);
    EXPECT_EQ(font_->CreateGlyphTexture(device_), S_OK);
    EXPECT_EQ(font_->CreateTextBuffers(), S_OK);
    return font_.get();
  }

  void Clear() { device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0); }

  std::vector<uint32_t> ReadBack() {
    std::vector<uint32_t> pixels(kWidth * kHeight);
    EXPECT_EQ(d3d8::ReadBackBuffer(device_, pixels.data(), kWidth, kHeight), D3D_OK);
    return pixels;
  }

  // Pixels brighter than `threshold` in any channel.
  static Box Ink(const std::vector<uint32_t>& pixels, int threshold = 0x40) {
    Box b;
    for (int y = 0; y < static_cast<int>(kHeight); ++y)
      for (int x = 0; x < static_cast<int>(kWidth); ++x) {
        const uint32_t p = pixels[y * kWidth + x];
        const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
        if (red > threshold || green > threshold || blue > threshold) {
          b.left = std::min(b.left, x);
          b.top = std::min(b.top, y);
          b.right = std::max(b.right, x + 1);
          b.bottom = std::max(b.bottom, y + 1);
        }
      }
    return b;
  }

  Box DrawAndFindInk(const std::function<void()>& draw) {
    Clear();
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    draw();
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    return Ink(ReadBack());
  }

  HWND window_ = nullptr;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  std::unique_ptr<TextureFont> font_;
};

TEST_F(FontDeviceTest, TextureSideFollowsTheFontHeight) {
  const struct {
    DWORD height;
    UINT side;
  } cases[] = {{20, 256}, {21, 512}, {30, 512}, {40, 512}, {48, 1024}};
  for (const auto& c : cases) {
    TextureFont* f = MakeFont("Tahoma", c.height);
    EXPECT_EQ(f->TextureWidth(), c.side) << c.height;
    EXPECT_EQ(f->TextureHeight(), c.side) << c.height;
    EXPECT_FLOAT_EQ(f->TextScale(), 1.0f);
    // Every printable glyph has a rectangle inside the texture; 127 has none.
    for (int ch = 32; ch < 127; ++ch) {
      const float* r = f->GlyphRect(ch);
      ASSERT_GT(r[2], r[0]) << ch;
      ASSERT_LE(r[2], 1.0f);
      ASSERT_LE(r[3], 1.0f) << ch;
    }
    EXPECT_EQ(f->GlyphRect(127)[2], 0.0f);
    EXPECT_EQ(f->GlyphRect(128), nullptr);
  }
}

TEST_F(FontDeviceTest, GlyphTexelsAreWhiteWithCoverageInAlpha) {
  TextureFont* f = MakeFont("Tahoma", 30);
  D3DLOCKED_RECT locked = {};
  ASSERT_EQ(f->Texture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  int opaque = 0, partial = 0;
  for (UINT y = 0; y < f->TextureHeight(); ++y) {
    const auto* row =
        reinterpret_cast<const WORD*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < f->TextureWidth(); ++x) {
      ASSERT_TRUE(row[x] == 0 || (row[x] & 0x0FFF) == 0x0FFF) << x << "," << y;
      opaque += (row[x] >> 12) == 0xF;
      partial += row[x] != 0 && (row[x] >> 12) != 0xF;
    }
  }
  // Nothing of a glyph spills into the gap below or beside it, where
  // filtering would pick it up: the underscore's ink, for one, stays home.
  for (int ch = 32; ch < 127; ++ch) {
    const float* r = f->GlyphRect(ch);
    const UINT x0 = static_cast<UINT>(r[0] * f->TextureWidth() + 0.5f);
    const UINT x1 = static_cast<UINT>(r[2] * f->TextureWidth() + 0.5f);
    const UINT y0 = static_cast<UINT>(r[1] * f->TextureHeight() + 0.5f);
    const UINT y1 = static_cast<UINT>(r[3] * f->TextureHeight() + 0.5f);
    auto texel = [&](UINT x, UINT y) {
      return reinterpret_cast<const WORD*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch)[x];
    };
    for (UINT x = x0; x < x1 && y1 < f->TextureHeight(); ++x) ASSERT_EQ(texel(x, y1), 0) << "below " << ch;
    for (UINT y = y0; y < y1 && x1 < f->TextureWidth(); ++y) ASSERT_EQ(texel(x1, y), 0) << "beside " << ch;
  }
  f->Texture()->UnlockRect(0);
  EXPECT_GT(opaque, 1000);
  EXPECT_GT(partial, 500);  // anti-aliased edges
  // The space glyph is blank; the rectangle of 'M' holds ink.
  const float* space = f->GlyphRect(' ');
  const float* m = f->GlyphRect('M');
  EXPECT_GT((space[2] - space[0]) * f->TextureWidth(), 3.0f);
  EXPECT_GT((m[2] - m[0]) * f->TextureWidth(), (space[2] - space[0]) * f->TextureWidth());
}

TEST_F(FontDeviceTest, MeasureTextCountsRowsAndTheWidestRow) {
  TextureFont* f = MakeFont("Tahoma", 30);
  const float* a = f->GlyphRect('A');
  const float* w = f->GlyphRect('W');
  const float* space = f->GlyphRect(' ');
  const LONG row = static_cast<LONG>((space[3] - space[1]) * f->TextureHeight());
  SIZE s = {};
  ASSERT_EQ(f->MeasureText("", &s), S_OK);
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, row);
  ASSERT_EQ(f->MeasureText("A\nW", &s), S_OK);
  EXPECT_EQ(s.cy, 2 * row);
  EXPECT_EQ(s.cx, static_cast<LONG>(std::max(a[2] - a[0], w[2] - w[0]) * f->TextureWidth()));
  // Control characters and bytes from 128 up add nothing.
  SIZE plain = {}, noisy = {};
  f->MeasureText("AW", &plain);
  f->MeasureText("A\t\x01\x80\xffW", &noisy);
  EXPECT_EQ(plain.cx, noisy.cx);
  EXPECT_EQ(f->MeasureText(nullptr, &s), E_FAIL);
  EXPECT_EQ(f->MeasureText("A", nullptr), E_FAIL);
}

TEST_F(FontDeviceTest, ScreenTextLandsWhereMeasuredInItsColour) {
  TextureFont* f = MakeFont("Tahoma", 20);
  SIZE s = {};
  f->MeasureText("Glorbs 42", &s);
  Box ink = DrawAndFindInk([&] { EXPECT_EQ(f->DrawScreenText(40, 60, 0xFFFF2000, "Glorbs 42"), S_OK); });
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, 39);
  EXPECT_LE(ink.right, 40 + s.cx + 1);
  EXPECT_GT(ink.Width(), s.cx * 3 / 4);
  EXPECT_GE(ink.top, 59);
  EXPECT_LE(ink.bottom, 60 + s.cy + 1);
  // Opaque texels show the colour asked, blended over black elsewhere.
  std::vector<uint32_t> pixels = ReadBack();
  int red = 0;
  for (uint32_t p : pixels) {
    ASSERT_LE((p >> 8) & 0xFF, 0x20u);
    ASSERT_EQ(p & 0xFF, 0u);
    red += ((p >> 16) & 0xFF) == 0xFF;
  }
  EXPECT_GT(red, 50);
}

TEST_F(FontDeviceTest, NewlineReturnsToTheStartingColumn) {
  TextureFont* f = MakeFont("Tahoma", 20);
  SIZE s = {};
  f->MeasureText("MM\nMM", &s);
  Box two = DrawAndFindInk([&] { f->DrawScreenText(30, 20, 0xFFFFFFFF, "MM\nMM"); });
  Box one = DrawAndFindInk([&] { f->DrawScreenText(30, 20, 0xFFFFFFFF, "MM"); });
  EXPECT_EQ(two.left, one.left);
  EXPECT_EQ(two.right, one.right);
  EXPECT_NEAR(two.bottom - one.bottom, s.cy / 2, 1);
}

TEST_F(FontDeviceTest, ScaledTextIsSizedByTheViewportHeight) {
  TextureFont* f = MakeFont("Tahoma", 30);
  // Row height 0.1 x 240 = 24 pixels, starting at the top-left corner.
  Box top = DrawAndFindInk([&] { f->DrawScaledText(-1.0f, 1.0f, 0.9f, 0.1f, 0.1f, 0xFFFFFFFF, "Hg"); });
  ASSERT_FALSE(top.Empty());
  EXPECT_LE(top.left, 4);
  EXPECT_LE(top.top, 6);
  EXPECT_LE(top.bottom, 25);
  EXPECT_GE(top.bottom, 18);
  // y 1.5 is a quarter of the height down; x 0 the middle.
  Box lower = DrawAndFindInk([&] { f->DrawScaledText(0.0f, 1.5f, 0.9f, 0.1f, 0.1f, 0xFFFFFFFF, "Hg"); });
  EXPECT_EQ(lower.top - top.top, 60);
  EXPECT_EQ(lower.left - top.left, 160);
  // Twice the scale, twice the size.
  Box big = DrawAndFindInk([&] { f->DrawScaledText(-1.0f, 1.0f, 0.9f, 0.2f, 0.2f, 0xFFFFFFFF, "Hg"); });
  EXPECT_NEAR(big.Width(), 2 * top.Width(), 2);
  EXPECT_NEAR(big.Height(), 2 * top.Height(), 2);
}

TEST_F(FontDeviceTest, ShrunkTextureOnSmallHardwareStillDrawsTheSameSize) {
  TextureFont* normal = MakeFont("Impact", 48);
  ASSERT_EQ(normal->TextureWidth(), 1024u);
  SIZE normalSize = {};
  normal->MeasureText("Level 1", &normalSize);
  Box normalInk = DrawAndFindInk([&] { normal->DrawScreenText(10, 10, 0xFFFFFFFF, "Level 1"); });

  d3d8::SetMaxTextureSizeLimit(256);
  TextureFont* small = MakeFont("Impact", 48);
  EXPECT_EQ(small->TextureWidth(), 256u);
  EXPECT_EQ(small->TextureHeight(), 256u);
  EXPECT_FLOAT_EQ(small->TextScale(), 0.25f);
  SIZE smallSize = {};
  small->MeasureText("Level 1", &smallSize);
  // The Windows font was made at a quarter of the pixel height.
  EXPECT_NEAR(smallSize.cy * 4, normalSize.cy, 4);
  Box smallInk = DrawAndFindInk([&] { small->DrawScreenText(10, 10, 0xFFFFFFFF, "Level 1"); });
  ASSERT_FALSE(smallInk.Empty());
  EXPECT_NEAR(smallInk.Width(), normalInk.Width(), normalInk.Width() / 8);
  EXPECT_NEAR(smallInk.Height(), normalInk.Height(), normalInk.Height() / 6);
}

TEST_F(FontDeviceTest, LongTextsAreDrawnInBatchesOfWholeGlyphs) {
  TextureFont* f = MakeFont("Tahoma", 12);
  const std::string text(120, 'x');
  // The font's own draws are counted, not what the device gathers of them.
  d3d8::SetDrawCoalescing(device_, FALSE);
  device_->BeginScene();
  d3d8::Counters before = d3d8::GetCounters();
  f->DrawScreenText(0, 0, 0xFFFFFFFF, text.c_str());
  EXPECT_EQ(d3d8::GetCounters().draws - before.draws, 3u);  // 50, 50, 20
  before = d3d8::GetCounters();
  f->DrawWorldText(std::string(100, 'x').c_str());
  EXPECT_EQ(d3d8::GetCounters().draws - before.draws, 3u);  // 43, 43, 14 fit the buffer
  before = d3d8::GetCounters();
  f->DrawScreenText(0, 0, 0xFFFFFFFF, "\t\n\x7f");
  EXPECT_EQ(d3d8::GetCounters().draws - before.draws, 0u);
  device_->EndScene();
}

TEST_F(FontDeviceTest, CallerStateIsRestoredAfterText) {
  TextureFont* f = MakeFont("Tahoma", 20);
  device_->SetRenderState(D3DRS_ZENABLE, TRUE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device_->BeginScene();
  f->DrawScreenText(0, 0, 0xFFFFFFFF, "state", TEXTFONT_FILTERED);
  device_->EndScene();
  DWORD z = 0, blend = 1, cull = 0, mag = 0;
  device_->GetRenderState(D3DRS_ZENABLE, &z);
  device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
  device_->GetRenderState(D3DRS_CULLMODE, &cull);
  device_->GetTextureStageState(0, D3DTSS_MAGFILTER, &mag);
  EXPECT_EQ(z, static_cast<DWORD>(TRUE));
  EXPECT_EQ(blend, static_cast<DWORD>(FALSE));
  EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));
  EXPECT_EQ(mag, static_cast<DWORD>(D3DTEXF_LINEAR));
}

TEST_F(FontDeviceTest, WorldTextCentresOnTheOriginAndIsTwoSided) {
  TextureFont* f = MakeFont("Impact", 48);
  D3DXMATRIX view, projection, world;
  const D3DXVECTOR3 eye(0, 0, -30), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 4.0f / 3.0f, 1.0f, 100.0f);
  D3DXMatrixScaling(&world, 0.4f, 0.4f, 0.4f);
  device_->SetTransform(D3DTS_VIEW, &view);
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  Box ink = DrawAndFindInk([&] { EXPECT_EQ(f->DrawWorldText("Quit Game?", TEXTFONT_CENTERED), S_OK); });
  ASSERT_FALSE(ink.Empty());
  EXPECT_NEAR((ink.left + ink.right) / 2.0, kWidth / 2.0, 4.0);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, kHeight / 2.0, 6.0);
  EXPECT_GT(ink.Width(), 100);

  // Seen from behind, only the two-sided form shows.
  D3DXMatrixRotationY(&world, D3DX_PI);
  device_->SetTransform(D3DTS_WORLD, &world);
  EXPECT_TRUE(DrawAndFindInk([&] { f->DrawWorldText("Back", TEXTFONT_CENTERED); }).Empty());
  EXPECT_FALSE(
      DrawAndFindInk([&] { f->DrawWorldText("Back", TEXTFONT_CENTERED | TEXTFONT_TWOSIDED); }).Empty());
}

TEST_F(FontDeviceTest, DrawingNeedsTheDeviceTextureAndBuffer) {
  TextureFont unbuilt("Tahoma", 30);
  EXPECT_EQ(unbuilt.DrawScreenText(0, 0, 0xFFFFFFFF, "x"), E_FAIL);
  EXPECT_EQ(unbuilt.DrawScaledText(0, 0, 0.9f, 0.1f, 0.1f, 0xFFFFFFFF, "x"), E_FAIL);
  EXPECT_EQ(unbuilt.DrawWorldText("x"), E_FAIL);
  EXPECT_EQ(unbuilt.CreateTextBuffers(), E_FAIL);
  EXPECT_EQ(unbuilt.ReleaseTextBuffers(), S_OK);
  EXPECT_EQ(unbuilt.ReleaseGlyphTexture(), S_OK);

  // Around a reset the buffers go and come back; the texture stays.
  TextureFont* f = MakeFont("Tahoma", 30);
  EXPECT_EQ(f->ReleaseTextBuffers(), S_OK);
  EXPECT_EQ(f->ReleaseTextBuffers(), S_OK);
  EXPECT_EQ(f->DrawScreenText(0, 0, 0xFFFFFFFF, "x"), E_FAIL);
  ASSERT_EQ(f->CreateTextBuffers(), S_OK);
  EXPECT_FALSE(DrawAndFindInk([&] { f->DrawScreenText(5, 5, 0xFFFFFFFF, "x"); }).Empty());
  EXPECT_EQ(f->DrawScreenText(5, 5, 0xFFFFFFFF, nullptr), E_FAIL);

  // A name past 79 characters is cut, not overrun.
  TextureFont longName(std::string(200, 'n').c_str(), 30);
  EXPECT_EQ(std::strlen(longName.FontName()), 79u);
}

}  // namespace
