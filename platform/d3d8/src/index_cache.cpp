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
constexpr size_t kMaxBytes = 4u << 20;

}  // namespace

IndexCache::~IndexCache() {
  if (!host::GetGLContext()) return;  // the buffers died with the context
  for (auto& e : entries_)
    if (e.second.buffer) GL(DeleteBuffers)(1, &e.second.buffer);
}

void IndexCache::Clear(GlState& gl) {
  for (auto& e : entries_) {
    if (!e.second.buffer) continue;
    gl.ForgetBuffer(e.second.buffer);
    GL(DeleteBuffers)(1, &e.second.buffer);
  }
  entries_.clear();
  bytes_ = 0;
}

GLuint IndexCache::Find(GlState& gl, const std::vector<BYTE>& indices) {
  const size_t hash = std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(indices.data()), indices.size()));
  auto range = entries_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it) {
    Entry& e = it->second;
    if (e.indices != indices) continue;
    if (!e.buffer) {  // the second sight: worth keeping
      GL(GenBuffers)(1, &e.buffer);
      gl.BindArrayBuffer(e.buffer);
      GL(BufferData)
      (GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size()), indices.data(), GL_STATIC_DRAW);
      ++g_bufferData;
    }
    return e.buffer;
  }
  if (entries_.size() >= kMaxEntries || bytes_ + indices.size() > kMaxBytes) Clear(gl);
  entries_.emplace(hash, Entry{indices, 0});
  bytes_ += indices.size();
  return 0;
}

}  // namespace d3d8
