// SPDX-License-Identifier: MIT
// A whole game frame on the game's display: sprites where the camera
// projects them, the ship only while visible, the HUD's lines in yellow,
// the pause title and the darkening after the ship's death; plus the cell,
// debris-colour and HUD-text rules. Pictures are written for review.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display_fixture.h"
#include "input/menus.h"
#include "png_file.h"
#include "render/game_models.h"
#include "render/level_intro.h"
#include "render/render_game.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/random.h"
#include "world/input_state.h"

namespace {

struct Pixel {
  int x, y;
};

class RenderGameTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    BuildDisplayList();
    PlayerShip->visible = 0;
    PlayerShip->respawnTimer = 0.0f;
    InputState = InputStateRecord();
    Score = 0;
    Weapon = 0;
    Aim(0.0f);
  }
  void TearDown() override {
    InputState = InputStateRecord();
    DisplayTest::TearDown();  // the display's destruction frees the list
  }

  // The game's chase view of a ship standing at game x = shipX.
  void Aim(float shipX) {
    sceneCamera.SetView(D3DXVECTOR3(shipX + 7.0f, 1.3f, 1.0f), D3DXVECTOR3(shipX, 1.0f, 1.0f),
                        D3DXVECTOR3(0.0f, 1.0f, 0.0f));
  }

  // Where a game point lands on the back buffer.
  Pixel Project(const Vector3& game) {
    D3DXVECTOR3 p(game.x, game.z, -game.y);
    const D3DXMATRIX viewProjection = sceneCamera.GetViewMatrix() * sceneCamera.GetProjMatrix();
    D3DXVec3TransformCoord(&p, &p, &viewProjection);
    return {static_cast<int>((p.x + 1.0f) * 0.5f * width_), static_cast<int>((1.0f - p.y) * 0.5f * height_)};
  }

  std::vector<uint32_t> Frame() {
    RenderGame();
    return ReadBack();
  }

  // Summed brightness of the (2r+1)^2 pixels around p.
  int Around(const std::vector<uint32_t>& pixels, Pixel p, int r) {
    int sum = 0;
    for (int y = std::max(0, p.y - r); y <= std::min<int>(height_ - 1, p.y + r); ++y)
      for (int x = std::max(0, p.x - r); x <= std::min<int>(width_ - 1, p.x + r); ++x)
        sum += Brightness(pixels[y * width_ + x]);
    return sum;
  }

  // Yellow HUD pixels (strong red and green, little blue) inside a rectangle.
  int Yellow(const std::vector<uint32_t>& pixels, int x0, int y0, int x1, int y1, int minimum = 160) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const uint32_t p = pixels[y * width_ + x];
        n += Red(p) >= minimum && Green(p) >= minimum && Blue(p) < 80;
      }
    return n;
  }
};

TEST(RenderGameRules, SpriteCellDebrisColourAndHudTexts) {
  GlorbObject glorb(Vector3(0, 0, 0));
  glorb.columns = 8;
  glorb.cellX = 0;
  glorb.cellY = 0;
  glorb.cellWidth = glorb.cellHeight = 32;
  glorb.frame = 9.7f;  // column 1, row 1
  const SpriteCellRect c = SpriteCell(glorb);
  EXPECT_FLOAT_EQ(c.uMin, 32.0f / 255.0f);
  EXPECT_FLOAT_EQ(c.vMin, 32.0f / 255.0f);
  EXPECT_FLOAT_EQ(c.uMax, 63.0f / 255.0f);
  EXPECT_FLOAT_EQ(c.vMax, 63.0f / 255.0f);

  EXPECT_EQ(DebrisColour(0.0f), 0xFFFFFFFFu);
  EXPECT_EQ(DebrisColour(0.25f), 0xFFC08000u);
  EXPECT_EQ(DebrisColour(0.5f), 0xFF800000u);
  EXPECT_EQ(DebrisColour(1.0f), 0xFF000000u);
  EXPECT_EQ(DebrisColour(1.5f), 0xFF000000u);  // past its age it stays black, never wraps

  char score[80], credit[80], weapon[80];
  FormatHudTexts(150, 3, score, credit, weapon);
  EXPECT_STREQ(score, "Score: 00000150");
  EXPECT_STREQ(weapon, "Weapon: Proximity killer");
  EXPECT_EQ(std::strncmp(credit, "copyright: ", 11), 0);
  EXPECT_STREQ(credit + 11, CurrentShipCredit());
  FormatHudTexts(0xFFFFFFFF, 99, score, credit, weapon);
  EXPECT_STREQ(score, "Score: 4294967295");
  EXPECT_STREQ(weapon, "Weapon: Proximity killer");
  FormatHudTexts(0, 1, score, credit, weapon);
  EXPECT_STREQ(weapon, "Weapon: Double blaster");
}

