// SPDX-License-Identifier: MIT
// Identity and objects of the keyboard, the mouse and host's game
// controllers. Pad objects follow host's standard layout; a pad lists only
// the buttons and axes its mapping provides.
#include "device_objects.h"

#include <cstdio>
#include <cstring>

#include <host/host.h>
#include "key_table.h"

namespace dinput8 {

namespace {

const char* const kMouseAxisNames[] = {"Mouse X axis", "Mouse Y axis", "Mouse wheel"};
const char* const kMouseButtonNames[MOUSE_BUTTON_OBJECTS] = {"Left button", "Right button", "Middle button",
                                                             "Button 4", "Button 5"};
const char* const kPadAxisNames[PAD_AXIS_OBJECTS] = {"Left stick X",  "Left stick Y", "Right stick X",
                                                     "Right stick Y", "Left trigger", "Right trigger"};
const char* const kPadButtonNames[PAD_BUTTON_OBJECTS] = {"A",
                                                         "B",
                                                         "X",
                                                         "Y",
                                                         "Back",
                                                         "Guide",
                                                         "Start",
                                                         "Left stick",
                                                         "Right stick",
                                                         "Left shoulder",
                                                         "Right shoulder",
                                                         "D-pad up",
                                                         "D-pad down",
                                                         "D-pad left",
                                                         "D-pad right",
                                                         "Left trigger button",
                                                         "Right trigger button"};

bool PadHasButtonObject(const DeviceIdentity& d, DWORD b) {
  if (b == PAD_TRIGGER_BUTTON_LEFT) return (d.padAxes >> host::PAD_TRIGGERLEFT) & 1;
  if (b == PAD_TRIGGER_BUTTON_RIGHT) return (d.padAxes >> host::PAD_TRIGGERRIGHT) & 1;
  return b < host::PAD_BUTTON_COUNT && ((d.padButtons >> b) & 1);
}

std::string GuidHex(const GUID& g) {
  char text[40] = {};
  std::snprintf(text, sizeof text, "%08x%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                g.Data4[7]);
  return text;
}

}  // namespace

DeviceIdentity KeyboardIdentity() {
  DeviceIdentity d;
  d.kind = DeviceKind::Keyboard;
  d.instance = GUID_SysKeyboard;
  d.product = GUID_SysKeyboard;
  d.devType = DI8DEVTYPE_KEYBOARD | (DI8DEVTYPEKEYBOARD_PCENH << 8);
  d.name = "Keyboard";
  d.mapKey = "keyboard";
  return d;
}

DeviceIdentity MouseIdentity() {
  DeviceIdentity d;
  d.kind = DeviceKind::Mouse;
  d.instance = GUID_SysMouse;
  d.product = GUID_SysMouse;
  d.devType = DI8DEVTYPE_MOUSE | (DI8DEVTYPEMOUSE_UNKNOWN << 8);
  d.name = "Mouse";
  d.mapKey = "mouse";
  return d;
}

DeviceIdentity PadIdentity(int32_t padInstance) {
  DeviceIdentity d;
  d.kind = DeviceKind::Pad;
  d.padInstance = padInstance;
  d.padButtons = host::PadButtonMask(padInstance);
  d.padAxes = host::PadAxisMask(padInstance);
  uint8_t raw[16] = {};
  host::PadGuid(padInstance, raw);
  std::memcpy(&d.product, raw, sizeof d.product);
  // The product GUID names the model; the instance GUID also carries host's
  // instance number, so two pads of one model stay apart.
  d.instance = d.product;
  d.instance.Data1 ^= 0x9E3779B9u * static_cast<uint32_t>(padInstance + 1);
  d.devType = DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8) | DIDEVTYPE_HID;
  const char* name = host::PadName(padInstance);
  d.name = name && *name ? name : "Game controller";
  d.mapKey = "pad-" + GuidHex(d.product);
  return d;
}

std::vector<DeviceIdentity> AttachedDevices() {
  std::vector<DeviceIdentity> devices = {KeyboardIdentity(), MouseIdentity()};
  for (int i = 0; i < host::PadCount(); ++i) {
    int32_t id = host::PadInstanceAt(i);
    if (id >= 0) devices.push_back(PadIdentity(id));
  }
  return devices;
}

std::vector<DeviceObject> ObjectsOf(const DeviceIdentity& d) {
  std::vector<DeviceObject> objects;
  switch (d.kind) {
    case DeviceKind::Keyboard:
      for (DWORD dik = 1; dik < 256; ++dik) {
        if (const char* name = KeyName(static_cast<BYTE>(dik)))
          objects.push_back({MakeObjectId(OBJ_BUTTON, dik), name});
      }
      break;
    case DeviceKind::Mouse:
      for (DWORD a = 0; a < 3; ++a) objects.push_back({MakeObjectId(OBJ_RELAXIS, a), kMouseAxisNames[a]});
      for (DWORD b = 0; b < MOUSE_BUTTON_OBJECTS; ++b)
        objects.push_back({MakeObjectId(OBJ_BUTTON, b), kMouseButtonNames[b]});
      break;
    case DeviceKind::Pad:
      for (DWORD a = 0; a < PAD_AXIS_OBJECTS; ++a) {
        if ((d.padAxes >> a) & 1) objects.push_back({MakeObjectId(OBJ_ABSAXIS, a), kPadAxisNames[a]});
      }
      for (DWORD b = 0; b < PAD_BUTTON_OBJECTS; ++b) {
        if (PadHasButtonObject(d, b)) objects.push_back({MakeObjectId(OBJ_BUTTON, b), kPadButtonNames[b]});
      }
      break;
  }
  return objects;
}

const char* ObjectName(const DeviceIdentity& d, DWORD id) {
  const DWORD n = ObjectInstance(id);
  switch (d.kind) {
    case DeviceKind::Keyboard: {
      const char* name =
          id == MakeObjectId(OBJ_BUTTON, n) && n < 256 ? KeyName(static_cast<BYTE>(n)) : nullptr;
      return name ? name : "";
    }
    case DeviceKind::Mouse:
      if (id == MakeObjectId(OBJ_RELAXIS, n) && n < 3) return kMouseAxisNames[n];
      if (id == MakeObjectId(OBJ_BUTTON, n) && n < MOUSE_BUTTON_OBJECTS) return kMouseButtonNames[n];
      return "";
    case DeviceKind::Pad:
      if (id == MakeObjectId(OBJ_ABSAXIS, n) && n < PAD_AXIS_OBJECTS && ((d.padAxes >> n) & 1))
        return kPadAxisNames[n];
      if (id == MakeObjectId(OBJ_BUTTON, n) && n < PAD_BUTTON_OBJECTS && PadHasButtonObject(d, n))
        return kPadButtonNames[n];
      return "";
  }
  return "";
}

bool HasObject(const DeviceIdentity& d, DWORD id) {
  return *ObjectName(d, id) != '\0';
}

}  // namespace dinput8
