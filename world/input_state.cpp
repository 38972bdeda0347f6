// SPDX-License-Identifier: MIT
// Storage of the input state record; it has no operations of its own.
#include "world/input_state.h"

InputStateRecord InputState;
