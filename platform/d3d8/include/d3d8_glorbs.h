// SPDX-License-Identifier: MIT
// Entry points of our Direct3D 8 layer that Direct3D itself does not have:
// what tests and the benchmark need to look inside (a read-back of the back
// buffer, counters of OpenGL work, its diagnostics counted per kind so tests
// can tell which fired) and to emulate smaller hardware.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d8.h>

namespace d3d8 {

// What the layer says on the debugger output. Failures are said each time;
// features it does not draw are said the first time in a run, and counted
// every time.
#define D3D8_DIAGNOSTICS(X)                                                                           \
  X(DIAG_ONE_DEVICE_ONLY, "only one device can exist at a time")                                      \
  X(DIAG_NO_GL_CONTEXT, "no window or no OpenGL 3.3 context for the device")                          \
  X(DIAG_GL_TOO_OLD, "OpenGL 3.3 is needed")                                                          \
  X(DIAG_BACK_BUFFER_FAILED, "the back buffer cannot be made")                                        \
  X(DIAG_RESET_WITH_DEFAULT_POOL, "Reset refused: default-pool resources are still alive")            \
  X(DIAG_SHADER_NOT_COMPILED, "fixed-function shader failed to compile")                              \
  X(DIAG_PROGRAM_NOT_LINKED, "fixed-function program failed to link")                                 \
  X(DIAG_TARGET_TEXTURE, "render-target and depth textures are not offered")                          \
  X(DIAG_FOG, "fog is not drawn")                                                                     \
  X(DIAG_VERTEX_BLEND, "vertex blending is not done")                                                 \
  X(DIAG_CLIP_PLANES, "user clip planes are not applied")                                             \
  X(DIAG_DEPTH_BIAS, "depth bias is not applied")                                                     \
  X(DIAG_TEXTURE_TRANSFORM, "texture coordinate transforms are not applied")                          \
  X(DIAG_STAGE_OPERATION, "a texture stage asks for an operation that is not drawn")                  \
  X(DIAG_STREAM_NOT_MAPPED, "vertex streaming cannot map its buffer; it copies with glBufferSubData") \
  X(DIAG_ES_UPLOAD_FORMAT, "a texture upload has a pixel format OpenGL ES cannot take")

enum Diagnostic {
#define D3D8_ENUM(name, text) name,
  D3D8_DIAGNOSTICS(D3D8_ENUM)
#undef D3D8_ENUM
      DIAG_COUNT
};

// How often each diagnostic fired since the start or the last reset.
int DiagnosticCount(Diagnostic which);
void ResetDiagnostics();

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
// are gathered into one OpenGL draw, and so are indexed list draws of one
// vertex buffer under one world transform (the default). Off, each is
// submitted on its own the same way: for tests that compare the two, and
// the benchmark.
HRESULT SetDrawCoalescing(IDirect3DDevice8* device, BOOL on);

// Bytes of texture levels and image surfaces the layer holds in memory (on
// desktop OpenGL a texture level's go once uploaded, until a lock needs them).
size_t KeptPixelBytes();

}  // namespace d3d8
