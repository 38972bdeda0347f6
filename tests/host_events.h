// SPDX-License-Identifier: MIT
// Keyboard, mouse, controller and focus events put into host's stream as
// the desktop would send them; shared by the host, Win32, DirectInput and
// input tests.
#pragma once

#include <cstdint>

#include <host/host.h>

namespace test_events {

// The tests press keys by their names in host.
using namespace host::keys;

inline host::Event KeyEvent(uint16_t hid, bool down, uint32_t time = 0, uint16_t mods = 0) {
  host::Event e;
  e.type = down ? host::EventType::KeyDown : host::EventType::KeyUp;
  e.key = hid;
  e.down = down;
  e.time = time;
  e.mods = mods;
  return e;
}

inline void Key(uint16_t hid, bool down, uint32_t time = 0) {
  host::InjectEvent(KeyEvent(hid, down, time));
}
inline void Tap(uint16_t hid) {
  Key(hid, true);
  Key(hid, false);
}

inline void MouseMove(int dx, int dy) {
  host::Event e;
  e.type = host::EventType::MouseMotion;
  e.dx = dx;
  e.dy = dy;
  host::InjectEvent(e);
}

inline void MouseWheel(int notches) {
  host::Event e;
  e.type = host::EventType::MouseWheel;
  e.dy = notches;
  host::InjectEvent(e);
}

inline void MouseButton(int button, bool down, int x = 0, int y = 0) {
  host::Event e;
  e.type = host::EventType::MouseButton;
  e.button = static_cast<uint8_t>(button);
  e.down = down;
  e.a = x;
  e.b = y;
  host::InjectEvent(e);
}

// A controller record of `type` from `pad`, to be filled in.
inline host::Event PadEvent(host::EventType type, int32_t pad) {
  host::Event e;
  e.type = type;
  e.device = pad;
  return e;
}

inline void PadButton(int32_t pad, int button, bool down) {
  host::Event e = PadEvent(host::EventType::PadButton, pad);
  e.button = static_cast<uint8_t>(button);
  e.down = down;
  host::InjectEvent(e);
}

inline void PadAxis(int32_t pad, int axis, int value) {
  host::Event e = PadEvent(host::EventType::PadAxis, pad);
  e.a = axis;
  e.b = value;
  host::InjectEvent(e);
}

inline void Focus(bool gained) {
  host::Event e;
  e.type = gained ? host::EventType::FocusGained : host::EventType::FocusLost;
  host::InjectEvent(e);
}

}  // namespace test_events
