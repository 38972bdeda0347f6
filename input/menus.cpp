// SPDX-License-Identifier: MIT
// The two menu trees and their per-frame handling; the records draw
// themselves (render/menu_item.h). The entries act through the application's
// services (mode changes, presenting, the window), the configuration surface,
// the sound effects (on, off, the menu sound) and the input device manager
// (action formats, the device configuration window).
#include "input/menus.h"

#include "audio/sound_effects.h"
#include "input/config_devices_frame.h"
#include "input/game_input.h"
#include "input/input_device_manager.h"
#include "input/input_services.h"
#include "render/display_objects.h"
#include "world/input_state.h"

MenuItem* mainMenu = nullptr;
MenuItem* quitMenu = nullptr;

namespace {

struct EntrySpec {
  const char* name;
  DWORD id;
};

const EntrySpec kVideoEntries[] = {{"Windowed", MENU_WINDOWED},
                                   {"640x480", MENU_640X480},
                                   {"800x600", MENU_800X600},
                                   {"1024x768", MENU_1024X768},
                                   {"Back", MENU_BACK}};
const EntrySpec kSoundEntries[] = {
    {"Sound On", MENU_SOUND_ON}, {"Sound Off", MENU_SOUND_OFF}, {"Back", MENU_BACK}};
const EntrySpec kInputEntries[] = {
    {"View Devices", MENU_VIEW_DEVICES}, {"Config Devices", MENU_CONFIG_DEVICES}, {"Back", MENU_BACK}};
const EntrySpec kQuitEntries[] = {{"Yes", MENU_QUIT_YES}, {"No", MENU_BACK}};

// The display mode each Video entry asks for.
struct ModeEntry {
  DWORD id;
  bool fullScreen;
  DWORD width, height;
};

const ModeEntry kModeEntries[] = {{MENU_WINDOWED, false, 0, 0},
                                  {MENU_640X480, true, 640, 480},
                                  {MENU_800X600, true, 800, 600},
                                  {MENU_1024X768, true, 1024, 768}};

template <size_t N>
MenuItem* NewMenu(const char* title, DWORD id, const EntrySpec (&entries)[N]) {
  MenuItem* menu = new MenuItem(title, id);
  for (const EntrySpec& e : entries) menu->AddChild(new MenuItem(e.name, e.id));
  return menu;
}

void PlayMenuSound() {
  PlaySound(soundSphereExplode);
}

void InstallGameFormat() {
  if (inputDeviceManager) inputDeviceManager->SetActionFormat(&gameActionFormat, TRUE);
}

// Up wins over Down; the highlight stops at either end.
void MoveHighlight(MenuItem& menu) {
  const DWORD before = menu.selected;
  if (InputState.menuUp) {
    if (menu.selected > 0) --menu.selected;
  } else if (InputState.menuDown) {
    if (menu.selected + 1 < menu.childCount) ++menu.selected;
  }
  if (menu.selected != before) PlayMenuSound();
}

// DirectInput's own window, modal. In full-screen display it draws into
// the configuration surface and the game presents it over its frame; in a
// window it shows itself there.
void RunDeviceConfiguration(DWORD flags) {
  if (!inputDeviceManager) return;
  InstallGameFormat();
  inputServices.showCursor(true);
  const bool onSurface = inputServices.fullScreen() && inputConfigSurface;
  inputDeviceManager->ConfigureDevices(inputServices.mainWindow(), onSurface ? inputConfigSurface : nullptr,
                                       onSurface ? ConfigureDevicesCallback : nullptr, flags);
  inputServices.showCursor(false);
}

// What the other entries do; each returns the menu open afterwards (null:
// the menu closes).
typedef MenuItem* (*EntryAction)(MenuItem& menu, MenuItem& entry);
struct ActionEntry {
  DWORD id;
  EntryAction action;
};

MenuItem* OpenSubmenu(MenuItem&, MenuItem& entry) {
  return &entry;
}
MenuItem* GoBack(MenuItem& menu, MenuItem&) {
  return menu.parent;
}
MenuItem* ViewDevices(MenuItem&, MenuItem&) {
  RunDeviceConfiguration(DICD_DEFAULT);
  return nullptr;
}
MenuItem* ConfigDevices(MenuItem&, MenuItem&) {
  RunDeviceConfiguration(DICD_EDIT);
  return nullptr;
}
MenuItem* SoundOn(MenuItem&, MenuItem&) {
  if (!soundManager) CreateSounds(inputServices.mainWindow());
  return nullptr;
}
MenuItem* SoundOff(MenuItem&, MenuItem&) {
  if (soundManager) DestroySounds();
  return nullptr;
}
MenuItem* QuitGame(MenuItem&, MenuItem&) {
  PostMessageA(inputServices.mainWindow(), WM_CLOSE, 0, 0);
  return nullptr;
}

const ActionEntry kEntryActions[] = {{MENU_SOUND, OpenSubmenu},
                                     {MENU_VIDEO, OpenSubmenu},
                                     {MENU_INPUT, OpenSubmenu},
                                     {MENU_VIEW_DEVICES, ViewDevices},
                                     {MENU_CONFIG_DEVICES, ConfigDevices},
                                     {MENU_BACK, GoBack},
                                     {MENU_SOUND_ON, SoundOn},
                                     {MENU_SOUND_OFF, SoundOff},
                                     {MENU_QUIT_YES, QuitGame}};

// Acts on the highlighted entry of the open menu. Whatever the results of
// the mode switch, the sound switch or the configuration window, an action
// closes the menu.
void SelectEntry(MenuItem& menu) {
  if (menu.selected >= menu.childCount || !menu.children[menu.selected]) return;
  MenuItem* entry = menu.children[menu.selected];
  for (const ModeEntry& m : kModeEntries) {
    if (m.id != entry->id) continue;
    inputServices.requestDisplayMode(m.fullScreen, m.width, m.height);
    currentMenu = nullptr;
    return;
  }
  for (const ActionEntry& row : kEntryActions) {
    if (row.id == entry->id) currentMenu = row.action(menu, *entry);
  }
}

}  // namespace

