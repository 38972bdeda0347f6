// The game's sound effects on the program's own recordings: switching sound
// on and off, playing and stopping effects as the game does, effects whose
// recording is damaged, and a machine without a sound device. What is played
// is captured through SDL's disk audio driver and measured.
#include "audio/sound_effects.h"

#include <win32/resource_table.h>

#include <cstring>
#include <vector>

#include "common/src/dmutil.h"
#include "dmusic/sound_capture.h"
#include "win32/debug_capture.h"

using namespace sound_test;

namespace {

// A resource table registered ahead of the program's own (so its entries
// win), holding one entry that a test may turn into a damaged copy of an
// effect's recording. Until then it answers to a name nothing asks for.
std::vector<uint8_t> damagedBytes;
win32::ResourceEntry overrideEntries[] = {{"WAV", 0, "UNUSED", 0, nullptr, 0}};
struct EarlyRegistration {
  EarlyRegistration() { win32::RegisterResources(overrideEntries, 1); }
} earlyRegistration __attribute__((init_priority(101)));

SoundSegment* const* const kAllEffects[] = {&soundBeginLevel,  &soundEngineIdle,   &soundEngineRev,
                                            &soundShieldBuzz,  &soundShipExplode,  &soundGunFire,
                                            &soundShipBounce,  &soundGlorbExplode, &soundPyramidExplode,
                                            &soundCubeExplode, &soundSphereExplode};

int LoadedEffects() {
  int n = 0;
  for (SoundSegment* const* e : kAllEffects) n += *e != nullptr;
  return n;
}

// The frames a recording is audible for once played at the device rate
// (twice its own rate), measured on the recording itself.
double AudibleFrames(const std::vector<uint8_t>& wav) {
  std::vector<int16_t> samples;
  for (size_t i = 44; i + 1 < wav.size(); i += 2)
    samples.push_back(static_cast<int16_t>(wav[i] | (wav[i + 1] << 8)));
  return 2.0 * static_cast<double>(Loud(samples, 0, samples.size()).Length());
}

// The recording of an effect as the program carries it.
std::vector<uint8_t> Recording(const char* name) {
  HRSRC res = FindResourceA(nullptr, name, "WAV");
  if (!res) return {};
  auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, res)));
  return std::vector<uint8_t>(data, data + SizeofResource(nullptr, res));
}

class SoundEffectsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    DestroySounds();
    overrideEntries[0].name = "UNUSED";
  }
};

}  // namespace

TEST_F(SoundEffectsTest, SoundOnLoadsEveryEffectAndSoundOffFreesEverything) {
  const int comBefore = CoInitializeCount();
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_NE(nullptr, soundManager);
  EXPECT_EQ(11, LoadedEffects());
  SoundSegment* const gunFire = soundGunFire;
  // Sound On while sound is on changes nothing.
  EXPECT_EQ(S_FALSE, CreateSounds(nullptr));
  EXPECT_EQ(gunFire, soundGunFire);
  DestroySounds();
  EXPECT_EQ(nullptr, soundManager);
  EXPECT_EQ(0, LoadedEffects());
  EXPECT_EQ(comBefore, CoInitializeCount());
  DestroySounds();  // a second shut-down finds nothing to do
  // With sound off every play and stop is a no-op.
  PlaySound(soundGunFire);
  StopSound(soundEngineRev);
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_EQ(11, LoadedEffects());
}

TEST(SoundRecordings, EveryRecordingIsMonoSixteenBitPcmAt11025Hz) {
  auto u16 = [](const std::vector<uint8_t>& b, size_t at) { return unsigned(b[at] | (b[at + 1] << 8)); };
  auto u32 = [&](const std::vector<uint8_t>& b, size_t at) { return u16(b, at) | (u16(b, at + 2) << 16); };
  // The eleven effects and the twelfth recording that nothing loads.
  const char* const names[] = {"BEGINLEVEL",     "ENGINEIDLE",  "ENGINEREV",     "SHIELDBUZZ",
                               "SHIPEXPLODE",    "GUNFIRE",     "SHIPBOUNCE",    "GLORBEXPLODE",
                               "PYRAMIDEXPLODE", "CUBEEXPLODE", "SPHEREEXPLODE", "SKIDTOSTOP"};
  for (const char* name : names) {
    const std::vector<uint8_t> wav = Recording(name);
    ASSERT_GT(wav.size(), 44u) << name;
    EXPECT_EQ(0, std::memcmp(wav.data(), "RIFF", 4)) << name;
    EXPECT_EQ(0, std::memcmp(wav.data() + 8, "WAVEfmt ", 8)) << name;
    EXPECT_EQ(1u, u16(wav, 20)) << name << ": not PCM";
    EXPECT_EQ(1u, u16(wav, 22)) << name << ": channels";
    EXPECT_EQ(11025u, u32(wav, 24)) << name << ": rate";
    EXPECT_EQ(16u, u16(wav, 34)) << name << ": bits";
  }
}

