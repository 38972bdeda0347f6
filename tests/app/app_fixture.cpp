// SPDX-License-Identifier: MIT
// Puts the application globals, the frame timer and the window back to a
// fresh start for every test.
#include "app_fixture.h"

#include <cstring>

#include <d3d8_glorbs.h>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app/main_window.h"
#include "common/src/frame_timer.h"
#include "world/game_object.h"
#include "world/game_state.h"

LONGLONG ManualClock::ticks = 0;

namespace {

BOOL Frequency(LARGE_INTEGER* f) {
  f->QuadPart = 1000;
  return TRUE;
}
BOOL Counter(LARGE_INTEGER* c) {
  c->QuadPart = ManualClock::ticks;
  return TRUE;
}
DWORD Milliseconds() {
  return static_cast<DWORD>(ManualClock::ticks);
}
const FrameTimerClocks kManual = {Frequency, Counter, Milliseconds};

std::vector<unsigned char> SplashBmp() {
  const int w = 4, h = 2, stride = 12;
  BITMAPINFOHEADER info = {sizeof(info), w, h, 1, 24, BI_RGB, stride * h, 0, 0, 0, 0};
  std::vector<unsigned char> out(sizeof(info) + stride * h, 0);
  std::memcpy(out.data(), &info, sizeof(info));
  for (int row = 0; row < h; ++row) {
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &out[sizeof(info) + row * stride + x * 3];
      p[x < 2 ? 2 : 0] = 0xFF;  // red on the left, blue on the right
    }
  }
  return out;
}

}  // namespace

std::vector<uint32_t> BackBufferPixels() {
  IDirect3DSurface8* back = nullptr;
  if (!device || FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) return {};
  D3DSURFACE_DESC desc = {};
  back->GetDesc(&desc);
  back->Release();
  std::vector<uint32_t> pixels(desc.Width * desc.Height);
  d3d8::ReadBackBuffer(device, pixels.data(), desc.Width, desc.Height);
  return pixels;
}

void AppTest::SetUp() {
  ManualClock::ticks = 5000;
  FrameTimerUseClocks(&kManual);
  debug = std::make_unique<DebugCapture>();
  splash = SplashBmp();
  if (damagedSplash) splash.resize(30);
  if (withSplash) {
    resources = {{nullptr, 2, "SPLASH", 0, splash.data(), splash.size()}};
    win32::RegisterResources(resources.data(), resources.size());
  }
  Level = 0;  // the world's level counter outlives a test
  appState = APP_STARTUP;
  appActive = false;
  fullScreen = false;
  displayReady = false;
  splashBitmap = nullptr;
  cursorShown = true;
  mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(mainWindow, nullptr);
}

void AppTest::TearDown() {
  if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
  Pump();
  mainWindow = nullptr;
  ShutdownAll();
  if (withSplash) win32::UnregisterResources(resources.data());
  debug.reset();
  FrameTimerUseClocks(nullptr);
}

void AppTest::Pump() {
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageA(&msg);
}

void AppTest::PressKey(WPARAM vk) {
  SendMessageA(mainWindow, WM_KEYDOWN, vk, 1);
}
