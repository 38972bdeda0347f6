// SPDX-License-Identifier: MIT
// The replay session of the process: off, recording (each outside value is
// appended to the file as the program takes it) or playing (each is taken
// from the file instead, in the same order, and must be asked for in that
// order: anything else is a divergence, which stops the program at once with
// the frame named, as does a world checksum that differs).
#include <SDL.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host_state.h"
#include "replay_codec.h"

namespace host {
namespace replay {

namespace {

constexpr size_t kFlushBytes = 64 * 1024;
constexpr uintmax_t kLargestReplay = 512u * 1024 * 1024;

struct Session {
  Mode mode = Mode::Off;
  uint64_t frame = 0;
  WorldChecksum checksum = nullptr;
  FrameObserver observer = nullptr;
  void* observerUser = nullptr;
  ClockSource clockSource = nullptr;
  PumpObserver pumpObserver = nullptr;
  void* pumpObserverUser = nullptr;
  uint64_t pumpsSinceFrame = 0;

  // Recording.
  std::string path;
  FILE* out = nullptr;
  std::vector<uint8_t> pending;  // encoded, not yet written
  uint32_t written = kFnvBasis;  // checksum of the bytes written so far
  Encoder encoder;
  uint32_t checkInterval = kDefaultCheckInterval;
  bool inPump = false;
  int64_t pumpedEvents = 0;

  // Playing.
  ReplayFile file;
  size_t next = 0;
  bool unpaced = false;
  bool swapIntervalCleared = false;
  uint64_t checksumsMatched = 0;
};

Session& S() {
  static Session session;
  return session;
}

[[noreturn]] void Diverge(const std::string& what) {
  std::fprintf(stderr, "glorbs3d: the replay diverged at frame %" PRIu64 ": %s\n", S().frame, what.c_str());
  std::fflush(stderr);
  // The program is mid-frame: leave without running its shut-down.
  std::_Exit(1);
}

const Record& Take(Kind kind) {
  Session& s = S();
  if (s.next >= s.file.records.size())
    Diverge(std::string("the program reads a ") + KindName(kind) + " after the recording ended");
  const Record& r = s.file.records[s.next];
  if (r.kind != kind && !(kind == Kind::Frame && r.kind == Kind::FrameCheck))
    Diverge(std::string("the program reads a ") + KindName(kind) + " where the recording has a " +
            KindName(r.kind) + " (record " + std::to_string(s.next) + ")");
  ++s.next;
  return r;
}

bool Flush() {
  Session& s = S();
  if (!s.out || s.pending.empty()) return s.out != nullptr;
  s.written = Fnv1a(s.written, s.pending.data(), s.pending.size());
  bool ok = std::fwrite(s.pending.data(), 1, s.pending.size(), s.out) == s.pending.size();
  s.pending.clear();
  return ok;
}

void Put(const Record& r) {
  Session& s = S();
  s.encoder.Put(r, s.pending);
  if (s.pending.size() >= kFlushBytes) Flush();
}

// Completes the recording: the trailer makes it a whole file.
bool CloseRecording() {
  Session& s = S();
  if (!s.out) return true;
  bool ok = Flush();
  s.encoder.Trailer(s.written, s.pending);
  ok = ok && std::fwrite(s.pending.data(), 1, s.pending.size(), s.out) == s.pending.size();
  ok = std::fclose(s.out) == 0 && ok;
  s.out = nullptr;
  s.pending.clear();
  s.mode = Mode::Off;
  return ok;
}

// A program that leaves through exit() past main still leaves a whole file.
void CloseRecordingAtExit() {
  CloseRecording();
}

bool Fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

Mode CurrentMode() {
  return S().mode;
}

bool PlayingBack() {
  return S().mode == Mode::Playing;
}

uint32_t DataChecksum(const std::string& directory) {
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) files.push_back(it->path());
  }
  if (files.empty()) return 0;
  std::sort(files.begin(), files.end());
  uint32_t hash = kFnvBasis;
  std::vector<char> buffer(1 << 16);
  for (const fs::path& path : files) {
    std::string name = path.lexically_relative(directory).generic_string();
    hash = Fnv1a(hash, name.c_str(), name.size() + 1);
    std::ifstream in(path, std::ios::binary);
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0)
      hash = Fnv1a(hash, buffer.data(), static_cast<size_t>(in.gcount()));
  }
  return hash;
}

