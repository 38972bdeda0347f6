// SPDX-License-Identifier: MIT
// Desktop events from platform/host become window messages here: focus,
// exposure, size and position, close requests, keys (with virtual-key codes
// and scan codes), pointer motion and buttons. Controller events are the
// input layer's, not messages.
#include "win32_internal.h"

#include <host/host.h>

namespace win32 {
namespace {

using namespace host::keys;

// USB HID keyboard usage -> virtual key, PC set-1 scan code, extended flag.
struct KeyRow {
  uint16_t hid;
  uint8_t vk;
  uint8_t scan;
  bool extended;
};

// clang-format off
const KeyRow kKeys[] = {
  {HID_A, 'A', 0x1E, false}, {HID_B, 'B', 0x30, false}, {HID_C, 'C', 0x2E, false},
  {HID_D, 'D', 0x20, false}, {HID_E, 'E', 0x12, false}, {HID_F, 'F', 0x21, false},
  {HID_G, 'G', 0x22, false}, {HID_H, 'H', 0x23, false}, {HID_I, 'I', 0x17, false},
  {HID_J, 'J', 0x24, false}, {HID_K, 'K', 0x25, false}, {HID_L, 'L', 0x26, false},
  {HID_M, 'M', 0x32, false}, {HID_N, 'N', 0x31, false}, {HID_O, 'O', 0x18, false},
  {HID_P, 'P', 0x19, false}, {HID_Q, 'Q', 0x10, false}, {HID_R, 'R', 0x13, false},
  {HID_S, 'S', 0x1F, false}, {HID_T, 'T', 0x14, false}, {HID_U, 'U', 0x16, false},
  {HID_V, 'V', 0x2F, false}, {HID_W, 'W', 0x11, false}, {HID_X, 'X', 0x2D, false},
  {HID_Y, 'Y', 0x15, false}, {HID_Z, 'Z', 0x2C, false}, {HID_1, '1', 0x02, false},
  {HID_2, '2', 0x03, false}, {HID_3, '3', 0x04, false}, {HID_4, '4', 0x05, false},
  {HID_5, '5', 0x06, false}, {HID_6, '6', 0x07, false}, {HID_7, '7', 0x08, false},
  {HID_8, '8', 0x09, false}, {HID_9, '9', 0x0A, false}, {HID_0, '0', 0x0B, false},
  {HID_RETURN, VK_RETURN, 0x1C, false}, {HID_ESCAPE, VK_ESCAPE, 0x01, false},
  {HID_BACKSPACE, VK_BACK, 0x0E, false}, {HID_TAB, VK_TAB, 0x0F, false},
  {HID_SPACE, VK_SPACE, 0x39, false}, {HID_MINUS, VK_OEM_MINUS, 0x0C, false},
  {HID_EQUALS, VK_OEM_PLUS, 0x0D, false}, {HID_LEFTBRACKET, VK_OEM_4, 0x1A, false},
  {HID_RIGHTBRACKET, VK_OEM_6, 0x1B, false}, {HID_BACKSLASH, VK_OEM_5, 0x2B, false},
  {HID_SEMICOLON, VK_OEM_1, 0x27, false}, {HID_APOSTROPHE, VK_OEM_7, 0x28, false},
  {HID_GRAVE, VK_OEM_3, 0x29, false}, {HID_COMMA, VK_OEM_COMMA, 0x33, false},
  {HID_PERIOD, VK_OEM_PERIOD, 0x34, false}, {HID_SLASH, VK_OEM_2, 0x35, false},
  {HID_CAPSLOCK, VK_CAPITAL, 0x3A, false}, {HID_F1, VK_F1, 0x3B, false},
  {HID_F2, VK_F1 + 1, 0x3C, false}, {HID_F3, VK_F1 + 2, 0x3D, false},
  {HID_F4, VK_F1 + 3, 0x3E, false}, {HID_F5, VK_F1 + 4, 0x3F, false},
  {HID_F6, VK_F1 + 5, 0x40, false}, {HID_F7, VK_F1 + 6, 0x41, false},
  {HID_F8, VK_F1 + 7, 0x42, false}, {HID_F9, VK_F1 + 8, 0x43, false},
  {HID_F10, VK_F1 + 9, 0x44, false}, {HID_F11, VK_F1 + 10, 0x57, false},
  {HID_F12, VK_F1 + 11, 0x58, false}, {HID_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
  {HID_SCROLLLOCK, VK_SCROLL, 0x46, false}, {HID_PAUSE, VK_PAUSE, 0x45, false},
  {HID_INSERT, VK_INSERT, 0x52, true}, {HID_HOME, VK_HOME, 0x47, true},
  {HID_PAGEUP, VK_PRIOR, 0x49, true}, {HID_DELETE, VK_DELETE, 0x53, true},
  {HID_END, VK_END, 0x4F, true}, {HID_PAGEDOWN, VK_NEXT, 0x51, true},
  {HID_RIGHT, VK_RIGHT, 0x4D, true}, {HID_LEFT, VK_LEFT, 0x4B, true},
  {HID_DOWN, VK_DOWN, 0x50, true}, {HID_UP, VK_UP, 0x48, true},
  {HID_NUMLOCK, VK_NUMLOCK, 0x45, true}, {HID_KP_DIVIDE, VK_DIVIDE, 0x35, true},
  {HID_KP_MULTIPLY, VK_MULTIPLY, 0x37, false}, {HID_KP_MINUS, VK_SUBTRACT, 0x4A, false},
  {HID_KP_PLUS, VK_ADD, 0x4E, false}, {HID_KP_ENTER, VK_RETURN, 0x1C, true},
  {HID_KP_1, VK_NUMPAD0 + 1, 0x4F, false}, {HID_KP_2, VK_NUMPAD0 + 2, 0x50, false},
  {HID_KP_3, VK_NUMPAD0 + 3, 0x51, false}, {HID_KP_4, VK_NUMPAD0 + 4, 0x4B, false},
  {HID_KP_5, VK_NUMPAD0 + 5, 0x4C, false}, {HID_KP_6, VK_NUMPAD0 + 6, 0x4D, false},
  {HID_KP_7, VK_NUMPAD0 + 7, 0x47, false}, {HID_KP_8, VK_NUMPAD0 + 8, 0x48, false},
  {HID_KP_9, VK_NUMPAD0 + 9, 0x49, false}, {HID_KP_0, VK_NUMPAD0, 0x52, false},
  {HID_KP_PERIOD, VK_DECIMAL, 0x53, false}, {HID_NONUS_BACKSLASH, VK_OEM_102, 0x56, false},
  {HID_APPLICATION, VK_APPS, 0x5D, true}, {HID_LCTRL, VK_CONTROL, 0x1D, false},
  {HID_LSHIFT, VK_SHIFT, 0x2A, false}, {HID_LALT, VK_MENU, 0x38, false},
  {HID_LGUI, VK_LWIN, 0x5B, true}, {HID_RCTRL, VK_CONTROL, 0x1D, true},
  {HID_RSHIFT, VK_SHIFT, 0x36, false}, {HID_RALT, VK_MENU, 0x38, true},
  {HID_RGUI, VK_RWIN, 0x5C, true},
};
// clang-format on

const KeyRow* FindKey(uint16_t hid) {
  for (const KeyRow& k : kKeys) {
    if (k.hid == hid) return &k;
  }
  return nullptr;
}

void PostKey(HWND hwnd, const host::Event& e) {
  const KeyRow* k = FindKey(e.key);
  if (!k) return;
  bool down = e.type == host::EventType::KeyDown;
  bool alt = (e.mods & host::MOD_ALT) != 0 || k->vk == VK_MENU;
  bool system = alt || k->vk == VK_F10;
  // Releasing Alt itself is still a system key, as the key-up of the chord.
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1 | (static_cast<LPARAM>(k->scan) << 16) | (k->extended ? (1L << 24) : 0) |
                  ((alt && k->vk != VK_F10) ? (1L << 29) : 0);
  if (down && e.repeat) lParam |= 1L << 30;
  if (!down) lParam |= (1L << 30) | (1L << 31);
  PostMessageA(hwnd, message, k->vk, lParam & 0xFFFFFFFFL);
}

struct ButtonRow {
  uint8_t button;
  UINT downMessage;
  UINT upMessage;
};
const ButtonRow kButtons[] = {
    {1, WM_LBUTTONDOWN, WM_LBUTTONUP}, {2, WM_MBUTTONDOWN, WM_MBUTTONUP}, {3, WM_RBUTTONDOWN, WM_RBUTTONUP}};

void PostPointer(Window* w, const host::Event& e) {
  HWND hwnd = HandleOf(w);
  UINT mouseMessage = WM_MOUSEMOVE;
  if (e.type == host::EventType::MouseButton) {
    mouseMessage = 0;
    for (const ButtonRow& b : kButtons) {
      if (b.button == e.button) mouseMessage = e.down ? b.downMessage : b.upMessage;
    }
    if (!mouseMessage) return;
  }
  int x = 0, y = 0;
  host::GetMousePosition(&x, &y);
  if (e.type == host::EventType::MouseMotion) x = e.a, y = e.b;
  QueueSent(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, mouseMessage));
  PostMessageA(hwnd, mouseMessage, 0, MAKELPARAM(x, y));
}

void OnHostEvent(const host::Event& e, void*) {
  Window* w = MainWindowRecord();
  if (!w) return;
  HWND hwnd = HandleOf(w);
  using T = host::EventType;
  switch (e.type) {
    case T::Quit:
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
    case T::FocusGained:
      SetActive(true, false);
      break;
    case T::FocusLost:
      SetActive(false, false);
      break;
    case T::Exposed:
      w->paintPending = true;
      break;
    case T::Resized:
      NoteClientSize(w, e.a, e.b, host::IsFullScreen() ? SIZE_MAXIMIZED : SIZE_RESTORED);
      break;
    case T::Moved:
      NoteClientPosition(w, e.a, e.b);
      break;
    case T::Minimized:
      QueueSent(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0, true);
      QueueSent(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case T::Maximized:
      QueueSent(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0, true);
      break;
    case T::Restored:
      QueueSent(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0, true);
      w->paintPending = true;
      break;
    case T::KeyDown:
    case T::KeyUp:
      PostKey(hwnd, e);
      break;
    case T::MouseMotion:
    case T::MouseButton:
      PostPointer(w, e);
      break;
    case T::MouseWheel:
      PostMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(e.dy * WHEEL_DELTA)), 0);
      break;
    default:
      break;
  }
}

}  // namespace

void ConnectHostEvents() {
  // Registered anew for every window: a host shut down and started again
  // in between has forgotten its sinks, and removing a stale handle is
  // harmless.
  static int handle = -1;
  if (handle >= 0) host::RemoveEventSink(handle);
  handle = host::AddEventSink(OnHostEvent, nullptr);
}

}  // namespace win32
