// SPDX-License-Identifier: MIT
// The game's sound effects on the program's own recordings: switching sound
// on and off, playing and stopping effects as the game does, effects whose
// recording is damaged, and a machine without a sound device. What is played
// is rendered offline through the sound layer's own mixer and measured.
#include "audio/sound_effects.h"

#include <win32/resource_table.h>

#include <algorithm>
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
// The 16-bit samples of a recording with a 44-byte header.
std::vector<int16_t> Samples(const std::vector<uint8_t>& wav) {
  std::vector<int16_t> samples;
  for (size_t i = 44; i + 1 < wav.size(); i += 2)
    samples.push_back(static_cast<int16_t>(wav[i] | (wav[i + 1] << 8)));
  return samples;
}

double AudibleFrames(const std::vector<uint8_t>& wav) {
  const std::vector<int16_t> samples = Samples(wav);
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
    // Below the mixer's headroom knee (22000), so each plays at its own level.
    const std::vector<int16_t> samples = Samples(wav);
    EXPECT_LT(Peak(samples, 0, samples.size()), 20000) << name << ": too loud to keep its level";
  }
}

TEST_F(SoundEffectsTest, AnEffectIsHeardOnceForItsLengthAndAfterSoundOffAndOnAgain) {
  OfflineMix mix;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(nullptr);  // an effect that is not loaded: nothing
  StopSound(nullptr);
  const std::vector<int16_t> silence = mix.Render(0.2);
  PlaySound(soundGunFire);
  const std::vector<int16_t> first = mix.Render(0.35);
  DestroySounds();
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundGunFire);
  const std::vector<int16_t> again = mix.Render(0.35);

  const double expected = AudibleFrames(Recording("GUNFIRE"));
  EXPECT_EQ(silence.size(), Loud(silence, 0, silence.size(), 0).first) << "the null effect made a sound";
  const Span shot = Loud(first, 0, first.size());
  ASSERT_LT(shot.first, first.size()) << "GUNFIRE was not heard";
  EXPECT_NEAR(static_cast<double>(shot.Length()), expected, Frames(0.004));
  EXPECT_NEAR(Peak(first, shot.first, shot.last + 1), 9830, 700);
  RecordProperty("gunfire_frames", static_cast<int>(shot.Length()));
  RecordProperty("gunfire_peak", Peak(first, shot.first, shot.last + 1));
  // The device was closed and opened again; the shot sounds the same.
  EXPECT_EQ(first, again) << "not the same after Sound Off and On";
}

TEST_F(SoundEffectsTest, ShotsInQuickSuccessionOverlapAndAddUp) {
  OfflineMix mix;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundGunFire);
  const std::vector<int16_t> single = mix.Render(0.3);
  PlaySound(soundGunFire);
  PlaySound(soundGunFire);
  const std::vector<int16_t> pair = mix.Render(0.3);
  // Two shots stay within the mixer's headroom: their sum is exact.
  ASSERT_GT(Peak(single, 0, single.size()), 9000);
  for (size_t k = 0; k < single.size(); ++k) ASSERT_EQ(pair[k], 2 * single[k]) << k;
  RecordProperty("single_peak", Peak(single, 0, single.size()));
  RecordProperty("pair_peak", Peak(pair, 0, pair.size()));
}

// The Proximity killer fires 50 pellets at once; each bursts on the floor
// with its own PYRAMIDEXPLODE, all within a few frames, once a second.
TEST_F(SoundEffectsTest, APelletBurstOfFiftyExplosionsNeverClipsAndSingleEffectsKeepTheirLevel) {
  OfflineMix mix;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundPyramidExplode);
  const std::vector<int16_t> single = mix.Render(1.0);
  std::vector<int16_t> bursts;
  double saturatedSum = 0;  // what adding up and saturating would give
  for (int firing = 0; firing < 3; ++firing) {
    PlaySound(soundGunFire);
    mix.Render(0.25);
    std::vector<int> naive(Frames(0.75), 0);
    for (int frame = 0; frame < 3; ++frame) {
      for (int pellet = 0; pellet < 17; ++pellet) {
        PlaySound(soundPyramidExplode);
        for (size_t k = 0; k + Frames(frame / 60.0) < naive.size() && k < single.size(); ++k)
          naive[k + Frames(frame / 60.0)] += single[k];
      }
      const std::vector<int16_t> part = mix.Render(1 / 60.0);
      bursts.insert(bursts.end(), part.begin(), part.end());
    }
    const std::vector<int16_t> rest = mix.Render(0.75 - 3 / 60.0);
    bursts.insert(bursts.end(), rest.begin(), rest.end());
    saturatedSum += static_cast<double>(
        std::count_if(naive.begin(), naive.end(), [](int x) { return x >= 32767 || x <= -32768; }));
  }
  mix.Render(0.5);  // the limiter lets go
  PlaySound(soundPyramidExplode);
  const std::vector<int16_t> after = mix.Render(1.0);

  EXPECT_EQ(0u, FullScale(bursts)) << "the burst clipped";
  EXPECT_GT(Peak(bursts, 0, bursts.size()), Peak(single, 0, single.size())) << "not louder than one";
  EXPECT_EQ(single, after) << "a single explosion keeps its level after a burst";
  RecordProperty("saturating_sum_full_scale_percent",
                 static_cast<int>(100 * saturatedSum / static_cast<double>(bursts.size())));
  RecordProperty("burst_peak", Peak(bursts, 0, bursts.size()));
  RecordProperty("single_peak", Peak(single, 0, single.size()));
}

