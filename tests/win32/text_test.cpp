// SPDX-License-Identifier: MIT
// GDI text: extents, where and in which colours ExtTextOutA puts its pixels
// on DIB sections of both row orders, alignment, clipping, the stand-in
// faces and refused calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

int RedOf(COLORREF c) {
  return static_cast<int>(c & 0xFF);
}

// A 32-bit DIB section selected into a memory DC, with one font selected.
struct TextCanvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
  uint32_t* bits = nullptr;
  int w, h;
  TextCanvas(int width, int height, const char* face, int pixelHeight, int weight = FW_NORMAL,
             DWORD quality = ANTIALIASED_QUALITY, bool topDown = true, DWORD italic = FALSE)
      : w(width), h(height) {
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), width, topDown ? -height : height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    oldBitmap = SelectObject(dc, bitmap);
    font = CreateFontA(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH, face);
    oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
  }
  ~TextCanvas() {
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  SIZE Extent(const char* text) {
    SIZE s = {-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text, lstrlenA(text), &s));
    return s;
  }
  // Row y as shown (top row 0), whatever the memory order.
  uint32_t At(int x, int y) { return GetPixel(dc, x, y); }
  // Bounding box of pixels that differ from `background`; left > right when none.
  RECT Ink(COLORREF background = 0) {
    RECT r = {w, h, -1, -1};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (At(x, y) != background) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
  }
  int Lit(int threshold = 128) {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) n += RedOf(At(x, y)) >= threshold;
    return n;
  }
};

TEST(TextExtent, AddsAdvancesAndGivesTheCellHeight) {
  TextCanvas c(8, 8, "Tahoma", 20);
  SIZE w = c.Extent("W"), ww = c.Extent("WW"), empty = c.Extent("");
  EXPECT_GT(w.cx, 8);
  EXPECT_LT(w.cx, 30);
  EXPECT_EQ(ww.cx, 2 * w.cx);
  EXPECT_EQ(empty.cx, 0);
  // The cell is taller than the em (ascent plus descent with room for accents).
  EXPECT_GE(w.cy, 20);
  EXPECT_LE(w.cy, 28);
  EXPECT_EQ(empty.cy, w.cy);
  EXPECT_LT(c.Extent("i").cx, c.Extent("m").cx);
}

TEST(TextExtent, ScreenDcMeasuresButDoesNotDraw) {
  HDC screen = GetDC(nullptr);
  SIZE s = {};
  EXPECT_TRUE(GetTextExtentPoint32A(screen, "Glorbs", 6, &s));  // the stock font
  EXPECT_GT(s.cx, 0);
  EXPECT_GT(s.cy, 0);
  EXPECT_FALSE(ExtTextOutA(screen, 0, 0, 0, nullptr, "x", 1, nullptr));
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  ReleaseDC(nullptr, screen);
}

TEST(TextExtent, RefusesBadArguments) {
  TextCanvas c(8, 8, "Tahoma", 12);
  SIZE s = {};
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc, "x", 1, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc, nullptr, 3, &s));
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc, "x", -1, &s));
  EXPECT_FALSE(GetTextExtentPoint32A(reinterpret_cast<HDC>(&s), "x", 1, &s));
  EXPECT_FALSE(ExtTextOutA(c.dc, 0, 0, 0, nullptr, nullptr, 2, nullptr));
  EXPECT_FALSE(TextOutA(c.dc, 0, 0, "x", -2));
}

TEST(TextDraw, InkLiesInsideTheMeasuredCellInTheTextColour) {
  TextCanvas c(120, 60, "Tahoma", 24);
  SetTextColor(c.dc, RGB(40, 200, 90));
  SetBkMode(c.dc, TRANSPARENT);
  SIZE s = c.Extent("Hog");
  ASSERT_TRUE(ExtTextOutA(c.dc, 10, 7, 0, nullptr, "Hog", 3, nullptr));
  RECT ink = c.Ink();
  ASSERT_LT(ink.left, ink.right);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + s.cx + 1);
  EXPECT_GE(ink.top, 7);
  EXPECT_LE(ink.bottom, 7 + s.cy);
  EXPECT_GT(ink.bottom, 7 + s.cy * 3 / 4);  // the descender of g
  EXPECT_LT(ink.left, 14);                  // H starts close to the pen
  // Solid stems carry the exact colour; edges blend towards the background.
  bool exact = false, blended = false;
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      COLORREF p = c.At(x, y);
      exact |= p == RGB(40, 200, 90);
      blended |= p != 0 && p != RGB(40, 200, 90);
      if (p) {
        EXPECT_LE(RedOf(p), 40) << x << "," << y;
      }
    }
  EXPECT_TRUE(exact);
  EXPECT_TRUE(blended);
}

