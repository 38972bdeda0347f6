// SPDX-License-Identifier: MIT
// The whole game played to its end as a player would, headless: an autopilot
// watches where the ship and the targets are and presses keys through the
// host's event stream, the way a keyboard reaches the game (never by setting
// a world value). The real window, message pump and state machine run from
// the splash through levels 1 and 2 until the program closes itself when
// level 3 would begin; the frame timer's clock is turned by the test, once
// with steady 60 Hz frames and once with seeded uneven ones.
#include <host/host.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/world_wiring.h"
#include "app_fixture.h"
#include "autopilot.h"
#include "scratch_config_home.h"
#include "common/src/frame_timer.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/world_services.h"

namespace {

// A clock of nanosecond ticks the test turns frame by frame.
struct FineClock {
  static inline LONGLONG ticks = 0;
  static BOOL Frequency(LARGE_INTEGER* f) {
    f->QuadPart = 1000000000;
    return TRUE;
  }
  static BOOL Counter(LARGE_INTEGER* c) {
    c->QuadPart = ticks;
    return TRUE;
  }
  static DWORD Milliseconds() { return static_cast<DWORD>(ticks / 1000000); }
  static void Advance(double seconds) { ticks += std::llround(seconds * 1e9); }
};
const FrameTimerClocks kFineClock = {FineClock::Frequency, FineClock::Counter, FineClock::Milliseconds};

// The application states in the order they were first entered, level by level.
struct Journey {
  std::vector<std::pair<AppState, DWORD>> steps;
  void Note() {
    if (steps.empty() || steps.back().first != appState || steps.back().second != Level)
      steps.push_back({appState, Level});
  }
};

class AutopilotTest : public AppTest {
 protected:
  void SetUp() override {
    // The default controls: no remapping saved by a user of this machine.
    ASSERT_FALSE(configHome.Enter("glorbs-autopilot").empty());
    AppTest::SetUp();
    FineClock::ticks = 1000000000;
    FrameTimerUseClocks(&kFineClock);
  }
  void TearDown() override {
    AppTest::TearDown();
    worldServices = GameWorldServices();
    configHome.Leave();
  }

  // Plays from start-up until the program quits or `maxFrames` pass; each
  // pass of the loop is one of RunMessageLoop's: every waiting message is
  // dispatched, then one step and one render with the clock moved on.
  // Returns the number of frames, or -1 when the program did not quit.
  template <typename NextFrameTime>
  int PlayToTheEnd(NextFrameTime nextFrameTime, int maxFrames) {
    // Each level seeds its random draws from the millisecond clock; a fixed
    // reading makes the run the same every time.
    worldServices.seedClock = [] { return DWORD(4242); };
    if (FAILED(StartupApplication(mainWindow))) return -1;
    host::Event focus;
    focus.type = host::EventType::FocusGained;
    host::InjectEvent(focus);
    Autopilot pilot;
    for (int frame = 0; frame < maxFrames; ++frame) {
      pilot.Play();
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return frame;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      journey.Note();
      if (!displayReady) continue;
      FineClock::Advance(nextFrameTime());
      StepApplication();
      journey.Note();
      // The picture is only looked at now and then: drawing every frame
      // in software would make the run long without testing more.
      if (frame % 20 == 0) DrawApplication();
    }
    return -1;
  }

  void ExpectBothLevelsPlayedThenClosed(int frames) {
    ASSERT_GT(frames, 0) << "the program did not close itself; level " << Level << ", "
                         << Look().targets.size() << " targets left";
    const std::vector<std::pair<AppState, DWORD>> expected = {
        {APP_STARTUP, 0},     {APP_SPLASH, 0},  {APP_LEVEL_START, 1},
        {APP_LEVEL_INTRO, 1}, {APP_PLAYING, 1}, {APP_LEVEL_START, 2},
        {APP_LEVEL_INTRO, 2}, {APP_PLAYING, 2}, {APP_LEVEL_START, 3},
    };
    EXPECT_EQ(journey.steps, expected);
    EXPECT_EQ(Level, 3u);
    EXPECT_FALSE(IsWindow(mainWindow));  // closed by the program itself
    EXPECT_EQ(DisplayList, nullptr);     // and everything shut down
    EXPECT_EQ(Weapon, 3u);
  }

  Journey journey;
  ScratchConfigHome configHome;
};

constexpr int kTenGameMinutesAt60Hz = 36000;

TEST_F(AutopilotTest, PlaysBothLevelsToTheEndAtSteady60Hz) {
  const int frames = PlayToTheEnd([] { return 1.0 / 60.0; }, kTenGameMinutesAt60Hz);
  ExpectBothLevelsPlayedThenClosed(frames);
  std::printf("steady 60 Hz: the program closed itself after %d frames (%.1f s of play)\n", frames,
              frames / 60.0);
}

TEST_F(AutopilotTest, PlaysBothLevelsToTheEndWithUnevenFrameTimes) {
  std::mt19937 random(20241208u);
  std::uniform_real_distribution<double> frameTime(1.0 / 60.0, 1.0 / 25.0);
  double played = 0.0;
  const int frames = PlayToTheEnd(
      [&] {
        const double dt = frameTime(random);
        played += dt;
        return dt;
      },
      kTenGameMinutesAt60Hz);
  ExpectBothLevelsPlayedThenClosed(frames);
  std::printf("uneven 25 to 60 Hz: the program closed itself after %d frames (%.1f s of play)\n", frames,
              played);
}

}  // namespace
