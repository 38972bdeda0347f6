// SPDX-License-Identifier: MIT
// What the game benchmarks share: a clock read in seconds, and the message
// pump that runs the game's window without letting it close.
#pragma once

#include <time.h>
#include <windows.h>

namespace bench {

// Seconds on `clock` (CLOCK_MONOTONIC for wall time, CLOCK_PROCESS_CPUTIME_ID
// for the processor time the process used).
inline double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// Dispatches waiting messages, except the closes that the end of a level or
// a shut-down posts: a benchmark decides itself when the game stops.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message != WM_CLOSE && msg.message != WM_QUIT) DispatchMessageA(&msg);
}

}  // namespace bench
