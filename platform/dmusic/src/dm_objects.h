// SPDX-License-Identifier: MIT
// The DirectMusic objects: wave segments, the performance and its audio
// paths. Segments and performances know each other through raw pointers
// that each side removes from the other before it goes (a download record
// on one side, a registration on the other), so neither outlives a
// reference to the other.
#pragma once

#include <dmusici.h>

#include <vector>

#include "wave_data.h"

struct Mix_Chunk;

namespace dmusic {

class Performance;

class Segment : public ComObject<IDirectMusicSegment8> {
 public:
  explicit Segment(WaveData wave);
  ~Segment() override;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD(SetRepeats)(DWORD repeats) override;
  STDMETHOD(GetParam)
  (REFGUID type, DWORD group, DWORD index, MUSIC_TIME time, MUSIC_TIME* next, void* data) override;
  STDMETHOD(SetParam)(REFGUID type, DWORD group, DWORD index, MUSIC_TIME time, void* data) override;
  STDMETHOD(GetAudioPathConfig)(IUnknown** config) override;
  STDMETHOD(Download)(IUnknown* audioPath) override;
  STDMETHOD(Unload)(IUnknown* audioPath) override;

  // The decoded recording when downloaded to `performance`, else null.
  Mix_Chunk* ChunkFor(const Performance* performance) const;
  // Extra plays for SDL_mixer (-1: endless).
  int Loops() const;
  // The performance closes down: its downloads are gone.
  void Forget(const Performance* performance);

 private:
  struct DownloadRecord {
    Performance* performance;
    int count;
  };
  void DropRecord(size_t i);

  WaveData wave_;
  DWORD repeats_ = 0;
  Mix_Chunk* chunk_ = nullptr;  // decoded while any download is held
  std::vector<DownloadRecord> downloads_;
};

class AudioPath : public ComObject<IDirectMusicAudioPath> {
 public:
  explicit AudioPath(Performance* owner) : owner_(owner) {}
  ~AudioPath() override;
  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  Performance* Owner() const { return owner_; }
  void Detach() { owner_ = nullptr; }

 private:
  Performance* owner_ = nullptr;
};

class Performance : public ComObject<IDirectMusicPerformance8> {
 public:
  ~Performance() override;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD(Stop)
  (IDirectMusicSegment* segment, IDirectMusicSegmentState* state, MUSIC_TIME time, DWORD flags) override;
  STDMETHOD(IsPlaying)(IDirectMusicSegment* segment, IDirectMusicSegmentState* state) override;
  STDMETHOD(CloseDown)() override;
  STDMETHOD(InitAudio)
  (IDirectMusic** music, IDirectSound** sound, HWND window, DWORD defaultPathType, DWORD pchannelCount,
   DWORD flags, DMUS_AUDIOPARAMS* params) override;
  STDMETHOD(PlaySegmentEx)
  (IUnknown* source, WCHAR* segmentName, IUnknown* transition, DWORD flags, LONGLONG startTime,
   IDirectMusicSegmentState** state, IUnknown* from, IUnknown* audioPath) override;
  STDMETHOD(StopEx)(IUnknown* objectToStop, LONGLONG stopTime, DWORD flags) override;
  STDMETHOD(CreateAudioPath)(IUnknown* config, BOOL activate, IDirectMusicAudioPath** path) override;
  STDMETHOD(GetDefaultAudioPath)(IDirectMusicAudioPath** path) override;

  // The performance a download target names: a performance, or an audio
  // path of one; null for anything else.
  static Performance* FromTarget(IUnknown* target);
  bool AudioOpen() const { return open_; }
  void AddDownload(Segment* segment);
  void RemoveDownload(Segment* segment);
  void RemovePath(AudioPath* path);

 private:
  // The device frame of the stop moment: `time` (music time from the
  // performance start, 0: now) moved on to the next boundary of the grid
  // the flags ask for.
  uint64_t StopFrame(MUSIC_TIME time, DWORD flags) const;

  bool open_ = false;
  uint64_t startFrame_ = 0;
  AudioPath* defaultPath_ = nullptr;  // one reference
  std::vector<AudioPath*> paths_;     // every live path made here, borrowed
  std::vector<Segment*> downloads_;   // segments downloaded here, borrowed
};

}  // namespace dmusic
