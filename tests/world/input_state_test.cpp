// SPDX-License-Identifier: MIT
// The input record as the program starts with it.
#include "world/input_state.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(InputState, EveryControlReadsZeroAtStartAndTheGameIsNotPaused) {
  // Every field is a 32-bit value, so an all-zero record has all-zero bytes.
  static const unsigned char zeros[sizeof(InputStateRecord)] = {};
  EXPECT_EQ(std::memcmp(&InputState, zeros, sizeof zeros), 0);
  EXPECT_EQ(InputState.paused, 0);
  EXPECT_EQ(InputState.thrust, 0.0f);
  // Five controls, six flags, ten per-device tables of ten, one latch.
  EXPECT_EQ(sizeof(InputStateRecord), 4u * (5 + 6 + 10 * INPUT_MAX_DEVICES + 1));
  EXPECT_EQ(offsetof(InputStateRecord, fireHeld), 20u);
  EXPECT_EQ(offsetof(InputStateRecord, menuAxisLatch), sizeof(InputStateRecord) - 4);
}

}  // namespace
