// SPDX-License-Identifier: MIT
// Draws the device configuration window over the game frame in full-screen
// display, through the display's device and the application's services.
#include "input/config_devices_frame.h"

#include "input/input_services.h"
#include "render/display_objects.h"
#include "render/render_game.h"

namespace {

// The configuration window's image, centred on a full-screen back buffer.
constexpr LONG kConfigImageWidth = 640;
constexpr LONG kConfigImageHeight = 480;

}  // namespace

BOOL CALLBACK ConfigureDevicesCallback(IUnknown* target, LPVOID) {
  if (!inputServices.playing() || !target || !device) return TRUE;
  IDirect3DSurface8* image = nullptr;
  if (FAILED(target->QueryInterface(IID_IDirect3DSurface8, reinterpret_cast<void**>(&image)))) return TRUE;
  RenderGame();
  IDirect3DSurface8* back = nullptr;
  if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
    // A screen narrower than the image (none of the game's modes) puts it
    // at the edge instead of before it.
    const auto centre = [](DWORD screen, LONG image) {
      return static_cast<LONG>(screen) > image ? (static_cast<LONG>(screen) - image) / 2 : 0;
    };
    const RECT whole = {0, 0, kConfigImageWidth, kConfigImageHeight};
    DWORD screenWidth = 0, screenHeight = 0;
    inputServices.screenSize(&screenWidth, &screenHeight);
    const POINT at = {centre(screenWidth, kConfigImageWidth), centre(screenHeight, kConfigImageHeight)};
    device->CopyRects(image, &whole, 1, back, &at);
    back->Release();
  }
  inputServices.present();
  image->Release();
  return TRUE;
}
