// SPDX-License-Identifier: MIT
// The host events of the tests, and the window handle the DirectInput and
// input tests give for a window they never make.
#pragma once

#include <cstdint>

#include <win_types.h>

#include "host_events.h"

namespace test_events {

inline HWND FakeWindow() {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000));
}

}  // namespace test_events
