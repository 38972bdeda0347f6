// SPDX-License-Identifier: MIT
// The one record through which player input reaches the game: written by the
// input polling each frame, read by the frame update, the renderer and the
// menus, and partly cleared by the level start and the ship's destruction.
#pragma once

#include <win_types.h>

// Devices the per-device action levels have room for.
constexpr int INPUT_MAX_DEVICES = 10;

// Last level reported per device (indexed like the device manager's table)
// for each held action; an entry changes only when its device reports it.
struct InputActionLevels {
  float turnLeft[INPUT_MAX_DEVICES] = {};
  float turnRight[INPUT_MAX_DEVICES] = {};
  float forward[INPUT_MAX_DEVICES] = {};
  float reverse[INPUT_MAX_DEVICES] = {};
  float moveUp[INPUT_MAX_DEVICES] = {};
  float moveDown[INPUT_MAX_DEVICES] = {};
  float moveLeft[INPUT_MAX_DEVICES] = {};
  float moveRight[INPUT_MAX_DEVICES] = {};
  float turnUp[INPUT_MAX_DEVICES] = {};
  float turnDown[INPUT_MAX_DEVICES] = {};
};

struct InputStateRecord {
  float turnRate = 0.0f;      // yaw, radians per second: -5, 0 or +5
  float thrust = 0.0f;        // -6, 0 or +6
  float lateralMove = 0.0f;   // -0.5, 0 or +0.5
  float verticalMove = 0.0f;  // -3, 0 or +3
  float pitchRate = 0.0f;     // turns the aim angle, radians per second: -5, 0 or +5
  BOOL fireHeld = 0;
  BOOL paused = 0;  // play frozen; the renderer shows "Paused"
  BOOL menuUp = 0;  // one-shot menu commands, cleared by the menu handler
  BOOL menuDown = 0;
  BOOL menuSelect = 0;
  BOOL menuQuit = 0;
  InputActionLevels actionLevels;
  BOOL menuAxisLatch = 0;
};

// Zero in every field at program start.
extern InputStateRecord InputState;