TEST(TextDraw, OpaqueModeFillsTheCellWithTheBackgroundColour) {
  TextCanvas c(80, 40, "Tahoma", 16);
  SetBkColor(c.dc, RGB(0, 0, 255));
  SIZE s = c.Extent("ab");
  ASSERT_TRUE(TextOutA(c.dc, 5, 3, "ab", 2));
  EXPECT_EQ(c.At(5, 3), RGB(0, 0, 255));
  EXPECT_EQ(c.At(5 + s.cx - 1, 3 + s.cy - 1), RGB(0, 0, 255));
  EXPECT_EQ(c.At(5 + s.cx, 3), 0u);
  EXPECT_EQ(c.At(4, 3), 0u);
  EXPECT_EQ(c.At(5, 3 + s.cy), 0u);
}

TEST(TextDraw, BottomUpSectionsKeepTheTopRowLastInMemory) {
  TextCanvas c(40, 30, "Tahoma", 20, FW_NORMAL, ANTIALIASED_QUALITY, false);
  SetBkColor(c.dc, RGB(255, 0, 0));
  ASSERT_TRUE(TextOutA(c.dc, 0, 0, "T", 1));
  EXPECT_EQ(c.bits[(c.h - 1) * c.w] & 0xFFFFFF, 0xFF0000u);  // the shown top-left, red
  EXPECT_EQ(c.bits[0], 0u);                                  // the shown bottom row is untouched
}

TEST(TextDraw, NonAntialiasedTextUsesOnlyTheTwoColours) {
  TextCanvas c(100, 40, "Tahoma", 18, FW_NORMAL, NONANTIALIASED_QUALITY);
  ASSERT_TRUE(TextOutA(c.dc, 2, 2, "Score 42", 8));
  int lit = 0;
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      COLORREF p = c.At(x, y);
      ASSERT_TRUE(p == 0 || p == RGB(255, 255, 255)) << std::hex << p;
      lit += p != 0;
    }
  EXPECT_GT(lit, 40);
}

// Every pixel of the canvas, top row first.
std::vector<uint32_t> Pixels(TextCanvas& c) {
  std::vector<uint32_t> out;
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) out.push_back(c.At(x, y));
  return out;
}

int GreyPixels(TextCanvas& c) {
  int n = 0;
  for (uint32_t p : Pixels(c)) n += RedOf(p) > 0 && RedOf(p) < 255;
  return n;
}

// One face drawn at two sizes and in both rendering modes, one after the
// other: each string keeps its own glyphs and widths whatever was drawn
// with the face in between.
TEST(TextDraw, SizesAndModesOfOneFaceTakeTurnsWithoutMixing) {
  TextCanvas big(120, 60, "Tahoma", 40), small(120, 60, "Tahoma", 13),
      sharp(120, 60, "Tahoma", 40, FW_NORMAL, NONANTIALIASED_QUALITY);
  auto draw = [](TextCanvas& c) {
    RECT all = {0, 0, c.w, c.h};
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_TRUE(TextOutA(c.dc, 2, 2, "Ag%", 3));
    return std::make_pair(c.Extent("Ag%").cx, Pixels(c));
  };
  const auto bigFirst = draw(big);
  const auto smallFirst = draw(small);
  const auto sharpFirst = draw(sharp);
  {
    TextCanvas gone(40, 40, "Tahoma", 40);  // its font is made and deleted
    draw(gone);
  }
  EXPECT_EQ(draw(big), bigFirst);
  EXPECT_EQ(draw(small), smallFirst);
  EXPECT_EQ(draw(sharp), sharpFirst);
  EXPECT_GT(bigFirst.first, 2 * smallFirst.first);
  EXPECT_GT(big.Ink().bottom - big.Ink().top, 2 * (small.Ink().bottom - small.Ink().top));
  EXPECT_GT(GreyPixels(big), 20);
  EXPECT_EQ(GreyPixels(sharp), 0);
  EXPECT_GT(sharp.Lit(), 100);
}

