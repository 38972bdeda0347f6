// SPDX-License-Identifier: MIT
// Rectangles and text of the configuration window on a 32-bit top-down DIB
// section: the canvas's pixels are the section's, so GDI text lands in them
// directly (blue first in memory, which is 0xAARRGGBB as a 32-bit value;
// text leaves the alpha byte as the fill set it).
#include "canvas.h"

#include <algorithm>

namespace dinput8 {

namespace {

// Pixel sizes of the em: readable in a 640 x 480 window, and the help line
// of the edit mode still fits one line.
constexpr int kBodyEm = 15;
constexpr int kSmallEm = 12;

// A narrow sans, as dialogs of the period used; the text layer finds a
// stand-in where it is not installed.
const char kFace[] = "Tahoma";

// 0xAARRGGBB to GDI's 0x00BBGGRR.
COLORREF ColorOf(uint32_t argb) {
  return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}

}  // namespace

Canvas::Canvas() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = dc_ ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (bitmap_ && bits) {
    oldBitmap_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<uint32_t*>(bits);
  } else {
    fallback_.assign(static_cast<size_t>(kWidth) * kHeight, 0);
    pixels_ = fallback_.data();
  }
  const int ems[2] = {kBodyEm, kSmallEm};
  for (int i = 0; i < 2; ++i)
    fonts_[i] =
        CreateFontA(-ems[i], 0, 0, 0, i == 0 ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, kFace);
  if (dc_) {
    SetBkMode(dc_, TRANSPARENT);
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
  }
  Fill(0xFF000000u);
}

Canvas::~Canvas() {
  if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
  if (dc_) DeleteDC(dc_);
  if (bitmap_) DeleteObject(bitmap_);
  for (HFONT f : fonts_) {
    if (f) DeleteObject(f);
  }
}

HFONT Canvas::Select(Font font) const {
  HFONT f = fonts_[font == Font::Body ? 0 : 1];
  if (dc_ && f) SelectObject(dc_, f);
  return f;
}

void Canvas::Fill(uint32_t argb) {
  std::fill(pixels_, pixels_ + static_cast<size_t>(kWidth) * kHeight, argb);
}

void Canvas::FillRect(int x, int y, int w, int h, uint32_t argb) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(kWidth, x + w), y1 = std::min(kHeight, y + h);
  for (int row = y0; row < y1; ++row) {
    uint32_t* line = pixels_ + static_cast<size_t>(row) * kWidth;
    std::fill(line + x0, line + std::max(x0, x1), argb);
  }
}

void Canvas::FrameRect(int x, int y, int w, int h, uint32_t argb) {
  FillRect(x, y, w, 1, argb);
  FillRect(x, y + h - 1, w, 1, argb);
  FillRect(x, y, 1, h, argb);
  FillRect(x + w - 1, y, 1, h, argb);
}

int Canvas::DrawText(int x, int y, const std::string& text, uint32_t argb, Font font) {
  if (!bitmap_ || !Select(font) || text.empty()) return x;
  SetTextColor(dc_, ColorOf(argb));
  TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
  return x + TextWidth(text, font);
}

int Canvas::TextWidth(const std::string& text, Font font) const {
  SIZE size{};
  if (!dc_ || !Select(font) || !GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size))
    return 0;
  return size.cx;
}

int Canvas::LineHeight(Font font) const {
  SIZE size{};
  if (!dc_ || !Select(font) || !GetTextExtentPoint32A(dc_, "Ag", 2, &size)) return 0;
  return size.cy;
}

std::string Canvas::Fit(const std::string& text, int width, Font font) const {
  if (TextWidth(text, font) <= width) return text;
  std::string cut = text;
  while (!cut.empty() && TextWidth(cut + "...", font) > width) cut.pop_back();
  return cut + "...";
}

std::vector<std::string> Canvas::Wrap(const std::string& text, int width, Font font) const {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    const size_t space = text.find(' ', at);
    const std::string word = text.substr(at, space == std::string::npos ? std::string::npos : space - at);
    at = space == std::string::npos ? text.size() : space + 1;
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && TextWidth(longer, font) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace dinput8
