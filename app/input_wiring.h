// SPDX-License-Identifier: MIT
// The real services of the input side's table (input/input_services.h): the
// main window, the application's flags and the display's mode switch,
// presentation and fatal error box.
#pragma once

#include "input/input_services.h"

InputServices GameInputServices();
