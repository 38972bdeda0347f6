// SPDX-License-Identifier: MIT
// What the game benchmarks share: a clock read in seconds, and the message
// pump that runs the game's window without letting it close.
#pragma once

#include <time.h>
#include <windows.h>

#include "common/src/frame_timer.h"

namespace bench {

// Seconds on `clock` (CLOCK_MONOTONIC for wall time, CLOCK_PROCESS_CPUTIME_ID
// for the processor time the process used).
inline double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// The game's clock turned by hand, 6000 ticks a second: a frame that steps
// it by kTicksPerFrame is a sixtieth of a second of play however long the
// machine took for it. FrameTimerUseClocks(&bench::kHandClock) installs it.
inline LONGLONG handTicks = 0;
constexpr LONGLONG kTicksPerFrame = 100;
inline BOOL HandFrequency(LARGE_INTEGER* f) {
  f->QuadPart = 6000;
  return TRUE;
}
inline BOOL HandCounter(LARGE_INTEGER* c) {
  c->QuadPart = handTicks;
  return TRUE;
}
inline DWORD HandMilliseconds() {
  return static_cast<DWORD>(handTicks / 6);
}
inline const FrameTimerClocks kHandClock = {HandFrequency, HandCounter, HandMilliseconds};

// Dispatches waiting messages, except the closes that the end of a level or
// a shut-down posts: a benchmark decides itself when the game stops.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message != WM_CLOSE && msg.message != WM_QUIT) DispatchMessageA(&msg);
}

}  // namespace bench
