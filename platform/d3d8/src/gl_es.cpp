// SPDX-License-Identifier: MIT
// The adapters gl_es.h declares: desktop OpenGL calls carried out on
// OpenGL ES 3.0 / WebGL 2. Built for the web only.
#define GLORBS_GL_ES_ADAPTERS 1
#include "gl.h"

#include "debug.h"
#include "formats.h"

#include <unordered_set>
#include <vector>

namespace d3d8 {
namespace es {
namespace {

GLint g_unpackRowLength = 0;
GLint g_packRowLength = 0;
// Textures whose format has no alpha: the desktop says so with a swizzle,
// which WebGL lacks, so their uploads get alpha 0xFF instead.
std::unordered_set<GLuint> g_opaque;
std::vector<uint8_t> g_scratch;

GLuint BoundTexture() {
  GLint t = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &t);
  return static_cast<GLuint>(t);
}

bool Native(GLenum format, GLenum type) {
  return format == GL_RGBA && type == GL_UNSIGNED_BYTE;
}

// The RGBA bytes of an upload, or null (and said why) if it cannot be made.
const void* Converted(GLenum format, GLenum type, const void* pixels, GLsizei width, GLsizei height) {
  g_scratch.resize(static_cast<size_t>(width) * height * 4);
  if (!ConvertToRgba(format, type, g_opaque.count(BoundTexture()) != 0, pixels, width, height,
                     g_unpackRowLength, g_scratch.data())) {
    Diagnose(DIAG_ES_UPLOAD_FORMAT);
    return nullptr;
  }
  return g_scratch.data();
}

GLint WrapMode(GLint mode) {
  return mode == GL_CLAMP_TO_BORDER ? GL_CLAMP_TO_EDGE : mode;  // no border colour before ES 3.2
}

bool IsWrap(GLenum name) {
  return name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T || name == GL_TEXTURE_WRAP_R;
}

}  // namespace

void TexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint border, GLenum format,
                GLenum type, const void* pixels) {
  if (pixels && !Native(format, type)) {
    pixels = Converted(format, type, pixels, width, height);
    if (!pixels) return;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(target, level, GL_RGBA8, width, height, border, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, g_unpackRowLength);
    return;
  }
  glTexImage2D(target, level, GL_RGBA8, width, height, border, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

void TexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                   GLenum type, const void* pixels) {
  if (Native(format, type)) {
    glTexSubImage2D(target, level, x, y, width, height, format, type, pixels);
    return;
  }
  pixels = Converted(format, type, pixels, width, height);
  if (!pixels) return;
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(target, level, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, g_unpackRowLength);
}

void TexParameteri(GLenum target, GLenum name, GLint value) {
  if (name == GL_TEXTURE_SWIZZLE_A) {
    if (value == GL_ONE)
      g_opaque.insert(BoundTexture());
    else
      g_opaque.erase(BoundTexture());
    return;
  }
  glTexParameteri(target, name, IsWrap(name) ? WrapMode(value) : value);
}

void SamplerParameteri(GLuint sampler, GLenum name, GLint value) {
  glSamplerParameteri(sampler, name, IsWrap(name) ? WrapMode(value) : value);
}

void DeleteTextures(GLsizei n, const GLuint* textures) {
  for (GLsizei i = 0; i < n; ++i) g_opaque.erase(textures[i]);
  glDeleteTextures(n, textures);
}

void PixelStorei(GLenum name, GLint value) {
  if (name == GL_UNPACK_ROW_LENGTH) g_unpackRowLength = value;
  if (name == GL_PACK_ROW_LENGTH) g_packRowLength = value;
  glPixelStorei(name, value);
}

void ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels) {
  if (Native(format, type)) {
    glReadPixels(x, y, width, height, format, type, pixels);
    return;
  }
  // The layer reads 32-bit BGRA only; ES always reads RGBA bytes.
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  SwapRedBlue(static_cast<uint8_t*>(pixels), width, height, g_packRowLength);
}

void VertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                         const void* offset) {
  // BGRA colours arrive as four bytes in memory order; the shaders swizzle.
  glVertexAttribPointer(index, size == GL_BGRA ? 4 : size, type, normalized, stride, offset);
}

void DrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint baseVertex) {
  if (baseVertex == 0) {
    glDrawElements(mode, count, type, indices);
    return;
  }
  // No base vertex before ES 3.2: every enabled attribute starts that many
  // vertices later for this draw, then goes back where it was.
  struct Saved {
    GLint buffer, size, type, normalized, stride;
    void* offset;
  } saved[kAttribCount] = {};
  bool moved[kAttribCount] = {};
  GLint arrayBuffer = 0;
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
  for (GLuint i = 0; i < static_cast<GLuint>(kAttribCount); ++i) {
    GLint enabled = 0;
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    if (!enabled) continue;
    Saved& s = saved[i];
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &s.buffer);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_SIZE, &s.size);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_TYPE, &s.type);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &s.normalized);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &s.stride);
    glGetVertexAttribPointerv(i, GL_VERTEX_ATTRIB_ARRAY_POINTER, &s.offset);
    if (s.stride == 0) continue;  // the layer always gives strides; a packed array is not ours
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(s.buffer));
    const uintptr_t at =
        reinterpret_cast<uintptr_t>(s.offset) + static_cast<uintptr_t>(baseVertex) * s.stride;
    glVertexAttribPointer(i, s.size, static_cast<GLenum>(s.type), static_cast<GLboolean>(s.normalized),
                          s.stride, reinterpret_cast<const void*>(at));
    moved[i] = true;
  }
  glDrawElements(mode, count, type, indices);
  for (GLuint i = 0; i < static_cast<GLuint>(kAttribCount); ++i) {
    if (!moved[i]) continue;
    const Saved& s = saved[i];
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(s.buffer));
    glVertexAttribPointer(i, s.size, static_cast<GLenum>(s.type), static_cast<GLboolean>(s.normalized),
                          s.stride, s.offset);
  }
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
}

}  // namespace es
}  // namespace d3d8