TEST(RenderGameRules, NothingWithoutADevice) {
  ASSERT_EQ(device, nullptr);
  RenderGame();
}

TEST_F(RenderGameTest, GlorbAppearsWhereTheCameraProjectsIt) {
  const std::vector<uint32_t> empty = Frame();
  auto* glorb = new GlorbObject(Vector3(0.0f, 0.5f, 0.6f));
  glorb->frame = 0.0f;
  InsertObject(glorb);
  const std::vector<uint32_t> withGlorb = Frame();
  const Pixel at = Project(glorb->position);
  ASSERT_GT(at.x, 20);
  ASSERT_LT(at.x, static_cast<int>(width_) - 20);
  EXPECT_GT(Around(withGlorb, at, 3), Around(empty, at, 3) + 49 * 60);
  // Far from it nothing changed.
  const Pixel away = {at.x + 120 < static_cast<int>(width_) ? at.x + 120 : at.x - 120, at.y};
  EXPECT_EQ(Around(withGlorb, away, 3), Around(empty, away, 3));
  // Hidden sprites are not drawn.
  glorb->visible = 0;
  EXPECT_EQ(Around(Frame(), at, 3), Around(empty, at, 3));
}

TEST_F(RenderGameTest, ShipIsDrawnOnlyWhileVisible) {
  PlaceShip(PlayerShip, Vector3(0.0f, 0.0f, 0.3f));
  const Pixel at = Project(PlayerShip->position);
  const std::vector<uint32_t> hidden = Frame();
  PlayerShip->visible = 1;
  const std::vector<uint32_t> shown = Frame();
  EXPECT_GT(std::abs(Around(shown, at, 6) - Around(hidden, at, 6)), 169 * 40);
}

TEST_F(RenderGameTest, HudShowsTheScoreInYellowAtTheTopLeft) {
  Score = 150;
  const std::vector<uint32_t> pixels = Frame();
  const int row = static_cast<int>(0.05f * height_);
  EXPECT_GT(Yellow(pixels, 0, 0, width_ / 2, row + 2), 150);             // "Score: 00000150"
  EXPECT_GT(Yellow(pixels, width_ / 2, 0, width_, row + 2), 150);        // the credit line
  EXPECT_GT(Yellow(pixels, width_ / 2, row, width_, 2 * row + 2), 100);  // the weapon
  EXPECT_EQ(Yellow(pixels, 0, row + 2, width_ / 2, 2 * row + 2), 0);     // nothing below the score
  EXPECT_EQ(Yellow(pixels, 0, 3 * row, width_, height_), 0);
}

TEST_F(RenderGameTest, PauseShowsTheTitleOverAHalfDarkFrame) {
  Score = 150;
  const std::vector<uint32_t> playing = Frame();
  InputState.paused = 1;
  const std::vector<uint32_t> paused = Frame();
  // The HUD dims to half; the "Paused" title glows at the title position.
  const int row = static_cast<int>(0.05f * height_);
  EXPECT_EQ(Yellow(paused, 0, 0, width_, row + 2), 0);
  EXPECT_GT(Yellow(paused, 0, 0, width_, row + 2, 100), 100);
  const Pixel title = {static_cast<int>(0.3f * width_), static_cast<int>(0.45f * height_)};
  int bright = 0;
  for (int y = title.y - 30; y < title.y + 60; ++y)
    for (int x = title.x - 40; x < title.x + 200; ++x) bright += Brightness(paused[y * width_ + x]) > 300;
  EXPECT_GT(bright, 300);
  EXPECT_LT(Around(paused, {10, static_cast<int>(height_) - 10}, 5),
            Around(playing, {10, static_cast<int>(height_) - 10}, 5));
}

TEST_F(RenderGameTest, DeadShipDarkensTheScreenUntilItReturns) {
  Score = 150;
  PlayerShip->respawnTimer = 2.0f;
  for (uint32_t p : Frame()) ASSERT_EQ(p & 0xFFFFFF, 0u);
  PlayerShip->respawnTimer = 1.0f;
  const std::vector<uint32_t> half = Frame();
  PlayerShip->respawnTimer = 0.0f;
  const std::vector<uint32_t> clear = Frame();
  const Pixel corner = {10, static_cast<int>(height_) - 10};
  EXPECT_NEAR(Around(half, corner, 5), Around(clear, corner, 5) / 2, Around(clear, corner, 5) / 10 + 121);
}

