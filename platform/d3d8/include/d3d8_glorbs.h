// SPDX-License-Identifier: MIT
// Entry points of our Direct3D 8 layer that Direct3D itself does not have:
// what tests and the benchmark need to look inside (a read-back of the back
// buffer, counters of OpenGL work) and to emulate smaller hardware.
#pragma once

#include <cstdint>

#include <d3d8.h>

namespace d3d8 {

// Caps report at most this MaxTextureWidth/Height (0 = the real limit), and
// CreateTexture refuses larger ones. For tests of the font's shrinking path.
void SetMaxTextureSizeLimit(UINT maxSize);

// Copies the device's back buffer, top row first, as 0xAARRGGBB pixels into
// `out` (w x h values). INVALIDCALL when the sizes do not match the back buffer.
HRESULT ReadBackBuffer(IDirect3DDevice8* device, uint32_t* out, UINT w, UINT h);

// Copies what the window's drawable shows (after Present), top row first.
HRESULT ReadDrawable(IDirect3DDevice8* device, uint32_t* out, UINT w, UINT h);

// OpenGL calls made so far (all of them go through one counter), draws
// submitted, buffer stores given data (glBufferData), and programs the
// fixed-function cache has built.
struct Counters {
  uint64_t glCalls = 0;
  uint64_t draws = 0;
  uint64_t programsBuilt = 0;
  uint64_t bufferData = 0;
};
Counters GetCounters();

// Small draws that differ only in the world transform and their vertices
// are gathered into one OpenGL draw (the default). Off, each is submitted
// on its own the same way: for tests that compare the two, and the benchmark.
HRESULT SetDrawCoalescing(IDirect3DDevice8* device, BOOL on);

}  // namespace d3d8
