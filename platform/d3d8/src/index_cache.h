// SPDX-License-Identifier: MIT
// Gathered index lists that come back frame after frame (a model's subsets
// drawn in the same runs every frame) kept in one OpenGL buffer, found by
// their content, so drawing them again uploads nothing and binds nothing new.
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
  // Where `indices` lie: the cache's buffer and the byte offset in it; a
  // buffer of 0 the first time a list is seen (lists drawn only once are
  // not worth keeping; the web build keeps them all, see Find). `align` is
  // the size of one index.
  GLuint Find(GlState& gl, const std::vector<BYTE>& indices, UINT align, uintptr_t* offset);

 private:
  struct Entry {
    std::vector<BYTE> indices;
    bool kept = false;  // false: seen once
    uintptr_t at = 0;
  };
  void Clear(GlState& gl);
  // Copies the entry's list into the buffer; false if it has no room left.
  bool Keep(GlState& gl, Entry& e, UINT align);

  std::unordered_multimap<size_t, Entry> entries_;
  size_t bytes_ = 0;  // of every entry's indices, kept or not
  GLuint buffer_ = 0;
  size_t used_ = 0;  // bytes of the buffer taken by kept lists
};

}  // namespace d3d8
