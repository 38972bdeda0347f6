// SPDX-License-Identifier: MIT
// What each kind of device offers: its identity (instance and product GUIDs,
// name, DirectInput device type, the key its user maps are filed under) and
// its objects (keys, axes, buttons) with their DirectInput object ids.
#pragma once

#include <string>
#include <vector>

#include <dinput.h>

namespace dinput8 {

// Object ids as DirectInput builds them: type bits in the low byte, the
// instance number above them.
constexpr DWORD OBJ_RELAXIS = 0x01;
constexpr DWORD OBJ_ABSAXIS = 0x02;
constexpr DWORD OBJ_BUTTON = 0x04;
inline DWORD MakeObjectId(DWORD type, DWORD instance) {
  return type | (instance << 8);
}
inline DWORD ObjectInstance(DWORD id) {
  return (id >> 8) & 0xFFFF;
}
inline bool ObjectIsAxis(DWORD id) {
  return (id & (OBJ_RELAXIS | OBJ_ABSAXIS)) != 0;
}

enum class DeviceKind { Keyboard, Mouse, Pad };

// Pad buttons past the standard ones: the triggers read as buttons, pressed
// beyond half travel.
constexpr DWORD PAD_TRIGGER_BUTTON_LEFT = 15;
constexpr DWORD PAD_TRIGGER_BUTTON_RIGHT = 16;
constexpr DWORD PAD_BUTTON_OBJECTS = 17;
constexpr DWORD PAD_AXIS_OBJECTS = 6;
constexpr DWORD MOUSE_BUTTON_OBJECTS = 5;

struct DeviceObject {
  DWORD id = 0;
  const char* name = "";
};

struct DeviceIdentity {
  DeviceKind kind = DeviceKind::Keyboard;
  int32_t padInstance = -1;  // host's controller instance, pads only
  uint32_t padButtons = 0;   // which PadButton values the pad has
  uint32_t padAxes = 0;      // which PadAxis values the pad has
  GUID instance = GUID_NULL;
  GUID product = GUID_NULL;
  DWORD devType = 0;
  std::string name;
  std::string mapKey;  // "keyboard", "mouse", "pad-<product GUID>"
};

DeviceIdentity KeyboardIdentity();
DeviceIdentity MouseIdentity();
// A controller that host has open, or a pad identity with no objects when
// the instance is not (or no longer) known.
DeviceIdentity PadIdentity(int32_t padInstance);
// Every device attached now: keyboard, mouse, then host's controllers.
std::vector<DeviceIdentity> AttachedDevices();

// The objects the device has, keys in DIK order, axes before buttons.
std::vector<DeviceObject> ObjectsOf(const DeviceIdentity& device);
bool HasObject(const DeviceIdentity& device, DWORD id);
// The object's name; "" when the device has no such object.
const char* ObjectName(const DeviceIdentity& device, DWORD id);

}  // namespace dinput8
