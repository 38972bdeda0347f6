// SPDX-License-Identifier: MIT
// The four weapons. Bullets follow the aim angle (Blaster, Double blaster) or
// the heading (Spray gun, Proximity killer); all start at the ship.
#include "world/weapons.h"

#include "world/portable_math.h"

namespace {

const WeaponInfo kWeapons[] = {
    {"Blaster", 3, 0, 0.5f},
    {"Double blaster", 2, 1, 0.5f},
    {"Spray gun", 1, 2, 0.02f},
    {"Proximity killer", 50, 3, 1.0f},
};

void Fire(const Vector3& position, const Vector3& velocity, DWORD type) {
  InsertObject(new BulletObject(position, velocity, type));
}

// Along the aim angle: -y at 0, straight up at pi/2, +y at pi.
Vector3 AimDirection(const ShipObject* ship) {
  return Vector3(0.0f, -PortableCos(ship->aimAngle), PortableSin(ship->aimAngle));
}

void FireBlaster(const ShipObject* ship, const WeaponInfo& weapon) {
  static const Vector3 kMuzzles[] = {Vector3(0.0f, -0.12f, 0.15f), Vector3(-0.02f, -0.12f, 0.15f),
                                     Vector3(0.02f, -0.12f, 0.15f)};
  const Vector3 d = AimDirection(ship);
  for (const Vector3& muzzle : kMuzzles)
    Fire(ship->position + 0.1f * d + muzzle, 1.8f * d, weapon.bulletType);
}

void FireDoubleBlaster(const ShipObject* ship, const WeaponInfo& weapon) {
  const Vector3 side = 0.02f * Vector3(PortableCos(ship->heading), PortableSin(ship->heading), 0.0f);
  const Vector3 d = AimDirection(ship);
  Fire(ship->position + side, d, weapon.bulletType);
  Fire(ship->position - side, d, weapon.bulletType);
}

void FireSprayGun(const ShipObject* ship, const WeaponInfo& weapon) {
  const float b = ship->heading + 0.2f * RandomRange(-1.0f, 1.0f);
  Fire(ship->position, ship->velocity + Vector3(PortableSin(b), -PortableCos(b), 0.0f), weapon.bulletType);
}

void FireProximityKiller(const ShipObject* ship, const WeaponInfo& weapon) {
  for (DWORD i = 0; i < weapon.bulletsPerFiring; ++i) {
    const float b = ship->heading + kPi * RandomRange(-1.0f, 1.0f);
    Fire(ship->position, Vector3(PortableSin(b), -PortableCos(b), 0.0f), weapon.bulletType);
  }
}

using FireRoutine = void (*)(const ShipObject*, const WeaponInfo&);
const FireRoutine kFireRoutines[] = {FireBlaster, FireDoubleBlaster, FireSprayGun, FireProximityKiller};

}  // namespace

const WeaponInfo* GetWeaponInfo(DWORD weapon) {
  return weapon < sizeof(kWeapons) / sizeof(kWeapons[0]) ? &kWeapons[weapon] : nullptr;
}

void FireWeapon(ShipObject* ship, DWORD weapon) {
  const WeaponInfo* info = GetWeaponInfo(weapon);
  if (info) kFireRoutines[weapon](ship, *info);
}
