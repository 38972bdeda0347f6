// SPDX-License-Identifier: MIT
// The open menu drawn over a game frame, read back from the back buffer:
// the red title, the yellow highlighted entry and the pale entries each in
// their own band; the menu's drawing leaves the game's camera as it found
// it; in full-screen display the configuration window's image lands centred
// over the frame. The frame is also written as a PNG for review.
#include "pixel_channels.h"
#include <d3d8_glorbs.h>
#include <d3dx8.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/display.h"
#include "menus_fixture.h"
#include "render/png_file.h"
#include "render/render_game.h"
#include "world/game_object.h"

namespace menus_test {
namespace {

using pixel_channels::Blue;
using pixel_channels::Green;
using pixel_channels::Red;

bool Yellow(uint32_t p) {
  return Red(p) > 170 && Green(p) > 170 && Blue(p) < 90;
}
bool TitleRed(uint32_t p) {
  return Red(p) > 150 && Green(p) < 70 && Blue(p) < 70;
}
// The entries: white at half alpha over the darkened game.
bool Pale(uint32_t p) {
  return Red(p) > 100 && Green(p) > 100 && Blue(p) > 100;
}

class MenuPicture : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    ReachPlay();
    // Long enough for the ship to appear over the sea floor.
    for (int i = 0; i < 50; ++i) {
      ManualClock::Advance(0.05);
      StepApplication();
    }
  }

  std::vector<uint32_t> Frame(UINT w, UINT h) {
    RenderGame();
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    EXPECT_EQ(d3d8::ReadBackBuffer(device, pixels.data(), w, h), D3D_OK);
    return pixels;
  }

  // Pixels of the band of rows [top, bottom) in the middle half of a
  // 640-wide frame that pass the test.
  static int Count(const std::vector<uint32_t>& pixels, int top, int bottom,
                   const std::function<bool(uint32_t)>& pass) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 160; x < 480; ++x) n += pass(pixels[static_cast<size_t>(y) * 640 + x]);
    return n;
  }
};

TEST_F(MenuPicture, AnOpenMenuDrawsItsTitleAndEntriesOverTheGame) {
  ASSERT_TRUE(PlayerShip->visible);
  const std::vector<uint32_t> game = Frame(640, 480);
  currentMenu = mainMenu;
  const std::vector<uint32_t> menu = Frame(640, 480);
  EXPECT_TRUE(WriteFramePng("menu_over_game.png", menu, 640, 480));

  // The menu camera puts the title (y 6) near row 124, the four entries
  // (y 4, 2, 0, -2) near rows 163, 201, 240 and 279.
  EXPECT_GT(Count(menu, 100, 145, TitleRed), 300);
  EXPECT_EQ(Count(game, 100, 145, TitleRed), 0);
  EXPECT_GT(Count(menu, 145, 182, Yellow), 200);  // "Video Menu", highlighted
  EXPECT_EQ(Count(menu, 190, 300, Yellow), 0);
  EXPECT_GT(Count(menu, 182, 300, Pale), Count(game, 182, 300, Pale) + 300);

  // A different highlight moves the yellow down a row.
  mainMenu->selected = 2;
  const std::vector<uint32_t> moved = Frame(640, 480);
  EXPECT_EQ(Count(moved, 145, 182, Yellow), 0);
  EXPECT_GT(Count(moved, 222, 258, Yellow), 200);
}

TEST_F(MenuPicture, TheMenuKeepsTheGamesCameraAndRefusesAMissingFont) {
  D3DXMATRIX viewBefore, projectionBefore, view, projection;
  device->GetTransform(D3DTS_VIEW, &viewBefore);
  device->GetTransform(D3DTS_PROJECTION, &projectionBefore);
  device->BeginScene();
  EXPECT_EQ(quitMenu->Render(device, bigFont), S_OK);
  device->EndScene();
  device->GetTransform(D3DTS_VIEW, &view);
  device->GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_EQ(view, viewBefore);
  EXPECT_EQ(projection, projectionBefore);
  EXPECT_EQ(quitMenu->Render(device, nullptr), E_INVALIDARG);
  EXPECT_EQ(quitMenu->Render(nullptr, bigFont), E_INVALIDARG);
}

TEST_F(MenuPicture, FullScreenShowsTheConfigurationWindowCentredOverTheMenu) {
  ASSERT_EQ(RequestDisplayMode(true, 800, 600), S_OK);
  ASSERT_TRUE(fullScreen);
  ManualClock::Advance(0.05);
  StepApplication();  // the world aims the camera of the new device state
  MenuItem* input = mainMenu->children[2];
  currentMenu = input;
  input->selected = 0;  // "View Devices"
  InputState.menuSelect = 1;
  Tap(HID_ESCAPE);  // closes the configuration window once it is up
  HandleMenuInput();
  EXPECT_EQ(currentMenu, nullptr);

  // The last picture the window presented is still in the back buffer.
  std::vector<uint32_t> pixels(800 * 600);
  ASSERT_EQ(d3d8::ReadBackBuffer(device, pixels.data(), 800, 600), D3D_OK);
  WriteFramePng("configuration_over_menu.png", pixels, 800, 600);
  const auto near = [](uint32_t p, int r, int g, int b) {
    return std::abs(Red(p) - r) < 10 && std::abs(Green(p) - g) < 10 && std::abs(Blue(p) - b) < 10;
  };
  // The window's title bar at its top-left corner, (80, 60) on the screen.
  EXPECT_TRUE(near(pixels[63 * 800 + 83], 0x20, 0x3A, 0x70));
  EXPECT_TRUE(near(pixels[63 * 800 + 715], 0x20, 0x3A, 0x70));
  // Outside the image: the game frame under the menu's fade, not the window.
  EXPECT_FALSE(near(pixels[30 * 800 + 400], 0x20, 0x3A, 0x70));
  EXPECT_FALSE(near(pixels[580 * 800 + 400], 0x10, 0x18, 0x28));
}

}  // namespace
}  // namespace menus_test
