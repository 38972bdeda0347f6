// SPDX-License-Identifier: MIT
// The modal box window: a plain SDL window with a software surface, so it
// appears wherever the game's own window can, without the desktop's message
// box helpers (which need X core fonts and fail silently without them).
#include "host_state.h"

#include <cstdio>
#include <vector>

namespace host {

namespace {

struct ObserverEntry {
  BoxObserver observer = nullptr;
  void* user = nullptr;
};

ObserverEntry& Observer() {
  static ObserverEntry entry;
  return entry;
}

enum class Verdict { Wait, Ok, Cancel, Quit };

bool Inside(const Rect& r, int x, int y) {
  return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
}

// What a key press or a click means to the box. A key held from before the
// box opened only repeats, and does not answer it. A click answers when the
// button is pressed and released inside the OK button, as buttons do.
struct Answering {
  Rect button;
  bool pressed = false;

  Verdict Key(uint16_t usage, bool repeat) const {
    if (repeat) return Verdict::Wait;
    if (usage == HID_RETURN || usage == HID_KP_ENTER || usage == HID_SPACE) return Verdict::Ok;
    if (usage == HID_ESCAPE) return Verdict::Cancel;
    return Verdict::Wait;
  }

  Verdict Click(int button, bool down, int x, int y) {
    if (button != 1) return Verdict::Wait;
    if (down) {
      pressed = Inside(this->button, x, y);
      return Verdict::Wait;
    }
    const bool released = pressed && Inside(this->button, x, y);
    pressed = false;
    return released ? Verdict::Ok : Verdict::Wait;
  }

  // Events put into the stream by InjectEvent: they belong to the box.
  Verdict Injected(const Event& e) {
    switch (e.type) {
      case EventType::Quit:
        return Verdict::Quit;
      case EventType::KeyDown:
        return Key(e.key, e.repeat);
      case EventType::MouseButton:
        return Click(e.button, e.down, e.a, e.b);
      default:
        return Verdict::Wait;
    }
  }

  Verdict Sdl(const SDL_Event& e, Uint32 boxId, bool* redraw) {
    switch (e.type) {
      case SDL_QUIT:
        return Verdict::Quit;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
          return e.window.windowID == boxId ? Verdict::Cancel : Verdict::Quit;
        if (e.window.windowID == boxId && e.window.event == SDL_WINDOWEVENT_EXPOSED) *redraw = true;
        return Verdict::Wait;
      case SDL_KEYDOWN:
        // The box is modal: keys typed into the game's window answer it too.
        return Key(static_cast<uint16_t>(e.key.keysym.scancode), e.key.repeat != 0);
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (e.button.windowID != boxId) return Verdict::Wait;
        return Click(e.button.button, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y);
      default:
        return Verdict::Wait;
    }
  }
};

// Events the game must still hear once the box is gone: a key or button let
// go meanwhile (or it would stay held), and what happened to its window.
// Presses are the box's.
bool KeptForTheGame(const SDL_Event& e, Uint32 boxId) {
  switch (e.type) {
    case SDL_KEYUP:
    case SDL_MOUSEBUTTONUP:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
      return true;
    case SDL_WINDOWEVENT:
      return e.window.windowID != boxId;
    default:
      return false;
  }
}

bool Draw(SDL_Window* box, const Picture& picture) {
  SDL_Surface* target = SDL_GetWindowSurface(box);
  if (!target) return false;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(picture.pixels), picture.w, picture.h, 32, picture.pitch, SDL_PIXELFORMAT_RGB888);
  if (!source) return false;
  SDL_BlitScaled(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  return SDL_UpdateWindowSurface(box) == 0;
}

// Hands the observer what the window's surface holds now.
void Observe(SDL_Window* box) {
  ObserverEntry entry = Observer();
  if (!entry.observer) return;
  SDL_Surface* shown = SDL_GetWindowSurface(box);
  SDL_Surface* copy = shown ? SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
  if (!copy) return;
  Picture picture;
  picture.pixels = static_cast<const uint32_t*>(copy->pixels);
  picture.w = copy->w;
  picture.h = copy->h;
  picture.pitch = copy->pitch;
  entry.observer(picture, entry.user);
  SDL_FreeSurface(copy);
}

}  // namespace

void SetBoxObserver(BoxObserver observer, void* user) {
  Observer().observer = observer;
  Observer().user = user;
}

BoxAnswer RunModalBox(const char* caption, const Picture& picture, const Rect& button) {
  HostState& s = State();
  if (!Init() || !picture.pixels || picture.w <= 0 || picture.h <= 0 || picture.pitch < picture.w * 4)
    return BoxAnswer::Failed;
  // Over the middle of the game's window, or of the screen without one.
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  if (s.window) {
    Rect owner = GetClientArea();
    x = owner.x + (owner.w - picture.w) / 2;
    y = owner.y + (owner.h - picture.h) / 2;
  }
  SDL_Window* box = SDL_CreateWindow(caption ? caption : "", x, y, picture.w, picture.h,
                                     SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
  if (!box) {
    std::fprintf(stderr, "glorbs3d: cannot open a message box window: %s\n", SDL_GetError());
    return BoxAnswer::Failed;
  }
  if (s.window) SDL_SetWindowModalFor(box, s.window);
  SDL_RaiseWindow(box);
  SDL_SetWindowInputFocus(box);
  if (!Draw(box, picture)) {
    std::fprintf(stderr, "glorbs3d: cannot draw the message box: %s\n", SDL_GetError());
    SDL_DestroyWindow(box);
    return BoxAnswer::Failed;
  }
  SDL_ShowCursor(SDL_ENABLE);  // over a hidden pointer the box could not be clicked
  Observe(box);

  const Uint32 boxId = SDL_GetWindowID(box);
  Answering answering;
  answering.button = button;
  Verdict verdict = Verdict::Wait;
  std::vector<SDL_Event> kept;
  while (verdict == Verdict::Wait) {
    while (verdict == Verdict::Wait && !s.injected.empty()) {
      Event e = s.injected.front();
      s.injected.pop_front();
      verdict = answering.Injected(e);
    }
    SDL_Event e;
    // A bounded wait: a signal's quit is noticed even where the driver
    // cannot be woken by one.
    bool redraw = false;
    while (verdict == Verdict::Wait && SDL_WaitEventTimeout(&e, 250)) {
      verdict = answering.Sdl(e, boxId, &redraw);
      if (verdict == Verdict::Wait && KeptForTheGame(e, boxId)) kept.push_back(e);
      if (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) break;
    }
    if (redraw) Draw(box, picture);
  }
  SDL_DestroyWindow(box);
  // Ahead of whatever came after: the game hears them in their order.
  if (!kept.empty()) {
    SDL_Event pending[64];
    int n = 0;
    while ((n = SDL_PeepEvents(pending, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
      kept.insert(kept.end(), pending, pending + n);
    SDL_PeepEvents(kept.data(), static_cast<int>(kept.size()), SDL_ADDEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  }
  SDL_ShowCursor(s.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
  if (s.window) SDL_RaiseWindow(s.window);
  switch (verdict) {
    case Verdict::Ok:
      return BoxAnswer::Ok;
    case Verdict::Cancel:
      return BoxAnswer::Cancel;
    default: {
      // The box only stood in the way: the program is still to end.
      Event quit;
      quit.type = EventType::Quit;
      InjectEvent(quit);
      return BoxAnswer::Quit;
    }
  }
}

}  // namespace host
