// SPDX-License-Identifier: MIT
// State blocks: recorded between BeginStateBlock and EndStateBlock (the
// setters then write into the block, not the device), or made whole by
// CreateStateBlock; Capture refreshes the recorded values from the device,
// Apply sets them on it. Tokens are small nonzero numbers, never reused.
#include "device.h"

namespace d3d8 {

HRESULT Device::BeginStateBlock() {
  if (recording_) return D3DERR_INVALIDCALL;
  recording_ = std::make_unique<StateBlock>();
  return D3D_OK;
}

HRESULT Device::EndStateBlock(DWORD* token) {
  if (!token || !recording_) return D3DERR_INVALIDCALL;
  *token = nextBlock_++;
  blocks_[*token] = std::move(recording_);
  return D3D_OK;
}

HRESULT Device::ApplyStateBlock(DWORD token) {
  auto found = blocks_.find(token);
  if (found == blocks_.end() || recording_) return D3DERR_INVALIDCALL;
  ApplyBlock(*found->second);
  return D3D_OK;
}

HRESULT Device::CaptureStateBlock(DWORD token) {
  auto found = blocks_.find(token);
  if (found == blocks_.end() || recording_) return D3DERR_INVALIDCALL;
  CaptureBlock(*found->second);
  return D3D_OK;
}

HRESULT Device::DeleteStateBlock(DWORD token) {
  if (blocks_.erase(token) == 0 || recording_) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) {
  if (!token || recording_ || type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
  auto block = std::make_unique<StateBlock>();
  StateBlock& b = *block;
  for (DWORD s = 0; s < kRenderStates; ++s) {
    D3DRENDERSTATETYPE rs = static_cast<D3DRENDERSTATETYPE>(s);
    DWORD value = 0;
    if (SUCCEEDED(GetRenderState(rs, &value))) b.rs.set(s);
  }
  for (int stage = 0; stage < kStages; ++stage)
    for (DWORD t = 0; t < kStageStates; ++t) {
      DWORD value = 0;
      if (SUCCEEDED(GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(t), &value)))
        b.tss[stage].set(t);
    }
  if (type != D3DSBT_PIXELSTATE) {
    for (auto& light : state_.lights) b.lightValues[light.first] = b.lightEnables[light.first] = true;
    b.fvf = true;
  }
  if (type == D3DSBT_ALL) {
    b.world = b.view = b.projection = b.material = b.viewport = true;
    b.textures[0] = b.textures[1] = true;
    b.stream = b.indices = true;
  }
  CaptureBlock(b);
  *token = nextBlock_++;
  blocks_[*token] = std::move(block);
  return D3D_OK;
}

void Device::CaptureBlock(StateBlock& b) {
  const DeviceState& s = state_;
  DeviceState& v = b.values;
  for (DWORD i = 0; i < kRenderStates; ++i)
    if (b.rs[i]) v.rs[i] = s.rs[i];
  for (int stage = 0; stage < kStages; ++stage)
    for (DWORD t = 0; t < kStageStates; ++t)
      if (b.tss[stage][t]) v.tss[stage][t] = s.tss[stage][t];
  if (b.world) v.world = s.world;
  if (b.view) v.view = s.view;
  if (b.projection) v.projection = s.projection;
  if (b.material) v.material = s.material;
  if (b.viewport) v.viewport = s.viewport;
  for (int stage = 0; stage < kStages; ++stage)
    if (b.textures[stage]) v.textures[stage] = s.textures[stage];
  if (b.fvf) v.fvf = s.fvf;
  if (b.stream) v.stream = s.stream, v.stride = s.stride;
  if (b.indices) v.indices = s.indices, v.baseVertex = s.baseVertex;
  for (auto& entry : b.lightValues) {
    auto found = s.lights.find(entry.first);
    if (found != s.lights.end()) v.lights[entry.first].light = found->second.light;
  }
  for (auto& entry : b.lightEnables) {
    auto found = s.lights.find(entry.first);
    v.lights[entry.first].enabled = found != s.lights.end() && found->second.enabled;
  }
}

void Device::ApplyBlock(const StateBlock& b) {
  const DeviceState& v = b.values;
  for (DWORD i = 0; i < kRenderStates; ++i)
    if (b.rs[i]) SetRenderStateNow(i, v.rs[i]);
  for (int stage = 0; stage < kStages; ++stage) {
    for (DWORD t = 0; t < kStageStates; ++t)
      if (b.tss[stage][t]) SetStageStateNow(stage, t, v.tss[stage][t]);
    if (b.textures[stage]) SetTextureNow(stage, v.textures[stage]);
  }
  if (b.world) SetTransformNow(D3DTS_WORLD, v.world);
  if (b.view) SetTransformNow(D3DTS_VIEW, v.view);
  if (b.projection) SetTransformNow(D3DTS_PROJECTION, v.projection);
  if (b.material) SetMaterialNow(v.material);
  if (b.viewport) SetViewport(&v.viewport);  // refused if the back buffer shrank since
  if (b.fvf) SetFvfNow(v.fvf);
  if (b.stream) state_.stream = v.stream, state_.stride = v.stride;
  if (b.indices) state_.indices = v.indices, state_.baseVertex = v.baseVertex;
  for (auto& entry : b.lightValues) {
    auto found = v.lights.find(entry.first);
    if (found != v.lights.end()) SetLightNow(entry.first, found->second.light);
  }
  for (auto& entry : b.lightEnables) {
    auto found = v.lights.find(entry.first);
    if (found != v.lights.end()) LightEnableNow(entry.first, found->second.enabled ? TRUE : FALSE);
  }
}

}  // namespace d3d8
