// SPDX-License-Identifier: MIT
// Index lists by content: a hash finds the candidates, a comparison of the
// bytes decides. The cache starts over when it grows past a bound, so lists
// that keep changing cost one upload each, as through the stream buffer.
#include "index_cache.h"

#include <host/host.h>

#include <functional>
#include <string_view>

namespace d3d8 {

namespace {

constexpr size_t kMaxEntries = 128;
constexpr size_t kMaxBytes = 1u << 20;  // the buffer holds every list the cache holds

}  // namespace

IndexCache::~IndexCache() {
  if (!host::GetGLContext()) return;  // the buffer died with the context
  if (buffer_) GL(DeleteBuffers)(1, &buffer_);
}

void IndexCache::Clear(GlState& gl) {
  entries_.clear();
  bytes_ = used_ = 0;
  if (!buffer_) return;
  // A fresh store: draws still reading the old lists are left alone.
  gl.BindElementBuffer(buffer_);
  GL(BufferData)(GL_ELEMENT_ARRAY_BUFFER, kMaxBytes, nullptr, GL_STATIC_DRAW);
  ++g_bufferData;
}

GLuint IndexCache::Find(GlState& gl, const std::vector<BYTE>& indices, UINT align, uintptr_t* offset) {
  const size_t hash = std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(indices.data()), indices.size()));
  auto range = entries_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it) {
    Entry& e = it->second;
    if (e.indices != indices) continue;
    if (!e.kept) {  // the second sight: worth keeping
      const size_t at = (used_ + align - 1) / align * align;
      if (at + indices.size() > kMaxBytes) break;  // full: starts over below
      if (!buffer_) {
        GL(GenBuffers)(1, &buffer_);
        gl.BindElementBuffer(buffer_);
        GL(BufferData)(GL_ELEMENT_ARRAY_BUFFER, kMaxBytes, nullptr, GL_STATIC_DRAW);
        ++g_bufferData;
      }
      gl.BindElementBuffer(buffer_);
      GL(BufferSubData)
      (GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(indices.size()),
       indices.data());
      e.kept = true;
      e.at = at;
      used_ = at + indices.size();
    }
    *offset = e.at;
    return buffer_;
  }
  if (entries_.size() >= kMaxEntries || bytes_ + indices.size() > kMaxBytes ||
      used_ + indices.size() + align > kMaxBytes)
    Clear(gl);
  entries_.emplace(hash, Entry{indices, false, 0});
  bytes_ += indices.size();
  return 0;
}

}  // namespace d3d8
