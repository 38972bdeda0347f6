// The process entry: hands over to WinMain as the desktop would. The command
// line and the environment are not read.
#include "app/main_window.h"

int main() {
  char commandLine[1] = {'\0'};
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
