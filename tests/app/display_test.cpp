// SPDX-License-Identifier: MIT
// The display device through the application: start-up's window and device,
// the keyed sprite sheets, fatal errors for missing data, mode switches by
// Alt+Enter and the Video menu's calls, the lost-device cycle and release.
#include <d3d8_glorbs.h>
#include <d3dx8.h>
#include <host/host.h>
#include <win32/data_directory.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app_fixture.h"
#include "render/game_models.h"
#include "render/scene_camera.h"
#include "render/texture_font.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/random.h"
#include "world/input_state.h"
#include "world/levels.h"

namespace {

class Display : public AppTest {
 protected:
  void TearDown() override {
    AppTest::TearDown();
    sceneCamera = SceneCamera();
    screenWidth = 640;
    screenHeight = 480;
  }

  void Start() {
    ASSERT_EQ(StartupApplication(mainWindow), S_OK) << DebugText();
    appActive = true;
  }

  void AltEnter() { SendMessageA(mainWindow, WM_SYSKEYDOWN, VK_RETURN, 1 << 29); }

  // The desktop takes the focus away from the program, or gives it back.
  void Focus(bool gained) {
    host::Event event;
    event.type = gained ? host::EventType::FocusGained : host::EventType::FocusLost;
    host::InjectEvent(event);
    Pump();
  }

  static SIZE BackBufferSize() {
    IDirect3DSurface8* back = nullptr;
    SIZE size = {0, 0};
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) return size;
    D3DSURFACE_DESC desc = {};
    back->GetDesc(&desc);
    back->Release();
    return SIZE{static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
  }

  static SIZE ClientSize() {
    RECT client = {};
    GetClientRect(mainWindow, &client);
    return SIZE{client.right, client.bottom};
  }

  void ExpectFullScreen(UINT w, UINT h) {
    EXPECT_TRUE(fullScreen);
    EXPECT_TRUE(displayReady);
    EXPECT_EQ(screenWidth, w);
    EXPECT_EQ(screenHeight, h);
    EXPECT_FALSE(presentParams.Windowed);
    EXPECT_EQ(presentParams.hDeviceWindow, mainWindow);
    EXPECT_EQ(presentParams.BackBufferFormat, fullScreenFormat);
    const SIZE back = BackBufferSize();
    EXPECT_EQ(back.cx, static_cast<LONG>(w));
    EXPECT_EQ(back.cy, static_cast<LONG>(h));
    EXPECT_TRUE(host::IsFullScreen());
  }

