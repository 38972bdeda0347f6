// SPDX-License-Identifier: MIT
// The event pump: SDL events become host::Event records handed to every
// registered sink (win32 makes window messages of them, dinput8 device-buffer
// records). Also frame pacing and the game-controller table.
#include "host_state.h"

#include <time.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <cerrno>
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

void OpenPad(int deviceIndex, Event& out) {
  if (!SDL_IsGameController(deviceIndex)) return;
  SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
  if (!pad) return;
  int32_t id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
  auto& pads = State().pads;
  if (pads.count(id)) {
    SDL_GameControllerClose(pad);  // already open: the add event came twice
    return;
  }
  pads[id] = pad;
  out.type = EventType::PadAdded;
  out.device = id;
}

void ClosePad(int32_t id, Event& out) {
  auto& pads = State().pads;
  auto it = pads.find(id);
  if (it == pads.end()) return;
  SDL_GameControllerClose(it->second);
  pads.erase(it);
  out.type = EventType::PadRemoved;
  out.device = id;
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
  if (e.type == EventType::MouseMotion || e.type == EventType::MouseButton) {
    s.mouseX = e.a;
    s.mouseY = e.b;
  }
}

void Deliver(const Event& e) {
  Track(e);
  // A sink may add or remove sinks while it runs; walk a copy.
  std::vector<SinkEntry> sinks = State().sinks;
  for (const SinkEntry& entry : sinks) entry.sink(e, entry.user);
}

bool IsWakeUp(const SDL_Event& e) {
  return State().wakeEventType != 0 && e.type == State().wakeEventType;
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
  HostState& s = State();
  if (!s.initOk) return 0;
  int delivered = 0;
  while (!s.injected.empty()) {
    Event e = s.injected.front();
    s.injected.pop_front();
    Deliver(e);
    ++delivered;
  }
  SDL_Event sdl;
  Event e;
  bool woken = false;
  while (SDL_PollEvent(&sdl)) {
    if (IsWakeUp(sdl)) {
      woken = true;
    } else if (Translate(sdl, e)) {
      Deliver(e);
      ++delivered;
    }
  }
  if (delivered > 0 || woken || waitMs == 0) return delivered;
  int got = waitMs < 0 ? SDL_WaitEvent(&sdl) : SDL_WaitEventTimeout(&sdl, waitMs);
  if (!got) return 0;
  do {
    if (!IsWakeUp(sdl) && Translate(sdl, e)) {
      Deliver(e);
      ++delivered;
    }
  } while (SDL_PollEvent(&sdl));
  while (!s.injected.empty()) {
    Event queued = s.injected.front();
    s.injected.pop_front();
    Deliver(queued);
    ++delivered;
  }
  return delivered;
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

int PadCount() {
  return static_cast<int>(State().pads.size());
}

int32_t PadInstanceAt(int index) {
  if (index < 0) return -1;
  for (const auto& entry : State().pads) {
    if (index-- == 0) return entry.first;
  }
  return -1;
}

const char* PadName(int32_t instance) {
  auto it = State().pads.find(instance);
  if (it == State().pads.end()) return "";
  const char* name = SDL_GameControllerName(it->second);
  return name ? name : "";
}

void PadGuid(int32_t instance, uint8_t out[16]) {
  std::memset(out, 0, 16);
  auto it = State().pads.find(instance);
  if (it == State().pads.end()) return;
  SDL_JoystickGUID guid = SDL_JoystickGetGUID(SDL_GameControllerGetJoystick(it->second));
  std::memcpy(out, guid.data, 16);
}

uint32_t PadButtonMask(int32_t instance) {
  auto it = State().pads.find(instance);
  if (it == State().pads.end()) return 0;
  uint32_t mask = 0;
  for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
    if (SDL_GameControllerHasButton(it->second, static_cast<SDL_GameControllerButton>(b))) mask |= 1u << b;
  }
  return mask;
}

uint32_t PadAxisMask(int32_t instance) {
  auto it = State().pads.find(instance);
  if (it == State().pads.end()) return 0;
  uint32_t mask = 0;
  for (int a = 0; a < PAD_AXIS_COUNT; ++a) {
    if (SDL_GameControllerHasAxis(it->second, static_cast<SDL_GameControllerAxis>(a))) mask |= 1u << a;
  }
  return mask;
}

int AttachVirtualPad(const char* name, uint32_t buttonMask, uint32_t axisMask) {
  if (!State().initOk) return -1;
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.button_mask = buttonMask;
  desc.axis_mask = axisMask;
  desc.name = name;
  return SDL_JoystickAttachVirtualEx(&desc);
}

void DetachVirtualPad(int deviceIndex) {
  if (State().initOk && deviceIndex >= 0) SDL_JoystickDetachVirtual(deviceIndex);
}

void ClosePads() {
  for (auto& entry : State().pads) SDL_GameControllerClose(entry.second);
  State().pads.clear();
}

// Holds the frame rate to 60 a second when the swap returned early (no
// vertical sync, or a faster display): the game's per-frame constants were
// tuned for frames at that rate. The wait sleeps to the frame's due time as
// an absolute deadline, so no core spins and early wake-ups sleep again.
void PaceFrame() {
  HostState& s = State();
  const Uint64 freq = SDL_GetPerformanceFrequency();
  const Uint64 period = freq / 60;
  Uint64 now = SDL_GetPerformanceCounter();
#ifdef __EMSCRIPTEN__
  // The browser shows the frame and runs its events only when the game hands
  // it a turn: ASYNCIFY unwinds the game's own loop here and resumes it.
  Uint64 waitMs = 0;
  if (s.pacing && s.lastFrameCounter != 0 && now < s.lastFrameCounter + period)
    waitMs = (s.lastFrameCounter + period - now) * 1000 / freq;
  EM_ASM({
    if (Module['onFrame']) Module['onFrame']();  // the page counts frames
  });
  emscripten_sleep(static_cast<unsigned>(waitMs));
  s.lastFrameCounter = waitMs ? s.lastFrameCounter + period : now;
  return;
#endif
  if (s.pacing && s.lastFrameCounter != 0) {
    const Uint64 due = s.lastFrameCounter + period;
    if (now < due) {
      timespec deadline{};
      clock_gettime(CLOCK_MONOTONIC, &deadline);
      const uint64_t ns = static_cast<uint64_t>(deadline.tv_nsec) + (due - now) * 1000000000ull / freq;
      deadline.tv_sec += static_cast<time_t>(ns / 1000000000ull);
      deadline.tv_nsec = static_cast<long>(ns % 1000000000ull);
      while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
      }
      // Keep the cadence steady instead of drifting by the wake-up slop.
      now = due;
    }
  }
  s.lastFrameCounter = now;
}

}  // namespace host