TEST_F(RenderGameTest, AMenuOverThePauseDarkensTwiceAndDrawsOnTop) {
  const Pixel corner = {10, static_cast<int>(height_) - 10};
  const int clear = Around(Frame(), corner, 5);
  InputState.paused = 1;
  const int paused = Around(Frame(), corner, 5);
  MenuItem menu("Game menu", 0);
  menu.AddChild(new MenuItem("Quit", 1));
  currentMenu = &menu;
  const std::vector<uint32_t> pixels = Frame();
  currentMenu = nullptr;
  EXPECT_NEAR(paused, clear / 2, clear / 10 + 121);
  EXPECT_NEAR(Around(pixels, corner, 5), clear / 4, clear / 10 + 121);
  // The menu's title lies in the middle of the screen, over the "Paused"
  // glow but not darkened by the second fade.
  int bright = 0;
  for (int y = static_cast<int>(height_) / 4; y < static_cast<int>(3 * height_ / 4); ++y)
    for (int x = 0; x < static_cast<int>(width_); ++x) bright += Brightness(pixels[y * width_ + x]) > 400;
  EXPECT_GT(bright, 200);
}

TEST_F(RenderGameTest, AFrameThatCannotBeginDrawsNothingAndEndsNoScene) {
  Score = 150;
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF00FF, 1.0f, 0);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  RenderGame();  // its own BeginScene fails inside the open scene
  EXPECT_EQ(device->EndScene(), D3D_OK);
  for (uint32_t p : ReadBack()) ASSERT_EQ(p & 0xFFFFFF, 0xFF00FFu);
}

TEST_F(RenderGameTest, BulletTrailStretchesBehindTheBulletInFixedSquares) {
  // The camera looks along -x in render space, so game +y runs to the left
  // of the screen: a bullet flying along +y trails off to the right, its
  // squares at 40 x 0.0005 i^2 = 0.02 i^2 behind it (the last at 0.5).
  const Vector3 at(0.0f, -1.0f, 1.4f);  // above the horizon, against the black sky
  const std::vector<uint32_t> empty = Frame();
  auto* bullet = new BulletObject(at, Vector3(0.0f, 40.0f, 0.0f), 0);
  bullet->radius = 1.0f;  // the trail's squares do not follow the radius
  InsertObject(bullet);
  const std::vector<uint32_t> pixels = Frame();
  const Pixel head = Project(at), tail = Project(Vector3(at.x, at.y - 0.5f, at.z));
  ASSERT_GT(tail.x, head.x + 20);
  EXPECT_GT(Around(pixels, head, 1), Around(empty, head, 1) + 9 * 30);
  EXPECT_GT(Around(pixels, tail, 1), Around(empty, tail, 1) + 9 * 30);
  // Nothing ahead of the bullet, and the squares stay small.
  const Pixel ahead = {head.x - (tail.x - head.x), head.y};
  EXPECT_EQ(Around(pixels, ahead, 3), Around(empty, ahead, 3));
  EXPECT_EQ(Around(pixels, {head.x, head.y - 12}, 2), Around(empty, {head.x, head.y - 12}, 2));
}

// A busy frame for the eye: the ship over the floor, Glorbs, pieces, a
// debris burst and a spray of bullets, with the HUD.
TEST_F(RenderGameTest, BusyFramePicture) {
  Score = 150;
  Weapon = 2;
  PlaceShip(PlayerShip, Vector3(0.0f, 0.0f, 0.3f));
  PlayerShip->visible = 1;
  PlayerShip->heading = 0.6f;
  for (int i = 0; i < 6; ++i) {
    auto* glorb = new GlorbObject(Vector3(-1.5f + 0.3f * i, -1.2f + 0.5f * i, 0.4f + 0.15f * (i % 3)));
    InsertObject(glorb);
  }
  InsertObject(new PyramidObject(Vector3(-2.0f, 1.5f, 0.2f)));
  InsertObject(new SphereObject(Vector3(-1.0f, 1.8f, 0.5f)));
  InsertObject(new SphereObject(Vector3(-1.2f, 2.0f, 0.7f)));
  for (int i = 0; i < 8; ++i) {
    auto* debris = new DebrisObject(Vector3(-0.5f, 1.0f + 0.05f * i, 0.5f + 0.03f * i), Vector3(0, 0, 0));
    debris->frame = 0.1f * i;
    InsertObject(debris);
  }
  for (int i = 0; i < 5; ++i) {
    const Vector3 speed(-3.0f, 0.4f * (i - 2), 1.0f);
    InsertObject(new BulletObject(Vector3(-0.3f - 0.25f * i, 0.1f * (i - 2), 0.4f), speed, 2));
  }
  const std::vector<uint32_t> pixels = Frame();
  EXPECT_TRUE(WriteFramePng("game_frame.png", pixels, width_, height_));
  InputState.paused = 1;
  EXPECT_TRUE(WriteFramePng("game_frame_paused.png", Frame(), width_, height_));
  EXPECT_GT(Yellow(pixels, 0, 0, width_ / 2, static_cast<int>(0.05f * height_) + 2), 150);
}

