// SPDX-License-Identifier: MIT
// Fuzz target: any bytes through the sound layer's WAV reader. A file it
// accepts must survive the round trip through the canonical form the mixer
// decodes: the same format and the same whole frames, read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "wave_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  dmusic::WaveData wave;
  const char* why = nullptr;
  if (FAILED(dmusic::ParseWave(bytes, size, &wave, &why))) {
    if (!why || !*why) std::abort();  // every refusal says why
    return 0;
  }
  const size_t frameBytes = static_cast<size_t>(wave.channels) * (wave.bitsPerSample / 8);
  if (frameBytes == 0 || wave.pcm.size() % frameBytes != 0 ||
      wave.FrameCount() * frameBytes != wave.pcm.size())
    std::abort();
  const std::vector<uint8_t> riff = wave.ToRiff();
  dmusic::WaveData again;
  if (FAILED(dmusic::ParseWave(riff.data(), riff.size(), &again, &why))) std::abort();
  if (again.channels != wave.channels || again.samplesPerSec != wave.samplesPerSec ||
      again.bitsPerSample != wave.bitsPerSample || again.pcm != wave.pcm)
    std::abort();
  return 0;
}
