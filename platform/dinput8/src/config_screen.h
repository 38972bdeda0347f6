// SPDX-License-Identifier: MIT
// The device configuration window: for each attached device, the actions of
// the format that it serves and the control each has; in edit mode the user
// picks an action and presses the new key, button or axis. It runs modally,
// pumping host's events itself, and draws through the application's target
// surface (full screen) or as the window's picture (windowed).
#pragma once

#include <string>
#include <vector>

#include "action_mapping.h"
#include <host/host.h>

struct IDirect3DSurface8;

namespace dinput8 {

class Canvas;

// Where things sit on the 640 x 480 canvas; drawing and clicks share it.
namespace layout {
constexpr int kDeviceY = 38, kDeviceH = 28, kArrowW = 34;
constexpr int kListTop = 76, kRowH = 20, kVisibleRows = 15, kListLeft = 16, kControlX = 330;
constexpr int kStatusY = 384;
constexpr int kButtonY = 414, kButtonH = 30, kButtonW = 110;
constexpr int kOkX = 130, kCancelX = 265, kDefaultsX = 400;  // edit mode
constexpr int kCloseX = 265;                                 // view mode
constexpr int kHelpY = 456;
}  // namespace layout

class ConfigScreen {
 public:
  ConfigScreen(const DIACTIONFORMATA& format, const char* userName, bool edit);

  // Where the canvas sits in the window, to place mouse clicks: canvas
  // x = (window x - offsetX) * 640 / width, likewise for y.
  struct Placement {
    int offsetX = 0, offsetY = 0, width = 640, height = 480;
  };
  void SetPlacement(const Placement& p) { placement_ = p; }

  void OnEvent(const host::Event& e);
  void Draw(Canvas& canvas) const;
  bool Done() const { return done_; }
  bool Confirmed() const { return confirmed_; }
  // OK in edit mode writes the map of every device the user changed. When
  // one cannot be written, the window stays open and its status line says
  // why (the map still applies for this run) until the next key, button or
  // click.
  bool SaveFailed() const { return saveFailed_; }

  // What the window shows, for tests: the selected device and row, and the
  // control name of an action on the selected device ("" when unmapped).
  size_t DeviceCount() const { return devices_.size(); }
  size_t SelectedDevice() const { return device_; }
  size_t SelectedRow() const { return row_; }
  bool Capturing() const { return capturing_; }
  const std::string& Status() const { return status_; }

 private:
  struct Device {
    DeviceIdentity identity;
    std::vector<DWORD> rows;              // indices of the actions it serves
    std::vector<ActionBinding> bindings;  // one per action of the format
    bool changed = false;
  };

  // Browsing: keys, buttons and clicks move around and start a change.
  void OnBrowseKey(uint16_t hid);
  void OnBrowsePad(const host::Event& e);
  void OnClick(int x, int y);
  // Changing: the next suitable control of the selected device is taken.
  void OnCapture(const host::Event& e);
  void Bind(DWORD objId);
  void MoveRow(int delta);
  void NextDevice(int delta);
  void StartCapture();
  void ClearSelected();
  void ResetDevice();
  void Finish(bool confirmed);
  bool SaveChanges();
  bool RowFixed(size_t row) const;
  const DIACTIONA& RowAction(size_t row) const;

  friend void DrawConfigScreen(const ConfigScreen& screen, Canvas& canvas);

  const DIACTIONFORMATA& format_;
  const char* userName_ = nullptr;
  bool edit_ = false;
  std::vector<Device> devices_;
  size_t device_ = 0;
  size_t row_ = 0;
  size_t scroll_ = 0;
  bool capturing_ = false;
  int captureMotion_[2] = {};
  bool done_ = false;
  bool confirmed_ = false;
  bool saveFailed_ = false;
  std::string status_;
  Placement placement_;
};

// Draws the window as it stands; presents the canvas into the target (its
// top-left 640 x 480) or, without one, as the window's picture.
void DrawConfigScreen(const ConfigScreen& screen, Canvas& canvas);
void PresentConfigScreen(const Canvas& canvas, IDirect3DSurface8* target);

// Where the window's picture shows in a client area of clientW x clientH in
// full screen: the application centres it on its backW x backH back buffer,
// which a desktop of another size shows scaled and letterboxed.
ConfigScreen::Placement PlacementOnBackBuffer(int clientW, int clientH, int backW, int backH);

// Validates the parameters, runs the window until the user confirms or
// cancels, saves the edited maps and returns DI_OK, or the reason it could
// not run.
HRESULT RunConfigureDevices(LPDICONFIGUREDEVICESCALLBACK callback, LPDICONFIGUREDEVICESPARAMSA params,
                            DWORD flags, LPVOID ref);

}  // namespace dinput8
