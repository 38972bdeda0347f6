// SPDX-License-Identifier: MIT
// Generates and caches the GLSL programs of the fixed-function pipeline:
// transform (with the pixel-centre offset and 0..1 depth), lighting as
// Direct3D 8 computes it per vertex, the two texture stages and alpha test.
#include "ffp_program.h"

#include "debug.h"

#include <host/host.h>

#include <cstring>
#include <string>

namespace d3d8 {

bool ProgramKey::operator==(const ProgramKey& o) const {
  return std::memcmp(this, &o, sizeof(*this)) == 0;
}

size_t ProgramKeyHash::operator()(const ProgramKey& k) const {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&k);
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof(k); ++i) h = (h ^ p[i]) * 1099511628211ull;
  return static_cast<size_t>(h);
}

bool DecodeFvf(DWORD fvf, FvfLayout* out) {
  static const int kPositionFloats[8] = {0, 3, 4, 4, 5, 6, 7, 8};  // by (fvf & 0xE) >> 1
  FvfLayout l;
  int kind = (fvf & D3DFVF_POSITION_MASK) >> 1;
  if (kind == 0 || (fvf & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)) != 0) return false;
  l.rhw = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  l.position = 0;
  l.positionFloats = l.rhw ? 4 : 3;
  UINT offset = kPositionFloats[kind] * 4;
  if (fvf & D3DFVF_NORMAL) l.normal = offset, offset += 12;
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) l.diffuse = offset, offset += 4;
  if (fvf & D3DFVF_SPECULAR) l.specular = offset, offset += 4;
  l.texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (l.texCount > 8) return false;
  static const int kDims[4] = {2, 3, 4, 1};  // by the two format bits of a set
  for (int i = 0; i < l.texCount; ++i) {
    l.tex[i] = offset;
    l.texDim[i] = kDims[(fvf >> (16 + 2 * i)) & 3];
    offset += l.texDim[i] * 4;
  }
  l.size = offset;
  *out = l;
  return true;
}

