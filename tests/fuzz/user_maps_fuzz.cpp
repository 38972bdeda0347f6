// SPDX-License-Identifier: MIT
// Fuzz target: any bytes as the saved-controls file of the keyboard, the
// mouse or a controller (the first byte picks which). A map that reads back
// must name only controls the device has; anything else must be refused
// with a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "user_maps.h"

namespace {

dinput8::DeviceIdentity DeviceFor(uint8_t pick) {
  switch (pick % 3) {
    case 0:
      return dinput8::KeyboardIdentity();
    case 1:
      return dinput8::MouseIdentity();
    default: {
      // A controller with every button and axis, as host would describe it.
      dinput8::DeviceIdentity pad;
      pad.kind = dinput8::DeviceKind::Pad;
      pad.padInstance = 1;
      pad.padButtons = 0x7FFF;
      pad.padAxes = 0x3F;
      pad.mapKey = "pad-03000000de280000ff11000001000000";
      return pad;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const dinput8::DeviceIdentity device = DeviceFor(bytes[0]);
  const std::string text(reinterpret_cast<const char*>(bytes + 1), size - 1);
  dinput8::UserChoices choices;
  std::string why;
  if (dinput8::ParseUserMap(text, "Glorbs3D New", device, choices, why)) {
    for (const auto& choice : choices) {
      if (choice.second != 0 && !dinput8::HasObject(device, choice.second)) __builtin_trap();
    }
  } else if (why.empty() || !choices.empty()) {
    __builtin_trap();
  }
  return 0;
}
