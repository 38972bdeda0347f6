// SPDX-License-Identifier: MIT
// The one SDL window: creation, geometry, full screen, icon, cursor, message
// boxes and the OpenGL context. State shared with the event pump lives in
// host_state.h; everything runs on the message-loop thread.
#include "host_state.h"
#include "host/replay.h"
#include "host_x11.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace host {

HostState& State() {
  static HostState state;
  return state;
}

bool Init() {
  HostState& s = State();
  if (s.initTried) return s.initOk;
  s.initTried = true;
  // The window surface (the splash before any device exists) must not bring
  // up a hidden renderer with an OpenGL context of its own.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Closing the window is a WM_CLOSE for the game to handle, not a quit.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
    std::fprintf(stderr, "glorbs3d: cannot start the video system: %s\n", SDL_GetError());
    return false;
  }
  // Controllers are optional: a machine without joystick support still plays.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "glorbs3d: game controllers unavailable: %s\n", SDL_GetError());
  }
  s.initOk = true;
  s.startTicks = SDL_GetTicks64();
  std::memset(s.keys, 0, sizeof s.keys);
  return true;
}

void Shutdown() {
  HostState& s = State();
  if (!s.initOk) {
    s.initTried = false;
    return;
  }
  DestroyMainWindow();
  ClosePads();
  s.sinks.clear();
  s.injected.clear();
  SDL_Quit();
  s = HostState();
}

