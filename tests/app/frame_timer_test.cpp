// SPDX-License-Identifier: MIT
// The frame timer on hand-turned clocks, in high-resolution mode and in the
// millisecond fallback.
#include <gtest/gtest.h>

#include <string>

#include "common/src/frame_timer.h"

namespace {

LONGLONG counter = 0;
DWORD milliseconds = 0;

BOOL Frequency(LARGE_INTEGER* f) {
  f->QuadPart = 1000000;  // microsecond ticks
  return TRUE;
}
BOOL NoCounter(LARGE_INTEGER*) {
  return FALSE;
}
BOOL Counter(LARGE_INTEGER* c) {
  c->QuadPart = counter;
  return TRUE;
}
DWORD Milliseconds() {
  return milliseconds;
}

const FrameTimerClocks kHighResolution = {Frequency, Counter, Milliseconds};
const FrameTimerClocks kFallback = {NoCounter, Counter, Milliseconds};

// Moves whichever clock is in use forward.
void Advance(double seconds) {
  counter += static_cast<LONGLONG>(seconds * 1000000.0 + 0.5);
  milliseconds += static_cast<DWORD>(seconds * 1000.0 + 0.5);
}

class FrameTimerTest : public ::testing::TestWithParam<const FrameTimerClocks*> {
 protected:
  void SetUp() override {
    counter = 7000000;
    milliseconds = 7000;
    FrameTimerUseClocks(GetParam());
  }
  void TearDown() override { FrameTimerUseClocks(nullptr); }
};

TEST_P(FrameTimerTest, StoppedTimeStandsStillAndStartLeavesTheStopOut) {
  FrameTimer(TIMER_CMD_RESET);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 0.0f, 1e-6);
  Advance(2.5);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 2.5f, 1e-4);
  FrameTimer(TIMER_CMD_STOP);
  Advance(5.0);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 2.5f, 1e-4);
  EXPECT_EQ(FrameTimer(TIMER_CMD_APPTIME), FrameTimer(TIMER_CMD_APPTIME));
  EXPECT_NEAR(FrameTimer(TIMER_CMD_ABSOLUTE), 14.5f, 1e-3);  // the stop is not used for absolute time
  FrameTimer(TIMER_CMD_START);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 2.5f, 1e-4);
  Advance(1.0);
  // Five seconds behind absolute time, measured from the reset at 7.0.
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), FrameTimer(TIMER_CMD_ABSOLUTE) - 7.0f - 5.0f, 1e-3);
  FrameTimer(TIMER_CMD_START);  // on a running timer: no change
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 3.5f, 1e-4);
}

TEST_P(FrameTimerTest, ResetKeepsAStoppedTimerStopped) {
  FrameTimer(TIMER_CMD_RESET);
  Advance(1.0);
  FrameTimer(TIMER_CMD_STOP);
  Advance(1.0);
  FrameTimer(TIMER_CMD_RESET);
  Advance(3.0);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 0.0f, 1e-6);
  FrameTimer(TIMER_CMD_START);
  Advance(0.25);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 0.25f, 1e-4);
}

TEST_P(FrameTimerTest, ElapsedCountsFromThePreviousQuery) {
  FrameTimer(TIMER_CMD_START);
  Advance(0.5);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_ELAPSED), 0.5f, 1e-4);
  Advance(0.25);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_ELAPSED), 0.25f, 1e-4);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_ELAPSED), 0.0f, 1e-6);
}

TEST_P(FrameTimerTest, AdvanceStepsOnlyAStoppedTimer) {
  FrameTimer(TIMER_CMD_RESET);
  FrameTimer(TIMER_CMD_ADVANCE);  // running: nothing happens
  Advance(1.0);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 1.0f, 1e-4);
  FrameTimer(TIMER_CMD_STOP);
  FrameTimer(TIMER_CMD_ADVANCE);
  FrameTimer(TIMER_CMD_ADVANCE);
  EXPECT_NEAR(FrameTimer(TIMER_CMD_APPTIME), 1.2f, 1e-4);
}

TEST_P(FrameTimerTest, UnknownCommandsGiveMinusOne) {
  EXPECT_EQ(FrameTimer(static_cast<TimerCommand>(7)), -1.0f);
  EXPECT_EQ(FrameTimer(static_cast<TimerCommand>(-1)), -1.0f);
  EXPECT_EQ(FrameTimer(TIMER_CMD_STOP), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(BothClocks, FrameTimerTest, ::testing::Values(&kHighResolution, &kFallback),
                         [](const ::testing::TestParamInfo<const FrameTimerClocks*>& info) {
                           return std::string(info.param == &kHighResolution ? "Counter" : "Milliseconds");
                         });

TEST(FrameTimerFallback, MillisecondResolutionComputedInDoublePrecision) {
  FrameTimerUseClocks(&kFallback);
  milliseconds = 4000000000u;  // 4e6 s: a float has only quarter seconds there
  FrameTimer(TIMER_CMD_RESET);
  milliseconds += 1;
  EXPECT_FLOAT_EQ(FrameTimer(TIMER_CMD_APPTIME), 0.001f);
  counter += 999999999;  // the counter is not consulted in this mode
  EXPECT_FLOAT_EQ(FrameTimer(TIMER_CMD_APPTIME), 0.001f);
  FrameTimerUseClocks(nullptr);
}

TEST(FrameTimerSystem, RealClockMovesForward) {
  FrameTimerUseClocks(nullptr);
  FrameTimer(TIMER_CMD_RESET);
  Sleep(20);
  float t = FrameTimer(TIMER_CMD_APPTIME);
  EXPECT_GE(t, 0.015f);
  EXPECT_LT(t, 5.0f);
}

}  // namespace
