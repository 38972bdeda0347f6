// SPDX-License-Identifier: MIT
// The in-game menus: the main menu (video, sound, input) and the quit
// confirmation, drawn as 3D text over the running game (render/menu_item.h)
// and steered by the menu actions of InputState. Relies on the application's
// services (input/input_services.h: modes, presenting, the window), the
// configuration surface, the sound effects and the input device manager.
#pragma once

#include <windows.h>

#include "render/menu_item.h"

// What selecting an entry does.
enum MenuId : DWORD {
  MENU_ROOT = 1,            // the roots "Main Menu" and "Quit Game?"; never an entry
  MENU_SOUND = 2,           // opens the sound menu
  MENU_VIDEO = 3,           // opens the video menu
  MENU_INPUT = 4,           // opens the input menu
  MENU_VIEW_DEVICES = 5,    // the device configuration window, viewing
  MENU_CONFIG_DEVICES = 6,  // the device configuration window, editing
  MENU_WINDOWED = 7,        // windowed display
  MENU_640X480 = 8,         // full screen 640 x 480
  MENU_800X600 = 9,         // full screen 800 x 600
  MENU_1024X768 = 10,       // full screen 1024 x 768
  MENU_BACK = 11,           // to the parent menu; at a root, closes the menu
  MENU_SOUND_ON = 12,       // creates the sounds when there are none
  MENU_SOUND_OFF = 13,      // destroys the sounds when there are any
  MENU_QUIT_YES = 14,       // ends the program
};

// The two roots, from BuildMenus until DestroyMenus.
extern MenuItem* mainMenu;
extern MenuItem* quitMenu;

// Builds both trees (the old ones first go, should there be any).
void BuildMenus();
// Deletes quitMenu, then mainMenu, clearing both and currentMenu; safe to
// call twice.
void DestroyMenus();
// Opens `root` over the game: the menu sound, currentMenu, and the menu
// action format without re-enumeration. Nothing for a null root.
void OpenMenu(MenuItem* root);
// Once per playing step while currentMenu is set, in place of the world
// update: moves the highlight, acts on a selection, closes on "Quit menu",
// and clears the four one-shot menu flags. Every closing reinstalls the
// game action format with re-enumeration.
void HandleMenuInput();
