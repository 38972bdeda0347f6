// SPDX-License-Identifier: MIT
// The loader: WAV data from memory and from files, refusal of damaged or
// unsupported data, search directories and the cache of file objects.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "dmusic/dmusic_fixture.h"

using sound_test::MakeWav;
using sound_test::Tone;

namespace {

std::vector<uint8_t> GoodWav() {
  return MakeWav(Tone(0.2, 440, 8000));
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(x >> (8 * i));
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::u16string Wide(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

}  // namespace

TEST_F(DirectMusicTest, ObjectsComeFromCoCreateInstanceOnlyWhileComIsStarted) {
  IDirectMusicPerformance8* p = nullptr;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                                   IID_IDirectMusicPerformance8, reinterpret_cast<void**>(&p)));
  SafeRelease(p);
  IDirectMusicLoader8* wrongInterface = nullptr;
  EXPECT_EQ(E_NOINTERFACE,
            CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicPerformance8,
                             reinterpret_cast<void**>(&wrongInterface)));
  EXPECT_EQ(nullptr, wrongInterface);
  CoUninitialize();
  EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC,
                                                  IID_IDirectMusicLoader8, reinterpret_cast<void**>(&p)));
  CoInitialize(nullptr);
}

TEST_F(DirectMusicTest, MemoryDataMakesASegmentAndTheCallerKeepsItsBuffer) {
  std::vector<uint8_t> wav = GoodWav();
  IDirectMusicSegment8* segment = nullptr;
  ASSERT_EQ(S_OK, FromMemory(wav, &segment));
  ASSERT_NE(nullptr, segment);
  wav.assign(wav.size(), 0xEE);  // the loader copied what it needed
  IUnknown* config = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(DMUS_E_NO_AUDIOPATH_CONFIG, segment->GetAudioPathConfig(&config));
  EXPECT_EQ(nullptr, config);
  EXPECT_EQ(S_OK, segment->SetParam(GUID_StandardMIDIFile, 0xFFFFFFFF, 0, 0, nullptr));
  EXPECT_EQ(DMUS_E_SET_UNSUPPORTED, segment->SetParam(GUID_IDirectMusicStyle, 0xFFFFFFFF, 0, 0, nullptr));
  IDirectMusicStyle8* style = nullptr;
  EXPECT_EQ(DMUS_E_NOT_FOUND, segment->GetParam(GUID_IDirectMusicStyle, 0xFFFFFFFF, 0, 0, nullptr, &style));
  EXPECT_EQ(S_FALSE, loader->ReleaseObjectByUnknown(segment));  // memory objects are not cached
  SafeRelease(segment);
}

TEST_F(DirectMusicTest, DamagedWavDataIsRefusedAtEveryTruncation) {
  DebugCapture quiet;
  const std::vector<uint8_t> wav = GoodWav();
  for (size_t size = 1; size < wav.size(); size += (size < 64 ? 1 : 97)) {
    std::vector<uint8_t> cut(wav.begin(), wav.begin() + static_cast<std::ptrdiff_t>(size));
    IDirectMusicSegment8* segment = nullptr;
    EXPECT_EQ(DMUS_E_INVALIDFILE, FromMemory(cut, &segment)) << "cut at " << size;
    EXPECT_EQ(nullptr, segment);
  }
  EXPECT_GE(Fired(dmusic::DIAG_BAD_WAV), 60);
  EXPECT_EQ(Fired(dmusic::DIAG_UNSUPPORTED_CALL), 0);
}

TEST_F(DirectMusicTest, LyingSizesAndForeignFormatsAreRefused) {
  DebugCapture quiet;
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int bytes;
    HRESULT expected;
  };
  const Case cases[] = {
      {"chunk size past the end", 40, 0xFFFFFFF0u, 4, DMUS_E_INVALIDFILE},
      {"format chunk size past the end", 16, 0x7FFFFFFFu, 4, DMUS_E_INVALIDFILE},
      {"format chunk too short", 16, 8, 4, DMUS_E_INVALIDFILE},
      {"not RIFF", 0, 0x46464952u + 1, 4, DMUS_E_INVALIDFILE},
      {"float samples", 20, 3, 2, DMUS_E_NOTPCM},
      {"six channels", 22, 6, 2, DMUS_E_NOTPCM},
      {"24-bit samples", 34, 24, 2, DMUS_E_NOTPCM},
      {"block align wrong", 32, 7, 2, DMUS_E_INVALIDFILE},
      {"rate zero", 24, 0, 4, DMUS_E_NOTPCM},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> wav = GoodWav();
    for (int i = 0; i < c.bytes; ++i)
      wav[c.at + static_cast<size_t>(i)] = static_cast<uint8_t>(c.value >> (8 * i));
    IDirectMusicSegment8* segment = nullptr;
    EXPECT_EQ(c.expected, FromMemory(wav, &segment)) << c.what;
    EXPECT_EQ(nullptr, segment) << c.what;
  }
  // A RIFF size smaller than the data is cut there; a larger one is truncation.
  std::vector<uint8_t> wav = GoodWav();
  Put32(wav, 4, static_cast<uint32_t>(wav.size()));
  IDirectMusicSegment8* segment = nullptr;
  EXPECT_EQ(DMUS_E_INVALIDFILE, FromMemory(wav, &segment));
}