TEST_F(SoundEffectsTest, StopSoundEndsTheEffectAtTheNextBeat) {
  OfflineMix mix;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  PlaySound(soundBeginLevel);  // 1.5 s long
  mix.Render(0.15);
  StopSound(soundBeginLevel);
  EXPECT_TRUE(soundBeginLevel->IsPlaying()) << "stopped before the beat";
  mix.Render(0.3);
  EXPECT_TRUE(soundBeginLevel->IsPlaying()) << "stopped before the beat";
  mix.Render(0.3);
  EXPECT_FALSE(soundBeginLevel->IsPlaying());

  // The beat falls half a second of frames after the performance started.
  const Span heard = Loud(mix.heard, 0, mix.heard.size(), 0);
  ASSERT_LT(heard.first, Frames(0.1));
  EXPECT_LE(heard.last + 1, Frames(0.5));
  EXPECT_GT(heard.last + 1, Frames(0.5) - Frames(0.01));
  RecordProperty("stopped_at_frame", static_cast<int>(heard.last + 1));
}

TEST_F(SoundEffectsTest, ADamagedRecordingLeavesOnlyThatEffectSilent) {
  const std::vector<uint8_t> whole = Recording("GUNFIRE");
  ASSERT_GT(whole.size(), 1000u);
  damagedBytes.assign(whole.begin(), whole.begin() + 1000);
  overrideEntries[0] = {"WAV", 0, "GUNFIRE", 0, damagedBytes.data(), damagedBytes.size()};

  OfflineMix mix;
  DebugCapture trace;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_EQ(nullptr, soundGunFire);
  EXPECT_EQ(10, LoadedEffects());
  EXPECT_NE(std::string::npos, trace.text.find("LoadObjectFromFile"));
  EXPECT_NE(std::string::npos,
            trace.text.find("sound GUNFIRE not loaded: the recording does not load: DMUS_E_"))
      << trace.text;
  PlaySound(soundGunFire);
  const std::vector<int16_t> damaged = mix.Render(0.25);
  PlaySound(soundSphereExplode);
  const std::vector<int16_t> out = mix.Render(0.3);
  EXPECT_EQ(damaged.size(), Loud(damaged, 0, damaged.size(), 0).first) << "the damaged effect made a sound";
  const Span menu = Loud(out, 0, out.size());
  ASSERT_LT(menu.first, out.size()) << "SPHEREEXPLODE was not heard";
  EXPECT_NEAR(static_cast<double>(menu.Length()), AudibleFrames(Recording("SPHEREEXPLODE")), Frames(0.004));
}

TEST_F(SoundEffectsTest, WithoutASoundDeviceTheGameGoesOnSilentlyAndSoundOnTriesAgainQuietly) {
  {
    AudioDriver nowhere("nonexistent");
    testing::internal::CaptureStderr();
    EXPECT_EQ(E_FAIL, CreateSounds(nullptr));
    EXPECT_EQ(nullptr, soundManager) << "sound stays off, so Sound On can try again";
    EXPECT_EQ(0, LoadedEffects());
    PlaySound(soundGunFire);
    StopSound(soundEngineRev);
    // Sound On while there is still no device: nothing more is said.
    EXPECT_EQ(E_FAIL, CreateSounds(nullptr));
    EXPECT_EQ(nullptr, soundManager);
    const std::string err = testing::internal::GetCapturedStderr();
    // A message box always writes its caption to stderr as well.
    EXPECT_EQ(std::string::npos, err.find("Unexpected error")) << "a message box was shown:\n" << err;
    const size_t line = err.find("no sound device: playing without sound\n");
    ASSERT_NE(std::string::npos, line) << err;
    EXPECT_EQ(std::string::npos, err.find("no sound device", line + 1)) << "said more than once:\n" << err;
  }
  // A device turns up: Sound On switches sound on.
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_EQ(11, LoadedEffects());
}

TEST_F(SoundEffectsTest, AMissingRecordingIsNamedWithItsReason) {
  // An entry of this name with no bytes: the program carries no recording.
  overrideEntries[0] = {"WAV", 0, "SHIPBOUNCE", 0, nullptr, 0};
  DebugCapture trace;
  ASSERT_EQ(S_OK, CreateSounds(nullptr));
  EXPECT_EQ(nullptr, soundShipBounce);
  EXPECT_EQ(10, LoadedEffects());
  EXPECT_NE(std::string::npos,
            trace.text.find("sound SHIPBOUNCE not loaded: the program carries no such recording\n"))
      << trace.text;
  EXPECT_EQ(std::string::npos, trace.text.find("GUNFIRE")) << "an effect that loaded was named";
}
