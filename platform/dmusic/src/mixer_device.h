// SPDX-License-Identifier: MIT
// The one sound device of the process, on SDL2_mixer: opened by the first
// performance that starts its audio, closed when the last one closes down.
// Every mixer voice remembers which performance started it, so a
// performance stops and counts only its own sounds. Main thread only;
// the voices are mixed on SDL's audio thread, or by RenderMix while the
// device is held (dmusic/offline_mix.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Mix_Chunk;

namespace dmusic {
namespace mixer {

// The device format: 22050 frames per second, 16-bit signed, stereo,
// handed to the device in buffers of 512 frames.
const int kRate = 22050;
const int kChannels = 2;
const int kBufferFrames = 512;

// True when the device is open (one more user); false, with the reason
// on the debugger output, when no sound device can be opened.
bool Open();
// One user fewer; the last closes the device and halts everything.
void Close();
bool IsOpen();

// The recording decoded into the device format; null (reason on the
// debugger output) when SDL_mixer refuses it or the device is closed.
Mix_Chunk* Decode(const std::vector<uint8_t>& riff);
// Halts the chunk's voices and frees it; null is ignored.
void Free(Mix_Chunk* chunk);

// Starts the chunk on a free voice (more voices are made as needed) with
// `loops` extra plays (-1: endless); it sounds from the next frame mixed.
// False when no voice can be had.
bool Play(const void* owner, Mix_Chunk* chunk, int loops, bool primary);
// The owner's voices playing `chunk` (all of them for null; only primary
// ones with `primaryOnly`) stop at stream frame `atFrame`: the frames
// before it are the last they play. A frame already mixed means now.
void Stop(const void* owner, const Mix_Chunk* chunk, uint64_t atFrame, bool primaryOnly = false);
bool IsPlaying(const void* owner, const Mix_Chunk* chunk);
// The device's clock: frames mixed since it opened. Sounds started now
// begin at this frame.
uint64_t Now();

}  // namespace mixer
}  // namespace dmusic
