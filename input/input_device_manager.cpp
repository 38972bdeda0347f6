// SPDX-License-Identifier: MIT
// The input device manager over DirectInput 8 action mapping: creation,
// enumeration by the semantics of the installed format, format swaps and
// the configuration window.
#include "input/input_device_manager.h"

#include <algorithm>
#include <cstring>

InputDeviceManager::InputDeviceManager() {
  CoInitialize(nullptr);
}

InputDeviceManager::~InputDeviceManager() {
  ReleaseDevices();
  SafeRelease(directInput);
  CoUninitialize();
}

void InputDeviceManager::ReleaseDevices() {
  for (DWORD i = 0; i < deviceCount; ++i) {
    devices[i]->Unacquire();
    devices[i]->Release();
    devices[i] = nullptr;
    instances[i] = GUID_NULL;
  }
  deviceCount = 0;
}

bool InputDeviceManager::Holds(REFGUID instance) const {
  return std::find(instances, instances + deviceCount, instance) != instances + deviceCount;
}

BOOL InputDeviceManager::RefreshControllers(LONG movedFrom[INPUT_DEVICE_TABLE_SIZE]) {
  if (!directInput) return FALSE;
  std::vector<GUID> attached;
  directInput->EnumDevices(
      DI8DEVCLASS_GAMECTRL,
      [](LPCDIDEVICEINSTANCEA info, LPVOID list) -> BOOL {
        static_cast<std::vector<GUID>*>(list)->push_back(info->guidInstance);
        return DIENUM_CONTINUE;
      },
      &attached, DIEDFL_ATTACHEDONLY);
  if (attached == controllersSeen) return FALSE;
  controllersSeen = attached;
  const auto stillAttached = [&](DWORD i) {
    DIDEVICEINSTANCEA info{};
    info.dwSize = sizeof info;
    // Keyboard and mouse stay; a controller stays while it is listed.
    if (FAILED(devices[i]->GetDeviceInfo(&info))) return false;
    const DWORD type = GET_DIDEVICE_TYPE(info.dwDevType);
    if (type == DI8DEVTYPE_KEYBOARD || type == DI8DEVTYPE_MOUSE) return true;
    return std::find(attached.begin(), attached.end(), instances[i]) != attached.end();
  };
  DWORD kept = 0;
  for (DWORD i = 0; i < deviceCount; ++i) {
    if (!stillAttached(i)) {
      devices[i]->Unacquire();
      devices[i]->Release();
      continue;
    }
    devices[kept] = devices[i];
    instances[kept] = instances[i];
    movedFrom[kept++] = static_cast<LONG>(i);
  }
  const DWORD before = deviceCount;
  for (DWORD i = kept; i < before; ++i) {
    devices[i] = nullptr;
    instances[i] = GUID_NULL;
  }
  deviceCount = kept;
  directInput->EnumDevicesBySemantics(userName, &actionFormat, &EnumerateNewDevice, this,
                                      DIEDBSFL_ATTACHEDONLY);
  for (DWORD i = kept; i < deviceCount; ++i) movedFrom[i] = -1;
  return deviceCount != before || kept != before;
}

HRESULT InputDeviceManager::Create(HWND mainWindow, const char* user, DIACTIONFORMATA* format) {
  window = mainWindow;
  userName = user;
  // A second Create starts over rather than leaking the first DirectInput.
  ReleaseDevices();
  SafeRelease(directInput);
  HRESULT hr = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<void**>(&directInput), nullptr);
  if (FAILED(hr)) return hr;
  SetActionFormat(format, TRUE);
  return S_OK;
}

HRESULT InputDeviceManager::SetActionFormat(DIACTIONFORMATA* format, BOOL reenumerate) {
  if (!format) return E_INVALIDARG;
  // The caller's own record may be this copy (after the configuration
  // window); copying a record onto itself is a no-op either way.
  if (format != &actionFormat) std::memcpy(&actionFormat, format, sizeof actionFormat);
  if (reenumerate) {
    ReleaseDevices();
    if (!directInput) return E_FAIL;
    HRESULT hr = directInput->EnumDevicesBySemantics(userName, &actionFormat, &EnumerateDevice, this,
                                                     DIEDBSFL_ATTACHEDONLY);
    return FAILED(hr) ? hr : S_OK;
  }
  UnacquireDevices();
  for (DWORD i = 0; i < deviceCount; ++i) {
    devices[i]->BuildActionMap(&actionFormat, userName, 0);
    devices[i]->SetActionMap(&actionFormat, userName, 0);
  }
  return S_OK;
}

