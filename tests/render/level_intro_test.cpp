// SPDX-License-Identifier: MIT
// The level intro on the game's display: "Level n" glowing at the title
// position behind a black cover that thins over the intro's second; the
// fade and burst colours; the overlays refusing what they cannot draw.
#include <cmath>

#include "common/src/frame_timer.h"
#include "display_fixture.h"
#include "png_file.h"
#include "render/level_intro.h"
#include "render/texture_font.h"

namespace {

// Application time by hand: a counter of 1000 ticks a second.
LONGLONG fakeTicks = 0;
const FrameTimerClocks kFakeClocks = {[](LARGE_INTEGER* f) {
                                        f->QuadPart = 1000;
                                        return TRUE;
                                      },
                                      [](LARGE_INTEGER* c) {
                                        c->QuadPart = fakeTicks;
                                        return TRUE;
                                      },
                                      [] { return static_cast<DWORD>(fakeTicks); }};

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int lit = 0;
};

Box InkOf(const std::vector<uint32_t>& pixels, UINT w, UINT h, int threshold) {
  Box b;
  for (int y = 0; y < static_cast<int>(h); ++y)
    for (int x = 0; x < static_cast<int>(w); ++x)
      if (Brightness(pixels[y * w + x]) > threshold) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1);
        b.bottom = std::max(b.bottom, y + 1);
        ++b.lit;
      }
  return b;
}

class LevelIntroTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    FrameTimerUseClocks(&kFakeClocks);
    fakeTicks = 0;
    FrameTimer(TIMER_CMD_RESET);
  }
  void TearDown() override {
    FrameTimerUseClocks(nullptr);
    DisplayTest::TearDown();
  }
  std::vector<uint32_t> IntroAt(float seconds, DWORD level = 1) {
    fakeTicks = static_cast<LONGLONG>(seconds * 1000.0f);
    EXPECT_EQ(DrawLevelIntro(level), S_OK);
    return ReadBack();
  }
};

TEST(LevelIntroColours, FadeAndBurstColours) {
  EXPECT_EQ(FadeColour(1.0f), 0xFF000000u);
  EXPECT_EQ(FadeColour(3.0f), 0xFF000000u);
  EXPECT_EQ(FadeColour(0.5f), 0x7F000000u);
  EXPECT_EQ(FadeColour(0.0f), 0x00000000u);
  EXPECT_EQ(FadeColour(-0.5f), 0x00000000u);
  EXPECT_EQ(TitleBurstColour(0.5f), 0xFFE0C080u);
  EXPECT_EQ(TitleBurstColour(0.0f), 0xFFFFFFFFu);  // the centre stays white
  // Near the centre r cubed vanishes against 1: red stays full, not wrapped to 0.
  EXPECT_EQ(TitleBurstColour(0.001f), 0xFFFFFFFFu);
  EXPECT_EQ(TitleBurstColour(1.0f), 0xFF000000u);
}

TEST(LevelIntroColours, NothingToDrawWithoutADevice) {
  ASSERT_EQ(device, nullptr);
  EXPECT_EQ(DrawLevelIntro(1), S_OK);
  DrawFade(1.0f);
  DrawTitleBurst(nullptr, "x");
}

TEST_F(LevelIntroTest, TitleGlowsThroughTheThinningCover) {
  // At the start the cover is opaque: nothing shows.
  Box start = InkOf(IntroAt(0.0f), width_, height_, 0);
  EXPECT_EQ(start.lit, 0);

  // After a second the title glows at a quarter of the width, 40 % down,
  // its row a quarter of the height.
  const std::vector<uint32_t> end = IntroAt(1.0f, 2);
  EXPECT_TRUE(WriteFramePng("level_intro.png", end, width_, height_));
  Box title = InkOf(end, width_, height_, 120);
  ASSERT_GT(title.lit, 500);
  EXPECT_NEAR(title.left, 0.25 * width_, 0.03 * width_);
  EXPECT_GT(title.top, 0.4 * height_ - 0.05 * height_);
  EXPECT_LT(title.bottom, 0.4 * height_ + 0.3 * height_);
  EXPECT_GT(title.right - title.left, 0.3 * width_);  // "Level 2" spans a good part of the screen
  // Glow is warm: red at least as strong as blue wherever it is bright.
  int warm = 0, cold = 0;
  for (uint32_t p : end)
    if (Brightness(p) > 120) (Red(p) >= Blue(p) ? warm : cold)++;
  EXPECT_GT(warm, 10 * cold);

  // Half-way through, the same picture is dimmer.
  Box middle = InkOf(IntroAt(0.5f, 2), width_, height_, 120);
  EXPECT_LT(middle.lit, title.lit);
}

TEST_F(LevelIntroTest, AFailedBeginSceneIsHandedBackAndNothingIsDrawn) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(DrawLevelIntro(1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3D_OK);  // the intro ended no scene of ours
  for (uint32_t p : ReadBack()) ASSERT_EQ(p & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(LevelIntroTest, FadeDarkensWhatIsBehindIt) {
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FFFFFF, 1.0f, 0);
  DrawFade(0.5f);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  std::vector<uint32_t> pixels = ReadBack();
  EXPECT_NEAR(Red(pixels[0]), 0x80, 2);
  EXPECT_NEAR(Green(pixels[width_ * height_ / 2 + width_ / 2]), 0x80, 2);
  EXPECT_NEAR(Blue(pixels.back()), 0x80, 2);
  DWORD op = 0, arg1 = 0;
  device->GetTextureStageState(0, D3DTSS_ALPHAOP, &op);
  device->GetTextureStageState(0, D3DTSS_ALPHAARG1, &arg1);
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_MODULATE));
  EXPECT_EQ(arg1, static_cast<DWORD>(D3DTA_TEXTURE));

  ASSERT_EQ(device->BeginScene(), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);
  DrawFade(1.0f);
  DrawTitleBurst(hudFont, nullptr);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(InkOf(ReadBack(), width_, height_, 0).lit, 0);
}

}  // namespace
