// SPDX-License-Identifier: MIT
// Where the bytes of a .x file come from: a file path, a memory block or a
// resource of the program, as CreateEnumObject's load options say.
#pragma once

#include <dxfile.h>

#include <cstdint>
#include <vector>

namespace dxfile {

// Copies the whole source into `bytes`; DXFILEERR_FILENOTFOUND,
// DXFILEERR_RESOURCENOTFOUND or DXFILEERR_BADVALUE when it cannot.
HRESULT ReadSource(LPVOID source, DXFILELOADOPTIONS options, std::vector<uint8_t>* bytes);

}  // namespace dxfile
