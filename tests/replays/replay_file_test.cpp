// SPDX-License-Identifier: MIT
// The replay file and the session around it, without the game: what is
// recorded is what is played back, values come from the file and not the
// live clocks while playing, and anything that is not a whole replay of this
// game and data (cut short, altered, random, another version, other data)
// is refused with a clear message, and the program exits with 1.
#include <gtest/gtest.h>
#include <host/replay.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/replay_session.h"

namespace {

namespace replay = host::replay;
using replay::Kind;
using replay::Record;
using replay::ReplayFile;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string Scratch(const char* name) {
  const char* tmp = std::getenv("TEST_TMPDIR");
  return std::string(tmp ? tmp : "/tmp") + "/" + name;
}

// One record of every kind, with values at the edges of their ranges.
ReplayFile EveryKind() {
  ReplayFile f;
  f.gameVersion = "1.2.3";
  f.dataChecksum = 0xDEADBEEF;
  f.checkInterval = 7;
  Record key;
  key.kind = Kind::Event;
  key.event.type = host::EventType::KeyDown;
  key.event.time = 4000000000u;
  key.event.key = 44;
  key.event.mods = host::MOD_SHIFT | host::MOD_ALT;
  key.event.down = true;
  key.event.repeat = true;
  Record text;
  text.kind = Kind::Event;
  text.event.type = host::EventType::TextInput;
  std::snprintf(text.event.text, sizeof text.event.text, "%s", "h\xc3\xa9llo, 31 bytes at most......");
  Record motion;
  motion.kind = Kind::Event;
  motion.event.type = host::EventType::MouseMotion;
  motion.event.a = INT32_MIN;
  motion.event.b = INT32_MAX;
  motion.event.dx = -3;
  motion.event.device = -1;
  Record mode;
  mode.kind = Kind::DesktopMode;
  mode.mode = {1920, 1080, 144, 32};
  f.records = {ValueRecord(Kind::Counter, 5000000000LL),
               ValueRecord(Kind::Counter, 4000000000LL),  // a clock may be read backwards
               ValueRecord(Kind::Milliseconds, 123),
               ValueRecord(Kind::Ticks, 0),
               ValueRecord(Kind::Focus, 1),
               ValueRecord(Kind::Minimized, 0),
               mode,
               ValueRecord(Kind::SoundDevice, 1),
               key,
               text,
               motion,
               ValueRecord(Kind::Pump, 3),
               ValueRecord(Kind::Pump, 0),
               ValueRecord(Kind::Frame, 0),
               ValueRecord(Kind::FrameCheck, 0xFFFFFFFFLL),
               ValueRecord(Kind::Counter, INT64_MIN),
               ValueRecord(Kind::File, 0)};
  Record file = ValueRecord(Kind::File, 1);
  file.content = std::string("bind 1 \0 binary", 16);
  f.records.push_back(file);
  return f;
}

bool SameRecord(const Record& a, const Record& b) {
  return a.kind == b.kind && a.value == b.value && a.event.type == b.event.type &&
         a.event.time == b.event.time && a.event.key == b.event.key && a.event.mods == b.event.mods &&
         a.event.down == b.event.down && a.event.repeat == b.event.repeat && a.event.a == b.event.a &&
         a.event.b == b.event.b && a.event.dx == b.event.dx && a.event.device == b.event.device &&
         std::string(a.event.text) == b.event.text && a.mode.w == b.mode.w && a.mode.h == b.mode.h &&
         a.mode.refresh == b.mode.refresh && a.mode.bitsPerPixel == b.mode.bitsPerPixel &&
         a.content == b.content;
}

TEST(ReplayFile, EveryKindOfRecordComesBackAsWritten) {
  const ReplayFile written = EveryKind();
  const std::vector<uint8_t> bytes = replay::WriteReplay(written);
  ReplayFile read;
  std::string why;
  ASSERT_TRUE(replay::ReadReplay(bytes.data(), bytes.size(), &read, &why)) << why;
  EXPECT_EQ(read.gameVersion, "1.2.3");
  EXPECT_EQ(read.dataChecksum, 0xDEADBEEFu);
  EXPECT_EQ(read.checkInterval, 7u);
  ASSERT_EQ(read.records.size(), written.records.size());
  for (size_t i = 0; i < read.records.size(); ++i)
    EXPECT_TRUE(SameRecord(read.records[i], written.records[i])) << "record " << i;
}

// Every shorter file, every single altered byte and random bytes are
// refused with a reason; none is half-read or crashes the reader.
TEST(ReplayFile, CutShortAlteredOrRandomFilesAreRefused) {
  const std::vector<uint8_t> whole = replay::WriteReplay(EveryKind());
  ReplayFile read;
  for (size_t size = 0; size < whole.size(); ++size) {
    std::string why;
    EXPECT_FALSE(replay::ReadReplay(whole.data(), size, &read, &why)) << "cut to " << size << " bytes";
    EXPECT_FALSE(why.empty());
  }
  for (size_t at = 0; at < whole.size(); ++at) {
    std::vector<uint8_t> altered = whole;
    altered[at] ^= 0x10;
    std::string why;
    EXPECT_FALSE(replay::ReadReplay(altered.data(), altered.size(), &read, &why))
        << "byte " << at << " altered";
  }
  std::mt19937 random(1208);
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> noise(random() % 4096);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    // Half of them look like a replay at first sight.
    if (i % 2 && noise.size() >= 10) std::copy(whole.begin(), whole.begin() + 10, noise.begin());
    EXPECT_FALSE(replay::ReadReplay(noise.data(), noise.size(), &read, nullptr));
  }
}

