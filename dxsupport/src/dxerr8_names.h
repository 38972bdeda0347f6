// SPDX-License-Identifier: MIT
// The table behind DXGetErrorString8A: HRESULT values and their names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dxsupport {

struct ErrorName {
  uint32_t value;
  const char* name;
};
extern const ErrorName kErrorNames[];
extern const size_t kErrorNameCount;

}  // namespace dxsupport
