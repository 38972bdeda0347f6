// SPDX-License-Identifier: MIT
// Wave segments: a parsed recording, decoded into the device format while
// at least one performance holds a download of it.
#include "dm_objects.h"
#include "mixer_device.h"

#include <utility>

namespace dmusic {

Segment::Segment(WaveData wave) : wave_(std::move(wave)) {}

Segment::~Segment() {
  for (const DownloadRecord& r : downloads_) r.performance->RemoveDownload(this);
  downloads_.clear();
  mixer::Free(chunk_);
}

STDMETHODIMP Segment::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, {&IID_IUnknown, &IID_IDirectMusicSegment, &IID_IDirectMusicSegment8});
}

STDMETHODIMP Segment::SetRepeats(DWORD repeats) {
  repeats_ = repeats;
  return S_OK;
}

STDMETHODIMP Segment::GetParam(REFGUID, DWORD, DWORD, MUSIC_TIME, MUSIC_TIME* next, void* data) {
  if (next) *next = 0;
  // A wave segment has no tracks to answer from.
  return data ? DMUS_E_NOT_FOUND : E_POINTER;
}

STDMETHODIMP Segment::SetParam(REFGUID type, DWORD, DWORD, MUSIC_TIME, void*) {
  // The MIDI hint only changes how MIDI content is downloaded; a recording
  // has none, so it is accepted and changes nothing.
  if (type == GUID_StandardMIDIFile) return S_OK;
  return DMUS_E_SET_UNSUPPORTED;
}

STDMETHODIMP Segment::GetAudioPathConfig(IUnknown** config) {
  if (!config) return E_POINTER;
  *config = nullptr;
  return DMUS_E_NO_AUDIOPATH_CONFIG;
}

STDMETHODIMP Segment::Download(IUnknown* target) {
  if (!target) return E_POINTER;
  Performance* performance = Performance::FromTarget(target);
  if (!performance) return E_INVALIDARG;
  if (!performance->AudioOpen()) return DMUS_E_NOT_INIT;
  if (!chunk_) chunk_ = mixer::Decode(wave_.ToRiff());
  if (!chunk_) return DMUS_E_BADWAVE;
  for (DownloadRecord& r : downloads_) {
    if (r.performance == performance) {
      ++r.count;
      return S_OK;
    }
  }
  downloads_.push_back({performance, 1});
  performance->AddDownload(this);
  return S_OK;
}

STDMETHODIMP Segment::Unload(IUnknown* target) {
  if (!target) return E_POINTER;
  Performance* performance = Performance::FromTarget(target);
  if (!performance) return E_INVALIDARG;
  for (size_t i = 0; i < downloads_.size(); ++i) {
    if (downloads_[i].performance != performance) continue;
    if (--downloads_[i].count == 0) {
      performance->RemoveDownload(this);
      DropRecord(i);
    }
    return S_OK;
  }
  return DMUS_E_NOT_DOWNLOADED_TO_PORT;
}

Mix_Chunk* Segment::ChunkFor(const Performance* performance) const {
  for (const DownloadRecord& r : downloads_) {
    if (r.performance == performance) return chunk_;
  }
  return nullptr;
}

int Segment::Loops() const {
  // SDL_mixer counts loops in an int; anything past that is endless anyway.
  return repeats_ >= 0x7FFFFFFF ? -1 : static_cast<int>(repeats_);
}

void Segment::Forget(const Performance* performance) {
  for (size_t i = 0; i < downloads_.size(); ++i) {
    if (downloads_[i].performance == performance) {
      DropRecord(i);
      return;
    }
  }
}

void Segment::DropRecord(size_t i) {
  downloads_.erase(downloads_.begin() + static_cast<std::ptrdiff_t>(i));
  if (downloads_.empty()) {
    mixer::Free(chunk_);
    chunk_ = nullptr;
  }
}

}  // namespace dmusic