TEST(ReplayFile, AnotherFormatVersionIsRefusedByName) {
  ReplayFile f = EveryKind();
  f.formatVersion = replay::kFormatVersion + 1;
  const std::vector<uint8_t> bytes = replay::WriteReplay(f);
  ReplayFile read;
  std::string why;
  EXPECT_FALSE(replay::ReadReplay(bytes.data(), bytes.size(), &read, &why));
  EXPECT_NE(why.find("format version 2, this program reads 1"), std::string::npos) << why;
}

// A file whose checksum is right but whose pump count disagrees with its
// events was written by something else: refused, not played.
TEST(ReplayFile, EventsThatTheirPumpDoesNotCountAreRefused) {
  ReplayFile f = EveryKind();
  f.records[11].value = 2;
  const std::vector<uint8_t> bytes = replay::WriteReplay(f);
  ReplayFile read;
  std::string why;
  EXPECT_FALSE(replay::ReadReplay(bytes.data(), bytes.size(), &read, &why));
  EXPECT_NE(why.find("damaged record 11"), std::string::npos) << why;
}

uint32_t FixedChecksum() {
  return 0x1234;
}

void ResetSession() {
  replay::SetWorldChecksum(FixedChecksum);
  replay::SetFrameObserver(nullptr, nullptr);
  replay::SetClockSource(nullptr);
}

// Recorded readings come back while playing, whatever the live clocks say,
// and the recording's frame marks carry the world checksum every interval.
TEST(ReplaySession, WhatIsRecordedIsWhatPlaysBack) {
  ResetSession();
  const std::string path = Scratch("session.glrp");
  std::string why;
  ASSERT_TRUE(replay::StartRecording(path, "9.9", 77, &why)) << why;
  EXPECT_EQ(replay::CurrentMode(), replay::Mode::Recording);
  EXPECT_EQ(replay::ClockReading(replay::Clock::Counter, 1000), 1000);
  EXPECT_TRUE(replay::FlagReading(replay::Flag::Focus, true));
  EXPECT_EQ(replay::DesktopModeReading({800, 600, 75, 32}).refresh, 75);
  EXPECT_FALSE(replay::SoundDeviceOpening([] { return false; }));
  std::string saved = "bind 3 W";
  EXPECT_TRUE(replay::FileReading(true, &saved));
  for (uint32_t i = 0; i < replay::kDefaultCheckInterval; ++i) replay::FrameMark();
  EXPECT_EQ(replay::ClockReading(replay::Clock::Milliseconds, 5), 5);
  EXPECT_EQ(replay::Finish(0), 0);

  const std::vector<uint8_t> bytes = ReadBytes(path);
  ReplayFile file;
  ASSERT_TRUE(replay::ReadReplay(bytes.data(), bytes.size(), &file, &why)) << why;
  EXPECT_EQ(file.records.size(), 6u + replay::kDefaultCheckInterval);
  EXPECT_EQ(file.records[5 + replay::kDefaultCheckInterval - 1].kind, Kind::FrameCheck);
  EXPECT_EQ(file.records[5 + replay::kDefaultCheckInterval - 1].value, 0x1234);
  EXPECT_LT(bytes.size(), 80u);  // a frame mark is one byte

  ASSERT_TRUE(replay::StartPlaying(path, "9.9", 77, true, &why)) << why;
  EXPECT_EQ(replay::ClockReading(replay::Clock::Counter, 999999), 1000);
  EXPECT_TRUE(replay::FlagReading(replay::Flag::Focus, false));
  EXPECT_EQ(replay::DesktopModeReading({}).w, 800);
  bool opened = false;
  static bool* openedFlag = &opened;
  // Recorded as not opening: the device is not even tried.
  EXPECT_FALSE(replay::SoundDeviceOpening([] { return *openedFlag = true; }));
  EXPECT_FALSE(opened);
  // The saved controls of the recording, whatever this machine has.
  std::string here;
  EXPECT_TRUE(replay::FileReading(false, &here));
  EXPECT_EQ(here, "bind 3 W");
  for (uint32_t i = 0; i < replay::kDefaultCheckInterval; ++i) replay::FrameMark();
  EXPECT_EQ(replay::ClockReading(replay::Clock::Milliseconds, 6), 5);
  EXPECT_EQ(replay::Finish(0), 0);
  EXPECT_EQ(replay::CurrentMode(), replay::Mode::Off);
}

