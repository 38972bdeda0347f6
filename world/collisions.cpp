// SPDX-License-Identifier: MIT
// Collision pass. A bullet or the ship hits at most one target per frame:
// the first overlapping one in list order, which is the newest. Everything
// built here goes straight behind the ship, so the outer walk still reaches
// what the ship's own hit or death released in the same pass.
#include "world/collisions.h"

#include "world/game_object.h"
#include "world/game_state.h"
#include "world/input_state.h"
#include "world/portable_math.h"
#include "world/world_services.h"

namespace {

constexpr int kDebrisPerBurst = 4;
constexpr DWORD kDeathPenalty = 150;
constexpr int kDeathSpheres = 4;
constexpr int kDeathRingBullets = 20;
constexpr int kDeathDebris = 100;
constexpr float kDeathRingSpeed = 500.0f;
constexpr float kShipDeadSeconds = 2.0f;

// What destroying each target kind does, indexed by kind.
struct TargetInfo {
  WorldSound sound;
  DWORD releasedKind;  // KIND_SHIP_PART for none
  int releasedCount;
  DWORD points;
};
const TargetInfo kTargets[] = {
    /* ship part */ {WorldSound::None, KIND_SHIP_PART, 0, 0},
    /* Glorb     */ {WorldSound::GlorbExplode, KIND_PYRAMID, 4, 10},
    /* pyramid   */ {WorldSound::PyramidExplode, KIND_SPHERE, 1, 20},
    /* cube      */ {WorldSound::CubeExplode, KIND_SHIP_PART, 0, 40},
    /* sphere    */ {WorldSound::SphereExplode, KIND_SHIP_PART, 0, 20},
};

float CollisionRadius(const GameObject* object) {
  if (object->kind == KIND_SHIP || object->kind == KIND_SHIP_PART)
    return static_cast<const ShipBase*>(object)->radius;
  return static_cast<const SpriteObject*>(object)->radius;
}

// Four slow particles; ry is drawn before rx.
void ThrowDebris(const Vector3& where) {
  for (int i = 0; i < kDebrisPerBurst; ++i) {
    const float ry = RandomRange(-1.0f, 1.0f);
    const float rx = RandomRange(-1.0f, 1.0f);
    InsertObject(new DebrisObject(where, 0.05f * Vector3(rx, ry, 0.0f)));
  }
}

void ReleasePiece(DWORD kind, const Vector3& where) {
  if (kind == KIND_PYRAMID) InsertObject(new PyramidObject(where));
  if (kind == KIND_SPHERE) InsertObject(new SphereObject(where));
}

// Destroys the target, scores it and releases its pieces and debris; returns
// the object the walk continues from.
GameObject* DestroyTarget(GameObject* target) {
  const TargetInfo& info = kTargets[target->kind];
  worldServices.playSound(info.sound);
  for (int i = 0; i < info.releasedCount; ++i) ReleasePiece(info.releasedKind, target->position);
  AddScore(info.points);
  ThrowDebris(target->position);
  return FreeObjectStepBack(target);
}

void KillShip(ShipObject* ship) {
  worldServices.playSound(WorldSound::ShipExplode);
  DeductScore(kDeathPenalty);
  const Vector3 where = ship->position;
  for (int i = 0; i < kDeathSpheres; ++i) InsertObject(new SphereObject(where));
  for (int i = 0; i < kDeathRingBullets; ++i) {
    const float b = kPi * RandomRange(-1.0f, 1.0f);
    InsertObject(new BulletObject(where, kDeathRingSpeed * Vector3(PortableCos(b), PortableSin(b), 0.0f), 0));
  }
  for (int i = 0; i < kDeathDebris; ++i) {
    const float k = 0.1f * RandomRange(-1.0f, 1.0f) + 1.0f;
    const float b = kPi * RandomRange(-1.0f, 1.0f);
    InsertObject(new DebrisObject(where, k * Vector3(PortableCos(b), PortableSin(b), 0.0f)));
  }
  ship->velocity.x = 0.0f;
  ship->velocity.y = 0.0f;
  InputState.thrust = 0.0f;
  InputState.turnRate = 0.0f;
  ship->respawnTimer = kShipDeadSeconds;
  ship->visible = 0;
  ship->dead = 1;
}

// Tests one bullet or the ship against the targets; true when it is spent.
// A hidden ship still destroys what it touches but does not die.
bool CollideOne(GameObject* a) {
  bool spent = false;
  for (GameObject* b = DisplayList->next; b; b = b->next) {
    if (!IsTarget(b)) continue;
    const float distance = (a->position - b->position).Length();
    if (CollisionRadius(a) + CollisionRadius(b) > distance) {
      b = DestroyTarget(b);
      spent = true;
    }
    if (a->kind == KIND_BULLET && !spent && a->position.z <= FloorHeight(a->position.x, a->position.y)) {
      ThrowDebris(a->position);
      worldServices.playSound(WorldSound::PyramidExplode);
      spent = true;
    }
    if (spent) {
      if (a->kind != KIND_SHIP) return true;
      ShipObject* ship = static_cast<ShipObject*>(a);
      if (ship->visible) KillShip(ship);
      return false;
    }
  }
  return false;
}

}  // namespace

void CollideWorld() {
  if (DisplayList == nullptr || PlayerShip == nullptr) return;
  for (GameObject* a = DisplayList; a; a = a->next) {
    if (a->kind != KIND_BULLET && a->kind != KIND_SHIP) continue;
    if (CollideOne(a)) a = FreeObjectStepBack(a);
  }
}
