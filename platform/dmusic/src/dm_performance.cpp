// SPDX-License-Identifier: MIT
// The performance: opens the sound device, plays downloaded segments as
// mixer voices and stops them on its beat grid. Its clock is the device's
// stream of mixed frames, counted from InitAudio; the tempo is DirectMusic's
// default of 120 beats a minute, so a beat is half a second of frames and
// DMUS_PPQ music-time units. Stops are exact to the frame.
#include <algorithm>

#include "diagnostics.h"
#include "dm_objects.h"
#include "mixer_device.h"

namespace dmusic {
namespace {

// Grid lengths count quarter frames, so that a grid division (a quarter
// of a beat of 11025 frames) is a whole number too.
const uint64_t kBeatQuarterFrames = 4 * mixer::kRate / 2;

struct Boundary {
  DWORD flag;
  uint64_t quarterFrames;
};
// Four grid divisions to a beat, four beats to a measure (4/4 time).
const Boundary kBoundaries[] = {
    {DMUS_SEGF_GRID, kBeatQuarterFrames / 4},
    {DMUS_SEGF_BEAT, kBeatQuarterFrames},
    {DMUS_SEGF_MEASURE, kBeatQuarterFrames * 4},
};

const DWORD kDefaultPathTypes[] = {DMUS_APATH_SHARED_STEREOPLUSREVERB, DMUS_APATH_DYNAMIC_3D,
                                   DMUS_APATH_DYNAMIC_MONO, DMUS_APATH_DYNAMIC_STEREO};

// Start flags that ask for a start later than "now".
const DWORD kTimedStartFlags =
    DMUS_SEGF_QUEUE | DMUS_SEGF_GRID | DMUS_SEGF_BEAT | DMUS_SEGF_MEASURE | DMUS_SEGF_DEFAULT;

HRESULT Refuse(const char* feature) {
  Unsupported(feature);
  return E_NOTIMPL;
}

}  // namespace

AudioPath::~AudioPath() {
  if (owner_) owner_->RemovePath(this);
}

STDMETHODIMP AudioPath::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, {&IID_IUnknown, &IID_IDirectMusicAudioPath8});
}

Performance::~Performance() {
  CloseDown();
}

STDMETHODIMP Performance::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, {&IID_IUnknown, &IID_IDirectMusicPerformance8});
}

Performance* Performance::FromTarget(IUnknown* target) {
  if (auto* performance = dynamic_cast<Performance*>(target)) return performance;
  if (auto* path = dynamic_cast<AudioPath*>(target)) return path->Owner();
  return nullptr;
}

void Performance::AddDownload(Segment* segment) {
  downloads_.push_back(segment);
}

void Performance::RemoveDownload(Segment* segment) {
  downloads_.erase(std::remove(downloads_.begin(), downloads_.end(), segment), downloads_.end());
}

