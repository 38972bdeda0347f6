// SPDX-License-Identifier: MIT
// The host layer on the offscreen driver: one window, its GL context, and the
// event stream as the sinks see it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <SDL.h>

#include <host/host.h>

#include "host_events.h"

namespace {

struct Recorder {
  std::vector<host::Event> events;
  static void Sink(const host::Event& e, void* user) { static_cast<Recorder*>(user)->events.push_back(e); }
};

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host::Init()); }
  void TearDown() override { host::Shutdown(); }
};

host::Event Key(uint16_t usage, bool down, uint16_t mods = 0) {
  return test_events::KeyEvent(usage, down, 0, mods);
}

TEST_F(HostTest, WindowHasTheClientSizeAskedForAndOnlyOneExists) {
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 0, 0, 640, 480, false));
  EXPECT_FALSE(host::CreateMainWindow("second", 0, 0, 10, 10, false));
  host::Rect r = host::GetClientArea();
  EXPECT_EQ(640, r.w);
  EXPECT_EQ(480, r.h);
  host::SetClientSize(320, 200);
  r = host::GetClientArea();
  EXPECT_EQ(320, r.w);
  EXPECT_EQ(200, r.h);
  host::DestroyMainWindow();
  EXPECT_FALSE(host::MainWindowExists());
}

TEST_F(HostTest, OpenGLContextIsCreatedOnceAndSurvivesAPresent) {
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 0, 0, 64, 48, false));
  void* gl = host::CreateGLContext();
  ASSERT_NE(nullptr, gl);
  EXPECT_EQ(gl, host::CreateGLContext());
  int w = 0, h = 0;
  host::GetDrawableSize(&w, &h);
  EXPECT_EQ(64, w);
  EXPECT_EQ(48, h);
  host::SetFramePacing(false);
  host::SwapWindowBuffers();
  host::DestroyGLContext();
  EXPECT_EQ(nullptr, host::GetGLContext());
}

int heapTrims = 0;
void CountTrim() {
  ++heapTrims;
}

// The heap is handed back once after the frame that follows a burst (the
// context's start is one), not on every swap, and not before a swap.
TEST_F(HostTest, HeapIsTrimmedOnceAfterTheSwapThatFollowsABurst) {
  heapTrims = 0;
  host::SetHeapTrimmer(&CountTrim);
  host::SetFramePacing(false);
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 0, 0, 64, 64, false));
  ASSERT_NE(host::CreateGLContext(), nullptr);
  EXPECT_EQ(heapTrims, 0);
  host::SwapWindowBuffers();
  EXPECT_EQ(heapTrims, 1);
  host::SwapWindowBuffers();
  host::SwapWindowBuffers();
  EXPECT_EQ(heapTrims, 1);
  host::NoteHeapChurn();
  host::NoteHeapChurn();
  EXPECT_EQ(heapTrims, 1);
  host::SwapWindowBuffers();
  host::SwapWindowBuffers();
  EXPECT_EQ(heapTrims, 2);
  // The default trimmer comes back with null, and runs without harm.
  host::SetHeapTrimmer(nullptr);
  host::NoteHeapChurn();
  host::SwapWindowBuffers();
  EXPECT_EQ(heapTrims, 2);
}

TEST_F(HostTest, SinksSeeInjectedEventsInOrderAndKeyStateFollows) {
  Recorder first, second;
  int a = host::AddEventSink(&Recorder::Sink, &first);
  host::AddEventSink(&Recorder::Sink, &second);
  host::InjectEvent(Key(host::HID_ESCAPE, true));
  host::InjectEvent(Key(host::HID_A, true, host::MOD_SHIFT));
  EXPECT_EQ(2, host::PumpEvents(0));
  ASSERT_EQ(2u, first.events.size());
  EXPECT_EQ(host::HID_ESCAPE, first.events[0].key);
  EXPECT_EQ(host::HID_A, first.events[1].key);
  EXPECT_EQ(2u, second.events.size());
  EXPECT_TRUE(host::IsKeyDown(host::HID_ESCAPE));
  EXPECT_TRUE(host::IsKeyDown(host::HID_A));

  host::RemoveEventSink(a);
  host::InjectEvent(Key(host::HID_ESCAPE, false));
  host::PumpEvents(0);
  EXPECT_EQ(2u, first.events.size());
  EXPECT_EQ(3u, second.events.size());
  EXPECT_FALSE(host::IsKeyDown(host::HID_ESCAPE));
  EXPECT_FALSE(host::IsKeyDown(9999));  // out of range is simply "up"
}

TEST_F(HostTest, LosingFocusReleasesEveryKey) {
  host::InjectEvent(Key(host::HID_LSHIFT, true));
  host::PumpEvents(0);
  EXPECT_EQ(host::MOD_SHIFT, host::GetModState());
  host::Event lost;
  lost.type = host::EventType::FocusLost;
  host::InjectEvent(lost);
  host::PumpEvents(0);
  EXPECT_EQ(0, host::GetModState());
}

