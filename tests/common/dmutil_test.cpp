// SPDX-License-Identifier: MIT
// The sound manager and its segment wrapper: loading from resources and
// files, the download and play contract, the traced and the quiet
// failures, and names that do not fit. (What the effects sound like is
// measured by the audio tests, through this same wrapper.)
#include "common/src/dmutil.h"

#include <win32/resource_table.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "dmusic/sound_capture.h"
#include "win32/debug_capture.h"

using namespace sound_test;

namespace {

const std::vector<uint8_t>& ToneWav() {
  static const std::vector<uint8_t> wav = MakeWav(Tone(0.3, 440, 8000));
  return wav;
}
const std::vector<uint8_t>& CutWav() {
  static const std::vector<uint8_t> cut(ToneWav().begin(), ToneWav().begin() + 300);
  return cut;
}

const win32::ResourceEntry kEntries[] = {
    {"WAV", 0, "TONE", 0, ToneWav().data(), ToneWav().size()},
    {"WAV", 0, "CUT", 0, CutWav().data(), CutWav().size()},
};

class SoundManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { win32::RegisterResources(kEntries, 2); }
  void TearDown() override { win32::UnregisterResources(kEntries); }
};

}  // namespace

TEST_F(SoundManagerTest, CoIsStartedAndEndedOnceAndSearchNeedsALoader) {
  const int before = CoInitializeCount();
  {
    SoundManager manager;
    EXPECT_EQ(before + 1, CoInitializeCount());
    EXPECT_EQ(E_UNEXPECTED, manager.SetSearchDirectory("/tmp"));
    SoundSegment* segment = nullptr;
    EXPECT_EQ(E_UNEXPECTED, manager.CreateSegmentFromResource(&segment, "TONE", "WAV"));
    EXPECT_EQ(E_FAIL, manager.CreateSegmentFromResource(&segment, "NOSUCH", "WAV"));
    EXPECT_EQ(nullptr, segment);
    EXPECT_EQ(nullptr, manager.GetDefaultAudioPath());
    ASSERT_EQ(S_OK, manager.Initialize(nullptr));
    EXPECT_EQ(S_OK, manager.SetSearchDirectory("/tmp"));
    IDirectMusicAudioPath8* path = manager.GetDefaultAudioPath();
    EXPECT_NE(nullptr, path);
    SafeRelease(path);
  }
  EXPECT_EQ(before, CoInitializeCount());
}

TEST_F(SoundManagerTest, AResourceSegmentPlaysOnlyOnceDownloaded) {
  SoundManager manager;
  ASSERT_EQ(S_OK, manager.Initialize(nullptr, 128, DMUS_APATH_SHARED_STEREOPLUSREVERB));
  SoundSegment* segment = nullptr;
  ASSERT_EQ(S_OK, manager.CreateSegmentFromResource(&segment, "TONE", "WAV", FALSE, FALSE));
  ASSERT_NE(nullptr, segment);
  EXPECT_EQ(E_FAIL, segment->Play(DMUS_SEGF_SECONDARY));
  EXPECT_FALSE(segment->IsPlaying());
  ASSERT_EQ(S_OK, segment->Download());
  EXPECT_EQ(S_OK, segment->Play(DMUS_SEGF_SECONDARY));
  EXPECT_TRUE(segment->IsPlaying());
  EXPECT_EQ(S_OK, segment->Stop(0));
  EXPECT_FALSE(segment->IsPlaying());
  EXPECT_EQ(S_OK, segment->Unload());
  EXPECT_EQ(E_FAIL, segment->Play(DMUS_SEGF_SECONDARY));
  delete segment;  // never downloaded now: nothing to unload

  // The MIDI hint is accepted for recordings, and the download is done.
  ASSERT_EQ(S_OK, manager.CreateSegmentFromResource(&segment, "TONE", "WAV", TRUE, TRUE));
  EXPECT_EQ(S_OK, segment->SetRepeats(1));
  EXPECT_EQ(S_OK, segment->Play(DMUS_SEGF_SECONDARY));
  IDirectMusicStyle8* style = nullptr;
  EXPECT_EQ(DMUS_E_NOT_FOUND, segment->GetStyle(&style));
  delete segment;
}

TEST_F(SoundManagerTest, WithoutADefaultPathASegmentHasNowhereToPlay) {
  SoundManager manager;
  ASSERT_EQ(S_OK, manager.Initialize(nullptr, 128, 0));
  SoundSegment* segment = nullptr;
  ASSERT_EQ(S_OK, manager.CreateSegmentFromResource(&segment, "TONE", "WAV"));
  EXPECT_EQ(DMUS_E_NO_AUDIOPATH, segment->Play(DMUS_SEGF_SECONDARY));
  delete segment;
}

