// SPDX-License-Identifier: MIT
// The class factories that CoCreateInstance calls for the loader and the
// performance (registered by dm_register.cpp, which every program linking
// the DirectMusic layer carries).
#pragma once

#include <objbase.h>

namespace dmusic {

HRESULT CreateLoader(REFIID riid, void** object);
HRESULT CreatePerformance(REFIID riid, void** object);

}  // namespace dmusic
