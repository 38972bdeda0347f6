// SPDX-License-Identifier: MIT
// The performance on a real mixer: what it plays is rendered offline
// through the mixer's own routine and measured; downloads, paths and
// refusals are checked on the dummy driver.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "dmusic/dmusic_fixture.h"

using namespace sound_test;

namespace {

// A recording downloaded to a performance whose device is held, so the
// test decides when and how much is mixed.
struct Listening {
  OfflineMix mix;
  IDirectMusicPerformance8* performance = StartPerformance();
  IDirectMusicSegment8* segment = nullptr;
  bool ready = false;

  Listening(IDirectMusicLoader8* loader, const std::vector<uint8_t>& wav) {
    ready = performance && SUCCEEDED(SegmentFromMemory(loader, wav, &segment)) &&
            SUCCEEDED(segment->Download(performance));
  }
  ~Listening() {
    SafeRelease(segment);
    SafeRelease(performance);
  }
};

}  // namespace

TEST_F(DirectMusicTest, APlayedSegmentIsHeardForItsLengthTimesItsRepeats) {
  const std::vector<int16_t> tone = Tone(0.2, 440, 8000);
  Listening listen(loader, MakeWav(tone));
  ASSERT_TRUE(listen.ready);
  IDirectMusicSegment8* segment = listen.segment;
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  EXPECT_EQ(S_OK, listen.performance->IsPlaying(segment, nullptr));
  const std::vector<int16_t> once = listen.mix.Render(0.4);
  EXPECT_EQ(S_FALSE, listen.performance->IsPlaying(segment, nullptr));
  ASSERT_EQ(S_OK, segment->SetRepeats(2));
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  const std::vector<int16_t> thrice = listen.mix.Render(0.8);
  EXPECT_EQ(S_FALSE, listen.performance->IsPlaying(segment, nullptr));
  EXPECT_EQ(S_OK, segment->Unload(listen.performance));

  // Heard from the first frames mixed after the call, at its own level, for
  // its length (played at twice its rate) and not a frame after.
  const Span heard = Loud(once, 0, once.size());
  EXPECT_LT(heard.first, 8u);
  EXPECT_EQ(once.size(), Loud(once, 2 * tone.size(), once.size(), 0).first) << "heard past its end";
  EXPECT_NEAR(static_cast<double>(heard.Length()), Frames(0.2), 8);
  EXPECT_NEAR(Peak(once, 0, once.size()), 8000, 400);
  const Span three = Loud(thrice, 0, thrice.size());
  EXPECT_NEAR(static_cast<double>(three.Length()), Frames(0.6), 8);
  EXPECT_EQ(thrice.size(), Loud(thrice, Frames(0.6), thrice.size(), 0).first) << "heard past its repeats";
}

TEST_F(DirectMusicTest, OverlappingInstancesAddUpAndALoudSumIsLimitedWithoutClipping) {
  const std::vector<int16_t> quiet = Tone(0.25, 300, 8000);
  Listening listen(loader, MakeWav(quiet));
  ASSERT_TRUE(listen.ready);
  // Two quiet copies started together add up exactly: headroom, no limiting.
  ASSERT_EQ(S_OK, Play(listen.performance, listen.segment));
  const std::vector<int16_t> one = listen.mix.Render(0.3);
  ASSERT_EQ(S_OK, Play(listen.performance, listen.segment));
  ASSERT_EQ(S_OK, Play(listen.performance, listen.segment));
  const std::vector<int16_t> pair = listen.mix.Render(0.3);
  ASSERT_GT(Peak(one, 0, one.size()), 7000);
  for (size_t k = 0; k < one.size(); ++k) ASSERT_EQ(pair[k], 2 * one[k]) << k;

  IDirectMusicSegment8* loud = nullptr;
  ASSERT_EQ(S_OK, FromMemory(MakeWav(Tone(0.25, 300, 20000)), &loud));
  ASSERT_EQ(S_OK, loud->Download(listen.performance));
  ASSERT_EQ(S_OK, Play(listen.performance, loud));
  const std::vector<int16_t> single = listen.mix.Render(0.3);
  for (int copies = 0; copies < 3; ++copies) ASSERT_EQ(S_OK, Play(listen.performance, loud));
  const std::vector<int16_t> three = listen.mix.Render(0.3);
  listen.mix.Render(0.3);  // the limiter lets go
  ASSERT_EQ(S_OK, Play(listen.performance, loud));
  const std::vector<int16_t> after = listen.mix.Render(0.3);
  SafeRelease(loud);

  EXPECT_EQ(0u, FullScale(three)) << "three copies at 20000 clipped";
  EXPECT_GT(Peak(three, 0, three.size()), Peak(single, 0, single.size()));
  EXPECT_LT(Peak(three, 0, three.size()), 32767);
  EXPECT_EQ(single, after) << "a single loud sound keeps its level once the sum has passed";
  RecordProperty("single_peak", Peak(single, 0, single.size()));
  RecordProperty("three_copies_peak", Peak(three, 0, three.size()));
}

