// SPDX-License-Identifier: MIT
// Fixed-function state: the tables of render and texture-stage states with
// their Direct3D 8 defaults and what each one invalidates, transforms,
// material, lights, viewport, textures and vertex sources. While a state
// block records, setters write into the block instead of the device.
#include <cmath>
#include <cstring>

#include "debug.h"
#include "device.h"

namespace d3d8 {

namespace {

DWORD F(float f) {
  DWORD d = 0;
  std::memcpy(&d, &f, 4);
  return d;
}

// What changing a state makes stale.
enum StateEffect : uint8_t { KNOWN = 1, PROGRAM = 2, RASTER = 4, MISC = 8, MATERIAL = 16, SAMPLER = 32 };

struct StateInfo {
  DWORD state;
  DWORD initial;
  uint8_t effects;
};

const StateInfo kRenderStateTable[] = {
    {D3DRS_ZENABLE, D3DZB_FALSE, RASTER},  // set from EnableAutoDepthStencil on reset
    {D3DRS_FILLMODE, D3DFILL_SOLID, RASTER},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD, PROGRAM},
    {D3DRS_LINEPATTERN, 0, 0},
    {D3DRS_ZWRITEENABLE, TRUE, RASTER},
    {D3DRS_ALPHATESTENABLE, FALSE, PROGRAM},
    {D3DRS_LASTPIXEL, TRUE, 0},
    {D3DRS_SRCBLEND, D3DBLEND_ONE, RASTER},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO, RASTER},
    {D3DRS_CULLMODE, D3DCULL_CCW, RASTER},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL, RASTER},
    {D3DRS_ALPHAREF, 0, MISC},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS, PROGRAM},
    {D3DRS_DITHERENABLE, FALSE, 0},
    {D3DRS_ALPHABLENDENABLE, FALSE, RASTER},
    {D3DRS_FOGENABLE, FALSE, 0},
    {D3DRS_SPECULARENABLE, FALSE, PROGRAM},
    {D3DRS_ZVISIBLE, 0, 0},
    {D3DRS_FOGCOLOR, 0, 0},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE, 0},
    {D3DRS_FOGSTART, F(0.0f), 0},
    {D3DRS_FOGEND, F(1.0f), 0},
    {D3DRS_FOGDENSITY, F(1.0f), 0},
    {D3DRS_EDGEANTIALIAS, FALSE, 0},
    {D3DRS_ZBIAS, 0, 0},
    {D3DRS_RANGEFOGENABLE, FALSE, 0},
    {D3DRS_STENCILENABLE, FALSE, RASTER},
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP, RASTER},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP, RASTER},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP, RASTER},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS, RASTER},
    {D3DRS_STENCILREF, 0, RASTER},
    {D3DRS_STENCILMASK, 0xFFFFFFFF, RASTER},
    {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF, RASTER},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF, MISC},
    {D3DRS_WRAP0, 0, 0},
    {D3DRS_WRAP1, 0, 0},
    {D3DRS_WRAP2, 0, 0},
    {D3DRS_WRAP3, 0, 0},
    {D3DRS_WRAP4, 0, 0},
    {D3DRS_WRAP5, 0, 0},
    {D3DRS_WRAP6, 0, 0},
    {D3DRS_WRAP7, 0, 0},
    {D3DRS_CLIPPING, TRUE, 0},
    {D3DRS_LIGHTING, TRUE, PROGRAM},
    {D3DRS_AMBIENT, 0, MATERIAL},
    {D3DRS_FOGVERTEXMODE, D3DFOG_NONE, 0},
    {D3DRS_COLORVERTEX, TRUE, PROGRAM},
    {D3DRS_LOCALVIEWER, TRUE, PROGRAM},
    {D3DRS_NORMALIZENORMALS, FALSE, PROGRAM},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1, PROGRAM},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2, PROGRAM},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL, PROGRAM},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL, PROGRAM},
    {D3DRS_VERTEXBLEND, D3DVBF_DISABLE, 0},
    {D3DRS_CLIPPLANEENABLE, 0, 0},
    {D3DRS_SOFTWAREVERTEXPROCESSING, TRUE, 0},
    {D3DRS_POINTSIZE, F(1.0f), 0},
    {D3DRS_POINTSIZE_MIN, F(0.0f), 0},
    {D3DRS_POINTSPRITEENABLE, FALSE, 0},
    {D3DRS_POINTSCALEENABLE, FALSE, 0},
    {D3DRS_POINTSCALE_A, F(1.0f), 0},
    {D3DRS_POINTSCALE_B, F(0.0f), 0},
    {D3DRS_POINTSCALE_C, F(0.0f), 0},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE, 0},
    {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF, 0},
    {D3DRS_PATCHEDGESTYLE, 0, 0},
    {D3DRS_PATCHSEGMENTS, F(1.0f), 0},
    {D3DRS_DEBUGMONITORTOKEN, 0, 0},
    {D3DRS_POINTSIZE_MAX, F(64.0f), 0},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE, 0},
    {D3DRS_COLORWRITEENABLE, 0xF, RASTER},
    {D3DRS_TWEENFACTOR, F(0.0f), 0},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD, RASTER},
};