TEST_F(SoundManagerTest, MissingResourcesFailQuietlyAndDamagedOnesAreTraced) {
  SoundManager manager;
  ASSERT_EQ(S_OK, manager.Initialize(nullptr));
  DebugCapture trace;
  SoundSegment* segment = nullptr;
  EXPECT_EQ(E_FAIL, manager.CreateSegmentFromResource(&segment, "NOSUCH", "WAV"));
  EXPECT_EQ(E_FAIL, manager.CreateSegmentFromResource(&segment, "TONE", "MIDI"));
  EXPECT_EQ("", trace.text);
  EXPECT_EQ(DMUS_E_INVALIDFILE, manager.CreateSegmentFromResource(&segment, "CUT", "WAV"));
  EXPECT_EQ(nullptr, segment);
  // The trace's line (after our DirectMusic's own note): the layer's path and
  // the line, the call, the error's name and value.
  const std::string prefix = "\ncommon/src/dmutil(";
  const std::string rest = "): LoadObjectFromFile (hr=DMUS_E_INVALIDFILE (0x88781200))\n";
  const size_t open = trace.text.find(prefix);
  ASSERT_NE(std::string::npos, open) << trace.text;
  const size_t close = trace.text.find(rest, open);
  ASSERT_NE(std::string::npos, close) << trace.text;
  EXPECT_EQ(trace.text.size(), close + rest.size()) << trace.text;
  const std::string line = trace.text.substr(open + prefix.size(), close - open - prefix.size());
  EXPECT_FALSE(line.empty());
  EXPECT_EQ(std::string::npos, line.find_first_not_of("0123456789")) << line;
}

TEST_F(SoundManagerTest, FilesComeFromTheSearchDirectoryAndMissingOnesFailQuietly) {
  const std::string dir = testing::TempDir();
  std::ofstream(dir + "/tone.wav", std::ios::binary)
      .write(reinterpret_cast<const char*>(ToneWav().data()), static_cast<std::streamsize>(ToneWav().size()));
  SoundManager manager;
  ASSERT_EQ(S_OK, manager.Initialize(nullptr));
  ASSERT_EQ(S_OK, manager.SetSearchDirectory(dir.c_str()));
  SoundSegment* segment = nullptr;
  ASSERT_EQ(S_OK, manager.CreateSegmentFromFile(&segment, "tone.wav"));
  EXPECT_EQ(S_OK, segment->Play(DMUS_SEGF_SECONDARY));
  delete segment;
  segment = nullptr;
  DebugCapture trace;
  EXPECT_EQ(DMUS_E_LOADER_FAILEDOPEN, manager.CreateSegmentFromFile(&segment, "missing.wav"));
  EXPECT_EQ("", trace.text);
  // Scripts are traced when the loader cannot make them.
  SoundScript* script = nullptr;
  EXPECT_EQ(DMUS_E_LOADER_FAILEDCREATE, manager.CreateScriptFromFile(&script, "tone.wav"));
  EXPECT_EQ(nullptr, script);
  EXPECT_NE(std::string::npos, trace.text.find("LoadObjectFromFile"));
  IDirectMusicSegment8* motif = nullptr;
  EXPECT_EQ(DMUS_E_LOADER_FAILEDCREATE, manager.GetMotifFromStyle(&motif, "tone.wav", "motif"));
  EXPECT_EQ(nullptr, motif);
  manager.CollectGarbage();
  std::remove((dir + "/tone.wav").c_str());
}

TEST_F(SoundManagerTest, NamesTooLongForTheWideBufferAreRefusedWhole) {
  SoundManager manager;
  ASSERT_EQ(S_OK, manager.Initialize(nullptr));
  const std::string longName(400, 'x');
  SoundSegment* segment = nullptr;
  EXPECT_EQ(E_INVALIDARG, manager.SetSearchDirectory(longName.c_str()));
  EXPECT_EQ(E_INVALIDARG, manager.CreateSegmentFromFile(&segment, longName.c_str()));
  EXPECT_EQ(nullptr, segment);
  SoundScript* script = nullptr;
  EXPECT_EQ(E_INVALIDARG, manager.CreateScriptFromFile(&script, longName.c_str()));
}

TEST_F(SoundManagerTest, AWrapperWithoutInterfacesAnswersNotInitialised) {
  SoundSegment empty(nullptr, nullptr, nullptr);
  EXPECT_EQ(CO_E_NOTINITIALIZED, empty.Play(DMUS_SEGF_SECONDARY));
  EXPECT_EQ(CO_E_NOTINITIALIZED, empty.Stop(DMUS_SEGF_BEAT));
  EXPECT_EQ(CO_E_NOTINITIALIZED, empty.Download());
  EXPECT_EQ(CO_E_NOTINITIALIZED, empty.SetRepeats(2));
  EXPECT_FALSE(empty.IsPlaying());  // an error code is not "playing"
  SoundScript noScript(nullptr, nullptr, nullptr);
  EXPECT_EQ(CO_E_NOTINITIALIZED, noScript.CallRoutine("Start"));
}

