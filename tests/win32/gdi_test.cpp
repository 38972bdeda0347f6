// SPDX-License-Identifier: MIT
// GDI: block transfers onto bitmaps and onto the window's picture, DIB
// sections, object selection rules, and bitmaps loaded from resources,
// including damaged ones.
#include <gtest/gtest.h>
#include <host/host.h>
#include <win32/debug_output.h>
#include <win32/diagnostics.h>
#include <win32/resource_table.h>

#include <string>

#include "bmp_builder.h"
#include "debug_capture.h"
#include "test_window.h"

namespace {

// A 32-bit top-down DIB section selected into a fresh memory DC.
struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w, h;
  Canvas(int width, int height, int bitCount = 32, bool topDown = true) : w(width), h(height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                      width,
                      topDown ? -height : height,
                      1,
                      static_cast<WORD>(bitCount),
                      BI_RGB,
                      0,
                      0,
                      0,
                      0,
                      0};
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) { return GetPixel(dc, x, y); }
};

TEST(Blit, StretchDoublesEveryPixelAndMirrorsWithNegativeSizes) {
  Canvas src(2, 2), dst(4, 4);
  SetPixel(src.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc, 1, 0, RGB(0, 255, 0));
  SetPixel(src.dc, 0, 1, RGB(0, 0, 255));
  SetPixel(src.dc, 1, 1, RGB(255, 255, 255));
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(dst.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(dst.At(2, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(3, 1), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(0, 3), RGB(0, 0, 255));
  EXPECT_EQ(dst.At(3, 3), RGB(255, 255, 255));
  EXPECT_EQ(dst.bits[0], 0x00FF0000u);  // DIB memory holds blue, green, red, 0

  ASSERT_TRUE(StretchBlt(dst.dc, 4, 0, -4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(3, 0), RGB(255, 0, 0));
}

TEST(Blit, ClipsToBothBitmapsAndSupportsOnlyKnownOperations) {
  win32::ResetDiagnostics();
  Canvas src(2, 2), dst(3, 3);
  RECT all = {0, 0, 3, 3};
  FillRect(dst.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetPixel(src.dc, 0, 0, RGB(1, 2, 3));
  EXPECT_TRUE(StretchBlt(dst.dc, -10, -10, 100, 100, src.dc, -5, -5, 10, 10, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc, 2, 2, 50, 50, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(2, 2), RGB(1, 2, 3));
  EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 3, 3, src.dc, 0, 0, 2, 2, 0x00EE0086));  // SRCPAINT
  EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_UNSUPPORTED_ROP), 1);
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 3, 3, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(dst.At(1, 1), RGB(0, 0, 0));
  EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 3, 3, nullptr, 0, 0, 2, 2, SRCCOPY));
}

TEST(Blit, BottomUpSectionsKeepTheirRowOrder) {
  Canvas c(2, 2, 24, false);
  SetPixel(c.dc, 0, 0, RGB(10, 20, 30));  // the top row is the last in memory
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(c.bits);
  int stride = 8;  // 2 pixels of 3 bytes, rounded up to 4
  EXPECT_EQ(bytes[stride + 0], 30);
  EXPECT_EQ(bytes[stride + 2], 10);
  DIBSECTION ds = {};
  ASSERT_EQ(GetObjectA(c.bitmap, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, stride);
  EXPECT_EQ(ds.dsBm.bmBits, c.bits);
  BITMAP bm = {};
  EXPECT_EQ(GetObjectA(c.bitmap, 4, &bm), 0);  // too small a buffer gets nothing
}

// A new bitmap is black, also where it reuses the memory of one drawn on
// and deleted (small ones come from the heap, large ones from the system).
TEST(Blit, NewBitmapsStartBlackWhateverTheirMemoryHeldBefore) {
  for (int side : {16, 1024}) {
    for (int round = 0; round < 2; ++round) {
      Canvas c(side, side);
      for (int i = 0; i < side * side; ++i)
        ASSERT_EQ(c.bits[i], 0u) << side << " round " << round << " at " << i;
      for (int i = 0; i < side * side; ++i) c.bits[i] = 0xFFFFFFFFu;
    }
  }
}

TEST(GdiObjects, SelectionAndDeletionRules) {
  win32::ResetDiagnostics();
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 4, 4);
  HGDIOBJ oldA = SelectObject(a, bitmap);
  ASSERT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);  // one memory DC at a time
  EXPECT_FALSE(DeleteObject(bitmap));           // still selected
  EXPECT_EQ(SelectObject(a, oldA), bitmap);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects stay
  EXPECT_NE(GetObjectType(GetStockObject(BLACK_BRUSH)), 0);
  BITMAPINFO eight = {};
  eight.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
  EXPECT_EQ(CreateDIBSection(a, &eight, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  BITMAPINFO huge = eight;
  huge.bmiHeader.biBitCount = 32;
  huge.bmiHeader.biWidth = 1 << 20;
  EXPECT_EQ(CreateDIBSection(a, &huge, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_UNSUPPORTED_DIB_SECTION), 2);
  // Brushes are not described, and text is the only mapping mode.
  BITMAP described = {};
  EXPECT_EQ(GetObjectA(GetStockObject(BLACK_BRUSH), sizeof(described), &described), 0);
  EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_BRUSH_NOT_DESCRIBED), 1);
  EXPECT_EQ(SetMapMode(a, MM_TEXT), MM_TEXT);
  EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_UNSUPPORTED_MAP_MODE), 0);
  EXPECT_EQ(SetMapMode(a, MM_TEXT + 1), MM_TEXT);
  EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_UNSUPPORTED_MAP_MODE), 1);
  DeleteDC(a);
  DeleteDC(b);
  EXPECT_FALSE(DeleteDC(a));
}

