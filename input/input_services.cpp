// SPDX-License-Identifier: MIT
// The input side's services before the application fills them in.
#include "input/input_services.h"

namespace {

HWND NoWindow() {
  return nullptr;
}
bool No() {
  return false;
}
void NoScreen(DWORD* width, DWORD* height) {
  *width = 0;
  *height = 0;
}
void NoCursor(bool) {}
HRESULT NoModeChange(bool, DWORD, DWORD) {
  return E_FAIL;
}
void Nothing() {}

}  // namespace

// Constant-initialised, so it is ready before any constructor of the program runs.
InputServices inputServices = {NoWindow, No, No, NoScreen, NoCursor, NoModeChange, Nothing, Nothing};
