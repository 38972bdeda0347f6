// SPDX-License-Identifier: MIT
// Device contexts, bitmaps, brushes and block transfers. A window DC draws
// into its window's GDI picture (32-bit, top-down), shown through host when
// the DC is released; a memory DC draws into the bitmap selected into it.
#include "font_faces.h"
#include "win32_internal.h"

#include <host/host.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>
#include <utility>

namespace win32 {
namespace {

constexpr int kMaxDimension = 16384;

struct DeviceContext {
  uint32_t magic = 0x44433030;  // "DC00"
  HWND window = nullptr;        // window DCs (and the screen DC: no window)
  bool memory = false;
  bool screen = false;
  Bitmap* bitmap = nullptr;  // memory DCs: the selected bitmap
  HGDIOBJ brush = nullptr;
  HGDIOBJ font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  int mapMode = MM_TEXT;
  bool drewOnWindow = false;
};

std::unordered_set<GdiObject*>& Objects() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& objects = *new std::unordered_set<GdiObject*>();
  return objects;
}

std::unordered_set<DeviceContext*>& Contexts() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& contexts = *new std::unordered_set<DeviceContext*>();
  return contexts;
}

DeviceContext* ContextFromHandle(HDC dc) {
  auto* c = reinterpret_cast<DeviceContext*>(dc);
  return Contexts().count(c) ? c : nullptr;
}

GdiObject* ObjectFromHandle(HGDIOBJ object) {
  auto* o = static_cast<GdiObject*>(object);
  return Objects().count(o) ? o : nullptr;
}

Brush* MakeStockBrush(COLORREF color, bool hollow) {
  auto* b = new Brush();
  b->kind = GdiKind::Brush;
  b->stock = true;
  b->color = color;
  b->hollow = hollow;
  Objects().insert(b);
  return b;
}

struct Stock {
  Brush* brushes[6];
  Bitmap* defaultBitmap;
};

Stock& Stocks() {
  static Stock stock = [] {
    Stock s = {};
    const COLORREF colors[6] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0};
    for (int i = 0; i < 6; ++i) s.brushes[i] = MakeStockBrush(colors[i], i == NULL_BRUSH);
    std::unique_ptr<Bitmap> one = MakeBitmap(1, 1, 32, true);
    one->stock = true;
    s.defaultBitmap = one.release();
    Objects().insert(s.defaultBitmap);
    return s;
  }();
  return stock;
}

// Where a DC's drawing lands; null for the screen DC.
Bitmap* Surface(DeviceContext* c) {
  if (c->memory) return c->bitmap;
  if (c->screen) return nullptr;
  Window* w = WindowFromHandle(c->window);
  if (w && !w->picture) FitPicture(w);  // let go when a device's frame covered it
  return w ? w->picture.get() : nullptr;
}

void FillOn(DeviceContext* c, Bitmap* target, RECT r, uint32_t rgb) {
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, target->width);
  r.bottom = std::min<LONG>(r.bottom, target->height);
  for (LONG y = r.top; y < r.bottom; ++y) {
    for (LONG x = r.left; x < r.right; ++x) target->Set(x, y, rgb);
  }
  if (!c->memory) c->drewOnWindow = true;
}

uint32_t RgbOf(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
COLORREF ColorRefOf(uint32_t rgb) {
  return RgbOf(rgb);
}  // the swap is its own inverse

// Source coordinate for destination pixel `i` (counted from the edge where
// the destination starts) of a span of `dstLen` mapped onto `srcLen`.
int SourceIndex(int start, int srcLen, int i, int dstLen) {
  double t = (i + 0.5) / std::abs(dstLen);
  return start + static_cast<int>(std::floor(t * srcLen));
}

void CopyStretched(DeviceContext* dc, Bitmap* dst, int x, int y, int w, int h, const Bitmap* src, int sx,
                   int sy, int sw, int sh) {
  int xs = w >= 0 ? x : x + w, ys = h >= 0 ? y : y + h;
  int aw = std::abs(w), ah = std::abs(h);
  for (int j = 0; j < ah; ++j) {
    int dy = ys + j;
    if (dy < 0 || dy >= dst->height) continue;
    int row = h >= 0 ? j : ah - 1 - j;
    int syy = SourceIndex(sy, sh, row, h);
    if (syy < 0 || syy >= src->height) continue;
    for (int i = 0; i < aw; ++i) {
      int dx = xs + i;
      if (dx < 0 || dx >= dst->width) continue;
      int col = w >= 0 ? i : aw - 1 - i;
      int sxx = SourceIndex(sx, sw, col, w);
      if (sxx < 0 || sxx >= src->width) continue;
      dst->Set(dx, dy, src->Get(sxx, syy));
    }
  }
  if (!dc->memory) dc->drewOnWindow = true;
}

// A DC going away lets go of what was selected into it.
void ReleaseSelections(DeviceContext* c) {
  if (c->memory && c->bitmap) c->bitmap->selectedCount--;
  for (HGDIOBJ held : {c->brush, c->font}) {
    GdiObject* o = ObjectFromHandle(held);
    if (o && !o->stock) o->selectedCount--;
  }
  c->bitmap = nullptr;
  c->brush = c->font = nullptr;
}

// Sets one attribute of a DC and returns the one it replaces.
template <typename T>
T SwapAttribute(HDC dc, T DeviceContext::*member, T value, T failure) {
  DeviceContext* c = ContextFromHandle(dc);
  return c ? std::exchange(c->*member, value) : failure;
}

void ReportUnsupportedRop(DWORD rop) {
  char text[96];
  std::snprintf(text, sizeof(text), "StretchBlt: raster operation 0x%08X is not supported", rop);
  DiagnoseOnce(DIAG_UNSUPPORTED_ROP, text);
}

}  // namespace

