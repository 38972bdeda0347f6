// SPDX-License-Identifier: MIT
// Desktop events from platform/host become window messages here: focus,
// exposure, size and position, close requests, keys (with virtual-key codes
// and scan codes), pointer motion and buttons. Controller events are the
// input layer's, not messages.
#include "win32_internal.h"

#include <host/host.h>

namespace win32 {
namespace {

// USB HID keyboard usage -> virtual key, PC set-1 scan code, extended flag.
struct KeyRow {
  uint16_t hid;
  uint8_t vk;
  uint8_t scan;
  bool extended;
};

// clang-format off
const KeyRow kKeys[] = {
  {4, 'A', 0x1E, false}, {5, 'B', 0x30, false}, {6, 'C', 0x2E, false}, {7, 'D', 0x20, false},
  {8, 'E', 0x12, false}, {9, 'F', 0x21, false}, {10, 'G', 0x22, false}, {11, 'H', 0x23, false},
  {12, 'I', 0x17, false}, {13, 'J', 0x24, false}, {14, 'K', 0x25, false}, {15, 'L', 0x26, false},
  {16, 'M', 0x32, false}, {17, 'N', 0x31, false}, {18, 'O', 0x18, false}, {19, 'P', 0x19, false},
  {20, 'Q', 0x10, false}, {21, 'R', 0x13, false}, {22, 'S', 0x1F, false}, {23, 'T', 0x14, false},
  {24, 'U', 0x16, false}, {25, 'V', 0x2F, false}, {26, 'W', 0x11, false}, {27, 'X', 0x2D, false},
  {28, 'Y', 0x15, false}, {29, 'Z', 0x2C, false},
  {30, '1', 0x02, false}, {31, '2', 0x03, false}, {32, '3', 0x04, false}, {33, '4', 0x05, false},
  {34, '5', 0x06, false}, {35, '6', 0x07, false}, {36, '7', 0x08, false}, {37, '8', 0x09, false},
  {38, '9', 0x0A, false}, {39, '0', 0x0B, false},
  {40, VK_RETURN, 0x1C, false}, {41, VK_ESCAPE, 0x01, false}, {42, VK_BACK, 0x0E, false},
  {43, VK_TAB, 0x0F, false}, {44, VK_SPACE, 0x39, false}, {45, VK_OEM_MINUS, 0x0C, false},
  {46, VK_OEM_PLUS, 0x0D, false}, {47, VK_OEM_4, 0x1A, false}, {48, VK_OEM_6, 0x1B, false},
  {49, VK_OEM_5, 0x2B, false}, {51, VK_OEM_1, 0x27, false}, {52, VK_OEM_7, 0x28, false},
  {53, VK_OEM_3, 0x29, false}, {54, VK_OEM_COMMA, 0x33, false}, {55, VK_OEM_PERIOD, 0x34, false},
  {56, VK_OEM_2, 0x35, false}, {57, VK_CAPITAL, 0x3A, false},
  {58, VK_F1, 0x3B, false}, {59, VK_F1 + 1, 0x3C, false}, {60, VK_F1 + 2, 0x3D, false},
  {61, VK_F1 + 3, 0x3E, false}, {62, VK_F1 + 4, 0x3F, false}, {63, VK_F1 + 5, 0x40, false},
  {64, VK_F1 + 6, 0x41, false}, {65, VK_F1 + 7, 0x42, false}, {66, VK_F1 + 8, 0x43, false},
  {67, VK_F1 + 9, 0x44, false}, {68, VK_F1 + 10, 0x57, false}, {69, VK_F1 + 11, 0x58, false},
  {70, VK_SNAPSHOT, 0x37, true}, {71, VK_SCROLL, 0x46, false}, {72, VK_PAUSE, 0x45, false},
  {73, VK_INSERT, 0x52, true}, {74, VK_HOME, 0x47, true}, {75, VK_PRIOR, 0x49, true},
  {76, VK_DELETE, 0x53, true}, {77, VK_END, 0x4F, true}, {78, VK_NEXT, 0x51, true},
  {79, VK_RIGHT, 0x4D, true}, {80, VK_LEFT, 0x4B, true}, {81, VK_DOWN, 0x50, true},
  {82, VK_UP, 0x48, true}, {83, VK_NUMLOCK, 0x45, true}, {84, VK_DIVIDE, 0x35, true},
  {85, VK_MULTIPLY, 0x37, false}, {86, VK_SUBTRACT, 0x4A, false}, {87, VK_ADD, 0x4E, false},
  {88, VK_RETURN, 0x1C, true}, {89, VK_NUMPAD0 + 1, 0x4F, false}, {90, VK_NUMPAD0 + 2, 0x50, false},
  {91, VK_NUMPAD0 + 3, 0x51, false}, {92, VK_NUMPAD0 + 4, 0x4B, false}, {93, VK_NUMPAD0 + 5, 0x4C, false},
  {94, VK_NUMPAD0 + 6, 0x4D, false}, {95, VK_NUMPAD0 + 7, 0x47, false}, {96, VK_NUMPAD0 + 8, 0x48, false},
  {97, VK_NUMPAD0 + 9, 0x49, false}, {98, VK_NUMPAD0, 0x52, false}, {99, VK_DECIMAL, 0x53, false},
  {100, VK_OEM_102, 0x56, false}, {101, VK_APPS, 0x5D, true},
  {224, VK_CONTROL, 0x1D, false}, {225, VK_SHIFT, 0x2A, false}, {226, VK_MENU, 0x38, false},
  {227, VK_LWIN, 0x5B, true}, {228, VK_CONTROL, 0x1D, true}, {229, VK_SHIFT, 0x36, false},
  {230, VK_MENU, 0x38, true}, {231, VK_RWIN, 0x5C, true},
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
