// SPDX-License-Identifier: MIT
// The game's action tables and formats, input start-up and the per-frame
// poll. Relies on the device manager for the devices, on the world for the
// weapon and the ship's visibility, and on the display for fatal errors.
#include "input/game_input.h"

#include <cstring>

#include "input/input_device_manager.h"
#include "input/input_services.h"
#include "input/menus.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/input_state.h"

InputDeviceManager* inputDeviceManager = nullptr;
DIACTIONFORMATA gameActionFormat;
DIACTIONFORMATA menuActionFormat;

// The DirectInput action map identity under which the user's remapping is kept.
DEFINE_GUID(GLORBS_ACTION_MAP_GUID, 0x451F8CCC, 0xA7E9, 0x4DF4, 0x9A, 0x6B, 0xF4, 0xA7, 0xC7, 0x06, 0xF3,
            0x33);

DIACTIONA gameActions[GAME_ACTION_COUNT] = {
    {ACTION_MOVE_AXIS_X, DIAXIS_SPACESIM_LATERAL, 0, {"Move left/right"}, {}, 0, 0},
    {ACTION_MOVE_AXIS_Y, DIAXIS_SPACESIM_MOVE, 0, {"Move up/down"}, {}, 0, 0},
    {ACTION_FIRE, DIBUTTON_SPACESIM_FIRE, 0, {"Fire weapons"}, {}, 0, 0},
    {ACTION_CHANGE_VIEW, DIBUTTON_SPACESIM_VIEW, 0, {"Change view"}, {}, 0, 0},
    {ACTION_CHANGE_WEAPON, DIBUTTON_SPACESIM_WEAPONS, 0, {"Change weapons"}, {}, 0, 0},
    {ACTION_CHANGE_SHIP, DIBUTTON_SPACESIM_GEAR, 0, {"Change ship type"}, {}, 0, 0},
    {ACTION_GAME_MENU, DIBUTTON_SPACESIM_DEVICE, 0, {"Display game menu"}, {}, 0, 0},
    {ACTION_PAUSE, DIBUTTON_SPACESIM_MENU, 0, {"Start/pause"}, {}, 0, 0},
    {ACTION_TURN_LEFT, DIKEYBOARD(DIK_J), 0, {"Turn left"}, {}, 0, 0},
    {ACTION_TURN_RIGHT, DIKEYBOARD(DIK_K), 0, {"Turn right"}, {}, 0, 0},
    {ACTION_FORWARD, DIKEYBOARD(DIK_N), 0, {"Forward thrust"}, {}, 0, 0},
    {ACTION_REVERSE, DIKEYBOARD(DIK_M), 0, {"Reverse thrust"}, {}, 0, 0},
    {ACTION_FIRE, DIKEYBOARD(DIK_SPACE), 0, {"Fire weapons"}, {}, 0, 0},
    {ACTION_CHANGE_SHIP, DIKEYBOARD(DIK_A), 0, {"Change ship type"}, {}, 0, 0},
    {ACTION_CHANGE_VIEW, DIKEYBOARD(DIK_V), 0, {"Change view"}, {}, 0, 0},
    {ACTION_CHANGE_WEAPON, DIKEYBOARD(DIK_W), 0, {"Change weapons"}, {}, 0, 0},
    {ACTION_GAME_MENU, DIKEYBOARD(DIK_F1), DIA_APPFIXED, {"Display game menu"}, {}, 0, 0},
    {ACTION_PAUSE, DIKEYBOARD(DIK_PAUSE), 0, {"Start/pause"}, {}, 0, 0},
    {ACTION_QUIT_GAME, DIKEYBOARD(DIK_ESCAPE), DIA_APPFIXED, {"Quit game"}, {}, 0, 0},
    {ACTION_MOUSE_X, DIMOUSE_XAXIS, 0, {"Move left/right"}, {}, 0, 0},
    {ACTION_MOUSE_Y, DIMOUSE_YAXIS, 0, {"Move up/down"}, {}, 0, 0},
    {ACTION_MOUSE_WHEEL, DIMOUSE_WHEEL, 0, {"Change ship type"}, {}, 0, 0},
    {ACTION_FIRE, DIMOUSE_BUTTON0, 0, {"Fire weapons"}, {}, 0, 0},
    {ACTION_CHANGE_WEAPON, DIMOUSE_BUTTON1, 0, {"Change weapons"}, {}, 0, 0},
    {ACTION_MOVE_UP, DIKEYBOARD(DIK_UP), 0, {"Move up"}, {}, 0, 0},
    {ACTION_MOVE_DOWN, DIKEYBOARD(DIK_DOWN), 0, {"Move down"}, {}, 0, 0},
    {ACTION_MOVE_LEFT, DIKEYBOARD(DIK_Z), 0, {"Move left"}, {}, 0, 0},
    {ACTION_MOVE_RIGHT, DIKEYBOARD(DIK_X), 0, {"Move right"}, {}, 0, 0},
    {ACTION_TURN_UP, DIKEYBOARD(DIK_LEFT), 0, {"Turn Up"}, {}, 0, 0},
    {ACTION_TURN_DOWN, DIKEYBOARD(DIK_RIGHT), 0, {"Turn Down"}, {}, 0, 0},
};