  void ExpectWindowed() {
    EXPECT_FALSE(fullScreen);
    EXPECT_TRUE(displayReady);
    EXPECT_TRUE(presentParams.Windowed);
    EXPECT_EQ(presentParams.hDeviceWindow, nullptr);
    EXPECT_EQ(presentParams.BackBufferFormat, desktopMode.Format);
    EXPECT_FALSE(host::IsFullScreen());
    const SIZE client = ClientSize();
    EXPECT_EQ(client.cx, 640);
    EXPECT_EQ(client.cy, 480);
  }
};

// Draws the ship model in front of the camera and reads the middle of the
// frame back: every object a frame needs must be there and work.
void ExpectDisplayUsable() {
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(device->TestCooperativeLevel(), D3D_OK);
  for (XMesh* model : modelSlots) ASSERT_NE(model->deviceMesh, nullptr);
  ASSERT_NE(seaFloorModel->deviceMesh, nullptr);
  D3DLOCKED_RECT locked = {};
  ASSERT_NE(inputConfigSurface, nullptr);
  ASSERT_EQ(inputConfigSurface->LockRect(&locked, nullptr, 0), D3D_OK);
  inputConfigSurface->UnlockRect();
  ASSERT_EQ(spriteTexture1->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  spriteTexture1->UnlockRect(0);
  BYTE* data = nullptr;
  ASSERT_EQ(spriteQuad->Lock(0, 0, &data, 0), D3D_OK);
  spriteQuad->Unlock();

  ASSERT_EQ(device->BeginScene(), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  D3DXMATRIX world;
  device->SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(&world, 0.0f, 0.0f, 1.0f));
  EXPECT_EQ(modelSlots[0]->Render(device, true, false), S_OK);
  EXPECT_EQ(hudFont->DrawScaledText(-1.0f, 1.0f, 0.9f, 0.05f, 0.05f, 0xFFFFFF00, "Score"), S_OK);
  EXPECT_EQ(bigFont->DrawScreenText(0.0f, 0.0f, 0xFFFFFFFF, "Paused"), S_OK);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  const SIZE back = {static_cast<LONG>(presentParams.BackBufferWidth),
                     static_cast<LONG>(presentParams.BackBufferHeight)};
  std::vector<uint32_t> pixels(back.cx * back.cy);
  ASSERT_EQ(d3d8::ReadBackBuffer(device, pixels.data(), back.cx, back.cy), D3D_OK);
  const uint32_t middle = pixels[(back.cy / 2) * back.cx + back.cx / 2];
  EXPECT_GT(((middle >> 16) & 0xFF) + ((middle >> 8) & 0xFF) + (middle & 0xFF), 100u) << std::hex << middle;
}

TEST_F(Display, StartsWindowedAt640x480WithSizingFrameInsideTheWorkArea) {
  Start();
  ASSERT_NE(device, nullptr);
  ExpectWindowed();
  const LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
  EXPECT_EQ(style & WS_POPUP, 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX),
            WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX);
  RECT work = {}, window = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(mainWindow, &window);
  EXPECT_GE(window.left, work.left);
  EXPECT_GE(window.top, work.top);
  const SIZE back = BackBufferSize();  // one to one with the client area
  EXPECT_EQ(back.cx, 640);
  EXPECT_EQ(back.cy, 480);

  // Our device layer offers 32-bit displays only; 16-bit textures with one
  // bit of alpha are its first texture candidate.
  EXPECT_EQ(fullScreenFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(textureFormat, D3DFMT_A1R5G5B5);
  EXPECT_EQ(presentParams.BackBufferCount, 1u);
  EXPECT_EQ(presentParams.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_TRUE(presentParams.EnableAutoDepthStencil);
  EXPECT_EQ(presentParams.AutoDepthStencilFormat, D3DFMT_D16);
  ASSERT_NE(hudFont, nullptr);
  ASSERT_NE(bigFont, nullptr);
  EXPECT_STREQ(hudFont->FontName(), "Tahoma");
  EXPECT_EQ(hudFont->Height(), 30u);
  EXPECT_STREQ(bigFont->FontName(), "Impact");
  EXPECT_EQ(bigFont->Height(), 48u);
  EXPECT_NE(bigFont->Texture(), nullptr);

  // The fixed state: the camera's matrices, light 0 towards (1, -1, 1).
  D3DMATRIX projection = {};
  device->GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_NEAR(projection._11, 2.4142f, 1e-3f);
  EXPECT_NEAR(projection._43, -0.1001f, 1e-4f);
  D3DLIGHT8 light = {};
  BOOL lightOn = FALSE;
  device->GetLight(0, &light);
  device->GetLightEnable(0, &lightOn);
  EXPECT_TRUE(lightOn);
  EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_NEAR(light.Direction.y, -0.57735f, 1e-4f);
  DWORD ambient = 0;
  device->GetRenderState(D3DRS_AMBIENT, &ambient);
  EXPECT_EQ(ambient, 0x33333333u);

  // screenQuad spans the viewport as a strip.
  D3DVIEWPORT8 viewport = {};
  device->GetViewport(&viewport);
  BYTE* data = nullptr;
  ASSERT_EQ(screenQuad->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  const auto* quad = reinterpret_cast<const ScreenQuadVertex*>(data);
  EXPECT_EQ(quad[0].y, static_cast<float>(viewport.Height));
  EXPECT_EQ(quad[2].x, static_cast<float>(viewport.Width));
  EXPECT_EQ(quad[3].y, 0.0f);
  EXPECT_EQ(quad[1].rhw, 1.0f);
  screenQuad->Unlock();
  ExpectDisplayUsable();
}

TEST_F(Display, AWindowLeftOfTheWorkAreaIsMovedBackByARestore) {
  Start();
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(mainWindow, nullptr, work.left - 50, work.top - 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ReleaseVolatileObjects();
  ASSERT_EQ(PrepareDeviceState(), S_OK);
  RECT window = {};
  GetWindowRect(mainWindow, &window);
  EXPECT_EQ(window.left, work.left);
  EXPECT_EQ(window.top, work.top);
}

// Black (and the near-blacks that a 5-bit channel cannot tell from it)
// becomes transparent black; every other texel stays opaque.
TEST_F(Display, SpriteSheetsHaveBlackKeyedOutInTheTextureFormat) {
  Start();
  for (int sheet = 0; sheet < 2; ++sheet) {
    IDirect3DTexture8* keyed = sheet == 0 ? spriteTexture1 : spriteTexture2;
    IDirect3DTexture8* plain = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, sheet == 0 ? "Media/Glorbs1.bmp" : "Media/Glorbs2.bmp",
                                           D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &plain),
              D3D_OK);
    D3DSURFACE_DESC desc = {};
    keyed->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A1R5G5B5);
    D3DLOCKED_RECT k = {}, p = {};
    ASSERT_EQ(keyed->LockRect(0, &k, nullptr, D3DLOCK_READONLY), D3D_OK);
    ASSERT_EQ(plain->LockRect(0, &p, nullptr, D3DLOCK_READONLY), D3D_OK);
    int transparent = 0, opaque = 0, wrong = 0;
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* kr = reinterpret_cast<const WORD*>(static_cast<BYTE*>(k.pBits) + y * k.Pitch);
      const auto* pr = reinterpret_cast<const WORD*>(static_cast<BYTE*>(p.pBits) + y * p.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) {
        const bool black = pr[x] == 0x8000;
        if (black) {
          transparent += kr[x] == 0;
          wrong += kr[x] != 0;
        } else {
          opaque += (kr[x] & 0x8000) != 0;
          wrong += kr[x] != pr[x];
        }
      }
    }
    keyed->UnlockRect(0);
    plain->UnlockRect(0);
    plain->Release();
    EXPECT_EQ(wrong, 0) << "sheet " << sheet + 1;
    EXPECT_GT(transparent, 1000) << "sheet " << sheet + 1;
    EXPECT_GT(opaque, 1000) << "sheet " << sheet + 1;
  }
}

// A media directory holding every data file but one, and a working
// directory with none: the game's start-up must fail with the right box.
class MissingMedia : public Display, public ::testing::WithParamInterface<const char*> {
 protected:
  static constexpr const char* kFiles[] = {"Glorbs1.bmp",       "Glorbs2.bmp",       "SeaFloor.x",
                                           "Space Station 7.x", "Space Station 5.x", "Spaceship 5.x",
                                           "SeaBed.bmp",        "HullPlates.bmp",    "HullWindows.bmp"};
  void SetUp() override {
    Display::SetUp();
    char pattern[] = "/tmp/glorbs-display-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    const std::string media = root_ + "/Media";
    ASSERT_EQ(mkdir(media.c_str(), 0755), 0);
    const std::string source = win32::DataDirectory() + "/Media/";
    for (const char* name : kFiles) {
      if (std::string(name) == GetParam()) continue;
      ASSERT_EQ(symlink((source + name).c_str(), (media + "/" + name).c_str()), 0);
    }
    char cwd[4096] = {};
    oldCwd_ = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    ASSERT_EQ(chdir(root_.c_str()), 0);
    SetMediaValue(root_);
  }
  void TearDown() override {
    SetMediaValue(win32::DataDirectory());
    if (chdir(oldCwd_.c_str()) != 0) ADD_FAILURE();
    for (const char* name : kFiles) unlink((root_ + "/Media/" + name).c_str());
    rmdir((root_ + "/Media").c_str());
    rmdir(root_.c_str());
    Display::TearDown();
  }
  static void SetMediaValue(const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, GLORBS_SDK_KEY, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegSetValueExA(key, GLORBS_SDK_PATH_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
  }
  std::string root_, oldCwd_;
};

TEST_P(MissingMedia, StartUpFailsWithItsFatalErrorAndReleasesEverything) {
  const bool texture = std::string(GetParam()).find("Glorbs") == 0;
  cursorShown = false;
  testing::internal::CaptureStderr();
  EXPECT_EQ(StartupApplication(mainWindow), E_FAIL);
  const std::string box = testing::internal::GetCapturedStderr();
  const char* expectedBox = texture ? "Glorbs3D: Couldn't load game textures.\n\nEither your graphics "
                                      "hardware does not have\nsufficient "
                                      "resources, or the DirectX SDK was\nnot properly installed.\n"
                                    : "Glorbs3D: Couldn't load game geometry.\n\nEither your graphics "
                                      "hardware does not have\nsufficient "
                                      "resources, or the DirectX SDK was\nnot properly installed.\n";
  EXPECT_NE(box.find(expectedBox), std::string::npos) << box;
  EXPECT_NE(DebugText().find(texture ? "Could not load textures\n" : "Could not load .x models\n"),
            std::string::npos);
  EXPECT_TRUE(cursorShown);
  EXPECT_FALSE(displayReady);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(spriteTexture1, nullptr);
  EXPECT_EQ(hudFont, nullptr);
  EXPECT_EQ(seaFloorModel, nullptr);
  EXPECT_EQ(modelSlots[0], nullptr);
  EXPECT_EQ(DisplayList, nullptr);
  ShutdownAll();  // WM_DESTROY runs it again
  EXPECT_EQ(device, nullptr);
}

INSTANTIATE_TEST_SUITE_P(OneFileGone, MissingMedia,
                         ::testing::Values("Glorbs2.bmp", "Glorbs1.bmp", "SeaFloor.x", "Spaceship 5.x"));

TEST_F(Display, AltEnterAndTheVideoMenuSwitchModes) {
  Start();
  AltEnter();
  ExpectFullScreen(640, 480);
  EXPECT_EQ(RequestDisplayMode(true, 1024, 768), S_OK);  // "1024x768"
  ExpectFullScreen(1024, 768);
  AltEnter();
  ExpectWindowed();
  EXPECT_EQ(screenWidth, 1024u);  // kept for the way back
  AltEnter();
  ExpectFullScreen(1024, 768);
  ExpectDisplayUsable();
  EXPECT_EQ(RequestDisplayMode(false, 0, 0), S_OK);  // "Windowed"
  ExpectWindowed();
  ExpectDisplayUsable();
}

TEST_F(Display, RequestsThatChangeNothingResetNothing) {
  Start();
  // A reset would replace the configuration surface; holding a reference
  // keeps its address from being reused.
  IDirect3DSurface8* surface = inputConfigSurface;
  surface->AddRef();
  EXPECT_EQ(RequestDisplayMode(false, 0, 0), S_OK);  // windowed while windowed
  EXPECT_EQ(inputConfigSurface, surface);
  EXPECT_EQ(RequestDisplayMode(true, 0, 0), E_INVALIDARG);  // no size: refused, the program stays
  EXPECT_EQ(inputConfigSurface, surface);
  EXPECT_FALSE(fullScreen);
  appActive = false;
  AltEnter();
  EXPECT_FALSE(fullScreen);
  appActive = true;
  displayReady = false;
  AltEnter();
  EXPECT_FALSE(fullScreen);
  displayReady = true;
  EXPECT_EQ(inputConfigSurface, surface);
  surface->Release();

  ASSERT_EQ(RequestDisplayMode(true, 800, 600), S_OK);
  surface = inputConfigSurface;
  surface->AddRef();
  EXPECT_EQ(RequestDisplayMode(true, 800, 600), S_OK);  // the active resolution again
  EXPECT_EQ(inputConfigSurface, surface);
  surface->Release();
  ExpectFullScreen(800, 600);
}

TEST_F(Display, LostDeviceIsSkippedThenResetAndRestored) {
  Start();
  ASSERT_EQ(RequestDisplayMode(true, 640, 480), S_OK);
  Focus(false);
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(DrawApplication(), S_OK);  // nothing drawn, nothing reset
  EXPECT_TRUE(displayReady);
  Focus(true);
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(DrawApplication(), S_OK);
  EXPECT_TRUE(displayReady);
  ExpectFullScreen(640, 480);
  ExpectDisplayUsable();
}

bool ClosePosted() {
  MSG msg = {};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_CLOSE) return true;
  }
  return false;
}

