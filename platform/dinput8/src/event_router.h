// SPDX-License-Identifier: MIT
// Hands host's events to every live device and keeps what they share: the
// sequence counter of buffered records, the window's focus and the capture
// of the pointer by an exclusively acquired mouse.
#pragma once

#include <win_types.h>

namespace dinput8 {

class InputDevice;

void AttachDevice(InputDevice* device);
void DetachDevice(InputDevice* device);
// The next sequence number; it grows across all devices of the process.
DWORD NextSequence();
bool WindowFocused();
// Pointer capture is counted: the pointer is released when the last
// exclusive mouse lets go.
void CapturePointer(bool on);

}  // namespace dinput8
