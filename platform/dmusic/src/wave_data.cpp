// SPDX-License-Identifier: MIT
// RIFF WAVE parsing and re-serialising. Little-endian fields are read byte
// by byte, so the code does not depend on alignment or host byte order.
#include "wave_data.h"

#include <dmusici.h>

#include <cstring>

namespace dmusic {
namespace {

const uint16_t kWaveFormatPcm = 1;

uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, static_cast<uint16_t>(x));
  Put16(v, static_cast<uint16_t>(x >> 16));
}
void PutTag(std::vector<uint8_t>& v, const char* tag) {
  v.insert(v.end(), tag, tag + 4);
}

HRESULT Refuse(HRESULT hr, const char* reason, const char** why) {
  if (why) *why = reason;
  return hr;
}

struct Chunk {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

// The "fmt " and "data" chunks inside the RIFF body [p, end).
HRESULT FindChunks(const uint8_t* p, const uint8_t* end, Chunk* fmt, Chunk* data, const char** why) {
  while (end - p >= 8) {
    const uint32_t size = Read32(p + 4);
    const uint8_t* body = p + 8;
    if (size > static_cast<size_t>(end - body))
      return Refuse(DMUS_E_INVALIDFILE, "a chunk runs past the end", why);
    if (std::memcmp(p, "fmt ", 4) == 0 && !fmt->data) *fmt = {body, size};
    if (std::memcmp(p, "data", 4) == 0 && !data->data) *data = {body, size};
    // Chunks are padded to an even size; a missing pad after the last one is harmless.
    const size_t step = size + (size & 1u);
    p = step <= static_cast<size_t>(end - body) ? body + step : end;
  }
  if (!fmt->data) return Refuse(DMUS_E_INVALIDFILE, "no format chunk", why);
  if (!data->data) return Refuse(DMUS_E_INVALIDFILE, "no data chunk", why);
  return S_OK;
}

}  // namespace

size_t WaveData::FrameCount() const {
  const size_t frameBytes = static_cast<size_t>(channels) * (bitsPerSample / 8);
  return frameBytes ? pcm.size() / frameBytes : 0;
}

std::vector<uint8_t> WaveData::ToRiff() const {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * (bitsPerSample / 8));
  std::vector<uint8_t> v;
  v.reserve(44 + pcm.size());
  PutTag(v, "RIFF");
  Put32(v, static_cast<uint32_t>(36 + pcm.size()));
  PutTag(v, "WAVE");
  PutTag(v, "fmt ");
  Put32(v, 16);
  Put16(v, kWaveFormatPcm);
  Put16(v, channels);
  Put32(v, samplesPerSec);
  Put32(v, samplesPerSec * blockAlign);
  Put16(v, blockAlign);
  Put16(v, bitsPerSample);
  PutTag(v, "data");
  Put32(v, static_cast<uint32_t>(pcm.size()));
  v.insert(v.end(), pcm.begin(), pcm.end());
  return v;
}

HRESULT ParseWave(const uint8_t* bytes, size_t size, WaveData* out, const char** why) {
  if (!bytes || size < 12) return Refuse(DMUS_E_INVALIDFILE, "shorter than a RIFF header", why);
  if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
    return Refuse(DMUS_E_INVALIDFILE, "not a RIFF WAVE file", why);
  const uint32_t riffSize = Read32(bytes + 4);
  if (riffSize < 4 || riffSize > size - 8)
    return Refuse(DMUS_E_INVALIDFILE, "truncated (RIFF size past the end)", why);

  Chunk fmt;
  Chunk data;
  HRESULT hr = FindChunks(bytes + 12, bytes + 8 + riffSize, &fmt, &data, why);
  if (FAILED(hr)) return hr;
  if (fmt.size < 16) return Refuse(DMUS_E_INVALIDFILE, "format chunk too short", why);

  const uint16_t tag = Read16(fmt.data);
  const uint16_t channels = Read16(fmt.data + 2);
  const uint32_t rate = Read32(fmt.data + 4);
  const uint16_t blockAlign = Read16(fmt.data + 12);
  const uint16_t bits = Read16(fmt.data + 14);
  if (tag != kWaveFormatPcm) return Refuse(DMUS_E_NOTPCM, "not integer PCM", why);
  if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 1000 || rate > 192000)
    return Refuse(DMUS_E_NOTPCM, "unsupported channels, bits or rate", why);
  if (blockAlign != channels * (bits / 8))
    return Refuse(DMUS_E_INVALIDFILE, "block align does not match", why);

  out->channels = channels;
  out->samplesPerSec = rate;
  out->bitsPerSample = bits;
  out->pcm.assign(data.data, data.data + (data.size - data.size % blockAlign));
  return S_OK;
}

}  // namespace dmusic
