// SPDX-License-Identifier: MIT
// Fills the world's import table with the pieces of the program it must not
// link itself: the clock, the main window, the sound effects and the camera.
#include "app/world_wiring.h"

#include <windows.h>

#include <cstddef>

#include "app/app_globals.h"
#include "audio/sound_effects.h"
#include "common/src/frame_timer.h"
#include "render/scene_camera.h"

namespace {

float RealApplicationTime() {
  return FrameTimer(TIMER_CMD_APPTIME);
}

DWORD RealSeedClock() {
  return timeGetTime();
}

void RealCloseProgram() {
  PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

// Where each effect's segment lives, in the order of WorldSound. The
// segment is read at each call: switching sound off and on again loads new
// ones.
SoundSegment* const* const kEffects[] = {
    nullptr,  // None
    &soundShipExplode, &soundGunFire,       &soundEngineIdle,
    &soundEngineRev,   &soundGlorbExplode,  &soundPyramidExplode,
    &soundCubeExplode, &soundSphereExplode,
};
static_assert(sizeof(kEffects) / sizeof(kEffects[0]) == static_cast<size_t>(WorldSound::SphereExplode) + 1,
              "one entry per sound effect of the world");

SoundSegment* Effect(WorldSound sound) {
  SoundSegment* const* effect = kEffects[static_cast<size_t>(sound)];
  return effect ? *effect : nullptr;
}

void RealPlaySound(WorldSound sound) {
  PlaySound(Effect(sound));
}

void RealStopSound(WorldSound sound) {
  StopSound(Effect(sound));
}

D3DXVECTOR3 Drawing(const Vector3& v) {
  return D3DXVECTOR3(v.x, v.y, v.z);
}

void RealAimCamera(const Vector3& eye, const Vector3& lookAt, const Vector3& up) {
  sceneCamera.SetView(Drawing(eye), Drawing(lookAt), Drawing(up));
}

}  // namespace

WorldServices GameWorldServices() {
  return WorldServices{RealApplicationTime, RealSeedClock, RealCloseProgram,
                       RealPlaySound,       RealStopSound, RealAimCamera};
}
