// SPDX-License-Identifier: MIT
// GDI text: measuring and drawing single-byte strings with a DC's font,
// colours, background mode and alignment, into the bitmap the DC draws on.
// Glyphs come from font_faces.cpp; every write is clipped to the bitmap.
#include <algorithm>

#include "font_faces.h"
#include "win32_internal.h"

namespace win32 {
namespace {

uint32_t RgbOf(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

uint32_t Blend(uint32_t under, uint32_t over, int coverage) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int a = static_cast<int>((under >> shift) & 0xFF), b = static_cast<int>((over >> shift) & 0xFF);
    out |= static_cast<uint32_t>(a + ((b - a) * coverage + 127) / 255) << shift;
  }
  return out;
}

// The area drawing may touch: the bitmap, narrowed to `clip` when given.
RECT Bounds(const Bitmap& target, const RECT* clip) {
  RECT r = {0, 0, target.width, target.height};
  if (clip) {
    r.left = std::max(r.left, clip->left);
    r.top = std::max(r.top, clip->top);
    r.right = std::min(r.right, clip->right);
    r.bottom = std::min(r.bottom, clip->bottom);
  }
  return r;
}

void Fill(Bitmap* target, RECT r, const RECT& bounds, uint32_t rgb) {
  for (LONG y = std::max(r.top, bounds.top); y < std::min(r.bottom, bounds.bottom); ++y)
    for (LONG x = std::max(r.left, bounds.left); x < std::min(r.right, bounds.right); ++x)
      target->Set(x, y, rgb);
}

void Paint(Bitmap* target, const GlyphImage& g, int x0, int y0, const RECT& bounds, uint32_t rgb) {
  for (int y = 0; y < g.h; ++y) {
    int ty = y0 + y;
    if (ty < bounds.top || ty >= bounds.bottom) continue;
    for (int x = 0; x < g.w; ++x) {
      int tx = x0 + x;
      int coverage = (tx < bounds.left || tx >= bounds.right) ? 0 : g.Coverage(x, y);
      if (coverage > 0)
        target->Set(tx, ty, coverage == 255 ? rgb : Blend(target->Get(tx, ty), rgb, coverage));
    }
  }
}

int TextWidth(SizedFont& font, const unsigned char* text, UINT count, const INT* dx) {
  int width = 0;
  for (UINT i = 0; i < count; ++i) width += dx ? dx[i] : font.Advance(text[i]);
  return width;
}

}  // namespace
}  // namespace win32

using namespace win32;

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size) {
  TextState state;
  SizedFont font;
  if (!size || count < 0 || (count > 0 && !text) || !TextStateOf(dc, &state)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!font.Open(state.font)) return FALSE;
  size->cx = TextWidth(font, reinterpret_cast<const unsigned char*>(text), static_cast<UINT>(count), nullptr);
  size->cy = font.CellHeight();
  return TRUE;
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx) {
  TextState state;
  SizedFont font;
  if ((count > 0 && !text) || !TextStateOf(dc, &state) || !state.target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!font.Open(state.font)) return FALSE;
  Bitmap* target = state.target;
  const RECT everywhere = Bounds(*target, nullptr);
  const RECT bounds = Bounds(*target, (options & ETO_CLIPPED) ? rect : nullptr);
  const uint32_t background = RgbOf(state.bkColor);
  if ((options & ETO_OPAQUE) && rect) Fill(target, *rect, everywhere, background);

  auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const int width = TextWidth(font, bytes, count, dx);
  const UINT horizontal = state.textAlign & TA_CENTER, vertical = state.textAlign & TA_BASELINE;
  const int left = horizontal == TA_CENTER ? x - width / 2 : horizontal == TA_RIGHT ? x - width : x;
  const int top = vertical == TA_BASELINE ? y - font.Ascent()
                  : vertical == TA_BOTTOM ? y - font.CellHeight()
                                          : y;
  if (state.bkMode == OPAQUE)
    Fill(target, {left, top, left + width, top + font.CellHeight()}, bounds, background);

  int pen = left;
  GlyphImage glyph;
  for (UINT i = 0; i < count; ++i) {
    if (font.RenderGlyph(bytes[i], &glyph))
      Paint(target, glyph, pen + glyph.left, top + font.Ascent() - glyph.top, bounds, RgbOf(state.textColor));
    pen += dx ? dx[i] : font.Advance(bytes[i]);
  }
  NoteDrawn(dc);
  return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  if (count < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}