// The pause title's glow is drawn once per pause and kept: the first paused
// frame matches the fade and burst drawn directly with the same random
// numbers; later paused frames repeat it without drawing the burst again
// (no random numbers taken, no more draws than a play frame plus three);
// a new pause scatters a new glow.
int RandAfterSeed(unsigned seed) {
  SeedRandom(seed);
  return NextRandom();
}

TEST_F(RenderGameTest, KeptPauseGlowMatchesTheBurstDrawnDirectly) {
  Score = 150;
  Frame();
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  DrawFade(0.5f);
  SeedRandom(7);
  DrawTitleBurst(bigFont, "Paused");
  ASSERT_EQ(device->EndScene(), D3D_OK);
  const std::vector<uint32_t> direct = ReadBack();
  InputState.paused = 1;
  SeedRandom(7);
  const std::vector<uint32_t> kept = Frame();
  int worst = 0, bright = 0;
  for (size_t i = 0; i < direct.size(); ++i) {
    worst =
        std::max({worst, std::abs(Red(kept[i]) - Red(direct[i])), std::abs(Green(kept[i]) - Green(direct[i])),
                  std::abs(Blue(kept[i]) - Blue(direct[i]))});
    bright += Brightness(kept[i]) > 300;
  }
  EXPECT_LE(worst, 2);  // rounded once by the framebuffer instead of once per copy
  EXPECT_GT(bright, 300);
}

TEST_F(RenderGameTest, LaterPausedFramesReuseTheGlowAndCostNoMoreDraws) {
  auto draws = [&] {
    const uint64_t before = d3d8::GetCounters().draws;
    RenderGame();
    return d3d8::GetCounters().draws - before;
  };
  const uint64_t playDraws = draws();
  InputState.paused = 1;
  SeedRandom(3);
  const std::vector<uint32_t> first = Frame();
  SeedRandom(11);
  const uint64_t pausedDraws = draws();
  const int next = NextRandom();
  EXPECT_EQ(next, RandAfterSeed(11));  // the burst was not drawn again
  EXPECT_EQ(ReadBack(), first);
  EXPECT_LE(pausedDraws, playDraws + 3);  // fade with what shows through, the glow, the black title

  InputState.paused = 0;
  Frame();
  InputState.paused = 1;
  SeedRandom(5);
  Frame();
  const int after = NextRandom();
  EXPECT_NE(after, RandAfterSeed(5));
}

// A paused game is a still picture: after its first frame it is drawn back
// whole, in one draw, the same to the pixel. What changes while paused (the
// weapon) draws it again, as a fresh pause with the same glow would; with a
// menu open the scene is drawn in full under it.
TEST_F(RenderGameTest, APausedPictureIsKeptWholeUntilWhatItShowsChanges) {
  auto draws = [&] {
    const uint64_t before = d3d8::GetCounters().draws;
    RenderGame();
    return d3d8::GetCounters().draws - before;
  };
  InsertObject(new GlorbObject(Vector3(-1.0f, 0.0f, 0.5f)));
  const uint64_t playDraws = draws();
  InputState.paused = 1;
  SeedRandom(3);
  const std::vector<uint32_t> first = Frame();
  EXPECT_EQ(draws(), 1u);
  EXPECT_EQ(ReadBack(), first);
  EXPECT_LT(1u, playDraws);

  Weapon = 2;
  const std::vector<uint32_t> changed = Frame();
  EXPECT_NE(changed, first);
  ReleasePauseTitle();
  SeedRandom(3);
  EXPECT_EQ(Frame(), changed);  // drawn in full with the same glow
  EXPECT_EQ(draws(), 1u);

  MenuItem menu("Game menu", 0);
  menu.AddChild(new MenuItem("Quit", 1));
  currentMenu = &menu;
  EXPECT_GE(draws(), playDraws);
  currentMenu = nullptr;
  InputState.paused = 0;
  EXPECT_EQ(draws(), playDraws);
}

}  // namespace
