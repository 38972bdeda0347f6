// The performance on a real mixer: what it plays is captured through SDL's
// disk audio driver and measured; downloads, paths and refusals are checked
// on the dummy driver.
#include <cstdlib>

#include "dmusic/dmusic_fixture.h"

using namespace sound_test;

namespace {

// A recording downloaded to a performance that plays through the disk
// driver until it closes down.
struct Listening {
  DiskAudio disk;
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
  // Closes the device and hands back what it played.
  std::vector<int16_t> Finish() {
    performance->CloseDown();
    return disk.Left();
  }
};

}  // namespace

TEST_F(DirectMusicTest, APlayedSegmentIsHeardForItsLengthTimesItsRepeats) {
  Listening listen(loader, MakeWav(Tone(0.2, 440, 8000)));
  ASSERT_TRUE(listen.ready);
  IDirectMusicSegment8* segment = listen.segment;
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  EXPECT_EQ(S_OK, listen.performance->IsPlaying(segment, nullptr));
  SleepMs(400);
  EXPECT_EQ(S_FALSE, listen.performance->IsPlaying(segment, nullptr));
  ASSERT_EQ(S_OK, segment->SetRepeats(2));
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  SleepMs(800);
  EXPECT_EQ(S_OK, segment->Unload(listen.performance));
  const std::vector<int16_t> out = listen.Finish();
  ASSERT_GT(out.size(), Frames(1.1));

  const Span once = Loud(out, 0, Frames(0.35));
  ASSERT_LT(once.first, Frames(0.35)) << "nothing heard";
  EXPECT_NEAR(static_cast<double>(once.Length()), Frames(0.2), Frames(0.004));
  EXPECT_NEAR(Peak(out, once.first, once.last + 1), 8000, 400);
  const Span thrice = Loud(out, Frames(0.38), out.size());
  EXPECT_NEAR(static_cast<double>(thrice.Length()), Frames(0.6), Frames(0.004));
}

TEST_F(DirectMusicTest, OverlappingInstancesAddUpAndSaturateInsteadOfWrapping) {
  Listening listen(loader, MakeWav(Tone(0.25, 300, 20000)));
  ASSERT_TRUE(listen.ready);
  IDirectMusicSegment8* segment = listen.segment;
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  SleepMs(450);
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  SleepMs(450);
  const std::vector<int16_t> out = listen.Finish();

  const Span single = Loud(out, 0, Frames(0.4));
  const Span mixed = Loud(out, Frames(0.42), out.size());
  ASSERT_LT(single.first, Frames(0.4));
  ASSERT_LT(mixed.first, out.size());
  const size_t a = VoiceStart(single.first);
  const size_t b = VoiceStart(mixed.first);
  const size_t count = Frames(0.25) + kBuffer;
  ASSERT_LE(b + count, out.size());
  // The two voices start in the same mixing buffer or one buffer apart.
  EXPECT_TRUE(IsSaturatedSum(out, a, b, 0, count) || IsSaturatedSum(out, a, b, kBuffer, count));
  EXPECT_GE(Peak(out, b, b + count), 32767) << "the sum should reach full scale";
  EXPECT_GT(Peak(out, b, b + count), Peak(out, a, a + count));
  RecordProperty("mixed_offset_frames", IsSaturatedSum(out, a, b, 0, count) ? 0 : static_cast<int>(kBuffer));
}

TEST_F(DirectMusicTest, AStopOnTheBeatWaitsForTheNextHalfSecondOfThePerformance) {
  Listening listen(loader, MakeWav(Tone(2.0, 440, 8000)));
  ASSERT_TRUE(listen.ready);
  IDirectMusicSegment8* segment = listen.segment;
  ASSERT_EQ(S_OK, Play(listen.performance, segment));
  SleepMs(150);
  ASSERT_EQ(S_OK, listen.performance->Stop(segment, nullptr, 0, DMUS_SEGF_BEAT));
  EXPECT_EQ(S_OK, listen.performance->IsPlaying(segment, nullptr)) << "stopped before the beat";
  SleepMs(900);
  EXPECT_EQ(S_FALSE, listen.performance->IsPlaying(segment, nullptr));
  const std::vector<int16_t> out = listen.Finish();

  const Span heard = Loud(out, 0, out.size());
  ASSERT_LT(heard.first, Frames(0.1));
  // The beat falls half a second of frames after the performance started
  // (within a buffer or two of the device opening); the voice is not mixed
  // into the first buffer that starts there or later.
  EXPECT_GE(heard.last + 1, Frames(0.5));
  EXPECT_LT(heard.last, Frames(0.5) + 3 * kBuffer);
  RecordProperty("stopped_at_ms", static_cast<int>(heard.last * 1000 / kRate));
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

TEST_F(DirectMusicTest, WithoutASoundDeviceInitAudioFailsAndNothingPlays) {
  DiskAudio nowhere("nonexistent");
  DebugCapture notes;
  IDirectMusicPerformance8* p = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                                   IID_IDirectMusicPerformance8, reinterpret_cast<void**>(&p)));
  EXPECT_EQ(DSERR_NODRIVER, p->InitAudio(nullptr, nullptr, nullptr, 1, 128, DMUS_AUDIOF_ALL, nullptr));
  EXPECT_NE(std::string::npos, notes.text.find("no sound device"));
  IDirectMusicSegment8* segment = nullptr;
  ASSERT_EQ(S_OK, FromMemory(MakeWav(Tone(0.2, 440, 8000)), &segment));
  EXPECT_EQ(DMUS_E_NOT_INIT, segment->Download(p));
  EXPECT_EQ(DMUS_E_NOT_INIT, Play(p, segment));
  EXPECT_EQ(DMUS_E_NOT_INIT, p->Stop(nullptr, nullptr, 0, 0));
  EXPECT_EQ(S_OK, p->CloseDown());
  SafeRelease(segment);
  SafeRelease(p);
}
