// SPDX-License-Identifier: MIT
// Saved maps: written and read back per map and device, and a damaged file
// (truncated, garbage, another version, a control the device lacks) or
// something that is not a file at all falls back to the defaults with a
// message; a map that cannot be written stays in force for the run.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include <functional>

#include "dinput_fixture.h"
#include "win32/debug_capture.h"

namespace dinput_test {
namespace {

DIACTIONA keyActions[] = {
    {7, DIKEYBOARD(DIK_J), 0, {"Turn left"}, {}, 0, 0},
    {8, DIKEYBOARD(DIK_K), 0, {"Turn right"}, {}, 0, 0},
    {16, DIKEYBOARD(DIK_ESCAPE), DIA_APPFIXED, {"Quit"}, {}, 0, 0},
};

class UserMaps : public DinputTest {
 protected:
  // Maps the keyboard afresh and says which DIK code action `i` got.
  DWORD KeyOf(int i, DWORD* how = nullptr) {
    IDirectInputDevice8A* kb = nullptr;
    EXPECT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
    EXPECT_EQ(kb->BuildActionMap(&format_, nullptr, 0), DI_OK);
    kb->Release();
    if (how) *how = keyActions[i].dwHow;
    return keyActions[i].dwHow == DIAH_UNMAPPED ? 0 : keyActions[i].dwObjID >> 8;
  }
  void WriteMap(const std::string& text) {
    std::filesystem::create_directories(configHome_ + "/glorbs3d");
    std::ofstream(MapFile("Keys_Saved", "keyboard"), std::ios::binary) << text;
  }

