// The sound-effect pointers and the play and stop calls the game makes. The
// segments themselves come from the sound layer, which loads them when sound
// is switched on; until then every pointer is null and every call is silent.
#include "audio/sound_effects.h"

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

void PlaySound(SoundSegment* effect) {
  if (effect == nullptr) return;
  // A loaded effect plays as a secondary segment (DMUS_SEGF_SECONDARY, no
  // audio path): the segment's Play call belongs here once segments exist.
}

void StopSound(SoundSegment* effect) {
  if (effect == nullptr) return;
  // A loaded effect stops at the next beat (DMUS_SEGF_BEAT): the segment's
  // Stop call belongs here once segments exist.
}
