// SPDX-License-Identifier: MIT
// The fonts behind GDI text: a LOGFONTA becomes an installed font file found
// by fontconfig, opened by FreeType at the requested pixel size. Internal to
// platform/win32; single-threaded like the rest of GDI.
#pragma once

#include <windows.h>

#include <cstdint>

namespace win32 {

// One rendered character: coverage 0..255 for w x h pixels, `pitch` bytes a
// row, placed with its top-left corner `left` pixels right of the pen and
// `top` pixels above the baseline. Valid until text of another size or
// rendering mode is measured or drawn with the same face.
struct GlyphImage {
  int left = 0;
  int top = 0;
  int w = 0;
  int h = 0;
  int pitch = 0;
  bool mono = false;  // one bit a pixel, most significant first
  const uint8_t* pixels = nullptr;
  int Coverage(int x, int y) const {
    const uint8_t* row = pixels + y * pitch;
    return mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
  }
};

// Where fontconfig is missing (the web page), faces come from the DejaVu
// files bundled in the data's fonts/ folder: the file that stands in for a
// face at a weight, and the weight the file itself has.
struct BundledFont {
  const char* file;
  int weight;
};
BundledFont BundledFontFor(const char* face, int weight);

// Drops the characters every face keeps for its last size; they are made
// again when next asked for.
void ForgetGlyphs();

class SizedFont {
 public:
  // The font a DC's LOGFONTA asks for (null: the stock font). False only
  // when no font at all can be opened.
  bool Open(const LOGFONTA* font);
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int CellHeight() const { return ascent_ + descent_; }
  // Advance of one byte character in whole pixels.
  int Advance(unsigned char c);
  // False for a character the font cannot render (it draws nothing). The
  // picture stays valid until text of another size or face is measured or drawn.
  bool RenderGlyph(unsigned char c, GlyphImage* out);

 private:
  struct Face* face_ = nullptr;
  int emPixels_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
  bool mono_ = false;
  bool Select();
  const struct CachedGlyph* Glyph(unsigned char c);
};

}  // namespace win32
