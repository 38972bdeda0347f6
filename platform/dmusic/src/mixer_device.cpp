// SPDX-License-Identifier: MIT
// SDL2_mixer behind the performance: device reference count, decoding, and
// our own voice mixer. SDL_mixer opens the device and converts recordings
// to its format; the voices are summed here (in SDL_mixer's music hook), so
// the sum can be limited smoothly instead of saturating. The only file of
// the project that includes SDL_mixer; reasons for failures go to the
// debugger output.
#include "mixer_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <host/replay.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>

#include <dmusic/offline_mix.h>

#include "diagnostics.h"

namespace dmusic {
namespace mixer {
namespace {

// Far more than any game plays at once; a cap keeps a runaway caller from
// eating memory one voice at a time.
const size_t kMaxVoices = 1024;

// Headroom: a sum up to kKnee passes bit for bit, so a single effect keeps
// its level; a louder block of kLimiterFrames brings the limiter's gain down
// until its peak is at the knee, and the gain recovers over
// kReleaseSeconds. A soft knee up to kCeiling stands behind it, so whatever
// happens no sample reaches full scale.
const float kKnee = 22000.0f;
const float kCeiling = 32000.0f;
const size_t kLimiterFrames = 64;
const float kReleaseSeconds = 0.2f;
const float kReleaseStep = static_cast<float>(kLimiterFrames) / (kReleaseSeconds * kRate);

struct Voice {
  const Mix_Chunk* chunk = nullptr;
  int channels = kChannels;  // the chunk's: 1 when both sides were the same
  const void* owner = nullptr;
  bool primary = false;
  bool active = false;
  uint32_t position = 0;  // frames played of the current pass
  int loopsLeft = 0;      // -1: endless
  uint64_t deadline = 0;  // stream frame at which it falls silent; 0: none
};

// Shared by the main thread and the audio thread, always under `lock`.
struct Mix {
  std::mutex lock;
  std::vector<Voice> voices;
  uint64_t framesMixed = 0;
  float gain = 1.0f;
  bool held = false;
};

Mix& Shared() {
  static Mix mix;
  return mix;
}

int users = 0;  // main thread only

// Chunks decoded with both channels equal, kept as one (main thread only).
std::unordered_set<const Mix_Chunk*> monoChunks;

// SDL converts a recording in a buffer several times the size of its
// result, and the chunk keeps all of it. The game's recordings are mono:
// converted, both channels are the same, so one is kept; either way the
// chunk's buffer becomes exactly its samples. What is played is unchanged.
void Compact(Mix_Chunk* chunk) {
  if (!chunk->allocated) return;
  const auto* pcm = reinterpret_cast<const int16_t*>(chunk->abuf);
  const uint32_t frames = chunk->alen / static_cast<uint32_t>(sizeof(int16_t) * kChannels);
  bool mono = true;
  for (uint32_t i = 0; i < frames && mono; ++i) mono = pcm[2 * i] == pcm[2 * i + 1];
  const uint32_t length = mono ? frames * static_cast<uint32_t>(sizeof(int16_t)) : chunk->alen;
  auto* kept = static_cast<Uint8*>(SDL_malloc(length ? length : 1));
  if (!kept) return;  // the big buffer stays; it plays just the same
  auto* out = reinterpret_cast<int16_t*>(kept);
  if (mono)
    for (uint32_t i = 0; i < frames; ++i) out[i] = pcm[2 * i];
  else
    std::memcpy(kept, chunk->abuf, length);
  SDL_free(chunk->abuf);
  chunk->abuf = kept;
  chunk->alen = length;
  if (mono) monoChunks.insert(chunk);
}

// Adds the voice's next `frames` frames into `acc` (stereo); retires it at
// its end or its deadline. `start` is the stream frame of acc[0].
void AddVoice(Voice& v, int32_t* acc, size_t frames, uint64_t start) {
  const auto* pcm = reinterpret_cast<const int16_t*>(v.chunk->abuf);
  const uint32_t length = v.chunk->alen / static_cast<uint32_t>(sizeof(int16_t) * v.channels);
  const uint32_t right = v.channels == 2 ? 1 : 0;  // where a frame's right sample is
  size_t limit = frames;
  if (v.deadline != 0) limit = v.deadline <= start ? 0 : std::min<uint64_t>(frames, v.deadline - start);
  for (size_t i = 0; i < limit; ++i) {
    if (v.position >= length) {
      if (v.loopsLeft == 0 || length == 0) {
        v.active = false;
        return;
      }
      if (v.loopsLeft > 0) --v.loopsLeft;
      v.position = 0;
    }
    const uint32_t at = v.position * v.channels;
    acc[2 * i] += pcm[at];
    acc[2 * i + 1] += pcm[at + right];
    ++v.position;
  }
  // A voice that has played its last frame, or reached its deadline, is
  // done now, so it is not reported as playing once this block is mixed.
  if (v.deadline != 0 && v.deadline <= start + frames) v.active = false;
  if (v.position >= length && v.loopsLeft == 0) v.active = false;
}

float SoftKnee(float x) {
  const float magnitude = std::fabs(x);
  if (magnitude <= kKnee) return x;
  const float room = kCeiling - kKnee;
  return std::copysign(kKnee + room * std::tanh((magnitude - kKnee) / room), x);
}

// One limiter block: the gain drops at once to what keeps this block's
// peak at the knee (a step between blocks of a dense sum is inaudible, a
// clipped peak is not), and glides back up over the release time.
void Limit(Mix& mix, const int32_t* acc, int16_t* out, size_t frames) {
  int32_t peak = 0;
  for (size_t i = 0; i < 2 * frames; ++i) peak = std::max(peak, std::abs(acc[i]));
  const float wanted = peak > kKnee ? kKnee / static_cast<float>(peak) : 1.0f;
  const float from = wanted < mix.gain ? wanted : mix.gain;
  const float to = std::min(wanted, from + kReleaseStep);
  for (size_t i = 0; i < frames; ++i) {
    const float g = from + (to - from) * static_cast<float>(i + 1) / static_cast<float>(frames);
    for (size_t c = 0; c < 2; ++c) {
      const float x = g == 1.0f ? static_cast<float>(acc[2 * i + c]) : static_cast<float>(acc[2 * i + c]) * g;
      out[2 * i + c] = static_cast<int16_t>(std::lrint(SoftKnee(x)));
    }
  }
  mix.gain = to;
}

// The mixing routine of the device: `frames` frames into `out`, with the
// lock held.
void MixLocked(Mix& mix, int16_t* out, size_t frames) {
  int32_t acc[2 * kLimiterFrames];
  for (size_t done = 0; done < frames;) {
    const size_t n = std::min(kLimiterFrames, frames - done);
    std::fill(acc, acc + 2 * n, 0);
    for (Voice& v : mix.voices)
      if (v.active) AddVoice(v, acc, n, mix.framesMixed);
    Limit(mix, acc, out + 2 * done, n);
    mix.framesMixed += n;
    done += n;
  }
}

// SDL_mixer's music hook, on the audio thread: the stream arrives silent.
void DeviceMix(void*, Uint8* stream, int len) {
  Mix& mix = Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  if (mix.held || len <= 0) return;
  MixLocked(mix, reinterpret_cast<int16_t*>(stream),
            static_cast<size_t>(len) / (sizeof(int16_t) * kChannels));
}

bool Matches(const Voice& v, const void* owner, const Mix_Chunk* chunk) {
  return v.active && v.owner == owner && (!chunk || v.chunk == chunk);
}

bool OpenDevice() {
  if (users > 0) {
    ++users;
    return true;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    DiagnoseOnce(DIAG_AUDIO_NOT_STARTED, std::string("SDL audio does not start: ") + SDL_GetError());
    return false;
  }
  // allowed_changes 0: SDL converts to exactly this format, whatever the card.
  if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) != 0) {
    DiagnoseOnce(DIAG_DEVICE_NOT_OPENED, std::string("the sound device does not open: ") + Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  {
    Mix& mix = Shared();
    std::lock_guard<std::mutex> guard(mix.lock);
    mix.voices.clear();
    mix.framesMixed = 0;
    mix.gain = 1.0f;
  }
  Mix_AllocateChannels(0);  // SDL_mixer's own voices stay unused
  Mix_HookMusic(DeviceMix, nullptr);
  users = 1;
  return true;
}

}  // namespace

// Whether the card opened is a fact of this machine: a replay records it.
bool Open() {
  return host::replay::SoundDeviceOpening(OpenDevice);
}

void Close() {
  if (users == 0 || --users > 0) return;
  Mix_HookMusic(nullptr, nullptr);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  Mix& mix = Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  mix.voices.clear();
}

bool IsOpen() {
  return users > 0;
}

Mix_Chunk* Decode(const std::vector<uint8_t>& riff) {
  if (!IsOpen()) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(riff.data(), static_cast<int>(riff.size()));
  Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
  if (!chunk) Diagnose(DIAG_NOT_DECODED, std::string("a recording does not decode: ") + Mix_GetError());
  if (chunk) Compact(chunk);
  return chunk;
}

void Free(Mix_Chunk* chunk) {
  if (!chunk) return;
  {
    Mix& mix = Shared();
    std::lock_guard<std::mutex> guard(mix.lock);
    for (Voice& v : mix.voices)
      if (v.chunk == chunk) v.active = false;
  }
  monoChunks.erase(chunk);
  Mix_FreeChunk(chunk);
}

bool Play(const void* owner, Mix_Chunk* chunk, int loops, bool primary) {
  if (!IsOpen() || !chunk) return false;
  Mix& mix = Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  Voice voice;
  voice.chunk = chunk;
  voice.channels = monoChunks.count(chunk) ? 1 : kChannels;
  voice.owner = owner;
  voice.primary = primary;
  voice.active = true;
  voice.loopsLeft = loops;
  auto free = std::find_if(mix.voices.begin(), mix.voices.end(), [](const Voice& v) { return !v.active; });
  if (free != mix.voices.end()) {
    *free = voice;
    return true;
  }
  if (mix.voices.size() >= kMaxVoices) {
    Diagnose(DIAG_NO_FREE_VOICE, "no free voice: " + std::to_string(kMaxVoices) + " sounds are playing");
    return false;
  }
  mix.voices.push_back(voice);
  return true;
}

void Stop(const void* owner, const Mix_Chunk* chunk, uint64_t atFrame, bool primaryOnly) {
  if (!IsOpen()) return;
  Mix& mix = Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  const bool now = atFrame <= mix.framesMixed;
  for (Voice& v : mix.voices) {
    if (!Matches(v, owner, chunk) || (primaryOnly && !v.primary)) continue;
    if (now)
      v.active = false;
    else if (v.deadline == 0 || atFrame < v.deadline)
      v.deadline = atFrame;
  }
}

bool IsPlaying(const void* owner, const Mix_Chunk* chunk) {
  if (!IsOpen()) return false;
  Mix& mix = Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  return std::any_of(mix.voices.begin(), mix.voices.end(),
                     [&](const Voice& v) { return Matches(v, owner, chunk); });
}

uint64_t Now() {
  Mix& mix = Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  return mix.framesMixed;
}

}  // namespace mixer

void HoldSoundDevice(bool hold) {
  mixer::Mix& mix = mixer::Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  mix.held = hold;
}

std::vector<int16_t> RenderMix(size_t frames) {
  std::vector<int16_t> out(frames * mixer::kChannels, 0);
  if (!mixer::IsOpen()) return out;
  mixer::Mix& mix = mixer::Shared();
  std::lock_guard<std::mutex> guard(mix.lock);
  mixer::MixLocked(mix, out.data(), frames);
  return out;
}

}  // namespace dmusic
