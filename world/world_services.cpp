// SPDX-License-Identifier: MIT
// The world's services before the application fills them in: none of them
// reaches outside the world.
#include "world/world_services.h"

namespace {

float NoTime() {
  return 0.0f;
}
DWORD NoSeed() {
  return 0;
}
void NoClose() {}
void NoSound(WorldSound) {}
void NoCamera(const Vector3&, const Vector3&, const Vector3&) {}

}  // namespace

// Constant-initialised, so it is ready before any constructor of the program runs.
WorldServices worldServices = {NoTime, NoSeed, NoClose, NoSound, NoSound, NoCamera};

WorldServices InertWorldServices() {
  return WorldServices{NoTime, NoSeed, NoClose, NoSound, NoSound, NoCamera};
}
