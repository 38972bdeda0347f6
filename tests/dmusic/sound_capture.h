// SPDX-License-Identifier: MIT
// Helpers for tests that listen to what was played: the mix is rendered
// offline through the sound layer's own mixing routine while the device is
// held, so what a test hears does not depend on the wall clock; WAV files
// built in memory; and the measurements the tests make on the samples.
#pragma once

#include <dmusic/offline_mix.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace sound_test {

// The device format of the DirectMusic layer: 22050 Hz, 16-bit, stereo.
const int kRate = 22050;

// Tests play on SDL's dummy driver, never on a real card, whatever the
// environment says.
inline const bool kDummyDriverByDefault = setenv("SDL_AUDIODRIVER", "dummy", 1) == 0;

inline size_t Frames(double seconds) {
  return static_cast<size_t>(std::lround(seconds * kRate));
}

// Routes the next sound device to another SDL audio driver (one that does
// not exist, to play a machine without sound) until destroyed.
class AudioDriver {
 public:
  explicit AudioDriver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }
  ~AudioDriver() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  AudioDriver(const AudioDriver&) = delete;
  AudioDriver& operator=(const AudioDriver&) = delete;
};

// Holds the sound device while it lives: nothing is mixed but what the test
// renders, and the stream clock moves only then.
class OfflineMix {
 public:
  OfflineMix() { dmusic::HoldSoundDevice(true); }
  ~OfflineMix() { dmusic::HoldSoundDevice(false); }
  OfflineMix(const OfflineMix&) = delete;
  OfflineMix& operator=(const OfflineMix&) = delete;

  // Mixes `seconds` (or `frames`) more; the left channel (the recordings
  // are mono, so both carry the same samples) is appended to `heard` and
  // returned.
  std::vector<int16_t> Render(double seconds) { return RenderFrames(Frames(seconds)); }
  std::vector<int16_t> RenderFrames(size_t frames) {
    const std::vector<int16_t> stereo = dmusic::RenderMix(frames);
    std::vector<int16_t> left(stereo.size() / 2);
    for (size_t i = 0; i < left.size(); ++i) left[i] = stereo[2 * i];
    heard.insert(heard.end(), left.begin(), left.end());
    return left;
  }
  std::vector<int16_t> heard;
};

// Indices of the first and last sample louder than `threshold` in
// [from, to); first == to when everything there is quieter.
struct Span {
  size_t first = 0;
  size_t last = 0;
  size_t Length() const { return last - first + 1; }
};
inline Span Loud(const std::vector<int16_t>& s, size_t from, size_t to, int threshold = 64) {
  to = std::min(to, s.size());
  Span span{to, to};
  for (size_t i = from; i < to; ++i) {
    if (std::abs(s[i]) > threshold) {
      if (span.first == to) span.first = i;
      span.last = i;
    }
  }
  return span;
}

inline int Peak(const std::vector<int16_t>& s, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i < std::min(to, s.size()); ++i)
    peak = std::max(peak, std::abs(static_cast<int>(s[i])));
  return peak;
}

// Samples at full scale, where the sum would have clipped.
inline size_t FullScale(const std::vector<int16_t>& s) {
  return static_cast<size_t>(
      std::count_if(s.begin(), s.end(), [](int16_t x) { return x >= 32767 || x <= -32767; }));
}

// A RIFF WAVE file of 16-bit samples.
inline std::vector<uint8_t> MakeWav(const std::vector<int16_t>& samples, int rate = 11025, int channels = 1) {
  std::vector<uint8_t> v;
  auto put = [&v](uint32_t x, int bytes) {
    for (int i = 0; i < bytes; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
  };
  auto tag = [&v](const char* t) { v.insert(v.end(), t, t + 4); };
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  tag("RIFF");
  put(36 + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(1, 2);
  put(static_cast<uint32_t>(channels), 2);
  put(static_cast<uint32_t>(rate), 4);
  put(static_cast<uint32_t>(rate * channels * 2), 4);
  put(static_cast<uint32_t>(channels * 2), 2);
  put(16, 2);
  tag("data");
  put(dataBytes, 4);
  for (int16_t x : samples) put(static_cast<uint16_t>(x), 2);
  return v;
}

// A sine tone at 11025 Hz, mono.
inline std::vector<int16_t> Tone(double seconds, double hz, int amplitude) {
  std::vector<int16_t> s(static_cast<size_t>(seconds * 11025));
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<int16_t>(amplitude *
                                std::sin(2 * 3.14159265358979 * hz * static_cast<double>(i) / 11025));
  return s;
}

}  // namespace sound_test