TEST_F(SoundEffectsTest, AnEffectIsHeardOnceForItsLengthAndAfterSoundOffAndOnAgain) {
  DiskAudio disk;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(nullptr);  // an effect that is not loaded: nothing
  StopSound(nullptr);
  SleepMs(250);
  PlaySound(soundGunFire);
  SleepMs(350);
  DestroySounds();
  const std::vector<int16_t> first = disk.Left();
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundGunFire);
  SleepMs(350);
  DestroySounds();
  const std::vector<int16_t> all = disk.Left();

  const double expected = AudibleFrames(Recording("GUNFIRE"));
  EXPECT_EQ(Frames(0.2), Loud(first, 0, Frames(0.2)).first) << "the null effect made a sound";
  const Span shot = Loud(first, 0, first.size());
  ASSERT_LT(shot.first, first.size()) << "GUNFIRE was not heard";
  EXPECT_NEAR(static_cast<double>(shot.Length()), expected, Frames(0.004));
  EXPECT_NEAR(Peak(first, shot.first, shot.last + 1), 9830, 700);
  RecordProperty("gunfire_frames", static_cast<int>(shot.Length()));
  RecordProperty("gunfire_peak", Peak(first, shot.first, shot.last + 1));
  // The device was closed and opened again, writing its file anew.
  const Span again = Loud(all, 0, all.size());
  ASSERT_LT(again.first, all.size()) << "nothing heard after Sound Off and On";
  EXPECT_NEAR(static_cast<double>(again.Length()), expected, Frames(0.004));
}

TEST_F(SoundEffectsTest, ShotsInQuickSuccessionOverlapAndAddUp) {
  DiskAudio disk;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundGunFire);
  SleepMs(300);
  PlaySound(soundGunFire);
  PlaySound(soundGunFire);
  SleepMs(300);
  DestroySounds();
  const std::vector<int16_t> out = disk.Left();

  const Span single = Loud(out, 0, Frames(0.28));
  const Span pair = Loud(out, single.last + 1, out.size());
  ASSERT_LT(pair.first, out.size());
  const size_t a = VoiceStart(single.first);
  const size_t b = VoiceStart(pair.first);
  const size_t count = Frames(0.18) + kBuffer;
  ASSERT_LE(b + count, out.size());
  // The two calls come back to back, but the mixing thread may run between
  // them (a loaded machine, the sanitizers): the second voice then starts a
  // whole buffer or a few later.
  bool summed = false;
  for (size_t lag = 0; lag <= 8 * kBuffer && !summed; lag += kBuffer)
    summed = IsSaturatedSum(out, a, b, lag, count);
  EXPECT_TRUE(summed);
  EXPECT_GT(Peak(out, b, b + count), Peak(out, a, a + count) * 3 / 2);
  RecordProperty("single_peak", Peak(out, a, a + count));
  RecordProperty("pair_peak", Peak(out, b, b + count));
}

TEST_F(SoundEffectsTest, StopSoundEndsTheEffectAtTheNextBeat) {
  DiskAudio disk;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundBeginLevel);  // 1.5 s long
  SleepMs(150);
  StopSound(soundBeginLevel);
  EXPECT_TRUE(soundBeginLevel->IsPlaying()) << "stopped before the beat";
  SleepMs(700);
  EXPECT_FALSE(soundBeginLevel->IsPlaying());
  DestroySounds();
  const std::vector<int16_t> out = disk.Left();

  const Span heard = Loud(out, 0, out.size());
  ASSERT_LT(heard.first, Frames(0.1));
  // The beat falls half a second of frames after the performance started
  // (within a buffer or two of the device opening); the voice is not mixed
  // into the first buffer that starts there or later.
  EXPECT_GE(heard.last + 1, Frames(0.5));
  EXPECT_LT(heard.last, Frames(0.5) + 3 * kBuffer);
  RecordProperty("stopped_at_ms", static_cast<int>(heard.last * 1000 / kRate));
}

TEST_F(SoundEffectsTest, ADamagedRecordingLeavesOnlyThatEffectSilent) {
  const std::vector<uint8_t> whole = Recording("GUNFIRE");
  ASSERT_GT(whole.size(), 1000u);
  damagedBytes.assign(whole.begin(), whole.begin() + 1000);
  overrideEntries[0] = {"WAV", 0, "GUNFIRE", 0, damagedBytes.data(), damagedBytes.size()};

  DiskAudio disk;
  DebugCapture trace;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_EQ(nullptr, soundGunFire);
  EXPECT_EQ(10, LoadedEffects());
  EXPECT_NE(std::string::npos, trace.text.find("LoadObjectFromFile"));
  PlaySound(soundGunFire);
  SleepMs(250);
  PlaySound(soundSphereExplode);
  SleepMs(300);
  DestroySounds();
  const std::vector<int16_t> out = disk.Left();
  EXPECT_EQ(Frames(0.2), Loud(out, 0, Frames(0.2)).first) << "the damaged effect made a sound";
  const Span menu = Loud(out, 0, out.size());
  ASSERT_LT(menu.first, out.size()) << "SPHEREEXPLODE was not heard";
  EXPECT_NEAR(static_cast<double>(menu.Length()), AudibleFrames(Recording("SPHEREEXPLODE")), Frames(0.004));
}

TEST_F(SoundEffectsTest, WithoutASoundDeviceTheGameGoesOnSilentlyUntilSoundIsSwitchedAgain) {
  {
    DiskAudio nowhere("nonexistent");
    DebugCapture trace;
    EXPECT_EQ(E_FAIL, CreateSounds(nullptr));
    EXPECT_NE(nullptr, soundManager);
    EXPECT_EQ(0, LoadedEffects());
    PlaySound(soundGunFire);
    StopSound(soundEngineRev);
    // Sound On does nothing while the empty manager stands.
    EXPECT_EQ(S_FALSE, CreateSounds(nullptr));
    EXPECT_EQ(0, LoadedEffects());
  }
  // Sound Off, then Sound On, tries again (now with a device).
  DestroySounds();
  EXPECT_EQ(nullptr, soundManager);
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_EQ(11, LoadedEffects());
}
