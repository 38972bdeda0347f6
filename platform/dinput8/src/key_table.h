// SPDX-License-Identifier: MIT
// Keys as DirectInput numbers them (DIK codes) and as host reports them
// (USB HID usages), with the names the configuration window shows.
#pragma once

#include <cstdint>

#include <dinput.h>

namespace dinput8 {

// The DIK code of a HID keyboard usage; 0 for keys DirectInput has no code for.
BYTE DikFromHid(uint16_t hidUsage);
// The name of a DIK code; null when no key has that code.
const char* KeyName(BYTE dik);

}  // namespace dinput8
