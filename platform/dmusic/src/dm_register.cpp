// SPDX-License-Identifier: MIT
// Registers the DirectMusic classes with CoCreateInstance at start-up.
// Compiled as an object of its own that reaches every program linking
// glorbs_dmusic, so the linker cannot drop the registration.
#include <dmusici.h>

#include "dm_loader.h"

namespace {

struct Registration {
  Registration() {
    CoRegisterClassFactory(CLSID_DirectMusicLoader, dmusic::CreateLoader);
    CoRegisterClassFactory(CLSID_DirectMusicPerformance, dmusic::CreatePerformance);
  }
} registration;

}  // namespace
