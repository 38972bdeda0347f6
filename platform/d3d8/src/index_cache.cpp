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
constexpr size_t kMaxBytes = 256u << 10;  // the buffer holds every list the cache holds

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

bool IndexCache::Keep(GlState& gl, Entry& e, UINT align) {
  const size_t at = (used_ + align - 1) / align * align;
  if (at + e.indices.size() > kMaxBytes) return false;
  if (!buffer_) {
    GL(GenBuffers)(1, &buffer_);
    gl.BindElementBuffer(buffer_);
    GL(BufferData)(GL_ELEMENT_ARRAY_BUFFER, kMaxBytes, nullptr, GL_STATIC_DRAW);
    ++g_bufferData;
  }
  gl.BindElementBuffer(buffer_);
  GL(BufferSubData)
  (GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(e.indices.size()),
   e.indices.data());
  e.kept = true;
  e.at = at;
  used_ = at + e.indices.size();
  return true;
}

GLuint IndexCache::Find(GlState& gl, const std::vector<BYTE>& indices, UINT align, uintptr_t* offset) {
  const size_t hash = std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(indices.data()), indices.size()));
  auto range = entries_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it) {
    Entry& e = it->second;
    if (e.indices != indices) continue;
    if (!e.kept && !Keep(gl, e, align)) break;  // the second sight is worth keeping; full: starts over below
    *offset = e.at;
    return buffer_;
  }
  if (entries_.size() >= kMaxEntries || bytes_ + indices.size() > kMaxBytes ||
      used_ + indices.size() + align > kMaxBytes)
    Clear(gl);
  Entry& e = entries_.emplace(hash, Entry{indices, false, 0})->second;
  bytes_ += indices.size();
#ifdef GLORBS_GL_ES
  // WebGL ties a buffer to one kind of target for good, and the stream
  // holds vertices: every list goes to this element buffer at first sight.
  if (Keep(gl, e, align)) {
    *offset = e.at;
    return buffer_;
  }
#else
  (void)e;
#endif
  return 0;
}

}  // namespace d3d8