DIACTIONA menuActions[MENU_ACTION_COUNT] = {
    {ACTION_MENU_AXIS_X, DIAXIS_BROWSER_LATERAL, 0, {"Left/right"}, {}, 0, 0},
    {ACTION_MENU_AXIS_Y, DIAXIS_BROWSER_MOVE, 0, {"Up/down"}, {}, 0, 0},
    {ACTION_MENU_SELECT, DIBUTTON_BROWSER_SELECT, 0, {"Select"}, {}, 0, 0},
    {ACTION_MENU_UP, DIBUTTON_BROWSER_PREVIOUS, 0, {"Up"}, {}, 0, 0},
    {ACTION_MENU_DOWN, DIBUTTON_BROWSER_NEXT, 0, {"Down"}, {}, 0, 0},
    {ACTION_MENU_QUIT, DIBUTTON_BROWSER_DEVICE, 0, {"Quit menu"}, {}, 0, 0},
    {ACTION_MENU_LEFT, DIKEYBOARD(DIK_LEFT), 0, {"Left"}, {}, 0, 0},
    {ACTION_MENU_RIGHT, DIKEYBOARD(DIK_RIGHT), 0, {"Right"}, {}, 0, 0},
    {ACTION_MENU_UP, DIKEYBOARD(DIK_UP), 0, {"Up"}, {}, 0, 0},
    {ACTION_MENU_DOWN, DIKEYBOARD(DIK_DOWN), 0, {"Down"}, {}, 0, 0},
    {ACTION_MENU_SELECT, DIKEYBOARD(DIK_SPACE), 0, {"Select"}, {}, 0, 0},
    {ACTION_MENU_SELECT, DIKEYBOARD(DIK_RETURN), 0, {"Select"}, {}, 0, 0},
    {ACTION_MENU_SELECT, DIKEYBOARD(DIK_NUMPADENTER), 0, {"Select"}, {}, 0, 0},
    {ACTION_MENU_QUIT, DIKEYBOARD(DIK_ESCAPE), 0, {"Quit menu"}, {}, 0, 0},
    {ACTION_MENU_WHEEL, DIMOUSE_WHEEL, 0, {"Up/down"}, {}, 0, 0},
    {ACTION_MENU_SELECT, DIMOUSE_BUTTON0, 0, {"Select"}, {}, 0, 0},
};

