// SPDX-License-Identifier: MIT
// RIFF WAVE files as the loader accepts them: integer PCM, 8 or 16 bits,
// one or two channels. Parsing checks every size against the bytes given,
// so a truncated or damaged file is refused, never read past its end.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dmusic {

struct WaveData {
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint16_t bitsPerSample = 0;
  std::vector<uint8_t> pcm;  // whole frames only

  // The recording as a canonical 44-byte-header RIFF file, for the decoder.
  std::vector<uint8_t> ToRiff() const;
  size_t FrameCount() const;
};

// S_OK and `out` filled; DMUS_E_INVALIDFILE for data that is not a complete
// RIFF WAVE file; DMUS_E_NOTPCM for a format other than 8/16-bit PCM with
// one or two channels. `why` (may be null) receives a short reason.
HRESULT ParseWave(const uint8_t* bytes, size_t size, WaveData* out, const char** why);

}  // namespace dmusic