// Sounds past the mixer's last voice are refused and named; the ones
// already playing go on.
TEST_F(DirectMusicTest, ASoundPastTheLastFreeVoiceIsNamedAndTheOthersPlayOn) {
  Listening listen(loader, MakeWav(Tone(0.25, 300, 20)));
  ASSERT_TRUE(listen.ready);
  DebugCapture quiet;
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(S_OK, Play(listen.performance, listen.segment)) << i;
  EXPECT_EQ(Fired(dmusic::DIAG_NO_FREE_VOICE), 0);
  EXPECT_EQ(E_OUTOFMEMORY, Play(listen.performance, listen.segment));
  EXPECT_EQ(Fired(dmusic::DIAG_NO_FREE_VOICE), 1);
  const std::vector<int16_t> heard = listen.mix.Render(0.1);
  EXPECT_GT(Peak(heard, 0, heard.size()), 1000);
}

TEST_F(DirectMusicTest, AStopOnTheBeatWaitsForTheNextHalfSecondOfThePerformance) {
  Listening listen(loader, MakeWav(Tone(2.0, 440, 8000)));
  ASSERT_TRUE(listen.ready);
  IDirectMusicSegment8* segment = listen.segment;
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  listen.mix.RenderFrames(Frames(0.15));
  ASSERT_EQ(S_OK, listen.performance->Stop(segment, nullptr, 0, DMUS_SEGF_BEAT));
  EXPECT_EQ(S_OK, listen.performance->IsPlaying(segment, nullptr)) << "stopped before the beat";
  listen.mix.RenderFrames(Frames(0.5) - Frames(0.15) - 1);
  EXPECT_EQ(S_OK, listen.performance->IsPlaying(segment, nullptr)) << "stopped before the beat";
  listen.mix.RenderFrames(1);  // the last frame before the beat
  EXPECT_EQ(S_FALSE, listen.performance->IsPlaying(segment, nullptr)) << "still playing on the beat";
  listen.mix.Render(0.1);
  // The beat falls half a second of frames after the performance started;
  // the frame before it is the last one heard.
  const std::vector<int16_t>& out = listen.mix.heard;
  const Span heard = Loud(out, 0, out.size(), 0);
  EXPECT_EQ(0u, heard.first);
  EXPECT_LE(heard.last + 1, Frames(0.5));
  EXPECT_GT(heard.last + 1, Frames(0.5) - 4);
  EXPECT_EQ(out.size(), Loud(out, Frames(0.5), out.size(), 0).first) << "heard on or after the beat";
}

