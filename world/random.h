// SPDX-License-Identifier: MIT
// The game's random numbers. The rules draw everything from the C library's
// rand(), seeded with srand() at each level start; on Linux that is the GNU C
// library's additive feedback generator. It is carried here so that a seed
// draws the same numbers in every build: the web build's C library has a
// generator of its own, and a game recorded on the desktop must replay in
// the page draw for draw.
#pragma once

// Seeds the generator as srand(seed) does (a seed of 0 counts as 1).
void SeedRandom(unsigned seed);
// The next draw, 0 to 2^31 - 1, as rand() gives it after the same seed.
int NextRandom();
