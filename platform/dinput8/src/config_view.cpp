// SPDX-License-Identifier: MIT
// Drawing of the configuration window on its canvas, and its presentation:
// copied into the application's target surface (in the surface's pixel
// format) or handed to host as the window's picture.
#include <cstring>

#include "canvas.h"
#include "config_screen.h"
#include <d3d8.h>

namespace dinput8 {

namespace {

// The default colours (a zero colour set asks for them).
constexpr uint32_t kBackground = 0xFF101828;
constexpr uint32_t kTitleFill = 0xFF203A70;
constexpr uint32_t kText = 0xFFE8E8E8;
constexpr uint32_t kDim = 0xFF8890A0;
constexpr uint32_t kHighlightFill = 0xFF3060B0;
constexpr uint32_t kCaptureFill = 0xFFB07818;
constexpr uint32_t kBorder = 0xFF5070A0;
constexpr uint32_t kButtonFill = 0xFF24365A;
constexpr uint32_t kStatus = 0xFFF0D060;

using Font = Canvas::Font;

// Text set in a box of `height` rows starting at `top`, centred upright.
int TextTop(const Canvas& c, int top, int height, Font font = Font::Body) {
  return top + (height - c.LineHeight(font)) / 2;
}

void DrawButton(Canvas& c, int x, const char* label) {
  using namespace layout;
  c.FillRect(x, kButtonY, kButtonW, kButtonH, kButtonFill);
  c.FrameRect(x, kButtonY, kButtonW, kButtonH, kBorder);
  const std::string text(label);
  c.DrawText(x + (kButtonW - c.TextWidth(text)) / 2, TextTop(c, kButtonY, kButtonH), text, kText);
}

uint16_t To565(uint32_t p) {
  return static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
}
uint16_t To1555(uint32_t p) {
  return static_cast<uint16_t>(0x8000 | ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F));
}

}  // namespace

void DrawConfigScreen(const ConfigScreen& s, Canvas& c) {
  using namespace layout;
  constexpr int kTextRight = Canvas::kWidth - kListLeft;
  c.Fill(kBackground);
  c.FillRect(0, 0, Canvas::kWidth, 30, kTitleFill);
  const std::string title =
      std::string(s.edit_ ? "Configure devices: " : "View devices: ") + s.format_.tszActionMap;
  c.DrawText(12, TextTop(c, 0, 30), c.Fit(title, Canvas::kWidth - 24), kText);
  if (s.devices_.empty()) {
    c.DrawText(kListLeft, kListTop, "No device serves these actions.", kDim);
  } else {
    const ConfigScreen::Device& d = s.devices_[s.device_];
    const std::string count =
        "  (" + std::to_string(s.device_ + 1) + "/" + std::to_string(s.devices_.size()) + ")";
    const std::string name =
        c.Fit(d.identity.name, Canvas::kWidth - 2 * (kArrowW + 24) - c.TextWidth(count)) + count;
    const int nameTop = TextTop(c, kDeviceY, kDeviceH);
    c.FrameRect(8, kDeviceY, Canvas::kWidth - 16, kDeviceH, kBorder);
    c.DrawText(20, nameTop, "<", s.devices_.size() > 1 ? kText : kDim);
    c.DrawText(Canvas::kWidth - 32, nameTop, ">", s.devices_.size() > 1 ? kText : kDim);
    c.DrawText((Canvas::kWidth - c.TextWidth(name)) / 2, nameTop, name, kText);
    for (size_t i = 0; i < static_cast<size_t>(kVisibleRows) && s.scroll_ + i < d.rows.size(); ++i) {
      const size_t row = s.scroll_ + i;
      const DWORD action = d.rows[row];
      const DIACTIONA& a = s.format_.rgoAction[action];
      const int y = kListTop + static_cast<int>(i) * kRowH;
      if (row == s.row_)
        c.FillRect(8, y - 2, Canvas::kWidth - 16, kRowH, s.capturing_ ? kCaptureFill : kHighlightFill);
      const int textTop = TextTop(c, y - 2, kRowH);
      const bool fixed = (a.dwFlags & DIA_APPFIXED) != 0;
      c.DrawText(kListLeft, textTop,
                 c.Fit(a.lptszActionName ? a.lptszActionName : "", kControlX - kListLeft - 12),
                 fixed ? kDim : kText);
      const DWORD obj = d.bindings[action].objId;
      std::string control = obj ? ObjectName(d.identity, obj) : "-";
      if (fixed) control += " (fixed)";
      c.DrawText(kControlX, textTop, c.Fit(control, kTextRight - kControlX - 16), obj ? kText : kDim);
    }
    if (d.rows.size() > static_cast<size_t>(kVisibleRows))
      c.DrawText(Canvas::kWidth - 24, kListTop + kRowH * kVisibleRows - 18, "v", kDim);
  }
  // Two lines of status at most, above the buttons.
  const std::vector<std::string> status = c.Wrap(s.status_, kTextRight - kListLeft, Font::Small);
  const int statusLine = c.LineHeight(Font::Small);
  for (size_t i = 0; i < status.size() && i < 2; ++i) {
    const std::string& line = i == 1 && status.size() > 2
                                  ? c.Fit(status[1] + " " + status[2], kTextRight - kListLeft, Font::Small)
                                  : status[i];
    c.DrawText(kListLeft, kStatusY - 2 + static_cast<int>(i) * statusLine, line, kStatus, Font::Small);
  }
  const char* help = s.edit_
                         ? "Up/Down: action  Enter: change  Del: clear  Left/Right: device  F5: defaults  "
                           "F10: OK  Esc: cancel"
                         : "Up/Down: action  Left/Right: device  Enter or Esc: close";
  c.DrawText(kListLeft, kHelpY, c.Fit(help, kTextRight - kListLeft, Font::Small), kDim, Font::Small);
  if (s.edit_) {
    DrawButton(c, kOkX, "OK");
    DrawButton(c, kCancelX, "Cancel");
    DrawButton(c, kDefaultsX, "Defaults");
  } else {
    DrawButton(c, kCloseX, "Close");
  }
}

void PresentConfigScreen(const Canvas& canvas, IDirect3DSurface8* target) {
  if (!target) {
    host::Picture picture;
    picture.pixels = canvas.Pixels();
    picture.w = Canvas::kWidth;
    picture.h = Canvas::kHeight;
    picture.pitch = Canvas::kWidth * 4;
    host::PresentPicture(picture);
    return;
  }
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  RECT area = {0, 0, Canvas::kWidth, Canvas::kHeight};
  if (FAILED(target->GetDesc(&desc)) || FAILED(target->LockRect(&locked, &area, 0))) return;
  const bool wide = desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8;
  for (int y = 0; y < Canvas::kHeight; ++y) {
    BYTE* row = static_cast<BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
    const uint32_t* src = canvas.Pixels() + y * Canvas::kWidth;
    if (wide) {
      std::memcpy(row, src, Canvas::kWidth * 4);
      continue;
    }
    uint16_t* out = reinterpret_cast<uint16_t*>(row);
    for (int x = 0; x < Canvas::kWidth; ++x)
      out[x] = desc.Format == D3DFMT_R5G6B5 ? To565(src[x]) : To1555(src[x]);
  }
  target->UnlockRect();
}

}  // namespace dinput8
