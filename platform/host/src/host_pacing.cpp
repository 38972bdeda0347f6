// SPDX-License-Identifier: MIT
// What follows a swap of the window's buffers: the heap handed back after
// a burst of the driver's allocations, and frame pacing.
#include "host_state.h"

#include <time.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cerrno>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace host {

namespace {

void TrimHeap() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace

void NoteHeapChurn() {
  State().heapChurned = true;
}

void SetHeapTrimmer(HeapTrimmer trimmer) {
  State().heapTrimmer = trimmer;
}

// Runs while the frame is already on screen, before pacing waits, so that
// its cost comes out of the wait rather than out of the next frame.
void TrimHeapIfChurned() {
  HostState& s = State();
  if (!s.heapChurned) return;
  s.heapChurned = false;
  (s.heapTrimmer ? s.heapTrimmer : &TrimHeap)();
}

// Holds the frame rate to 60 a second when the swap returned early (no
// vertical sync, or a faster display): the game's per-frame constants were
// tuned for frames at that rate. The wait sleeps to the frame's due time as
// an absolute deadline, so no core spins and early wake-ups sleep again.
void PaceFrame() {
  HostState& s = State();
  const Uint64 freq = SDL_GetPerformanceFrequency();
  const Uint64 period = freq / 60;
  Uint64 now = SDL_GetPerformanceCounter();
#ifdef __EMSCRIPTEN__
  // The browser shows the frame and runs its events only when the game hands
  // it a turn: ASYNCIFY unwinds the game's own loop here and resumes it.
  Uint64 waitMs = 0;
  if (s.pacing && s.lastFrameCounter != 0 && now < s.lastFrameCounter + period)
    waitMs = (s.lastFrameCounter + period - now) * 1000 / freq;
  EM_ASM({
    if (Module['onFrame']) Module['onFrame']();  // the page counts frames
  });
  emscripten_sleep(static_cast<unsigned>(waitMs));
  s.lastFrameCounter = waitMs ? s.lastFrameCounter + period : now;
  return;
#endif
  if (s.pacing && s.lastFrameCounter != 0) {
    const Uint64 due = s.lastFrameCounter + period;
    if (now < due) {
      timespec deadline{};
      clock_gettime(CLOCK_MONOTONIC, &deadline);
      const uint64_t ns = static_cast<uint64_t>(deadline.tv_nsec) + (due - now) * 1000000000ull / freq;
      deadline.tv_sec += static_cast<time_t>(ns / 1000000000ull);
      deadline.tv_nsec = static_cast<long>(ns % 1000000000ull);
      while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
      }
      // Keep the cadence steady instead of drifting by the wake-up slop.
      now = due;
    }
  }
  s.lastFrameCounter = now;
}

}  // namespace host