struct Captured {
  int calls = 0;
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
};

void Capture(const host::Picture& p, void* user) {
  auto* c = static_cast<Captured*>(user);
  c->calls++;
  c->w = p.w;
  c->h = p.h;
  c->pixels.assign(p.pixels, p.pixels + p.h * p.pitch / 4);
}

TEST(WindowPicture, DrawingOnTheWindowDcIsPresentedOnRelease) {
  TestWindow w;
  Captured shown;
  host::SetPicturePresenter(Capture, &shown);
  HDC dc = GetDC(w.hwnd);
  ReleaseDC(w.hwnd, dc);
  EXPECT_EQ(shown.calls, 0);  // nothing drawn, nothing shown
  Canvas src(1, 1);
  SetPixel(src.dc, 0, 0, RGB(200, 100, 50));
  dc = GetDC(w.hwnd);
  StretchBlt(dc, 0, 0, 634, 451, src.dc, 0, 0, 1, 1, SRCCOPY);
  ReleaseDC(w.hwnd, dc);
  host::SetPicturePresenter(nullptr, nullptr);
  ASSERT_EQ(shown.calls, 1);
  EXPECT_EQ(shown.w, 634);
  EXPECT_EQ(shown.h, 451);
  EXPECT_EQ(shown.pixels[0] & 0xFFFFFF, 0xC86432u);
  EXPECT_EQ(shown.pixels.back() & 0xFFFFFF, 0xC86432u);
}

// Once a frame of the device's own covers the window, the GDI picture goes;
// drawing on the window DC starts a black one, and the picture shown then
// has none of the old drawing in it. A presenter's own swap covers nothing.
TEST(WindowPicture, AFrameCoveringThePictureLetsItGo) {
  TestWindow w(WS_POPUP | WS_VISIBLE, 64, 48);
  Captured shown;
  host::SetPicturePresenter(
      [](const host::Picture& p, void* user) {
        Capture(p, user);
        host::SwapWindowBuffers();  // as the device's presenter does
      },
      &shown);
  ASSERT_NE(host::CreateGLContext(), nullptr);
  host::SetFramePacing(false);
  Canvas red(1, 1), green(1, 1);
  SetPixel(red.dc, 0, 0, RGB(200, 0, 0));
  SetPixel(green.dc, 0, 0, RGB(0, 200, 0));
  HDC dc = GetDC(w.hwnd);
  StretchBlt(dc, 0, 0, 64, 48, red.dc, 0, 0, 1, 1, SRCCOPY);
  ReleaseDC(w.hwnd, dc);
  dc = GetDC(w.hwnd);
  EXPECT_EQ(GetPixel(dc, 10, 10), RGB(200, 0, 0));  // the presenter's swap kept it
  ReleaseDC(w.hwnd, dc);
  host::SwapWindowBuffers();  // a device's frame
  dc = GetDC(w.hwnd);
  EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 0, 0));
  StretchBlt(dc, 0, 0, 8, 8, green.dc, 0, 0, 1, 1, SRCCOPY);
  ReleaseDC(w.hwnd, dc);
  host::SetPicturePresenter(nullptr, nullptr);
  host::DestroyGLContext();
  ASSERT_EQ(shown.calls, 2);
  EXPECT_EQ(shown.pixels[0] & 0xFFFFFF, 0x00C800u);
  EXPECT_EQ(shown.pixels.back() & 0xFFFFFF, 0u);
}

// ----------------------------------------------------------- loaded images

class ImageResources : public ::testing::Test {
 protected:
  std::vector<unsigned char> file =
      MakeBmp(3, 2, 24, true, [](int x, int y) { return x == 2 && y == 0 ? 0xFF8000u : 0u; });
  std::vector<unsigned char> packed =
      MakeBmp(3, 2, 24, false, [](int x, int y) { return x == 0 && y == 1 ? 0x123456u : 0u; });
  std::vector<unsigned char> icon =
      MakeBmp(2, 2, 32, true, [](int x, int) { return x ? 0x80FF0000u : 0x00000000u; });
  std::vector<unsigned char> cut = std::vector<unsigned char>(file.begin(), file.end() - 5);
  std::vector<unsigned char> eightBit = MakeBmp(3, 2, 24, true, [](int, int) { return 0u; });
  std::vector<unsigned char> liar = file;
  std::vector<win32::ResourceEntry> table;

