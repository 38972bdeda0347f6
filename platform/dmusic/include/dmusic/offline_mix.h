// SPDX-License-Identifier: MIT
// Rendering the DirectMusic layer's mix without the wall clock: while the
// device is held, its own audio thread plays silence and the stream clock
// stands still; RenderMix then runs the very mixing routine the device
// runs, frame for frame, so what it returns is what a listener would hear.
// For tests and tools; the game never holds the device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dmusic {

// Holds (true) or releases (false) the sound device's own thread. May be
// set before the device opens; it stays in force across closes and opens.
void HoldSoundDevice(bool hold);

// The next `frames` frames of the mix, interleaved stereo 16-bit at the
// device rate (22050 Hz), advancing the stream clock as the device would.
// Silence while no device is open.
std::vector<int16_t> RenderMix(size_t frames);

}  // namespace dmusic
