// Fills the world's import table with the pieces of the program it must not
// link itself: the clock, the main window, the sound effects and the camera.
#include "app/world_wiring.h"

#include <windows.h>

#include "app/app_globals.h"
#include "common/src/frame_timer.h"
#include "audio/sound_effects.h"
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

// Looked up at each call: switching sound off and on again loads new segments.
SoundSegment* Effect(WorldSound sound) {
  switch (sound) {
    case WorldSound::None:
      return nullptr;
    case WorldSound::ShipExplode:
      return soundShipExplode;
    case WorldSound::GunFire:
      return soundGunFire;
    case WorldSound::EngineIdle:
      return soundEngineIdle;
    case WorldSound::EngineRev:
      return soundEngineRev;
    case WorldSound::GlorbExplode:
      return soundGlorbExplode;
    case WorldSound::PyramidExplode:
      return soundPyramidExplode;
    case WorldSound::CubeExplode:
      return soundCubeExplode;
    case WorldSound::SphereExplode:
      return soundSphereExplode;
  }
  return nullptr;
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
