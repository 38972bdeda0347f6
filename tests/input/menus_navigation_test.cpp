// SPDX-License-Identifier: MIT
// The menu trees and what each entry does, driven by menu commands and by
// keys through the devices and the poll: the highlight, submenus and Back,
// the display modes, sound off and on, the configuration window, quitting,
// and the world standing still behind an open menu.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/display.h"
#include "audio/sound_effects.h"
#include "common/src/dmutil.h"
#include "menus_fixture.h"
#include "scratch_config_home.h"
#include "world/game_object.h"
#include "world/game_state.h"

namespace menus_test {
namespace {

std::vector<DWORD> Ids(const MenuItem* menu) {
  std::vector<DWORD> ids;
  for (DWORD i = 0; i < menu->childCount; ++i) ids.push_back(menu->children[i]->id);
  return ids;
}

bool MenuSoundPlaying() {
  return soundSphereExplode && soundSphereExplode->IsPlaying();
}

TEST_F(MenuTest, TheTwoTreesHoldTheirEntriesInOrder) {
  std::string names;
  ASSERT_NE(mainMenu, nullptr);
  ASSERT_NE(quitMenu, nullptr);
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_STREQ(mainMenu->name, "Main Menu");
  EXPECT_EQ(mainMenu->id, 1u);
  EXPECT_EQ(mainMenu->parent, nullptr);
  EXPECT_STREQ(Names(mainMenu, names), "Video Menu|Sound Menu|Input Menu|Back to Game");
  EXPECT_EQ(Ids(mainMenu), (std::vector<DWORD>{3, 2, 4, 11}));
  const MenuItem* video = mainMenu->children[0];
  const MenuItem* sound = mainMenu->children[1];
  const MenuItem* input = mainMenu->children[2];
  EXPECT_STREQ(Names(video, names), "Windowed|640x480|800x600|1024x768|Back");
  EXPECT_EQ(Ids(video), (std::vector<DWORD>{7, 8, 9, 10, 11}));
  EXPECT_STREQ(Names(sound, names), "Sound On|Sound Off|Back");
  EXPECT_EQ(Ids(sound), (std::vector<DWORD>{12, 13, 11}));
  EXPECT_STREQ(Names(input, names), "View Devices|Config Devices|Back");
  EXPECT_EQ(Ids(input), (std::vector<DWORD>{5, 6, 11}));
  for (const MenuItem* sub : {video, sound, input}) {
    EXPECT_EQ(sub->parent, mainMenu);
    EXPECT_EQ(sub->children[sub->childCount - 1]->parent, sub);
  }
  EXPECT_STREQ(quitMenu->name, "Quit Game?");
  EXPECT_EQ(quitMenu->id, 1u);
  EXPECT_STREQ(Names(quitMenu, names), "Yes|No");
  EXPECT_EQ(Ids(quitMenu), (std::vector<DWORD>{14, 11}));
  EXPECT_EQ(quitMenu->parent, nullptr);
}

TEST_F(MenuTest, AMenuTakesTenEntriesAndNamesOfSeventyNineCharacters) {
  const std::string longName(120, 'x');
  MenuItem menu(longName.c_str(), 2);
  EXPECT_EQ(std::strlen(menu.name), 79u);
  for (int i = 0; i < 10; ++i) {
    MenuItem* entry = new MenuItem("Entry", 11);
    EXPECT_EQ(menu.AddChild(entry), entry);
  }
  MenuItem eleventh("One too many", 11);
  EXPECT_EQ(menu.AddChild(&eleventh), nullptr);  // refused: the caller keeps it
  EXPECT_EQ(menu.childCount, 10u);
  EXPECT_EQ(eleventh.parent, nullptr);
}

TEST_F(MenuTest, TheHighlightStopsAtBothEndsAndSoundsOnlyWhenItMoves) {
  ASSERT_NE(soundSphereExplode, nullptr);
  currentMenu = mainMenu;  // opened without the opening sound
  Give(kUp);
  EXPECT_EQ(mainMenu->selected, 0u);
  EXPECT_FALSE(MenuSoundPlaying());
  EXPECT_EQ(InputState.menuUp, 0);
  for (int i = 0; i < 5; ++i) Give(kDown);
  EXPECT_EQ(mainMenu->selected, 3u);  // no wrap past "Back to Game"
  EXPECT_TRUE(MenuSoundPlaying());
  Give({true, true, false, false});
  EXPECT_EQ(mainMenu->selected, 2u);  // Up wins over Down
  EXPECT_EQ(InputState.menuDown, 0);
  EXPECT_EQ(currentMenu, mainMenu);
}

TEST_F(MenuTest, SubmenusKeepTheirHighlightAndBackReturnsToTheParent) {
  currentMenu = mainMenu;
  Give(kDown);
  Give(kSelect);
  MenuItem* sound = mainMenu->children[1];
  ASSERT_EQ(currentMenu, sound);
  Give(kDown);
  Give(kDown);
  Give(kSelect);  // "Back"
  EXPECT_EQ(currentMenu, mainMenu);
  EXPECT_EQ(mainMenu->selected, 1u);
  Give(kSelect);
  EXPECT_EQ(currentMenu, sound);
  EXPECT_EQ(sound->selected, 2u);
  Give(kQuit);  // "Quit menu" closes from anywhere
  EXPECT_EQ(currentMenu, nullptr);
  OpenMenu(mainMenu);
  EXPECT_EQ(currentMenu, mainMenu);
  EXPECT_TRUE(MenuSoundPlaying());
  Give(kDown);
  Give(kDown);
  Give(kSelect);  // "Back to Game"
  EXPECT_EQ(currentMenu, nullptr);
  Give(kSelect);  // no menu: the flags are left alone
  EXPECT_EQ(InputState.menuSelect, 1);
}

TEST_F(MenuTest, NoClosesTheQuitMenuAndYesPostsClose) {
  OpenMenu(quitMenu);
  EXPECT_EQ(quitMenu->selected, 1u);  // "No"
  Give(kSelect);
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_FALSE(TakeClose());
  OpenMenu(quitMenu);
  Give(kUp);
  Give(kSelect);  // "Yes"
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_TRUE(TakeClose());
}

TEST_F(MenuTest, TheQuitQuestionOpensOnNoEveryTime) {
  ReachPlay();
  // Escape by mistake, then fire as before: the game goes on.
  TapAndStep(HID_ESCAPE);
  ASSERT_EQ(currentMenu, quitMenu);
  EXPECT_STREQ(quitMenu->children[quitMenu->selected]->name, "No");
  TapAndStep(HID_SPACE);
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_FALSE(TakeClose());
  // Left on "Yes" last time (then closed by Escape), it still opens on "No".
  TapAndStep(HID_ESCAPE);
  TapAndStep(HID_UP);
  EXPECT_EQ(quitMenu->selected, 0u);
  TapAndStep(HID_ESCAPE);  // "Quit menu"
  EXPECT_EQ(currentMenu, nullptr);
  TapAndStep(HID_ESCAPE);
  EXPECT_EQ(quitMenu->selected, 1u);
  Give(kSelect);
  EXPECT_FALSE(TakeClose());
  // The main menu keeps its own remembered highlight.
  mainMenu->selected = 2;
  OpenMenu(mainMenu);
  EXPECT_EQ(mainMenu->selected, 2u);
}

TEST_F(MenuTest, VideoEntriesSwitchTheDisplayAndCloseTheMenu) {
  MenuItem* video = mainMenu->children[0];
  const auto choose = [&](DWORD entry) {
    OpenMenu(mainMenu);
    Give(kSelect);  // "Video Menu"
    ASSERT_EQ(currentMenu, video);
    video->selected = entry;
    Give(kSelect);
    EXPECT_EQ(currentMenu, nullptr);
  };
  const struct { DWORD entry, width, height; } modes[] = {{3, 1024, 768}, {2, 800, 600}, {1, 640, 480}};
  for (const auto& m : modes) {
    choose(m.entry);
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(screenWidth, m.width);
    EXPECT_EQ(screenHeight, m.height);
    EXPECT_EQ(presentParams.BackBufferWidth, m.width);
    EXPECT_EQ(presentParams.BackBufferHeight, m.height);
    EXPECT_FALSE(presentParams.Windowed);
    EXPECT_TRUE(displayReady);
  }
  choose(0);  // "Windowed"
  EXPECT_FALSE(fullScreen);
  EXPECT_TRUE(presentParams.Windowed);
  EXPECT_EQ(screenWidth, 640u);  // the last full-screen size is kept for Alt+Enter
  choose(0);                     // windowed again: nothing to do, but the menu still closes
  EXPECT_FALSE(fullScreen);
  EXPECT_FALSE(TakeClose());
}

TEST_F(MenuTest, SoundOffThenSoundOn) {
  ASSERT_NE(soundManager, nullptr);
  MenuItem* sound = mainMenu->children[1];
  const auto choose = [&](DWORD entry) {
    currentMenu = sound;
    sound->selected = entry;
    Give(kSelect);
    EXPECT_EQ(currentMenu, nullptr);
  };
  choose(1);  // "Sound Off"
  EXPECT_EQ(soundManager, nullptr);
  EXPECT_EQ(soundSphereExplode, nullptr);
  EXPECT_EQ(soundGunFire, nullptr);
  choose(1);  // off while off: only closes
  EXPECT_EQ(soundManager, nullptr);
  choose(0);  // "Sound On"
  ASSERT_NE(soundManager, nullptr);
  EXPECT_NE(soundSphereExplode, nullptr);
  SoundManager* const manager = soundManager;
  SoundSegment* const menuSound = soundSphereExplode;
  choose(0);  // on while on: the loaded effects stay
  EXPECT_EQ(soundManager, manager);
  EXPECT_EQ(soundSphereExplode, menuSound);
}

TEST_F(MenuTest, KeysOpenTheMenusSteerThemAndQuit) {
  ReachPlay();
  TapAndStep(HID_F1);  // "Display game menu"
  ASSERT_EQ(currentMenu, mainMenu);
  TapAndStep(HID_DOWN);  // a menu key now, not "Move down"
  EXPECT_EQ(mainMenu->selected, 1u);
  for (float level : InputState.actionLevels.moveDown) EXPECT_EQ(level, 0.0f);
  TapAndStep(HID_RETURN);
  EXPECT_EQ(currentMenu, mainMenu->children[1]);
  TapAndStep(HID_ESCAPE);  // "Quit menu"
  EXPECT_EQ(currentMenu, nullptr);
  TapAndStep(HID_ESCAPE);  // the game's "Quit game" again
  ASSERT_EQ(currentMenu, quitMenu);
  TapAndStep(HID_RETURN);  // "No", highlighted on opening
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_FALSE(TakeClose());
  TapAndStep(HID_ESCAPE);
  TapAndStep(HID_UP);
  TapAndStep(HID_KP_ENTER);  // "Yes"
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_TRUE(TakeClose());
}

TEST_F(MenuTest, TheConfigurationWindowRunsAndControlReturnsToTheGame) {
  ReachPlay();
  const struct { DWORD entry; } entries[] = {{0}, {1}};  // "View Devices", then "Config Devices"
  for (const auto& e : entries) {
    TapAndStep(HID_F1);
    ASSERT_EQ(currentMenu, mainMenu);
    MenuItem* input = mainMenu->children[2];
    currentMenu = input;
    input->selected = e.entry;
    InputState.menuSelect = 1;
    Tap(HID_ESCAPE);  // waits for the configuration window, which it closes
    HandleMenuInput();
    EXPECT_EQ(currentMenu, nullptr);
    EXPECT_FALSE(cursorShown);
    // The game's format is back: its keys act again.
    TapAndStep(HID_F1);
    EXPECT_EQ(currentMenu, mainMenu);
    Give(kQuit);
  }
}

TEST_F(MenuTest, ConfigDevicesEditsTheGameControlsNotTheMenuKeys) {
  // The edited map is saved: keep it in this process's scratch folder.
  ScratchConfigHome scratch;
  ASSERT_FALSE(scratch.Enter("glorbs-menu-config").empty());
  ReachPlay();
  TapAndStep(HID_F1);
  ASSERT_EQ(currentMenu, mainMenu);
  MenuItem* input = mainMenu->children[2];
  currentMenu = input;
  input->selected = 1;  // "Config Devices"
  InputState.menuSelect = 1;
  // The window lists the game's actions, "Turn left" the first of the
  // keyboard's: give it L and leave with the change kept.
  Tap(HID_RETURN);
  Tap(HID_L);
  Tap(HID_F10);
  HandleMenuInput();
  ASSERT_EQ(currentMenu, nullptr);
  ManualClock::Advance(0.02);
  StepApplication();  // acquires the devices of the new table
  Key(HID_L, true);
  Pump();
  ManualClock::Advance(0.02);
  StepApplication();
  const float* levels = InputState.actionLevels.turnLeft;
  EXPECT_NE(std::find(levels, levels + INPUT_MAX_DEVICES, 1.0f), levels + INPUT_MAX_DEVICES);
  Key(HID_L, false);
  Pump();
}

// Positions of every target, in list order.
std::vector<Vector3> TargetPositions() {
  std::vector<Vector3> out;
  for (GameObject* o = DisplayList; o; o = o->next) {
    if (IsTarget(o)) out.push_back(o->position);
  }
  return out;
}

bool Moved(const std::vector<Vector3>& a, const std::vector<Vector3>& b) {
  if (a.size() != b.size()) return true;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].x != b[i].x || a[i].y != b[i].y) return true;
  }
  return false;
}

