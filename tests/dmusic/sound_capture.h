// Helpers for tests that listen to what was played: SDL's disk audio driver
// writes every mixed buffer of the sound device to a file, which the test
// reads once the device has closed; WAV files built in memory; and the
// measurements the tests make on the captured samples.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace sound_test {

// The device format of the DirectMusic layer: 22050 Hz, 16-bit, stereo,
// mixed in buffers of 512 frames.
const int kRate = 22050;
const size_t kBuffer = 512;

// Tests that do not listen play on SDL's dummy driver, never on a real card,
// whatever the environment says.
inline const bool kDummyDriverByDefault = setenv("SDL_AUDIODRIVER", "dummy", 1) == 0;

inline void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
inline size_t Frames(double seconds) {
  return static_cast<size_t>(seconds * kRate);
}

// Routes the next sound device to a file (or, with `driver`, to another
// SDL audio driver) until destroyed.
class DiskAudio {
 public:
  explicit DiskAudio(const char* driver = "disk") {
    path_ = "/tmp/glorbs_audio_" + std::to_string(getpid()) + "_" + std::to_string(serial_++) + ".raw";
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
  }
  ~DiskAudio() {
    std::remove(path_.c_str());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  DiskAudio(const DiskAudio&) = delete;
  DiskAudio& operator=(const DiskAudio&) = delete;

  // The left channel of everything played (the recordings are mono, so
  // both channels carry the same samples). Read after the device closed.
  std::vector<int16_t> Left() const {
    std::ifstream in(path_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> left(bytes.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) {
      const auto lo = static_cast<uint8_t>(bytes[i * 4]);
      const auto hi = static_cast<uint8_t>(bytes[i * 4 + 1]);
      left[i] = static_cast<int16_t>(lo | (hi << 8));
    }
    return left;
  }

 private:
  static inline int serial_ = 0;
  std::string path_;
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

// The start of the mixing buffer a voice began in: voices start on buffer
// boundaries, and a recording's first audible sample comes soon after.
inline size_t VoiceStart(size_t firstLoud) {
  return firstLoud / kBuffer * kBuffer;
}

// True when the samples at `mixed` are exactly the saturated sum of the
// single voice at `single` and a copy of it `lag` frames later, over `count`.
inline bool IsSaturatedSum(const std::vector<int16_t>& s, size_t single, size_t mixed, size_t lag,
                           size_t count) {
  for (size_t k = 0; k < count; ++k) {
    int sum = s[single + k] + (k >= lag ? s[single + k - lag] : 0);
    sum = std::clamp(sum, -32768, 32767);
    if (s[mixed + k] != sum) return false;
  }
  return true;
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
