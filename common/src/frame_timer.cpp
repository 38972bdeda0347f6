// SPDX-License-Identifier: MIT
// The application clock. High-resolution mode keeps 64-bit counter ticks,
// the fallback keeps seconds as doubles from the millisecond clock; both
// convert to 32-bit float seconds only for the result.
#include "common/src/frame_timer.h"

#include <mmsystem.h>

namespace {

template <typename T>
struct Marks {
  T base = T();
  T stop = T();
  T last = T();
};

struct TimerState {
  bool modeChosen = false;
  bool highResolution = false;
  LONGLONG ticksPerSecond = 0;
  // Kept apart from the stop mark, so that a clock reading of 0 can still
  // be a stop time.
  bool stopped = false;
  Marks<LONGLONG> ticks;
  Marks<double> seconds;
};

const FrameTimerClocks kSystemClocks = {QueryPerformanceFrequency, QueryPerformanceCounter, timeGetTime};

const FrameTimerClocks* clocks = &kSystemClocks;
TimerState timer;

// One command on one set of marks. `clockNow` is the one clock reading of
// this call; `tenth` is a tenth of a second in the marks' unit.
template <typename T, typename ToSeconds>
float Act(TimerCommand command, T clockNow, Marks<T>& m, T tenth, ToSeconds toSeconds) {
  bool frozen = timer.stopped && command != TIMER_CMD_START && command != TIMER_CMD_ABSOLUTE;
  T now = frozen ? m.stop : clockNow;
  switch (command) {
    case TIMER_CMD_RESET:
      m.base = now;
      m.last = now;
      return 0.0f;
    case TIMER_CMD_START:
      if (timer.stopped) {
        m.base += now - m.stop;
        m.stop = T();
        timer.stopped = false;
      }
      m.last = now;
      return 0.0f;
    case TIMER_CMD_STOP:
      m.stop = now;
      timer.stopped = true;
      return 0.0f;
    case TIMER_CMD_ADVANCE:
      // Stepping only means something while time stands still; on a running
      // timer it would turn the step into a stop at a meaningless instant.
      if (timer.stopped) m.stop += tenth;
      return 0.0f;
    case TIMER_CMD_ABSOLUTE:
      return toSeconds(clockNow);
    case TIMER_CMD_APPTIME:
      return toSeconds(now - m.base);
    case TIMER_CMD_ELAPSED: {
      float result = toSeconds(now - m.last);
      m.last = now;
      return result;
    }
  }
  return -1.0f;
}

}  // namespace

float FrameTimer(TimerCommand command) {
  if (!timer.modeChosen) {
    LARGE_INTEGER frequency = {};
    timer.modeChosen = true;
    timer.highResolution = clocks->queryFrequency(&frequency) && frequency.QuadPart > 0;
    timer.ticksPerSecond = timer.highResolution ? frequency.QuadPart : 0;
  }
  if (command < TIMER_CMD_RESET || command > TIMER_CMD_ELAPSED) return -1.0f;
  if (timer.highResolution) {
    LARGE_INTEGER now = {};
    clocks->queryCounter(&now);
    double perSecond = static_cast<double>(timer.ticksPerSecond);
    return Act<LONGLONG>(command, now.QuadPart, timer.ticks, timer.ticksPerSecond / 10,
                         [perSecond](LONGLONG t) { return static_cast<float>(t / perSecond); });
  }
  double now = clocks->millisecondClock() * 0.001;
  return Act<double>(command, now, timer.seconds, 0.1, [](double s) { return static_cast<float>(s); });
}

void FrameTimerUseClocks(const FrameTimerClocks* newClocks) {
  clocks = newClocks ? newClocks : &kSystemClocks;
  timer = TimerState();
}
