// SPDX-License-Identifier: MIT
// MessageBoxA draws its own box: the caption as a heading, the text wrapped
// to the box, an OK button, answered by Return or Escape through injected
// events; without a display it only writes to stderr.
#include <gtest/gtest.h>
#include <host/host.h>
#include <win32/message_box.h>

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

struct Seen {
  int shown = 0;
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  uint16_t answerKey = 40;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }
};

void Observe(const host::Picture& shown, void* user) {
  Seen* seen = static_cast<Seen*>(user);
  ++seen->shown;
  seen->w = shown.w;
  seen->h = shown.h;
  seen->pixels.resize(static_cast<size_t>(shown.w) * shown.h);
  for (int y = 0; y < shown.h; ++y)
    for (int x = 0; x < shown.w; ++x)
      seen->pixels[y * shown.w + x] = shown.pixels[y * (shown.pitch / 4) + x] & 0xFFFFFF;
  host::Event key;
  key.type = host::EventType::KeyDown;
  key.key = seen->answerKey;
  key.down = true;
  host::InjectEvent(key);
}

bool Dark(uint32_t p) {
  return ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100;
}

// Rows of the band [top, bottom) that hold dark text pixels, counted as runs.
int TextLines(const Seen& s, int top, int bottom) {
  int runs = 0;
  bool inRun = false;
  for (int y = top; y < bottom; ++y) {
    bool ink = false;
    for (int x = 0; x < s.w && !ink; ++x) ink = Dark(s.At(x, y));
    if (ink && !inRun) ++runs;
    inRun = ink;
  }
  return runs;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host::Init());
    host::SetBoxObserver(&Observe, &seen_);
    win32::SetMessageBoxWindowsWithoutDisplay(true);
  }
  void TearDown() override {
    win32::SetMessageBoxWindowsWithoutDisplay(false);
    host::SetBoxObserver(nullptr, nullptr);
    host::Shutdown();
  }
  Seen seen_;
};

TEST_F(MessageBoxTest, DrawsHeadingWrappedTextAndButtonAndReturnsOnReturn) {
  const char* text =
      "Couldn't load game textures.\n\nEither your graphics hardware does not have sufficient resources, or "
      "the game's data files were not properly installed, and this sentence is long enough to wrap.";
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, text, "Glorbs3D", MB_OK | MB_ICONERROR), IDOK);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Glorbs3D: Couldn't load game textures."), std::string::npos);
  ASSERT_EQ(seen_.shown, 1);
  ASSERT_GT(seen_.w, 0);
  EXPECT_LE(seen_.w, 600);  // wrapped, not one long line
  // Heading band in the error colour with white caption text in it.
  const uint32_t band = seen_.At(seen_.w - 3, 3);
  EXPECT_GT((band >> 16) & 0xFF, 0x80u);
  EXPECT_LT((band >> 8) & 0xFF, 0x40u);
  int heading = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < seen_.w / 2; ++x) heading += seen_.At(x, y) == 0xFFFFFF;
  EXPECT_GT(heading, 30) << "no caption text in the heading";
  // The body: the first line, an empty one, and the long sentence on at
  // least two more lines.
  int bottomOfBody = seen_.h - 50;
  EXPECT_GE(TextLines(seen_, 40, bottomOfBody), 3);
  // The OK button at the bottom middle: its edge colour and dark "OK" ink.
  const int cx = seen_.w / 2;
  int edge = 0, ink = 0;
  for (int y = seen_.h - 50; y < seen_.h; ++y) {
    edge += seen_.At(cx - 47, y) == 0x274573;
    for (int x = cx - 20; x < cx + 20; ++x) ink += Dark(seen_.At(x, y));
  }
  EXPECT_GT(edge, 20);
  EXPECT_GT(ink, 20);
}

TEST_F(MessageBoxTest, EscapeAnswersTooAndInformationBoxesHaveAQuietHeading) {
  seen_.answerKey = 41;
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Done.", "Glorbs3D", MB_OK), IDOK);
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(seen_.shown, 1);
  const uint32_t band = seen_.At(seen_.w - 3, 3);
  EXPECT_EQ(band, 0x274573u);
  EXPECT_GE(seen_.w, 300);  // a short text still gets a box wide enough to read
}

TEST_F(MessageBoxTest, AWordLongerThanTheBoxIsBrokenInsteadOfCut) {
  std::string path(200, 'x');
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, path.c_str(), "Glorbs3D", MB_OK), IDOK);
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(seen_.shown, 1);
  EXPECT_LE(seen_.w, 600);
  EXPECT_GE(TextLines(seen_, 40, seen_.h - 50), 2);
}

TEST_F(MessageBoxTest, WithoutADisplayOnlyStderrHearsOfIt) {
  win32::SetMessageBoxWindowsWithoutDisplay(false);
  ASSERT_FALSE(host::HasDisplay());  // the offscreen driver
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Could not create input objects.", "Glorbs3D", MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Glorbs3D: Could not create input objects.\n");
  EXPECT_EQ(seen_.shown, 0);
}

}  // namespace
