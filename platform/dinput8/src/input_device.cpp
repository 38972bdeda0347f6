// SPDX-License-Identifier: MIT
// The device calls: cooperative level, properties, acquisition, buffered
// data, and building and installing action maps. Events become records only
// for objects the installed map binds, and only while acquired.
#include "input_device.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "action_mapping.h"
#include "diagnostics.h"
#include "event_router.h"
#include "key_table.h"
#include "user_maps.h"

namespace dinput8 {

namespace {

constexpr DWORD kPressed = 0x80;
constexpr int32_t kTriggerPress = 16384;    // half travel
constexpr int32_t kTriggerRelease = 12288;  // a little below, so a trigger held at half does not chatter
constexpr DWORD kDx3RecordSize = 16;        // the record without uAppData
constexpr DWORD kMaxBufferSize = 1024;

// Host's mouse buttons (1 left, 2 middle, 3 right, 4, 5) -> DirectInput's
// (0 left, 1 right, 2 middle, 3, 4).
const int kMouseButtonOfHost[6] = {-1, 0, 2, 1, 3, 4};

bool PropertyHeaderOk(LPCDIPROPHEADER h, DWORD size) {
  return h && h->dwHeaderSize == sizeof(DIPROPHEADER) && h->dwSize == size;
}

}  // namespace

InputDevice::InputDevice(const DeviceIdentity& identity) : identity_(identity) {
  if (identity_.kind == DeviceKind::Mouse) axisMode_ = DIPROPAXISMODE_REL;
  AttachDevice(this);
}

InputDevice::~InputDevice() {
  ReleaseCapture();
  DetachDevice(this);
}

HRESULT InputDevice::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, {&IID_IUnknown, &IID_IDirectInputDevice8A});
}

// ------------------------------------------------------------- properties

