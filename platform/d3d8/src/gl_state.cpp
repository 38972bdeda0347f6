// SPDX-License-Identifier: MIT
// The OpenGL state cache: each setter reaches the driver only when the value
// differs from what was last set. Relies on being the only user of the context.
#include "gl.h"

namespace d3d8 {

uint64_t g_glCalls = 0;
uint64_t g_draws = 0;
uint64_t g_bufferData = 0;

namespace {
const GLenum kCapNames[CAP_COUNT] = {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_STENCIL_TEST, GL_SCISSOR_TEST};
}

namespace {
// Values no call gives: the first use of a record always reaches the driver.
GlVertexArray UnknownVertexArray() {
  GlVertexArray v;
  v.elementBuffer = ~0u;
  for (GlAttrib& a : v.attribs) a = GlAttrib{false, ~0u};
  return v;
}
}  // namespace

void GlState::FindDirectAccess() {
#ifdef GLORBS_GL_ES
  directAccess_ = false;
#else
  directAccess_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_direct_state_access");
#endif
}

void GlState::Invalidate() {
  cache_ = GlCache();
  arrays_.clear();
  unknown_ = UnknownVertexArray();
  bound_ = &unknown_;
}

void GlState::UseProgram(GLuint program) {
  if (cache_.program == program) return;
  cache_.program = program;
  GL(UseProgram)(program);
}

void GlState::BindArrayBuffer(GLuint buffer) {
  if (cache_.arrayBuffer == buffer) return;
  cache_.arrayBuffer = buffer;
  GL(BindBuffer)(GL_ARRAY_BUFFER, buffer);
}

void GlState::BindUniformBuffer(GLuint buffer) {
  if (cache_.uniformBuffer == buffer) return;
  cache_.uniformBuffer = buffer;
  GL(BindBuffer)(GL_UNIFORM_BUFFER, buffer);
}

void GlState::BindElementBuffer(GLuint buffer) {
  if (bound_->elementBuffer == buffer) return;
  bound_->elementBuffer = buffer;
  GL(BindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffer);
}

void GlState::BindVertexArray(GLuint vao, GlVertexArray* state) {
  bound_ = state;
  if (cache_.vertexArray == vao) return;
  cache_.vertexArray = vao;
  GL(BindVertexArray)(vao);
}

void GlState::UseVertexArray(const GlVertexArrayKey& key) {
  auto found = arrays_.find(key);
  if (found == arrays_.end()) {
    OwnedVertexArray made;
    GL(GenVertexArrays)(1, &made.name);
    found = arrays_.emplace(key, made).first;
  }
  BindVertexArray(found->second.name, &found->second.state);
}

void GlState::DeleteVertexArrays() {
  for (auto& entry : arrays_) GL(DeleteVertexArrays)(1, &entry.second.name);
  arrays_.clear();
  cache_.vertexArray = ~0u;
  unknown_ = UnknownVertexArray();
  bound_ = &unknown_;
}

void GlState::BindDrawFramebuffer(GLuint fb) {
  if (cache_.drawFramebuffer == fb) return;
  cache_.drawFramebuffer = fb;
  GL(BindFramebuffer)(GL_DRAW_FRAMEBUFFER, fb);
}

void GlState::BindReadFramebuffer(GLuint fb) {
  if (cache_.readFramebuffer == fb) return;
  cache_.readFramebuffer = fb;
  GL(BindFramebuffer)(GL_READ_FRAMEBUFFER, fb);
}

void GlState::ActiveUnit(int unit) {
  if (cache_.activeUnit == unit) return;
  cache_.activeUnit = unit;
  GL(ActiveTexture)(GL_TEXTURE0 + unit);
}

void GlState::BindTexture(int unit, GLuint texture) {
  if (cache_.textures[unit] == texture) return;
#ifndef GLORBS_GL_ES
  if (directAccess_) {
    cache_.textures[unit] = texture;
    GL(BindTextureUnit)(static_cast<GLuint>(unit), texture);  // one call, and the active unit stays
    return;
  }
#endif
  BindForUpdate(unit, texture);
}

void GlState::BindForUpdate(int unit, GLuint texture) {
  ActiveUnit(unit);
  if (cache_.textures[unit] == texture) return;
  cache_.textures[unit] = texture;
  GL(BindTexture)(GL_TEXTURE_2D, texture);
}

void GlState::BindSampler(int unit, GLuint sampler) {
  if (cache_.samplers[unit] == sampler) return;
  cache_.samplers[unit] = sampler;
  GL(BindSampler)(unit, sampler);
}

void GlState::Enable(GlCap cap, bool on) {
  if (cache_.caps[cap] == static_cast<int>(on)) return;
  cache_.caps[cap] = on;
  if (on)
    GL(Enable)(kCapNames[cap]);
  else
    GL(Disable)(kCapNames[cap]);
}

void GlState::BlendFunc(GLenum src, GLenum dst) {
  if (cache_.blendSrc == src && cache_.blendDst == dst) return;
  cache_.blendSrc = src;
  cache_.blendDst = dst;
  GL(BlendFunc)(src, dst);
}

void GlState::BlendEquation(GLenum equation) {
  if (cache_.blendEquation == equation) return;
  cache_.blendEquation = equation;
  GL(BlendEquation)(equation);
}

void GlState::DepthFunc(GLenum func) {
  if (cache_.depthFunc == func) return;
  cache_.depthFunc = func;
  GL(DepthFunc)(func);
}

void GlState::DepthMask(bool on) {
  if (cache_.depthMask == static_cast<int>(on)) return;
  cache_.depthMask = on;
  GL(DepthMask)(on ? GL_TRUE : GL_FALSE);
}

void GlState::CullFace(GLenum face) {
  if (cache_.cullFace == face) return;
  cache_.cullFace = face;
  GL(CullFace)(face);
}

void GlState::PolygonMode(GLenum mode) {
  if (cache_.polygonMode == mode) return;
  cache_.polygonMode = mode;
  GL(PolygonMode)(GL_FRONT_AND_BACK, mode);
}

void GlState::ColorMask(int bits) {
  if (cache_.colorMask == bits) return;
  cache_.colorMask = bits;
  GL(ColorMask)((bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0);
}

void GlState::StencilFunc(GLenum func, GLint ref, GLuint mask) {
  if (cache_.stencilFunc == func && cache_.stencilRef == ref && cache_.stencilMask == mask) return;
  cache_.stencilFunc = func;
  cache_.stencilRef = ref;
  cache_.stencilMask = mask;
  GL(StencilFunc)(func, ref, mask);
}

void GlState::StencilOp(GLenum fail, GLenum zfail, GLenum pass) {
  if (cache_.stencilFail == fail && cache_.stencilZFail == zfail && cache_.stencilPass == pass) return;
  cache_.stencilFail = fail;
  cache_.stencilZFail = zfail;
  cache_.stencilPass = pass;
  GL(StencilOp)(fail, zfail, pass);
}

void GlState::StencilWriteMask(GLuint mask) {
  if (cache_.stencilWriteKnown && cache_.stencilWriteMask == mask) return;
  cache_.stencilWriteKnown = true;
  cache_.stencilWriteMask = mask;
  GL(StencilMask)(mask);
}

void GlState::Viewport(GLint x, GLint y, GLint w, GLint h) {
  GLint* v = cache_.viewport;
  if (v[0] == x && v[1] == y && v[2] == w && v[3] == h) return;
  v[0] = x, v[1] = y, v[2] = w, v[3] = h;
  GL(Viewport)(x, y, w, h);
}

void GlState::Scissor(GLint x, GLint y, GLint w, GLint h) {
  GLint* v = cache_.scissor;
  if (v[0] == x && v[1] == y && v[2] == w && v[3] == h) return;
  v[0] = x, v[1] = y, v[2] = w, v[3] = h;
  GL(Scissor)(x, y, w, h);
}

void GlState::ClearColor(float r, float g, float b, float a) {
  float* c = cache_.clearColor;
  if (c[0] == r && c[1] == g && c[2] == b && c[3] == a) return;
  c[0] = r, c[1] = g, c[2] = b, c[3] = a;
  GL(ClearColor)(r, g, b, a);
}

void GlState::ClearDepth(float depth) {
  if (cache_.clearDepth == depth) return;
  cache_.clearDepth = depth;
  GL(ClearDepth)(depth);
}

void GlState::DepthRange(float n, float f) {
  if (cache_.depthRange[0] == n && cache_.depthRange[1] == f) return;
  cache_.depthRange[0] = n;
  cache_.depthRange[1] = f;
  GL(DepthRange)(n, f);
}

void GlState::Attrib(int index, const GlAttrib& a) {
  GlAttrib& c = bound_->attribs[index];
  if (!a.enabled) {
    if (c.enabled || c.buffer == ~0u) GL(DisableVertexAttribArray)(index);
    c = GlAttrib{};
    return;
  }
  if (!c.enabled) GL(EnableVertexAttribArray)(index);
  if (!c.enabled || c.buffer != a.buffer || c.size != a.size || c.type != a.type ||
      c.normalized != a.normalized || c.stride != a.stride || c.offset != a.offset) {
    BindArrayBuffer(a.buffer);
    GL(VertexAttribPointer)
    (index, a.size, a.type, a.normalized, a.stride, reinterpret_cast<const void*>(a.offset));
  }
  c = a;
}

void GlState::Forget(GLuint texture) {
  for (GLuint& t : cache_.textures)
    if (t == texture) t = ~0u;
}

void GlState::ForgetBuffer(GLuint buffer) {
  if (cache_.arrayBuffer == buffer) cache_.arrayBuffer = ~0u;
  if (cache_.uniformBuffer == buffer) cache_.uniformBuffer = ~0u;
  auto forget = [buffer](GlVertexArray& v) {
    if (v.elementBuffer == buffer) v.elementBuffer = ~0u;
    for (GlAttrib& a : v.attribs)
      if (a.buffer == buffer) a = GlAttrib{false, ~0u};
  };
  forget(unknown_);
  for (auto it = arrays_.begin(); it != arrays_.end();) {
    if (it->first.buffer != buffer) {
      forget(it->second.state);
      ++it;
      continue;
    }
    if (bound_ == &it->second.state) {
      unknown_ = UnknownVertexArray();
      bound_ = &unknown_;
      cache_.vertexArray = ~0u;  // deleting the bound object binds none
    }
    GL(DeleteVertexArrays)(1, &it->second.name);
    it = arrays_.erase(it);
  }
}

}  // namespace d3d8
