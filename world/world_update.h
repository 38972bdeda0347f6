// SPDX-License-Identifier: MIT
// One frame of play: frame time, ship steering and motion, firing, the edge
// bounce, motion and animation of every other object, and the camera.
#pragma once

// Reads the application clock through worldServices and the controls from
// InputState; aims the global scene camera at the ship. Needs the ship.
void UpdateWorld();
