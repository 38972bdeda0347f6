// SPDX-License-Identifier: MIT
// The game-play values that outlive a frame. All start at zero and are never
// reset: score and weapon carry over from level to level. The ship pointer
// and the list head live with the display list (world/game_object.h).
#pragma once

#include <win_types.h>
#include "world/game_object.h"

constexpr DWORD WEAPON_COUNT = 4;

extern DWORD Score;          // unsigned; floored at 0 and held at its largest value
extern DWORD Level;          // level being played; 0 before the first
extern DWORD Weapon;         // 0 Blaster, 1 Double blaster, 2 Spray gun, 3 Proximity killer
extern float FireCooldown;   // seconds until the next shot may be fired
extern float LastFrameTime;  // application time read by the previous update
extern BOOL EngineSoundOn;   // thrust stayed above 0.5 since the last frame

// Takes points off the score without letting it wrap below zero.
void DeductScore(DWORD points);
// Adds points to the score, stopping at the largest score rather than
// wrapping round to a small one.
void AddScore(DWORD points);