namespace {

// ------------------------------------------------------------ vertex stage

const char* const kMaterialSource[3] = {"", "diffuseIn", "specularIn"};

// Vector i of the transform or of the material: the one set, or the
// vertex's own slot's.
std::string Transform(const ProgramKey& k, int i) {
  if (k.slots) return "uSlots[slot + " + std::to_string(i) + "]";
  return "uTransform[" + std::to_string(i) + "]";
}

std::string Material(const ProgramKey& k, int i) {
  if (k.slots) return "uSlots[slot + " + std::to_string(kTransformVec4 + i) + "]";
  return "uMaterial[" + std::to_string(i) + "]";
}

// A matrix from four vectors of the transform, from `first` on.
std::string TransformMatrix(const ProgramKey& k, int first) {
  return "mat4(" + Transform(k, first) + ", " + Transform(k, first + 1) + ", " + Transform(k, first + 2) +
         ", " + Transform(k, first + 3) + ")";
}

std::string MaterialColor(const ProgramKey& k, uint8_t source, int materialIndex) {
  if (source == D3DMCS_COLOR1 || source == D3DMCS_COLOR2) return kMaterialSource[source];
  return Material(k, materialIndex);
}

std::string LightCode(const ProgramKey& k, int i) {
  std::string b = std::to_string(i * kLightVec4);
  auto at = [&](int field) { return "uLights[" + b + " + " + std::to_string(field) + "]"; };
  std::string s = "  {\n    vec3 L; float att = 1.0;\n";
  if (k.lightType[i] == D3DLIGHT_DIRECTIONAL) {
    s += "    L = -" + at(4) + ".xyz;\n";
  } else {
    s += "    vec3 d = " + at(3) + ".xyz - P; float dist = length(d);\n";
    s += "    L = dist > 0.0 ? d / dist : vec3(0.0);\n";
    s += "    vec4 ra = " + at(5) + ";\n";
    s += "    float den = ra.y + ra.z * dist + ra.w * dist * dist;\n";
    s += "    att = dist > ra.x ? 0.0 : (den > 0.0 ? 1.0 / den : 1.0);\n";
    if (k.lightType[i] == D3DLIGHT_SPOT) {
      s += "    vec4 sp = " + at(6) + ";\n";
      s += "    float rho = dot(-L, " + at(4) + ".xyz);\n";
      s += "    float spot = rho > sp.x ? 1.0 : (rho <= sp.y ? 0.0 : pow((rho - sp.y) / max(sp.x - sp.y, "
           "1e-6), sp.z));\n";
      s += "    att *= spot;\n";
    }
  }
  s += "    float nl = max(dot(N, L), 0.0);\n";
  s += "    ambientSum += " + at(2) + ".rgb * att;\n";
  s += "    diffuseSum += " + at(0) + ".rgb * nl * att;\n";
  if (k.specularEnable) {
    s += "    if (nl > 0.0) {\n      vec3 H = normalize(L + V);\n";
    s += "      float nh = max(dot(N, H), 0.0);\n";
    s += "      specularSum += " + at(1) + ".rgb * (power > 0.0 ? pow(nh, power) : 1.0) * att;\n    }\n";
  }
  return s + "  }\n";
}

std::string LightingCode(const ProgramKey& k) {
  std::string s;
  s += "  mat4 wv = " + TransformMatrix(k, 4) + ";\n";
  s += "  vec3 P = (wv * vec4(aPos.xyz, 1.0)).xyz;\n";
  if (k.hasNormal) {
    s += "  vec3 N = mat3(" + Transform(k, 8) + ".xyz, " + Transform(k, 9) + ".xyz, " + Transform(k, 10) +
         ".xyz) * aNormal;\n";
    if (k.normalize) s += "  if (dot(N, N) > 0.0) N = normalize(N);\n";
  } else {
    s += "  vec3 N = vec3(0.0);\n";
  }
  s += k.localViewer ? "  vec3 V = dot(P, P) > 0.0 ? -normalize(P) : vec3(0.0, 0.0, -1.0);\n"
                     : "  vec3 V = vec3(0.0, 0.0, -1.0);\n";
  s += "  float power = " + Material(k, 4) + ".x;\n";
  s += "  vec3 ambientSum = vec3(0.0), diffuseSum = vec3(0.0), specularSum = vec3(0.0);\n";
  for (int i = 0; i < k.lightCount; ++i) s += LightCode(k, i);
  s += "  vec4 md = " + MaterialColor(k, k.diffuseSource, 0) + ";\n";
  s += "  vec4 ma = " + MaterialColor(k, k.ambientSource, 1) + ";\n";
  s += "  vec4 ms = " + MaterialColor(k, k.specularSource, 2) + ";\n";
  s += "  vec4 me = " + MaterialColor(k, k.emissiveSource, 3) + ";\n";
  s += "  vec3 lit = me.rgb + ma.rgb * (" + Material(k, 5) + ".rgb + ambientSum) + md.rgb * diffuseSum;\n";
  s += "  vDiffuse = clamp(vec4(lit, md.a), 0.0, 1.0);\n";
  s += "  vSpecular = clamp(vec4(ms.rgb * specularSum, ms.a), 0.0, 1.0);\n";
  return s;
}

// ---------------------------------------------------------- texture stages

std::string ArgSource(uint8_t arg, int stage) {
  static const char* const kSources[6] = {"diffuse", "current", "", "uMisc[0]", "specular", "temp"};
  uint8_t which = arg & D3DTA_SELECTMASK;
  std::string s =
      which == D3DTA_TEXTURE ? "tex" + std::to_string(stage) : (which < 6 ? kSources[which] : "current");
  if (arg & D3DTA_ALPHAREPLICATE) s += ".aaaa";
  if (arg & D3DTA_COMPLEMENT) s = "(vec4(1.0) - " + s + ")";
  return s;
}

// The operation on the three arguments a0, a1, a2 (vec4), or empty when the
// operation is not one this device draws. "T" in an expression stands for
// the stage's own texture sample.
std::string OpCode(uint8_t op, int stage) {
  struct OpRow {
    uint8_t op;
    const char* code;
  };
  static const OpRow kOps[] = {
      {D3DTOP_SELECTARG1, "a1"},
      {D3DTOP_SELECTARG2, "a2"},
      {D3DTOP_MODULATE, "a1 * a2"},
      {D3DTOP_MODULATE2X, "a1 * a2 * 2.0"},
      {D3DTOP_MODULATE4X, "a1 * a2 * 4.0"},
      {D3DTOP_ADD, "a1 + a2"},
      {D3DTOP_ADDSIGNED, "a1 + a2 - vec4(0.5)"},
      {D3DTOP_ADDSIGNED2X, "(a1 + a2 - vec4(0.5)) * 2.0"},
      {D3DTOP_SUBTRACT, "a1 - a2"},
      {D3DTOP_ADDSMOOTH, "a1 + a2 - a1 * a2"},
      {D3DTOP_BLENDDIFFUSEALPHA, "mix(a2, a1, diffuse.a)"},
      {D3DTOP_BLENDTEXTUREALPHA, "mix(a2, a1, T.a)"},
      {D3DTOP_BLENDFACTORALPHA, "mix(a2, a1, uMisc[0].a)"},
      {D3DTOP_BLENDTEXTUREALPHAPM, "a1 + a2 * (1.0 - T.a)"},
      {D3DTOP_BLENDCURRENTALPHA, "mix(a2, a1, current.a)"},
      {D3DTOP_MODULATEALPHA_ADDCOLOR, "a1 + a1.aaaa * a2"},
      {D3DTOP_MODULATECOLOR_ADDALPHA, "a1 * a2 + a1.aaaa"},
      {D3DTOP_MODULATEINVALPHA_ADDCOLOR, "(1.0 - a1.aaaa) * a2 + a1"},
      {D3DTOP_MODULATEINVCOLOR_ADDALPHA, "(vec4(1.0) - a1) * a2 + a1.aaaa"},
      {D3DTOP_DOTPRODUCT3, "vec4(dot(a1.rgb - 0.5, a2.rgb - 0.5) * 4.0)"},
      {D3DTOP_MULTIPLYADD, "a0 + a1 * a2"},
      {D3DTOP_LERP, "mix(a2, a1, a0)"},
  };
  for (const OpRow& row : kOps) {
    if (row.op != op) continue;
    std::string code = row.code;
    const size_t t = code.find('T');
    if (t != std::string::npos) code.replace(t, 1, "tex" + std::to_string(stage));
    return code;
  }
  return "";
}

std::string StageCode(const ProgramKey::Stage& st, int i) {
  std::string s = "  {\n";
  std::string colorOp = OpCode(st.colorOp, i);
  std::string alphaOp = st.alphaOp == D3DTOP_DISABLE ? "" : OpCode(st.alphaOp, i);
  s += "    vec4 a0 = " + ArgSource(st.colorArg0, i) + ", a1 = " + ArgSource(st.colorArg1, i) +
       ", a2 = " + ArgSource(st.colorArg2, i) + ";\n";
  s += "    vec3 c = " + (colorOp.empty() ? std::string("current") : "(" + colorOp + ")") + ".rgb;\n";
  s += "    a0 = " + ArgSource(st.alphaArg0, i) + "; a1 = " + ArgSource(st.alphaArg1, i) +
       "; a2 = " + ArgSource(st.alphaArg2, i) + ";\n";
  s += "    float a = " + (alphaOp.empty() ? std::string("current") : "(" + alphaOp + ")") + ".a;\n";
  s += "    current = clamp(vec4(c, a), 0.0, 1.0);\n  }\n";
  return s;
}

#ifdef GLORBS_GL_ES
// GLSL ES 3.00 for WebGL 2: highp in both stages, else the shared uniforms
// differ in precision and the program does not link. Vertex colours come in
// memory order (B, G, R, A), as ES has no BGRA attribute size.
const char kVersion[] = "#version 300 es\nprecision highp float;\nprecision highp int;\n";
const char kColorOrder[] = ".bgra";
#else
const char kVersion[] = "#version 330 core\n";
const char kColorOrder[] = "";
#endif

const char* const kAlphaCompare[9] = {"", "false", "<", "==", "<=", ">", "!=", ">=", ""};

const char* const kBlockNames[kUniformGroups] = {"Transform", "Material", "Lights", "Misc", "Slots"};

// The block of group g: `uniform <Block> { vec4 u<Block>[n]; };`, the same in
// every program, so that one buffer range serves them all.
std::string Block(int g) {
  return "layout(std140) uniform " + std::string(kBlockNames[g]) + " { vec4 u" + kBlockNames[g] + "[" +
         std::to_string(kGroupVec4[g]) + "]; };\n";
}

}  // namespace