// A mode the device refuses: the program closes, the display mode it had
// stays recorded, and the size asked for is kept as the full-screen size.
TEST_F(Display, AFailedModeSwitchClosesTheProgram) {
  Start();
  EXPECT_EQ(RequestDisplayMode(true, 9000, 9000), E_FAIL);
  EXPECT_FALSE(fullScreen);
  EXPECT_FALSE(displayReady);
  EXPECT_EQ(screenWidth, 9000u);
  EXPECT_TRUE(ClosePosted());
}

// A lost device whose reset fails: the render step closes the program and
// hands back the cooperative level's answer.
TEST_F(Display, AFailedResetOfALostDeviceClosesTheProgram) {
  Start();
  ASSERT_EQ(RequestDisplayMode(true, 640, 480), S_OK);
  Focus(false);
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  Focus(true);
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  presentParams.BackBufferCount = 5;  // parameters the device cannot take
  EXPECT_EQ(DrawApplication(), D3DERR_DEVICENOTRESET);
  EXPECT_FALSE(displayReady);
  EXPECT_TRUE(ClosePosted());
}

// The frame the render step shows now, read back from the back buffer. The
// pause title's glow is scattered with the game's random numbers: a fixed
// seed draws it the same way every time.
std::vector<uint32_t> DrawnFrame() {
  SeedRandom(7);
  EXPECT_EQ(DrawApplication(), S_OK);
  return BackBufferPixels();
}