// Stage defaults; COLOROP, ALPHAOP and TEXCOORDINDEX depend on the stage.
const StateInfo kStageStateTable[] = {
    {D3DTSS_COLOROP, D3DTOP_DISABLE, PROGRAM},
    {D3DTSS_COLORARG1, D3DTA_TEXTURE, PROGRAM},
    {D3DTSS_COLORARG2, D3DTA_CURRENT, PROGRAM},
    {D3DTSS_ALPHAOP, D3DTOP_DISABLE, PROGRAM},
    {D3DTSS_ALPHAARG1, D3DTA_TEXTURE, PROGRAM},
    {D3DTSS_ALPHAARG2, D3DTA_CURRENT, PROGRAM},
    {D3DTSS_BUMPENVMAT00, 0, 0},
    {D3DTSS_BUMPENVMAT01, 0, 0},
    {D3DTSS_BUMPENVMAT10, 0, 0},
    {D3DTSS_BUMPENVMAT11, 0, 0},
    {D3DTSS_TEXCOORDINDEX, 0, PROGRAM},
    {D3DTSS_ADDRESSU, D3DTADDRESS_WRAP, SAMPLER},
    {D3DTSS_ADDRESSV, D3DTADDRESS_WRAP, SAMPLER},
    {D3DTSS_BORDERCOLOR, 0, SAMPLER},
    {D3DTSS_MAGFILTER, D3DTEXF_POINT, SAMPLER},
    {D3DTSS_MINFILTER, D3DTEXF_POINT, SAMPLER},
    {D3DTSS_MIPFILTER, D3DTEXF_NONE, SAMPLER},
    {D3DTSS_MIPMAPLODBIAS, 0, 0},
    {D3DTSS_MAXMIPLEVEL, 0, 0},
    {D3DTSS_MAXANISOTROPY, 1, 0},
    {D3DTSS_BUMPENVLSCALE, 0, 0},
    {D3DTSS_BUMPENVLOFFSET, 0, 0},
    {D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE, 0},
    {D3DTSS_ADDRESSW, D3DTADDRESS_WRAP, 0},
    {D3DTSS_COLORARG0, D3DTA_CURRENT, PROGRAM},
    {D3DTSS_ALPHAARG0, D3DTA_CURRENT, PROGRAM},
    {D3DTSS_RESULTARG, D3DTA_CURRENT, 0},
};

struct EffectTable {
  uint8_t rs[kRenderStates] = {};
  uint8_t tss[kStageStates] = {};
  EffectTable() {
    for (const StateInfo& s : kRenderStateTable) rs[s.state] = s.effects | KNOWN;
    for (const StateInfo& s : kStageStateTable) tss[s.state] = s.effects | KNOWN;
  }
};
const EffectTable kEffects;

// Render-state values that change pictures in ways this device does not draw.
struct Unsupported {
  DWORD state;
  DWORD harmless;
  Diagnostic diagnostic;
};
const Unsupported kUnsupported[] = {
    {D3DRS_FOGENABLE, FALSE, DIAG_FOG},
    {D3DRS_VERTEXBLEND, D3DVBF_DISABLE, DIAG_VERTEX_BLEND},
    {D3DRS_CLIPPLANEENABLE, 0, DIAG_CLIP_PLANES},
    {D3DRS_ZBIAS, 0, DIAG_DEPTH_BIAS},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE, DIAG_VERTEX_BLEND},
};

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

}  // namespace

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] =
          a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

