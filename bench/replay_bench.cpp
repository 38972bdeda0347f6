// SPDX-License-Identifier: MIT
// What recording costs per frame: the values of a committed replay (every
// event, clock reading and frame mark of a real game) are recorded again
// through the same hooks the platform calls, and the time is divided by the
// game's frames. Usage: replay_bench [replay file] [repetitions]
#include <host/replay.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "replay_codec.h"

namespace replay = host::replay;
using replay::Kind;

namespace {

uint32_t Checksum() {
  return 0x5eed;
}

// Calls the hook each record came from, with the recorded value as live.
void RecordAgain(const replay::ReplayFile& file) {
  bool inPump = false;
  for (const replay::Record& r : file.records) {
    if (r.kind == Kind::Event && !inPump) replay::BeginPump(0), inPump = true;
    switch (r.kind) {
      case Kind::Event:
        replay::NoteDeliveredEvent(r.event);
        break;
      case Kind::Pump:
        if (!inPump) replay::BeginPump(0);
        replay::EndPump();
        inPump = false;
        break;
      case Kind::Counter:
      case Kind::Milliseconds:
      case Kind::Ticks:
        replay::ClockReading(
            static_cast<replay::Clock>(static_cast<int>(r.kind) - static_cast<int>(Kind::Counter)), r.value);
        break;
      case Kind::Focus:
      case Kind::Minimized:
        replay::FlagReading(r.kind == Kind::Focus ? replay::Flag::Focus : replay::Flag::Minimized,
                            r.value != 0);
        break;
      case Kind::DesktopMode:
        replay::DesktopModeReading(r.mode);
        break;
      case Kind::SoundDevice:
        replay::SoundDeviceOpening([] { return true; });
        break;
      case Kind::Frame:
      case Kind::FrameCheck:
        replay::FrameMark();
        break;
      case Kind::File: {
        std::string content = r.content;
        replay::FileReading(r.value != 0, &content);
        break;
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : GLORBS_REPLAY_DIR "/levels.glrp";
  const int repetitions = argc > 2 ? std::atoi(argv[2]) : 20;
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  replay::ReplayFile file;
  std::string why;
  if (!replay::ReadReplay(bytes.data(), bytes.size(), &file, &why)) {
    std::fprintf(stderr, "replay_bench: %s: %s\n", path.c_str(), why.c_str());
    return 1;
  }
  uint64_t frames = 0;
  for (const replay::Record& r : file.records) frames += r.kind == Kind::Frame || r.kind == Kind::FrameCheck;
  replay::SetWorldChecksum(Checksum);
  const std::string out = "/tmp/replay_bench.glrp";
  double best = 1e30;
  for (int i = 0; i < repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!replay::StartRecording(out, file.gameVersion.c_str(), file.dataChecksum, &why)) {
      std::fprintf(stderr, "replay_bench: %s\n", why.c_str());
      return 1;
    }
    RecordAgain(file);
    replay::Finish(0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds < best) best = seconds;
  }
  std::remove(out.c_str());
  std::printf("%s: %zu records, %llu frames, %zu bytes (%.1f per frame)\n", path.c_str(), file.records.size(),
              static_cast<unsigned long long>(frames), bytes.size(), double(bytes.size()) / frames);
  std::printf("recording, file written: %.3f us per frame (best of %d), %.4f%% of a 60 Hz frame\n",
              best * 1e6 / frames, repetitions, best / frames * 60.0 * 100.0);
  return 0;
}
