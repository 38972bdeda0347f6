// SPDX-License-Identifier: MIT
// The fixed-function pipeline as GLSL: a key built from the states that
// change the generated code, the program generated for each key (cached),
// and the uniform groups each program refreshes when their values change.
#pragma once

#include <d3d8types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "gl.h"

namespace d3d8 {

constexpr int kMaxLights = 8;

// Where each part of an FVF vertex lies.
struct FvfLayout {
  UINT size = 0;
  int position = -1;  // always 0 when valid
  int positionFloats = 0;
  bool rhw = false;
  int normal = -1, diffuse = -1, specular = -1;
  int texCount = 0;
  int tex[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int texDim[8] = {};
};
// False for codes without a position this device can draw (XYZ or XYZRHW,
// optionally with blend weights, which are skipped).
bool DecodeFvf(DWORD fvf, FvfLayout* out);

// Everything that changes the generated source. Plain bytes, zero-filled,
// compared and hashed as such.
struct ProgramKey {
  uint8_t rhw = 0, hasNormal = 0, hasDiffuse = 0, hasSpecular = 0;
  uint8_t lighting = 0, normalize = 0, localViewer = 0, specularEnable = 0;
  uint8_t diffuseSource = 0, ambientSource = 0, specularSource = 0, emissiveSource = 0;
  uint8_t flat = 0, alphaFunc = 0, lightCount = 0;
  // Each vertex names its slot (attribute 6): world transform, material
  // and which of the textures on units 0 to `textureSlots` - 1 stage 0
  // takes (none: the stage as `bare` describes it, drawn untextured).
  uint8_t slots = 0, textureSlots = 0, pad[2] = {};
  uint8_t lightType[kMaxLights] = {};
  struct Stage {
    uint8_t colorOp = 0, colorArg1 = 0, colorArg2 = 0, colorArg0 = 0;
    uint8_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0, alphaArg0 = 0;
    uint8_t texSet = 0, texDim = 0, hasTexture = 0, pad = 0;
  } stages[2], bare;

  bool operator==(const ProgramKey& o) const;
};
struct ProgramKeyHash {
  size_t operator()(const ProgramKey& k) const;
};

enum UniformGroup { U_TRANSFORM, U_MATERIAL, U_LIGHTS, U_MISC, U_SLOTS, kUniformGroups };

// Sizes (in vec4) of the uniform arrays, one array per group. Each group is
// a std140 block of one vec4 array, bound to the binding point of its own
// number, so every program reads the same copy: a group is uploaded once
// when it changes, not once per program.
constexpr int kTransformVec4 = 11;  // world-view-projection, world-view, normal matrix (3 rows)
constexpr int kMaterialVec4 = 6;    // diffuse, ambient, specular, emissive, (power), global ambient
constexpr int kLightVec4 =
    7;  // per light: diffuse, specular, ambient, position, direction, range+attenuation, spot
constexpr int kMiscVec4 = 3;  // texture factor, (alpha reference), viewport (x, y, 2/w, 2/h)
// Lit subsets gathered into one draw, each with the world transform,
// material and texture of its own in a slot: the transform's vectors, the
// material's, then the texture's number (x; -1 for none).
constexpr int kSlotVec4 = kTransformVec4 + kMaterialVec4 + 1;
constexpr int kSlots = 16;
constexpr int kTextureSlots = 4;  // texture units 0 to 3, while stage 1 is off
constexpr int kGroupVec4[kUniformGroups] = {kTransformVec4, kMaterialVec4, kMaxLights* kLightVec4, kMiscVec4,
                                            kSlots* kSlotVec4};

struct Program {
  GLuint id = 0;
  bool reads[kUniformGroups] = {};  // which groups' blocks the program uses
};

class ProgramCache {
 public:
  ~ProgramCache() { Clear(); }
  // Finds or builds the program for `key`; null if compiling failed (said
  // once on the debugger output).
  Program* Get(GlState& gl, const ProgramKey& key);
  void Clear();
  uint64_t built() const { return built_; }

 private:
  std::unordered_map<ProgramKey, std::unique_ptr<Program>, ProgramKeyHash> programs_;
  uint64_t built_ = 0;
};

// Generated sources, exposed for tests of the generator.
std::string VertexSource(const ProgramKey& key);
std::string FragmentSource(const ProgramKey& key);

}  // namespace d3d8
