// SPDX-License-Identifier: MIT
// Replays: every value the program takes from the outside world (host
// events, clock readings, the desktop mode, window focus, whether the sound
// device opened) recorded in order to a file, and fed back in the same order
// later so that the whole program runs again exactly. The game hands down a
// checksum of its world every frame mark; play-back compares it with the
// recorded one and stops at the first difference.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/host.h"

namespace host {
namespace replay {

constexpr uint16_t kFormatVersion = 1;
// The world's checksum is recorded on every this many frame marks.
constexpr uint32_t kDefaultCheckInterval = 10;

enum class Mode : uint8_t { Off, Recording, Playing };
Mode CurrentMode();

// ------------------------------------------------------------ the session

// Reads GLORBS3D_RECORD=path or GLORBS3D_REPLAY=path (and
// GLORBS3D_REPLAY_SPEED=max for unpaced play-back) and starts that session;
// with neither set nothing happens. The data checksum is taken over the files
// under `dataDirectory`. False, with the reason on stderr, when a replay file
// is refused or a recording cannot be created: the program then exits with 1.
bool StartFromEnvironment(const char* gameVersion, const std::string& dataDirectory);
bool StartRecording(const std::string& path, const char* gameVersion, uint32_t dataChecksum,
                    std::string* why);
bool StartPlaying(const std::string& path, const char* gameVersion, uint32_t dataChecksum, bool unpaced,
                  std::string* why);
// Ends the session when the program ends with `status`: a recording is
// completed and closed; a play-back that has not used every recorded value
// is a divergence. Returns the status to exit with.
int Finish(int status);

// A checksum of the files under a directory, names and contents, in name
// order; 0 for a missing directory.
uint32_t DataChecksum(const std::string& directory);

// ------------------------------------------------------------ game side

// The game's world checksum; asked for only while recording or playing.
typedef uint32_t (*WorldChecksum)();
void SetWorldChecksum(WorldChecksum checksum);
// Called once per step of the game. While playing, a checksum that differs
// from the recorded one stops the program with the frame named.
void FrameMark();
uint64_t FrameCount();

// Tools that drive the game (to record scripted replays) watch each frame
// mark, and may replace the real clocks with their own while recording.
typedef void (*FrameObserver)(uint64_t frame, void* user);
void SetFrameObserver(FrameObserver observer, void* user);
// The pump observer sees each event pump begin, with the number of pumps
// since the last frame mark (a modal window, the device configuration, pumps
// without frames) and whether the pump waits until an event comes (the
// splash and an inactive window make no frames until one does). A tool
// must inject its events there: nothing else wakes a waiting pump.
typedef void (*PumpObserver)(uint64_t pumpsSinceFrame, bool waits, void* user);
void SetPumpObserver(PumpObserver observer, void* user);
enum class Clock : uint8_t { Counter, Milliseconds, Ticks };
typedef int64_t (*ClockSource)(Clock which);
void SetClockSource(ClockSource source);

// ------------------------------------------------------- platform hooks

// Each returns the value the program goes on with: the live one, recorded,
// when recording or off; the recorded one when playing.
int64_t ClockReading(Clock which, int64_t live);
enum class Flag : uint8_t { Focus, Minimized };
bool FlagReading(Flag which, bool live);
DisplayMode DesktopModeReading(const DisplayMode& live);
// Opens the sound device with `open` unless a play-back recorded that it
// did not open.
bool SoundDeviceOpening(bool (*open)());
// A small file the program reads that changes how it plays (saved controls):
// whether it `exists`, and its `content`, which play-back replaces.
bool FileReading(bool exists, std::string* content);

// ------------------------------------------------------------ the file

enum class Kind : uint8_t {
  Pump = 1,      // the end of one pump; value: the events it delivered
  Event,         // event, delivered by the pump that ends next; what the
                 // program reads while handling it follows it
  Counter,       // value: performance counter
  Milliseconds,  // value: millisecond clock
  Ticks,         // value: host milliseconds
  Focus,         // value: 0 or 1
  Minimized,     // value: 0 or 1
  DesktopMode,   // mode
  SoundDevice,   // value: 1 opened, 0 not
  Frame,         // a frame mark without a checksum
  FrameCheck,    // value: the world checksum at this frame mark
  File,          // value: 1 the file exists, 0 not; content: its bytes
};

struct Record {
  Kind kind = Kind::Frame;
  int64_t value = 0;
  Event event;
  DisplayMode mode;
  std::string content;
};

// A record that carries only a value (a clock reading, a flag, a checksum).
inline Record ValueRecord(Kind kind, int64_t value) {
  Record r;
  r.kind = kind;
  r.value = value;
  return r;
}

struct ReplayFile {
  uint16_t formatVersion = kFormatVersion;
  std::string gameVersion;
  uint32_t dataChecksum = 0;
  uint32_t checkInterval = kDefaultCheckInterval;
  std::vector<Record> records;
};

// Decodes a whole file. False with a reason for anything that is not a
// complete, undamaged replay of this format.
bool ReadReplay(const uint8_t* data, size_t size, ReplayFile* out, std::string* why);
std::vector<uint8_t> WriteReplay(const ReplayFile& file);
// A short name of a record's kind for messages ("clock reading", ...).
const char* KindName(Kind kind);

}  // namespace replay
}  // namespace host