void Device::ResetState() {
  FlushDraws();
  DeviceState& s = state_;
  s = DeviceState{};
  for (const StateInfo& i : kRenderStateTable) s.rs[i.state] = i.initial;
  s.rs[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  s.rs[D3DRS_SOFTWAREVERTEXPROCESSING] = (behavior_ & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
  for (int stage = 0; stage < kStages; ++stage) {
    for (const StateInfo& i : kStageStateTable) s.tss[stage][i.state] = i.initial;
    s.tss[stage][D3DTSS_TEXCOORDINDEX] = stage;
  }
  s.tss[0][D3DTSS_COLOROP] = D3DTOP_MODULATE;
  s.tss[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
  s.world = s.view = s.projection = Identity();
  for (D3DMATRIX& m : textureTransforms_) m = Identity();
  s.viewport = D3DVIEWPORT8{0, 0, target_.width, target_.height, 0.0f, 1.0f};
  layout_ = FvfLayout{};
  programDirty_ = rasterDirty_ = samplersDirty_ = true;
  for (int g = 0; g < kUniformGroups; ++g) Bump(static_cast<UniformGroup>(g));
}

void Device::Forget(Texture* texture) {
  FlushDraws();
  for (Texture*& t : state_.textures)
    if (t == texture) t = nullptr, programDirty_ = true;
  auto clear = [&](StateBlock& b) {
    for (Texture*& t : b.values.textures)
      if (t == texture) t = nullptr;
  };
  for (auto& b : blocks_) clear(*b.second);
  if (recording_) clear(*recording_);
}

void Device::Forget(VertexBuffer* buffer) {
  FlushDraws();  // gathered indexed draws read the buffer's OpenGL copy
  if (state_.stream == buffer) state_.stream = nullptr;
  for (auto& b : blocks_)
    if (b.second->values.stream == buffer) b.second->values.stream = nullptr;
  if (recording_ && recording_->values.stream == buffer) recording_->values.stream = nullptr;
}

void Device::Forget(IndexBuffer* buffer) {
  FlushDraws();
  if (state_.indices == buffer) state_.indices = nullptr;
  for (auto& b : blocks_)
    if (b.second->values.indices == buffer) b.second->values.indices = nullptr;
  if (recording_ && recording_->values.indices == buffer) recording_->values.indices = nullptr;
}

// ------------------------------------------------------------ render states

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (static_cast<DWORD>(state) >= kRenderStates || !kEffects.rs[state]) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.rs[state] = value;
    recording_->rs.set(state);
    return D3D_OK;
  }
  return SetRenderStateNow(state, value);
}

HRESULT Device::SetRenderStateNow(DWORD state, DWORD value) {
  if (state_.rs[state] == value) return D3D_OK;
  HoldRenderState(state);
  state_.rs[state] = value;
  RenderStateChanged(state);
  for (const Unsupported& u : kUnsupported)
    if (u.state == state && value != u.harmless) DiagnoseOnce(u.diagnostic);
  return D3D_OK;
}

void Device::RenderStateChanged(DWORD state) {
  const uint8_t e = kEffects.rs[state];
  if (e & PROGRAM) programDirty_ = true;
  if (e & RASTER) rasterDirty_ = true;
  if (e & MISC) Bump(U_MISC);
  if (e & MATERIAL) Bump(U_MATERIAL);
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || static_cast<DWORD>(state) >= kRenderStates || !kEffects.rs[state]) return D3DERR_INVALIDCALL;
  *value = state_.rs[state];
  return D3D_OK;
}

// ---------------------------------------------------------- texture stages

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kStages || static_cast<DWORD>(type) >= kStageStates || !kEffects.tss[type])
    return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.tss[stage][type] = value;
    recording_->tss[stage].set(type);
    return D3D_OK;
  }
  return SetStageStateNow(stage, type, value);
}