  DIACTIONFORMATA format_ = MakeFormat(keyActions, 3, "Keys Saved");
};

TEST_F(UserMaps, AForcedSaveIsReadBackByTheNextBuild) {
  IDirectInputDevice8A* kb = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  ASSERT_EQ(kb->BuildActionMap(&format_, nullptr, 0), DI_OK);
  keyActions[0].dwObjID = 0x04 | (DIK_L << 8);  // the application moves "Turn left" to L
  ASSERT_EQ(kb->SetActionMap(&format_, nullptr, DIDSAM_FORCESAVE), DI_OK);
  kb->Release();
  EXPECT_TRUE(std::filesystem::exists(MapFile("Keys_Saved", "keyboard")));
  DWORD how = 0;
  EXPECT_EQ(KeyOf(0, &how), static_cast<DWORD>(DIK_L));
  EXPECT_EQ(how, static_cast<DWORD>(DIAH_USERCONFIG));
  EXPECT_EQ(KeyOf(1), static_cast<DWORD>(DIK_K));
  // The defaults are still there for whoever asks for the hardware's own.
  IDirectInputDevice8A* fresh = nullptr;
  di_->CreateDevice(GUID_SysKeyboard, &fresh, nullptr);
  fresh->BuildActionMap(&format_, nullptr, DIDBAM_HWDEFAULTS);
  EXPECT_EQ(keyActions[0].dwObjID >> 8, static_cast<DWORD>(DIK_J));
  fresh->Release();
}

TEST_F(UserMaps, AMapOfAnotherUserIsKeptApart) {
  IDirectInputDevice8A* kb = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  kb->BuildActionMap(&format_, "ann", 0);
  keyActions[1].dwObjID = 0x04 | (DIK_M << 8);
  ASSERT_EQ(kb->SetActionMap(&format_, "ann", DIDSAM_FORCESAVE), DI_OK);
  kb->BuildActionMap(&format_, "ann", 0);
  EXPECT_EQ(keyActions[1].dwObjID >> 8, static_cast<DWORD>(DIK_M));
  kb->Release();
  EXPECT_EQ(KeyOf(1), static_cast<DWORD>(DIK_K));  // the default user still has K
  EXPECT_TRUE(std::filesystem::exists(configHome_ + "/glorbs3d/ann/Keys_Saved.keyboard.map"));
}

TEST_F(UserMaps, DamagedFilesFallBackToTheDefaultsAndSaySo) {
  const std::string header = "Glorbs3D input map\nversion 1\nmap Keys Saved\ndevice keyboard\n";
  const std::string good = header + "bind 7 81000424 2604\nbind 8 81000425 2504\n";
  const struct {
    const char* what;
    std::string text;
    const char* reason;
  } cases[] = {
      {"truncated", good, "ends early"},
      {"cut mid-line", good.substr(0, good.size() - 9), "cannot be read"},
      {"garbage", std::string("\x7f\x45\x4c\x46\x02\x01\x01\0\0\0\0\xff\xfe", 13), "not a saved input map"},
      {"another version", "Glorbs3D input map\nversion 7\n", "version 7"},
      {"a control the keyboard lacks", header + "bind 7 81000424 ff04\nend 1\n", "does not have"},
      {"a wrong count", good + "end 5\n", "count"},
      {"another device", "Glorbs3D input map\nversion 1\nmap Keys Saved\ndevice mouse\nend 0\n",
       "another device"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteMap(c.text);
    dinput8::ResetDiagnostics();
    DebugCapture capture;
    DWORD how = 0;
    EXPECT_EQ(KeyOf(0, &how), static_cast<DWORD>(DIK_J));
    EXPECT_EQ(how, static_cast<DWORD>(DIAH_DEFAULT));
    EXPECT_EQ(KeyOf(1), static_cast<DWORD>(DIK_K));
    EXPECT_GE(dinput8::DiagnosticCount(dinput8::DIAG_USER_MAP_DAMAGED), 1);
    EXPECT_NE(capture.text.find("damaged"), std::string::npos) << capture.text;
    EXPECT_NE(capture.text.find(c.reason), std::string::npos) << capture.text;
    EXPECT_NE(capture.text.find("default controls are used"), std::string::npos);
  }
  // The same file read intact works, with the end line it needs.
  WriteMap(good + "end 2\n");
  EXPECT_EQ(KeyOf(0), static_cast<DWORD>(DIK_L));
}

TEST_F(UserMaps, WhatIsNotASmallRegularFileIsNotReadAndTheReasonIsTrue) {
  const std::string path = MapFile("Keys_Saved", "keyboard");
  std::filesystem::create_directories(configHome_ + "/glorbs3d");
  const struct {
    const char* what;
    std::function<void()> make;
    const char* reason;
  } cases[] = {
      // A FIFO blocks an ordinary open() for ever; /dev/zero never ends.
      {"a FIFO", [&] { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }, "named pipe (FIFO)"},
      {"a folder", [&] { std::filesystem::create_directory(path); }, "a folder"},
      {"a link to /dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", path); }, "a device"},
      {"an oversize file",
       [&] {
         WriteMap("Glorbs3D input map\nversion 1\nmap Keys Saved\ndevice keyboard\n" +
                  std::string(100000, '#'));
       },
       "too large: 100060 bytes"},
      {"an empty file", [&] { WriteMap(""); }, "empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(path);
    c.make();
    dinput8::ResetDiagnostics();
    DebugCapture capture;
    DWORD how = 0;
    EXPECT_EQ(KeyOf(0, &how), static_cast<DWORD>(DIK_J));
    EXPECT_EQ(how, static_cast<DWORD>(DIAH_DEFAULT));
    EXPECT_EQ(dinput8::DiagnosticCount(dinput8::DIAG_USER_MAP_DAMAGED), 1);
    EXPECT_NE(capture.text.find(c.reason), std::string::npos) << capture.text;
    EXPECT_NE(capture.text.find("default controls are used"), std::string::npos);
    EXPECT_EQ(capture.text.find("damaged"), std::string::npos) << "not a damaged map: " << capture.text;
  }
  std::filesystem::remove_all(path);
}

// Files in the map folder other than the maps themselves.
std::vector<std::string> Leftovers(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".map") != 0) names.push_back(name);
  }
  return names;
}

