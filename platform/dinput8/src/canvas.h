// SPDX-License-Identifier: MIT
// The configuration window's own picture: 640 x 480 pixels of 0xAARRGGBB,
// filled rectangles and text. Text goes through the platform's GDI text
// (FreeType fonts found by fontconfig) on a DIB section that is the canvas.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dinput8 {

class Canvas {
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;
  // Body text for titles, rows and buttons; Small for the status and help
  // lines.
  enum class Font { Body, Small };

  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void Fill(uint32_t argb);
  // Clipped to the canvas.
  void FillRect(int x, int y, int w, int h, uint32_t argb);
  void FrameRect(int x, int y, int w, int h, uint32_t argb);
  // Draws one line with its cell's top at y; returns the x after it.
  // Characters the font lacks draw nothing.
  int DrawText(int x, int y, const std::string& text, uint32_t argb, Font font = Font::Body);
  int TextWidth(const std::string& text, Font font = Font::Body) const;
  // Height of a line of the font: ascent and descent.
  int LineHeight(Font font = Font::Body) const;
  // The text, cut and ended with "..." when it is wider than `width`.
  std::string Fit(const std::string& text, int width, Font font = Font::Body) const;
  // The text broken at spaces into lines no wider than `width`.
  std::vector<std::string> Wrap(const std::string& text, int width, Font font = Font::Body) const;

  const uint32_t* Pixels() const { return pixels_; }
  uint32_t At(int x, int y) const { return pixels_[y * kWidth + x]; }

 private:
  HFONT Select(Font font) const;

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HFONT fonts_[2] = {};
  uint32_t* pixels_ = nullptr;
  std::vector<uint32_t> fallback_;  // pixels when no DIB section could be made
};

}  // namespace dinput8
