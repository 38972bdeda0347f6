// SPDX-License-Identifier: MIT
// The table of open game controllers: opened when SDL reports one plugged
// in, closed when it goes, asked for names, identities and what their
// mappings provide; and the virtual controllers of tests and input replays.
#include "host_state.h"

#include <cstring>

namespace host {

namespace {

// The open controller of a joystick instance id, or null.
SDL_GameController* FindPad(int32_t instance) {
  auto it = State().pads.find(instance);
  return it == State().pads.end() ? nullptr : it->second;
}

// Bit n set for each n below `count` that the controller `has`.
template <typename Has>
uint32_t MaskOf(int32_t instance, int count, Has has) {
  SDL_GameController* pad = FindPad(instance);
  uint32_t mask = 0;
  for (int n = 0; pad && n < count; ++n) {
    if (has(pad, n)) mask |= 1u << n;
  }
  return mask;
}

}  // namespace

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
  SDL_GameController* pad = FindPad(instance);
  const char* name = pad ? SDL_GameControllerName(pad) : nullptr;
  return name ? name : "";
}

void PadGuid(int32_t instance, uint8_t out[16]) {
  std::memset(out, 0, 16);
  SDL_GameController* pad = FindPad(instance);
  if (!pad) return;
  SDL_JoystickGUID guid = SDL_JoystickGetGUID(SDL_GameControllerGetJoystick(pad));
  std::memcpy(out, guid.data, 16);
}

uint32_t PadButtonMask(int32_t instance) {
  return MaskOf(instance, PAD_BUTTON_COUNT, [](SDL_GameController* pad, int n) {
    return SDL_GameControllerHasButton(pad, static_cast<SDL_GameControllerButton>(n)) == SDL_TRUE;
  });
}

uint32_t PadAxisMask(int32_t instance) {
  return MaskOf(instance, PAD_AXIS_COUNT, [](SDL_GameController* pad, int n) {
    return SDL_GameControllerHasAxis(pad, static_cast<SDL_GameControllerAxis>(n)) == SDL_TRUE;
  });
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

}  // namespace host
