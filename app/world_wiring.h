// SPDX-License-Identifier: MIT
// The real services of the world's import table (world/world_services.h):
// the frame timer's application time, the multimedia millisecond clock, the
// main window's close message, the game's sound effects and the scene camera.
#pragma once

#include "world/world_services.h"

WorldServices GameWorldServices();
