// SPDX-License-Identifier: MIT
// Half a turn in radians, for the generators' circles, waves and turns.
#pragma once

namespace gen {

constexpr float kPi = 3.14159265358979f;

}  // namespace gen
