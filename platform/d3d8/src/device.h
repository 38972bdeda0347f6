// SPDX-License-Identifier: MIT
// The Direct3D 8 device on OpenGL: its state (what state blocks capture),
// the back buffer as a framebuffer object, presentation, device loss, and
// the fixed-function pipeline through generated GLSL programs.
#pragma once

#include <d3d8.h>
#include <host/host.h>

#include <bitset>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ffp_program.h"
#include "gl.h"
#include "index_cache.h"
#include "resources.h"

namespace d3d8 {

constexpr int kStages = 2;            // texture stages 0 and 1
constexpr DWORD kRenderStates = 256;  // render-state values are below this
constexpr DWORD kStageStates = 32;    // texture-stage-state values are below this
constexpr DWORD kMaxLightIndex = 4096;

struct LightSlot {
  D3DLIGHT8 light{};
  bool enabled = false;
};

// Everything SetXxx can change and a state block can capture.
struct DeviceState {
  DWORD rs[kRenderStates] = {};
  DWORD tss[kStages][kStageStates] = {};
  D3DMATRIX world{}, view{}, projection{};
  D3DMATERIAL8 material{};
  D3DVIEWPORT8 viewport{};
  std::map<DWORD, LightSlot> lights;
  Texture* textures[kStages] = {};
  DWORD fvf = 0;
  VertexBuffer* stream = nullptr;
  UINT stride = 0;
  IndexBuffer* indices = nullptr;
  UINT baseVertex = 0;
};

// What a state block holds: values plus which of them it recorded.
struct StateBlock {
  DeviceState values;
  std::bitset<kRenderStates> rs;
  std::bitset<kStageStates> tss[kStages];
  bool world = false, view = false, projection = false, material = false, viewport = false;
  bool textures[kStages] = {};
  bool fvf = false, stream = false, indices = false;
  std::map<DWORD, bool> lightValues;   // index -> light record captured
  std::map<DWORD, bool> lightEnables;  // index -> enable flag captured
};

class Direct3D;

// Row-vector product: apply a, then b.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);

struct RenderTarget {
  GLuint fbo = 0, color = 0, depth = 0;
  UINT width = 0, height = 0;
  const FormatInfo* colorFormat = nullptr;
  const FormatInfo* depthFormat = nullptr;
};

class Device final : public IDirect3DDevice8 {
 public:
  Device(Direct3D* d3d, HWND focusWindow, DWORD behavior);
  ~Device() override;
  // Brings up OpenGL objects and the back buffer; false leaves nothing behind.
  HRESULT Init(D3DPRESENT_PARAMETERS* params);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;