std::unique_ptr<Bitmap> MakeBitmap(int width, int height, int bitsPerPixel, bool topDown) {
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return nullptr;
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return nullptr;
  auto b = std::make_unique<Bitmap>();
  b->width = width;
  b->height = height;
  b->bitsPerPixel = bitsPerPixel;
  b->topDown = topDown;
  b->stride = ((width * bitsPerPixel + 31) / 32) * 4;
  b->bits.resize(static_cast<size_t>(b->stride) * height);  // zeros: black
  return b;
}

HBITMAP AdoptBitmap(std::unique_ptr<Bitmap> bitmap) {
  if (!bitmap) return nullptr;
  Stocks();
  Bitmap* b = bitmap.release();
  Objects().insert(b);
  return b;
}

Bitmap* BitmapFromHandle(HGDIOBJ object) {
  GdiObject* o = ObjectFromHandle(object);
  return o && o->kind == GdiKind::Bitmap ? static_cast<Bitmap*>(o) : nullptr;
}

void FitPicture(Window* w) {
  int width = std::max<int>(1, w->client.right - w->client.left);
  int height = std::max<int>(1, w->client.bottom - w->client.top);
  if (w->picture && w->picture->width == width && w->picture->height == height) return;
  w->picture = MakeBitmap(std::min(width, kMaxDimension), std::min(height, kMaxDimension), 32, true);
}

void LetPictureGo(void*) {
  // The device's frames show in the window now; what GDI drew there is
  // gone from the screen, and its 32-bit copy need not stay in memory.
  if (Window* w = MainWindowRecord()) w->picture.reset();
}

void PresentPicture(Window* w) {
  if (!w || !w->backed || !w->picture) return;
  host::Picture p;
  p.pixels = reinterpret_cast<const uint32_t*>(w->picture->bits.data());
  p.w = w->picture->width;
  p.h = w->picture->height;
  p.pitch = w->picture->stride;
  host::PresentPicture(p);
}

bool TextStateOf(HDC dc, TextState* out) {
  DeviceContext* c = ContextFromHandle(dc);
  if (!c || !out) return false;
  GdiObject* font = ObjectFromHandle(c->font);
  out->font = font && font->kind == GdiKind::Font ? &static_cast<Font*>(font)->logFont : nullptr;
  out->textColor = c->textColor;
  out->bkColor = c->bkColor;
  out->bkMode = c->bkMode;
  out->textAlign = c->textAlign;
  out->target = Surface(c);
  return true;
}

void NoteDrawn(HDC dc) {
  DeviceContext* c = ContextFromHandle(dc);
  if (c && !c->memory) c->drewOnWindow = true;
}

}  // namespace win32

using namespace win32;

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return SwapAttribute(dc, &DeviceContext::textColor, color & 0xFFFFFF, CLR_INVALID);
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return SwapAttribute(dc, &DeviceContext::bkColor, color & 0xFFFFFF, CLR_INVALID);
}

int SetBkMode(HDC dc, int mode) {
  if (mode != OPAQUE && mode != TRANSPARENT) return 0;
  return SwapAttribute(dc, &DeviceContext::bkMode, mode, 0);
}

UINT SetTextAlign(HDC dc, UINT align) {
  return SwapAttribute(dc, &DeviceContext::textAlign, align, 0xFFFFFFFFu /* GDI_ERROR */);
}

int SetMapMode(HDC dc, int mode) {
  DeviceContext* c = ContextFromHandle(dc);
  if (!c) return 0;
  if (mode != MM_TEXT) Diagnose(DIAG_UNSUPPORTED_MAP_MODE, "SetMapMode: only MM_TEXT is offered");
  return std::exchange(c->mapMode, MM_TEXT);
}