TEST_F(DirectMusicTest, DescriptorsWithoutClassSourceOrRightSizeAreRefused) {
  const std::vector<uint8_t> wav = GoodWav();
  DMUS_OBJECTDESC desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwValidData = DMUS_OBJ_MEMORY;
  desc.llMemLength = static_cast<LONGLONG>(wav.size());
  desc.pbMemData = const_cast<uint8_t*>(wav.data());
  void* object = nullptr;
  EXPECT_EQ(DMUS_E_LOADER_NOCLASSID, loader->GetObject(&desc, IID_IDirectMusicSegment8, &object));
  desc.dwValidData |= DMUS_OBJ_CLASS;
  desc.guidClass = CLSID_DirectMusicSegment;
  desc.dwSize = 848;  // the 32-bit layout
  EXPECT_EQ(E_INVALIDARG, loader->GetObject(&desc, IID_IDirectMusicSegment8, &object));
  desc.dwSize = sizeof(desc);
  desc.dwValidData = DMUS_OBJ_CLASS;
  EXPECT_EQ(DMUS_E_LOADER_NOFILENAME, loader->GetObject(&desc, IID_IDirectMusicSegment8, &object));
  desc.dwValidData = DMUS_OBJ_CLASS | DMUS_OBJ_MEMORY;
  desc.guidClass = CLSID_DirectMusicScript;
  DebugCapture quiet;
  EXPECT_EQ(DMUS_E_LOADER_FAILEDCREATE, loader->GetObject(&desc, IID_IDirectMusicScript8, &object));
  EXPECT_EQ(Fired(dmusic::DIAG_UNSUPPORTED_CALL), 1);
  EXPECT_EQ(E_POINTER, loader->GetObject(nullptr, IID_IDirectMusicSegment8, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(DirectMusicTest, FilesAreFoundInTheSearchDirectoryAndCachedByPath) {
  char dirTemplate[] = "/tmp/glorbs_dmusic_XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dirTemplate));
  const std::string dir = dirTemplate;
  ASSERT_EQ(0, mkdir((dir + "/Media").c_str(), 0700));
  WriteFile(dir + "/Media/tone.wav", GoodWav());

  std::u16string missingDir = Wide(dir + "/nowhere");
  EXPECT_EQ(DMUS_E_LOADER_BADPATH,
            loader->SetSearchDirectory(GUID_DirectMusicAllTypes, &missingDir[0], FALSE));
  // Directories may be written the Windows way, with a trailing separator.
  std::u16string media = Wide(dir + "\\Media\\");
  ASSERT_EQ(S_OK, loader->SetSearchDirectory(GUID_DirectMusicAllTypes, &media[0], FALSE));

  std::u16string name = u"tone.wav";
  IDirectMusicSegment8* first = nullptr;
  IDirectMusicSegment8* second = nullptr;
  ASSERT_EQ(S_OK, loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, &name[0],
                                             reinterpret_cast<void**>(&first)));
  ASSERT_EQ(S_OK, loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, &name[0],
                                             reinterpret_cast<void**>(&second)));
  EXPECT_EQ(first, second);
  EXPECT_EQ(S_OK, loader->ReleaseObjectByUnknown(first));
  EXPECT_EQ(S_FALSE, loader->ReleaseObjectByUnknown(first));
  // The cache answers without reading the file again until garbage
  // collection drops what nothing but the cache holds.
  SafeRelease(first);
  SafeRelease(second);
  IDirectMusicSegment8* cached = nullptr;
  ASSERT_EQ(S_OK, loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, &name[0],
                                             reinterpret_cast<void**>(&cached)));
  SafeRelease(cached);
  WriteFile(dir + "/Media/tone.wav", {'R', 'I', 'F', 'F'});
  EXPECT_EQ(S_OK, loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, &name[0],
                                             reinterpret_cast<void**>(&cached)));
  SafeRelease(cached);
  loader->CollectGarbage();
  DebugCapture quiet;
  EXPECT_EQ(DMUS_E_INVALIDFILE, loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8,
                                                           &name[0], reinterpret_cast<void**>(&cached)));
  WriteFile(dir + "/Media/tone.wav", GoodWav());

  std::u16string missing = u"missing.wav";
  void* object = nullptr;
  EXPECT_EQ(
      DMUS_E_LOADER_FAILEDOPEN,
      loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, &missing[0], &object));
  std::u16string full = Wide(dir + "/Media/tone.wav");
  EXPECT_EQ(S_OK, loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, &full[0],
                                             &object));
  static_cast<IUnknown*>(object)->Release();
  EXPECT_EQ(S_OK, loader->ClearCache(CLSID_DirectMusicSegment));

  std::remove((dir + "/Media/tone.wav").c_str());
  rmdir((dir + "/Media").c_str());
  rmdir(dir.c_str());
}