HRESULT Device::SetStageStateNow(DWORD stage, DWORD type, DWORD value) {
  if (state_.tss[stage][type] == value) return D3D_OK;
  HoldStageState(stage, type);
  state_.tss[stage][type] = value;
  const uint8_t e = kEffects.tss[type];
  if (e & PROGRAM) programDirty_ = true;
  if (e & SAMPLER) samplersDirty_ = true;
  if (type == D3DTSS_TEXTURETRANSFORMFLAGS && value != D3DTTFF_DISABLE) DiagnoseOnce(DIAG_TEXTURE_TRANSFORM);
  if ((type == D3DTSS_TEXCOORDINDEX && (value & 0xFFFF0000u)) ||
      ((type == D3DTSS_COLOROP || type == D3DTSS_ALPHAOP) &&
       (value == D3DTOP_PREMODULATE || value == D3DTOP_BUMPENVMAP || value == D3DTOP_BUMPENVMAPLUMINANCE)))
    DiagnoseOnce(DIAG_STAGE_OPERATION);
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (!value || stage >= kStages || static_cast<DWORD>(type) >= kStageStates || !kEffects.tss[type])
    return D3DERR_INVALIDCALL;
  *value = state_.tss[stage][type];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* base) {
  if (stage >= kStages) return D3DERR_INVALIDCALL;
  Texture* texture = static_cast<Texture*>(base);
  if (texture && texture->pool() == D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.textures[stage] = texture;
    recording_->textures[stage] = true;
    return D3D_OK;
  }
  SetTextureNow(stage, texture);
  return D3D_OK;
}

void Device::SetTextureNow(DWORD stage, Texture* texture) {
  if (state_.textures[stage] == texture) return;
  HoldTexture(stage);
  if ((state_.textures[stage] == nullptr) != (texture == nullptr)) programDirty_ = true;
  state_.textures[stage] = texture;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
  if (!texture || stage >= kStages) return D3DERR_INVALIDCALL;
  *texture = state_.textures[stage];
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

// -------------------------------------------------------------- transforms

namespace {
bool KnownTransform(D3DTRANSFORMSTATETYPE t) {
  return t == D3DTS_VIEW || t == D3DTS_PROJECTION || t == D3DTS_WORLD ||
         (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7);
}
}  // namespace

D3DMATRIX* Device::TransformSlot(DeviceState& s, D3DTRANSFORMSTATETYPE t) {
  if (t == D3DTS_VIEW) return &s.view;
  if (t == D3DTS_PROJECTION) return &s.projection;
  if (t == D3DTS_WORLD) return &s.world;
  return &textureTransforms_[t - D3DTS_TEXTURE0];
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix || !KnownTransform(state)) return D3DERR_INVALIDCALL;
  if (recording_ && (state == D3DTS_VIEW || state == D3DTS_PROJECTION || state == D3DTS_WORLD)) {
    *TransformSlot(recording_->values, state) = *matrix;
    (state == D3DTS_VIEW         ? recording_->view
     : state == D3DTS_PROJECTION ? recording_->projection
                                 : recording_->world) = true;
    return D3D_OK;
  }
  SetTransformNow(state, *matrix);
  return D3D_OK;
}

void Device::SetTransformNow(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& m) {
  D3DMATRIX* slot = TransformSlot(state_, state);
  if (std::memcmp(slot, &m, sizeof(m)) == 0) return;
  // Gathered draws carry their own world transform; everything else they
  // read must stay as it was until they are submitted.
  if (state != D3DTS_WORLD) FlushDraws();
  *slot = m;
  if (state == D3DTS_VIEW || state == D3DTS_PROJECTION) ++viewProjSerial_;
  if (state == D3DTS_VIEW || state == D3DTS_PROJECTION || state == D3DTS_WORLD) Bump(U_TRANSFORM);
  if (state == D3DTS_VIEW) Bump(U_LIGHTS);  // lights are given to the shaders in camera space
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix || !KnownTransform(state)) return D3DERR_INVALIDCALL;
  *matrix = *TransformSlot(state_, state);
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix || !KnownTransform(state)) return D3DERR_INVALIDCALL;
  D3DMATRIX product = Multiply(*matrix, *TransformSlot(state_, state));
  return SetTransform(state, &product);
}

// -------------------------------------------------- viewport and material

HRESULT Device::SetViewport(const D3DVIEWPORT8* v) {
  if (!v || v->Width == 0 || v->Height == 0 || v->X > target_.width || v->Y > target_.height ||
      v->Width > target_.width - v->X || v->Height > target_.height - v->Y || !(v->MinZ >= 0.0f) ||
      !(v->MaxZ <= 1.0f) || v->MinZ > v->MaxZ)
    return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.viewport = *v;
    recording_->viewport = true;
    return D3D_OK;
  }
  SetViewportNow(*v);
  return D3D_OK;
}

void Device::SetViewportNow(const D3DVIEWPORT8& v) {
  FlushDraws();
  state_.viewport = v;
  rasterDirty_ = true;
  Bump(U_MISC);
}

