// SPDX-License-Identifier: MIT
// Storage of the game-play values and the score's floor and ceiling.
#include "world/game_state.h"

#include <limits>

DWORD Score = 0;
DWORD Level = 0;
DWORD Weapon = 0;
float FireCooldown = 0.0f;
float LastFrameTime = 0.0f;
BOOL EngineSoundOn = 0;

void DeductScore(DWORD points) {
  Score = (Score < points) ? 0 : Score - points;
}

void AddScore(DWORD points) {
  constexpr DWORD kLargestScore = std::numeric_limits<DWORD>::max();
  Score = (Score > kLargestScore - points) ? kLargestScore : Score + points;
}