void BuildMenus() {
  DestroyMenus();
  MenuItem* video = NewMenu("Video Menu", MENU_VIDEO, kVideoEntries);
  MenuItem* sound = NewMenu("Sound Menu", MENU_SOUND, kSoundEntries);
  MenuItem* input = NewMenu("Input Menu", MENU_INPUT, kInputEntries);
  mainMenu = new MenuItem("Main Menu", MENU_ROOT);
  mainMenu->AddChild(video);
  mainMenu->AddChild(sound);
  mainMenu->AddChild(input);
  mainMenu->AddChild(new MenuItem("Back to Game", MENU_BACK));
  quitMenu = NewMenu("Quit Game?", MENU_ROOT, kQuitEntries);
}

void DestroyMenus() {
  // currentMenu points into the trees: it must not outlive them.
  currentMenu = nullptr;
  delete quitMenu;
  quitMenu = nullptr;
  delete mainMenu;
  mainMenu = nullptr;
}

void OpenMenu(MenuItem* root) {
  if (!root) return;
  PlayMenuSound();
  currentMenu = root;
  // Space and the left button are both fire and select: a player who hits
  // Escape by mistake and goes on firing must land on "No", every time.
  if (root == quitMenu) {
    for (DWORD i = 0; i < root->childCount; ++i) {
      if (root->children[i]->id == MENU_BACK) root->selected = i;
    }
  }
  // While the menu has the keys, releasing a held game key reaches nobody:
  // let go of every held control now, so that none is still held when the
  // menu closes.
  InputState.actionLevels = InputActionLevels();
  InputState.fireHeld = 0;
  if (inputDeviceManager) inputDeviceManager->SetActionFormat(&menuActionFormat, FALSE);
}

void HandleMenuInput() {
  if (!currentMenu) return;
  MoveHighlight(*currentMenu);
  if (InputState.menuSelect) {
    PlayMenuSound();
    SelectEntry(*currentMenu);
  }
  if (InputState.menuQuit) currentMenu = nullptr;
  if (!currentMenu) InstallGameFormat();
  InputState.menuUp = InputState.menuDown = InputState.menuSelect = InputState.menuQuit = 0;
}
