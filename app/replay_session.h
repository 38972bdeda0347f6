// SPDX-License-Identifier: MIT
// The game run inside a replay session: recording or playing back what the
// program takes from the outside world, as the environment asks (see the
// README). The program's main() and the tool that records the test suite's
// replays both start the game here, so both take the same path.
#pragma once

#include <cstdint>

// Starts the session the environment asks for, runs WinMain and ends the
// session; returns the exit status (1 when a replay is refused or diverges).
int RunGameSession(const char* gameVersion);

// A checksum of everything the game's rules keep between frames: the
// application state, the game-play values and every object of the display
// list. Two runs that agree on it have played the same game so far.
uint32_t WorldChecksum();
