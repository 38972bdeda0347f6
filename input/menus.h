// SPDX-License-Identifier: MIT
// The in-game menus: the main menu (video, sound, input) and the quit
// confirmation, drawn as 3D text over the running game and steered by the
// menu actions of InputState. Relies on the display (modes, device, the
// configuration surface), the sound effects and the input device manager.
#pragma once

#include <d3d8.h>
#include <windows.h>

class TextureFont;

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

// One record is both a menu (its name is the title) and an entry of its
// parent. A menu owns its children.
class MenuItem {
 public:
  static constexpr DWORD kNameSize = 80;  // 79 characters and the terminator
  static constexpr DWORD kMaxChildren = 10;

  // Keeps up to 79 characters of `name`; no parent, no entries, entry 0
  // highlighted.
  MenuItem(const char* name, DWORD id);
  // Deletes the children, last first (each deletes its own).
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  // Appends `child` and becomes its parent and owner; returns the child.
  // A full menu (or a null child) refuses: null, and the caller keeps it.
  MenuItem* AddChild(MenuItem* child);
  // Draws the title and the entries as world text with `font` under the
  // menu's own camera, the highlighted entry yellow and swinging. The view
  // and projection are restored; world transform, material, lighting and
  // ambient stay as set. E_INVALIDARG (drawing nothing) without a device
  // or font.
  HRESULT Render(IDirect3DDevice8* device, TextureFont* font);

  char name[kNameSize] = {};
  DWORD id = 0;
  MenuItem* parent = nullptr;
  MenuItem* children[kMaxChildren] = {};
  DWORD childCount = 0;
  DWORD selected = 0;  // kept between openings
};

// The two roots, from BuildMenus until DestroyMenus.
extern MenuItem* mainMenu;
extern MenuItem* quitMenu;
// The open menu, or null while playing; points into a tree, owns nothing.
extern MenuItem* currentMenu;

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
// Given to the configuration window in full-screen display: draws the game
// frame with the open menu, centres the window's 640 x 480 image from
// `target` on the back buffer and presents. Always TRUE (keep going).
BOOL CALLBACK ConfigureDevicesCallback(IUnknown* target, LPVOID reference);
