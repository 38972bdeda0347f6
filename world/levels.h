// SPDX-License-Identifier: MIT
// Starting a level: Glorbs in diagonal rows, the ship hidden at its start
// point for two seconds. The program closes itself when the third level
// would begin.
#pragma once

// Needs the ship; does nothing before start-up has built it.
void BeginNextLevel();
