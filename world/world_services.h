// SPDX-License-Identifier: MIT
// What the world asks of the program around it: the application clock that
// times each frame, the millisecond clock that seeds each level, and a way to
// close the program. They start out as the real frame timer, timeGetTime and
// a WM_CLOSE posted to the main window; tests put their own in.
#pragma once

#include "win_types.h"

struct WorldServices {
  float (*applicationTime)();  // seconds since the last timer reset
  DWORD (*seedClock)();        // milliseconds, seeds the random draws of a level
  void (*closeProgram)();      // asks the message loop to end the program
};

extern WorldServices worldServices;

// The real services, as at program start.
WorldServices DefaultWorldServices();
