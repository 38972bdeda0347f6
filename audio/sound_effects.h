// SPDX-License-Identifier: MIT
// The game's eleven sound effects: one segment pointer per effect, null while
// the effect is not loaded (or sound is off). Callers pass the pointer as it
// is; playing or stopping an effect that is not loaded does nothing.
// The recordings are the program's "WAV" resources, named as below.
#pragma once

#include <windows.h>

class SoundManager;
class SoundSegment;

// Null while sound is off, also after the sound device could not be
// started: the game then plays silently, and Sound On tries again.
extern SoundManager* soundManager;

extern SoundSegment* soundBeginLevel;      // BEGINLEVEL: a level begins
extern SoundSegment* soundEngineIdle;      // ENGINEIDLE: stopped at each level start
extern SoundSegment* soundEngineRev;       // ENGINEREV: stopped when thrust falls back
extern SoundSegment* soundShieldBuzz;      // SHIELDBUZZ: loaded, never played
extern SoundSegment* soundShipExplode;     // SHIPEXPLODE: the ship is destroyed
extern SoundSegment* soundGunFire;         // GUNFIRE: every shot
extern SoundSegment* soundShipBounce;      // SHIPBOUNCE: loaded, never played
extern SoundSegment* soundGlorbExplode;    // GLORBEXPLODE: a Glorb is destroyed
extern SoundSegment* soundPyramidExplode;  // PYRAMIDEXPLODE: a pyramid, or a bullet on the floor
extern SoundSegment* soundCubeExplode;     // CUBEEXPLODE: a cube is destroyed
extern SoundSegment* soundSphereExplode;   // SPHEREEXPLODE: a sphere, and the menu sound

// Switches sound on: starts the sound manager and loads every effect that
// loads (the others stay null and silent, each named with its reason on the
// debugger output). E_FAIL when the sound device does not start (sound
// stays off, soundManager null); S_FALSE, with nothing changed, while sound
// is already on.
HRESULT CreateSounds(HWND window);
// Switches sound off: frees every effect, then the manager. May run twice.
void DestroySounds();

// Plays one more instance of the effect over whatever is sounding.
void PlaySound(SoundSegment* effect);
// Stops every playing instance of the effect at the next beat.
void StopSound(SoundSegment* effect);