bool StartRecording(const std::string& path, const char* gameVersion, uint32_t dataChecksum,
                    std::string* why) {
  Session& s = S();
  if (s.mode != Mode::Off) return Fail(why, "a replay session is already running");
  s.out = std::fopen(path.c_str(), "wb");
  if (!s.out) return Fail(why, "cannot create " + path + ": " + std::strerror(errno));
  ReplayFile header;
  header.gameVersion = gameVersion ? gameVersion : "";
  header.dataChecksum = dataChecksum;
  header.checkInterval = s.checkInterval;
  s.path = path;
  s.encoder = Encoder();
  s.written = kFnvBasis;
  s.pending.clear();
  s.encoder.Header(header, s.pending);
  s.frame = 0;
  s.mode = Mode::Recording;
  static bool atExitRegistered = false;
  if (!atExitRegistered) atExitRegistered = std::atexit(CloseRecordingAtExit) == 0;
  return true;
}

bool StartPlaying(const std::string& path, const char* gameVersion, uint32_t dataChecksum, bool unpaced,
                  std::string* why) {
  Session& s = S();
  if (s.mode != Mode::Off) return Fail(why, "a replay session is already running");
  std::error_code error;
  uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return Fail(why, "cannot read " + path + ": " + error.message());
  if (size > kLargestReplay) return Fail(why, path + " is too large to be a replay");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return Fail(why, "cannot read " + path);
  ReplayFile file;
  std::string reason;
  if (!ReadReplay(bytes.data(), bytes.size(), &file, &reason)) return Fail(why, path + ": " + reason);
  const std::string version = gameVersion ? gameVersion : "";
  if (file.gameVersion != version)
    return Fail(why, path + " was recorded by Glorbs3D " + file.gameVersion + ", this is " + version);
  if (file.dataChecksum != dataChecksum)
    return Fail(why,
                path + " was recorded with other game data (the data files differ from the recording's)");
  s.file = std::move(file);
  s.next = 0;
  s.frame = 0;
  s.checksumsMatched = 0;
  s.unpaced = unpaced;
  s.swapIntervalCleared = false;
  s.mode = Mode::Playing;
  if (unpaced) SetFramePacing(false);
  return true;
}

bool StartFromEnvironment(const char* gameVersion, const std::string& dataDirectory) {
  const char* record = std::getenv("GLORBS3D_RECORD");
  const char* play = std::getenv("GLORBS3D_REPLAY");
  const bool recording = record && record[0], playing = play && play[0];
  if (!recording && !playing) return true;
  if (recording && playing) {
    std::fprintf(stderr, "glorbs3d: set GLORBS3D_RECORD or GLORBS3D_REPLAY, not both\n");
    return false;
  }
  const uint32_t data = DataChecksum(dataDirectory);
  std::string why;
  if (recording) {
    if (StartRecording(record, gameVersion, data, &why)) return true;
    std::fprintf(stderr, "glorbs3d: cannot record a replay: %s\n", why.c_str());
    return false;
  }
  const char* speed = std::getenv("GLORBS3D_REPLAY_SPEED");
  const bool unpaced = speed && std::strcmp(speed, "max") == 0;
  if (speed && speed[0] && !unpaced)
    std::fprintf(stderr, "glorbs3d: GLORBS3D_REPLAY_SPEED=%s is not known; playing at the recorded pace\n",
                 speed);
  if (StartPlaying(play, gameVersion, data, unpaced, &why)) return true;
  std::fprintf(stderr, "glorbs3d: cannot play the replay %s\n", why.c_str());
  return false;
}

int Finish(int status) {
  Session& s = S();
  if (s.mode == Mode::Recording) {
    if (!CloseRecording()) {
      std::fprintf(stderr, "glorbs3d: the recording %s could not be written completely\n", s.path.c_str());
      return 1;
    }
    return status;
  }
  if (s.mode != Mode::Playing) return status;
  s.mode = Mode::Off;
  if (s.next < s.file.records.size()) {
    std::fprintf(stderr,
                 "glorbs3d: the replay diverged at frame %" PRIu64
                 ": the program ended, but the recording goes on (record %zu of %zu)\n",
                 s.frame, s.next, s.file.records.size());
    return 1;
  }
  std::fprintf(stderr,
               "glorbs3d: replay played to its end: %" PRIu64 " frames, %" PRIu64 " checksums matched\n",
               s.frame, s.checksumsMatched);
  return status;
}

void SetWorldChecksum(WorldChecksum checksum) {
  S().checksum = checksum;
}

void SetFrameObserver(FrameObserver observer, void* user) {
  S().observer = observer;
  S().observerUser = user;
}

void SetPumpObserver(PumpObserver observer, void* user) {
  S().pumpObserver = observer;
  S().pumpObserverUser = user;
}

void SetClockSource(ClockSource source) {
  S().clockSource = source;
}

uint64_t FrameCount() {
  return S().frame;
}

