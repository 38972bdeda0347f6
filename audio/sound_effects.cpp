// SPDX-License-Identifier: MIT
// The sound-effect pointers, switching sound on and off, and the play and
// stop calls the game makes. Relies on the sound manager (common/src/dmutil)
// and on the media directory of the application for the search path.
#include "audio/sound_effects.h"

#include <dxerr8.h>

#include <string>

#include "common/src/dmutil.h"
#include "common/src/media_files.h"

SoundManager* soundManager = nullptr;

SoundSegment* soundBeginLevel = nullptr;
SoundSegment* soundEngineIdle = nullptr;
SoundSegment* soundEngineRev = nullptr;
SoundSegment* soundShieldBuzz = nullptr;
SoundSegment* soundShipExplode = nullptr;
SoundSegment* soundGunFire = nullptr;
SoundSegment* soundShipBounce = nullptr;
SoundSegment* soundGlorbExplode = nullptr;
SoundSegment* soundPyramidExplode = nullptr;
SoundSegment* soundCubeExplode = nullptr;
SoundSegment* soundSphereExplode = nullptr;

namespace {

struct Effect {
  SoundSegment** segment;
  const char* resourceName;
};

// Table order is the order of loading and of freeing.
const Effect kEffects[] = {
    {&soundBeginLevel, "BEGINLEVEL"},         {&soundEngineIdle, "ENGINEIDLE"},
    {&soundEngineRev, "ENGINEREV"},           {&soundShieldBuzz, "SHIELDBUZZ"},
    {&soundShipExplode, "SHIPEXPLODE"},       {&soundGunFire, "GUNFIRE"},
    {&soundShipBounce, "SHIPBOUNCE"},         {&soundGlorbExplode, "GLORBEXPLODE"},
    {&soundPyramidExplode, "PYRAMIDEXPLODE"}, {&soundCubeExplode, "CUBEEXPLODE"},
    {&soundSphereExplode, "SPHEREEXPLODE"},
};

const DWORD kPerformanceChannels = 128;

// An effect that does not load stays silent, but a trace line names it and
// says why, so a silent shot can be diagnosed.
void SayNotLoaded(const char* name, HRESULT hr) {
  std::string reason;
  if (hr == E_FAIL)
    reason = "the program carries no such recording";
  else if (hr == DMUS_E_LOADER_FAILEDOPEN)
    reason = "the loader cannot open the recording";
  else
    reason = std::string("the recording does not load: ") + DXGetErrorString8A(hr);
  OutputDebugStringA(("sound " + std::string(name) + " not loaded: " + reason + "\n").c_str());
}

}  // namespace

HRESULT CreateSounds(HWND window) {
  // A second manager would orphan the first and every loaded effect.
  if (soundManager) return S_FALSE;
  soundManager = new SoundManager();
  if (FAILED(soundManager->Initialize(window, kPerformanceChannels, DMUS_APATH_SHARED_STEREOPLUSREVERB))) {
    // Sound stays off, so that Sound On tries again (quietly: the manager
    // has said what was missing).
    DestroySounds();
    return E_FAIL;
  }
  soundManager->SetSearchDirectory(GetMediaDirectory());
  // An effect that does not load keeps its null pointer and stays silent.
  for (const Effect& e : kEffects) {
    const HRESULT hr = soundManager->CreateSegmentFromResource(e.segment, e.resourceName, "WAV", TRUE, FALSE);
    if (FAILED(hr)) SayNotLoaded(e.resourceName, hr);
  }
  return S_OK;
}

void DestroySounds() {
  for (const Effect& e : kEffects) {
    delete *e.segment;
    *e.segment = nullptr;
  }
  delete soundManager;
  soundManager = nullptr;
}

void PlaySound(SoundSegment* effect) {
  if (effect) effect->Play(DMUS_SEGF_SECONDARY, nullptr);
}

void StopSound(SoundSegment* effect) {
  if (effect) effect->Stop(DMUS_SEGF_BEAT);
}
