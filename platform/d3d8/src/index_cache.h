// SPDX-License-Identifier: MIT
// Gathered index lists that come back frame after frame (a model's subsets
// drawn in the same runs every frame) kept in OpenGL buffers of their own,
// found by their content, so drawing them again uploads nothing.
#pragma once

#include <d3d8types.h>

#include <unordered_map>
#include <vector>

#include "gl.h"

namespace d3d8 {

class IndexCache {
 public:
  // The caller makes the device's OpenGL context current before the cache
  // dies, or lets it die with a context already gone.
  ~IndexCache();
  // The buffer holding exactly `indices` from offset 0, or 0 the first time
  // a list is seen: lists drawn only once are not worth a buffer.
  GLuint Find(GlState& gl, const std::vector<BYTE>& indices);

 private:
  struct Entry {
    std::vector<BYTE> indices;
    GLuint buffer = 0;  // 0: seen once
  };
  void Clear(GlState& gl);

  std::unordered_multimap<size_t, Entry> entries_;
  size_t bytes_ = 0;
};

}  // namespace d3d8
