// The configuration window's own picture: 640 x 480 pixels of 0xAARRGGBB,
// filled rectangles and text in a small built-in 5 x 7 font, drawn at any
// whole-number scale.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dinput8 {

class Canvas {
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;
  // One character cell at scale 1, spacing included.
  static constexpr int kCellW = 6;
  static constexpr int kCellH = 9;

  Canvas() : pixels_(kWidth * kHeight, 0xFF000000u) {}

  void Fill(uint32_t argb);
  // Clipped to the canvas.
  void FillRect(int x, int y, int w, int h, uint32_t argb);
  void FrameRect(int x, int y, int w, int h, uint32_t argb);
  // Characters outside printable ASCII are drawn as '?'. Returns the x
  // after the last character.
  int DrawText(int x, int y, const std::string& text, uint32_t argb, int scale = 2);
  static int TextWidth(const std::string& text, int scale = 2) {
    return static_cast<int>(text.size()) * kCellW * scale;
  }

  const uint32_t* Pixels() const { return pixels_.data(); }
  uint32_t At(int x, int y) const { return pixels_[y * kWidth + x]; }

 private:
  std::vector<uint32_t> pixels_;
};

}  // namespace dinput8
