// SPDX-License-Identifier: MIT
// The DirectInput object: device creation, enumeration of the attached
// devices that an action format can use, and the configuration window.
#include <cstdio>
#include <cstring>

#include "action_mapping.h"
#include "config_screen.h"
#include "diagnostics.h"
#include <host/host.h>
#include "input_device.h"
#include "user_maps.h"

namespace dinput8 {

namespace {

DIDEVICEINSTANCEA InstanceRecord(const DeviceIdentity& d) {
  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof info;
  info.guidInstance = d.instance;
  info.guidProduct = d.product;
  info.dwDevType = d.devType;
  std::snprintf(info.tszInstanceName, sizeof info.tszInstanceName, "%s", d.name.c_str());
  std::snprintf(info.tszProductName, sizeof info.tszProductName, "%s", d.name.c_str());
  return info;
}

// The EnumDevices class of a device; nothing here is of the "other" class.
DWORD ClassOf(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::Keyboard:
      return DI8DEVCLASS_KEYBOARD;
    case DeviceKind::Mouse:
      return DI8DEVCLASS_POINTER;
    case DeviceKind::Pad:
      break;
  }
  return DI8DEVCLASS_GAMECTRL;
}

// DIEDBS_* flags of a device for the format, 0 when it serves no action.
DWORD EnumerationFlags(const DIACTIONFORMATA& format, const DeviceIdentity& device, const char* userName) {
  UserChoices choices;
  const UserMapStatus saved = LoadUserMap(userName, format.tszActionMap, device, choices);
  const std::vector<ActionBinding> map = MapActions(format, device, &choices);
  DWORD flags = 0;
  for (DWORD i = 0; i < format.dwNumActions; ++i) {
    if (!map[i].objId) continue;
    flags |= (format.rgoAction[i].dwSemantic & DISEM_PRI_MASK) ? DIEDBS_MAPPEDPRI2 : DIEDBS_MAPPEDPRI1;
  }
  if (flags && saved != UserMapStatus::Loaded) flags |= DIEDBS_NEWDEVICE;
  return flags;
}

class DirectInput : public ComObject<IDirectInput8A> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirectInput8A});
  }

  STDMETHODIMP CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) override {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    for (const DeviceIdentity& d : AttachedDevices()) {
      if (d.instance == guid || (d.kind != DeviceKind::Pad && d.product == guid)) {
        *out = new InputDevice(d);
        return DI_OK;
      }
    }
    return DIERR_DEVICENOTREG;
  }

  STDMETHODIMP EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref,
                           DWORD flags) override {
    if (!callback || devClass > DI8DEVCLASS_GAMECTRL || (flags & ~DIEDFL_ATTACHEDONLY))
      return DIERR_INVALIDPARAM;
    for (const DeviceIdentity& d : AttachedDevices()) {
      if (devClass != DI8DEVCLASS_ALL && devClass != ClassOf(d.kind)) continue;
      const DIDEVICEINSTANCEA info = InstanceRecord(d);
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  STDMETHODIMP EnumDevicesBySemantics(LPCSTR userName, LPDIACTIONFORMATA format,
                                      LPDIENUMDEVICESBYSEMANTICSCBA callback, LPVOID ref,
                                      DWORD flags) override {
    if (!FormatIsValid(format) || !callback || (flags & ~DIEDBSFL_VALID)) return DIERR_INVALIDPARAM;
    struct Candidate {
      DeviceIdentity identity;
      DWORD flags;
    };
    std::vector<Candidate> candidates;
    for (const DeviceIdentity& d : AttachedDevices()) {
      const DWORD f = EnumerationFlags(*format, d, userName);
      if (f) candidates.push_back({d, f});
    }
    for (size_t i = 0; i < candidates.size(); ++i) {
      const DIDEVICEINSTANCEA info = InstanceRecord(candidates[i].identity);
      // The callback gets a device of its own to keep (AddRef) or drop.
      InputDevice* device = new InputDevice(candidates[i].identity);
      const BOOL go =
          callback(&info, device, candidates[i].flags, static_cast<DWORD>(candidates.size() - i - 1), ref);
      device->Release();
      if (go == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  STDMETHODIMP ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK callback, LPDICONFIGUREDEVICESPARAMSA params,
                                DWORD flags, LPVOID ref) override {
    return RunConfigureDevices(callback, params, flags, ref);
  }
};

}  // namespace

}  // namespace dinput8

HRESULT WINAPI DirectInput8Create(HINSTANCE hinst, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer) {
  if (!out) return DIERR_INVALIDPARAM;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!hinst) return DIERR_INVALIDPARAM;
  if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
  if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
  if (riid != IID_IDirectInput8A && riid != IID_IUnknown) return DIERR_NOINTERFACE;
  if (!host::Init()) return DIERR_NOTINITIALIZED;
  *out = static_cast<IDirectInput8A*>(new dinput8::DirectInput());
  return DI_OK;
}
