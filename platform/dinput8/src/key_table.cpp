// SPDX-License-Identifier: MIT
// One static table joins the HID usages of host, the DIK codes of DirectInput
// and the key names of the configuration window; both lookups are built
// from it once.
#include "key_table.h"

#include <array>

namespace dinput8 {

namespace {

struct KeyEntry {
  uint16_t hid;
  BYTE dik;
  const char* name;
};

const KeyEntry kKeys[] = {
    {4, DIK_A, "A"},
    {5, DIK_B, "B"},
    {6, DIK_C, "C"},
    {7, DIK_D, "D"},
    {8, DIK_E, "E"},
    {9, DIK_F, "F"},
    {10, DIK_G, "G"},
    {11, DIK_H, "H"},
    {12, DIK_I, "I"},
    {13, DIK_J, "J"},
    {14, DIK_K, "K"},
    {15, DIK_L, "L"},
    {16, DIK_M, "M"},
    {17, DIK_N, "N"},
    {18, DIK_O, "O"},
    {19, DIK_P, "P"},
    {20, DIK_Q, "Q"},
    {21, DIK_R, "R"},
    {22, DIK_S, "S"},
    {23, DIK_T, "T"},
    {24, DIK_U, "U"},
    {25, DIK_V, "V"},
    {26, DIK_W, "W"},
    {27, DIK_X, "X"},
    {28, DIK_Y, "Y"},
    {29, DIK_Z, "Z"},
    {30, DIK_1, "1"},
    {31, DIK_2, "2"},
    {32, DIK_3, "3"},
    {33, DIK_4, "4"},
    {34, DIK_5, "5"},
    {35, DIK_6, "6"},
    {36, DIK_7, "7"},
    {37, DIK_8, "8"},
    {38, DIK_9, "9"},
    {39, DIK_0, "0"},
    {40, DIK_RETURN, "Enter"},
    {41, DIK_ESCAPE, "Esc"},
    {42, DIK_BACK, "Backspace"},
    {43, DIK_TAB, "Tab"},
    {44, DIK_SPACE, "Space"},
    {45, DIK_MINUS, "-"},
    {46, DIK_EQUALS, "="},
    {47, DIK_LBRACKET, "["},
    {48, DIK_RBRACKET, "]"},
    {49, DIK_BACKSLASH, "\\"},
    {51, DIK_SEMICOLON, ";"},
    {52, DIK_APOSTROPHE, "'"},
    {53, DIK_GRAVE, "`"},
    {54, DIK_COMMA, ","},
    {55, DIK_PERIOD, "."},
    {56, DIK_SLASH, "/"},
    {57, DIK_CAPITAL, "Caps Lock"},
    {58, DIK_F1, "F1"},
    {59, DIK_F2, "F2"},
    {60, DIK_F3, "F3"},
    {61, DIK_F4, "F4"},
    {62, DIK_F5, "F5"},
    {63, DIK_F6, "F6"},
    {64, DIK_F7, "F7"},
    {65, DIK_F8, "F8"},
    {66, DIK_F9, "F9"},
    {67, DIK_F10, "F10"},
    {68, DIK_F11, "F11"},
    {69, DIK_F12, "F12"},
    {70, DIK_SYSRQ, "Print Screen"},
    {71, DIK_SCROLL, "Scroll Lock"},
    {72, DIK_PAUSE, "Pause"},
    {73, DIK_INSERT, "Insert"},
    {74, DIK_HOME, "Home"},
    {75, DIK_PRIOR, "Page Up"},
    {76, DIK_DELETE, "Delete"},
    {77, DIK_END, "End"},
    {78, DIK_NEXT, "Page Down"},
    {79, DIK_RIGHT, "Right Arrow"},
    {80, DIK_LEFT, "Left Arrow"},
    {81, DIK_DOWN, "Down Arrow"},
    {82, DIK_UP, "Up Arrow"},
    {83, DIK_NUMLOCK, "Num Lock"},
    {84, DIK_DIVIDE, "Num /"},
    {85, DIK_MULTIPLY, "Num *"},
    {86, DIK_SUBTRACT, "Num -"},
    {87, DIK_ADD, "Num +"},
    {88, DIK_NUMPADENTER, "Num Enter"},
    {89, DIK_NUMPAD1, "Num 1"},
    {90, DIK_NUMPAD2, "Num 2"},
    {91, DIK_NUMPAD3, "Num 3"},
    {92, DIK_NUMPAD4, "Num 4"},
    {93, DIK_NUMPAD5, "Num 5"},
    {94, DIK_NUMPAD6, "Num 6"},
    {95, DIK_NUMPAD7, "Num 7"},
    {96, DIK_NUMPAD8, "Num 8"},
    {97, DIK_NUMPAD9, "Num 9"},
    {98, DIK_NUMPAD0, "Num 0"},
    {99, DIK_DECIMAL, "Num ."},
    {100, DIK_OEM_102, "<>"},
    {101, DIK_APPS, "Menu"},
    {103, DIK_NUMPADEQUALS, "Num ="},
    {104, DIK_F13, "F13"},
    {105, DIK_F14, "F14"},
    {106, DIK_F15, "F15"},
    {224, DIK_LCONTROL, "Left Ctrl"},
    {225, DIK_LSHIFT, "Left Shift"},
    {226, DIK_LMENU, "Left Alt"},
    {227, DIK_LWIN, "Left Win"},
    {228, DIK_RCONTROL, "Right Ctrl"},
    {229, DIK_RSHIFT, "Right Shift"},
    {230, DIK_RMENU, "Right Alt"},
    {231, DIK_RWIN, "Right Win"},
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