// The splash waits in GetMessageA for a key, and only an event ends the
// wait: a recorder that drives the game must inject its keys when told that
// a pump waits, or it stalls for ever. What the wait delivered is in the
// recording, and play-back hands out the same message without waiting.
TEST(ReplaySession, ARecorderWakesAWaitingProgramAndItsWaitPlaysBack) {
  ResetSession();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "ReplayWait";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "ReplayWait", "Replay wait", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  MSG msg = {};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

  static int waitingPumps = 0;
  replay::SetPumpObserver(
      [](uint64_t, bool waits, void*) {
        if (!waits) return;
        ++waitingPumps;
        host::Event space;
        space.type = host::EventType::KeyDown;
        space.key = 44;
        space.down = true;
        host::InjectEvent(space);
      },
      nullptr);
  const std::string path = Scratch("wait.glrp");
  std::string why;
  ASSERT_TRUE(replay::StartRecording(path, "9.9", 77, &why)) << why;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  replay::SetPumpObserver(nullptr, nullptr);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SPACE));
  EXPECT_EQ(waitingPumps, 1);
  ASSERT_EQ(replay::Finish(0), 0);

  const std::vector<uint8_t> bytes = ReadBytes(path);
  ReplayFile file;
  ASSERT_TRUE(replay::ReadReplay(bytes.data(), bytes.size(), &file, &why)) << why;
  size_t pressAt = file.records.size();
  for (size_t i = 0; i < file.records.size(); ++i)
    if (file.records[i].kind == Kind::Event && file.records[i].event.key == 44) pressAt = i;
  ASSERT_LT(pressAt, file.records.size()) << "the key the wait delivered is not in the recording";
  // What the window layer read while it handled the key (its clock) comes
  // next, then the end of the pump that delivered it, counting it alone.
  size_t pumpAt = pressAt + 1;
  while (pumpAt < file.records.size() && file.records[pumpAt].kind != Kind::Pump) {
    EXPECT_NE(file.records[pumpAt].kind, Kind::Event);
    ++pumpAt;
  }
  ASSERT_LT(pumpAt, file.records.size());
  EXPECT_EQ(file.records[pumpAt].value, 1);

  ASSERT_TRUE(replay::StartPlaying(path, "9.9", 77, true, &why)) << why;
  msg = {};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SPACE));
  EXPECT_EQ(replay::Finish(0), 0);  // every recorded value was asked for
  EXPECT_EQ(waitingPumps, 1);       // and nobody was asked to wake the play-back
  DestroyWindow(window);
}