  // Device and presentation (device.cpp)
  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
  UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
  HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** d3d) override;
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override;
  HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) override;
  HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* params) override;
  HRESULT STDMETHODCALLTYPE Present(const RECT* src, const RECT* dst, HWND override,
                                    const RGNDATA* dirty) override;
  HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                          IDirect3DSurface8** surface) override;
  HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** surface) override;
  HRESULT STDMETHODCALLTYPE BeginScene() override;
  HRESULT STDMETHODCALLTYPE EndScene() override;
  HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                  DWORD stencil) override;

  // Resources (device_resources.cpp)
  HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                          D3DPOOL pool, IDirect3DTexture8** texture) override;
  HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                               IDirect3DVertexBuffer8** buffer) override;
  HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DIndexBuffer8** buffer) override;
  HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                               IDirect3DSurface8** surface) override;
  HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count,
                                      IDirect3DSurface8* dest, const POINT* points) override;

  // Fixed-function state (device_state.cpp)
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL8* material) override;
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL8* material) override;
  HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT8* light) override;
  HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT8* light) override;
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
  HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) override;
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
  HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
  HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                 DWORD* value) override;
  HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                 DWORD value) override;
  HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) override;
  HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override;
  HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer,
                                            UINT stride) override;
  HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer,
                                            UINT* stride) override;
  HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) override;
  HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertex) override;

  // State blocks (state_block.cpp)
  HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
  HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) override;
  HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) override;
  HRESULT STDMETHODCALLTYPE CaptureStateBlock(DWORD token) override;
  HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) override;
  HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) override;

  // Drawing (device_draw.cpp)
  HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override;
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                                 UINT startIndex, UINT count) override;
  HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                            UINT stride) override;
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                                   UINT count, const void* indices, D3DFORMAT indexFormat,
                                                   const void* data, UINT stride) override;

  // For resources and the layer's own entry points.
  GlState& gl() { return gl_; }
  // False once host has let the OpenGL context go: objects died with it.
  bool HasContext() const { return host::GetGLContext() != nullptr; }
  uint64_t programsBuilt() const { return programs_.built(); }
  void ResourceCreated(D3DPOOL pool) {
    if (pool == D3DPOOL_DEFAULT) ++defaultPoolCount_;
  }
  void ResourceGone(D3DPOOL pool) {
    if (pool == D3DPOOL_DEFAULT) --defaultPoolCount_;
  }
  // A dying resource leaves the device state and every state block.
  void Forget(Texture* texture);
  void Forget(VertexBuffer* buffer);
  void Forget(IndexBuffer* buffer);
  const RenderTarget& backBuffer() const { return target_; }
  bool lockableBackBuffer() const { return (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0; }
  // Back-buffer pixels <-> memory, rows top first, in the back buffer's format.
  void ReadTarget(const RECT& r, BYTE* dest, UINT destPitch);
  void WriteTarget(const RECT& r, const BYTE* src, UINT srcPitch);
  // Draws the back buffer into framebuffer `fb` of size w x h as Present does.
  void BlitToDrawable(GLuint fb, int w, int h);
  void PresentPicture(const uint32_t* pixels, int w, int h, int pitch);
  // Submits the gathered draws (device_batch.cpp). Anything that changes
  // what they would read or reads what they draw calls this first.
  void FlushDraws();
  // Off: every gathered draw is submitted at once (for tests and the benchmark).
  void SetCoalescing(bool on) {
    FlushDraws();
    coalescing_ = on;
  }

 private:
  // device.cpp
  HRESULT ValidateParams(const D3DPRESENT_PARAMETERS& p) const;
  HRESULT ApplyDisplayMode(D3DPRESENT_PARAMETERS& p);
  bool CreateTarget(UINT w, UINT h, const FormatInfo* color, const FormatInfo* depth);
  void DestroyTarget();
  void UpdateLoss();
  bool Away() const;
  static void WindowEvent(const host::Event& event, void* user);
  // device_state.cpp
  void ResetState();
  HRESULT SetRenderStateNow(DWORD state, DWORD value);
  // Marks what a changed render state feeds (program, raster state, uniforms).
  void RenderStateChanged(DWORD state);
  HRESULT SetStageStateNow(DWORD stage, DWORD type, DWORD value);
  void SetTextureNow(DWORD stage, Texture* texture);
  void SetLightNow(DWORD index, const D3DLIGHT8& light);
  HRESULT LightEnableNow(DWORD index, BOOL enable);
  void SetTransformNow(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& m);
  void SetViewportNow(const D3DVIEWPORT8& v);
  void SetMaterialNow(const D3DMATERIAL8& m);
  void SetFvfNow(DWORD fvf);
  D3DMATRIX* TransformSlot(DeviceState& s, D3DTRANSFORMSTATETYPE t);
  void ApplyBlock(const StateBlock& b);
  void CaptureBlock(StateBlock& b);
  // device_draw.cpp
  HRESULT PrepareDraw(GLuint vertexBuffer, uintptr_t offset, UINT stride);
  void BuildKey(ProgramKey* out) const;
  // Stream 0 must hold `vertices` vertices from `firstVertex`; gives how many it holds.
  HRESULT CheckStream(UINT firstVertex, UINT vertices, UINT* available);
  void StreamReserve(UINT size);
  // Makes the next persistently mapped store (at least `capacity` bytes)
  // the stream's; false where OpenGL offers none.
  bool NextMappedStore(UINT capacity);
  void DeleteMappedStores();
  void ApplyRasterState();
  void BindTextures(const ProgramKey& key);
  // Brings the groups `p` reads up to date in the shared uniform buffer.
  void UploadUniforms(const Program& p);
  // The values of group g as its block lays them out; gives their vec4 count.
  int GroupValues(UniformGroup g, float* data) const;
  int LightValues(float* data) const;
  void CreateUniformBuffer();
  GLuint Sampler(DWORD stage);
  // Copies `size` bytes into the stream buffer at a multiple of `align`;
  // returns their offset.
  uintptr_t StreamUpload(const void* data, UINT size, UINT align);
  // device_batch.cpp
  bool Batchable(GLenum mode, UINT vertices) const;
  // Adds `n` vertices `stride` bytes apart, drawn as `mode`, to the batch.
  void BatchAdd(GLenum mode, const BYTE* data, UINT stride, UINT n);
  // A render state, stage state or texture is about to change while draws
  // wait: keep the value they were gathered with.
  void HoldRenderState(DWORD state);
  void HoldStageState(DWORD stage, DWORD type);
  void HoldTexture(DWORD stage);
  // Whether every held state is back as gathered (but stage 0's texture,
  // when `exceptTexture0`).
  bool HeldAsGathered(bool exceptTexture0 = false) const;
  // Something waits to be drawn, of either kind.
  bool Pending() const { return batchVertices_ || indexedDraws_; }
  // A held state set back joins the next draw to the waiting ones; any
  // other held change submits them first.
  void SettleHeld();
  void DrawBatch();
  // Indexed list draws from one vertex buffer with one world transform:
  // their indices are gathered and drawn as one (device_batch.cpp). False
  // for strips and fans, which the caller draws on its own.
  bool IndexedAdd(GLenum mode, IndexBuffer* ib, UINT startIndex, UINT n);
  // Whether a list draw can join the indexed draws waiting.
  bool IndexedJoinable(GLenum mode, IndexBuffer* ib) const;
  void DrawIndexed();
  // Exchanges the world transform and its uniform serial with the given ones.
  void SwapWorld(D3DMATRIX& world, uint64_t& serial);
  void SwapMaterial(D3DMATERIAL8& material, uint64_t& serial);
  // Whether a change of world, material, vertex buffer or stage 0's
  // texture may leave the waiting indexed draws waiting: lit subsets then
  // each keep theirs in a slot.
  bool SlotsMayJoin() const;
  // Whether the next indexed draw may join the waiting ones with a slot.
  bool SlotJoinable(GLenum mode, IndexBuffer* ib, UINT startIndex, UINT n) const;
  // Copies the vertices that `n` indices of `isize` bytes name from
  // `vertices`, `stride` apart, each followed by `slot`, and the indices
  // renumbered.
  void SlotPart(const BYTE* indices, UINT isize, UINT n, const BYTE* vertices, UINT stride, int slot);
  // The slot with the current world, material and texture, added if new.
  int CurrentSlot();
  // The number a slot's texture goes by in a slotted draw (-1: none).
  int SlotTexture(const Texture* texture) const;
  void DrawSlotted(UINT count);
  void TransformValues(const D3DMATRIX& world, float* data) const;
  void MaterialValues(const D3DMATERIAL8& m, float* data) const;
  ProgramKey::Stage StageKey(int stage, bool hasTexture) const;
  // Exchanges the held values with the current ones; everything they feed
  // is brought up to date again by the next draw.
  void SwapHeld();
  void ForgetHeld();

  Direct3D* d3d_;
  HWND focusWindow_;
  DWORD behavior_;
  ULONG refs_ = 1;
  D3DPRESENT_PARAMETERS params_{};
  GlState gl_;
  RenderTarget target_;
  std::unique_ptr<Surface> backSurface_, depthSurface_;
  GLuint streamBuffer_ = 0;
  UINT streamUsed_ = 0;
  UINT streamCapacity_ = 0;
  BYTE* streamMapped_ = nullptr;  // the stream's store, when mapped for good
  struct MappedStore {
    GLuint buffer = 0;
    BYTE* bytes = nullptr;
    UINT capacity = 0;
    GLsync fence = nullptr;  // set when the store was left for the other
  };
  MappedStore stores_[2];
  int store_ = 0;
  bool mappedRefused_ = false;
  GLuint stageSampler_[kStages] = {};
  GLuint pictureTexture_ = 0, pictureFbo_ = 0;
  int pictureW_ = 0, pictureH_ = 0;
  bool inScene_ = false;
  bool lost_ = false;
  bool focused_ = true, minimized_ = false;  // the window, as its events tell
  int sink_ = -1;
  int defaultPoolCount_ = 0;

  DeviceState state_;
  D3DMATRIX textureTransforms_[8] = {};  // kept for GetTransform; not applied
  FvfLayout layout_;
  std::unique_ptr<StateBlock> recording_;
  std::map<DWORD, std::unique_ptr<StateBlock>> blocks_;
  DWORD nextBlock_ = 1;

  // What the next draw must bring up to date.
  bool programDirty_ = true;
  bool rasterDirty_ = true;
  bool samplersDirty_ = true;
  uint64_t serials_[kUniformGroups] = {};
  uint64_t serialCounter_ = 1;
  void Bump(UniformGroup g) { serials_[g] = ++serialCounter_; }
  ProgramCache programs_;
  Program* program_ = nullptr;
  // The uniform groups, one range each of one buffer, bound once to the
  // binding point of the group's number; with the serial and values of what
  // each range holds.
  struct UniformBuffer {
    GLuint buffer = 0;
    GLintptr at[kUniformGroups] = {};
    uint64_t serial[kUniformGroups] = {};
    std::vector<float> values[kUniformGroups];
    std::vector<BYTE> staging;  // the buffer's layout, filled group by group
  } uniforms_;
  ProgramKey key_;
  std::unordered_map<uint32_t, GLuint> samplers_;

  // Draws gathered but not yet submitted: vertices in world space, packed
  // to the layout's size, as a list of `batchMode_`.
  bool coalescing_ = true;
  std::vector<BYTE> batch_, batchScratch_;
  UINT batchVertices_ = 0;
  GLenum batchMode_ = 0;
  // States changed since the waiting draws were gathered, with the values
  // those draws need. A state set and set back before the next draw (text
  // drawn inside state blocks does that) leaves the batch open.
  bool anyHeld_ = false;
  std::bitset<kRenderStates> heldRs_;
  std::bitset<kStageStates> heldTss_[kStages];
  bool heldTexture_[kStages] = {};
  DWORD heldRsValue_[kRenderStates] = {};
  DWORD heldTssValue_[kStages][kStageStates] = {};
  Texture* heldTextureValue_[kStages] = {};
  // Indexed draws waiting (see IndexedAdd): the vertex buffer they read, as
  // uploaded when they were added; their indices, copied then. One draw
  // alone is submitted from its own index buffer, whose OpenGL copy nothing
  // refreshes before then.
  UINT indexedDraws_ = 0, indexedCount_ = 0;
  VertexBuffer* indexedStream_ = nullptr;
  UINT indexedStride_ = 0, indexedBase_ = 0, indexedSize_ = 0;
  GLenum indexedMode_ = 0;
  GLuint indexedSource_ = 0;
  uintptr_t indexedSourceAt_ = 0;
  std::vector<BYTE> indexed_;
  IndexCache indexCache_;  // gathered lists that repeat, uploaded once
  // What the draws were given besides their vertices: while they share it,
  // one slot (with the uniform serials of its world and material); once
  // they do not, a slot for each distinct one, and the draws' vertices
  // copied with their slot's number (the layout's bytes, then a float)
  // with their indices renumbered.
  struct Slot {
    D3DMATRIX world;
    D3DMATERIAL8 material;
    Texture* texture;  // stage 0's
  };
  std::vector<Slot> slots_;
  bool slotted_ = false;
  uint64_t indexedWorldSerial_ = 0, indexedMaterialSerial_ = 0;
  std::vector<std::pair<UINT, UINT>> indexedParts_;  // each draw's first index and count
  std::vector<BYTE> slotVertices_;
  std::vector<uint32_t> slotIndices_;
  UINT slotVertexCount_ = 0;
  std::vector<Texture*> slotTextures_;  // the distinct textures the slots name
  int textureSlots_ = 0;                // how many of them a slotted draw picks from
  bool drawingSlots_ = false;           // a slotted draw is being prepared
  // The transform group's serial while a batch draws with an identity world;
  // kept while view and projection stay, so back-to-back batches upload once.
  uint64_t viewProjSerial_ = 0, identityFor_ = ~0ull, identitySerial_ = 0;
};

}  // namespace d3d8
