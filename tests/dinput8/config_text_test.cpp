// SPDX-License-Identifier: MIT
// The configuration window's text: drawn by the platform's font rendering,
// so letters have their true shapes (descenders below the baseline) and
// long lines are fitted or wrapped by their drawn width.
#include <gtest/gtest.h>

#include <fstream>

#include "canvas.h"
#include "config_screen.h"
#include "dinput_fixture.h"

namespace dinput_test {
namespace {

using dinput8::Canvas;

constexpr uint32_t kInk = 0xFFFFFFFFu;
constexpr uint32_t kPaper = 0xFF000000u;

// Lowest and highest rows with ink in columns [x0, x1), or -1.
struct Rows {
  int top = -1, bottom = -1;
};
Rows InkRows(const Canvas& c, int x0, int x1) {
  Rows r;
  for (int y = 0; y < Canvas::kHeight; ++y)
    for (int x = x0; x < x1; ++x) {
      if ((c.At(x, y) & 0xFFFFFF) == 0) continue;
      if (r.top < 0) r.top = y;
      r.bottom = y;
    }
  return r;
}

TEST(ConfigText, ADescenderReachesBelowTheBaselineAndCapsReachAboveTheXHeight) {
  for (Canvas::Font font : {Canvas::Font::Body, Canvas::Font::Small}) {
    Canvas c;
    c.Fill(kPaper);
    c.DrawText(20, 100, "o", kInk, font);
    c.DrawText(120, 100, "g", kInk, font);
    c.DrawText(220, 100, "H", kInk, font);
    const Rows o = InkRows(c, 0, 100), g = InkRows(c, 100, 200), h = InkRows(c, 200, 300);
    ASSERT_GE(o.bottom, 0);
    ASSERT_GE(g.bottom, 0);
    // "o" sits on the baseline (its overshoot is a pixel at most); "g" hangs
    // well below it, as does no letter of the old bitmap font.
    EXPECT_GE(g.bottom - o.bottom, 2) << "o bottom " << o.bottom << ", g bottom " << g.bottom;
    EXPECT_LE(std::abs(h.bottom - o.bottom), 1);
    EXPECT_GE(o.top - h.top, 2);  // x-height below the cap height
    // Anti-aliased: the edges hold shades between ink and paper.
    int shades = 0;
    for (int y = g.top; y <= g.bottom; ++y)
      for (int x = 100; x < 200; ++x) shades += (c.At(x, y) & 0xFF) > 0 && (c.At(x, y) & 0xFF) < 0xFF;
    EXPECT_GT(shades, 3);
    EXPECT_EQ(c.At(120, 100) >> 24, 0xFFu);  // text keeps the canvas opaque
  }
  Canvas c;
  EXPECT_GE(c.LineHeight(Canvas::Font::Body), 14);  // readable at 640 x 480
  EXPECT_GE(c.LineHeight(Canvas::Font::Small), 12);
}

TEST(ConfigText, LongLinesAreFittedAndWrappedByTheirDrawnWidth) {
  Canvas c;
  const std::string longName(200, 'W');
  const std::string fitted = c.Fit(longName, 300);
  EXPECT_LE(c.TextWidth(fitted), 300);
  EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
  EXPECT_EQ(c.Fit("short", 300), "short");
  const std::string status =
      "Not saved: cannot make the folder /proc/no-such-place/glorbs3d: No such file or directory. "
      "The new controls apply until the game ends. Press any key.";
  const std::vector<std::string> lines = c.Wrap(status, 608, Canvas::Font::Small);
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) EXPECT_LE(c.TextWidth(line, Canvas::Font::Small), 608);
  EXPECT_EQ(lines[0] + " " + lines[1], status);
}

DIACTIONA actions[] = {
    {7, DIKEYBOARD(DIK_J), 0, {"Turn left"}, {}, 0, 0},
    {8, DIKEYBOARD(DIK_K), 0, {"Turn right"}, {}, 0, 0},
    {11, DIKEYBOARD(DIK_SPACE), 0, {"Fire weapons"}, {}, 0, 0},
    {12, DIKEYBOARD(DIK_A), 0, {"Change ship type"}, {}, 0, 0},
    {16, DIKEYBOARD(DIK_ESCAPE), DIA_APPFIXED, {"Quit game"}, {}, 0, 0},
};

class ConfigWindowText : public DinputTest {};

TEST_F(ConfigWindowText, TheStatusLineShowsAWholeFailedSaveOnTwoLines) {
  setenv("XDG_CONFIG_HOME", "/proc/no-such-place", 1);
  DIACTIONFORMATA format = MakeFormat(actions, 5, "Glorbs3D New");
  dinput8::ConfigScreen screen(format, nullptr, true);
  for (uint16_t hid : {HID_DOWN, HID_RETURN, HID_L, HID_F10}) screen.OnEvent(KeyEvent(hid, true));
  ASSERT_TRUE(screen.SaveFailed());
  Canvas c;
  dinput8::DrawConfigScreen(screen, c);
  // Yellow status ink on both lines between the list and the buttons.
  int first = 0, second = 0;
  for (int y = 380; y < 414; ++y)
    for (int x = 0; x < Canvas::kWidth; ++x) {
      const uint32_t p = c.At(x, y);
      const bool yellow = ((p >> 16) & 0xFF) > 0x80 && ((p >> 8) & 0xFF) > 0x60 && (p & 0xFF) < 0x60;
      (y < 396 ? first : second) += yellow;
    }
  EXPECT_GT(first, 200);
  EXPECT_GT(second, 100);
  if (const char* dump = getenv("GLORBS_DUMP_CONFIG_TEXT")) {
    std::ofstream out(dump, std::ios::binary);
    for (int y = 0; y < Canvas::kHeight; ++y)
      for (int x = 0; x < Canvas::kWidth; ++x) {
        const uint32_t p = c.At(x, y);
        const char rgb[3] = {char(p >> 16), char(p >> 8), char(p)};
        out.write(rgb, 3);
      }
  }
}

}  // namespace
}  // namespace dinput_test
