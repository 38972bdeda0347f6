// SPDX-License-Identifier: MIT
// The configuration window driven as a user would: keys, clicks and
// controller buttons put into host's stream before it opens. It draws into
// the target surface it is given and calls back to have it presented.
#include <d3d8.h>

#include <fstream>

#include "config_screen.h"
#include "dinput_fixture.h"
#include "win32/debug_capture.h"

namespace dinput_test {
namespace {

DIACTIONA keyActions[] = {
    {7, DIKEYBOARD(DIK_J), 0, {"Turn left"}, {}, 0, 0},
    {8, DIKEYBOARD(DIK_K), 0, {"Turn right"}, {}, 0, 0},
    {16, DIKEYBOARD(DIK_ESCAPE), DIA_APPFIXED, {"Quit game"}, {}, 0, 0},
    {11, DIBUTTON_SPACESIM_FIRE, 0, {"Fire weapons"}, {}, 0, 0},
};

// An image surface in memory, as the game's configuration surface is.
class MemorySurface : public ComObject<IDirect3DSurface8> {
 public:
  MemorySurface(UINT w, UINT h, D3DFORMAT format)
      : w_(w), h_(h), format_(format), bytes_(format == D3DFMT_R5G6B5 ? 2 : 4), pixels_(w * h * bytes_, 0) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirect3DSurface8});
  }
  STDMETHODIMP GetDevice(IDirect3DDevice8**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetDesc(D3DSURFACE_DESC* desc) override {
    *desc = D3DSURFACE_DESC{};
    desc->Format = format_;
    desc->Width = w_;
    desc->Height = h_;
    return S_OK;
  }
  STDMETHODIMP LockRect(D3DLOCKED_RECT* locked, const RECT*, DWORD) override {
    ++locks;
    locked->pBits = pixels_.data();
    locked->Pitch = static_cast<INT>(w_ * bytes_);
    return S_OK;
  }
  STDMETHODIMP UnlockRect() override { return S_OK; }
  uint32_t Pixel32(int x, int y) const {
    uint32_t p = 0;
    std::memcpy(&p, &pixels_[(y * w_ + x) * bytes_], 4);
    return p;
  }
  uint16_t Pixel16(int x, int y) const {
    uint16_t p = 0;
    std::memcpy(&p, &pixels_[(y * w_ + x) * bytes_], 2);
    return p;
  }
  int locks = 0;

 private:
  UINT w_, h_;
  D3DFORMAT format_;
  UINT bytes_;
  std::vector<BYTE> pixels_;
};

struct Presented {
  int calls = 0;
  IUnknown* lastTarget = nullptr;
};

BOOL CALLBACK CountPresent(IUnknown* target, LPVOID ref) {
  Presented* p = static_cast<Presented*>(ref);
  ++p->calls;
  p->lastTarget = target;
  return TRUE;
}

class ConfigureDevices : public DinputTest {
 protected:
  HRESULT Run(DWORD flags, IUnknown* target = nullptr, Presented* presented = nullptr) {
    DICONFIGUREDEVICESPARAMSA params{};
    params.dwSize = sizeof params;
    params.dwcFormats = 1;
    params.lprgFormats = &format_;
    params.hwnd = FakeWindow();
    params.lpUnkDDSTarget = target;
    return di_->ConfigureDevices(presented ? CountPresent : nullptr, &params, flags, presented);
  }
  // Which DIK code (or pad object) the keyboard's or pad's map gives action i.
  DWORD ObjectOf(REFGUID device, int i) {
    IDirectInputDevice8A* d = nullptr;
    EXPECT_EQ(di_->CreateDevice(device, &d, nullptr), DI_OK);
    if (!d) return 0;
    d->BuildActionMap(&format_, nullptr, 0);
    d->Release();
    return keyActions[i].dwHow == DIAH_UNMAPPED || keyActions[i].guidInstance != device
               ? 0
               : keyActions[i].dwObjID;
  }
  static DWORD KeyObject(BYTE dik) { return 0x04 | (static_cast<DWORD>(dik) << 8); }
  bool Saved() const { return std::filesystem::exists(MapFile("Config", "keyboard")); }