HRESULT Device::GetViewport(D3DVIEWPORT8* v) {
  if (!v) return D3DERR_INVALIDCALL;
  *v = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  if (!material) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.material = *material;
    recording_->material = true;
    return D3D_OK;
  }
  SetMaterialNow(*material);
  return D3D_OK;
}

void Device::SetMaterialNow(const D3DMATERIAL8& m) {
  if (std::memcmp(&state_.material, &m, sizeof(m)) == 0) return;
  if (!SlotsMayJoin()) FlushDraws();
  state_.material = m;
  Bump(U_MATERIAL);
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = state_.material;
  return D3D_OK;
}

// ------------------------------------------------------------------- lights

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
  if (!light || index >= kMaxLightIndex) return D3DERR_INVALIDCALL;
  if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL || !(light->Range >= 0.0f))
    return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.lights[index].light = *light;
    recording_->lightValues[index] = true;
    return D3D_OK;
  }
  SetLightNow(index, *light);
  return D3D_OK;
}

void Device::SetLightNow(DWORD index, const D3DLIGHT8& light) {
  FlushDraws();
  LightSlot& slot = state_.lights[index];
  if (slot.enabled && slot.light.Type != light.Type) programDirty_ = true;
  slot.light = light;
  if (slot.enabled) Bump(U_LIGHTS);
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
  auto found = state_.lights.find(index);
  if (!light || found == state_.lights.end()) return D3DERR_INVALIDCALL;
  *light = found->second.light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (index >= kMaxLightIndex) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.lights[index].enabled = enable != FALSE;
    recording_->lightEnables[index] = true;
    return D3D_OK;
  }
  return LightEnableNow(index, enable);
}

HRESULT Device::LightEnableNow(DWORD index, BOOL enable) {
  auto found = state_.lights.find(index);
  if (found == state_.lights.end()) {
    // Enabling a light never set gives the default white directional light.
    LightSlot slot;
    slot.light.Type = D3DLIGHT_DIRECTIONAL;
    slot.light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
    slot.light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
    found = state_.lights.emplace(index, slot).first;
  }
  if (found->second.enabled == (enable != FALSE)) return D3D_OK;
  FlushDraws();
  found->second.enabled = enable != FALSE;
  programDirty_ = true;
  Bump(U_LIGHTS);
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  auto found = state_.lights.find(index);
  if (!enable || found == state_.lights.end()) return D3DERR_INVALIDCALL;
  *enable = found->second.enabled ? TRUE : FALSE;
  return D3D_OK;
}

// ------------------------------------------------------------ vertex input

HRESULT Device::SetVertexShader(DWORD handle) {
  FvfLayout layout;
  if (!DecodeFvf(handle, &layout)) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->values.fvf = handle;
    recording_->fvf = true;
    return D3D_OK;
  }
  SetFvfNow(handle);
  return D3D_OK;
}

void Device::SetFvfNow(DWORD fvf) {
  if (state_.fvf == fvf) return;
  FlushDraws();
  state_.fvf = fvf;
  if (!DecodeFvf(fvf, &layout_)) layout_ = FvfLayout{};
  programDirty_ = true;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
  if (!handle) return D3DERR_INVALIDCALL;
  *handle = state_.fvf;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  if (stream != 0 || stride > 2048) return D3DERR_INVALIDCALL;
  VertexBuffer* vb = static_cast<VertexBuffer*>(buffer);
  if (recording_) {
    recording_->values.stream = vb;
    recording_->values.stride = stride;
    recording_->stream = true;
    return D3D_OK;
  }
  state_.stream = vb;
  state_.stride = stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) {
  if (stream != 0 || !buffer || !stride) return D3DERR_INVALIDCALL;
  *buffer = state_.stream;
  if (*buffer) (*buffer)->AddRef();
  *stride = state_.stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) {
  IndexBuffer* ib = static_cast<IndexBuffer*>(buffer);
  if (recording_) {
    recording_->values.indices = ib;
    recording_->values.baseVertex = baseVertex;
    recording_->indices = true;
    return D3D_OK;
  }
  state_.indices = ib;
  state_.baseVertex = baseVertex;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertex) {
  if (!buffer || !baseVertex) return D3DERR_INVALIDCALL;
  *buffer = state_.indices;
  if (*buffer) (*buffer)->AddRef();
  *baseVertex = state_.baseVertex;
  return D3D_OK;
}

}  // namespace d3d8
