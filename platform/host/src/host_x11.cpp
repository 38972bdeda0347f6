// SPDX-License-Identifier: MIT
// X11 specifics of the window (see host_x11.h). Built without Xlib the calls
// answer "not X11", and the rest of host goes by what SDL reports.
#include "host_x11.h"

#if GLORBS_HOST_X11 && defined(SDL_VIDEO_DRIVER_X11)
#define HOST_USES_XLIB 1
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace host {

#if HOST_USES_XLIB

namespace {

bool X11Handles(SDL_Window* window, Display** display, ::Window* xwindow) {
  // Asked every frame: other drivers are told apart without a failing call.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!window || !driver || SDL_strcmp(driver, "x11") != 0) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *xwindow = info.info.x11.window;
  return *display != nullptr && *xwindow != 0;
}

// The window that a conforming window manager names on the root window (and
// on itself); 0 when the property is missing or stale.
::Window SupportingWindow(Display* display, ::Window on, Atom check) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ::Window found = 0;
  if (XGetWindowProperty(display, on, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
          Success &&
      type == XA_WINDOW && format == 32 && count == 1 && data)
    found = *reinterpret_cast< ::Window*>(data);
  if (data) XFree(data);
  return found;
}

}  // namespace

bool X11WindowSize(SDL_Window* window, int* w, int* h) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Handles(window, &display, &xwindow)) return false;
  ::Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, xwindow, &root, &x, &y, &width, &height, &border, &depth)) return false;
  *w = static_cast<int>(width);
  *h = static_cast<int>(height);
  return true;
}

bool X11WithoutWindowManager(SDL_Window* window) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Handles(window, &display, &xwindow)) return false;
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return true;
  ::Window wm = SupportingWindow(display, DefaultRootWindow(display), check);
  // A manager that died leaves its property behind: its window must name
  // itself too.
  return wm == 0 || SupportingWindow(display, wm, check) != wm;
}

void X11CoverArea(SDL_Window* window, const SDL_Rect& bounds) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Handles(window, &display, &xwindow) || bounds.w <= 0 || bounds.h <= 0) return;
  XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                    static_cast<unsigned>(bounds.h));
  XRaiseWindow(display, xwindow);
  XSync(display, False);
}

#else

bool X11WindowSize(SDL_Window*, int*, int*) {
  return false;
}
bool X11WithoutWindowManager(SDL_Window*) {
  return false;
}
void X11CoverArea(SDL_Window*, const SDL_Rect&) {}

#endif

}  // namespace host
