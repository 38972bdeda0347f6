// SPDX-License-Identifier: MIT
// How MessageBoxA shows itself: in a window of its own drawn with our GDI
// text wherever a display exists, on stderr otherwise.
#pragma once

namespace win32 {

// Shows boxes as windows on the offscreen driver too, where nobody could
// answer them: tests look at the box there and answer it with injected
// events (host::SetBoxObserver).
void SetMessageBoxWindowsWithoutDisplay(bool on);

}  // namespace win32