std::string VertexSource(const ProgramKey& k) {
  std::string q = k.flat ? "flat " : "";
  std::string s = kVersion;
  s += "layout(location = 0) in vec4 aPos;\nlayout(location = 1) in vec3 aNormal;\n";
  s += "layout(location = 2) in vec4 aDiffuse;\nlayout(location = 3) in vec4 aSpecular;\n";
  s += "layout(location = 4) in vec4 aTex0;\nlayout(location = 5) in vec4 aTex1;\n";
  s += Block(k.slots ? U_SLOTS : U_TRANSFORM) + Block(U_MISC);
  if (k.lighting) {
    if (!k.slots) s += Block(U_MATERIAL);
    if (k.lightCount) s += Block(U_LIGHTS);
  }
  if (k.slots) s += "layout(location = 6) in float aSlot;\n";
  if (k.textureSlots) s += "flat out int vTexSlot;\n";
  s += q + "out vec4 vDiffuse;\n" + q + "out vec4 vSpecular;\nout vec4 vTex0;\nout vec4 vTex1;\n";
  s += "void main() {\n  vec4 vp = uMisc[2];\n";
  if (k.slots) s += "  int slot = int(aSlot + 0.5) * " + std::to_string(kSlotVec4) + ";\n";
  if (k.textureSlots) s += "  vTexSlot = int(" + Transform(k, kSlotVec4 - 1) + ".x);\n";
  if (k.rhw) {
    // Screen-space vertices: Direct3D pixel centres sit on integer coordinates.
    s += "  float w = aPos.w != 0.0 ? 1.0 / aPos.w : 1.0;\n";
    s += "  vec3 ndc = vec3((aPos.x + 0.5 - vp.x) * vp.z - 1.0, (aPos.y + 0.5 - vp.y) * vp.w - 1.0, "
         "aPos.z * 2.0 - 1.0);\n";
    s += "  gl_Position = vec4(ndc * w, w);\n";
  } else {
    // Rows are stored top first, so y flips; z goes from 0..w to -w..w.
    s += "  vec4 c = " + TransformMatrix(k, 0) + " * vec4(aPos.xyz, 1.0);\n";
    s += "  gl_Position = vec4(c.x + c.w * vp.z * 0.5, -c.y + c.w * vp.w * 0.5, 2.0 * c.z - c.w, c.w);\n";
  }
  s += std::string("  vec4 diffuseIn = ") +
       (k.hasDiffuse ? "aDiffuse" + std::string(kColorOrder) : "vec4(1.0)") + ";\n";
  s += std::string("  vec4 specularIn = ") +
       (k.hasSpecular ? "aSpecular" + std::string(kColorOrder) : "vec4(0.0)") + ";\n";
  if (k.lighting)
    s += LightingCode(k);
  else
    s += "  vDiffuse = diffuseIn;\n  vSpecular = specularIn;\n";
  s += "  vTex0 = aTex0;\n  vTex1 = aTex1;\n}\n";
  return s;
}

