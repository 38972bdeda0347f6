// SPDX-License-Identifier: MIT
// The one doorway to OpenGL: every call goes through GL(...) so that the
// layer can count its own work, and the state cache below skips binds and
// toggles that would not change anything. Only platform/d3d8 includes this.
#pragma once

#include <cstdint>
#include <unordered_map>

#ifdef __EMSCRIPTEN__
// The web build draws with OpenGL ES 3.0 (WebGL 2). The calls that differ
// reach small adapters in gl_es.cpp; the rest of the layer keeps one path.
#define GLORBS_GL_ES 1
#include <GLES3/gl3.h>
#include "gl_es.h"
#else
#include <epoxy/gl.h>
#endif

namespace d3d8 {

extern uint64_t g_glCalls;
extern uint64_t g_draws;
extern uint64_t g_bufferData;  // buffer stores (re)specified with data
#define GL(name) (++::d3d8::g_glCalls, gl##name)

// One vertex attribute as last given to glVertexAttribPointer.
struct GlAttrib {
  bool enabled = false;
  GLuint buffer = 0;
  GLint size = 0;
  GLenum type = 0;
  GLboolean normalized = GL_FALSE;
  GLsizei stride = 0;
  uintptr_t offset = 0;
};

constexpr int kAttribCount = 7;  // position, normal, diffuse, specular, tex0, tex1, material slot
constexpr int kTextureUnits = 4;

// What a vertex array object holds, as last told: its element buffer and
// its attributes. A fresh object has no element buffer and every attribute
// off, which is what a default record says.
struct GlVertexArray {
  GLuint elementBuffer = 0;
  GlAttrib attribs[kAttribCount];
};

// Which vertex array object a draw uses: one per vertex buffer, vertex
// layout (the caller's own tag) and stride, so drawing from a buffer again
// binds its object rather than describing its attributes once more.
struct GlVertexArrayKey {
  GLuint buffer = 0;
  GLsizei stride = 0;
  uintptr_t offset = 0;
  uint64_t layout = 0;
  bool operator==(const GlVertexArrayKey& o) const {
    return buffer == o.buffer && stride == o.stride && offset == o.offset && layout == o.layout;
  }
};
struct GlVertexArrayKeyHash {
  size_t operator()(const GlVertexArrayKey& k) const {
    uint64_t h = k.layout * 0x9E3779B97F4A7C15ull;
    h ^= (static_cast<uint64_t>(k.buffer) << 32 | static_cast<uint32_t>(k.stride)) + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(k.offset) + (h << 6) + (h >> 2);
    return static_cast<size_t>(h);
  }
};

// What we last told OpenGL. Everything starts "unknown" (values no call can
// produce) so that the first use always reaches the driver.
struct GlCache {
  GLuint program = ~0u;
  GLuint arrayBuffer = ~0u;
  GLuint uniformBuffer = ~0u;
  GLuint drawFramebuffer = ~0u;
  GLuint readFramebuffer = ~0u;
  GLuint vertexArray = ~0u;
  int activeUnit = -1;
  GLuint textures[kTextureUnits] = {~0u, ~0u, ~0u, ~0u};
  GLuint samplers[kTextureUnits] = {~0u, ~0u, ~0u, ~0u};
  int caps[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  GLenum blendSrc = 0, blendDst = 0, blendEquation = 0;
  GLenum depthFunc = 0;
  int depthMask = -1;
  GLenum cullFace = 0;
  GLenum polygonMode = 0;
  int colorMask = -1;
  GLenum stencilFunc = 0;
  GLint stencilRef = -1;
  GLuint stencilMask = 0, stencilWriteMask = 0;
  bool stencilWriteKnown = false;
  GLenum stencilFail = 0, stencilZFail = 0, stencilPass = 0;
  GLint viewport[4] = {-1, -1, -1, -1};
  GLint scissor[4] = {-1, -1, -1, -1};
  float clearColor[4] = {-1.f, -1.f, -1.f, -1.f};
  float clearDepth = -1.f;
  float depthRange[2] = {-1.f, -1.f};
};

// Capabilities the cache tracks, by index into GlCache::caps.
enum GlCap { CAP_BLEND, CAP_DEPTH_TEST, CAP_CULL_FACE, CAP_STENCIL_TEST, CAP_SCISSOR_TEST, CAP_COUNT };

class GlState {
 public:
  GlState() { Invalidate(); }
  // Forgets everything told (a fresh context): the objects of the old one
  // are gone with it.
  void Invalidate();
  // With the new context current: whether objects can be reached without
  // binding them (OpenGL 4.5), which saves calls.
  void FindDirectAccess();
  bool directAccess() const { return directAccess_; }
  void UseProgram(GLuint program);
  void BindArrayBuffer(GLuint buffer);
  void BindUniformBuffer(GLuint buffer);
  // The element buffer belongs to the vertex array object bound.
  void BindElementBuffer(GLuint buffer);
  // Binds the vertex array object for `key`, made on first use; Attrib then
  // costs nothing for attributes it holds already.
  void UseVertexArray(const GlVertexArrayKey& key);
  // Deletes every vertex array object made here.
  void DeleteVertexArrays();
  void BindDrawFramebuffer(GLuint fb);
  void BindReadFramebuffer(GLuint fb);
  void ActiveUnit(int unit);
  void BindTexture(int unit, GLuint texture);
  // Binds and makes `unit` the active one, for calls that change the
  // texture (a name fresh from glGenTextures becomes a texture here).
  void BindForUpdate(int unit, GLuint texture);
  void BindSampler(int unit, GLuint sampler);
  // Whether a texture we know of (or none) is bound on `unit`.
  bool KnowsTexture(int unit) const { return cache_.textures[unit] != ~0u; }
  void Enable(GlCap cap, bool on);
  void BlendFunc(GLenum src, GLenum dst);
  void BlendEquation(GLenum equation);
  void DepthFunc(GLenum func);
  void DepthMask(bool on);
  void CullFace(GLenum face);
  void PolygonMode(GLenum mode);
  void ColorMask(int rgbaBits);
  void StencilFunc(GLenum func, GLint ref, GLuint mask);
  void StencilOp(GLenum fail, GLenum zfail, GLenum pass);
  void StencilWriteMask(GLuint mask);
  void Viewport(GLint x, GLint y, GLint w, GLint h);
  void Scissor(GLint x, GLint y, GLint w, GLint h);
  void ClearColor(float r, float g, float b, float a);
  void ClearDepth(float depth);
  void DepthRange(float n, float f);
  void Attrib(int index, const GlAttrib& a);
  // Forget a deleted object so that a recycled name is bound again.
  void Forget(GLuint texture);
  // A deleted buffer also takes the vertex array objects made for it, and
  // leaves the others' records of it unknown: they may still hold the old
  // object, which a recycled name must not be mistaken for.
  void ForgetBuffer(GLuint buffer);
  size_t vertexArrays() const { return arrays_.size(); }

 private:
  struct OwnedVertexArray {
    GLuint name = 0;
    GlVertexArray state;
  };
  void BindVertexArray(GLuint vao, GlVertexArray* state);

  GlCache cache_;
  bool directAccess_ = false;
  std::unordered_map<GlVertexArrayKey, OwnedVertexArray, GlVertexArrayKeyHash> arrays_;
  // The bound object's record; `unknown_` while the binding is not one of ours.
  GlVertexArray unknown_;
  GlVertexArray* bound_ = &unknown_;
};

}  // namespace d3d8