int PixelsThatDiffer(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int differ = 0;
  for (size_t i = 0; i < a.size(); ++i) differ += ((a[i] ^ b[i]) & 0xFFFFFF) != 0;
  return differ;
}

// Paused, the update does not aim the camera: a reset (Alt+Enter either
// way, or a lost device coming back) must keep the game's view, or the sea
// floor and the ship vanish until play resumes.
TEST_F(Display, AResetKeepsTheViewOfThePausedGame) {
  Start();
  BeginNextLevel();
  appState = APP_PLAYING;
  for (int frame = 0; frame < 30; ++frame) {  // the ship appears; the camera follows it
    ManualClock::Advance(0.1);
    StepApplication();
  }
  ASSERT_EQ(PlayerShip->visible, 1);
  InputState.paused = 1;
  StepApplication();
  const D3DXVECTOR3 eye = sceneCamera.GetEyePt();
  ASSERT_NEAR(eye.x, PlayerShip->position.x + 7.0f, 1e-5f);
  const std::vector<uint32_t> before = DrawnFrame();

  AltEnter();
  ExpectFullScreen(640, 480);
  StepApplication();
  EXPECT_EQ(sceneCamera.GetEyePt(), eye);
  D3DMATRIX view = {};
  device->GetTransform(D3DTS_VIEW, &view);
  const D3DXMATRIX cameraView = sceneCamera.GetViewMatrix();
  EXPECT_EQ(0, std::memcmp(&view, &cameraView, sizeof(view)));
  EXPECT_EQ(PixelsThatDiffer(DrawnFrame(), before), 0);

  AltEnter();
  ExpectWindowed();
  StepApplication();
  EXPECT_EQ(PixelsThatDiffer(DrawnFrame(), before), 0);

  // A lost full-screen device coming back keeps the view as well.
  AltEnter();
  Focus(false);
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  Focus(true);
  ASSERT_EQ(DrawApplication(), S_OK);  // the reset
  EXPECT_EQ(sceneCamera.GetEyePt(), eye);
  EXPECT_EQ(PixelsThatDiffer(DrawnFrame(), before), 0);
  InputState = InputStateRecord{};
}