HRESULT InputDeviceManager::GetDevices(LPDIRECTINPUTDEVICE8A** table, DWORD* count) {
  if (!table || !count) return E_INVALIDARG;
  *table = devices;
  *count = deviceCount;
  return S_OK;
}

HRESULT InputDeviceManager::ConfigureDevices(HWND owner, IUnknown* target,
                                             LPDICONFIGUREDEVICESCALLBACK callback, DWORD flags) {
  if (!directInput) return E_FAIL;
  DICONFIGUREDEVICESPARAMSA params;
  std::memset(&params, 0, sizeof params);
  params.dwSize = sizeof params;
  params.dwcFormats = 1;
  params.lprgFormats = &actionFormat;
  params.hwnd = owner;
  params.lpUnkDDSTarget = target;
  if (userName) {
    params.dwcUsers = 1;
    params.lptszUserNames = const_cast<LPSTR>(userName);
  }
  UnacquireDevices();
  HRESULT hr = directInput->ConfigureDevices(callback, &params, flags, nullptr);
  if (flags & DICD_EDIT) hr = SetActionFormat(&actionFormat, TRUE);
  return hr;
}

void InputDeviceManager::UnacquireDevices() {
  for (DWORD i = 0; i < deviceCount; ++i) devices[i]->Unacquire();
}

HRESULT InputDeviceManager::AddDevice(const DIDEVICEINSTANCEA* instance, LPDIRECTINPUTDEVICE8A device) {
  if (!instance || !device) return E_INVALIDARG;
  // The table has a fixed size; a device past it is not taken.
  if (deviceCount >= INPUT_DEVICE_TABLE_SIZE) return E_FAIL;
  device->Unacquire();
  const bool mouse = GET_DIDEVICE_TYPE(instance->dwDevType) == DI8DEVTYPE_MOUSE;
  const DWORD level = mouse ? DISCL_EXCLUSIVE | DISCL_FOREGROUND : DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  HRESULT hr = device->SetCooperativeLevel(window, level);
  if (FAILED(hr)) return hr;
  if (mouse) {
    // Mouse axes report the motion since the previous event.
    DIPROPDWORD axisMode;
    axisMode.diph.dwSize = sizeof(DIPROPDWORD);
    axisMode.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    axisMode.diph.dwObj = 0;
    axisMode.diph.dwHow = DIPH_DEVICE;
    axisMode.dwData = DIPROPAXISMODE_REL;
    device->SetProperty(DIPROP_AXISMODE, &axisMode.diph);
  }
  devices[deviceCount] = device;
  instances[deviceCount] = instance->guidInstance;
  device->AddRef();
  device->BuildActionMap(&actionFormat, userName, 0);
  device->SetActionMap(&actionFormat, userName, 0);
  ++deviceCount;
  return S_OK;
}

BOOL CALLBACK InputDeviceManager::EnumerateDevice(LPCDIDEVICEINSTANCEA instance, LPDIRECTINPUTDEVICE8A device,
                                                  DWORD, DWORD, LPVOID context) {
  InputDeviceManager* manager = static_cast<InputDeviceManager*>(context);
  manager->AddDevice(instance, device);
  return manager->deviceCount < INPUT_DEVICE_TABLE_SIZE ? DIENUM_CONTINUE : DIENUM_STOP;
}

BOOL CALLBACK InputDeviceManager::EnumerateNewDevice(LPCDIDEVICEINSTANCEA instance,
                                                     LPDIRECTINPUTDEVICE8A device, DWORD flags,
                                                     DWORD remaining, LPVOID context) {
  InputDeviceManager* manager = static_cast<InputDeviceManager*>(context);
  if (instance && manager->Holds(instance->guidInstance)) return DIENUM_CONTINUE;
  return EnumerateDevice(instance, device, flags, remaining, context);
}
