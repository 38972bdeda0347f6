// SPDX-License-Identifier: MIT
// The game's two action formats (play and menus), the start of input and the
// per-frame polling that turns the devices' buffered actions into InputState.
#pragma once

#include <dinput.h>
#include <windows.h>

class InputDeviceManager;

// Application data of every action: what PollInput acts on. Both formats
// share these numbers (3 is in neither).
enum GameAction : DWORD {
  ACTION_MOVE_AXIS_X = 1,  // controller Move left/right axis
  ACTION_MOVE_AXIS_Y = 2,  // controller Move up/down axis
  ACTION_MOUSE_X = 4,      // mouse Move left/right
  ACTION_MOUSE_Y = 5,      // mouse Move up/down
  ACTION_MOUSE_WHEEL = 6,  // Change ship type (wheel)
  ACTION_TURN_LEFT = 7,
  ACTION_TURN_RIGHT = 8,
  ACTION_FORWARD = 9,
  ACTION_REVERSE = 10,
  ACTION_FIRE = 11,
  ACTION_CHANGE_SHIP = 12,
  ACTION_CHANGE_VIEW = 13,
  ACTION_CHANGE_WEAPON = 14,
  ACTION_GAME_MENU = 15,
  ACTION_QUIT_GAME = 16,
  ACTION_PAUSE = 17,
  ACTION_MENU_AXIS_X = 18,
  ACTION_MENU_AXIS_Y = 19,
  ACTION_MENU_WHEEL = 20,
  ACTION_MENU_UP = 21,
  ACTION_MENU_DOWN = 22,
  ACTION_MENU_LEFT = 23,
  ACTION_MENU_RIGHT = 24,
  ACTION_MENU_SELECT = 25,
  ACTION_MENU_QUIT = 26,
  ACTION_MOVE_UP = 27,
  ACTION_MOVE_DOWN = 28,
  ACTION_MOVE_LEFT = 29,
  ACTION_MOVE_RIGHT = 30,
  ACTION_TURN_UP = 31,
  ACTION_TURN_DOWN = 32,
};

constexpr DWORD GAME_ACTION_COUNT = 30;
constexpr DWORD MENU_ACTION_COUNT = 16;
// Events taken from one device per frame; the rest wait in its buffer.
constexpr DWORD INPUT_EVENTS_PER_POLL = 10;

// The two action tables; DirectInput writes its mapping results into them.
extern DIACTIONA gameActions[GAME_ACTION_COUNT];
extern DIACTIONA menuActions[MENU_ACTION_COUNT];
// Filled by InitInput; static for the life of the program.
extern DIACTIONFORMATA gameActionFormat;
extern DIACTIONFORMATA menuActionFormat;
// Created by InitInput, deleted (and cleared) by the application's shut-down.
extern InputDeviceManager* inputDeviceManager;

// Fills both formats and creates the device manager with the game format.
// A failure shows fatal error 6 and returns E_FAIL.
HRESULT InitInput(HWND mainWindow);
// Reads every device's buffered actions (at most 10 per device) into
// InputState, steps the weapon and toggles pause on their presses.
void PollInput();