// The game goes on without a part that cannot be remade after a reset, but
// says which one, so a model or HUD text that vanished can be explained.
TEST_F(Display, PartsThatCannotBeRemadeAfterAResetAreTraced) {
  Start();
  modelSlots[1]->Destroy();  // its system copy is gone: no device copy can be cloned
  delete bigFont;
  bigFont = new TextureFont("Impact", 48);  // never given a device
  AltEnter();
  ExpectFullScreen(640, 480);
  EXPECT_NE(DebugText().find("could not create the device mesh of the ship's first part"), std::string::npos)
      << DebugText();
  EXPECT_NE(DebugText().find("could not create the text buffers of Impact"), std::string::npos);
  EXPECT_EQ(DebugText().find("device mesh of the sea floor"), std::string::npos);
  EXPECT_EQ(DebugText().find("text buffers of Tahoma"), std::string::npos);
}

TEST_F(Display, DestroyingTwiceIsSafeAndLeavesNothing) {
  Start();
  ASSERT_NE(DisplayList, nullptr);
  DestroyDisplay();
  DestroyDisplay();
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(DisplayList, nullptr);
  EXPECT_EQ(spriteTexture2, nullptr);
  EXPECT_EQ(bigFont, nullptr);
  EXPECT_EQ(inputConfigSurface, nullptr);
  EXPECT_EQ(screenQuad, nullptr);
  EXPECT_EQ(spriteQuad, nullptr);
  for (XMesh* model : modelSlots) EXPECT_EQ(model, nullptr);
  EXPECT_FALSE(displayReady);
  ShowBackBuffer();  // without a device: nothing
  EXPECT_EQ(DrawApplication(), S_OK);
  // A new display can be made after the old one is gone.
  ASSERT_EQ(CreateDisplay(mainWindow), S_OK);
  EXPECT_TRUE(displayReady);
}

}  // namespace