void FrameMark() {
  Session& s = S();
  s.pumpsSinceFrame = 0;
  if (s.mode == Mode::Off && !s.observer) return;
  ++s.frame;
  if (s.mode == Mode::Recording) {
    const bool check = s.checksum && s.frame % s.checkInterval == 0;
    Put(ValueRecord(check ? Kind::FrameCheck : Kind::Frame, check ? s.checksum() : 0));
  } else if (s.mode == Mode::Playing) {
    const Record& r = Take(Kind::Frame);
    if (r.kind == Kind::FrameCheck && s.checksum) {
      const uint32_t now = s.checksum();
      if (now != static_cast<uint32_t>(r.value)) {
        char text[96];
        std::snprintf(text, sizeof text, "the world's checksum is %08x, the recording's %08x", now,
                      static_cast<uint32_t>(r.value));
        Diverge(text);
      }
      ++s.checksumsMatched;
    }
    // Unpaced play-back must not wait for the display's blank either (once
    // the context exists; a driver that refuses keeps its blank).
    if (s.unpaced && !s.swapIntervalCleared && SDL_GL_GetCurrentContext()) {
      SDL_GL_SetSwapInterval(0);
      s.swapIntervalCleared = true;
    }
  }
  if (s.observer) s.observer(s.frame, s.observerUser);
}

int64_t ClockReading(Clock which, int64_t live) {
  Session& s = S();
  const Kind kind = static_cast<Kind>(static_cast<uint8_t>(Kind::Counter) + static_cast<uint8_t>(which));
  if (s.mode == Mode::Playing) return Take(kind).value;
  const int64_t value = s.clockSource ? s.clockSource(which) : live;
  if (s.mode == Mode::Recording) Put(ValueRecord(kind, value));
  return value;
}

bool FlagReading(Flag which, bool live) {
  Session& s = S();
  const Kind kind = which == Flag::Focus ? Kind::Focus : Kind::Minimized;
  if (s.mode == Mode::Playing) return Take(kind).value != 0;
  if (s.mode == Mode::Recording) Put(ValueRecord(kind, live ? 1 : 0));
  return live;
}

DisplayMode DesktopModeReading(const DisplayMode& live) {
  Session& s = S();
  if (s.mode == Mode::Playing) return Take(Kind::DesktopMode).mode;
  if (s.mode == Mode::Recording) {
    Record r;
    r.kind = Kind::DesktopMode;
    r.mode = live;
    Put(r);
  }
  return live;
}

bool SoundDeviceOpening(bool (*open)()) {
  Session& s = S();
  if (s.mode == Mode::Playing) {
    if (Take(Kind::SoundDevice).value == 0) return false;
    if (open()) return true;
    Diverge(
        "the sound device opened when this was recorded but does not open here (SDL_AUDIODRIVER=dummy "
        "always opens)");
  }
  const bool opened = open();
  if (s.mode == Mode::Recording) Put(ValueRecord(Kind::SoundDevice, opened ? 1 : 0));
  return opened;
}

bool FileReading(bool exists, std::string* content) {
  Session& s = S();
  if (s.mode == Mode::Playing) {
    const Record& r = Take(Kind::File);
    *content = r.content;
    return r.value != 0;
  }
  if (s.mode == Mode::Recording) {
    Record r = ValueRecord(Kind::File, exists ? 1 : 0);
    if (exists) r.content = *content;
    Put(r);
  }
  return exists;
}

void BeginPump(int waitMs) {
  Session& s = S();
  if (s.pumpObserver) s.pumpObserver(++s.pumpsSinceFrame, waitMs < 0, s.pumpObserverUser);
  s.inPump = s.mode == Mode::Recording;
  s.pumpedEvents = 0;
}

// Written before the sinks run: what they read while handling the event
// (clocks, focus) follows it in the file, as it will in play-back.
Event NoteDeliveredEvent(const Event& event) {
  Session& s = S();
  if (!s.inPump) return event;
  Record r;
  r.kind = Kind::Event;
  r.event = event;
  if (s.clockSource) r.event.time = static_cast<uint32_t>(s.clockSource(Clock::Ticks));
  Put(r);
  ++s.pumpedEvents;
  return r.event;
}

void EndPump() {
  Session& s = S();
  if (!s.inPump) return;
  s.inPump = false;
  Put(ValueRecord(Kind::Pump, s.pumpedEvents));
}

int PlayPump(void (*deliver)(const Event&)) {
  // The desktop's own events are dropped: only the recorded ones count. A
  // viewer closing the window ends a paced play-back.
  SDL_PumpEvents();
  const bool closed = SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  if (closed && !S().unpaced) {
    std::fprintf(stderr, "glorbs3d: play-back stopped by the viewer at frame %" PRIu64 "\n", S().frame);
    std::_Exit(0);
  }
  Session& s = S();
  int delivered = 0;
  while (s.next < s.file.records.size() && s.file.records[s.next].kind == Kind::Event) {
    deliver(s.file.records[s.next++].event);
    ++delivered;
  }
  if (Take(Kind::Pump).value != delivered) Diverge("an event pump delivered another number of events");
  return delivered;
}

}  // namespace replay
}  // namespace host