int GetDeviceCaps(HDC dc, int index) {
  DeviceContext* c = ContextFromHandle(dc);
  if (!c) return 0;
  Bitmap* target = Surface(c);
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case BITSPIXEL:
      return 32;
    case HORZRES:
      return target ? target->width : GetSystemMetrics(SM_CXSCREEN);
    case VERTRES:
      return target ? target->height : GetSystemMetrics(SM_CYSCREEN);
    default:
      return 0;
  }
}

HDC GetDC(HWND window) {
  Stocks();
  auto* c = new DeviceContext();
  if (window) {
    if (!WindowFromHandle(window)) {
      delete c;
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    c->window = window;
  } else {
    c->screen = true;  // measures only; drawing on the desktop is not offered
  }
  c->brush = Stocks().brushes[WHITE_BRUSH];
  Contexts().insert(c);
  return reinterpret_cast<HDC>(c);
}

int ReleaseDC(HWND, HDC dc) {
  DeviceContext* c = ContextFromHandle(dc);
  if (!c || c->memory) return 0;
  if (c->drewOnWindow) PresentPicture(WindowFromHandle(c->window));
  ReleaseSelections(c);
  Contexts().erase(c);
  delete c;
  return 1;
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !ContextFromHandle(dc)) return nullptr;
  auto* c = new DeviceContext();
  c->memory = true;
  c->bitmap = Stocks().defaultBitmap;
  c->bitmap->selectedCount++;
  c->brush = Stocks().brushes[WHITE_BRUSH];
  Contexts().insert(c);
  return reinterpret_cast<HDC>(c);
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* c = ContextFromHandle(dc);
  if (!c) return FALSE;
  ReleaseSelections(c);
  if (!c->memory && c->drewOnWindow) PresentPicture(WindowFromHandle(c->window));
  Contexts().erase(c);
  delete c;
  return TRUE;
}

int GetObjectType(HGDIOBJ object) {
  if (DeviceContext* c = ContextFromHandle(static_cast<HDC>(object))) return c->memory ? OBJ_MEMDC : OBJ_DC;
  GdiObject* o = ObjectFromHandle(object);
  if (!o) return 0;
  return o->kind == GdiKind::Bitmap ? OBJ_BITMAP : o->kind == GdiKind::Brush ? OBJ_BRUSH : OBJ_FONT;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* c = ContextFromHandle(dc);
  GdiObject* o = ObjectFromHandle(object);
  if (!c || !o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (o->kind != GdiKind::Bitmap) {
    HGDIOBJ& slot = o->kind == GdiKind::Brush ? c->brush : c->font;
    HGDIOBJ old = slot;
    if (GdiObject* previous = ObjectFromHandle(old)) previous->selectedCount -= previous->stock ? 0 : 1;
    slot = object;
    o->selectedCount += o->stock ? 0 : 1;
    return old;
  }
  // A bitmap goes into one memory DC at a time (stock ones anywhere).
  auto* b = static_cast<Bitmap*>(o);
  if (!c->memory || (b->selectedCount > 0 && !b->stock && c->bitmap != b)) return nullptr;
  Bitmap* old = c->bitmap;
  if (old) old->selectedCount--;
  c->bitmap = b;
  b->selectedCount++;
  return old;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = ObjectFromHandle(object);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->selectedCount > 0) return FALSE;
  // A font's end is usually the end of a run of text at its size (a glyph
  // texture laid out, a box drawn): the glyphs kept for it may go.
  if (o->kind == GdiKind::Font) ForgetGlyphs();
  Objects().erase(o);
  delete o;
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  if (index < WHITE_BRUSH || index > NULL_BRUSH) return nullptr;
  return Stocks().brushes[index];
}

