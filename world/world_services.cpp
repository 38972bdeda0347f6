// SPDX-License-Identifier: MIT
// The real services the world uses in the game: the frame timer's application
// time, the multimedia millisecond clock and the main window's close message.
#include "world/world_services.h"

#include <windows.h>

#include "app/app_globals.h"
#include "app/frame_timer.h"

namespace {

float RealApplicationTime() {
  return FrameTimer(TIMER_CMD_APPTIME);
}

DWORD RealSeedClock() {
  return timeGetTime();
}

void RealCloseProgram() {
  PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace

// Constant-initialised, so it is ready before any constructor of the program runs.
WorldServices worldServices = {RealApplicationTime, RealSeedClock, RealCloseProgram};

WorldServices DefaultWorldServices() {
  return WorldServices{RealApplicationTime, RealSeedClock, RealCloseProgram};
}