  DIACTIONFORMATA format_ = MakeFormat(keyActions, 4, "Config");
};

TEST_F(ConfigureDevices, ARemappedKeyIsSavedAndTakesEffectOnTheNextBuild) {
  Tap(HID_DOWN);  // "Turn right"
  Tap(HID_RETURN);
  Tap(HID_L);    // its new key
  Tap(HID_F10);  // OK
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_TRUE(Saved());
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), KeyObject(DIK_L));
  EXPECT_EQ(keyActions[1].dwHow, static_cast<DWORD>(DIAH_USERCONFIG));
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 0), KeyObject(DIK_J));
}

TEST_F(ConfigureDevices, AMapThatCannotBeSavedIsAppliedAndTheWindowSaysWhy) {
  setenv("XDG_CONFIG_HOME", "/proc/no-such-place", 1);
  // The window itself: OK does not close it while the failure is unread.
  dinput8::ConfigScreen screen(format_, nullptr, true);
  DebugCapture capture;
  for (uint16_t hid : {HID_DOWN, HID_RETURN, HID_L, HID_F10}) screen.OnEvent(KeyEvent(hid, true));
  EXPECT_FALSE(screen.Done());
  EXPECT_TRUE(screen.SaveFailed());
  EXPECT_NE(screen.Status().find("Not saved: cannot make the folder /proc/no-such-place"), std::string::npos)
      << screen.Status();
  EXPECT_NE(screen.Status().find("apply until the game ends"), std::string::npos);
  EXPECT_NE(capture.text.find("could not be saved"), std::string::npos) << capture.text;
  screen.OnEvent(KeyEvent(HID_L, false));  // a release is no answer
  EXPECT_FALSE(screen.Done());
  screen.OnEvent(KeyEvent(HID_SPACE, true));
  EXPECT_TRUE(screen.Done());
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), KeyObject(DIK_L));

  // The whole call, as the game makes it: the edit holds without a file.
  dinput8::ForgetUnsavedMaps();
  Tap(HID_RETURN);  // "Turn left"
  Tap(HID_M);
  Tap(HID_F10);
  Tap(HID_RETURN);  // the notice is read
  EXPECT_EQ(Run(DICD_EDIT), DI_SETTINGSNOTSAVED);
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 0), KeyObject(DIK_M));
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), KeyObject(DIK_K));
}

TEST_F(ConfigureDevices, TakingAnotherActionsKeyLeavesThatActionWithout) {
  Tap(HID_RETURN);  // "Turn left"
  Tap(HID_K);       // Turn right's key
  Tap(HID_F10);
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 0), KeyObject(DIK_K));
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), 0u);
}

TEST_F(ConfigureDevices, AFixedActionCannotBeChangedAndEscapeBacksOutOfAChange) {
  Tap(HID_DOWN);
  Tap(HID_DOWN);
  Tap(HID_RETURN);  // "Quit game" is fixed: no change starts
  Tap(HID_UP);
  Tap(HID_RETURN);  // "Turn right" waits for a key ...
  Tap(HID_ESCAPE);  // ... and Escape backs out, binding nothing
  Tap(HID_F10);
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_FALSE(Saved());  // nothing changed, nothing written
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), KeyObject(DIK_K));
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 2), KeyObject(DIK_ESCAPE));
}

TEST_F(ConfigureDevices, CancelDropsTheChangesMade) {
  Tap(HID_RETURN);
  Tap(HID_M);       // "Turn left" on M ...
  Tap(HID_ESCAPE);  // ... then cancel
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_FALSE(Saved());
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 0), KeyObject(DIK_J));
}

TEST_F(ConfigureDevices, ViewModeChangesNothing) {
  Tap(HID_DOWN);
  Tap(HID_DELETE);  // no effect when viewing
  Tap(HID_F5);
  Tap(HID_RETURN);  // closes
  ASSERT_EQ(Run(DICD_DEFAULT), DI_OK);
  EXPECT_FALSE(Saved());
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), KeyObject(DIK_K));
}