TEST_F(MenuTest, WithAMenuOpenTheWorldStandsStillButCollisionsRun) {
  ReachPlay();
  std::vector<Vector3> before = TargetPositions();
  ASSERT_FALSE(before.empty());
  ManualClock::Advance(0.1);
  StepApplication();
  EXPECT_TRUE(Moved(before, TargetPositions()));  // play moves the Glorbs

  OpenMenu(mainMenu);
  before = TargetPositions();
  ManualClock::Advance(0.1);
  StepApplication();
  EXPECT_FALSE(Moved(before, TargetPositions()));

  // A bullet already on a Glorb still destroys it.
  GameObject* glorb = nullptr;
  for (GameObject* o = DisplayList; o && !glorb; o = o->next) {
    if (o->kind == KIND_GLORB) glorb = o;
  }
  ASSERT_NE(glorb, nullptr);
  InsertObject(new BulletObject(glorb->position, Vector3(0.0f, 0.0f, 0.0f), 0));
  const DWORD score = Score;
  const size_t targets = before.size();
  ManualClock::Advance(0.1);
  StepApplication();
  EXPECT_EQ(Score, score + 10);
  EXPECT_EQ(TargetPositions().size(), targets - 1 + 4);  // four pyramids released
  EXPECT_EQ(currentMenu, mainMenu);
}

