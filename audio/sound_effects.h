// The game's eleven sound effects: one segment pointer per effect, null while
// the effect is not loaded (or sound is off). Callers pass the pointer as it
// is; playing or stopping an effect that is not loaded does nothing.
#pragma once

class SoundSegment;

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

// Plays one more instance of the effect over whatever is sounding.
void PlaySound(SoundSegment* effect);
// Stops every playing instance of the effect at the next beat.
void StopSound(SoundSegment* effect);
