// SPDX-License-Identifier: MIT
// RIFF WAVE files of the game's recordings: PCM, 16-bit, mono. The writer
// takes float samples in [-1, 1]; the reader returns the format fields so
// tests can check them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace gen {

struct WavInfo {
  uint16_t format = 0;  // 1 = PCM
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  std::vector<int16_t> samples;  // first channel only
};

bool WriteWav(const std::string& path, const std::vector<float>& samples, uint32_t sampleRate);
// Reads a RIFF WAVE with a 'fmt ' and a 'data' chunk in any order; false on
// anything malformed or truncated.
bool ReadWav(const std::string& path, WavInfo* out);

}  // namespace gen
