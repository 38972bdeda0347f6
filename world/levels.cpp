// SPDX-License-Identifier: MIT
// Level start. Leaves the list alone apart from the new Glorbs, so bullets
// still in flight carry over into the new level.
#include "world/levels.h"

#include "world/game_object.h"
#include "world/game_state.h"
#include "world/input_state.h"
#include "world/random.h"
#include "world/world_services.h"

namespace {

constexpr DWORD kClosingLevel = 3;
constexpr int kGlorbsPerRow = 6;
constexpr float kShipHiddenSeconds = 2.0f;

}  // namespace

void BeginNextLevel() {
  ShipObject* ship = PlayerShip;
  if (ship == nullptr) return;  // no list to fill before start-up built the ship
  Level += 1;
  if (Level == kClosingLevel) worldServices.closeProgram();
  SeedRandom(worldServices.seedClock());

  for (DWORD row = 0; row < Level; ++row) {
    for (int n = 0; n < kGlorbsPerRow; ++n) {
      const float r = static_cast<float>(row);
      InsertObject(new GlorbObject(Vector3(0.5f * n - 6.0f + r, 0.3f * n - 4.0f + r, 0.1f)));
    }
  }

  PlaceShip(ship, Vector3(0.0f, 1.5f, 0.3f));
  ship->velocity = Vector3(0.0f, 0.0f, 0.0f);
  ship->visible = 0;
  ship->dead = 0;
  ship->respawnTimer = kShipHiddenSeconds;

  InputState.turnRate = 0.0f;
  InputState.thrust = 0.0f;
  InputState.fireHeld = 0;

  worldServices.stopSound(WorldSound::EngineIdle);
  worldServices.stopSound(WorldSound::EngineRev);
}
