// SPDX-License-Identifier: MIT
// The application globals and the state machine: start-up order, the step
// of each state, the render dispatch and the shut-down order. Relies on the
// world (levels, update, collisions, the display list) and the sound effects.
#include "app/app_states.h"

#include "app/app_globals.h"
#include "app/display.h"
#include "app/input_wiring.h"
#include "app/world_wiring.h"
#include "audio/sound_effects.h"
#include "common/src/frame_timer.h"
#include "input/game_input.h"
#include "input/input_device_manager.h"
#include "input/menus.h"
#include "render/level_intro.h"
#include "render/render_game.h"
#include "world/collisions.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/levels.h"
#include "world/world_update.h"

HWND mainWindow = nullptr;
AppState appState = APP_STARTUP;
bool appActive = false;
bool fullScreen = false;
bool displayReady = false;
HBITMAP splashBitmap = nullptr;
DWORD screenWidth = 640;
DWORD screenHeight = 480;
bool cursorShown = true;

// The world and the input side run on the game's clock, window, display,
// sounds and camera from the program's start, before the entry point; tests
// put their own in later.
[[maybe_unused]] const bool servicesWired =
    (worldServices = GameWorldServices(), inputServices = GameInputServices(), true);

namespace {

void LoadSplash() {
  appState = APP_SPLASH;
  splashBitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), "SPLASH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!splashBitmap)
    OutputDebugStringA("Glorbs: the splash picture is missing or damaged; a black window waits for a key\n");
  SendMessageA(mainWindow, WM_PAINT, 0, 0);
}

void StepPlay() {
  PollInput();
  // An open menu takes the world's turn; collisions still run. The world's
  // clock follows along behind the menu, as it does behind the pause, so
  // that closing the menu does not move everything by the time it was open.
  if (currentMenu) {
    HandleMenuInput();
    LastFrameTime = FrameTimer(TIMER_CMD_APPTIME);
  } else {
    UpdateWorld();
  }
  CollideWorld();
  if (OnlyBulletsLeft()) {
    BeginNextLevel();
    appState = APP_LEVEL_START;
  }
}

}  // namespace

HRESULT StartupApplication(HWND window) {
  // Input first, ahead of sound and the display; the menus follow the ship.
  HRESULT hr = InitInput(window);  // its failure has shown fatal error 6
  if (FAILED(hr)) return hr;
  CreateSounds(window);        // without sound the game goes on silently
  hr = CreateDisplay(window);  // sets displayReady
  if (FAILED(hr)) return hr;
  BuildDisplayList();
  BuildMenus();
  appState = APP_STARTUP;
  return S_OK;
}

void StepApplication() {
  switch (appState) {
    case APP_STARTUP:
      LoadSplash();
      break;
    case APP_SPLASH:
      break;  // the key handler of the window leaves this state
    case APP_PLAYING:
      StepPlay();
      break;
    case APP_LEVEL_START:
      PlaySound(soundBeginLevel);
      FrameTimer(TIMER_CMD_RESET);
      appState = APP_LEVEL_INTRO;
      break;
    case APP_LEVEL_INTRO:
      if (FrameTimer(TIMER_CMD_APPTIME) > 1.0f) appState = APP_PLAYING;
      break;
  }
}

HRESULT DrawApplication() {
  if (!device) return S_OK;
  const HRESULT level = device->TestCooperativeLevel();
  if (level == D3DERR_DEVICENOTRESET) return SUCCEEDED(ResetDisplay(fullScreen)) ? S_OK : level;
  if (FAILED(level)) return level == D3DERR_DEVICELOST ? S_OK : level;  // lost: ask again next pass
  DrawCurrentState();
  return S_OK;
}

void DrawCurrentState() {
  // The splash stays as GDI painted it.
  if (appState == APP_PLAYING) {
    RenderGame();
    ShowBackBuffer();
  } else if (appState == APP_LEVEL_INTRO) {
    DrawLevelIntro(Level);
    ShowBackBuffer();
  }
}

void ShutdownAll() {
  // The display (which begins with the display list) goes first; the
  // sounds, the input device manager and the menus follow.
  DestroyDisplay();
  DestroySounds();
  delete inputDeviceManager;
  inputDeviceManager = nullptr;
  DestroyMenus();  // quitMenu, then mainMenu
  if (splashBitmap) {
    DeleteObject(splashBitmap);
    splashBitmap = nullptr;
  }
}
