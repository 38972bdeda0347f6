// SPDX-License-Identifier: MIT
// Whether the desktop offers a display at all, asked before the game starts:
// SDL falls back to drivers that draw nowhere, and a game started without a
// display would then run unseen.
#pragma once

namespace host {

// Starts SDL's video with the driver SDL picks itself, notes whether that
// driver shows windows (anything but "offscreen" and "dummy"), and stops it
// again. False also when no driver starts. Call it only when the user asked
// for no driver (SDL_VIDEODRIVER unset): an asked-for driver is the user's
// choice, headless ones included.
bool DefaultDisplayFound();

}  // namespace host
