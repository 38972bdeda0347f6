// SPDX-License-Identifier: MIT
// Fills the input side's table with the application's window, flags and
// display, which the input folder must not link itself.
#include "app/input_wiring.h"

#include "app/app_globals.h"
#include "app/display.h"

namespace {

HWND MainWindow() {
  return mainWindow;
}
bool FullScreen() {
  return fullScreen;
}
bool Playing() {
  return appState == APP_PLAYING;
}
void ScreenSize(DWORD* width, DWORD* height) {
  *width = screenWidth;
  *height = screenHeight;
}
void ShowCursorArrow(bool shown) {
  cursorShown = shown;
}
void ReportNoInput() {
  ReportFatalError(FATAL_NO_INPUT);
}

}  // namespace

InputServices GameInputServices() {
  return InputServices{MainWindow,      FullScreen,         Playing,        ScreenSize,
                       ShowCursorArrow, RequestDisplayMode, ShowBackBuffer, ReportNoInput};
}
