// SPDX-License-Identifier: MIT
// The channels of a 0xAARRGGBB pixel read back from a picture, for tests that
// judge what was drawn.
#pragma once

#include <cstdint>

namespace pixel_channels {

inline int Red(uint32_t p) {
  return (p >> 16) & 0xFF;
}
inline int Green(uint32_t p) {
  return (p >> 8) & 0xFF;
}
inline int Blue(uint32_t p) {
  return p & 0xFF;
}

}  // namespace pixel_channels
