// SPDX-License-Identifier: MIT
// The multimedia millisecond clock.
#pragma once

#include <win_types.h>

// Milliseconds of a monotonic clock; wraps after 49.7 days like the original.
DWORD timeGetTime();
