// SPDX-License-Identifier: MIT
// The check for a real display before anything opens. It keeps SDL's video
// running only for the question; host::Init starts it again for the game.
#include <SDL.h>

#include <cstring>

#include <host/display_check.h>

namespace host {

bool DefaultDisplayFound() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool shows = driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return shows;
}

}  // namespace host
