// SPDX-License-Identifier: MIT
// The one host event sink of the layer, registered while any device lives.
#include "event_router.h"

#include <algorithm>
#include <vector>

#include <host/host.h>
#include "input_device.h"

namespace dinput8 {

namespace {

struct Router {
  std::vector<InputDevice*> devices;
  int sink = 0;
  bool focused = false;
  bool focusKnown = false;  // kept across sink registrations once seen
  DWORD sequence = 0;
  int captures = 0;
};

Router& State() {
  static Router router;
  return router;
}

void OnHostEvent(const host::Event& e, void*) {
  Router& r = State();
  // A device may be released by code running inside the loop; walk a copy.
  const std::vector<InputDevice*> devices = r.devices;
  switch (e.type) {
    case host::EventType::FocusGained:
      r.focused = r.focusKnown = true;
      return;
    case host::EventType::FocusLost:
      r.focused = false;
      r.focusKnown = true;
      for (InputDevice* d : devices) {
        if (d->IsForeground()) d->LoseAcquisition(false);
      }
      return;
    case host::EventType::PadRemoved:
      for (InputDevice* d : devices) {
        if (d->Identity().kind == DeviceKind::Pad && d->Identity().padInstance == e.device)
          d->LoseAcquisition(true);
      }
      return;
    default:
      break;
  }
  for (InputDevice* d : devices) d->OnEvent(e);
}

}  // namespace

void AttachDevice(InputDevice* device) {
  Router& r = State();
  if (r.devices.empty()) {
    if (!r.focusKnown) r.focused = host::HasFocus();
    r.sink = host::AddEventSink(&OnHostEvent, nullptr);
  }
  r.devices.push_back(device);
}

void DetachDevice(InputDevice* device) {
  Router& r = State();
  r.devices.erase(std::remove(r.devices.begin(), r.devices.end(), device), r.devices.end());
  if (r.devices.empty() && r.sink) {
    host::RemoveEventSink(r.sink);
    r.sink = 0;
  }
}

DWORD NextSequence() {
  return ++State().sequence;
}

bool WindowFocused() {
  return State().focused;
}

void CapturePointer(bool on) {
  Router& r = State();
  const int before = r.captures;
  r.captures = std::max(0, r.captures + (on ? 1 : -1));
  if ((before == 0) != (r.captures == 0)) host::SetRelativeMouse(r.captures > 0);
}

}  // namespace dinput8
