// SPDX-License-Identifier: MIT
// MessageBoxA: the caption as a heading, the text wrapped to the box's width,
// and an OK button, drawn with our own GDI text into a picture that host
// shows in a modal window of its own. Return, Space or Escape answer it, as
// does a click on OK. Without a display the text goes to stderr only.
#include "win32_internal.h"

#include <host/host.h>
#include <win32/message_box.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace win32 {
namespace {

bool g_windowsWithoutDisplay = false;

constexpr COLORREF Rgb(int r, int g, int b) {
  return static_cast<COLORREF>(r | (g << 8) | (b << 16));
}

constexpr int kMargin = 16;
constexpr int kMaxTextWidth = 520;
constexpr int kMinWidth = 300;
constexpr int kButtonW = 96, kButtonH = 30;
constexpr COLORREF kFace = Rgb(0xF2, 0xF2, 0xF2);
constexpr COLORREF kHeading = Rgb(0x27, 0x45, 0x73);
constexpr COLORREF kErrorHeading = Rgb(0x9A, 0x22, 0x22);
constexpr COLORREF kText = Rgb(0x10, 0x10, 0x10);
constexpr COLORREF kButtonFace = Rgb(0xDD, 0xDD, 0xDD);
constexpr COLORREF kButtonEdge = Rgb(0x27, 0x45, 0x73);

int TextWidth(HDC dc, const std::string& text) {
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// Breaks the text at its line breaks and then between words so that no line
// is wider than `width`; a word longer than a line is broken where it must.
std::vector<std::string> Wrap(HDC dc, const std::string& text, int width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    std::string line;
    size_t i = 0;
    while (i < paragraph.size()) {
      size_t wordEnd = paragraph.find(' ', i);
      if (wordEnd == std::string::npos) wordEnd = paragraph.size();
      std::string word = paragraph.substr(i, wordEnd - i);
      std::string candidate = line.empty() ? word : line + " " + word;
      if (TextWidth(dc, candidate) <= width) {
        line = candidate;
      } else {
        if (!line.empty()) lines.push_back(line);
        line.clear();
        // A word wider than the line: as many characters as fit, one line each.
        while (TextWidth(dc, word) > width && word.size() > 1) {
          size_t fit = 1;
          while (fit < word.size() && TextWidth(dc, word.substr(0, fit + 1)) <= width) ++fit;
          lines.push_back(word.substr(0, fit));
          word.erase(0, fit);
        }
        line = word;
      }
      i = wordEnd + 1;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Text(HDC dc, int x, int y, const std::string& text, COLORREF color) {
  SetTextColor(dc, color);
  TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

// Draws the box and answers it through host. False when no window could be
// made, so that the caller knows the text was only on stderr.
bool ShowBoxWindow(const char* caption, const char* text, bool error) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  HFONT headingFont = CreateFontA(-18, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Sans");
  HFONT bodyFont = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Sans");
  HGDIOBJ oldFont = SelectObject(dc, bodyFont);
  SIZE cell = {0, 0};
  GetTextExtentPoint32A(dc, "Ag", 2, &cell);
  const int lineH = std::max<int>(cell.cy, 1) + 2;
  std::vector<std::string> lines = Wrap(dc, text, kMaxTextWidth);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, TextWidth(dc, line));
  SelectObject(dc, headingFont);
  GetTextExtentPoint32A(dc, "Ag", 2, &cell);
  const int headingH = cell.cy + 2 * 10;
  widest = std::max(widest, std::min(kMaxTextWidth, TextWidth(dc, caption)));

  const int width = std::max(kMinWidth, widest + 2 * kMargin);
  const int bodyTop = headingH + kMargin;
  const int buttonTop = bodyTop + static_cast<int>(lines.size()) * lineH + kMargin;
  const int height = buttonTop + kButtonH + kMargin;
  auto owned = MakeBitmap(width, height, 32, true);
  if (!owned) {
    SelectObject(dc, oldFont);
    DeleteObject(headingFont);
    DeleteObject(bodyFont);
    DeleteDC(dc);
    return false;
  }
  Bitmap* pixels = owned.get();
  HBITMAP bitmap = AdoptBitmap(std::move(owned));
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  SetBkMode(dc, TRANSPARENT);

  Fill(dc, {0, 0, width, height}, kFace);
  Fill(dc, {0, 0, width, headingH}, error ? kErrorHeading : kHeading);
  Text(dc, kMargin, 10, caption, Rgb(0xFF, 0xFF, 0xFF));
  SelectObject(dc, bodyFont);
  for (size_t i = 0; i < lines.size(); ++i)
    Text(dc, kMargin, bodyTop + static_cast<int>(i) * lineH, lines[i], kText);
  const RECT button = {(width - kButtonW) / 2, buttonTop, (width + kButtonW) / 2, buttonTop + kButtonH};
  Fill(dc, button, kButtonEdge);
  Fill(dc, {button.left + 2, button.top + 2, button.right - 2, button.bottom - 2}, kButtonFace);
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  GetTextExtentPoint32A(dc, "OK", 2, &cell);
  Text(dc, (button.left + button.right) / 2, button.top + (kButtonH - cell.cy) / 2, "OK", kText);

  host::Picture picture;
  picture.pixels = reinterpret_cast<const uint32_t*>(pixels->bits.data());
  picture.w = width;
  picture.h = height;
  picture.pitch = pixels->stride;
  host::Rect hit;
  hit.x = button.left;
  hit.y = button.top;
  hit.w = kButtonW;
  hit.h = kButtonH;
  const host::BoxAnswer answer = host::RunModalBox(caption, picture, hit);

  SelectObject(dc, oldBitmap);
  SelectObject(dc, oldFont);
  DeleteObject(bitmap);
  DeleteObject(headingFont);
  DeleteObject(bodyFont);
  DeleteDC(dc);
  return answer != host::BoxAnswer::Failed;
}

}  // namespace

void SetMessageBoxWindowsWithoutDisplay(bool on) {
  g_windowsWithoutDisplay = on;
}

}  // namespace win32

using namespace win32;

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  const char* title = caption ? caption : "Error";
  const char* body = text ? text : "";
  // Always on stderr too: a launcher's log keeps what the box said.
  std::fprintf(stderr, "%s: %s\n", title, body);
  std::fflush(stderr);
  if (host::HasDisplay() || (g_windowsWithoutDisplay && host::Init())) {
    const UINT icon = type & 0xF0;
    ShowBoxWindow(title, body, icon == MB_ICONERROR || icon == MB_ICONWARNING);
    ApplyCursor();
  }
  return IDOK;
}
