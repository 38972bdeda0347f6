// SPDX-License-Identifier: MIT
// RIFF WAVE writing and reading (little-endian, chunk by chunk).
#include "wav.h"

#include "bytes.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace gen {
namespace {

void PutTag(std::vector<uint8_t>& b, const char* tag) {
  b.insert(b.end(), tag, tag + 4);
}
}  // namespace

bool WriteWav(const std::string& path, const std::vector<float>& samples, uint32_t sampleRate) {
  uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> b;
  PutTag(b, "RIFF");
  Put32(b, 36 + dataBytes + (dataBytes & 1));
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, sampleRate);
  Put32(b, sampleRate * 2);
  Put16(b, 2);
  Put16(b, 16);
  PutTag(b, "data");
  Put32(b, dataBytes);
  for (float s : samples) {
    float c = s > 1.0f ? 1.0f : (s < -1.0f ? -1.0f : s);
    long q = std::lround(c * 32767.0f);
    Put16(b, static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(q))));
  }
  return WriteFile(path, b);
}

bool ReadWav(const std::string& path, WavInfo* out) {
  std::vector<uint8_t> b;
  if (!ReadFile(path, &b)) return false;
  if (b.size() < 12 || std::memcmp(&b[0], "RIFF", 4) != 0 || std::memcmp(&b[8], "WAVE", 4) != 0) return false;
  bool haveFmt = false, haveData = false;
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    uint32_t size = Get32(&b[pos + 4]);
    const uint8_t* body = &b[pos + 8];
    if (size > b.size() - pos - 8) return false;
    if (std::memcmp(&b[pos], "fmt ", 4) == 0 && size >= 16) {
      out->format = static_cast<uint16_t>(Get16(body));
      out->channels = static_cast<uint16_t>(Get16(body + 2));
      out->sampleRate = Get32(body + 4);
      out->byteRate = Get32(body + 8);
      out->blockAlign = static_cast<uint16_t>(Get16(body + 12));
      out->bitsPerSample = static_cast<uint16_t>(Get16(body + 14));
      haveFmt = true;
    } else if (std::memcmp(&b[pos], "data", 4) == 0) {
      if (!haveFmt || out->bitsPerSample != 16 || out->channels == 0) return false;
      size_t frames = size / (2u * out->channels);
      out->samples.resize(frames);
      for (size_t i = 0; i < frames; ++i)
        out->samples[i] = static_cast<int16_t>(Get16(body + i * 2 * out->channels));
      haveData = true;
    }
    pos += 8 + size + (size & 1);
  }
  return haveFmt && haveData;
}

}  // namespace gen
