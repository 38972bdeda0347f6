// SPDX-License-Identifier: MIT
#include "world/state_hash.h"

void AddObjectState(StateHash& h, const GameObject* o) {
  h.Add(o->kind);
  h.Add(o->modelSlot);
  h.Add(o->visible);
  h.Add(o->position);
  if (const auto* sprite = dynamic_cast<const SpriteObject*>(o)) {
    h.Add(sprite->frame);
    h.Add(sprite->colour);
  }
  if (const auto* glorb = dynamic_cast<const GlorbObject*>(o)) h.Add(glorb->driftSpeed);
  if (const auto* debris = dynamic_cast<const DebrisObject*>(o)) h.Add(debris->velocity);
  if (const auto* bullet = dynamic_cast<const BulletObject*>(o)) {
    h.Add(bullet->bulletType);
    h.Add(bullet->velocity);
  }
  if (const auto* ship = dynamic_cast<const ShipBase*>(o)) {
    h.Add(ship->aimAngle);
    h.Add(ship->heading);
    h.Add(ship->dead);
    h.Add(ship->respawnTimer);
  }
  if (const auto* ship = dynamic_cast<const ShipObject*>(o)) h.Add(ship->velocity);
}
