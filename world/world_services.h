// SPDX-License-Identifier: MIT
// What the world asks of the program around it, like a renderer's import
// table: the application clock that times each frame, the millisecond clock
// that seeds each level, closing the program, playing and stopping the
// game's sound effects and aiming the camera. The world links none of the
// pieces behind them; the application fills the table with the real ones
// at start-up (app/world_wiring.h), tests put their own in.
#pragma once

#include <win_types.h>
#include "world/vector3.h"

// The sound effects the rules of play start and stop.
enum class WorldSound {
  None,  // plays nothing
  ShipExplode,
  GunFire,
  EngineIdle,
  EngineRev,
  GlorbExplode,
  PyramidExplode,
  CubeExplode,
  SphereExplode,
};

struct WorldServices {
  float (*applicationTime)();           // seconds since the last timer reset
  DWORD (*seedClock)();                 // milliseconds, seeds the random draws of a level
  void (*closeProgram)();               // asks the message loop to end the program
  void (*playSound)(WorldSound sound);  // one more instance over whatever sounds
  void (*stopSound)(WorldSound sound);  // every playing instance
  // The camera's view, in the drawing's axes (y up), not the game's.
  void (*aimCamera)(const Vector3& eye, const Vector3& lookAt, const Vector3& up);
};

// Until the application fills it, every service does nothing and both clocks
// read 0, so nothing the world calls is ever missing.
extern WorldServices worldServices;

// The table of services that do nothing, as the world starts with.
WorldServices InertWorldServices();