std::string Contents(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

TEST_F(UserMaps, AWriteThatFailsLeavesTheOldMapWholeAndTheNewOneInForce) {
  IDirectInputDevice8A* kb = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  kb->BuildActionMap(&format_, nullptr, 0);
  keyActions[0].dwObjID = 0x04 | (DIK_L << 8);
  ASSERT_EQ(kb->SetActionMap(&format_, nullptr, DIDSAM_FORCESAVE), DI_OK);
  const std::string good = Contents(MapFile("Keys_Saved", "keyboard"));
  ASSERT_NE(good.find("\nend 3\n"), std::string::npos);

  // A disk that fills up after 20 bytes: the write fails part-way.
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 20;
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  kb->BuildActionMap(&format_, nullptr, 0);
  keyActions[0].dwObjID = 0x04 | (DIK_M << 8);
  DebugCapture capture;
  const HRESULT saved = kb->SetActionMap(&format_, nullptr, DIDSAM_FORCESAVE);
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, oldHandler);
  kb->Release();

  EXPECT_EQ(saved, DI_SETTINGSNOTSAVED);
  EXPECT_EQ(Contents(MapFile("Keys_Saved", "keyboard")), good);
  EXPECT_TRUE(Leftovers(configHome_ + "/glorbs3d").empty());
  EXPECT_NE(capture.text.find("could not be saved"), std::string::npos) << capture.text;
  EXPECT_NE(capture.text.find("writing failed"), std::string::npos) << capture.text;
  // For the rest of this run the user's latest choice holds ...
  EXPECT_EQ(KeyOf(0), static_cast<DWORD>(DIK_M));
  // ... and the next run finds the last map that was written whole.
  dinput8::ForgetUnsavedMaps();
  EXPECT_EQ(KeyOf(0), static_cast<DWORD>(DIK_L));
}

TEST_F(UserMaps, ASaveReplacesTheMapWithNothingLeftBeside) {
  IDirectInputDevice8A* kb = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  for (BYTE key : {DIK_L, DIK_M, DIK_N}) {
    kb->BuildActionMap(&format_, nullptr, 0);
    keyActions[0].dwObjID = 0x04 | (static_cast<DWORD>(key) << 8);
    ASSERT_EQ(kb->SetActionMap(&format_, nullptr, DIDSAM_FORCESAVE), DI_OK);
    EXPECT_EQ(KeyOf(0), static_cast<DWORD>(key));
  }
  kb->Release();
  EXPECT_TRUE(Leftovers(configHome_ + "/glorbs3d").empty());
  struct stat st {};
  ASSERT_EQ(stat(MapFile("Keys_Saved", "keyboard").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // the user's own file
}

TEST_F(UserMaps, ASavedChoiceCannotMoveAFixedAction) {
  WriteMap(
      "Glorbs3D input map\nversion 1\nmap Keys Saved\ndevice keyboard\nbind 16 81000401 2604\nbind 7 "
      "81000424 "
      "104\nend 2\n");
  EXPECT_EQ(KeyOf(2), static_cast<DWORD>(DIK_ESCAPE));
  // Turn left asked for Escape, which the fixed action keeps: its default J stays.
  EXPECT_EQ(KeyOf(0), static_cast<DWORD>(DIK_J));
}

TEST_F(UserMaps, AMapThatCannotBeSavedIsKeptForTheRunAndTheReasonSaid) {
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  const struct {
    const char* what;
    const char* xdg;
    const char* home;
    const char* reason;
  } cases[] = {
      {"an unwritable folder", "/proc/no-such-place", "/proc/no-such-place", "cannot make the folder"},
      {"no home at all", nullptr, nullptr, "no configuration folder"},
  };
  int key = DIK_L;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dinput8::ResetDiagnostics();
    c.xdg ? setenv("XDG_CONFIG_HOME", c.xdg, 1) : unsetenv("XDG_CONFIG_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    IDirectInputDevice8A* kb = nullptr;
    ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
    kb->BuildActionMap(&format_, nullptr, 0);
    keyActions[0].dwObjID = 0x04 | (static_cast<DWORD>(key) << 8);
    DebugCapture capture;
    EXPECT_EQ(kb->SetActionMap(&format_, nullptr, DIDSAM_FORCESAVE), DI_SETTINGSNOTSAVED);
    EXPECT_EQ(dinput8::DiagnosticCount(dinput8::DIAG_USER_MAP_NOT_SAVED), 1);
    EXPECT_NE(capture.text.find(c.reason), std::string::npos) << capture.text;
    EXPECT_NE(capture.text.find("they apply until the game ends"), std::string::npos) << capture.text;
    EXPECT_EQ(kb->Acquire(), DI_OK);  // the map is installed all the same
    kb->Release();
    DWORD how = 0;
    EXPECT_EQ(KeyOf(0, &how), static_cast<DWORD>(key));  // and the next build still has it
    EXPECT_EQ(how, static_cast<DWORD>(DIAH_USERCONFIG));
    key = DIK_M;
  }
  setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace dinput_test
