// SPDX-License-Identifier: MIT
// The game's side of replays: its world checksum, handed down to the
// platform's recorder, and the session wrapped around WinMain.
#include "app/replay_session.h"

#include <host/replay.h>
#include <win32/data_directory.h>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app/main_window.h"
#include "input/menus.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/state_hash.h"

uint32_t WorldChecksum() {
  StateHash h;
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
  for (const GameObject* o = DisplayList; o; o = o->next, ++objects) AddObjectState(h, o);
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
