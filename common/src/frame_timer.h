// SPDX-License-Identifier: MIT
// The application clock: one routine driven by commands. It counts on the
// performance counter, or on the millisecond clock where the system has no
// counter. Called on the message-loop thread only.
#pragma once

#include <windows.h>

enum TimerCommand {
  TIMER_CMD_RESET = 0,     // application time restarts at 0; a stopped timer stays stopped
  TIMER_CMD_START = 1,     // runs a stopped timer again, leaving out the stopped period
  TIMER_CMD_STOP = 2,      // application time stands still
  TIMER_CMD_ADVANCE = 3,   // a stopped timer steps on by a tenth of a second
  TIMER_CMD_ABSOLUTE = 4,  // seconds since the clock's origin
  TIMER_CMD_APPTIME = 5,   // seconds since the last reset, stopped periods left out
  TIMER_CMD_ELAPSED = 6,   // seconds since the previous elapsed query
};

// Seconds as a 32-bit float; 0 for the commands that only act, -1 for a
// command outside the list.
float FrameTimer(TimerCommand command);

// The clocks FrameTimer reads. Tests install their own to drive time by hand
// or to take the counter away (the millisecond fallback).
struct FrameTimerClocks {
  BOOL (*queryFrequency)(LARGE_INTEGER* frequency);
  BOOL (*queryCounter)(LARGE_INTEGER* count);
  DWORD (*millisecondClock)();
};

// Installs `clocks` (null: the system's) and forgets every mark, so that the
// next call chooses its mode again, as the first call of the process does.
void FrameTimerUseClocks(const FrameTimerClocks* clocks);
