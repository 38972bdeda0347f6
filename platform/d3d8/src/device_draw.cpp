// SPDX-License-Identifier: MIT
// Drawing: checks every draw against the buffers it reads, brings the GL
// state up to date (program from the state key, uniforms by group serial,
// raster state from tables, textures and samplers, vertex attributes) and
// submits one GL draw. Vertices given by pointer go through a stream buffer.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "debug.h"
#include "device.h"

namespace d3d8 {

namespace {

struct PrimInfo {
  GLenum mode;
  UINT perPrimitive, extra;  // vertices = count x perPrimitive + extra
};
const PrimInfo kPrimitives[] = {
    {0, 0, 0},
    {GL_POINTS, 1, 0},
    {GL_LINES, 2, 0},
    {GL_LINE_STRIP, 1, 1},
    {GL_TRIANGLES, 3, 0},
    {GL_TRIANGLE_STRIP, 1, 2},
    {GL_TRIANGLE_FAN, 1, 2},
};
constexpr UINT kMaxPrimitives = 0xFFFFF;
constexpr uint64_t kMaxUserBytes = 64u << 20;  // vertices handed over by pointer, per draw

bool Primitive(D3DPRIMITIVETYPE type, UINT count, GLenum* mode, UINT* vertices) {
  if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN || count > kMaxPrimitives) return false;
  *mode = kPrimitives[type].mode;
  *vertices = count * kPrimitives[type].perPrimitive + kPrimitives[type].extra;
  return true;
}

const GLenum kCompare[9] = {GL_ALWAYS,  GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                            GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
GLenum Compare(DWORD f) {
  return f < 9 ? kCompare[f] : GL_ALWAYS;
}

const GLenum kBlend[14] = {GL_ONE,
                           GL_ZERO,
                           GL_ONE,
                           GL_SRC_COLOR,
                           GL_ONE_MINUS_SRC_COLOR,
                           GL_SRC_ALPHA,
                           GL_ONE_MINUS_SRC_ALPHA,
                           GL_DST_ALPHA,
                           GL_ONE_MINUS_DST_ALPHA,
                           GL_DST_COLOR,
                           GL_ONE_MINUS_DST_COLOR,
                           GL_SRC_ALPHA_SATURATE,
                           GL_SRC_ALPHA,
                           GL_ONE_MINUS_SRC_ALPHA};
GLenum Blend(DWORD b, bool targetHasAlpha) {
  GLenum g = b < 14 ? kBlend[b] : GL_ONE;
  if (!targetHasAlpha && g == GL_DST_ALPHA) return GL_ONE;  // an X8 target reads as opaque
  if (!targetHasAlpha && g == GL_ONE_MINUS_DST_ALPHA) return GL_ZERO;
  return g;
}

const GLenum kBlendOp[6] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT,
                            GL_MIN,      GL_MAX};
const GLenum kStencilOp[9] = {GL_KEEP, GL_KEEP,   GL_ZERO,      GL_REPLACE,  GL_INCR,
                              GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
const GLenum kFill[4] = {GL_FILL, GL_POINT, GL_LINE, GL_FILL};
const GLenum kAddress[6] = {GL_REPEAT,        GL_REPEAT,          GL_MIRRORED_REPEAT,
                            GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER, GL_CLAMP_TO_EDGE};

GLenum Table(const GLenum* table, size_t size, DWORD v) {
  return v < size ? table[v] : table[0];
}

// A stage whose operation reads TEXTURE while no texture is set yields its
// other argument (both TEXTURE: the current colour), so a texture-less stage
// passes the diffuse colour and alpha through as the game's fades expect.
void ResolveMissingTexture(uint8_t& op, uint8_t& a1, uint8_t& a2) {
  if (op == D3DTOP_DISABLE) return;
  const bool t1 = (a1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE, t2 = (a2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  const bool reads1 = op != D3DTOP_SELECTARG2, reads2 = op != D3DTOP_SELECTARG1;
  if (!((t1 && reads1) || (t2 && reads2))) return;
  if (t1 && t2) {
    op = D3DTOP_SELECTARG1, a1 = D3DTA_CURRENT;
    return;
  }
  op = D3DTOP_SELECTARG1;
  if (t1) a1 = a2;
}

uint8_t MaterialSource(DWORD v, bool colorVertex, bool diffuse, bool specular) {
  if (!colorVertex || (v == D3DMCS_COLOR1 && !diffuse) || (v == D3DMCS_COLOR2 && !specular) ||
      v > D3DMCS_COLOR2)
    return D3DMCS_MATERIAL;
  return static_cast<uint8_t>(v);
}

void ColorToFloats(D3DCOLOR c, float* out) {
  out[0] = ((c >> 16) & 0xFF) / 255.0f;
  out[1] = ((c >> 8) & 0xFF) / 255.0f;
  out[2] = (c & 0xFF) / 255.0f;
  out[3] = (c >> 24) / 255.0f;
}

void Put(float* dst, const D3DCOLORVALUE& c) {
  dst[0] = c.r, dst[1] = c.g, dst[2] = c.b, dst[3] = c.a;
}

// Rows of the inverse-transpose of the upper 3x3 of m (normals transform by it).
void NormalMatrix(const D3DMATRIX& m, float* rows) {
  const float a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31, h = m._32,
              i = m._33;
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float det = a * A + b * B + c * C;
  const float k = det != 0.0f ? 1.0f / det : 0.0f;
  // inverse[r][c] = cofactor[c][r] / det, so its transpose is cofactor / det.
  const float cof[9] = {A,
                        B,
                        C,
                        -(b * i - c * h),
                        a * i - c * g,
                        -(a * h - b * g),
                        b * f - c * e,
                        -(a * f - c * d),
                        a * e - b * d};
  for (int r = 0; r < 3; ++r) {
    for (int col = 0; col < 3; ++col) rows[r * 4 + col] = cof[r * 3 + col] * k;
    rows[r * 4 + 3] = 0.0f;
  }
}

}  // namespace

// ------------------------------------------------------------- state key

void Device::BuildKey(ProgramKey* out) const {
  ProgramKey k;
  const DWORD* rs = state_.rs;
  const FvfLayout& l = layout_;
  k.rhw = l.rhw;
  k.hasNormal = l.normal >= 0;
  k.hasDiffuse = l.diffuse >= 0;
  k.hasSpecular = l.specular >= 0;
  k.lighting = rs[D3DRS_LIGHTING] && !l.rhw;
  k.specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
  if (k.lighting) {
    k.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
    k.localViewer = rs[D3DRS_LOCALVIEWER] != 0;
    const bool cv = rs[D3DRS_COLORVERTEX] != 0;
    k.diffuseSource = MaterialSource(rs[D3DRS_DIFFUSEMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
    k.ambientSource = MaterialSource(rs[D3DRS_AMBIENTMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
    k.specularSource = MaterialSource(rs[D3DRS_SPECULARMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
    k.emissiveSource = MaterialSource(rs[D3DRS_EMISSIVEMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
    for (const auto& entry : state_.lights) {
      if (!entry.second.enabled || k.lightCount == kMaxLights) continue;
      k.lightType[k.lightCount++] = static_cast<uint8_t>(entry.second.light.Type);
    }
    k.slots = drawingSlots_;
  }
  k.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  const DWORD func = rs[D3DRS_ALPHAFUNC];
  k.alphaFunc = rs[D3DRS_ALPHATESTENABLE] && func >= D3DCMP_NEVER && func < D3DCMP_ALWAYS ? func : 0;
  bool enabled = true;
  for (int i = 0; i < kStages; ++i) {
    enabled = enabled && state_.tss[i][D3DTSS_COLOROP] != D3DTOP_DISABLE;
    if (!enabled) {
      k.stages[i].colorOp = D3DTOP_DISABLE;
      continue;
    }
    k.stages[i] = StageKey(i, state_.textures[i] != nullptr);
  }
  if (drawingSlots_ && textureSlots_ && k.stages[0].colorOp != D3DTOP_DISABLE) {
    // Always all four: one program (and one set of the driver's compiled
    // code) serves every slotted draw, whatever its number of textures.
    k.textureSlots = kTextureSlots;
    k.bare = StageKey(0, false);
  }
  *out = k;
}

ProgramKey::Stage Device::StageKey(int i, bool hasTexture) const {
  const DWORD* t = state_.tss[i];
  ProgramKey::Stage st;
  st.colorOp = static_cast<uint8_t>(t[D3DTSS_COLOROP]);
  st.colorArg0 = static_cast<uint8_t>(t[D3DTSS_COLORARG0]);
  st.colorArg1 = static_cast<uint8_t>(t[D3DTSS_COLORARG1]);
  st.colorArg2 = static_cast<uint8_t>(t[D3DTSS_COLORARG2]);
  st.alphaOp = static_cast<uint8_t>(t[D3DTSS_ALPHAOP]);
  st.alphaArg0 = static_cast<uint8_t>(t[D3DTSS_ALPHAARG0]);
  st.alphaArg1 = static_cast<uint8_t>(t[D3DTSS_ALPHAARG1]);
  st.alphaArg2 = static_cast<uint8_t>(t[D3DTSS_ALPHAARG2]);
  st.hasTexture = hasTexture;
  if (!hasTexture) {
    ResolveMissingTexture(st.colorOp, st.colorArg1, st.colorArg2);
    ResolveMissingTexture(st.alphaOp, st.alphaArg1, st.alphaArg2);
  }
  const DWORD set = t[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
  st.texSet = static_cast<uint8_t>(std::min<DWORD>(set, 8));
  return st;
}

// -------------------------------------------------------------- uniforms

int Device::GroupValues(UniformGroup g, float* data) const {
  switch (g) {
    case U_TRANSFORM:
      TransformValues(state_.world, data);
      return kTransformVec4;
    case U_MATERIAL:
      MaterialValues(state_.material, data);
      return kMaterialVec4;
    case U_SLOTS:
      for (size_t i = 0; i < slots_.size(); ++i) {
        float* slot = data + i * kSlotVec4 * 4;
        TransformValues(slots_[i].world, slot);
        MaterialValues(slots_[i].material, slot + kTransformVec4 * 4);
        float* texture = slot + (kSlotVec4 - 1) * 4;
        texture[0] = static_cast<float>(SlotTexture(slots_[i].texture));
        texture[1] = texture[2] = texture[3] = 0.0f;
      }
      return static_cast<int>(slots_.size()) * kSlotVec4;
    case U_LIGHTS:
      return LightValues(data);
    case U_MISC: {
      ColorToFloats(state_.rs[D3DRS_TEXTUREFACTOR], data);
      data[4] = static_cast<float>(state_.rs[D3DRS_ALPHAREF] & 0xFF), data[5] = data[6] = data[7] = 0.0f;
      const D3DVIEWPORT8& vp = state_.viewport;
      data[8] = static_cast<float>(vp.X), data[9] = static_cast<float>(vp.Y);
      data[10] = 2.0f / vp.Width, data[11] = 2.0f / vp.Height;
      return kMiscVec4;
    }
    default:
      return 0;
  }
}

void Device::TransformValues(const D3DMATRIX& world, float* data) const {
  const D3DMATRIX wv = Multiply(world, state_.view);
  const D3DMATRIX wvp = Multiply(wv, state_.projection);
  std::memcpy(data, &wvp, 64);
  std::memcpy(data + 16, &wv, 64);
  NormalMatrix(wv, data + 32);
}

void Device::MaterialValues(const D3DMATERIAL8& m, float* data) const {
  Put(data, m.Diffuse), Put(data + 4, m.Ambient), Put(data + 8, m.Specular), Put(data + 12, m.Emissive);
  data[16] = m.Power, data[17] = data[18] = data[19] = 0.0f;
  ColorToFloats(state_.rs[D3DRS_AMBIENT], data + 20);
}

int Device::LightValues(float* data) const {
  int n = 0;
  const D3DMATRIX& v = state_.view;
  for (const auto& entry : state_.lights) {
    if (!entry.second.enabled || n == kMaxLights) continue;
    const D3DLIGHT8& L = entry.second.light;
    float* d = data + n * kLightVec4 * 4;
    Put(d, L.Diffuse), Put(d + 4, L.Specular), Put(d + 8, L.Ambient);
    const D3DVECTOR& P = L.Position;
    for (int c = 0; c < 3; ++c) d[12 + c] = P.x * v.m[0][c] + P.y * v.m[1][c] + P.z * v.m[2][c] + v.m[3][c];
    d[15] = 0.0f;
    const D3DVECTOR& D = L.Direction;
    float dir[3];
    for (int c = 0; c < 3; ++c) dir[c] = D.x * v.m[0][c] + D.y * v.m[1][c] + D.z * v.m[2][c];
    const float len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
    for (int c = 0; c < 3; ++c) d[16 + c] = len > 0.0f ? dir[c] / len : 0.0f;
    d[19] = 0.0f;
    d[20] = L.Range, d[21] = L.Attenuation0, d[22] = L.Attenuation1, d[23] = L.Attenuation2;
    d[24] = std::cos(L.Theta * 0.5f), d[25] = std::cos(L.Phi * 0.5f), d[26] = L.Falloff, d[27] = 0.0f;
    ++n;
  }
  return n * kLightVec4;
}

// The groups in the order they lie in the buffer: those that change
// together with a draw's model (its world and material) side by side, so
// that one upload carries both; the lights, of varying length, last.
const UniformGroup kBufferOrder[kUniformGroups] = {U_TRANSFORM, U_MATERIAL, U_MISC, U_LIGHTS, U_SLOTS};

void Device::UploadUniforms(const Program& p) {
  BYTE* staging = uniforms_.staging.data();
  GLintptr from = -1, to = 0;
  // Changed groups next to each other in the buffer go up as one range.
  auto send = [&] {
    if (from < 0) return;
    gl_.BindUniformBuffer(uniforms_.buffer);
    GL(BufferSubData)(GL_UNIFORM_BUFFER, from, to - from, staging + from);
    from = -1;
  };
  for (UniformGroup g : kBufferOrder) {
    if (!p.reads[g] || uniforms_.serial[g] == serials_[g]) {
      send();
      continue;
    }
    uniforms_.serial[g] = serials_[g];
    float* data = reinterpret_cast<float*>(staging + uniforms_.at[g]);
    const size_t bytes = static_cast<size_t>(GroupValues(g, data)) * 16;
    // A group set again to the values it holds (a model's materials
    // repeat) costs nothing.
    std::vector<float>& held = uniforms_.values[g];
    if (!bytes || (held.size() >= bytes / 4 && std::memcmp(held.data(), data, bytes) == 0)) {
      send();
      continue;
    }
    held.assign(data, data + bytes / 4);
    if (from < 0) from = uniforms_.at[g];
    to = uniforms_.at[g] + static_cast<GLintptr>(bytes);
  }
  send();
}

void Device::CreateUniformBuffer() {
  GLint align = 256;
  GL(GetIntegerv)(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &align);
  if (align <= 0) align = 256;
  GLintptr at = 0;
  for (UniformGroup g : kBufferOrder) {
    uniforms_.at[g] = at;
    at += (kGroupVec4[g] * 16 + align - 1) / align * align;
  }
  uniforms_.staging.assign(static_cast<size_t>(at), 0);
  GL(GenBuffers)(1, &uniforms_.buffer);
  gl_.BindUniformBuffer(uniforms_.buffer);
  GL(BufferData)(GL_UNIFORM_BUFFER, at, nullptr, GL_DYNAMIC_DRAW);
  ++g_bufferData;
  for (int g = 0; g < kUniformGroups; ++g) GL(BindBufferRange)
  (GL_UNIFORM_BUFFER, static_cast<GLuint>(g), uniforms_.buffer, uniforms_.at[g], kGroupVec4[g] * 16);
  for (int g = 0; g < kUniformGroups; ++g) uniforms_.serial[g] = ~0ull, uniforms_.values[g].clear();
}

// ---------------------------------------------------------- raster state

void Device::ApplyRasterState() {
  const DWORD* rs = state_.rs;
  const bool depth = rs[D3DRS_ZENABLE] != D3DZB_FALSE && target_.depthFormat;
  gl_.Enable(CAP_DEPTH_TEST, depth);
  if (depth) {
    gl_.DepthFunc(Compare(rs[D3DRS_ZFUNC]));
    gl_.DepthMask(rs[D3DRS_ZWRITEENABLE] != 0);
  }
  const bool blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
  gl_.Enable(CAP_BLEND, blend);
  if (blend) {
    const bool alpha = !target_.colorFormat->forceOpaque;
    DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
    if (src == D3DBLEND_BOTHSRCALPHA) src = D3DBLEND_SRCALPHA, dst = D3DBLEND_INVSRCALPHA;
    if (src == D3DBLEND_BOTHINVSRCALPHA) src = D3DBLEND_INVSRCALPHA, dst = D3DBLEND_SRCALPHA;
    gl_.BlendFunc(Blend(src, alpha), Blend(dst, alpha));
    gl_.BlendEquation(Table(kBlendOp, 6, rs[D3DRS_BLENDOP]));
  }
  // Rows are stored top first, so Direct3D's clockwise is OpenGL's
  // counter-clockwise: culling CCW removes GL back faces, CW front faces.
  const DWORD cull = rs[D3DRS_CULLMODE];
  gl_.Enable(CAP_CULL_FACE, cull == D3DCULL_CW || cull == D3DCULL_CCW);
  if (cull == D3DCULL_CW || cull == D3DCULL_CCW) gl_.CullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
  gl_.PolygonMode(Table(kFill, 4, rs[D3DRS_FILLMODE]));
  const bool stencil = rs[D3DRS_STENCILENABLE] && target_.depthFormat && target_.depthFormat->stencil;
  gl_.Enable(CAP_STENCIL_TEST, stencil);
  if (stencil) {
    gl_.StencilFunc(Compare(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xFF),
                    rs[D3DRS_STENCILMASK]);
    gl_.StencilOp(Table(kStencilOp, 9, rs[D3DRS_STENCILFAIL]), Table(kStencilOp, 9, rs[D3DRS_STENCILZFAIL]),
                  Table(kStencilOp, 9, rs[D3DRS_STENCILPASS]));
    gl_.StencilWriteMask(rs[D3DRS_STENCILWRITEMASK]);
  }
  gl_.ColorMask(static_cast<int>(rs[D3DRS_COLORWRITEENABLE] & 0xF));
  gl_.Enable(CAP_SCISSOR_TEST, false);
  const D3DVIEWPORT8& v = state_.viewport;
  gl_.Viewport(v.X, v.Y, v.Width, v.Height);
  gl_.DepthRange(v.MinZ, v.MaxZ);
}

GLuint Device::Sampler(DWORD stage) {
  const DWORD* t = state_.tss[stage];
  auto clamp3 = [](DWORD v) { return std::min<DWORD>(v, 5); };
  const DWORD minF = t[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR ? 1 : 0,
              magF = t[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? 1 : 0;
  const DWORD mip = std::min<DWORD>(t[D3DTSS_MIPFILTER], 2);
  const uint32_t key =
      minF | magF << 1 | mip << 2 | clamp3(t[D3DTSS_ADDRESSU]) << 4 | clamp3(t[D3DTSS_ADDRESSV]) << 8;
  auto found = samplers_.find(key);
  if (found != samplers_.end()) return found->second;
  static const GLenum kMin[2][3] = {{GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST_MIPMAP_LINEAR},
                                    {GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_LINEAR}};
  GLuint s = 0;
  GL(GenSamplers)(1, &s);
  GL(SamplerParameteri)(s, GL_TEXTURE_MIN_FILTER, kMin[minF][mip]);
  GL(SamplerParameteri)(s, GL_TEXTURE_MAG_FILTER, magF ? GL_LINEAR : GL_NEAREST);
  GL(SamplerParameteri)(s, GL_TEXTURE_WRAP_S, kAddress[clamp3(t[D3DTSS_ADDRESSU])]);
  GL(SamplerParameteri)(s, GL_TEXTURE_WRAP_T, kAddress[clamp3(t[D3DTSS_ADDRESSV])]);
  samplers_[key] = s;
  return s;
}

void Device::BindTextures(const ProgramKey& key) {
  for (int i = 0; i < kStages; ++i) {
    if (!key.stages[i].hasTexture || key.stages[i].colorOp == D3DTOP_DISABLE) continue;
    state_.textures[i]->Bind(gl_, i);
    if (samplersDirty_ || !stageSampler_[i]) stageSampler_[i] = Sampler(i);
    gl_.BindSampler(i, stageSampler_[i]);
  }
  samplersDirty_ = false;
  // A slotted draw's other textures sit on the units after stage 0's (stage
  // 1 is off), sampled as stage 0 samples.
  for (int unit = 1; unit < key.textureSlots; ++unit) {
    if (unit < textureSlots_) {
      slotTextures_[unit]->Bind(gl_, unit);
      gl_.BindSampler(unit, stageSampler_[0]);
    } else if (!gl_.KnowsTexture(unit)) {
      // A unit no slot names is sampled and its result goes unused: it
      // keeps whatever it holds, unless nothing of ours is known there.
      slotTextures_[0]->Bind(gl_, unit);
    }
  }
}

// ------------------------------------------------------------ preparation

HRESULT Device::PrepareDraw(GLuint buffer, uintptr_t offset, UINT stride) {
  gl_.BindDrawFramebuffer(target_.fbo);
  if (programDirty_) {
    BuildKey(&key_);
    program_ = programs_.Get(gl_, key_);
    programDirty_ = false;
  }
  if (!program_) return D3DERR_DRIVERINTERNALERROR;
  gl_.UseProgram(program_->id);
  UploadUniforms(*program_);
  if (rasterDirty_) {
    ApplyRasterState();
    rasterDirty_ = false;
  }
  BindTextures(key_);
  const FvfLayout& l = layout_;
  const GLsizei s = static_cast<GLsizei>(stride);
  // A stage's coordinates are fed whenever the vertex has the set it names,
  // textured or not (a stage without a texture never reads them), so each
  // buffer and layout keeps one vertex array object that never changes.
  int texSet[kStages] = {};
  uint64_t layoutTag = state_.fvf;
  for (int i = 0; i < kStages; ++i) {
    texSet[i] = key_.stages[i].texSet < l.texCount ? key_.stages[i].texSet : -1;
    layoutTag |= static_cast<uint64_t>(texSet[i] + 1) << (32 + 8 * i);
  }
  if (drawingSlots_) layoutTag |= uint64_t{1} << 48;
  gl_.UseVertexArray(GlVertexArrayKey{buffer, s, offset, layoutTag});
  gl_.Attrib(0, GlAttrib{true, buffer, l.positionFloats, GL_FLOAT, GL_FALSE, s, offset});
  gl_.Attrib(
      1, l.normal >= 0 ? GlAttrib{true, buffer, 3, GL_FLOAT, GL_FALSE, s, offset + l.normal} : GlAttrib{});
  gl_.Attrib(2, l.diffuse >= 0
                    ? GlAttrib{true, buffer, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, offset + l.diffuse}
                    : GlAttrib{});
  gl_.Attrib(3, l.specular >= 0
                    ? GlAttrib{true, buffer, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, offset + l.specular}
                    : GlAttrib{});
  for (int i = 0; i < kStages; ++i) {
    const int set = texSet[i];
    gl_.Attrib(4 + i, set >= 0 ? GlAttrib{true, buffer, l.texDim[set], GL_FLOAT, GL_FALSE, s,
                                          offset + static_cast<uintptr_t>(l.tex[set])}
                               : GlAttrib{});
  }
  gl_.Attrib(6,
             drawingSlots_ ? GlAttrib{true, buffer, 1, GL_FLOAT, GL_FALSE, s, offset + l.size} : GlAttrib{});
  ++g_draws;
  return D3D_OK;
}

void Device::StreamReserve(UINT size) {
  constexpr UINT kStreamBytes = 256u << 10;
  const UINT capacity = std::max(kStreamBytes, size);
  if (streamBuffer_ && streamUsed_ + size <= streamCapacity_) return;
  streamCapacity_ = capacity;
  streamUsed_ = 0;
  if (NextMappedStore(capacity)) return;
  if (!streamBuffer_) GL(GenBuffers)(1, &streamBuffer_);
  gl_.BindArrayBuffer(streamBuffer_);
  // A fresh store: draws still reading the old one are left alone.
  GL(BufferData)(GL_ARRAY_BUFFER, capacity, nullptr, GL_STREAM_DRAW);
  ++g_bufferData;
}

bool Device::NextMappedStore(UINT capacity) {
#ifdef GLORBS_GL_ES
  (void)capacity;
  return false;  // no persistent mapping before ES 3.2: copied call by call
#else
  if (mappedRefused_ || !(epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_buffer_storage")))
    return false;
  // Two stores mapped once for good, taken in turn: vertices are written
  // straight into them with no call per upload, and their vertex arrays
  // stay. A store is written again only once the draws that read it last
  // time round are done (a fence, long passed in practice).
  if (streamBuffer_) {
    stores_[store_].fence = GL(FenceSync)(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    store_ ^= 1;
  }
  MappedStore& next = stores_[store_];
  if (next.fence) {
    constexpr GLuint64 kWaitNs = 5000000000ull;
    GL(ClientWaitSync)(next.fence, GL_SYNC_FLUSH_COMMANDS_BIT, kWaitNs);
    GL(DeleteSync)(next.fence);
    next.fence = nullptr;
  }
  if (next.capacity < capacity) {
    if (next.buffer) {
      gl_.ForgetBuffer(next.buffer);
      GL(DeleteBuffers)(1, &next.buffer);
    }
    GL(GenBuffers)(1, &next.buffer);
    gl_.BindArrayBuffer(next.buffer);
    constexpr GLbitfield kFlags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    GL(BufferStorage)(GL_ARRAY_BUFFER, capacity, nullptr, kFlags);
    ++g_bufferData;
    next.bytes = static_cast<BYTE*>(GL(MapBufferRange)(GL_ARRAY_BUFFER, 0, capacity, kFlags));
    next.capacity = capacity;
  }
  if (!next.bytes) {
    DiagnoseOnce(DIAG_STREAM_NOT_MAPPED);  // then a plain store, refilled call by call
    DeleteMappedStores();
    mappedRefused_ = true;
    return false;
  }
  streamBuffer_ = next.buffer;
  streamMapped_ = next.bytes;
  streamCapacity_ = next.capacity;
  return true;
#endif
}

void Device::DeleteMappedStores() {
  for (MappedStore& s : stores_) {
    if (s.fence) GL(DeleteSync)(s.fence);
    if (s.buffer) {
      gl_.ForgetBuffer(s.buffer);
      GL(DeleteBuffers)(1, &s.buffer);
    }
    if (streamBuffer_ == s.buffer) streamBuffer_ = 0;
    s = MappedStore{};
  }
  streamMapped_ = nullptr;
}

uintptr_t Device::StreamUpload(const void* data, UINT size, UINT align) {
  uintptr_t at = (streamUsed_ + align - 1) / align * align;
  if (!streamBuffer_ || at + size > streamCapacity_) {
    StreamReserve(size + align);
    at = 0;
  }
  if (streamMapped_) {
    // Coherent: what is written here is what the next draw reads.
    std::memcpy(streamMapped_ + at, data, size);
    streamUsed_ = static_cast<UINT>(at + size);
    return at;
  }
  gl_.BindArrayBuffer(streamBuffer_);
  // Unsynchronised: this range is fresh, and draws still reading earlier
  // ranges of the store must not make us wait for them.
  void* p = GL(MapBufferRange)(GL_ARRAY_BUFFER, at, size,
                               GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
  bool stored = false;
  if (p) {
    std::memcpy(p, data, size);
    stored = GL(UnmapBuffer)(GL_ARRAY_BUFFER) == GL_TRUE;  // false: the store was lost meanwhile
  }
  if (!stored) {
    // Refused (always so on the web) or lost: said once, then copied the plain way.
    DiagnoseOnce(DIAG_STREAM_NOT_MAPPED);
    GL(BufferSubData)(GL_ARRAY_BUFFER, static_cast<GLintptr>(at), size, data);
  }
  streamUsed_ = static_cast<UINT>(at + size);
  return at;
}

// ------------------------------------------------------------------ draws

HRESULT Device::CheckStream(UINT firstVertex, UINT vertices, UINT* available) {
  VertexBuffer* vb = state_.stream;
  if (!layout_.size || !vb || state_.stride < layout_.size || vb->memory().lockCount)
    return D3DERR_INVALIDCALL;
  const uint64_t size = vb->size();
  *available = size < layout_.size ? 0 : static_cast<UINT>((size - layout_.size) / state_.stride + 1);
  if (static_cast<uint64_t>(firstVertex) + vertices > *available) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
  GLenum mode = 0;
  UINT n = 0, available = 0;
  if (!Primitive(type, count, &mode, &n)) return D3DERR_INVALIDCALL;
  HRESULT hr = CheckStream(startVertex, n, &available);
  if (FAILED(hr) || count == 0) return hr;
  VertexBuffer* vb = state_.stream;
  const BYTE* first = vb->memory().bytes.data() + static_cast<size_t>(startVertex) * state_.stride;
  if (Batchable(mode, n)) {
    BatchAdd(mode, first, state_.stride, n);
    return D3D_OK;
  }
  FlushDraws();
  BufferMemory& m = vb->memory();
  if (m.gl && m.dirtyHi > m.dirtyLo) {
    // Changed since its last upload (a buffer refilled every frame): the
    // vertices this draw reads go through the stream buffer rather than
    // re-specifying the buffer's own store.
    const UINT bytes = (n - 1) * state_.stride + layout_.size;
    const uintptr_t at = StreamUpload(first, bytes, state_.stride);
    hr = PrepareDraw(streamBuffer_, 0, state_.stride);
    if (FAILED(hr)) return hr;
    GL(DrawArrays)(mode, static_cast<GLint>(at / state_.stride), static_cast<GLsizei>(n));
    return D3D_OK;
  }
  GLuint buffer = UploadBuffer(gl_, m, GL_ARRAY_BUFFER, vb->dynamic());
  hr = PrepareDraw(buffer, 0, state_.stride);
  if (FAILED(hr)) return hr;
  GL(DrawArrays)(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(n));
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT startIndex, UINT count) {
  GLenum mode = 0;
  UINT n = 0, available = 0;
  if (!Primitive(type, count, &mode, &n)) return D3DERR_INVALIDCALL;
  IndexBuffer* ib = state_.indices;
  if (!ib || ib->memory().lockCount || static_cast<uint64_t>(startIndex) + n > ib->count())
    return D3DERR_INVALIDCALL;
  HRESULT hr = CheckStream(0, 0, &available);
  if (FAILED(hr) || count == 0) return hr;
  // Every index must name a vertex of the stream (the whole buffer's largest
  // index is cached, so the usual case costs no scan).
  const uint64_t base = state_.baseVertex;
  if (base + ib->MaxIndex(0, ib->count()) >= available && base + ib->MaxIndex(startIndex, n) >= available)
    return D3DERR_INVALIDCALL;
  if (IndexedAdd(mode, ib, startIndex, n)) return D3D_OK;
  FlushDraws();
  VertexBuffer* vb = state_.stream;
  GLuint vbuffer = UploadBuffer(gl_, vb->memory(), GL_ARRAY_BUFFER, vb->dynamic());
  hr = PrepareDraw(vbuffer, 0, state_.stride);
  if (FAILED(hr)) return hr;
  UploadBuffer(gl_, ib->memory(), GL_ELEMENT_ARRAY_BUFFER, ib->dynamic());
  gl_.BindElementBuffer(ib->memory().gl);
  const GLenum type32 = ib->indexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  GL(DrawElementsBaseVertex)
  (mode, static_cast<GLsizei>(n), type32,
   reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * ib->indexSize()),
   static_cast<GLint>(state_.baseVertex));
  return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride) {
  GLenum mode = 0;
  UINT n = 0;
  if (!data || !Primitive(type, count, &mode, &n) || !layout_.size || stride < layout_.size || stride > 2048)
    return D3DERR_INVALIDCALL;
  const uint64_t bytes = count ? static_cast<uint64_t>(n - 1) * stride + layout_.size : 0;
  if (bytes > kMaxUserBytes) return D3DERR_INVALIDCALL;
  // Drawing from memory leaves stream 0 unset, as Direct3D does.
  state_.stream = nullptr;
  state_.stride = 0;
  if (count == 0) return D3D_OK;
  if (Batchable(mode, n)) {
    BatchAdd(mode, static_cast<const BYTE*>(data), stride, n);
    return D3D_OK;
  }
  FlushDraws();
  // Vertices land on a multiple of the stride, so the attribute pointers
  // stay put from draw to draw and only the first vertex moves.
  const uintptr_t at = StreamUpload(data, static_cast<UINT>(bytes), stride);
  HRESULT hr = PrepareDraw(streamBuffer_, 0, stride);
  if (FAILED(hr)) return hr;
  GL(DrawArrays)(mode, static_cast<GLint>(at / stride), static_cast<GLsizei>(n));
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT count,
                                       const void* indices, D3DFORMAT indexFormat, const void* data,
                                       UINT stride) {
  GLenum mode = 0;
  UINT n = 0;
  if (!data || !indices || !Primitive(type, count, &mode, &n) || !layout_.size || stride < layout_.size ||
      stride > 2048 || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) || numVertices == 0)
    return D3DERR_INVALIDCALL;
  const UINT isize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
  const uint64_t vertices = static_cast<uint64_t>(minIndex) + numVertices;
  const uint64_t bytes = (vertices - 1) * stride + layout_.size;
  if (bytes > kMaxUserBytes) return D3DERR_INVALIDCALL;
  for (UINT i = 0; i < n; ++i) {
    uint32_t v = 0;
    std::memcpy(&v, static_cast<const BYTE*>(indices) + static_cast<size_t>(i) * isize, isize);
    if (v < minIndex || v >= vertices) return D3DERR_INVALIDCALL;
  }
  state_.stream = nullptr;
  state_.stride = 0;
  state_.indices = nullptr;
  state_.baseVertex = 0;
  if (count == 0) return D3D_OK;
  FlushDraws();
  // Indices that come back are read from the buffer kept for them; on the
  // web every list goes there, as WebGL ties a buffer to one kind of target
  // for good and the stream holds vertices.
  const BYTE* indexBytes = static_cast<const BYTE*>(indices);
  uintptr_t indexAt = 0;
  GLuint elements = indexCache_.Find(
      gl_, std::vector<BYTE>(indexBytes, indexBytes + static_cast<size_t>(n) * isize), isize, &indexAt);
  StreamReserve(static_cast<UINT>(bytes) + n * isize + stride + 4);  // both parts in one store
  const uintptr_t at = StreamUpload(data, static_cast<UINT>(bytes), stride);
  if (!elements) {
    indexAt = StreamUpload(indices, n * isize, isize);
    elements = streamBuffer_;
  }
  HRESULT hr = PrepareDraw(streamBuffer_, 0, stride);
  if (FAILED(hr)) return hr;
  gl_.BindElementBuffer(elements);
  GL(DrawElementsBaseVertex)
  (mode, static_cast<GLsizei>(n), isize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
   reinterpret_cast<const void*>(indexAt), static_cast<GLint>(at / stride));
  return D3D_OK;
}

}  // namespace d3d8