// A play-back the program ends early, and one where the program asks for a
// value the recording does not have next, are divergences.
TEST(ReplaySession, AProgramThatAsksForOtherValuesDiverges) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ResetSession();
  const std::string path = Scratch("short.glrp");
  std::string why;
  ASSERT_TRUE(replay::StartRecording(path, "9.9", 77, &why)) << why;
  replay::FrameMark();
  replay::ClockReading(replay::Clock::Counter, 1);
  replay::FrameMark();
  replay::Finish(0);

  ASSERT_TRUE(replay::StartPlaying(path, "9.9", 77, true, &why)) << why;
  replay::FrameMark();
  testing::internal::CaptureStderr();
  EXPECT_EQ(replay::Finish(0), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("diverged at frame 1: the program ended, but the "
                                                        "recording goes on"),
            std::string::npos);

  EXPECT_EXIT(
      {
        replay::StartPlaying(path, "9.9", 77, true, nullptr);
        replay::FrameMark();
        replay::FlagReading(replay::Flag::Focus, true);
      },
      testing::ExitedWithCode(1),
      "the replay diverged at frame 1: the program reads a window focus where the recording has a "
      "performance counter");
}

// The program's own start: a refused replay ends it with status 1 and the
// reason, before any window opens.
class RefusedReplay : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("GLORBS3D_REPLAY");
    unsetenv("GLORBS3D_RECORD");
  }
  std::string Refusal(const std::vector<uint8_t>& bytes) {
    const std::string path = Scratch("refused.glrp");
    WriteBytes(path, bytes);
    setenv("GLORBS3D_REPLAY", path.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunGameSession(GLORBS_VERSION), 1);
    return testing::internal::GetCapturedStderr();
  }
  ReplayFile OfThisGame() {
    ReplayFile f;
    f.gameVersion = GLORBS_VERSION;
    f.dataChecksum = replay::DataChecksum("Media");
    return f;
  }
};

TEST_F(RefusedReplay, RandomBytes) {
  EXPECT_NE(Refusal({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}).find("not a Glorbs3D replay file"),
            std::string::npos);
}

TEST_F(RefusedReplay, CutShort) {
  std::vector<uint8_t> bytes = replay::WriteReplay(OfThisGame());
  bytes.pop_back();
  EXPECT_NE(Refusal(bytes).find("cut short"), std::string::npos);
}

TEST_F(RefusedReplay, OtherGameData) {
  ASSERT_NE(replay::DataChecksum("Media"), 0u) << "the test runs beside the game's data";
  ReplayFile f = OfThisGame();
  f.dataChecksum ^= 1;
  EXPECT_NE(Refusal(replay::WriteReplay(f)).find("recorded with other game data"), std::string::npos);
}

TEST_F(RefusedReplay, AnotherGameVersion) {
  ReplayFile f = OfThisGame();
  f.gameVersion = "0.0.1-elsewhere";
  EXPECT_NE(Refusal(replay::WriteReplay(f)).find("recorded by Glorbs3D 0.0.1-elsewhere, this is"),
            std::string::npos);
}

TEST_F(RefusedReplay, AMissingFileOrRecordingAndPlayingAtOnce) {
  setenv("GLORBS3D_REPLAY", Scratch("no-such-file.glrp").c_str(), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunGameSession(GLORBS_VERSION), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot read"), std::string::npos);
  setenv("GLORBS3D_RECORD", Scratch("new.glrp").c_str(), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunGameSession(GLORBS_VERSION), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("not both"), std::string::npos);
}

TEST_F(RefusedReplay, ARecordingThatCannotBeCreated) {
  setenv("GLORBS3D_RECORD", "/nonexistent-folder/game.glrp", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunGameSession(GLORBS_VERSION), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot record a replay: cannot create"),
            std::string::npos);
}

TEST(DataChecksum, FollowsNamesAndContentsOfTheDataFiles) {
  namespace fs = std::filesystem;
  const std::string dir = Scratch("data");
  fs::create_directories(dir + "/sub");
  WriteBytes(dir + "/a.x", {1, 2, 3});
  WriteBytes(dir + "/sub/b.bmp", {4});
  const uint32_t first = replay::DataChecksum(dir);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(replay::DataChecksum(dir), first);
  WriteBytes(dir + "/sub/b.bmp", {5});
  EXPECT_NE(replay::DataChecksum(dir), first);
  WriteBytes(dir + "/sub/b.bmp", {4});
  fs::rename(dir + "/a.x", dir + "/c.x");
  EXPECT_NE(replay::DataChecksum(dir), first);
  EXPECT_EQ(replay::DataChecksum(Scratch("no-such-data")), 0u);
}

}  // namespace
