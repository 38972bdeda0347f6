// SPDX-License-Identifier: MIT
// What SDL does not tell about an X11 window: its real size, and whether a
// window manager is there to carry out a full-screen request. Internal to
// platform/host; every call answers "not X11" on other video drivers.
#pragma once

#include <SDL.h>

namespace host {

// The window's size as the X server has it, or false when the window is not
// an X11 one. SDL reports the size it asked for, which a desktop without a
// window manager never grants.
bool X11WindowSize(SDL_Window* window, int* w, int* h);
// True when the window is on X11 and no window manager that follows the
// desktop conventions (_NET_SUPPORTING_WM_CHECK) runs: full-screen requests
// then go unanswered and the window has to be placed by the program itself.
bool X11WithoutWindowManager(SDL_Window* window);
// Moves and sizes the window over `bounds` and raises it above the others.
void X11CoverArea(SDL_Window* window, const SDL_Rect& bounds);

}  // namespace host
