// SPDX-License-Identifier: MIT
// The Win32 subset the game calls, implemented by us on SDL2 (through
// platform/host) and POSIX: windows and messages, GDI, resources, registry,
// files, time, code pages. One header per family; this one pulls them all.
#pragma once

#include <win_types.h>
#include <objbase.h>
#include <winbase.h>
#include <winuser.h>
#include <wingdi.h>
#include <winreg.h>
#include <mmsystem.h>
