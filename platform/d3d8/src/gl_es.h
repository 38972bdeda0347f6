// SPDX-License-Identifier: MIT
// What OpenGL ES 3.0 (WebGL 2) lacks of the desktop calls the layer makes,
// made good in one place: BGRA and 16-bit pixels are converted to RGBA bytes
// on upload and back on read-back, X8 formats get opaque alpha on upload (no
// texture swizzles on the web), BGRA vertex colours are fed as RGBA and
// swizzled in the shader, a base vertex moves the attribute offsets, border
// clamping falls back to edge clamping, and polygon modes do not exist.
// Only gl.h includes this, and only for the web build.
#pragma once

#include <GLES3/gl3.h>

#include <cstddef>
#include <cstdint>

// Desktop names the shared code spells; ES never receives them unconverted.
#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_BGR
#define GL_BGR 0x80E0
#endif
#ifndef GL_UNSIGNED_INT_8_8_8_8_REV
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#endif
#ifndef GL_UNSIGNED_SHORT_4_4_4_4_REV
#define GL_UNSIGNED_SHORT_4_4_4_4_REV 0x8365
#endif
#ifndef GL_UNSIGNED_SHORT_1_5_5_5_REV
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#endif
#ifndef GL_CLAMP_TO_BORDER
#define GL_CLAMP_TO_BORDER 0x812D
#endif
#ifndef GL_TEXTURE_SWIZZLE_A
#define GL_TEXTURE_SWIZZLE_A 0x8E45
#endif
#ifndef GL_POINT
#define GL_POINT 0x1B00
#define GL_LINE 0x1B01
#define GL_FILL 0x1B02
#endif
#ifndef GL_FIRST_VERTEX_CONVENTION
#define GL_FIRST_VERTEX_CONVENTION 0x8E4D
#endif

namespace d3d8 {
namespace es {

void TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                GLenum format, GLenum type, const void* pixels);
void TexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                   GLenum type, const void* pixels);
void TexParameteri(GLenum target, GLenum name, GLint value);
void SamplerParameteri(GLuint sampler, GLenum name, GLint value);
void DeleteTextures(GLsizei n, const GLuint* textures);
void PixelStorei(GLenum name, GLint value);
void ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels);
void VertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                         const void* offset);
void DrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint baseVertex);
inline void PolygonMode(GLenum, GLenum) {}  // ES fills; wireframe is a desktop debugging aid
inline void ProvokingVertex(GLenum) {}      // ES flat-shades from the last vertex
inline void ClearDepth(double depth) {
  glClearDepthf(static_cast<float>(depth));
}
inline void DepthRange(double n, double f) {
  glDepthRangef(static_cast<float>(n), static_cast<float>(f));
}
// Mapping is refused on the web: the stream is filled with glBufferSubData.
inline void* MapBufferRange(GLenum, GLintptr, GLsizeiptr, GLbitfield) {
  return nullptr;
}
inline GLboolean UnmapBuffer(GLenum) {
  return GL_FALSE;
}

}  // namespace es
}  // namespace d3d8

// GL(Name) pastes glName; these names lead to the adapters above instead.
#ifndef GLORBS_GL_ES_ADAPTERS
#define glTexImage2D ::d3d8::es::TexImage2D
#define glTexSubImage2D ::d3d8::es::TexSubImage2D
#define glTexParameteri ::d3d8::es::TexParameteri
#define glSamplerParameteri ::d3d8::es::SamplerParameteri
#define glDeleteTextures ::d3d8::es::DeleteTextures
#define glPixelStorei ::d3d8::es::PixelStorei
#define glReadPixels ::d3d8::es::ReadPixels
#define glVertexAttribPointer ::d3d8::es::VertexAttribPointer
#define glDrawElementsBaseVertex ::d3d8::es::DrawElementsBaseVertex
#define glPolygonMode ::d3d8::es::PolygonMode
#define glProvokingVertex ::d3d8::es::ProvokingVertex
#define glClearDepth ::d3d8::es::ClearDepth
#define glDepthRange ::d3d8::es::DepthRange
#define glMapBufferRange ::d3d8::es::MapBufferRange
#define glUnmapBuffer ::d3d8::es::UnmapBuffer
#endif
