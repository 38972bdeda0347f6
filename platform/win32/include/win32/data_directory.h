// SPDX-License-Identifier: MIT
// Paths as the game writes them ('\' separators) made usable on Linux, and the
// data directory that the registry reports under the SDK key.
#pragma once

#include <cstddef>
#include <string>

// The key under HKEY_LOCAL_MACHINE whose value "DX8SDK Samples Path" holds
// the data directory.
#define GLORBS_SDK_KEY "Software\\DirectX SDK"
#define GLORBS_SDK_PATH_VALUE "DX8SDK Samples Path"

namespace win32 {

// The path with every '\' turned into '/'.
std::string NativePath(const char* path);
// Same into a caller's buffer; false (and an empty buffer) when it does not
// fit. Never writes past `size` bytes.
bool NativePath(const char* path, char* out, size_t size);

// The data directory, found from the executable (/proc/self/exe): the
// executable's folder when it holds a Media folder (the build tree), else the
// installed <prefix>/share/glorbs3d beside its bin folder. No trailing '/'.
std::string DataDirectory();

}  // namespace win32