std::string FragmentSource(const ProgramKey& k) {
  std::string q = k.flat ? "flat " : "";
  std::string s = kVersion;
  s += q + "in vec4 vDiffuse;\n" + q + "in vec4 vSpecular;\nin vec4 vTex0;\nin vec4 vTex1;\n";
  s += "uniform sampler2D uTex0;\nuniform sampler2D uTex1;\n";
  if (k.textureSlots) s += "uniform sampler2D uTex2;\nuniform sampler2D uTex3;\nflat in int vTexSlot;\n";
  s += Block(U_MISC) + "out vec4 fragColor;\n";
  s += "void main() {\n  vec4 diffuse = vDiffuse, specular = vSpecular, current = diffuse, temp = "
       "vec4(0.0);\n";
  for (int i = 0; i < 2; ++i) {
    const ProgramKey::Stage& st = k.stages[i];
    if (st.colorOp == D3DTOP_DISABLE || st.colorOp == 0) break;
    std::string n = std::to_string(i);
    if (i == 0 && k.textureSlots) {
      // Every texture is sampled where each would be alone, so that the
      // one the slot names is what drawing with it alone gives; a slot
      // without one runs the stage as it runs untextured.
      s += "  vec4 tex0 = texture(uTex0, vTex0.xy);\n";
      for (int t = 1; t < k.textureSlots; ++t) {
        const std::string u = std::to_string(t);
        s += "  vec4 slotTex" + u + " = texture(uTex" + u + ", vTex0.xy);\n";
        s += "  if (vTexSlot == " + u + ") tex0 = slotTex" + u + ";\n";
      }
      s += "  if (vTexSlot < 0) {\n    tex0 = vec4(1.0);\n" + StageCode(k.bare, 0) + "  } else {\n" +
           StageCode(st, 0) + "  }\n";
      continue;
    }
    if (st.hasTexture)
      s += "  vec4 tex" + n + " = texture(uTex" + n + ", vTex" + n + ".xy);\n";
    else
      s += "  vec4 tex" + n + " = vec4(1.0);\n";
    s += StageCode(st, i);
  }
  if (k.specularEnable) s += "  current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
  if (k.alphaFunc == D3DCMP_NEVER) {
    s += "  discard;\n";
  } else if (k.alphaFunc >= D3DCMP_LESS && k.alphaFunc <= D3DCMP_GREATEREQUAL) {
    s += "  if (!(floor(current.a * 255.0 + 0.5) " + std::string(kAlphaCompare[k.alphaFunc]) +
         " uMisc[1].x)) discard;\n";
  }
  s += "  fragColor = current;\n}\n";
  return s;
}

