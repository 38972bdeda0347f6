// SPDX-License-Identifier: MIT
// The event pump: SDL events become host::Event records handed to every
// registered sink (win32 makes window messages of them, dinput8 device-buffer
// records), and host's own view of the keyboard.
#include "host_state.h"
#include "replay_codec.h"

#include <cstdio>
#include <cstring>

namespace host {

namespace {

struct WindowEventMap {
  Uint8 sdl;
  EventType type;
};

const WindowEventMap kWindowEvents[] = {
    {SDL_WINDOWEVENT_FOCUS_GAINED, EventType::FocusGained},
    {SDL_WINDOWEVENT_FOCUS_LOST, EventType::FocusLost},
    {SDL_WINDOWEVENT_EXPOSED, EventType::Exposed},
    {SDL_WINDOWEVENT_SIZE_CHANGED, EventType::Resized},
    {SDL_WINDOWEVENT_MINIMIZED, EventType::Minimized},
    {SDL_WINDOWEVENT_RESTORED, EventType::Restored},
    {SDL_WINDOWEVENT_MAXIMIZED, EventType::Maximized},
    {SDL_WINDOWEVENT_MOVED, EventType::Moved},
    {SDL_WINDOWEVENT_CLOSE, EventType::Quit},
};

uint16_t ModsFromSdl(Uint16 mod) {
  uint16_t m = 0;
  if (mod & KMOD_SHIFT) m |= MOD_SHIFT;
  if (mod & KMOD_CTRL) m |= MOD_CTRL;
  if (mod & KMOD_ALT) m |= MOD_ALT;
  if (mod & KMOD_GUI) m |= MOD_GUI;
  return m;
}

uint32_t EventTime(Uint32 sdlTimestamp) {
  Uint64 start = State().startTicks;
  return sdlTimestamp >= start ? static_cast<uint32_t>(sdlTimestamp - start) : 0;
}

// Translates one SDL event; returns false for events nobody needs.
bool Translate(const SDL_Event& e, Event& out) {
  HostState& s = State();
  out = Event();
  out.time = EventTime(e.common.timestamp);
  switch (e.type) {
    case SDL_QUIT:
      out.type = EventType::Quit;
      break;
    case SDL_WINDOWEVENT:
      for (const WindowEventMap& m : kWindowEvents) {
        if (m.sdl == e.window.event) out.type = m.type;
      }
      out.a = e.window.data1;
      out.b = e.window.data2;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out.type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
      out.down = e.type == SDL_KEYDOWN;
      out.key = static_cast<uint16_t>(e.key.keysym.scancode);
      out.mods = ModsFromSdl(e.key.keysym.mod);
      out.repeat = e.key.repeat != 0;
      break;
    case SDL_TEXTINPUT:
      out.type = EventType::TextInput;
      std::snprintf(out.text, sizeof out.text, "%s", e.text.text);
      break;
    case SDL_MOUSEMOTION:
      out.type = EventType::MouseMotion;
      out.a = e.motion.x;
      out.b = e.motion.y;
      out.dx = e.motion.xrel;
      out.dy = e.motion.yrel;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      out.type = EventType::MouseButton;
      out.down = e.type == SDL_MOUSEBUTTONDOWN;
      out.button = e.button.button;
      out.a = e.button.x;
      out.b = e.button.y;
      break;
    case SDL_MOUSEWHEEL: {
      int flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
      out.type = EventType::MouseWheel;
      out.dx = e.wheel.x * flip;
      out.dy = e.wheel.y * flip;
      break;
    }
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(e.cdevice.which, out);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      ClosePad(e.cdevice.which, out);
      break;
    case SDL_CONTROLLERAXISMOTION:
      if (e.caxis.axis >= PAD_AXIS_COUNT || !s.pads.count(e.caxis.which)) return false;
      out.type = EventType::PadAxis;
      out.device = e.caxis.which;
      out.a = e.caxis.axis;
      out.b = e.caxis.value;
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (e.cbutton.button >= PAD_BUTTON_COUNT || !s.pads.count(e.cbutton.which)) return false;
      out.type = EventType::PadButton;
      out.device = e.cbutton.which;
      out.button = e.cbutton.button;
      out.down = e.type == SDL_CONTROLLERBUTTONDOWN;
      break;
    default:
      return false;
  }
  return out.type != EventType::None;
}

// Keeps host's own view of the keyboard and mouse, so that injected events
// count the same as real ones.
void Track(const Event& e) {
  HostState& s = State();
  if ((e.type == EventType::KeyDown || e.type == EventType::KeyUp) && e.key < 512) s.keys[e.key] = e.down;
  if (e.type == EventType::FocusLost) std::memset(s.keys, 0, sizeof s.keys);
  if (e.type == EventType::FocusLost || e.type == EventType::FocusGained)
    s.focusLost = e.type == EventType::FocusLost;
  if (e.type == EventType::MouseMotion || e.type == EventType::MouseButton) {
    s.mouseX = e.a;
    s.mouseY = e.b;
  }
}

}  // namespace

void Deliver(const Event& event) {
  const Event e = replay::NoteDeliveredEvent(event);
  Track(e);
  // A sink may add or remove sinks while it runs; walk a copy.
  std::vector<SinkEntry> sinks = State().sinks;
  for (const SinkEntry& entry : sinks) entry.sink(e, entry.user);
}

namespace {

bool IsWakeUp(const SDL_Event& e) {
  return State().wakeEventType != 0 && e.type == State().wakeEventType;
}

// Delivers the records put in by InjectEvent; returns how many.
int DeliverInjected() {
  HostState& s = State();
  int delivered = 0;
  while (!s.injected.empty()) {
    Event e = s.injected.front();
    s.injected.pop_front();
    Deliver(e);
    ++delivered;
  }
  return delivered;
}

// Delivers one SDL event as a record; returns 1 when it was delivered.
// The wake-up event only sets `woken`.
int DeliverSdl(const SDL_Event& sdl, bool* woken) {
  if (IsWakeUp(sdl)) {
    *woken = true;
    return 0;
  }
  Event e;
  if (!Translate(sdl, e)) return 0;
  int delivered = 0;
  // SDL on X11 reports a focus change some 200 ms late, and on a busy
  // machine a focus lost and regained can arrive apart, so that keys typed
  // into the window come while it still counts as inactive and are dropped
  // (Alt+Enter among them). The desktop sends key presses only to the
  // window that has the keyboard, so one says the focus is back.
  if (e.type == EventType::KeyDown && State().focusLost) {
    Event gained;
    gained.type = EventType::FocusGained;
    gained.time = e.time;
    Deliver(gained);
    ++delivered;
  }
  Deliver(e);
  return delivered + 1;
}

}  // namespace

int AddEventSink(EventSink sink, void* user) {
  if (!sink) return 0;
  HostState& s = State();
  int handle = s.nextSinkHandle++;
  s.sinks.push_back({handle, sink, user});
  return handle;
}

void RemoveEventSink(int handle) {
  auto& sinks = State().sinks;
  for (auto it = sinks.begin(); it != sinks.end(); ++it) {
    if (it->handle == handle) {
      sinks.erase(it);
      return;
    }
  }
}

int PumpEvents(int waitMs) {
  if (!State().initOk) return 0;
  if (replay::PlayingBack()) return replay::PlayPump(Deliver);
  replay::BeginPump(waitMs);
  const int delivered = PumpLiveEvents(waitMs);
  replay::EndPump();
  return delivered;
}

int PumpLiveEvents(int waitMs) {
  int delivered = DeliverInjected();
  SDL_Event sdl;
  bool woken = false;
  while (SDL_PollEvent(&sdl)) delivered += DeliverSdl(sdl, &woken);
  if (delivered > 0 || woken || waitMs == 0) return delivered;
  int got = waitMs < 0 ? SDL_WaitEvent(&sdl) : SDL_WaitEventTimeout(&sdl, waitMs);
  if (!got) return 0;
  do {
    delivered += DeliverSdl(sdl, &woken);
  } while (SDL_PollEvent(&sdl));
  return delivered + DeliverInjected();
}

void InjectEvent(const Event& event) {
  State().injected.push_back(event);
  WakeUp();
}

void WakeUp() {
  HostState& s = State();
  if (!s.initOk) return;
  if (s.wakeEventType == 0) s.wakeEventType = SDL_RegisterEvents(1);
  if (s.wakeEventType == static_cast<Uint32>(-1)) return;
  SDL_Event wake{};
  wake.type = s.wakeEventType;
  SDL_PushEvent(&wake);
}

bool IsKeyDown(uint16_t hidUsage) {
  return hidUsage < 512 && State().keys[hidUsage];
}

uint16_t GetModState() {
  const bool* k = State().keys;
  uint16_t m = 0;
  if (k[SDL_SCANCODE_LSHIFT] || k[SDL_SCANCODE_RSHIFT]) m |= MOD_SHIFT;
  if (k[SDL_SCANCODE_LCTRL] || k[SDL_SCANCODE_RCTRL]) m |= MOD_CTRL;
  if (k[SDL_SCANCODE_LALT] || k[SDL_SCANCODE_RALT]) m |= MOD_ALT;
  if (k[SDL_SCANCODE_LGUI] || k[SDL_SCANCODE_RGUI]) m |= MOD_GUI;
  return m;
}

}  // namespace host
