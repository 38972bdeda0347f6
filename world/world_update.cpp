// SPDX-License-Identifier: MIT
// The frame update. Drag, the bullets' fall and the Glorbs' drift change once
// per frame rather than per second, so their effect depends on the frame rate;
// the game was tuned for display-rate frames.
#include "world/world_update.h"

#include "world/game_object.h"
#include "world/game_state.h"
#include "world/input_state.h"
#include "world/portable_math.h"
#include "world/weapons.h"
#include "world/world_services.h"

namespace {

constexpr float kDragPerFrame = 0.8f;
constexpr float kFallPerFrame = 0.02f;
constexpr float kPlayEdge = 5.0f;    // the ship bounces beyond this
constexpr float kBulletEdge = 6.0f;  // bullets are freed beyond this
constexpr float kGlorbShown = 4.5f;  // Glorbs are drawn within this
constexpr float kPieceLimit = 4.0f;  // pieces are held within this
// The longest frame the world takes in one step. Below ten frames a second
// the game slows down instead of jumping: one long frame (a suspended
// machine, a stopped process) would otherwise carry the Glorbs far out of
// reach, and an endless one would turn everything into NaN.
constexpr float kLongestFrame = 0.1f;

float Clamp(float value, float low, float high) {
  return value < low ? low : (value > high ? high : value);
}

// A new reading that is not later than the last one (the timer was reset
// at a level start) counts as a hundredth of a second; a longer frame than
// kLongestFrame, an infinite one included, counts as kLongestFrame.
float MeasureFrameTime() {
  const float now = worldServices.applicationTime();
  float dt = now - LastFrameTime;
  if (!(dt > 0.0f)) dt = 0.01f;
  if (dt > kLongestFrame) dt = kLongestFrame;
  LastFrameTime = now;
  return dt;
}

void SteerShip(ShipObject* ship, float dt) {
  if (ship->respawnTimer > 0.0f) {
    ship->respawnTimer -= dt;
    if (ship->respawnTimer <= 0.0f) {
      ship->velocity = Vector3(0.0f, 0.0f, 0.0f);
      ship->respawnTimer = 0.0f;
      ship->visible = 1;
      ship->dead = 0;
    }
  }
  if (ship->visible) PlaceShip(ship, ship->position + ship->velocity * dt);
  ship->aimAngle = Clamp(ship->aimAngle + InputState.pitchRate * dt, 0.0f, kPi);
  ship->heading += InputState.turnRate * dt;
  ship->velocity.x *= kDragPerFrame;
  ship->velocity.y *= kDragPerFrame;
  ship->velocity.x += PortableSin(ship->heading) * InputState.thrust * dt;
  ship->velocity.y += -PortableCos(ship->heading) * InputState.thrust * dt;
  ship->velocity.y += InputState.lateralMove * dt;
  ship->velocity.x += InputState.verticalMove * dt;
}

void TrackEngineSound() {
  if (InputState.thrust > 0.5f && !EngineSoundOn) {
    EngineSoundOn = 1;
  } else if (InputState.thrust <= 0.5f && EngineSoundOn) {
    worldServices.stopSound(WorldSound::EngineRev);
    EngineSoundOn = 0;
  }
}

void FireIfReady(ShipObject* ship, float dt) {
  FireCooldown -= dt;
  const bool ready = FireCooldown <= 0.0f;
  if (!InputState.fireHeld || !ready || !ship->visible) return;
  const WeaponInfo* weapon = GetWeaponInfo(Weapon);
  if (weapon == nullptr) return;
  DeductScore(1);
  worldServices.playSound(WorldSound::GunFire);
  FireWeapon(ship, Weapon);
  FireCooldown = weapon->cooldown;
}

// True when x or y lies below -edge or above edge.
bool Outside(const Vector3& p, float edge) {
  return p.x < -edge || p.x > edge || p.y < -edge || p.y > edge;
}

// Sends a ship that left the square back toward the centre at unit speed.
void BounceAtEdge(ShipObject* ship) {
  const Vector3& p = ship->position;
  if (!Outside(p, kPlayEdge)) return;
  Normalize(ship->velocity, p);
  ship->velocity.x = -ship->velocity.x;
  ship->velocity.y = -ship->velocity.y;
  ship->velocity.z = 0.0f;
}

void WrapFrame(SpriteObject* sprite) {
  if (sprite->frame < 0.0f) sprite->frame += sprite->frameCount;
  if (sprite->frame >= sprite->frameCount) sprite->frame -= sprite->frameCount;
}

void DriftGlorb(GlorbObject* glorb, float dt) {
  glorb->driftSpeed += glorb->driftStep;
  if (glorb->driftSpeed > 1.0f || glorb->driftSpeed < -1.0f) glorb->driftStep = -glorb->driftStep;
  glorb->position.x += glorb->driftSpeed * dt;
  glorb->position.y += PortableSin(500.0f * glorb->driftSpeed * dt) * 0.5f * dt;
  // Held where bullets still fly, so every Glorb can always be shot.
  glorb->position.x = Clamp(glorb->position.x, -kBulletEdge, kBulletEdge);
  glorb->position.y = Clamp(glorb->position.y, -kBulletEdge, kBulletEdge);
  const Vector3& p = glorb->position;
  glorb->visible = (p.x >= -kGlorbShown && p.x <= kGlorbShown && p.y >= -kGlorbShown && p.y <= kGlorbShown);
  WrapFrame(glorb);
}

// Moves and animates one sprite; returns false when it has expired.
bool MoveSprite(SpriteObject* sprite, float dt) {
  sprite->frame += dt * sprite->frameRate;
  switch (sprite->kind) {
    case KIND_DEBRIS: {
      DebrisObject* debris = static_cast<DebrisObject*>(sprite);
      debris->position += debris->velocity * dt;
      const bool expired = debris->frame >= debris->frameCount;
      return !expired;
    }
    case KIND_BULLET: {
      BulletObject* bullet = static_cast<BulletObject*>(sprite);
      bullet->fallSpeed += kFallPerFrame;
      bullet->position.z += dt * bullet->velocity.z - dt * bullet->fallSpeed;
      bullet->position.x += dt * bullet->velocity.x;
      bullet->position.y += dt * bullet->velocity.y;
      return !Outside(bullet->position, kBulletEdge);
    }
    case KIND_GLORB:
      DriftGlorb(static_cast<GlorbObject*>(sprite), dt);
      return true;
    default:  // pyramids, cubes and spheres stay put, inside the pieces' square
      sprite->position.x = Clamp(sprite->position.x, -kPieceLimit, kPieceLimit);
      sprite->position.y = Clamp(sprite->position.y, -kPieceLimit, kPieceLimit);
      WrapFrame(sprite);
      return true;
  }
}

void MoveObjects(float dt) {
  for (GameObject* object = DisplayList; object; object = object->next) {
    if (object->kind == KIND_SHIP || object->kind == KIND_SHIP_PART) continue;
    if (!MoveSprite(static_cast<SpriteObject*>(object), dt)) object = FreeObjectStepBack(object);
  }
}

// Looks at the ship from 7 units along the game's +x; while the ship is dead
// the eye shakes, less and less as the respawn timer runs out.
void AimCamera(const ShipObject* ship) {
  Vector3 eye(ship->position.x + 7.0f, 1.3f, 1.0f);
  const Vector3 lookAt(ship->position.x, 1.0f, 1.0f);
  const Vector3 up(0.0f, 1.0f, 0.0f);
  if (ship->dead == 1) {
    const float rz = RandomRange(-1.0f, 1.0f);
    const float ry = RandomRange(-1.0f, 1.0f);
    const float rx = RandomRange(-1.0f, 1.0f);
    eye.x += rx * ship->respawnTimer / 50.0f;
    eye.y += ry * ship->respawnTimer / 50.0f;
    eye.z += rz * ship->respawnTimer / 50.0f;
  }
  worldServices.aimCamera(eye, lookAt, up);
}

}  // namespace

void UpdateWorld() {
  ShipObject* ship = PlayerShip;
  if (ship == nullptr) return;
  const float dt = MeasureFrameTime();
  if (InputState.paused) return;
  SteerShip(ship, dt);
  TrackEngineSound();
  FireIfReady(ship, dt);
  BounceAtEdge(ship);
  MoveObjects(dt);
  AimCamera(ship);
}
