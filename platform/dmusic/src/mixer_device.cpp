// SDL2_mixer behind the performance: device reference count, decoding,
// voices and their owners, and the stream clock that timed stops follow.
// The only file of the project that includes SDL_mixer; reasons for
// failures go to the debugger output.
#include "mixer_device.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <atomic>
#include <string>

#include "diagnostics.h"

namespace dmusic {
namespace mixer {
namespace {

const int kFirstVoices = 32;
// Far more than any game plays at once; a cap keeps a runaway caller from
// eating memory one voice at a time.
const int kMaxVoices = 1024;
const int kFrameBytes = 2 * kChannels;

struct Voice {
  const void* owner = nullptr;
  bool primary = false;
};

// Main-thread state.
struct Device {
  int users = 0;
  std::vector<Voice> voices;
};

Device& State() {
  static Device device;
  return device;
}

// Shared with the audio thread: the clock, how many voices exist, and the
// frame at which each voice is to stop (0: none). A voice's deadline is
// cleared whenever it stops, so a later sound on it never inherits it.
std::atomic<uint64_t> framesMixed{0};
std::atomic<int> voiceCount{0};
std::array<std::atomic<uint64_t>, kMaxVoices> deadlines{};

// After each buffer: voices due by the start of the next one stop now.
void AfterMix(void*, Uint8*, int len) {
  const uint64_t next = framesMixed.fetch_add(static_cast<uint64_t>(len / kFrameBytes)) +
                        static_cast<uint64_t>(len / kFrameBytes);
  const int count = voiceCount.load();
  for (int ch = 0; ch < count; ++ch) {
    const uint64_t due = deadlines[static_cast<size_t>(ch)].load();
    if (due != 0 && due <= next) Mix_HaltChannel(ch);
  }
}

void VoiceDone(int channel) {
  if (channel >= 0 && channel < kMaxVoices) deadlines[static_cast<size_t>(channel)] = 0;
}

void SetVoiceCount(int count) {
  State().voices.resize(static_cast<size_t>(count));
  voiceCount = count;
}

// Voices that are not playing have no owner, whatever they played before.
bool Owned(int channel, const void* owner, const Mix_Chunk* chunk) {
  const Voice& v = State().voices[static_cast<size_t>(channel)];
  if (v.owner != owner || !Mix_Playing(channel)) return false;
  return !chunk || Mix_GetChunk(channel) == chunk;
}

int FreeVoice() {
  Device& d = State();
  for (int ch = 0; ch < static_cast<int>(d.voices.size()); ++ch) {
    if (!Mix_Playing(ch)) return ch;
  }
  if (static_cast<int>(d.voices.size()) >= kMaxVoices) return -1;
  const int before = static_cast<int>(d.voices.size());
  SetVoiceCount(Mix_AllocateChannels(before * 2 < kMaxVoices ? before * 2 : kMaxVoices));
  return static_cast<int>(d.voices.size()) > before ? before : -1;
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
  framesMixed = 0;
  for (auto& due : deadlines) due = 0;
  // allowed_changes 0: SDL converts to exactly this format, whatever the card.
  if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) != 0) {
    Say(std::string("the sound device does not open: ") + Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SetVoiceCount(Mix_AllocateChannels(kFirstVoices));
  Mix_ChannelFinished(VoiceDone);
  Mix_SetPostMix(AfterMix, nullptr);
  d.users = 1;
  return true;
}

void Close() {
  Device& d = State();
  if (d.users == 0 || --d.users > 0) return;
  Mix_SetPostMix(nullptr, nullptr);
  Mix_HaltChannel(-1);
  Mix_ChannelFinished(nullptr);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  SetVoiceCount(0);
}

bool IsOpen() {
  return State().users > 0;
}

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
  if (!IsOpen() || !chunk) return false;
  const int channel = FreeVoice();
  if (channel < 0) {
    Say("no free voice: " + std::to_string(kMaxVoices) + " sounds are playing");
    return false;
  }
  deadlines[static_cast<size_t>(channel)] = 0;
  if (Mix_PlayChannel(channel, chunk, loops) < 0) {
    Say(std::string("a voice does not start: ") + Mix_GetError());
    return false;
  }
  State().voices[static_cast<size_t>(channel)] = {owner, primary};
  return true;
}

void Stop(const void* owner, const Mix_Chunk* chunk, uint64_t atFrame, bool primaryOnly) {
  Device& d = State();
  if (!IsOpen()) return;
  const bool now = atFrame <= framesMixed.load();
  for (int ch = 0; ch < static_cast<int>(d.voices.size()); ++ch) {
    if (!Owned(ch, owner, chunk) || (primaryOnly && !d.voices[static_cast<size_t>(ch)].primary)) continue;
    if (now)
      Mix_HaltChannel(ch);
    else
      deadlines[static_cast<size_t>(ch)] = atFrame;
  }
}

bool IsPlaying(const void* owner, const Mix_Chunk* chunk) {
  for (int ch = 0; IsOpen() && ch < static_cast<int>(State().voices.size()); ++ch) {
    if (Owned(ch, owner, chunk)) return true;
  }
  return false;
}

uint64_t Now() {
  return framesMixed.load();
}

}  // namespace mixer
}  // namespace dmusic