namespace {

void FillFormat(DIACTIONFORMATA& format, DIACTIONA* actions, DWORD count, DWORD genre, const char* name) {
  std::memset(&format, 0, sizeof format);
  format.dwSize = sizeof(DIACTIONFORMATA);
  format.dwActionSize = sizeof(DIACTIONA);
  format.dwDataSize = count * 4;
  format.dwNumActions = count;
  format.rgoAction = actions;
  format.guidActionMap = GLORBS_ACTION_MAP_GUID;
  format.dwGenre = genre;
  format.dwBufferSize = 16;
  format.lAxisMin = -10;
  format.lAxisMax = 10;
  std::strncpy(format.tszActionMap, name, sizeof format.tszActionMap - 1);
}

// The actions that set one per-device level, and the level each sets.
struct LevelAction {
  DWORD code;
  float (InputActionLevels::*levels)[INPUT_MAX_DEVICES];
};

const LevelAction kLevelActions[] = {
    {ACTION_TURN_LEFT, &InputActionLevels::turnLeft}, {ACTION_TURN_RIGHT, &InputActionLevels::turnRight},
    {ACTION_FORWARD, &InputActionLevels::forward},    {ACTION_REVERSE, &InputActionLevels::reverse},
    {ACTION_MOVE_UP, &InputActionLevels::moveUp},     {ACTION_MOVE_DOWN, &InputActionLevels::moveDown},
    {ACTION_MOVE_LEFT, &InputActionLevels::moveLeft}, {ACTION_MOVE_RIGHT, &InputActionLevels::moveRight},
    {ACTION_TURN_UP, &InputActionLevels::turnUp},     {ACTION_TURN_DOWN, &InputActionLevels::turnDown},
};

float* LevelSlot(DWORD code, DWORD d) {
  for (const LevelAction& a : kLevelActions) {
    if (a.code == code) return &(InputState.actionLevels.*a.levels)[d];
  }
  return nullptr;
}

// An axis splits into the two opposite levels of one device.
void SplitAxis(float axis, float& positiveSide, float& negativeSide) {
  positiveSide = 0.0f;
  negativeSide = 0.0f;
  if (axis > 0)
    positiveSide = axis;
  else
    negativeSide = -axis;
}

// Acts on one buffered event of device table index d. Levels exist only
// for the first INPUT_MAX_DEVICES devices; later devices still fire, step
// weapons, pause and steer the menus.
void HandleEvent(const DIDEVICEOBJECTDATA& event, DWORD d) {
  const bool pressed = event.dwData == 0x80;
  const float level = pressed ? 1.0f : 0.0f;
  const float axis = static_cast<float>(static_cast<int32_t>(event.dwData)) / 10.0f;
  const bool hasLevels = d < INPUT_MAX_DEVICES;
  InputActionLevels& l = InputState.actionLevels;
  const DWORD code = static_cast<DWORD>(event.uAppData);
  if (float* slot = hasLevels ? LevelSlot(code, d) : nullptr) {
    *slot = level;
    return;
  }
  switch (code) {
    case ACTION_MOVE_AXIS_X:
    case ACTION_MOUSE_X:
      if (hasLevels) SplitAxis(axis, l.moveLeft[d], l.moveRight[d]);
      break;
    case ACTION_MOVE_AXIS_Y:
    case ACTION_MOUSE_Y:
      if (hasLevels) SplitAxis(axis, l.moveDown[d], l.moveUp[d]);
      break;
    case ACTION_FIRE:
      InputState.fireHeld = pressed;
      break;
    case ACTION_CHANGE_WEAPON:
      if (pressed) Weapon = Weapon + 1 > 3 ? 0 : Weapon + 1;
      break;
    case ACTION_GAME_MENU:
      if (pressed) OpenMenu(mainMenu);
      break;
    case ACTION_QUIT_GAME:
      if (pressed) OpenMenu(quitMenu);
      break;
    case ACTION_PAUSE:
      if (pressed) InputState.paused = !InputState.paused;
      break;
    case ACTION_MENU_AXIS_Y:
      if (axis < 0.2f && axis > -0.2f) {
        InputState.menuAxisLatch = 0;
      } else if (!InputState.menuAxisLatch) {
        if (axis > 0)
          InputState.menuDown = 1;
        else
          InputState.menuUp = 1;
        InputState.menuAxisLatch = 1;
      }
      break;
    case ACTION_MENU_WHEEL:
      if (axis > 0)
        InputState.menuUp = 1;
      else
        InputState.menuDown = 1;
      break;
    case ACTION_MENU_UP:
      InputState.menuUp = InputState.menuUp || pressed;
      break;
    case ACTION_MENU_DOWN:
      InputState.menuDown = InputState.menuDown || pressed;
      break;
    case ACTION_MENU_SELECT:
      InputState.menuSelect = InputState.menuSelect || pressed;
      break;
    case ACTION_MENU_QUIT:
      InputState.menuQuit = InputState.menuQuit || pressed;
      break;
    default:
      break;  // mapped and shown, but without effect
  }
}

// A controller came or went: each level follows its device to the device's
// new table index; a new device starts with none held. Fire is one flag for
// all devices: a controller pulled out with fire held would fire for ever,
// so fire is let go (a key still held fires again on its next press).
void FollowMovedDevices(DWORD countBefore, DWORD count, const LONG movedFrom[INPUT_DEVICE_TABLE_SIZE]) {
  DWORD kept = 0;
  for (DWORD d = 0; d < count; ++d) kept += movedFrom[d] >= 0;
  if (kept < countBefore) InputState.fireHeld = 0;
  const InputActionLevels before = InputState.actionLevels;
  InputActionLevels& after = InputState.actionLevels;
  for (const LevelAction& a : kLevelActions) {
    for (DWORD d = 0; d < static_cast<DWORD>(INPUT_MAX_DEVICES); ++d) {
      const LONG from = d < count ? movedFrom[d] : -1;
      (after.*a.levels)[d] = from >= 0 && from < INPUT_MAX_DEVICES ? (before.*a.levels)[from] : 0.0f;
    }
  }
}

// Steering from the levels: a later test of a pair, and a later device,
// wins.
void DeriveControls(DWORD count) {
  if (!PlayerShip || !PlayerShip->visible) {
    InputState.turnRate = 0.0f;
    InputState.thrust = 0.0f;
    InputState.fireHeld = 0;
    return;
  }
  InputState.turnRate = InputState.thrust = InputState.pitchRate = 0.0f;
  InputState.lateralMove = InputState.verticalMove = 0.0f;
  const InputActionLevels& l = InputState.actionLevels;
  for (DWORD d = 0; d < count && d < INPUT_MAX_DEVICES; ++d) {
    if (l.turnRight[d] > 0.4f) InputState.turnRate = 5.0f;
    if (l.turnLeft[d] > 0.4f) InputState.turnRate = -5.0f;
    if (l.forward[d] > 0.4f) InputState.thrust = 6.0f;
    if (l.reverse[d] > 0.4f) InputState.thrust = -6.0f;
    if (l.moveRight[d] > 0.4f) InputState.lateralMove = 0.5f;
    if (l.moveLeft[d] > 0.4f) InputState.lateralMove = -0.5f;
    if (l.moveUp[d] > 0.4f) InputState.verticalMove = -3.0f;
    if (l.moveDown[d] > 0.4f) InputState.verticalMove = 3.0f;
    if (l.turnUp[d] > 0.4f) InputState.pitchRate = 5.0f;
    if (l.turnDown[d] > 0.4f) InputState.pitchRate = -5.0f;
  }
}

}  // namespace

