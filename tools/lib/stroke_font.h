// SPDX-License-Identifier: MIT
// A small vector font of straight strokes (capitals, digits, a little
// punctuation) for titles drawn by the generators. Text is turned into a
// distance field so callers can paint neon tubes, glows and outlines.
#pragma once
#include <string>
#include <vector>

#include "image.h"

namespace gen {

struct TextStyle {
  float height = 40.0f;  // cap height in pixels
  float stroke = 0.12f;  // stroke half-width as a fraction of the cap height
  float spacing = 1.0f;  // extra scale on the advance
  float slant = 0.0f;    // x shift per unit of height (italics)
};

// Distance in pixels from every pixel of a w x h canvas to the nearest stroke
// centre line of `text` laid out with its baseline-left at (x, y).
class TextField {
 public:
  TextField(int w, int h, const std::string& text, float x, float y, const TextStyle& style);
  float Distance(int px, int py) const { return dist_[static_cast<size_t>(py) * w_ + px]; }
  float HalfWidth() const { return halfWidth_; }
  // Stroke coverage with a one-pixel anti-aliased edge.
  float Coverage(int px, int py) const;
  int Width() const { return w_; }
  int Height() const { return h_; }

 private:
  int w_, h_;
  float halfWidth_;
  std::vector<float> dist_;
};

// Width in pixels that `text` takes with `style`.
float TextWidth(const std::string& text, const TextStyle& style);

// Paints `text` as a glowing tube: a soft halo of `glow` colour reaching
// `glowRadius` pixels, then the stroke filled with a vertical gradient from
// `top` to `bottom` (top at the cap height, bottom at the baseline).
void DrawNeonText(Image& img, const std::string& text, float x, float y, const TextStyle& style, Rgba top,
                  Rgba bottom, Rgba glow, float glowRadius);

}  // namespace gen