TEST_F(ConfigureDevices, ClearAndDefaultsWorkOnTheShownDevice) {
  Tap(HID_DELETE);  // "Turn left" loses J
  Tap(HID_F10);
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 0), 0u);
  Tap(HID_F5);
  Tap(HID_F10);
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 0), KeyObject(DIK_J));
}

TEST_F(ConfigureDevices, ItDrawsIntoTheTargetAndCallsBackToPresent) {
  MemorySurface* surface = new MemorySurface(640, 480, D3DFMT_X8R8G8B8);
  Presented presented;
  Tap(HID_ESCAPE);
  ASSERT_EQ(Run(DICD_EDIT, surface, &presented), DI_OK);
  EXPECT_GE(presented.calls, 1);
  EXPECT_EQ(presented.lastTarget, static_cast<IUnknown*>(surface));
  EXPECT_GE(surface->locks, 1);
  EXPECT_EQ(surface->Pixel32(3, 3), 0xFF203A70u);    // title bar
  EXPECT_EQ(surface->Pixel32(3, 200), 0xFF101828u);  // background
  EXPECT_EQ(surface->Pixel32(12, 80), 0xFF3060B0u);  // the selected first row
  int textPixels = 0;                                // "Configure devices: Config" in the title
  for (int y = 8; y < 22; ++y)
    for (int x = 12; x < 320; ++x) textPixels += surface->Pixel32(x, y) == 0xFFE8E8E8u;
  EXPECT_GT(textPixels, 300);
  if (const char* dump = getenv("GLORBS_DUMP_CONFIG")) {
    std::ofstream out(dump, std::ios::binary);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const uint32_t p = surface->Pixel32(x, y);
        const char rgb[3] = {char(p >> 16), char(p >> 8), char(p)};
        out.write(rgb, 3);
      }
  }
  surface->Release();
}

TEST_F(ConfigureDevices, ASixteenBitTargetGetsSixteenBitPixels) {
  MemorySurface* surface = new MemorySurface(800, 600, D3DFMT_R5G6B5);
  Tap(HID_ESCAPE);
  ASSERT_EQ(Run(DICD_DEFAULT, surface), DI_OK);
  // 0x203A70 in 5-6-5.
  EXPECT_EQ(surface->Pixel16(3, 3),
            static_cast<uint16_t>((0x20 >> 3) << 11 | (0x3A >> 2) << 5 | (0x70 >> 3)));
  EXPECT_EQ(surface->Pixel16(700, 500), 0u);  // outside the window image: untouched
  surface->Release();
}

TEST_F(ConfigureDevices, TheMouseSelectsARowAndPressesOk) {
  MouseButton(1, true, 40, 76 + 20 + 5);  // second row
  MouseButton(1, false, 40, 101);
  MouseButton(1, true, 40, 101);  // again: change it
  Tap(HID_V);
  MouseButton(1, true, 130 + 20, 414 + 10);  // OK
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_EQ(ObjectOf(GUID_SysKeyboard, 1), KeyObject(DIK_V));
}