HRESULT InitInput(HWND mainWindow) {
  FillFormat(gameActionFormat, gameActions, GAME_ACTION_COUNT, DIVIRTUAL_SPACESIM, "Glorbs3D New");
  FillFormat(menuActionFormat, menuActions, MENU_ACTION_COUNT, DIVIRTUAL_BROWSER_CONTROL, "Glorbs New");
  inputDeviceManager = new InputDeviceManager();
  if (FAILED(inputDeviceManager->Create(mainWindow, nullptr, &gameActionFormat))) {
    inputServices.reportNoInput();
    return E_FAIL;
  }
  return S_OK;
}

void PollInput() {
  LPDIRECTINPUTDEVICE8A* devices = nullptr;
  DWORD count = 0;
  if (!inputDeviceManager || FAILED(inputDeviceManager->GetDevices(&devices, &count))) return;
  const DWORD countBefore = count;
  LONG movedFrom[INPUT_DEVICE_TABLE_SIZE] = {};
  if (inputDeviceManager->RefreshControllers(movedFrom)) {
    inputDeviceManager->GetDevices(&devices, &count);
    FollowMovedDevices(countBefore, count, movedFrom);
  }
  for (DWORD d = 0; d < count; ++d) {
    DIDEVICEOBJECTDATA events[INPUT_EVENTS_PER_POLL];
    DWORD eventCount = INPUT_EVENTS_PER_POLL;
    devices[d]->Acquire();
    devices[d]->Poll();
    if (FAILED(devices[d]->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), events, &eventCount, 0))) continue;
    for (DWORD e = 0; e < eventCount; ++e) HandleEvent(events[e], d);
  }
  DeriveControls(count);
}