void Performance::RemovePath(AudioPath* path) {
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

STDMETHODIMP Performance::InitAudio(IDirectMusic** music, IDirectSound** sound, HWND, DWORD defaultPathType,
                                    DWORD, DWORD, DMUS_AUDIOPARAMS* params) {
  if (open_) return DMUS_E_ALREADY_INITED;
  if (music || sound) return Refuse("handing out DirectMusic or DirectSound objects");
  if (params) return Refuse("audio parameters");
  const bool knownType = std::find(std::begin(kDefaultPathTypes), std::end(kDefaultPathTypes),
                                   defaultPathType) != std::end(kDefaultPathTypes);
  if (defaultPathType != 0 && !knownType) return E_INVALIDARG;
  if (!mixer::Open()) return DSERR_NODRIVER;
  open_ = true;
  startFrame_ = mixer::Now();
  if (defaultPathType != 0) {
    defaultPath_ = new AudioPath(this);
    paths_.push_back(defaultPath_);
  }
  return S_OK;
}

STDMETHODIMP Performance::CloseDown() {
  if (!open_) return S_OK;
  mixer::Stop(this, nullptr, 0);
  // Copies: Forget and Release call back into the lists.
  const std::vector<Segment*> downloads = downloads_;
  for (Segment* segment : downloads) segment->Forget(this);
  downloads_.clear();
  for (AudioPath* path : paths_) path->Detach();
  paths_.clear();
  SafeRelease(defaultPath_);
  mixer::Close();
  open_ = false;
  return S_OK;
}

STDMETHODIMP Performance::PlaySegmentEx(IUnknown* source, WCHAR* segmentName, IUnknown* transition,
                                        DWORD flags, LONGLONG startTime, IDirectMusicSegmentState** state,
                                        IUnknown* from, IUnknown* audioPath) {
  if (!open_) return DMUS_E_NOT_INIT;
  if (!source) return E_POINTER;
  if (segmentName || transition) return Refuse("playing by name or with a transition");
  if (state || from) return Refuse("segment states");
  if (startTime != 0 || (flags & kTimedStartFlags)) return Refuse("a delayed or aligned start");
  auto* segment = dynamic_cast<Segment*>(source);
  if (!segment) return E_INVALIDARG;

  AudioPath* path = defaultPath_;
  if (audioPath) {
    path = dynamic_cast<AudioPath*>(audioPath);
    if (!path || path->Owner() != this) return E_INVALIDARG;
  }
  if (!path) return DMUS_E_NO_AUDIOPATH;
  Mix_Chunk* chunk = segment->ChunkFor(this);
  if (!chunk) return DMUS_E_NOT_DOWNLOADED_TO_PORT;

  const bool primary = (flags & DMUS_SEGF_SECONDARY) == 0;
  if (primary) mixer::Stop(this, nullptr, 0, true);
  return mixer::Play(this, chunk, segment->Loops(), primary) ? S_OK : E_OUTOFMEMORY;
}

uint64_t Performance::StopFrame(MUSIC_TIME time, DWORD flags) const {
  const uint64_t now = 4 * (mixer::Now() - startFrame_);
  uint64_t at = time > 0 ? static_cast<uint64_t>(time) * kBeatQuarterFrames / DMUS_PPQ : now;
  if (at < now) at = now;
  for (const Boundary& b : kBoundaries) {
    if (flags & b.flag) {
      at = (at + b.quarterFrames - 1) / b.quarterFrames * b.quarterFrames;
      break;
    }
  }
  return startFrame_ + (at + 3) / 4;
}

STDMETHODIMP Performance::Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* state, MUSIC_TIME time,
                               DWORD flags) {
  if (!open_) return DMUS_E_NOT_INIT;
  if (state) return Refuse("segment states");
  const uint64_t at = StopFrame(time, flags);
  if (!segment) {
    mixer::Stop(this, nullptr, at);
    return S_OK;
  }
  auto* ours = dynamic_cast<Segment*>(segment);
  if (!ours) return E_INVALIDARG;
  // A segment never downloaded here has nothing playing here.
  if (Mix_Chunk* chunk = ours->ChunkFor(this)) mixer::Stop(this, chunk, at);
  return S_OK;
}

STDMETHODIMP Performance::StopEx(IUnknown* objectToStop, LONGLONG stopTime, DWORD flags) {
  if (stopTime != 0) return Refuse("a stop at a reference time");
  if (!objectToStop) return Stop(nullptr, nullptr, 0, flags);
  auto* segment = dynamic_cast<Segment*>(objectToStop);
  if (!segment) return E_INVALIDARG;
  return Stop(segment, nullptr, 0, flags);
}

STDMETHODIMP Performance::IsPlaying(IDirectMusicSegment* segment, IDirectMusicSegmentState* state) {
  if (!open_) return DMUS_E_NOT_INIT;
  if (state) return Refuse("segment states");
  if (!segment) return E_POINTER;
  auto* ours = dynamic_cast<Segment*>(segment);
  if (!ours) return E_INVALIDARG;
  Mix_Chunk* chunk = ours->ChunkFor(this);
  return chunk && mixer::IsPlaying(this, chunk) ? S_OK : S_FALSE;
}

STDMETHODIMP Performance::CreateAudioPath(IUnknown* config, BOOL, IDirectMusicAudioPath** path) {
  if (!path) return E_POINTER;
  *path = nullptr;
  if (!open_) return DMUS_E_NOT_INIT;
  return config ? E_INVALIDARG : E_POINTER;
}

STDMETHODIMP Performance::GetDefaultAudioPath(IDirectMusicAudioPath** path) {
  if (!path) return E_POINTER;
  *path = nullptr;
  if (!open_) return DMUS_E_NOT_INIT;
  if (!defaultPath_) return DMUS_E_NO_AUDIOPATH;
  defaultPath_->AddRef();
  *path = defaultPath_;
  return S_OK;
}

}  // namespace dmusic