// A key press from the desktop reaches only the window with the keyboard,
// so after a focus-lost record it brings a focus-gained record ahead of it,
// once; injected records are taken as they are.
TEST_F(HostTest, ADesktopKeyPressAfterAFocusLossSaysTheFocusIsBack) {
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 0, 0, 320, 240, false));
  Recorder rec;
  host::AddEventSink(&Recorder::Sink, &rec);
  host::Event lost;
  lost.type = host::EventType::FocusLost;
  host::InjectEvent(lost);
  host::InjectEvent(Key(host::HID_RETURN, true, host::MOD_ALT));
  host::PumpEvents(0);
  ASSERT_EQ(2u, rec.events.size());
  EXPECT_EQ(host::EventType::KeyDown, rec.events[1].type);

  rec.events.clear();
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.scancode = SDL_SCANCODE_RETURN;
  key.key.keysym.mod = KMOD_LALT;
  ASSERT_EQ(1, SDL_PushEvent(&key));
  key.type = SDL_KEYUP;
  ASSERT_EQ(1, SDL_PushEvent(&key));
  key.type = SDL_KEYDOWN;
  ASSERT_EQ(1, SDL_PushEvent(&key));
  host::PumpEvents(0);
  std::vector<host::EventType> types;
  for (const host::Event& e : rec.events)
    if (e.type != host::EventType::TextInput) types.push_back(e.type);
  const std::vector<host::EventType> expected = {host::EventType::FocusGained, host::EventType::KeyDown,
                                                 host::EventType::KeyUp, host::EventType::KeyDown};
  EXPECT_EQ(expected, types);
}

TEST_F(HostTest, BlockingPumpReturnsForAnInjectedEvent) {
  Recorder rec;
  host::AddEventSink(&Recorder::Sink, &rec);
  host::InjectEvent(Key(host::HID_RETURN, true));
  // Would block forever if the injected record did not wake the pump.
  EXPECT_GE(host::PumpEvents(-1), 1);
  ASSERT_FALSE(rec.events.empty());
  EXPECT_EQ(host::HID_RETURN, rec.events.back().key);
}

TEST_F(HostTest, PictureGoesToTheInstalledPresenterOtherwiseToTheWindowSurface) {
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 0, 0, 8, 8, false));
  std::vector<uint32_t> pixels(4 * 4, 0x00ff0000u);
  host::Picture picture{pixels.data(), 4, 4, 16};
  host::PresentPicture(picture);  // window surface path: must simply not fail

  struct Seen {
    int calls = 0;
    int w = 0;
  } seen;
  host::SetPicturePresenter(
      [](const host::Picture& p, void* user) {
        auto* s = static_cast<Seen*>(user);
        ++s->calls;
        s->w = p.w;
      },
      &seen);
  host::PresentPicture(picture);
  EXPECT_EQ(1, seen.calls);
  EXPECT_EQ(4, seen.w);

  host::Picture broken{pixels.data(), 4, 4, 8};  // pitch shorter than a row
  host::PresentPicture(broken);
  EXPECT_EQ(1, seen.calls);
}

}  // namespace

namespace {

// A full-screen mode the display lacks falls back to the desktop's size and
// says so on one stderr line; the desktop's own mode is granted silently. The
// drawable follows, and leaving restores the window's client area.
TEST_F(HostTest, FullScreenNamesTheModeUsedWhenTheAskedOneIsMissing) {
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 10, 20, 640, 480, true));
  ASSERT_NE(nullptr, host::CreateGLContext());
  const host::DisplayMode desktop = host::GetDesktopMode();
  ASSERT_GT(desktop.w, 0);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(host::EnterFullScreen(desktop.w + 7, desktop.h + 5));
  std::string err = testing::internal::GetCapturedStderr();
  const std::string asked = std::to_string(desktop.w + 7) + "x" + std::to_string(desktop.h + 5);
  const std::string used = std::to_string(desktop.w) + "x" + std::to_string(desktop.h);
  EXPECT_NE(err.find(asked + " is not offered by the display; using the desktop's " + used),
            std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  EXPECT_TRUE(host::IsFullScreen());
  int w = 0, h = 0;
  host::GetDrawableSize(&w, &h);
  EXPECT_EQ(w, desktop.w);
  EXPECT_EQ(h, desktop.h);

  testing::internal::CaptureStderr();
  ASSERT_TRUE(host::EnterFullScreen(desktop.w, desktop.h));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  host::LeaveFullScreen();
  EXPECT_FALSE(host::IsFullScreen());
  host::Rect r = host::GetClientArea();
  EXPECT_EQ(r.w, 640);
  EXPECT_EQ(r.h, 480);
}

}  // namespace