TEST_F(MenuTest, KeysReleasedWhileAMenuIsOpenDoNotStayHeldAfterIt) {
  ReachPlay();
  for (int i = 0; i < 30 && !PlayerShip->visible; ++i) {  // the ship comes in after the level start
    ManualClock::Advance(0.1);
    StepApplication();
  }
  ASSERT_TRUE(PlayerShip->visible);
  Key(HID_N, true);      // forward thrust held
  Key(HID_SPACE, true);  // and fire
  Pump();
  ManualClock::Advance(0.02);
  StepApplication();
  ASSERT_GT(InputState.thrust, 0.0f);
  ASSERT_TRUE(InputState.fireHeld);
  TapAndStep(HID_F1);
  ASSERT_EQ(currentMenu, mainMenu);
  Key(HID_N, false);  // let go while the menu has the keys
  Key(HID_SPACE, false);
  Pump();
  ManualClock::Advance(0.02);
  StepApplication();
  TapAndStep(HID_ESCAPE);  // "Quit menu"
  ASSERT_EQ(currentMenu, nullptr);
  ManualClock::Advance(0.02);
  StepApplication();
  EXPECT_EQ(InputState.thrust, 0.0f);
  EXPECT_FALSE(InputState.fireHeld);
}

TEST_F(MenuTest, AControllerPluggedInDuringPlayDrivesTheShipWithoutAMenu) {
  ReachPlay();
  for (int i = 0; i < 30 && !PlayerShip->visible; ++i) {
    ManualClock::Advance(0.1);
    StepApplication();
  }
  ASSERT_TRUE(PlayerShip->visible);
  const int index = host::AttachVirtualPad("Late pad", (1u << host::PAD_BUTTON_COUNT) - 1,
                                           (1u << host::PAD_AXIS_COUNT) - 1);
  ASSERT_GE(index, 0);
  Pump();
  const int32_t pad = host::PadInstanceAt(host::PadCount() - 1);
  ManualClock::Advance(0.02);
  StepApplication();  // the poll takes the controller
  const Vector3 start = PlayerShip->position;
  PadAxis(pad, host::PAD_LEFTY, 32767);  // stick down
  Pump();
  for (int i = 0; i < 10; ++i) {
    ManualClock::Advance(0.02);
    StepApplication();
  }
  EXPECT_EQ(currentMenu, nullptr);
  EXPECT_EQ(InputState.verticalMove, 3.0f);
  EXPECT_GT(PlayerShip->position.x, start.x);  // the "down" stick pushes the ship along x
  host::DetachVirtualPad(index);
  Pump();
  ManualClock::Advance(0.02);
  StepApplication();  // pulled out: its stick no longer holds the ship
  EXPECT_EQ(InputState.verticalMove, 0.0f);
}

TEST_F(MenuTest, ClosingAMenuDoesNotJumpTheWorldByTheTimeItWasOpen) {
  ReachPlay();
  ManualClock::Advance(0.02);
  StepApplication();
  OpenMenu(mainMenu);
  for (int i = 0; i < 100; ++i) {  // half a minute with the menu up
    ManualClock::Advance(0.3);
    StepApplication();
  }
  Give(kQuit);
  ASSERT_EQ(currentMenu, nullptr);
  const std::vector<Vector3> before = TargetPositions();
  ManualClock::Advance(0.02);
  StepApplication();
  const std::vector<Vector3> after = TargetPositions();
  ASSERT_EQ(before.size(), after.size());
  float largest = 0.0f;
  for (size_t i = 0; i < before.size(); ++i) {
    const Vector3 d = after[i] - before[i];
    largest = std::max(largest, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
  }
  // A Glorb drifts at most about a unit a second: one frame's step, not 30 s.
  EXPECT_LT(largest, 0.1f);
}

}  // namespace
}  // namespace menus_test
