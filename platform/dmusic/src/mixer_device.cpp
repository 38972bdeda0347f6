// SDL2_mixer behind the performance: device reference count, decoding,
// voices and their owners. The only file of the project that includes
// SDL_mixer; reasons for failures go to the debugger output.
#include "mixer_device.h"

#include "diagnostics.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <string>

namespace dmusic {
namespace mixer {
namespace {

const int kFirstVoices = 32;
// Far more than any game plays at once; a cap keeps a runaway caller from
// eating memory one voice at a time.
const int kMaxVoices = 1024;

struct Voice {
  const void* owner = nullptr;
  bool primary = false;
};

struct Device {
  int users = 0;
  std::vector<Voice> voices;
};

Device& State() {
  static Device device;
  return device;
}

// Voices that are not playing have no owner, whatever they played before.
bool Owned(int channel, const void* owner, const Mix_Chunk* chunk) {
  const Voice& v = State().voices[static_cast<size_t>(channel)];
  if (v.owner != owner || !Mix_Playing(channel)) return false;
  return !chunk || Mix_GetChunk(channel) == chunk;
}

}  // namespace

bool Open() {
  Device& d = State();
  if (d.users > 0) {
    ++d.users;
    return true;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Say(std::string("no sound device: ") + SDL_GetError());
    return false;
  }
  // allowed_changes 0: SDL converts to exactly this format, whatever the card.
  if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) != 0) {
    Say(std::string("the sound device does not open: ") + Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  d.voices.assign(static_cast<size_t>(Mix_AllocateChannels(kFirstVoices)), Voice());
  d.users = 1;
  return true;
}

void Close() {
  Device& d = State();
  if (d.users == 0 || --d.users > 0) return;
  Mix_HaltChannel(-1);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  d.voices.clear();
}

bool IsOpen() { return State().users > 0; }

Mix_Chunk* Decode(const std::vector<uint8_t>& riff) {
  if (!IsOpen()) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(riff.data(), static_cast<int>(riff.size()));
  Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
  if (!chunk) Say(std::string("a recording does not decode: ") + Mix_GetError());
  return chunk;
}

void Free(Mix_Chunk* chunk) {
  // Mix_FreeChunk halts every voice still playing the chunk first.
  if (chunk) Mix_FreeChunk(chunk);
}

bool Play(const void* owner, Mix_Chunk* chunk, int loops, bool primary) {
  Device& d = State();
  if (!IsOpen() || !chunk) return false;
  int channel = Mix_PlayChannel(-1, chunk, loops);
  while (channel < 0 && static_cast<int>(d.voices.size()) < kMaxVoices) {
    const int more = static_cast<int>(d.voices.size()) * 2;
    d.voices.resize(static_cast<size_t>(Mix_AllocateChannels(more < kMaxVoices ? more : kMaxVoices)));
    channel = Mix_PlayChannel(-1, chunk, loops);
  }
  if (channel < 0) {
    Say(std::string("no free voice: ") + Mix_GetError());
    return false;
  }
  d.voices[static_cast<size_t>(channel)] = {owner, primary};
  return true;
}

void Stop(const void* owner, const Mix_Chunk* chunk, uint32_t delayMs, bool primaryOnly) {
  Device& d = State();
  if (!IsOpen()) return;
  for (int ch = 0; ch < static_cast<int>(d.voices.size()); ++ch) {
    if (!Owned(ch, owner, chunk) || (primaryOnly && !d.voices[static_cast<size_t>(ch)].primary)) continue;
    // Mix_ExpireChannel takes 0 as "never"; the mixer halts an expired
    // voice at the first buffer it starts after the deadline.
    if (delayMs == 0)
      Mix_HaltChannel(ch);
    else
      Mix_ExpireChannel(ch, static_cast<int>(delayMs));
  }
}

bool IsPlaying(const void* owner, const Mix_Chunk* chunk) {
  for (int ch = 0; IsOpen() && ch < static_cast<int>(State().voices.size()); ++ch) {
    if (Owned(ch, owner, chunk)) return true;
  }
  return false;
}

uint64_t Ticks() { return SDL_GetTicks64(); }

}  // namespace mixer
}  // namespace dmusic