int GetObjectA(HGDIOBJ object, int size, LPVOID out) {
  GdiObject* o = ObjectFromHandle(object);
  if (o && o->kind == GdiKind::Font) {
    if (!out) return sizeof(LOGFONTA);
    if (size < static_cast<int>(sizeof(LOGFONTA))) return 0;
    std::memcpy(out, &static_cast<Font*>(o)->logFont, sizeof(LOGFONTA));
    return sizeof(LOGFONTA);
  }
  Bitmap* b = BitmapFromHandle(object);
  if (!b) {
    if (o) Diagnose(DIAG_BRUSH_NOT_DESCRIBED, "GetObjectA: brushes are not described");
    return 0;
  }
  if (!out) return b->dibSection ? sizeof(DIBSECTION) : sizeof(BITMAP);
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm = {0,
               b->width,
               b->height,
               b->stride,
               1,
               static_cast<WORD>(b->bitsPerPixel),
               b->dibSection ? b->bits.data() : nullptr};
  if (b->dibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
    DIBSECTION ds = {};
    ds.dsBm = bm;
    ds.dsBmih = {sizeof(BITMAPINFOHEADER),
                 b->width,
                 b->topDown ? -b->height : b->height,
                 1,
                 static_cast<WORD>(b->bitsPerPixel),
                 BI_RGB,
                 static_cast<DWORD>(b->bits.size()),
                 0,
                 0,
                 0,
                 0};
    std::memcpy(out, &ds, sizeof(ds));
    return sizeof(DIBSECTION);
  }
  std::memcpy(out, &bm, sizeof(bm));
  return sizeof(BITMAP);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  Stocks();
  auto* b = new Brush();
  b->kind = GdiKind::Brush;
  b->color = color & 0xFFFFFF;
  Objects().insert(b);
  return b;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA f = {height,
                width,
                escapement,
                orientation,
                weight,
                static_cast<BYTE>(italic != 0),
                static_cast<BYTE>(underline != 0),
                static_cast<BYTE>(strikeOut != 0),
                static_cast<BYTE>(charSet),
                static_cast<BYTE>(outPrecision),
                static_cast<BYTE>(clipPrecision),
                static_cast<BYTE>(quality),
                static_cast<BYTE>(pitchAndFamily),
                {}};
  if (faceName) std::strncpy(f.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&f);
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) return nullptr;
  Stocks();
  auto* f = new Font();
  f->kind = GdiKind::Font;
  f->logFont = *font;
  f->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
  Objects().insert(f);
  return f;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (dc && !ContextFromHandle(dc)) return nullptr;
  return AdoptBitmap(MakeBitmap(width, height, 32, true));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS || section) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BITMAPINFOHEADER& h = info->bmiHeader;
  bool supported = h.biSize >= sizeof(BITMAPINFOHEADER) && h.biPlanes == 1 &&
                   (h.biBitCount == 24 || h.biBitCount == 32) && h.biCompression == BI_RGB &&
                   h.biHeight != 0 && h.biHeight != INT32_MIN;
  std::unique_ptr<Bitmap> b =
      supported ? MakeBitmap(h.biWidth, std::abs(h.biHeight), h.biBitCount, h.biHeight < 0) : nullptr;
  if (!b) {
    Diagnose(DIAG_UNSUPPORTED_DIB_SECTION,
             "CreateDIBSection: only 24- and 32-bit uncompressed sections of sane size");
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  b->dibSection = true;
  if (bits) *bits = b->bits.data();
  return AdoptBitmap(std::move(b));
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                DWORD rop) {
  DeviceContext* d = ContextFromHandle(dest);
  Bitmap* target = d ? Surface(d) : nullptr;
  if (!target) return FALSE;
  if (rop == BLACKNESS || rop == WHITENESS) {
    RECT r = {std::min(x, x + width), std::min(y, y + height), std::max(x, x + width),
              std::max(y, y + height)};
    FillOn(d, target, r, rop == BLACKNESS ? 0 : 0xFFFFFF);
    return TRUE;
  }
  if (rop != SRCCOPY) {
    ReportUnsupportedRop(rop);
    return FALSE;
  }
  DeviceContext* s = ContextFromHandle(source);
  Bitmap* from = s ? Surface(s) : nullptr;
  if (!from) return FALSE;
  if (width == 0 || height == 0 || sw == 0 || sh == 0) return TRUE;
  CopyStretched(d, target, x, y, width, height, from, sx, sy, sw, sh);
  return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, source, sx, sy, width, height, rop);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContext* c = ContextFromHandle(dc);
  GdiObject* o = ObjectFromHandle(brush);
  Bitmap* target = c ? Surface(c) : nullptr;
  if (!target || !rect || !o || o->kind != GdiKind::Brush) return 0;
  auto* b = static_cast<Brush*>(o);
  if (!b->hollow) FillOn(c, target, *rect, RgbOf(b->color));
  return 1;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  DeviceContext* c = ContextFromHandle(dc);
  Bitmap* target = c ? Surface(c) : nullptr;
  if (!target || x < 0 || y < 0 || x >= target->width || y >= target->height) return CLR_INVALID;
  return ColorRefOf(target->Get(x, y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  DeviceContext* c = ContextFromHandle(dc);
  Bitmap* target = c ? Surface(c) : nullptr;
  if (!target || x < 0 || y < 0 || x >= target->width || y >= target->height) return CLR_INVALID;
  target->Set(x, y, RgbOf(color));
  if (!c->memory) c->drewOnWindow = true;
  return color & 0xFFFFFF;
}