TEST_F(SoundManagerTest, WithoutASoundDeviceInitializeFailsWithOneLineAndNoBox) {
  AudioDriver nowhere("nonexistent");
  DebugCapture trace;
  testing::internal::CaptureStderr();
  {
    SoundManager manager;
    EXPECT_EQ(DSERR_NODRIVER, manager.Initialize(nullptr));
  }
  {
    SoundManager again;  // tried again, still without a device
    EXPECT_EQ(DSERR_NODRIVER, again.Initialize(nullptr));
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ("no sound device: playing without sound\n", err);
  EXPECT_EQ(std::string::npos, trace.text.find("InitAudio")) << "traced as an unexpected error";
}

// A segment that carries an audio-path configuration, which our DirectMusic
// never makes: fakes record what the wrapper asks of them, in order.
namespace {

std::vector<std::string> calls;

struct FakeConfig : ComObject<IUnknown> {
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override { return Answer(riid, o, {&IID_IUnknown}); }
  ~FakeConfig() override { calls.push_back("config gone"); }
};

struct FakePath : ComObject<IDirectMusicAudioPath8> {
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override {
    return Answer(riid, o, {&IID_IUnknown, &IID_IDirectMusicAudioPath8});
  }
  ~FakePath() override { calls.push_back("path gone"); }
};

struct FakeSegment : ComObject<IDirectMusicSegment8> {
  IUnknown* path = nullptr;  // to name targets in the log
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override {
    return Answer(riid, o, {&IID_IUnknown, &IID_IDirectMusicSegment, &IID_IDirectMusicSegment8});
  }
  ~FakeSegment() override { calls.push_back("segment gone"); }
  STDMETHODIMP SetRepeats(DWORD) override { return S_OK; }
  STDMETHODIMP GetParam(REFGUID, DWORD, DWORD, MUSIC_TIME, MUSIC_TIME*, void*) override { return E_NOTIMPL; }
  STDMETHODIMP SetParam(REFGUID, DWORD, DWORD, MUSIC_TIME, void*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAudioPathConfig(IUnknown** config) override {
    *config = new FakeConfig();
    return S_OK;
  }
  std::string Target(IUnknown* target) const { return target == path ? "own path" : "elsewhere"; }
  STDMETHODIMP Download(IUnknown* target) override {
    calls.push_back("download to " + Target(target));
    return S_OK;
  }
  STDMETHODIMP Unload(IUnknown* target) override {
    calls.push_back("unload from " + Target(target));
    return S_OK;
  }
};

struct FakePerformance : ComObject<IDirectMusicPerformance8> {
  FakePath* made = nullptr;
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override {
    return Answer(riid, o, {&IID_IUnknown, &IID_IDirectMusicPerformance8});
  }
  STDMETHODIMP Stop(IDirectMusicSegment*, IDirectMusicSegmentState*, MUSIC_TIME, DWORD) override {
    return S_OK;
  }
  STDMETHODIMP IsPlaying(IDirectMusicSegment*, IDirectMusicSegmentState*) override { return S_FALSE; }
  STDMETHODIMP CloseDown() override { return S_OK; }
  STDMETHODIMP InitAudio(IDirectMusic**, IDirectSound**, HWND, DWORD, DWORD, DWORD,
                         DMUS_AUDIOPARAMS*) override {
    return S_OK;
  }
  STDMETHODIMP PlaySegmentEx(IUnknown*, WCHAR*, IUnknown*, DWORD, LONGLONG, IDirectMusicSegmentState**,
                             IUnknown*, IUnknown* path) override {
    calls.push_back(path == made ? "play on own path" : "play elsewhere");
    return S_OK;
  }
  STDMETHODIMP StopEx(IUnknown*, LONGLONG, DWORD) override { return S_OK; }
  STDMETHODIMP CreateAudioPath(IUnknown* config, BOOL activate, IDirectMusicAudioPath** path) override {
    calls.push_back(std::string("path from config") + (config && activate ? ", active" : ""));
    made = new FakePath();
    *path = made;
    return S_OK;
  }
  STDMETHODIMP GetDefaultAudioPath(IDirectMusicAudioPath**) override { return E_NOTIMPL; }
};

}  // namespace

TEST(SoundSegmentOwnPath, ASegmentWithAConfigurationPlaysAndUnloadsOnItsOwnPath) {
  calls.clear();
  FakePerformance* performance = new FakePerformance();
  FakeSegment* fake = new FakeSegment();  // its one reference goes to the wrapper
  auto* segment = new SoundSegment(performance, nullptr, fake);
  fake->path = performance->made;
  EXPECT_EQ(S_OK, segment->Download());
  EXPECT_EQ(S_OK, segment->Play(DMUS_SEGF_SECONDARY, nullptr));
  delete segment;
  const std::vector<std::string> expected = {
      "path from config, active", "config gone", "download to own path", "play on own path",
      "unload from own path",     "path gone",   "segment gone"};
  EXPECT_EQ(expected, calls);
  performance->Release();
}
