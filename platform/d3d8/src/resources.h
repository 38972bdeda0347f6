// SPDX-License-Identifier: MIT
// The device's resources: textures with their level surfaces, image surfaces,
// the back-buffer and depth surfaces, vertex and index buffers. Every
// resource keeps its bytes in memory exactly as a lock shows them; OpenGL
// copies are refreshed from those bytes when a draw needs them. On desktop
// OpenGL a texture level's bytes go once they are uploaded, and come back
// from OpenGL's copy when a lock or a copy needs them again.
#pragma once

#include <d3d8.h>

#include <vector>

#include "formats.h"
#include "gl.h"

namespace d3d8 {

class Device;
class Texture;

// One lockable picture: a texture level or an image surface.
struct PixelMemory {
  UINT width = 0, height = 0, pitch = 0;
  // Empty until something needs them (the picture is all zeros until then),
  // and again once OpenGL holds the only copy (`inGl`).
  std::vector<BYTE> bytes;
  bool locked = false;
  bool dirty = true;  // bytes changed since the last upload
  bool inGl = false;  // the bytes went after their upload: OpenGL's copy is the picture
  size_t size() const { return static_cast<size_t>(pitch) * height; }
};

// The bytes of a picture whose `bytes` are empty: zeros (read back by the
// caller when `inGl`). Counted by KeptPixelBytes.
void AllocatePixels(PixelMemory& m);
void FreePixels(PixelMemory& m);

HRESULT LockPixels(PixelMemory& m, const FormatInfo& f, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags);
HRESULT UnlockPixels(PixelMemory& m);

class Surface final : public IDirect3DSurface8 {
 public:
  enum class Kind { Image, TextureLevel, BackBuffer, DepthStencil };

  // Image surfaces own their memory and count their own references; texture
  // levels count on their texture, back buffer and depth surface on the device.
  Surface(Device* device, Kind kind, const FormatInfo* format, UINT width, UINT height);
  Surface(Texture* texture, UINT level);
  ~Surface() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
  HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockRect() override;

  Kind kind() const { return kind_; }
  const FormatInfo& format() const { return *format_; }
  UINT width() const;
  UINT height() const;
  // The bytes of an image surface or texture level, in memory; null for GPU
  // surfaces. `overwriting`: the caller writes every byte before reading any.
  PixelMemory* memory(bool overwriting = false);
  // Marks the bytes as changed (a copy wrote them).
  void Touch();
  // The back buffer changes size and format on Reset.
  void Resize(const FormatInfo* format, UINT width, UINT height);

 private:
  Device* device_ = nullptr;
  Texture* texture_ = nullptr;
  UINT level_ = 0;
  Kind kind_ = Kind::Image;
  const FormatInfo* format_ = nullptr;
  ULONG refs_ = 1;
  PixelMemory own_;  // image surfaces; back buffer lock shadow
  bool lockedGpu_ = false;
  bool readOnly_ = false;
};

class Texture final : public IDirect3DTexture8 {
 public:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, const FormatInfo& format,
          D3DPOOL pool);
  ~Texture() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
  DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
  DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
  void STDMETHODCALLTYPE PreLoad() override {}
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
  DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
  DWORD STDMETHODCALLTYPE GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                     DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
  HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* rect) override;

  Device* device() const { return device_; }
  const FormatInfo& format() const { return format_; }
  D3DPOOL pool() const { return pool_; }
  // Level i's size and state; its bytes may be away (see Resident).
  PixelMemory& level(UINT i) { return levels_[i]; }
  // Level i with its bytes in memory: read back from OpenGL when only it
  // holds them, unless the caller is about to overwrite all of them.
  PixelMemory& Resident(UINT i, bool overwriting = false);
  void FillDesc(UINT level, D3DSURFACE_DESC* desc) const;
  // Uploads changed levels and leaves the texture bound on `unit`.
  GLuint Bind(GlState& gl, int unit);
  // The OpenGL context is going: every level's bytes come home, and the
  // next Bind makes the OpenGL texture again.
  void KeepThroughContextLoss();

 private:
  Device* device_;
  ULONG refs_ = 1;
  DWORD usage_;
  const FormatInfo& format_;
  D3DPOOL pool_;
  DWORD priority_ = 0, lod_ = 0;
  std::vector<PixelMemory> levels_;
  std::vector<Surface*> surfaces_;  // made on first GetSurfaceLevel
  // Lets the bytes of uploaded levels nobody holds locked go.
  void LetGoUploaded();

  GLuint gl_ = 0;
  bool anyDirty_ = true;
  // Set once a lock for writing had to read a level back: a texture the
  // program edits after drawing it keeps its bytes from then on.
  bool keepBytes_ = false;
  friend class Surface;
};

// The bytes of a vertex or index buffer and their OpenGL copy.
struct BufferMemory {
  std::vector<BYTE> bytes;
  int lockCount = 0;
  UINT dirtyLo = 0, dirtyHi = 0;  // byte range changed since the last upload
  GLuint gl = 0;
  uint64_t version = 1;  // counts unlocks (index range checks cache on it)
};

HRESULT LockBuffer(BufferMemory& m, UINT offset, UINT size, BYTE** data, DWORD flags);
HRESULT UnlockBuffer(BufferMemory& m);
// Creates the OpenGL buffer on first use and sends the changed range.
GLuint UploadBuffer(GlState& gl, BufferMemory& m, GLenum target, bool dynamic);

// What vertex and index buffers share: reference counting, priority, locks.
// `Derived` is the concrete class; its destructor makes the device forget it.
template <class Iface, class Derived>
class Buffer : public Iface {
 public:
  Buffer(Device* device, UINT length, DWORD usage, D3DPOOL pool);
  ~Buffer() override;

  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
  DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
  DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
  void STDMETHODCALLTYPE PreLoad() override {}
  HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override {
    return LockBuffer(memory_, offset, size, data, flags);
  }
  HRESULT STDMETHODCALLTYPE Unlock() override { return UnlockBuffer(memory_); }

  BufferMemory& memory() { return memory_; }
  UINT size() const { return static_cast<UINT>(memory_.bytes.size()); }
  bool dynamic() const { return (usage_ & D3DUSAGE_DYNAMIC) != 0; }

 protected:
  HRESULT Query(REFIID own, REFIID riid, void** object);
  Device* device_;
  ULONG refs_ = 1;
  DWORD usage_;
  D3DPOOL pool_;
  DWORD priority_ = 0;
  BufferMemory memory_;
};

class VertexBuffer final : public Buffer<IDirect3DVertexBuffer8, VertexBuffer> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : Buffer(device, length, usage, pool), fvf_(fvf) {}
  ~VertexBuffer() override;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return Query(IID_IDirect3DVertexBuffer8, riid, object);
  }
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

 private:
  DWORD fvf_;
};

class IndexBuffer final : public Buffer<IDirect3DIndexBuffer8, IndexBuffer> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : Buffer(device, length, usage, pool), format_(format) {}
  ~IndexBuffer() override;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return Query(IID_IDirect3DIndexBuffer8, riid, object);
  }
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  UINT indexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }
  UINT count() const { return size() / indexSize(); }
  // Largest index in [first, first + count): the whole buffer's is cached
  // until the next unlock.
  UINT MaxIndex(UINT first, UINT count);

 private:
  D3DFORMAT format_;
  uint64_t maxVersion_ = 0;
  UINT wholeMax_ = 0;
};

}  // namespace d3d8
