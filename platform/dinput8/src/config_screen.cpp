// SPDX-License-Identifier: MIT
// What the configuration window does with keys, buttons, clicks and the
// controls the user presses, and the modal loop that runs it.
#include "config_screen.h"

#include <algorithm>
#include <cstdlib>

#include "canvas.h"
#include <d3d8.h>
#include "diagnostics.h"
#include "key_table.h"
#include "user_maps.h"
#include <winuser.h>

namespace dinput8 {

namespace {

using namespace host::keys;

constexpr int32_t kCaptureAxis = 24000;  // of 32767: a deliberate push of a stick
constexpr int kCaptureMouseTravel = 40;  // pixels of motion that pick a mouse axis

bool Inside(int x, int y, int left, int top, int w, int h) {
  return x >= left && x < left + w && y >= top && y < top + h;
}

}  // namespace

ConfigScreen::ConfigScreen(const DIACTIONFORMATA& format, const char* userName, bool edit)
    : format_(format), userName_(userName), edit_(edit) {
  for (const DeviceIdentity& identity : AttachedDevices()) {
    Device d;
    d.identity = identity;
    UserChoices choices;
    LoadUserMap(userName, format.tszActionMap, identity, choices);
    d.bindings = MapActions(format, identity, &choices);
    for (DWORD i = 0; i < format.dwNumActions; ++i) {
      if (d.bindings[i].suits) d.rows.push_back(i);
    }
    if (!d.rows.empty()) devices_.push_back(std::move(d));
  }
  status_ =
      edit_ ? "Choose an action and press Enter to change its control." : "These are the current controls.";
}

const DIACTIONA& ConfigScreen::RowAction(size_t row) const {
  return format_.rgoAction[devices_[device_].rows[row]];
}

bool ConfigScreen::RowFixed(size_t row) const {
  return (RowAction(row).dwFlags & DIA_APPFIXED) != 0;
}

void ConfigScreen::OnEvent(const host::Event& e) {
  if (done_) return;
  if (e.type == host::EventType::Quit) {
    Finish(false);  // the window is closing; the game sees the close itself
    return;
  }
  if (saveFailed_) {
    // The notice of the failed save is read; any answer closes the window.
    const bool answer =
        e.type == host::EventType::KeyDown ||
        ((e.type == host::EventType::MouseButton || e.type == host::EventType::PadButton) && e.down);
    if (answer) done_ = true;
    return;
  }
  if (capturing_) {
    OnCapture(e);
    return;
  }
  switch (e.type) {
    case host::EventType::KeyDown:
      OnBrowseKey(e.key);
      break;
    case host::EventType::MouseButton:
      if (e.down && e.button == 1) OnClick(e.a, e.b);
      break;
    case host::EventType::MouseWheel:
      MoveRow(-e.dy);
      break;
    case host::EventType::PadButton:
      if (e.down) OnBrowsePad(e);
      break;
    default:
      break;
  }
}

void ConfigScreen::OnBrowseKey(uint16_t hid) {
  switch (hid) {
    case HID_UP:
      MoveRow(-1);
      break;
    case HID_DOWN:
      MoveRow(1);
      break;
    case HID_PAGEUP:
      MoveRow(-layout::kVisibleRows);
      break;
    case HID_PAGEDOWN:
      MoveRow(layout::kVisibleRows);
      break;
    case HID_LEFT:
      NextDevice(-1);
      break;
    case HID_RIGHT:
    case HID_TAB:
      NextDevice(1);
      break;
    case HID_RETURN:
    case HID_KP_ENTER:
    case HID_SPACE:
      if (edit_)
        StartCapture();
      else
        Finish(true);
      break;
    case HID_DELETE:
    case HID_BACKSPACE:
      ClearSelected();
      break;
    case HID_F5:
      ResetDevice();
      break;
    case HID_F10:
      Finish(true);
      break;
    case HID_ESCAPE:
      Finish(false);
      break;
    default:
      break;
  }
}

void ConfigScreen::OnBrowsePad(const host::Event& e) {
  switch (e.button) {
    case host::PAD_DPAD_UP:
      MoveRow(-1);
      break;
    case host::PAD_DPAD_DOWN:
      MoveRow(1);
      break;
    case host::PAD_LEFTSHOULDER:
      NextDevice(-1);
      break;
    case host::PAD_RIGHTSHOULDER:
      NextDevice(1);
      break;
    case host::PAD_A:
      if (edit_)
        StartCapture();
      else
        Finish(true);
      break;
    case host::PAD_START:
      Finish(true);
      break;
    case host::PAD_B:
      Finish(false);
      break;
    default:
      break;
  }
}

void ConfigScreen::OnClick(int wx, int wy) {
  if (placement_.width <= 0 || placement_.height <= 0) return;
  const int x = (wx - placement_.offsetX) * Canvas::kWidth / placement_.width;
  const int y = (wy - placement_.offsetY) * Canvas::kHeight / placement_.height;
  using namespace layout;
  if (Inside(x, y, 0, kDeviceY, kArrowW + 16, kDeviceH)) return NextDevice(-1);
  if (Inside(x, y, Canvas::kWidth - kArrowW - 16, kDeviceY, kArrowW + 16, kDeviceH)) return NextDevice(1);
  if (edit_) {
    if (Inside(x, y, kOkX, kButtonY, kButtonW, kButtonH)) return Finish(true);
    if (Inside(x, y, kCancelX, kButtonY, kButtonW, kButtonH)) return Finish(false);
    if (Inside(x, y, kDefaultsX, kButtonY, kButtonW, kButtonH)) return ResetDevice();
  } else if (Inside(x, y, kCloseX, kButtonY, kButtonW, kButtonH)) {
    return Finish(true);
  }
  if (devices_.empty() || !Inside(x, y, 0, kListTop, Canvas::kWidth, kRowH * kVisibleRows)) return;
  const size_t row = scroll_ + static_cast<size_t>((y - kListTop) / kRowH);
  if (row >= devices_[device_].rows.size()) return;
  // A click selects a row; a click on the selected row changes it.
  if (row == row_ && edit_) return StartCapture();
  MoveRow(static_cast<int>(row) - static_cast<int>(row_));
}

ConfigScreen::Placement PlacementOnBackBuffer(int clientW, int clientH, int backW, int backH) {
  ConfigScreen::Placement p;
  if (clientW <= 0 || clientH <= 0 || backW <= 0 || backH <= 0) return p;
  // The application centres the picture on its back buffer (at the edge of
  // one smaller than it), which is presented fitted to the client's shape.
  const host::Rect shown = host::FitPicture(backW, backH, clientW, clientH);
  const auto centre = [](int back, int picture) { return back > picture ? (back - picture) / 2 : 0; };
  p.offsetX = shown.x + centre(backW, Canvas::kWidth) * shown.w / backW;
  p.offsetY = shown.y + centre(backH, Canvas::kHeight) * shown.h / backH;
  p.width = Canvas::kWidth * shown.w / backW;
  p.height = Canvas::kHeight * shown.h / backH;
  return p;
}

void ConfigScreen::MoveRow(int delta) {
  if (devices_.empty()) return;
  const int count = static_cast<int>(devices_[device_].rows.size());
  const int row = std::clamp(static_cast<int>(row_) + delta, 0, count - 1);
  row_ = static_cast<size_t>(row);
  if (row_ < scroll_) scroll_ = row_;
  if (row_ >= scroll_ + layout::kVisibleRows) scroll_ = row_ - layout::kVisibleRows + 1;
}

void ConfigScreen::NextDevice(int delta) {
  if (devices_.size() < 2) return;
  const int n = static_cast<int>(devices_.size());
  device_ = static_cast<size_t>(((static_cast<int>(device_) + delta) % n + n) % n);
  row_ = 0;
  scroll_ = 0;
}

void ConfigScreen::StartCapture() {
  if (devices_.empty()) return;
  if (RowFixed(row_)) {
    status_ = "This control is fixed by the game.";
    return;
  }
  capturing_ = true;
  captureMotion_[0] = captureMotion_[1] = 0;
  const bool axis = SemanticIsAxis(RowAction(row_).dwSemantic);
  status_ = std::string(axis ? "Move an axis" : "Press a control") + " of the " +
            devices_[device_].identity.name + " for \"" +
            (RowAction(row_).lptszActionName ? RowAction(row_).lptszActionName : "") + "\" (Esc: keep it)";
}

void ConfigScreen::OnCapture(const host::Event& e) {
  Device& d = devices_[device_];
  if (e.type == host::EventType::KeyDown && e.key == HID_ESCAPE) {
    capturing_ = false;
    status_ = "Unchanged.";
    return;
  }
  switch (d.identity.kind) {
    case DeviceKind::Keyboard:
      if (e.type == host::EventType::KeyDown && !e.repeat && DikFromHid(e.key))
        Bind(MakeObjectId(OBJ_BUTTON, DikFromHid(e.key)));
      break;
    case DeviceKind::Mouse:
      if (e.type == host::EventType::MouseButton && e.down && e.button >= 1 && e.button <= 5) {
        static const DWORD kButtonOfHost[6] = {0, 0, 2, 1, 3, 4};
        Bind(MakeObjectId(OBJ_BUTTON, kButtonOfHost[e.button]));
      } else if (e.type == host::EventType::MouseWheel && e.dy != 0) {
        Bind(MakeObjectId(OBJ_RELAXIS, 2));
      } else if (e.type == host::EventType::MouseMotion) {
        captureMotion_[0] += std::abs(e.dx);
        captureMotion_[1] += std::abs(e.dy);
        for (DWORD a = 0; a < 2; ++a) {
          if (captureMotion_[a] >= kCaptureMouseTravel) return Bind(MakeObjectId(OBJ_RELAXIS, a));
        }
      }
      break;
    case DeviceKind::Pad:
      if (e.device != d.identity.padInstance) break;
      if (e.type == host::EventType::PadButton && e.down) Bind(MakeObjectId(OBJ_BUTTON, e.button));
      if (e.type == host::EventType::PadAxis && std::abs(e.b) >= kCaptureAxis && e.a >= 0 && e.a < 6) {
        const bool trigger = e.a >= host::PAD_TRIGGERLEFT;
        const bool wantAxis = SemanticIsAxis(RowAction(row_).dwSemantic);
        if (wantAxis || !trigger)
          Bind(MakeObjectId(OBJ_ABSAXIS, static_cast<DWORD>(e.a)));
        else
          Bind(MakeObjectId(OBJ_BUTTON, PAD_TRIGGER_BUTTON_LEFT + (e.a - host::PAD_TRIGGERLEFT)));
      }
      break;
  }
}

// Gives the selected action the control; the action that had it before is
// left without one. Controls of fixed actions and controls of the wrong
// kind are refused, and the window keeps waiting.
void ConfigScreen::Bind(DWORD objId) {
  Device& d = devices_[device_];
  const DWORD action = d.rows[row_];
  const bool wantAxis = SemanticIsAxis(format_.rgoAction[action].dwSemantic);
  if (!HasObject(d.identity, objId)) return;
  if (ObjectIsAxis(objId) != wantAxis) {
    status_ = wantAxis ? "This action needs an axis: move one." : "This action needs a key or button.";
    return;
  }
  for (DWORD other : d.rows) {
    if (other == action || d.bindings[other].objId != objId) continue;
    if (format_.rgoAction[other].dwFlags & DIA_APPFIXED) {
      status_ = std::string(ObjectName(d.identity, objId)) + " is fixed to \"" +
                format_.rgoAction[other].lptszActionName + "\"; press another.";
      return;
    }
    d.bindings[other].objId = 0;
    d.bindings[other].how = DIAH_UNMAPPED;
  }
  d.bindings[action].objId = objId;
  d.bindings[action].how = DIAH_USERCONFIG;
  d.changed = true;
  capturing_ = false;
  status_ = std::string(format_.rgoAction[action].lptszActionName ? format_.rgoAction[action].lptszActionName
                                                                  : "") +
            ": " + ObjectName(d.identity, objId);
}

void ConfigScreen::ClearSelected() {
  if (!edit_ || devices_.empty() || RowFixed(row_)) return;
  Device& d = devices_[device_];
  d.bindings[d.rows[row_]] = ActionBinding{true, 0, DIAH_UNMAPPED};
  d.changed = true;
  status_ = "Cleared.";
}

void ConfigScreen::ResetDevice() {
  if (!edit_ || devices_.empty()) return;
  Device& d = devices_[device_];
  d.bindings = MapActions(format_, d.identity, nullptr);
  d.changed = true;
  status_ = "Default controls for the " + d.identity.name + ".";
}

void ConfigScreen::Finish(bool confirmed) {
  confirmed_ = confirmed;
  if (confirmed && edit_ && !SaveChanges()) return;
  done_ = true;
}

bool ConfigScreen::SaveChanges() {
  std::string why;
  for (const Device& d : devices_) {
    std::string failure;
    if (d.changed && !SaveUserMap(userName_, format_, d.identity, d.bindings, &failure)) why = failure;
  }
  if (why.empty()) return true;
  saveFailed_ = true;
  status_ = "Not saved: " + why + ". The new controls apply until the game ends. Press any key.";
  return false;
}

// ------------------------------------------------------------- the loop

namespace {

void OnScreenEvent(const host::Event& e, void* user) {
  static_cast<ConfigScreen*>(user)->OnEvent(e);
}

bool TargetUsable(IDirect3DSurface8* target) {
  D3DSURFACE_DESC desc{};
  if (FAILED(target->GetDesc(&desc)) || desc.Width < Canvas::kWidth || desc.Height < Canvas::kHeight)
    return false;
  return desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_R5G6B5 ||
         desc.Format == D3DFMT_X1R5G5B5 || desc.Format == D3DFMT_A1R5G5B5;
}

// The back buffer the application copies the picture onto: its device's.
bool BackBufferSize(IDirect3DSurface8* target, int* w, int* h) {
  IDirect3DDevice8* device = nullptr;
  IDirect3DSurface8* back = nullptr;
  D3DSURFACE_DESC desc{};
  const bool ok = SUCCEEDED(target->GetDevice(&device)) && device &&
                  SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) && back &&
                  SUCCEEDED(back->GetDesc(&desc)) && desc.Width > 0 && desc.Height > 0;
  SafeRelease(back);
  SafeRelease(device);
  if (ok) {
    *w = static_cast<int>(desc.Width);
    *h = static_cast<int>(desc.Height);
  }
  return ok;
}

ConfigScreen::Placement PlacementFor(IDirect3DSurface8* target) {
  const host::Rect client = host::GetClientArea();
  if (client.w <= 0 || client.h <= 0) return ConfigScreen::Placement();
  if (!target) {
    ConfigScreen::Placement p;
    p.width = client.w;  // the picture fills the window
    p.height = client.h;
    return p;
  }
  int backW = client.w, backH = client.h;
  BackBufferSize(target, &backW, &backH);
  return PlacementOnBackBuffer(client.w, client.h, backW, backH);
}

// Input meant for the configuration window is not the game's: drop the
// key and mouse messages the window layer queued meanwhile.
void DropQueuedInput(HWND window) {
  MSG msg{};
  while (PeekMessageA(&msg, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&msg, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

}  // namespace

HRESULT RunConfigureDevices(LPDICONFIGUREDEVICESCALLBACK callback, LPDICONFIGUREDEVICESPARAMSA params,
                            DWORD flags, LPVOID ref) {
  if (!params || params->dwSize != sizeof(DICONFIGUREDEVICESPARAMSA) || (flags & ~DICD_EDIT))
    return DIERR_INVALIDPARAM;
  if (params->dwcFormats < 1 || !FormatIsValid(params->lprgFormats)) return DIERR_INVALIDPARAM;
  if (params->dwcUsers > 0 && !params->lptszUserNames) return DIERR_INVALIDPARAM;
  IDirect3DSurface8* target = nullptr;
  if (params->lpUnkDDSTarget) {
    if (FAILED(params->lpUnkDDSTarget->QueryInterface(IID_IDirect3DSurface8,
                                                      reinterpret_cast<void**>(&target))) ||
        !TargetUsable(target)) {
      SafeRelease(target);
      Count(DIAG_BAD_TARGET);
      Say("ConfigureDevices: the target is not a surface of 640 x 480 or more in a 16- or 32-bit RGB format");
      return DIERR_INVALIDPARAM;
    }
  }
  const char* user = params->dwcUsers > 0 ? params->lptszUserNames : nullptr;
  ConfigScreen screen(*params->lprgFormats, user, (flags & DICD_EDIT) != 0);
  screen.SetPlacement(PlacementFor(target));
  const bool cursorWasVisible = host::IsCursorVisible();
  host::SetCursorVisible(true);
  const int sink = host::AddEventSink(&OnScreenEvent, &screen);
  Canvas canvas;
  while (!screen.Done()) {
    host::PumpEvents(16);
    DrawConfigScreen(screen, canvas);
    PresentConfigScreen(canvas, target);
    if (target && callback) callback(target, ref);
  }
  host::RemoveEventSink(sink);
  host::SetCursorVisible(cursorWasVisible);
  DropQueuedInput(params->hwnd);
  SafeRelease(target);
  if (screen.SaveFailed()) return DI_SETTINGSNOTSAVED;
  return DI_OK;
}

}  // namespace dinput8