TEST_F(DirectMusicTest, StopsWithoutAGridAreImmediateAndReachOnlyTheirOwnPerformance) {
  IDirectMusicSegment8* segment = nullptr;
  ASSERT_EQ(S_OK, FromMemory(MakeWav(Tone(2.0, 440, 8000)), &segment));
  IDirectMusicPerformance8* first = StartPerformance();
  IDirectMusicPerformance8* second = StartPerformance();
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  ASSERT_EQ(S_OK, segment->Download(first));
  ASSERT_EQ(S_OK, segment->Download(second));
  ASSERT_EQ(S_OK, Play(first, segment));
  ASSERT_EQ(S_OK, Play(second, segment));
  ASSERT_EQ(S_OK, first->Stop(segment, nullptr, 0, 0));
  EXPECT_EQ(S_FALSE, first->IsPlaying(segment, nullptr));
  EXPECT_EQ(S_OK, second->IsPlaying(segment, nullptr));
  // Closing one performance leaves the other's download and device alone.
  SafeRelease(first);
  EXPECT_EQ(S_OK, second->IsPlaying(segment, nullptr));
  EXPECT_EQ(S_OK, second->StopEx(nullptr, 0, 0));
  EXPECT_EQ(S_FALSE, second->IsPlaying(segment, nullptr));
  // A primary segment replaces the primary one playing.
  ASSERT_EQ(S_OK, second->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr));
  IDirectMusicSegment8* other = nullptr;
  ASSERT_EQ(S_OK, FromMemory(MakeWav(Tone(2.0, 220, 8000)), &other));
  ASSERT_EQ(S_OK, other->Download(second));
  ASSERT_EQ(S_OK, second->PlaySegmentEx(other, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(S_FALSE, second->IsPlaying(segment, nullptr));
  EXPECT_EQ(S_OK, second->IsPlaying(other, nullptr));
  // The segments outlive the performance; their downloads die with it.
  SafeRelease(second);
  SafeRelease(segment);
  SafeRelease(other);
}

TEST_F(DirectMusicTest, DownloadsAndAudioPathsFollowThePerformanceThatMadeThem) {
  IDirectMusicSegment8* segment = nullptr;
  ASSERT_EQ(S_OK, FromMemory(MakeWav(Tone(0.2, 440, 8000)), &segment));
  IDirectMusicPerformance8* p = StartPerformance();
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(DMUS_E_ALREADY_INITED, p->InitAudio(nullptr, nullptr, nullptr, 1, 128, DMUS_AUDIOF_ALL, nullptr));
  EXPECT_EQ(DMUS_E_NOT_DOWNLOADED_TO_PORT, Play(p, segment));
  EXPECT_EQ(DMUS_E_NOT_DOWNLOADED_TO_PORT, segment->Unload(p));

  IDirectMusicAudioPath8* path = nullptr;
  ASSERT_EQ(S_OK, p->GetDefaultAudioPath(&path));
  ASSERT_EQ(S_OK, segment->Download(path));
  EXPECT_EQ(S_OK, Play(p, segment, path));
  EXPECT_EQ(S_OK, p->Stop(nullptr, nullptr, 0, 0));
  IDirectMusicAudioPath8* made = nullptr;
  EXPECT_EQ(E_POINTER, p->CreateAudioPath(nullptr, TRUE, &made));
  EXPECT_EQ(S_OK, segment->Unload(p));
  EXPECT_EQ(DMUS_E_NOT_DOWNLOADED_TO_PORT, Play(p, segment));
  EXPECT_EQ(E_NOTIMPL, p->PlaySegmentEx(segment, nullptr, nullptr, DMUS_SEGF_SECONDARY | DMUS_SEGF_BEAT, 0,
                                        nullptr, nullptr, nullptr));
  EXPECT_EQ(Fired(dmusic::DIAG_UNSUPPORTED_CALL), 1);

  ASSERT_EQ(S_OK, p->CloseDown());
  // The path outlives its performance's audio but leads nowhere now.
  EXPECT_EQ(E_INVALIDARG, segment->Download(path));
  EXPECT_EQ(DMUS_E_NOT_INIT, segment->Download(p));
  EXPECT_EQ(DMUS_E_NOT_INIT, Play(p, segment));
  SafeRelease(path);
  SafeRelease(p);

  IDirectMusicPerformance8* pathless = StartPerformance(0);
  ASSERT_NE(nullptr, pathless);
  ASSERT_EQ(S_OK, segment->Download(pathless));
  EXPECT_EQ(DMUS_E_NO_AUDIOPATH, Play(pathless, segment));
  EXPECT_EQ(DMUS_E_NO_AUDIOPATH, pathless->GetDefaultAudioPath(&path));
  SafeRelease(pathless);
  SafeRelease(segment);
}

// The device's own thread runs the same mixing routine: what SDL's disk
// driver writes holds exactly the frames the offline rendering gives. The
// test waits for the sound to end (bounded), never for a length of time.
TEST_F(DirectMusicTest, TheDeviceThreadPlaysWhatTheOfflineMixRenders) {
  const std::vector<uint8_t> wav = MakeWav(Tone(0.1, 440, 8000));
  std::vector<int16_t> expected;
  {
    Listening listen(loader, wav);
    ASSERT_TRUE(listen.ready);
    ASSERT_EQ(S_OK, Play(listen.performance, listen.segment));
    expected = listen.mix.Render(0.2);
  }
  const std::string file = "/tmp/glorbs_disk_audio_" + std::to_string(getpid()) + ".raw";
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  {
    AudioDriver disk("disk");
    IDirectMusicPerformance8* p = StartPerformance();
    ASSERT_NE(nullptr, p);
    IDirectMusicSegment8* segment = nullptr;
    ASSERT_EQ(S_OK, FromMemory(wav, &segment));
    ASSERT_EQ(S_OK, segment->Download(p));
    ASSERT_EQ(S_OK, Play(p, segment));
    for (int polls = 0; polls < 20000 && p->IsPlaying(segment, nullptr) == S_OK; ++polls) Sleep(1);
    EXPECT_EQ(S_FALSE, p->IsPlaying(segment, nullptr)) << "the device thread never played it out";
    SafeRelease(segment);
    SafeRelease(p);
  }
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(file.c_str());
  std::vector<int16_t> written(bytes.size() / 4);
  for (size_t i = 0; i < written.size(); ++i) std::memcpy(&written[i], &bytes[4 * i], 2);

  const Span want = Loud(expected, 0, expected.size(), 0);
  const Span got = Loud(written, 0, written.size(), 0);
  ASSERT_LT(got.first, written.size()) << "nothing was written";
  ASSERT_EQ(want.Length(), got.Length());
  EXPECT_TRUE(std::equal(expected.begin() + static_cast<std::ptrdiff_t>(want.first),
                         expected.begin() + static_cast<std::ptrdiff_t>(want.last + 1),
                         written.begin() + static_cast<std::ptrdiff_t>(got.first)));
}

TEST_F(DirectMusicTest, WithoutASoundDeviceInitAudioFailsAndNothingPlays) {
  AudioDriver nowhere("nonexistent");
  DebugCapture quiet;
  IDirectMusicPerformance8* p = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                                   IID_IDirectMusicPerformance8, reinterpret_cast<void**>(&p)));
  EXPECT_EQ(DSERR_NODRIVER, p->InitAudio(nullptr, nullptr, nullptr, 1, 128, DMUS_AUDIOF_ALL, nullptr));
  EXPECT_EQ(Fired(dmusic::DIAG_AUDIO_NOT_STARTED), 1);
  EXPECT_EQ(Fired(dmusic::DIAG_DEVICE_NOT_OPENED), 0);
  IDirectMusicSegment8* segment = nullptr;
  ASSERT_EQ(S_OK, FromMemory(MakeWav(Tone(0.2, 440, 8000)), &segment));
  EXPECT_EQ(DMUS_E_NOT_INIT, segment->Download(p));
  EXPECT_EQ(DMUS_E_NOT_INIT, Play(p, segment));
  EXPECT_EQ(DMUS_E_NOT_INIT, p->Stop(nullptr, nullptr, 0, 0));
  EXPECT_EQ(S_OK, p->CloseDown());
  SafeRelease(segment);
  SafeRelease(p);
}

