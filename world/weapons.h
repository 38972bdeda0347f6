// SPDX-License-Identifier: MIT
// The ship's four weapons: what one firing builds and how long it takes to
// be ready again.
#pragma once

#include <win_types.h>
#include "world/game_object.h"

struct WeaponInfo {
  const char* name;  // as the HUD shows it after "Weapon: "
  DWORD bulletsPerFiring;
  DWORD bulletType;
  float cooldown;  // seconds after firing
};

// Null for a weapon number outside 0 to 3.
const WeaponInfo* GetWeaponInfo(DWORD weapon);

// Builds and inserts the bullets of one firing of the weapon from the ship,
// each inserted as soon as it is built. Draws random numbers for the Spray
// gun and the Proximity killer only.
void FireWeapon(ShipObject* ship, DWORD weapon);