  void SetUp() override {
    eightBit[14 + 14] = 8;  // biBitCount
    int32_t wide = 1 << 30;
    std::memcpy(&liar[14 + 4], &wide, 4);  // claims a width far beyond the data
    table = {
        {nullptr, 2, "PICTURE", 0, file.data(), file.size()},
        {nullptr, 2, nullptr, 7, packed.data(), packed.size()},
        {nullptr, 3, nullptr, 101, icon.data(), icon.size()},
        {nullptr, 2, "CUT", 0, cut.data(), cut.size()},
        {nullptr, 2, "EIGHT", 0, eightBit.data(), eightBit.size()},
        {nullptr, 2, "LIAR", 0, liar.data(), liar.size()},
        {nullptr, 2, "EMPTY", 0, file.data(), 0},
    };
    win32::RegisterResources(table.data(), table.size());
  }
  void TearDown() override { win32::UnregisterResources(table.data()); }

  static COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
};

TEST_F(ImageResources, FindsByNameWithoutCaseByIdAndByHashId) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC byName = FindResourceA(self, "picture", RT_BITMAP);
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(SizeofResource(self, byName), file.size());
  EXPECT_EQ(LockResource(LoadResource(self, byName)), file.data());
  EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(7), RT_BITMAP), nullptr);
  EXPECT_NE(FindResourceA(self, "#7", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceA(self, "#8", RT_BITMAP), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceA(self, "PICTURE", "NOSUCHTYPE"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(SizeofResource(self, reinterpret_cast<HRSRC>(0x10)), 0u);
}

TEST_F(ImageResources, LoadsFileAndPackedBitmaps) {
  HMODULE self = GetModuleHandleA(nullptr);
  auto fromFile = static_cast<HBITMAP>(LoadImageA(self, "PICTURE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(fromFile, nullptr);
  BITMAP bm = {};
  ASSERT_EQ(GetObjectA(fromFile, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_NE(bm.bmBits, nullptr);
  EXPECT_EQ(PixelOf(fromFile, 2, 0), RGB(0xFF, 0x80, 0));
  EXPECT_EQ(PixelOf(fromFile, 2, 1), RGB(0, 0, 0));
  auto fromPacked = static_cast<HBITMAP>(LoadImageA(self, MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(fromPacked, nullptr);
  EXPECT_EQ(PixelOf(fromPacked, 0, 1), RGB(0x12, 0x34, 0x56));
  DeleteObject(fromFile);
  DeleteObject(fromPacked);
  EXPECT_NE(LoadIconA(self, MAKEINTRESOURCEA(101)), nullptr);
  EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(102)), nullptr);
}

TEST_F(ImageResources, DamagedOrMissingBitmapsGiveNullAndSayWhy) {
  HMODULE self = GetModuleHandleA(nullptr);
  for (const char* name : {"CUT", "EIGHT", "LIAR", "EMPTY", "MISSING"}) {
    DebugCapture quiet;
    win32::ResetDiagnostics();
    EXPECT_EQ(LoadImageA(self, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr) << name;
    const bool missing = std::string(name) == "MISSING";
    EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_BITMAP_NOT_FOUND), missing ? 1 : 0) << name;
    EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_DAMAGED_BITMAP), missing ? 0 : 1) << name;
  }
}

TEST(EmbeddedResources, TheBuildEmbedsFilesUnderIdsAndStringTypes) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC seven = FindResourceA(self, MAKEINTRESOURCEA(7), RT_RCDATA);
  ASSERT_NE(seven, nullptr);
  ASSERT_EQ(SizeofResource(self, seven), 11u);
  EXPECT_EQ(std::string(static_cast<const char*>(LockResource(LoadResource(self, seven))), 11),
            "seven bytes");
  EXPECT_NE(FindResourceA(self, "BEGINLEVEL", "wav"), nullptr);
}

}  // namespace

namespace {

TEST(GdiText, FontsAndTextAttributesAreKeptPerDc) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  HFONT font =
      CreateFontA(-MulDiv(30, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                  VARIABLE_PITCH, "A face name longer than thirty-one characters");
  ASSERT_NE(font, nullptr);
  LOGFONTA described = {};
  ASSERT_EQ(GetObjectA(font, sizeof(described), &described), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(described.lfHeight, -40);
  EXPECT_EQ(std::string(described.lfFaceName).size(), static_cast<size_t>(LF_FACESIZE - 1));
  EXPECT_EQ(SelectObject(dc, font), nullptr);  // no font before: the stock one
  EXPECT_FALSE(DeleteObject(font));            // selected
  EXPECT_EQ(SetTextColor(dc, RGB(255, 255, 255)), 0u);
  EXPECT_EQ(SetBkColor(dc, 0), 0xFFFFFFu);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(GetObjectType(font), OBJ_FONT);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(font));  // the DC let go of it
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
}

}  // namespace