bool HasDisplay() {
  if (!State().initOk) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

bool CreateMainWindow(const char* title, int x, int y, int clientW, int clientH, bool visible) {
  HostState& s = State();
  if (!Init() || s.window) return false;
#ifdef __EMSCRIPTEN__
  // OpenGL ES 3.0: WebGL 2 in the page. An opaque canvas: the back buffer
  // holds no alpha worth blending with the page behind it.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
#else
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#endif
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device draws into framebuffer objects of its own; the window's
  // buffer only receives the finished picture.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  // A high-density drawable where the desktop scales windows: the picture is
  // then stretched to the real pixels instead of being blown up afterwards.
  Uint32 flags =
      SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | (visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
  s.window =
      SDL_CreateWindow(title ? title : "", x, y, clientW > 0 ? clientW : 1, clientH > 0 ? clientH : 1, flags);
  if (!s.window) {
    std::fprintf(stderr, "glorbs3d: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  s.windowedRect = GetClientArea();
  return true;
}

void DestroyMainWindow() {
  HostState& s = State();
  DestroyGLContext();
  if (s.window) {
    SDL_DestroyWindow(s.window);
    s.window = nullptr;
  }
  s.fullScreen = false;
}

bool MainWindowExists() {
  return State().window != nullptr;
}

void SetTitle(const char* title) {
  if (State().window) SDL_SetWindowTitle(State().window, title ? title : "");
}

void ShowMainWindow(bool shown) {
  SDL_Window* w = State().window;
  if (!w) return;
  if (shown)
    SDL_ShowWindow(w);
  else
    SDL_HideWindow(w);
}

void SetPosition(int x, int y) {
  HostState& s = State();
  if (!s.window || s.fullScreen) return;
  SDL_SetWindowPosition(s.window, x, y);
}

Rect GetClientArea() {
  Rect r;
  SDL_Window* w = State().window;
  if (!w) return r;
  SDL_GetWindowPosition(w, &r.x, &r.y);
  SDL_GetWindowSize(w, &r.w, &r.h);
  return r;
}

void SetClientSize(int w, int h) {
  HostState& s = State();
  if (!s.window || s.fullScreen || w <= 0 || h <= 0) return;
  SDL_SetWindowSize(s.window, w, h);
}

void SetResizable(bool resizable) {
  if (State().window) SDL_SetWindowResizable(State().window, resizable ? SDL_TRUE : SDL_FALSE);
}

void SetBordered(bool bordered) {
  if (State().window) SDL_SetWindowBordered(State().window, bordered ? SDL_TRUE : SDL_FALSE);
}

void SetMinimumSize(int w, int h) {
  if (State().window && w > 0 && h > 0) SDL_SetWindowMinimumSize(State().window, w, h);
}

void Minimize() {
  if (State().window) SDL_MinimizeWindow(State().window);
}

void Restore() {
  if (State().window) SDL_RestoreWindow(State().window);
}

void Raise() {
  if (State().window) SDL_RaiseWindow(State().window);
}

bool HasFocus() {
  SDL_Window* w = State().window;
  return replay::FlagReading(replay::Flag::Focus, w && (SDL_GetWindowFlags(w) & SDL_WINDOW_INPUT_FOCUS) != 0);
}

bool IsMinimized() {
  SDL_Window* w = State().window;
  return replay::FlagReading(replay::Flag::Minimized,
                             w && (SDL_GetWindowFlags(w) & SDL_WINDOW_MINIMIZED) != 0);
}

bool IsShown() {
  SDL_Window* w = State().window;
  return w && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0;
}

void SetIcon(const uint32_t* argb, int w, int h) {
  SDL_Window* window = State().window;
  if (!window || !argb || w <= 0 || h <= 0) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), w, h, 32, w * 4,
                                                         SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

static int WindowDisplay() {
  SDL_Window* w = State().window;
  int index = w ? SDL_GetWindowDisplayIndex(w) : 0;
  return index < 0 ? 0 : index;
}

Rect GetWorkArea() {
  Rect r;
  if (!Init()) return r;
  SDL_Rect bounds{};
  if (SDL_GetDisplayUsableBounds(WindowDisplay(), &bounds) != 0 &&
      SDL_GetDisplayBounds(WindowDisplay(), &bounds) != 0)
    return r;
  r.x = bounds.x;
  r.y = bounds.y;
  r.w = bounds.w;
  r.h = bounds.h;
  return r;
}

DisplayMode GetDesktopMode() {
  DisplayMode mode;
  if (!Init()) return mode;
  SDL_DisplayMode dm{};
  if (SDL_GetDesktopDisplayMode(WindowDisplay(), &dm) == 0) {
    mode.w = dm.w;
    mode.h = dm.h;
    mode.refresh = dm.refresh_rate;
    mode.bitsPerPixel = SDL_BYTESPERPIXEL(dm.format) * 8;
  }
  return replay::DesktopModeReading(mode);
}

// Without a window manager nobody carries out a full-screen request: SDL
// reports the new size while the window keeps its old one. The window is then
// placed over the display by hand.
static void CoverDisplayWithoutManager(SDL_Window* window) {
  if (!X11WithoutWindowManager(window)) return;
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(WindowDisplay(), &bounds) == 0) X11CoverArea(window, bounds);
}

bool EnterFullScreen(int w, int h) {
  HostState& s = State();
  if (!s.window || w <= 0 || h <= 0) return false;
  if (!s.fullScreen) s.windowedRect = GetClientArea();
  // Only a mode the display lists counts: SDL's closest match may be a
  // wildcard entry that "offers" any size and then changes nothing.
  SDL_DisplayMode got{};
  bool offered = false;
  const int display = WindowDisplay();
  for (int i = 0, n = SDL_GetNumDisplayModes(display); i < n && !offered; ++i)
    offered = SDL_GetDisplayMode(display, i, &got) == 0 && got.w == w && got.h == h;
  bool exact = false;
  std::string refusal;
  if (offered) {
    exact = SDL_SetWindowDisplayMode(s.window, &got) == 0 &&
            SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN) == 0;
    if (!exact) refusal = SDL_GetError();
  }
  if (!exact && SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    std::fprintf(stderr, "glorbs3d: full screen %dx%d refused: %s\n", w, h, SDL_GetError());
    return false;
  }
  CoverDisplayWithoutManager(s.window);
  const DisplayMode desktop = GetDesktopMode();
  if (!exact && (desktop.w != w || desktop.h != h)) {
    // The player asked for a mode and gets another: say which, once.
    const bool sameShape = static_cast<int64_t>(desktop.w) * h == static_cast<int64_t>(desktop.h) * w;
    std::fprintf(stderr, "glorbs3d: full screen %dx%d %s; using the desktop's %dx%d with the picture %s\n", w,
                 h,
                 offered ? ("could not be set (" + refusal + ")").c_str() : "is not offered by the display",
                 desktop.w, desktop.h, sameShape ? "scaled" : "letterboxed");
  }
  s.fullScreen = true;
  s.realModeChange = exact;
  return true;
}

void LeaveFullScreen() {
  HostState& s = State();
  if (!s.window || !s.fullScreen) return;
  SDL_SetWindowFullscreen(s.window, 0);
  s.fullScreen = false;
  s.realModeChange = false;
  SDL_SetWindowSize(s.window, s.windowedRect.w, s.windowedRect.h);
  SDL_SetWindowPosition(s.window, s.windowedRect.x, s.windowedRect.y);
}

bool IsFullScreen() {
  return State().fullScreen;
}

void GetDrawableSize(int* w, int* h) {
  int dw = 0, dh = 0;
  SDL_Window* window = State().window;
  // On X11 the server's answer: SDL's may be a size that was asked for and
  // never granted, and drawing for it would crop the picture.
  if (window && !X11WindowSize(window, &dw, &dh)) {
    if (State().gl)
      SDL_GL_GetDrawableSize(window, &dw, &dh);
    else
      SDL_GetWindowSize(window, &dw, &dh);
  }
  if (w) *w = dw;
  if (h) *h = dh;
}

Rect FitPicture(int w, int h, int areaW, int areaH) {
  Rect r{0, 0, areaW, areaH};
  if (w <= 0 || h <= 0 || areaW <= 0 || areaH <= 0) return r;
  const int64_t across = static_cast<int64_t>(areaW) * h, down = static_cast<int64_t>(areaH) * w;
  if (across > down) {  // a wider area: bars left and right
    r.w = static_cast<int>(static_cast<int64_t>(areaH) * w / h);
    r.x = (areaW - r.w) / 2;
  } else if (across < down) {  // a taller one: bars above and below
    r.h = static_cast<int>(static_cast<int64_t>(areaW) * h / w);
    r.y = (areaH - r.h) / 2;
  }
  return r;
}

void* CreateGLContext() {
  HostState& s = State();
  if (s.gl) return s.gl;
  if (!s.window) return nullptr;
  s.gl = SDL_GL_CreateContext(s.window);
  if (!s.gl) {
    std::fprintf(stderr, "glorbs3d: cannot create an OpenGL context: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_GL_MakeCurrent(s.window, s.gl);
  // Vertical sync where the driver gives it; SwapBuffers holds the rate
  // itself where it does not.
  s.vsync = SDL_GL_SetSwapInterval(1) == 0;
  NoteHeapChurn();  // starting the driver is such a burst
  return s.gl;
}

void DestroyGLContext() {
  HostState& s = State();
  if (!s.gl) return;
  if (s.contextLossObserver) {
    SDL_GL_MakeCurrent(s.window, s.gl);
    s.contextLossObserver();
  }
  SDL_GL_MakeCurrent(s.window, nullptr);
  SDL_GL_DeleteContext(s.gl);
  s.gl = nullptr;
  s.presenter = nullptr;
  s.presenterUser = nullptr;
}

void* GetGLContext() {
  return State().gl;
}

void SetContextLossObserver(ContextLossObserver observer) {
  State().contextLossObserver = observer;
}

void MakeGLCurrent() {
  HostState& s = State();
  if (s.window && s.gl) SDL_GL_MakeCurrent(s.window, s.gl);
}

void SwapWindowBuffers() {
  HostState& s = State();
  if (!s.window || !s.gl) return;
  SDL_GL_SwapWindow(s.window);
  if (s.pictureShown && !s.presentingPicture) {
    s.pictureShown = false;
    if (s.coveredObserver) s.coveredObserver(s.coveredUser);
  }
  TrimHeapIfChurned();
  PaceFrame();
}

void SetFramePacing(bool on) {
  State().pacing = on;
}

void SetPicturePresenter(PicturePresenter presenter, void* user) {
  State().presenter = presenter;
  State().presenterUser = user;
}

void SetPictureCoveredObserver(PictureCoveredObserver observer, void* user) {
  State().coveredObserver = observer;
  State().coveredUser = user;
}

void PresentPicture(const Picture& picture) {
  HostState& s = State();
  if (!s.window || !picture.pixels || picture.w <= 0 || picture.h <= 0 || picture.pitch < picture.w * 4)
    return;
  s.pictureShown = true;
  if (s.presenter) {
    s.presentingPicture = true;
    s.presenter(picture, s.presenterUser);
    s.presentingPicture = false;
    return;
  }
  SDL_Surface* target = SDL_GetWindowSurface(s.window);
  if (!target) return;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(picture.pixels), picture.w, picture.h, 32, picture.pitch, SDL_PIXELFORMAT_RGB888);
  if (!source) return;
  SDL_BlitScaled(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(s.window);
}

void SetCursorVisible(bool visible) {
  State().cursorVisible = visible;
  if (State().initOk) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool IsCursorVisible() {
  return State().cursorVisible;
}

void GetMousePosition(int* x, int* y) {
  if (x) *x = State().mouseX;
  if (y) *y = State().mouseY;
}

void SetRelativeMouse(bool on) {
  if (State().initOk) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

uint32_t Ticks() {
  if (!State().initOk) return 0;
  const int64_t live = static_cast<int64_t>(SDL_GetTicks64() - State().startTicks);
  return static_cast<uint32_t>(replay::ClockReading(replay::Clock::Ticks, live));
}

}  // namespace host