// In full screen the game centres the window's picture on its back buffer,
// and a desktop of another size shows that scaled between black bars: a
// click lands where the picture shows, not where a 640 x 480 screen had it.
TEST(ConfigPlacement, ClicksFollowThePictureOnAScaledAndLetterboxedScreen) {
  struct Case {
    int clientW, clientH, backW, backH, x, y, w, h;
  };
  for (const Case& c : {Case{640, 480, 640, 480, 0, 0, 640, 480},         // the mode itself
                        Case{800, 600, 800, 600, 80, 60, 640, 480},       // a real mode change
                        Case{1920, 1080, 640, 480, 240, 0, 1440, 1080},   // a wide desktop
                        Case{1920, 1080, 800, 600, 384, 108, 1152, 864},  // ... of a larger mode
                        Case{1280, 1024, 640, 480, 0, 32, 1280, 960}}) {  // a taller desktop
    const dinput8::ConfigScreen::Placement p =
        dinput8::PlacementOnBackBuffer(c.clientW, c.clientH, c.backW, c.backH);
    EXPECT_EQ(p.offsetX, c.x) << c.clientW << "x" << c.clientH << " / " << c.backW << "x" << c.backH;
    EXPECT_EQ(p.offsetY, c.y) << c.clientW << "x" << c.clientH << " / " << c.backW << "x" << c.backH;
    EXPECT_EQ(p.width, c.w);
    EXPECT_EQ(p.height, c.h);
  }
  const dinput8::ConfigScreen::Placement none = dinput8::PlacementOnBackBuffer(0, 0, 640, 480);
  EXPECT_EQ(none.width, 640);  // nothing to divide by: the plain picture

  // The view mode's Close button, clicked on a 1920 x 1080 desktop showing
  // an 800 x 600 mode: its centre (320, 429) is at (384 + 320 x 1.8, 108 + 429 x 1.8).
  const DIACTIONFORMATA format = {};
  dinput8::ConfigScreen screen(format, nullptr, false);
  screen.SetPlacement(dinput8::PlacementOnBackBuffer(1920, 1080, 800, 600));
  host::Event click;
  click.type = host::EventType::MouseButton;
  click.button = 1;
  click.down = true;
  click.a = 384 + 320 * 18 / 10;
  click.b = 108 + 80 * 18 / 10;  // the title bar: nothing there
  screen.OnEvent(click);
  EXPECT_FALSE(screen.Done());
  click.b = 108 + 429 * 18 / 10;
  screen.OnEvent(click);
  EXPECT_TRUE(screen.Done());
}

TEST_F(ConfigureDevices, AControllerIsRemappedWithItsOwnButtons) {
  const int32_t pad = AttachPad("Pad", kAllButtons, kAllAxes);
  GUID instance = InstanceOfPad(format_);
  ASSERT_NE(instance, GUID_NULL);
  EXPECT_EQ(ObjectOf(instance, 3), 0x04u | (host::PAD_A << 8));
  Tap(HID_RIGHT);                         // the next device: the controller
  PadButton(pad, host::PAD_A, true);      // change "Fire weapons"
  PadButton(pad, host::PAD_Y, true);      // to Y
  PadButton(pad, host::PAD_START, true);  // OK
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_EQ(ObjectOf(instance, 3), 0x04u | (host::PAD_Y << 8));
  EXPECT_FALSE(Saved());  // only the changed device is written
}

TEST_F(ConfigureDevices, BadParametersAndUnusableTargetsAreRefused) {
  EXPECT_EQ(di_->ConfigureDevices(nullptr, nullptr, 0, nullptr), DIERR_INVALIDPARAM);
  DICONFIGUREDEVICESPARAMSA params{};
  params.dwSize = 60;
  params.dwcFormats = 1;
  params.lprgFormats = &format_;
  EXPECT_EQ(di_->ConfigureDevices(nullptr, &params, 0, nullptr), DIERR_INVALIDPARAM);
  params.dwSize = sizeof params;
  EXPECT_EQ(di_->ConfigureDevices(nullptr, &params, 0x100, nullptr), DIERR_INVALIDPARAM);
  params.dwcFormats = 0;
  EXPECT_EQ(di_->ConfigureDevices(nullptr, &params, 0, nullptr), DIERR_INVALIDPARAM);
  params.dwcFormats = 1;
  MemorySurface* small = new MemorySurface(320, 240, D3DFMT_X8R8G8B8);
  params.lpUnkDDSTarget = small;
  EXPECT_EQ(di_->ConfigureDevices(nullptr, &params, 0, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(dinput8::DiagnosticCount(dinput8::DIAG_BAD_TARGET), 1);
  small->Release();
}

TEST_F(ConfigureDevices, ClosingTheWindowEndsIt) {
  host::Event quit;
  quit.type = host::EventType::Quit;
  Tap(HID_RETURN);
  host::InjectEvent(quit);
  ASSERT_EQ(Run(DICD_EDIT), DI_OK);
  EXPECT_FALSE(Saved());
}

}  // namespace
}  // namespace dinput_test