namespace {

// The recording as SDL converts it to the device format: what the mixer
// played before it kept mono recordings as one channel.
std::vector<int16_t> ConvertedBySdl(const std::vector<uint8_t>& wav) {
  SDL_AudioSpec recorded{};
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
  if (!SDL_LoadWAV_RW(rw, 1, &recorded, &buffer, &length)) return {};
  SDL_AudioCVT cvt;
  SDL_BuildAudioCVT(&cvt, recorded.format, recorded.channels, recorded.freq, AUDIO_S16SYS, 2, kRate);
  std::vector<Uint8> work(static_cast<size_t>(length) * std::max(1, cvt.len_mult));
  std::memcpy(work.data(), buffer, length);
  SDL_FreeWAV(buffer);
  cvt.buf = work.data();
  cvt.len = static_cast<int>(length);
  if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return {};
  std::vector<int16_t> out(static_cast<size_t>(cvt.needed ? cvt.len_cvt : cvt.len) / 2);
  std::memcpy(out.data(), work.data(), out.size() * 2);
  return out;
}

}  // namespace

// A mono recording is kept as one channel and a stereo one as two; both
// are heard sample for sample as SDL converts them, on both sides.
TEST_F(DirectMusicTest, MonoAndStereoRecordingsPlayExactlyAsConverted) {
  const std::vector<int16_t> tone = Tone(0.15, 440, 8000);
  std::vector<int16_t> sides(2 * tone.size());
  for (size_t i = 0; i < tone.size(); ++i) {
    sides[2 * i] = tone[i];
    sides[2 * i + 1] = static_cast<int16_t>(-tone[i] / 2);  // the right side differs
  }
  for (const std::vector<uint8_t>& wav : {MakeWav(tone), MakeWav(sides, 11025, 2)}) {
    const std::vector<int16_t> expected = ConvertedBySdl(wav);
    ASSERT_GT(expected.size(), 1000u);
    Listening listen(loader, wav);
    ASSERT_TRUE(listen.ready);
    const std::vector<int16_t> mixed = [&] {
      EXPECT_EQ(S_OK, Play(listen.performance, listen.segment));
      return dmusic::RenderMix(expected.size() / 2 + 64);
    }();
    ASSERT_GE(mixed.size(), expected.size());
    // Played from the first frame mixed after the call, then silence.
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(mixed[i], expected[i]) << "sample " << i;
    for (size_t i = expected.size(); i < mixed.size(); ++i) ASSERT_EQ(mixed[i], 0) << "sample " << i;
  }
}