namespace {

GLuint Compile(GLenum type, const std::string& source) {
  GLuint shader = GL(CreateShader)(type);
  const char* text = source.c_str();
  GL(ShaderSource)(shader, 1, &text, nullptr);
  GL(CompileShader)(shader);
  GLint ok = 0;
  GL(GetShaderiv)(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    GL(GetShaderInfoLog)(shader, sizeof(log), nullptr, log);
    Diagnose(DIAG_SHADER_NOT_COMPILED, log);
    GL(DeleteShader)(shader);
    return 0;
  }
  return shader;
}

}  // namespace

Program* ProgramCache::Get(GlState& gl, const ProgramKey& key) {
  auto found = programs_.find(key);
  if (found != programs_.end()) return found->second->id ? found->second.get() : nullptr;
  auto p = std::make_unique<Program>();
  host::NoteHeapChurn();  // the driver's compiler leaves freed pages behind
  GLuint vs = Compile(GL_VERTEX_SHADER, VertexSource(key));
  GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, FragmentSource(key)) : 0;
  if (vs && fs) {
    GLuint id = GL(CreateProgram)();
    GL(AttachShader)(id, vs);
    GL(AttachShader)(id, fs);
    GL(LinkProgram)(id);
    GLint ok = 0;
    GL(GetProgramiv)(id, GL_LINK_STATUS, &ok);
    if (ok) {
      p->id = id;
      for (int g = 0; g < kUniformGroups; ++g) {
        const GLuint block = GL(GetUniformBlockIndex)(id, kBlockNames[g]);
        p->reads[g] = block != GL_INVALID_INDEX;
        if (p->reads[g]) GL(UniformBlockBinding)(id, block, static_cast<GLuint>(g));
      }
      gl.UseProgram(id);
      for (int unit = 0; unit < (key.textureSlots ? kTextureSlots : 2); ++unit) {
        const std::string name = "uTex" + std::to_string(unit);
        const GLint location = GL(GetUniformLocation)(id, name.c_str());
        GL(Uniform1i)(location, unit);
      }
      ++built_;
    } else {
      Diagnose(DIAG_PROGRAM_NOT_LINKED);
      GL(DeleteProgram)(id);
    }
  }
  if (vs) GL(DeleteShader)(vs);
  if (fs) GL(DeleteShader)(fs);
  Program* result = p->id ? p.get() : nullptr;
  programs_.emplace(key, std::move(p));
  return result;
}

void ProgramCache::Clear() {
  // Without a context the programs died with it: there is nothing to delete,
  // and no OpenGL to call.
  if (host::GetGLContext())
    for (auto& entry : programs_)
      if (entry.second->id) GL(DeleteProgram)(entry.second->id);
  programs_.clear();
}

}  // namespace d3d8
