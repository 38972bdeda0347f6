// SPDX-License-Identifier: MIT
// The game's side of replays: its world checksum, handed down to the
// platform's recorder, and the session wrapped around WinMain.
#include "app/replay_session.h"

#include <host/replay.h>
#include <win32/data_directory.h>

#include <cstring>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app/main_window.h"
#include "input/menus.h"
#include "world/game_object.h"
#include "world/game_state.h"

namespace {

// FNV-1a over the bytes of each value, in a fixed order.
struct Hash {
  uint32_t value = 2166136261u;
  template <typename T>
  void Add(const T& v) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    for (unsigned char b : bytes) value = (value ^ b) * 16777619u;
  }
  void Add(const Vector3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
};

void AddObject(Hash& h, const GameObject* o) {
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

}  // namespace

uint32_t WorldChecksum() {
  Hash h;
  h.Add(appState);
  h.Add(appActive);
  h.Add(fullScreen);
  h.Add(Score);
  h.Add(Level);
  h.Add(Weapon);
  h.Add(FireCooldown);
  h.Add(LastFrameTime);
  h.Add(EngineSoundOn);
  // The open menu by its id and highlighted entry; pointers differ by run.
  h.Add(currentMenu ? currentMenu->id : DWORD(~0u));
  h.Add(currentMenu ? currentMenu->selected : DWORD(0));
  DWORD objects = 0;
  for (const GameObject* o = DisplayList; o; o = o->next, ++objects) AddObject(h, o);
  h.Add(objects);
  return h.value;
}

int RunGameSession(const char* gameVersion) {
  if (!host::replay::StartFromEnvironment(gameVersion, win32::DataDirectory() + "/Media")) return 1;
  host::replay::SetWorldChecksum(WorldChecksum);
  char commandLine[1] = {'\0'};
  const int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
  return host::replay::Finish(fatalErrorShown ? 1 : result);
}