HRESULT InputDevice::SetProperty(REFGUID prop, LPCDIPROPHEADER h) {
  if (!h || h->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  if (h->dwHow != DIPH_DEVICE || h->dwObj != 0) {
    Unsupported("a property of a single object");
    return DIERR_UNSUPPORTED;
  }
  if (prop == DIPROP_RANGE) {
    if (h->dwSize != sizeof(DIPROPRANGE)) return DIERR_INVALIDPARAM;
    const DIPROPRANGE* r = reinterpret_cast<const DIPROPRANGE*>(h);
    if (r->lMin >= r->lMax) return DIERR_INVALIDPARAM;
    range_.min = r->lMin;
    range_.max = r->lMax;
    return DI_OK;
  }
  if (h->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
  const DWORD value = reinterpret_cast<const DIPROPDWORD*>(h)->dwData;
  if (prop == DIPROP_BUFFERSIZE) {
    if (acquired_) return DIERR_ACQUIRED;
    if (value > kMaxBufferSize) return DIERR_INVALIDPARAM;
    bufferSize_ = value;
    while (buffer_.size() > bufferSize_) buffer_.pop_back();
    return DI_OK;
  }
  if (prop == DIPROP_AXISMODE) {
    if (acquired_) return DIERR_ACQUIRED;
    if (value != DIPROPAXISMODE_ABS && value != DIPROPAXISMODE_REL) return DIERR_INVALIDPARAM;
    axisMode_ = value;
    return DI_OK;
  }
  if (prop == DIPROP_DEADZONE) {
    if (value > 10000) return DIERR_INVALIDPARAM;
    deadZone_ = value;
    return DI_OK;
  }
  Unsupported("this SetProperty property");
  return DIERR_UNSUPPORTED;
}

HRESULT InputDevice::GetProperty(REFGUID prop, LPDIPROPHEADER h) {
  if (prop == DIPROP_RANGE) {
    if (!PropertyHeaderOk(h, sizeof(DIPROPRANGE)) || h->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
    DIPROPRANGE* r = reinterpret_cast<DIPROPRANGE*>(h);
    r->lMin = range_.min;
    r->lMax = range_.max;
    return DI_OK;
  }
  if (!PropertyHeaderOk(h, sizeof(DIPROPDWORD)) || h->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
  DWORD& out = reinterpret_cast<DIPROPDWORD*>(h)->dwData;
  if (prop == DIPROP_BUFFERSIZE)
    out = bufferSize_;
  else if (prop == DIPROP_AXISMODE)
    out = axisMode_;
  else if (prop == DIPROP_DEADZONE)
    out = deadZone_;
  else {
    Unsupported("this GetProperty property");
    return DIERR_UNSUPPORTED;
  }
  return DI_OK;
}

HRESULT InputDevice::SetCooperativeLevel(HWND hwnd, DWORD flags) {
  const DWORD exclusive = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
  const DWORD ground = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
  if (flags & ~(DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY))
    return DIERR_INVALIDPARAM;
  if (exclusive == 0 || exclusive == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
  if (ground == 0 || ground == (DISCL_FOREGROUND | DISCL_BACKGROUND)) return DIERR_INVALIDPARAM;
  if ((flags & DISCL_FOREGROUND) && !hwnd) return DIERR_INVALIDPARAM;
  // Nothing may own the whole keyboard while the window is in the background.
  if (identity_.kind == DeviceKind::Keyboard && (flags & DISCL_EXCLUSIVE) && (flags & DISCL_BACKGROUND))
    return DIERR_UNSUPPORTED;
  if (acquired_) return DIERR_ACQUIRED;
  window_ = hwnd;
  coopLevel_ = flags;
  return DI_OK;
}

HRESULT InputDevice::GetDeviceInfo(LPDIDEVICEINSTANCEA info) {
  if (!info || info->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
  std::memset(info, 0, sizeof *info);
  info->dwSize = sizeof *info;
  info->guidInstance = identity_.instance;
  info->guidProduct = identity_.product;
  info->dwDevType = identity_.devType;
  std::snprintf(info->tszInstanceName, sizeof info->tszInstanceName, "%s", identity_.name.c_str());
  std::snprintf(info->tszProductName, sizeof info->tszProductName, "%s", identity_.name.c_str());
  return DI_OK;
}

// ------------------------------------------------------------ acquisition

HRESULT InputDevice::Acquire() {
  if (!mapped_) return DIERR_INVALIDPARAM;  // no data format: nothing to report
  if (unplugged_) return DIERR_UNPLUGGED;
  if (acquired_) return DI_NOEFFECT;
  if ((coopLevel_ & DISCL_FOREGROUND) && !WindowFocused()) return DIERR_OTHERAPPHASPRIO;
  acquired_ = true;
  lost_ = false;
  overflow_ = false;
  buffer_.clear();
  if (identity_.kind == DeviceKind::Mouse && (coopLevel_ & DISCL_EXCLUSIVE)) {
    capturing_ = true;
    CapturePointer(true);
  }
  return DI_OK;
}

HRESULT InputDevice::Unacquire() {
  lost_ = false;
  if (!acquired_) return DI_NOEFFECT;
  acquired_ = false;
  buffer_.clear();
  ReleaseCapture();
  return DI_OK;
}

void InputDevice::LoseAcquisition(bool unplugged) {
  unplugged_ = unplugged_ || unplugged;
  if (!acquired_) return;
  acquired_ = false;
  lost_ = true;
  buffer_.clear();
  ReleaseCapture();
}

void InputDevice::ReleaseCapture() {
  if (!capturing_) return;
  capturing_ = false;
  CapturePointer(false);
}

HRESULT InputDevice::Poll() {
  if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
  return DI_NOEFFECT;  // every object reports by itself; nothing to poll
}

// ----------------------------------------------------------- buffered data

HRESULT InputDevice::GetDeviceData(DWORD size, LPDIDEVICEOBJECTDATA out, LPDWORD inOut, DWORD flags) {
  if (!inOut || (size != sizeof(DIDEVICEOBJECTDATA) && size != kDx3RecordSize) || (flags & ~DIGDD_PEEK))
    return DIERR_INVALIDPARAM;
  if (!acquired_) {
    *inOut = 0;
    if (!lost_) return DIERR_NOTACQUIRED;
    lost_ = false;  // said once; from then on the device is simply not acquired
    return DIERR_INPUTLOST;
  }
  if (bufferSize_ == 0) return DIERR_NOTBUFFERED;
  const bool peek = (flags & DIGDD_PEEK) != 0;
  const DWORD wanted = *inOut;
  DWORD n = 0;
  for (; n < wanted && n < buffer_.size(); ++n) {
    if (out) std::memcpy(reinterpret_cast<BYTE*>(out) + n * size, &buffer_[n], size);
  }
  if (!peek) buffer_.erase(buffer_.begin(), buffer_.begin() + n);
  *inOut = n;
  const bool overflowed = overflow_;
  if (!peek) overflow_ = false;
  return overflowed ? DI_BUFFEROVERFLOW : DI_OK;
}

// Buffers one record when the object is bound. A full buffer keeps what it
// has and drops the newer event; the next read reports the overflow.
void InputDevice::Emit(DWORD objId, DWORD data, DWORD time) {
  if (!acquired_) return;
  for (const Binding& b : bindings_) {
    if (b.objId != objId) continue;
    if (buffer_.size() >= bufferSize_) {
      if (!overflow_) Count(DIAG_BUFFER_OVERFLOW);
      overflow_ = true;
      return;
    }
    DIDEVICEOBJECTDATA record{};
    record.dwOfs = b.offset;
    record.dwData = data;
    record.dwTimeStamp = time;
    record.dwSequence = NextSequence();
    record.uAppData = b.appData;
    buffer_.push_back(record);
    return;
  }
}

void InputDevice::OnEvent(const host::Event& e) {
  switch (identity_.kind) {
    case DeviceKind::Keyboard:
      if ((e.type == host::EventType::KeyDown || e.type == host::EventType::KeyUp) && !e.repeat) {
        const BYTE dik = DikFromHid(e.key);
        if (dik) Emit(MakeObjectId(OBJ_BUTTON, dik), e.down ? kPressed : 0, e.time);
      }
      break;
    case DeviceKind::Mouse:
      OnMouse(e);
      break;
    case DeviceKind::Pad:
      if (e.device != identity_.padInstance) break;
      if (e.type == host::EventType::PadButton && e.button < host::PAD_BUTTON_COUNT)
        Emit(MakeObjectId(OBJ_BUTTON, e.button), e.down ? kPressed : 0, e.time);
      if (e.type == host::EventType::PadAxis) OnPadAxis(e);
      break;
  }
}

void InputDevice::OnMouse(const host::Event& e) {
  if (e.type == host::EventType::MouseButton && e.button >= 1 && e.button <= 5) {
    Emit(MakeObjectId(OBJ_BUTTON, kMouseButtonOfHost[e.button]), e.down ? kPressed : 0, e.time);
    return;
  }
  // The wheel reports 120 per notch, like the platform's mouse.
  int32_t deltas[3] = {0, 0, 0};
  if (e.type == host::EventType::MouseMotion) {
    deltas[0] = e.dx;
    deltas[1] = e.dy;
  } else if (e.type == host::EventType::MouseWheel) {
    deltas[2] = e.dy * 120;
  }
  for (DWORD a = 0; a < 3; ++a) {
    if (deltas[a] == 0) continue;
    mouseTotal_[a] += deltas[a];
    const LONG value = axisMode_ == DIPROPAXISMODE_REL ? deltas[a] : mouseTotal_[a];
    Emit(MakeObjectId(OBJ_RELAXIS, a), static_cast<DWORD>(value), e.time);
  }
}

// Sticks centre on the middle of the range; the dead zone reads as centre
// and the rest of the travel is spread over the whole range. Triggers run
// from the minimum (released) to the maximum.
LONG InputDevice::ScalePadAxis(DWORD axis, int32_t raw) const {
  const double span = static_cast<double>(range_.max) - range_.min;
  if (axis >= host::PAD_TRIGGERLEFT) {
    const double t = raw <= 0 ? 0.0 : (raw >= 32767 ? 1.0 : raw / 32767.0);
    return static_cast<LONG>(std::lround(range_.min + t * span));
  }
  double v = raw < -32767 ? -1.0 : raw / 32767.0;
  const double dead = deadZone_ / 10000.0;
  const double magnitude = std::fabs(v) <= dead ? 0.0 : (std::fabs(v) - dead) / (1.0 - dead);
  v = v < 0 ? -magnitude : magnitude;
  return static_cast<LONG>(std::lround(range_.min + (v + 1.0) * 0.5 * span));
}

void InputDevice::OnPadAxis(const host::Event& e) {
  if (e.a < 0 || e.a >= static_cast<int32_t>(PAD_AXIS_OBJECTS)) return;
  const DWORD axis = static_cast<DWORD>(e.a);
  const LONG value = ScalePadAxis(axis, e.b);
  // Only changes are reported, so stick noise below one step of the range
  // does not fill the buffer.
  if (!padAxisKnown_[axis] || padAxis_[axis] != value) {
    padAxis_[axis] = value;
    padAxisKnown_[axis] = true;
    Emit(MakeObjectId(OBJ_ABSAXIS, axis), static_cast<DWORD>(value), e.time);
  }
  if (axis < host::PAD_TRIGGERLEFT) return;
  const int t = axis - host::PAD_TRIGGERLEFT;
  const bool down = triggerDown_[t] ? e.b > kTriggerRelease : e.b > kTriggerPress;
  if (down == triggerDown_[t]) return;
  triggerDown_[t] = down;
  Emit(MakeObjectId(OBJ_BUTTON, PAD_TRIGGER_BUTTON_LEFT + t), down ? kPressed : 0, e.time);
}

// ------------------------------------------------------------ action maps

HRESULT InputDevice::BuildActionMap(LPDIACTIONFORMATA format, LPCSTR userName, DWORD flags) {
  if (!FormatIsValid(format) || (flags & ~(DIDBAM_PRESERVE | DIDBAM_INITIALIZE | DIDBAM_HWDEFAULTS)))
    return DIERR_INVALIDPARAM;
  UserChoices choices;
  if (!(flags & DIDBAM_HWDEFAULTS)) LoadUserMap(userName, format->tszActionMap, identity_, choices);
  const std::vector<ActionBinding> map = MapActions(*format, identity_, &choices);
  for (DWORD i = 0; i < format->dwNumActions; ++i) {
    DIACTIONA& a = format->rgoAction[i];
    const bool mine = a.guidInstance == identity_.instance;
    if ((flags & DIDBAM_PRESERVE) && mine && a.dwHow != DIAH_UNMAPPED) continue;
    if (map[i].suits && map[i].objId) {
      a.guidInstance = identity_.instance;
      a.dwObjID = map[i].objId;
      a.dwHow = map[i].how;
    } else if (mine || (flags & DIDBAM_INITIALIZE)) {
      // An action this device no longer serves is released, so another
      // device's map can take it.
      a.guidInstance = GUID_NULL;
      a.dwObjID = 0;
      a.dwHow = DIAH_UNMAPPED;
    }
  }
  return DI_OK;
}

HRESULT InputDevice::SetActionMap(LPDIACTIONFORMATA format, LPCSTR userName, DWORD flags) {
  if (!FormatIsValid(format) || (flags & ~(DIDSAM_NOUSER | DIDSAM_FORCESAVE))) return DIERR_INVALIDPARAM;
  if (acquired_) return DIERR_ACQUIRED;
  if (format->dwBufferSize > kMaxBufferSize || format->lAxisMin >= format->lAxisMax)
    return DIERR_INVALIDPARAM;
  bindings_.clear();
  std::vector<ActionBinding> saved(format->dwNumActions);
  for (DWORD i = 0; i < format->dwNumActions; ++i) {
    const DIACTIONA& a = format->rgoAction[i];
    saved[i].suits = SuitsDevice(a.dwSemantic, identity_.kind) && !(a.dwFlags & DIA_APPNOMAP);
    if (a.guidInstance != identity_.instance || a.dwHow == DIAH_UNMAPPED || (a.dwHow & DIAH_ERROR)) continue;
    if (!HasObject(identity_, a.dwObjID)) continue;
    bindings_.push_back({a.dwObjID, a.uAppData, i * 4});
    saved[i].objId = a.dwObjID;
    saved[i].how = a.dwHow;
  }
  bufferSize_ = format->dwBufferSize;
  range_ = {format->lAxisMin, format->lAxisMax};
  buffer_.clear();
  overflow_ = false;
  mapped_ = true;
  if ((flags & DIDSAM_FORCESAVE) && !(flags & DIDSAM_NOUSER)) {
    if (!SaveUserMap(userName, *format, identity_, saved)) return DI_SETTINGSNOTSAVED;
  }
  return DI_OK;
}

}  // namespace dinput8
