// SPDX-License-Identifier: MIT
// One static table joins the HID usages of host, the DIK codes of DirectInput
// and the key names of the configuration window; both lookups are built
// from it once.
#include "key_table.h"

#include <array>

#include <host/host.h>

namespace dinput8 {

namespace {

using namespace host::keys;

struct KeyEntry {
  uint16_t hid;
  BYTE dik;
  const char* name;
};

const KeyEntry kKeys[] = {
    {HID_A, DIK_A, "A"},
    {HID_B, DIK_B, "B"},
    {HID_C, DIK_C, "C"},
    {HID_D, DIK_D, "D"},
    {HID_E, DIK_E, "E"},
    {HID_F, DIK_F, "F"},
    {HID_G, DIK_G, "G"},
    {HID_H, DIK_H, "H"},
    {HID_I, DIK_I, "I"},
    {HID_J, DIK_J, "J"},
    {HID_K, DIK_K, "K"},
    {HID_L, DIK_L, "L"},
    {HID_M, DIK_M, "M"},
    {HID_N, DIK_N, "N"},
    {HID_O, DIK_O, "O"},
    {HID_P, DIK_P, "P"},
    {HID_Q, DIK_Q, "Q"},
    {HID_R, DIK_R, "R"},
    {HID_S, DIK_S, "S"},
    {HID_T, DIK_T, "T"},
    {HID_U, DIK_U, "U"},
    {HID_V, DIK_V, "V"},
    {HID_W, DIK_W, "W"},
    {HID_X, DIK_X, "X"},
    {HID_Y, DIK_Y, "Y"},
    {HID_Z, DIK_Z, "Z"},
    {HID_1, DIK_1, "1"},
    {HID_2, DIK_2, "2"},
    {HID_3, DIK_3, "3"},
    {HID_4, DIK_4, "4"},
    {HID_5, DIK_5, "5"},
    {HID_6, DIK_6, "6"},
    {HID_7, DIK_7, "7"},
    {HID_8, DIK_8, "8"},
    {HID_9, DIK_9, "9"},
    {HID_0, DIK_0, "0"},
    {HID_RETURN, DIK_RETURN, "Enter"},
    {HID_ESCAPE, DIK_ESCAPE, "Esc"},
    {HID_BACKSPACE, DIK_BACK, "Backspace"},
    {HID_TAB, DIK_TAB, "Tab"},
    {HID_SPACE, DIK_SPACE, "Space"},
    {HID_MINUS, DIK_MINUS, "-"},
    {HID_EQUALS, DIK_EQUALS, "="},
    {HID_LEFTBRACKET, DIK_LBRACKET, "["},
    {HID_RIGHTBRACKET, DIK_RBRACKET, "]"},
    {HID_BACKSLASH, DIK_BACKSLASH, "\\"},
    {HID_SEMICOLON, DIK_SEMICOLON, ";"},
    {HID_APOSTROPHE, DIK_APOSTROPHE, "'"},
    {HID_GRAVE, DIK_GRAVE, "`"},
    {HID_COMMA, DIK_COMMA, ","},
    {HID_PERIOD, DIK_PERIOD, "."},
    {HID_SLASH, DIK_SLASH, "/"},
    {HID_CAPSLOCK, DIK_CAPITAL, "Caps Lock"},
    {HID_F1, DIK_F1, "F1"},
    {HID_F2, DIK_F2, "F2"},
    {HID_F3, DIK_F3, "F3"},
    {HID_F4, DIK_F4, "F4"},
    {HID_F5, DIK_F5, "F5"},
    {HID_F6, DIK_F6, "F6"},
    {HID_F7, DIK_F7, "F7"},
    {HID_F8, DIK_F8, "F8"},
    {HID_F9, DIK_F9, "F9"},
    {HID_F10, DIK_F10, "F10"},
    {HID_F11, DIK_F11, "F11"},
    {HID_F12, DIK_F12, "F12"},
    {HID_PRINTSCREEN, DIK_SYSRQ, "Print Screen"},
    {HID_SCROLLLOCK, DIK_SCROLL, "Scroll Lock"},
    {HID_PAUSE, DIK_PAUSE, "Pause"},
    {HID_INSERT, DIK_INSERT, "Insert"},
    {HID_HOME, DIK_HOME, "Home"},
    {HID_PAGEUP, DIK_PRIOR, "Page Up"},
    {HID_DELETE, DIK_DELETE, "Delete"},
    {HID_END, DIK_END, "End"},
    {HID_PAGEDOWN, DIK_NEXT, "Page Down"},
    {HID_RIGHT, DIK_RIGHT, "Right Arrow"},
    {HID_LEFT, DIK_LEFT, "Left Arrow"},
    {HID_DOWN, DIK_DOWN, "Down Arrow"},
    {HID_UP, DIK_UP, "Up Arrow"},
    {HID_NUMLOCK, DIK_NUMLOCK, "Num Lock"},
    {HID_KP_DIVIDE, DIK_DIVIDE, "Num /"},
    {HID_KP_MULTIPLY, DIK_MULTIPLY, "Num *"},
    {HID_KP_MINUS, DIK_SUBTRACT, "Num -"},
    {HID_KP_PLUS, DIK_ADD, "Num +"},
    {HID_KP_ENTER, DIK_NUMPADENTER, "Num Enter"},
    {HID_KP_1, DIK_NUMPAD1, "Num 1"},
    {HID_KP_2, DIK_NUMPAD2, "Num 2"},
    {HID_KP_3, DIK_NUMPAD3, "Num 3"},
    {HID_KP_4, DIK_NUMPAD4, "Num 4"},
    {HID_KP_5, DIK_NUMPAD5, "Num 5"},
    {HID_KP_6, DIK_NUMPAD6, "Num 6"},
    {HID_KP_7, DIK_NUMPAD7, "Num 7"},
    {HID_KP_8, DIK_NUMPAD8, "Num 8"},
    {HID_KP_9, DIK_NUMPAD9, "Num 9"},
    {HID_KP_0, DIK_NUMPAD0, "Num 0"},
    {HID_KP_PERIOD, DIK_DECIMAL, "Num ."},
    {HID_NONUS_BACKSLASH, DIK_OEM_102, "<>"},
    {HID_APPLICATION, DIK_APPS, "Menu"},
    {HID_KP_EQUALS, DIK_NUMPADEQUALS, "Num ="},
    {HID_F13, DIK_F13, "F13"},
    {HID_F14, DIK_F14, "F14"},
    {HID_F15, DIK_F15, "F15"},
    {HID_LCTRL, DIK_LCONTROL, "Left Ctrl"},
    {HID_LSHIFT, DIK_LSHIFT, "Left Shift"},
    {HID_LALT, DIK_LMENU, "Left Alt"},
    {HID_LGUI, DIK_LWIN, "Left Win"},
    {HID_RCTRL, DIK_RCONTROL, "Right Ctrl"},
    {HID_RSHIFT, DIK_RSHIFT, "Right Shift"},
    {HID_RALT, DIK_RMENU, "Right Alt"},
    {HID_RGUI, DIK_RWIN, "Right Win"},
};

struct Lookups {
  std::array<BYTE, 256> dikOfHid{};
  std::array<const char*, 256> nameOfDik{};
  Lookups() {
    for (const KeyEntry& k : kKeys) {
      dikOfHid[k.hid] = k.dik;
      nameOfDik[k.dik] = k.name;
    }
  }
};

const Lookups& Tables() {
  static const Lookups tables;
  return tables;
}

}  // namespace

BYTE DikFromHid(uint16_t hidUsage) {
  return hidUsage < 256 ? Tables().dikOfHid[hidUsage] : 0;
}

const char* KeyName(BYTE dik) {
  return Tables().nameOfDik[dik];
}

}  // namespace dinput8
