// SPDX-License-Identifier: MIT
// The process entry on Linux. The game reads no command line; this shell
// around WinMain answers --help and --version for shells and packagers,
// refuses anything else before a window or a sound card is touched, makes
// sure there is a display to show the game on, and turns the outcome into
// an exit status launchers can tell apart:
//   0  the player quit (or --help / --version)
//   1  a fatal error box was shown, no display was found, or a replay was
//      refused or diverged (GLORBS3D_RECORD / GLORBS3D_REPLAY)
//   2  a bad argument
#include <host/display_check.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/replay_session.h"

#ifndef GLORBS_VERSION
#define GLORBS_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "Usage: glorbs3d [--help | --version]\n"
    "\n"
    "Glorbs3D, a 3D arcade shooter: fly over the sea floor and shoot the\n"
    "drifting Glorbs. The game itself takes no arguments; its controls are\n"
    "described in glorbs3d(6).\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Environment: SDL_VIDEODRIVER and SDL_AUDIODRIVER choose SDL's video and\n"
    "sound drivers (for example x11 or wayland, pulseaudio or alsa).\n"
    "GLORBS3D_RECORD=file records the game as a replay; GLORBS3D_REPLAY=file\n"
    "plays one back (GLORBS3D_REPLAY_SPEED=max: as fast as possible).\n"
    "Exit status: 0 when the player quits, 1 after a fatal error or without\n"
    "a display, 2 for a bad argument.\n";

bool Is(const char* argument, const char* option) {
  return std::strcmp(argument, option) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Every argument is checked before any is acted on: "--help --bogus" is
  // still a mistake worth saying.
  bool help = false, version = false;
  for (int i = 1; i < argc; ++i) {
    if (Is(argv[i], "--help") || Is(argv[i], "-h")) {
      help = true;
    } else if (Is(argv[i], "--version")) {
      version = true;
    } else {
      std::fprintf(stderr, "glorbs3d: unknown argument '%s' (try --help)\n", argv[i]);
      return 2;
    }
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (version) {
    std::printf("glorbs3d %s\n", GLORBS_VERSION);
    return 0;
  }
  // A driver asked for by name is used as asked, headless ones included
  // (tests run that way); left to itself SDL may fall back to one that draws
  // nowhere, and the game would run unseen for ever.
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if ((!driver || !driver[0]) && !host::DefaultDisplayFound()) {
    std::fprintf(stderr, "glorbs3d: no display found (is DISPLAY or WAYLAND_DISPLAY set?)\n");
    return 1;
  }
  return RunGameSession(GLORBS_VERSION);
}
