// The real services the world uses in the game: the frame timer's application
// time, the multimedia millisecond clock and the main window's close message.
#include "world/world_services.h"

// GLORBS_WORLD_REAL_SERVICES is set by the build when the application is part
// of it; a build of the world alone has no clock to read.
#ifdef GLORBS_WORLD_REAL_SERVICES
#include <windows.h>

#include "app/app_globals.h"
#include "app/frame_timer.h"
#endif

namespace {

#ifdef GLORBS_WORLD_REAL_SERVICES
float RealApplicationTime() {
  return FrameTimer(TIMER_CMD_APPTIME);
}

DWORD RealSeedClock() {
  return timeGetTime();
}

void RealCloseProgram() {
  PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}
#else
float RealApplicationTime() {
  return 0.0f;
}

DWORD RealSeedClock() {
  return 0;
}

void RealCloseProgram() {}
#endif

}  // namespace

// Constant-initialised, so it is ready before any constructor of the program runs.
WorldServices worldServices = {RealApplicationTime, RealSeedClock, RealCloseProgram};

WorldServices DefaultWorldServices() {
  return WorldServices{RealApplicationTime, RealSeedClock, RealCloseProgram};
}
