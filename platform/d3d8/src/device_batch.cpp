// SPDX-License-Identifier: MIT
// Draw coalescing: small draws that differ only in the world transform and
// their vertices are gathered, their positions moved into world space on the
// CPU, and submitted as one OpenGL draw when anything else changes. Every
// state setter, clear, read-back, texture write and present flushes first.
// Such draws take this path even when each is submitted alone, so gathering
// changes only how many OpenGL draws there are: the same vertices reach the
// same program, and blending keeps their order, so the pixels are the same.
// Indexed list draws (mesh subsets) of one vertex buffer under one world
// transform are gathered as indices only: the GPU transforms the vertices as
// it would one draw at a time, so those pixels are the same too.
#include <algorithm>
#include <cstring>
#include <utility>

#include "device.h"

namespace d3d8 {

namespace {

constexpr UINT kBatchVertexLimit = 1536;       // larger draws go straight to OpenGL
constexpr UINT kBatchMaxVertices = 49152;      // a batch flushes itself past this
constexpr size_t kIndexedMaxBytes = 1u << 20;  // gathered indices flush past this

bool ListMode(GLenum mode) {
  return mode == GL_TRIANGLES || mode == GL_LINES || mode == GL_POINTS;
}

bool Affine(const D3DMATRIX& m) {
  return m._14 == 0.0f && m._24 == 0.0f && m._34 == 0.0f && m._44 == 1.0f;
}

// Row-vector product of (x, y, z, 1) with an affine matrix, in place.
void ToWorld(BYTE* vertex, const D3DMATRIX& m) {
  float p[3];
  std::memcpy(p, vertex, sizeof(p));
  float out[3];
  for (int c = 0; c < 3; ++c) out[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
  std::memcpy(vertex, out, sizeof(out));
}

// Which vertices of a strip or fan make up triangle i, as a list. Odd strip
// triangles keep their first vertex first and swap the other two, which
// keeps both their facing and the vertex flat shading takes its colour from;
// fan triangles rotate so that the vertex after the centre leads.
void BatchTriangle(GLenum mode, UINT i, UINT out[3]) {
  if (mode == GL_TRIANGLE_STRIP) {
    out[0] = i;
    out[1] = (i & 1) ? i + 2 : i + 1;
    out[2] = (i & 1) ? i + 1 : i + 2;
  } else {
    out[0] = i + 1;
    out[1] = i + 2;
    out[2] = 0;
  }
}

}  // namespace

bool Device::Batchable(GLenum mode, UINT vertices) const {
  if (vertices > kBatchVertexLimit || mode == GL_LINE_STRIP) return false;
  if (layout_.rhw) return true;  // screen-space vertices ignore the world transform
  // Vertex positions with blend weights, lit vertices (normals and light
  // distances live in camera space) and projective world matrices draw as
  // they are.
  return (state_.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZ && !state_.rs[D3DRS_LIGHTING] &&
         Affine(state_.world);
}

void Device::SettleHeld() {
  if (!anyHeld_) return;
  if (HeldAsGathered())
    ForgetHeld();  // all set back: this draw joins the waiting ones
  else
    FlushDraws();
}

void Device::BatchAdd(GLenum mode, const BYTE* data, UINT stride, UINT n) {
  if (indexedDraws_) FlushDraws();
  SettleHeld();
  const GLenum listMode = mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN ? GL_TRIANGLES : mode;
  if (batchVertices_ && (listMode != batchMode_ || batchVertices_ + 3 * n > kBatchMaxVertices)) FlushDraws();
  batchMode_ = listMode;
  const UINT size = layout_.size;
  const bool toWorld = !layout_.rhw;
  // Each source vertex is moved into world space once, then copied to
  // every triangle that uses it.
  const size_t sourceAt = batch_.size();
  batch_.resize(sourceAt + static_cast<size_t>(n) * size);
  for (UINT v = 0; v < n; ++v) {
    BYTE* to = batch_.data() + sourceAt + static_cast<size_t>(v) * size;
    std::memcpy(to, data + static_cast<size_t>(v) * stride, size);
    if (toWorld) ToWorld(to, state_.world);
  }
  if (listMode == mode) {
    batchVertices_ += n;
    if (!coalescing_) FlushDraws();
    return;
  }
  const UINT triangles = n - 2;
  std::vector<BYTE>& scratch = batchScratch_;
  scratch.assign(batch_.begin() + sourceAt, batch_.end());
  batch_.resize(sourceAt + static_cast<size_t>(triangles) * 3 * size);
  for (UINT t = 0; t < triangles; ++t) {
    UINT corner[3];
    BatchTriangle(mode, t, corner);
    for (int c = 0; c < 3; ++c)
      std::memcpy(batch_.data() + sourceAt + (static_cast<size_t>(t) * 3 + c) * size,
                  scratch.data() + static_cast<size_t>(corner[c]) * size, size);
  }
  batchVertices_ += triangles * 3;
  if (!coalescing_) FlushDraws();
}

void Device::HoldRenderState(DWORD state) {
  if (!Pending() || heldRs_[state]) return;
  heldRs_.set(state);
  heldRsValue_[state] = state_.rs[state];
  anyHeld_ = true;
}

void Device::HoldStageState(DWORD stage, DWORD type) {
  if (!Pending() || heldTss_[stage][type]) return;
  heldTss_[stage].set(type);
  heldTssValue_[stage][type] = state_.tss[stage][type];
  anyHeld_ = true;
}

void Device::HoldTexture(DWORD stage) {
  if (!Pending() || heldTexture_[stage]) return;
  heldTexture_[stage] = true;
  heldTextureValue_[stage] = state_.textures[stage];
  anyHeld_ = true;
}

bool Device::HeldAsGathered(bool exceptTexture0) const {
  for (DWORD i = 0; i < kRenderStates; ++i)
    if (heldRs_[i] && heldRsValue_[i] != state_.rs[i]) return false;
  for (int s = 0; s < kStages; ++s) {
    if (heldTexture_[s] && heldTextureValue_[s] != state_.textures[s] && !(exceptTexture0 && s == 0))
      return false;
    for (DWORD t = 0; t < kStageStates; ++t)
      if (heldTss_[s][t] && heldTssValue_[s][t] != state_.tss[s][t]) return false;
  }
  return true;
}

void Device::SwapHeld() {
  for (DWORD i = 0; i < kRenderStates; ++i) {
    if (!heldRs_[i]) continue;
    std::swap(heldRsValue_[i], state_.rs[i]);
    RenderStateChanged(i);
  }
  for (int s = 0; s < kStages; ++s) {
    if (heldTexture_[s]) std::swap(heldTextureValue_[s], state_.textures[s]);
    for (DWORD t = 0; t < kStageStates; ++t)
      if (heldTss_[s][t]) std::swap(heldTssValue_[s][t], state_.tss[s][t]);
  }
  // Stage states and textures feed no uniforms.
  programDirty_ = samplersDirty_ = true;
}

void Device::FlushDraws() {
  if (!Pending()) return;
  // Draw with the states the batch was gathered with, then back. The
  // uniform serials of the current values come back too, so programs that
  // hold those values upload nothing again.
  const bool held = anyHeld_;
  uint64_t serials[kUniformGroups];
  std::copy(serials_, serials_ + kUniformGroups, serials);
  if (held) SwapHeld();
  if (batchVertices_)
    DrawBatch();
  else
    DrawIndexed();
  if (held) {
    SwapHeld();
    ForgetHeld();
    std::copy(serials, serials + kUniformGroups, serials_);
  }
}

void Device::ForgetHeld() {
  heldRs_.reset();
  for (int s = 0; s < kStages; ++s) heldTss_[s].reset(), heldTexture_[s] = false;
  anyHeld_ = false;
}

void Device::DrawBatch() {
  const UINT size = layout_.size;
  const UINT vertices = batchVertices_;
  batchVertices_ = 0;
  if (!HasContext()) {  // the objects died with the context; so do the draws
    batch_.clear();
    return;
  }
  host::MakeGLCurrent();
  const uintptr_t at = StreamUpload(batch_.data(), vertices * size, size);
  batch_.clear();
  // Positions are already in world space: draw with an identity world, then
  // put the game's world matrix back for whatever comes next.
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  if (identityFor_ != viewProjSerial_) {
    identityFor_ = viewProjSerial_;
    identitySerial_ = ++serialCounter_;
  }
  uint64_t serial = identitySerial_;
  const bool swapWorld = !layout_.rhw;
  if (swapWorld) SwapWorld(identity, serial);
  if (SUCCEEDED(PrepareDraw(streamBuffer_, 0, size)))
    GL(DrawArrays)(batchMode_, static_cast<GLint>(at / size), static_cast<GLsizei>(vertices));
  if (swapWorld) SwapWorld(identity, serial);
}

void Device::SwapWorld(D3DMATRIX& world, uint64_t& serial) {
  std::swap(state_.world, world);
  std::swap(serials_[U_TRANSFORM], serial);
}

void Device::SwapMaterial(D3DMATERIAL8& material, uint64_t& serial) {
  std::swap(state_.material, material);
  std::swap(serials_[U_MATERIAL], serial);
}

// ---------------------------------------------------------- indexed draws

namespace {

// A draw naming more vertices than this is drawn from its own buffer
// rather than copied into a slotted one (a whole sea floor, say).
constexpr uint32_t kSlotSpanLimit = 4096;
constexpr UINT kSlotVertexLimit = 1u << 16;  // copied vertices a slotted draw holds at most

uint32_t IndexAt(const BYTE* indices, UINT isize, UINT i) {
  uint32_t v = 0;
  std::memcpy(&v, indices + static_cast<size_t>(i) * isize, isize);
  return v;
}

// How many vertices n indices name, from the lowest to the highest.
uint32_t IndexSpan(const BYTE* indices, UINT isize, UINT n, uint32_t* lowest = nullptr) {
  uint32_t lo = ~0u, hi = 0;
  for (UINT i = 0; i < n; ++i) {
    const uint32_t v = IndexAt(indices, isize, i);
    lo = std::min(lo, v), hi = std::max(hi, v);
  }
  if (lowest) *lowest = lo;
  return n ? hi - lo + 1 : 0;
}

}  // namespace

bool Device::IndexedJoinable(GLenum mode, IndexBuffer* ib) const {
  const BufferMemory& vm = state_.stream->memory();
  const Slot& s = slots_[0];
  // A vertex buffer written since the waiting draws were added would be
  // uploaded under them.
  return !slotted_ && state_.stream == indexedStream_ && state_.stride == indexedStride_ &&
         state_.baseVertex == indexedBase_ && ib->indexSize() == indexedSize_ && mode == indexedMode_ &&
         vm.dirtyHi <= vm.dirtyLo && std::memcmp(&state_.world, &s.world, sizeof(D3DMATRIX)) == 0 &&
         std::memcmp(&state_.material, &s.material, sizeof(D3DMATERIAL8)) == 0 &&
         state_.textures[0] == s.texture;
}

bool Device::SlotsMayJoin() const {
  return indexedDraws_ && !batchVertices_ && coalescing_ && state_.rs[D3DRS_LIGHTING] && !layout_.rhw;
}

bool Device::SlotJoinable(GLenum mode, IndexBuffer* ib, UINT startIndex, UINT n) const {
  if (!SlotsMayJoin() || mode != indexedMode_ || slots_.size() > static_cast<size_t>(kSlots)) return false;
  // Room for the values: a slot of their own, and stage 0's texture among
  // the few a draw may sample (only one while stage 1 is on).
  const Texture* texture = state_.textures[0];
  bool known = false, textureKnown = texture == nullptr;
  for (const Slot& s : slots_) {
    known = known ||
            (std::memcmp(&s.world, &state_.world, sizeof(D3DMATRIX)) == 0 &&
             std::memcmp(&s.material, &state_.material, sizeof(D3DMATERIAL8)) == 0 && s.texture == texture);
    textureKnown = textureKnown || s.texture == texture;
  }
  if (!known && slots_.size() == static_cast<size_t>(kSlots)) return false;
  const bool stage1Off =
      state_.tss[0][D3DTSS_COLOROP] == D3DTOP_DISABLE || state_.tss[1][D3DTSS_COLOROP] == D3DTOP_DISABLE;
  bool oneTexture = true;
  for (const Slot& s : slots_) oneTexture = oneTexture && s.texture == texture;
  if (!oneTexture && !stage1Off) return false;
  if (!textureKnown && slotTextures_.size() == static_cast<size_t>(kTextureSlots)) return false;
  // Room for the vertices: this draw's, and the waiting ones' when they are
  // copied now (while their buffer still holds what they were given).
  UINT vertices = slotVertexCount_;
  const uint32_t span = IndexSpan(
      ib->memory().bytes.data() + static_cast<size_t>(startIndex) * ib->indexSize(), ib->indexSize(), n);
  if (span > kSlotSpanLimit) return false;
  vertices += span;
  if (!slotted_) {
    const BufferMemory& m = indexedStream_->memory();
    if (m.dirtyHi > m.dirtyLo) return false;
    for (const auto& part : indexedParts_) {
      const uint32_t s = IndexSpan(indexed_.data() + static_cast<size_t>(part.first) * indexedSize_,
                                   indexedSize_, part.second);
      if (s > kSlotSpanLimit) return false;
      vertices += s;
    }
  }
  return vertices <= kSlotVertexLimit;
}

void Device::SlotPart(const BYTE* indices, UINT isize, UINT n, const BYTE* vertices, UINT stride, int slot) {
  uint32_t lo = 0;
  const uint32_t span = IndexSpan(indices, isize, n, &lo);
  const UINT size = layout_.size;
  const float slotValue = static_cast<float>(slot);
  const BYTE* s = reinterpret_cast<const BYTE*>(&slotValue);
  for (uint32_t v = 0; v < span; ++v) {
    const BYTE* vertex = vertices + (static_cast<size_t>(lo) + v) * stride;
    slotVertices_.insert(slotVertices_.end(), vertex, vertex + size);
    slotVertices_.insert(slotVertices_.end(), s, s + sizeof(float));
  }
  for (UINT i = 0; i < n; ++i) slotIndices_.push_back(IndexAt(indices, isize, i) - lo + slotVertexCount_);
  slotVertexCount_ += span;
}

int Device::CurrentSlot() {
  Texture* texture = state_.textures[0];
  for (size_t i = 0; i < slots_.size(); ++i)
    if (std::memcmp(&slots_[i].world, &state_.world, sizeof(D3DMATRIX)) == 0 &&
        std::memcmp(&slots_[i].material, &state_.material, sizeof(D3DMATERIAL8)) == 0 &&
        slots_[i].texture == texture)
      return static_cast<int>(i);
  slots_.push_back({state_.world, state_.material, texture});
  if (texture && SlotTexture(texture) < 0) slotTextures_.push_back(texture);
  return static_cast<int>(slots_.size()) - 1;
}

int Device::SlotTexture(const Texture* texture) const {
  for (size_t i = 0; i < slotTextures_.size(); ++i)
    if (slotTextures_[i] == texture) return static_cast<int>(i);
  return -1;
}

bool Device::IndexedAdd(GLenum mode, IndexBuffer* ib, UINT startIndex, UINT n) {
  if (!ListMode(mode)) return false;
  if (batchVertices_) FlushDraws();
  const UINT isize = ib->indexSize();
  if (indexedDraws_ && indexed_.size() + (slotIndices_.size() + n) * size_t{4} > kIndexedMaxBytes)
    FlushDraws();
  const bool joins = indexedDraws_ && (IndexedJoinable(mode, ib) || SlotJoinable(mode, ib, startIndex, n));
  if (anyHeld_) {
    // Stage 0's texture changed, and nothing else: the draw may still
    // join, with a slot that names its texture.
    if (HeldAsGathered() || (HeldAsGathered(true) && joins))
      ForgetHeld();
    else
      FlushDraws();
  }
  if (indexedDraws_ && !joins) FlushDraws();
  VertexBuffer* vb = state_.stream;
  // Both OpenGL copies are made current now; every other draw submits the
  // waiting ones before it uploads anything, so they stay as they are.
  UploadBuffer(gl_, vb->memory(), GL_ARRAY_BUFFER, vb->dynamic());
  UploadBuffer(gl_, ib->memory(), GL_ELEMENT_ARRAY_BUFFER, ib->dynamic());
  if (!indexedDraws_) {
    indexedStream_ = vb;
    indexedStride_ = state_.stride;
    indexedBase_ = state_.baseVertex;
    indexedSize_ = isize;
    indexedMode_ = mode;
    indexedSource_ = ib->memory().gl;
    indexedSourceAt_ = static_cast<uintptr_t>(startIndex) * isize;
    slots_.assign(1, Slot{state_.world, state_.material, state_.textures[0]});
    indexedWorldSerial_ = serials_[U_TRANSFORM];
    indexedMaterialSerial_ = serials_[U_MATERIAL];
    slotted_ = false;
    indexedParts_.clear();
    slotVertices_.clear();
    slotIndices_.clear();
    slotVertexCount_ = 0;
    slotTextures_.clear();
  } else if (!slotted_ && !IndexedJoinable(mode, ib)) {
    // Something differs: the draws so far take slot 0, copied now while
    // their buffer still holds what they were given.
    slotted_ = true;
    if (slots_[0].texture) slotTextures_.push_back(slots_[0].texture);
    const BYTE* vertices =
        indexedStream_->memory().bytes.data() + static_cast<size_t>(indexedBase_) * indexedStride_;
    for (const auto& part : indexedParts_)
      SlotPart(indexed_.data() + static_cast<size_t>(part.first) * indexedSize_, indexedSize_, part.second,
               vertices, indexedStride_, 0);
    indexed_.clear();
  }
  const BYTE* from = ib->memory().bytes.data() + static_cast<size_t>(startIndex) * isize;
  if (slotted_) {
    const int slot = CurrentSlot();
    SlotPart(from, isize, n,
             vb->memory().bytes.data() + static_cast<size_t>(state_.baseVertex) * state_.stride,
             state_.stride, slot);
  } else {
    indexed_.insert(indexed_.end(), from, from + static_cast<size_t>(n) * isize);
    indexedParts_.push_back({indexedCount_, n});
  }
  ++indexedDraws_;
  indexedCount_ += n;
  if (!coalescing_) FlushDraws();
  return true;
}

void Device::DrawIndexed() {
  const UINT draws = indexedDraws_, count = indexedCount_;
  indexedDraws_ = indexedCount_ = 0;
  if (!HasContext()) {  // the objects died with the context; so do the draws
    indexed_.clear();
    return;
  }
  host::MakeGLCurrent();
  if (slotted_) {
    DrawSlotted(count);
    return;
  }
  // Indices that come back frame after frame are read from the buffer kept
  // for them (every vertex array then keeps that one element buffer bound);
  // others, one draw alone from its own index buffer, more from the stream.
  uintptr_t at = 0;
  GLuint elements = indexCache_.Find(gl_, indexed_, indexedSize_, &at);
  if (!elements && draws == 1) {
    elements = indexedSource_;
    at = indexedSourceAt_;
  } else if (!elements) {
    at = StreamUpload(indexed_.data(), static_cast<UINT>(indexed_.size()), indexedSize_);
    elements = streamBuffer_;
  }
  indexed_.clear();
  // The world and material may have moved on since; these draws keep the
  // ones they had.
  D3DMATRIX world = slots_[0].world;
  uint64_t worldSerial = indexedWorldSerial_;
  D3DMATERIAL8 material = slots_[0].material;
  uint64_t materialSerial = indexedMaterialSerial_;
  SwapWorld(world, worldSerial);
  SwapMaterial(material, materialSerial);
  if (SUCCEEDED(PrepareDraw(indexedStream_->memory().gl, 0, indexedStride_))) {
    gl_.BindElementBuffer(elements);
    GL(DrawElementsBaseVertex)
    (indexedMode_, static_cast<GLsizei>(count), indexedSize_ == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
     reinterpret_cast<const void*>(at), static_cast<GLint>(indexedBase_));
  }
  SwapWorld(world, worldSerial);
  SwapMaterial(material, materialSerial);
}

void Device::DrawSlotted(UINT count) {
  // The copied vertices and their renumbered indices go up together (one
  // store, so that renewing it cannot part them); indices that repeat frame
  // after frame are found kept.
  const UINT stride = layout_.size + 4;
  const UINT vertexBytes = static_cast<UINT>(slotVertices_.size());
  const BYTE* indexBytes = reinterpret_cast<const BYTE*>(slotIndices_.data());
  indexed_.assign(indexBytes, indexBytes + slotIndices_.size() * 4);
  StreamReserve(vertexBytes + static_cast<UINT>(indexed_.size()) + stride + 4);
  const uintptr_t vertexAt = StreamUpload(slotVertices_.data(), vertexBytes, stride);
  uintptr_t at = 0;
  GLuint elements = indexCache_.Find(gl_, indexed_, 4, &at);
  if (!elements) {
    at = StreamUpload(indexed_.data(), static_cast<UINT>(indexed_.size()), 4);
    elements = streamBuffer_;
  }
  indexed_.clear();
  // One texture for all (or none): stage 0 draws with it as it is. More,
  // or some slots with and some without: each slot picks its own.
  bool bare = false;
  for (const Slot& s : slots_) bare = bare || !s.texture;
  textureSlots_ = slotTextures_.size() > 1 || (bare && !slotTextures_.empty())
                      ? static_cast<int>(slotTextures_.size())
                      : 0;
  Texture* texture = slotTextures_.empty() ? nullptr : slotTextures_[0];
  std::swap(texture, state_.textures[0]);
  drawingSlots_ = programDirty_ = true;
  Bump(U_SLOTS);
  if (SUCCEEDED(PrepareDraw(streamBuffer_, 0, stride))) {
    gl_.BindElementBuffer(elements);
    GL(DrawElementsBaseVertex)
    (indexedMode_, static_cast<GLsizei>(count), GL_UNSIGNED_INT, reinterpret_cast<const void*>(at),
     static_cast<GLint>(vertexAt / stride));
  }
  std::swap(texture, state_.textures[0]);
  drawingSlots_ = false;
  textureSlots_ = 0;
  programDirty_ = true;
}

}  // namespace d3d8
