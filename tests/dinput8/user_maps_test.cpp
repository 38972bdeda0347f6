// Saved maps: written and read back per map and device, and a damaged file
// (truncated, garbage, another version, a control the device lacks) falls
// back to the defaults with a message.
#include <fstream>

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
      {"an empty file", "", "empty"},
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

TEST_F(UserMaps, AFileTooLargeToBeAMapIsNotRead) {
  WriteMap("Glorbs3D input map\nversion 1\nmap Keys Saved\ndevice keyboard\n" + std::string(100000, '#'));
  DebugCapture capture;
  EXPECT_EQ(KeyOf(0), static_cast<DWORD>(DIK_J));
  EXPECT_NE(capture.text.find("too large"), std::string::npos);
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

TEST_F(UserMaps, AnUnwritableFolderIsReportedNotFatal) {
  setenv("XDG_CONFIG_HOME", "/proc/no-such-place", 1);
  IDirectInputDevice8A* kb = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  kb->BuildActionMap(&format_, nullptr, 0);
  DebugCapture capture;
  EXPECT_EQ(kb->SetActionMap(&format_, nullptr, DIDSAM_FORCESAVE), DI_SETTINGSNOTSAVED);
  EXPECT_EQ(dinput8::DiagnosticCount(dinput8::DIAG_USER_MAP_NOT_SAVED), 1);
  EXPECT_EQ(kb->Acquire(), DI_OK);  // the map is installed all the same
  kb->Release();
}

}  // namespace
}  // namespace dinput_test