TEST(TextDraw, AlignmentMovesTheReferencePoint) {
  TextCanvas c(120, 80, "Tahoma", 20);
  SetBkMode(c.dc, TRANSPARENT);
  SIZE s = c.Extent("Mm");
  SetTextAlign(c.dc, TA_RIGHT | TA_BOTTOM);
  ASSERT_TRUE(TextOutA(c.dc, 100, 70, "Mm", 2));
  RECT ink = c.Ink();
  EXPECT_LE(ink.right, 101);
  EXPECT_GE(ink.left, 100 - s.cx);
  EXPECT_LE(ink.bottom, 70);
  EXPECT_GE(ink.top, 70 - s.cy);

  TextCanvas b(120, 80, "Tahoma", 20);
  SetBkMode(b.dc, TRANSPARENT);
  SetTextAlign(b.dc, TA_CENTER | TA_BASELINE);
  ASSERT_TRUE(TextOutA(b.dc, 60, 50, "Mm", 2));  // no descenders: ink ends at the baseline
  RECT centred = b.Ink();
  EXPECT_LE(std::abs((centred.left + centred.right) / 2 - 60), 2);
  EXPECT_GE(centred.bottom, 49);
  EXPECT_LE(centred.bottom, 51);
}

TEST(TextDraw, StaysInsideTheBitmapAndTheClipRectangle) {
  TextCanvas c(30, 20, "Impact", 40);
  ASSERT_TRUE(TextOutA(c.dc, -15, -10, "WWWW", 4));  // mostly outside: no write past the bits
  ASSERT_TRUE(TextOutA(c.dc, 20, 12, "WWWW", 4));

  TextCanvas d(60, 40, "Tahoma", 24);
  SetBkMode(d.dc, TRANSPARENT);
  RECT clip = {10, 10, 20, 30};
  ASSERT_TRUE(ExtTextOutA(d.dc, 0, 5, ETO_CLIPPED, &clip, "WWW", 3, nullptr));
  RECT ink = d.Ink();
  ASSERT_LT(ink.left, ink.right);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 20);
  EXPECT_GE(ink.top, 10);

  TextCanvas e(40, 20, "Tahoma", 12);
  SetBkColor(e.dc, RGB(0, 255, 0));
  RECT box = {2, 2, 6, 6};
  ASSERT_TRUE(ExtTextOutA(e.dc, 0, 0, ETO_OPAQUE, &box, "", 0, nullptr));
  EXPECT_EQ(e.At(2, 2), RGB(0, 255, 0));
  EXPECT_EQ(e.At(5, 5), RGB(0, 255, 0));
  EXPECT_EQ(e.At(6, 6), 0u);
}

TEST(TextFaces, WeightItalicAndTheImpactStandIn) {
  TextCanvas regular(200, 50, "Tahoma", 30), bold(200, 50, "Tahoma", 30, FW_BOLD);
  ASSERT_TRUE(TextOutA(regular.dc, 0, 0, "Glorbs", 6));
  ASSERT_TRUE(TextOutA(bold.dc, 0, 0, "Glorbs", 6));
  EXPECT_GT(bold.Lit(), regular.Lit() * 5 / 4);
  EXPECT_GE(bold.Extent("Glorbs").cx, regular.Extent("Glorbs").cx);

  // Impact is a heavy face: at its normal weight it inks like a bold one.
  TextCanvas impact(200, 50, "Impact", 30);
  ASSERT_TRUE(TextOutA(impact.dc, 0, 0, "Glorbs", 6));
  EXPECT_GT(impact.Lit(), regular.Lit() * 5 / 4);

  TextCanvas upright(60, 50, "Tahoma", 30),
      slanted(60, 50, "Tahoma", 30, FW_NORMAL, ANTIALIASED_QUALITY, true, TRUE);
  SetBkMode(upright.dc, TRANSPARENT);
  SetBkMode(slanted.dc, TRANSPARENT);
  ASSERT_TRUE(TextOutA(upright.dc, 10, 0, "l", 1));
  ASSERT_TRUE(TextOutA(slanted.dc, 10, 0, "l", 1));
  // The upright stem's top and bottom stand over each other; the slanted one's top leans right.
  auto topShift = [](TextCanvas& c) {
    RECT ink = c.Ink();
    int top = -1, bottom = -1;
    for (int x = 0; x < c.w; ++x) {
      if (top < 0 && RedOf(c.At(x, ink.top + 1)) > 128) top = x;
      if (bottom < 0 && RedOf(c.At(x, ink.bottom - 2)) > 128) bottom = x;
    }
    return top - bottom;
  };
  EXPECT_LE(std::abs(topShift(upright)), 1);
  EXPECT_GE(topShift(slanted), 3);
}

}  // namespace
