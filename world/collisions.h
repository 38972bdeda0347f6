// SPDX-License-Identifier: MIT
// The collision pass: bullets and the ship against every target, splitting,
// debris, scoring, bullets bursting on the floor, and the ship's death.
#pragma once

// Runs after UpdateWorld every game frame (also while paused or in a menu,
// when only objects that already overlap are affected). Needs the ship.
void CollideWorld();
