// SPDX-License-Identifier: MIT
// Textures, surfaces and buffers: creation bookkeeping, locks over the bytes
// each resource keeps, and the uploads that bring OpenGL's copies up to date.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include <d3d8_glorbs.h>

#include "device.h"

namespace d3d8 {

namespace {

// Where OpenGL can give a texture back (desktop, not ES), an uploaded
// level's bytes need not stay: the game's textures are written once and
// drawn for the rest of the run.
#ifdef GLORBS_GL_ES
constexpr bool kLetUploadedBytesGo = false;
#else
constexpr bool kLetUploadedBytesGo = true;
#endif

size_t g_keptPixelBytes = 0;
// Every texture alive, so that a lost OpenGL context takes none of them along.
std::unordered_set<Texture*> g_textures;

void BringTexturesHome() {
  for (Texture* t : g_textures) t->KeepThroughContextLoss();
}

// How OpenGL stores a texture of format `f`. The 16-bit formats keep their
// size: half the memory of RGBA8 for the same texels, as 4- and 5-bit
// channels widen to 8 bits exactly, and they read back unchanged. ES takes
// every colour format as RGBA bytes.
GLint StorageFormat(const FormatInfo& f) {
#ifndef GLORBS_GL_ES
  if (f.glType == GL_UNSIGNED_SHORT_4_4_4_4_REV) return GL_RGBA4;
  if (f.glType == GL_UNSIGNED_SHORT_1_5_5_5_REV) return GL_RGB5_A1;
#endif
  (void)f;
  return GL_RGBA8;
}

}  // namespace

void AllocatePixels(PixelMemory& m) {
  if (!m.bytes.empty()) return;
  m.bytes.assign(m.size(), 0);
  g_keptPixelBytes += m.bytes.size();
}

void FreePixels(PixelMemory& m) {
  g_keptPixelBytes -= m.bytes.size();
  std::vector<BYTE>().swap(m.bytes);
}

size_t KeptPixelBytes() {
  return g_keptPixelBytes;
}

// ------------------------------------------------------------------ pixels

HRESULT LockPixels(PixelMemory& m, const FormatInfo& f, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
  if (!out || m.locked || m.bytes.size() != m.size()) return D3DERR_INVALIDCALL;
  RECT r = {0, 0, static_cast<LONG>(m.width), static_cast<LONG>(m.height)};
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        rect->right > r.right || rect->bottom > r.bottom)
      return D3DERR_INVALIDCALL;
    r = *rect;
  }
  m.locked = true;
  if (!(flags & D3DLOCK_READONLY)) m.dirty = true;
  out->Pitch = static_cast<INT>(m.pitch);
  out->pBits =
      m.bytes.data() + static_cast<size_t>(r.top) * m.pitch + static_cast<size_t>(r.left) * f.bytesPerPixel;
  return D3D_OK;
}

HRESULT UnlockPixels(PixelMemory& m) {
  if (!m.locked) return D3DERR_INVALIDCALL;
  m.locked = false;
  return D3D_OK;
}

namespace {

// Sizes the picture; its bytes are made when first needed.
void InitPixels(PixelMemory& m, const FormatInfo& f, UINT w, UINT h) {
  m.width = w;
  m.height = h;
  m.pitch = RowPitch(f, w);
}

template <class T>
HRESULT GetDeviceOf(Device* device, IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  device->AddRef();
  *out = device;
  return D3D_OK;
}

}  // namespace

// ---------------------------------------------------------------- surfaces

Surface::Surface(Device* device, Kind kind, const FormatInfo* format, UINT width, UINT height)
    : device_(device), kind_(kind), format_(format) {
  own_.width = width;
  own_.height = height;
  if (kind_ == Kind::Image) {
    InitPixels(own_, *format, width, height);
    device_->AddRef();
  }
}

Surface::Surface(Texture* texture, UINT level)
    : device_(texture->device()),
      texture_(texture),
      level_(level),
      kind_(Kind::TextureLevel),
      format_(&texture->format()) {}

Surface::~Surface() {
  FreePixels(own_);
  if (kind_ == Kind::Image) device_->Release();
}

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDirect3DSurface8) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirect3DSurface8*>(this);
  return S_OK;
}

ULONG Surface::AddRef() {
  if (kind_ == Kind::TextureLevel) return texture_->AddRef();
  if (kind_ != Kind::Image) return device_->AddRef();
  return ++refs_;
}

ULONG Surface::Release() {
  if (kind_ == Kind::TextureLevel) return texture_->Release();
  if (kind_ != Kind::Image) return device_->Release();
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::GetDevice(IDirect3DDevice8** device) {
  return GetDeviceOf<Surface>(device_, device);
}

HRESULT Surface::GetContainer(REFIID riid, void** container) {
  if (!container) return D3DERR_INVALIDCALL;
  *container = nullptr;
  if (kind_ == Kind::TextureLevel) return texture_->QueryInterface(riid, container);
  if (kind_ != Kind::Image) return device_->QueryInterface(riid, container);
  return E_NOINTERFACE;
}

UINT Surface::width() const {
  return kind_ == Kind::TextureLevel ? texture_->level(level_).width : own_.width;
}
UINT Surface::height() const {
  return kind_ == Kind::TextureLevel ? texture_->level(level_).height : own_.height;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  if (kind_ == Kind::TextureLevel) {
    texture_->FillDesc(level_, desc);
    return D3D_OK;
  }
  *desc = D3DSURFACE_DESC{};
  desc->Format = format_->format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = kind_ == Kind::BackBuffer     ? D3DUSAGE_RENDERTARGET
                : kind_ == Kind::DepthStencil ? D3DUSAGE_DEPTHSTENCIL
                                              : 0;
  desc->Pool = kind_ == Kind::Image ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT;
  desc->Width = own_.width;
  desc->Height = own_.height;
  desc->Size = own_.width * own_.height * format_->bytesPerPixel;
  return D3D_OK;
}

PixelMemory* Surface::memory(bool overwriting) {
  if (kind_ == Kind::TextureLevel) return &texture_->Resident(level_, overwriting);
  if (kind_ != Kind::Image) return nullptr;
  AllocatePixels(own_);
  return &own_;
}

void Surface::Touch() {
  device_->FlushDraws();
  if (PixelMemory* m = memory()) m->dirty = true;
  if (kind_ == Kind::TextureLevel) texture_->anyDirty_ = true;
}

void Surface::Resize(const FormatInfo* format, UINT width, UINT height) {
  format_ = format;
  own_.width = width;
  own_.height = height;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (kind_ == Kind::TextureLevel) return texture_->LockRect(level_, locked, rect, flags);
  if (kind_ == Kind::Image) return LockPixels(*memory(), *format_, locked, rect, flags);
  // The back buffer is lockable only when the device was asked for that; the
  // lock reads it into memory and the unlock writes it back.
  if (kind_ != Kind::BackBuffer || !device_->lockableBackBuffer() || lockedGpu_) return D3DERR_INVALIDCALL;
  InitPixels(own_, *format_, own_.width, own_.height);
  AllocatePixels(own_);
  RECT all = {0, 0, static_cast<LONG>(own_.width), static_cast<LONG>(own_.height)};
  device_->ReadTarget(all, own_.bytes.data(), own_.pitch);
  HRESULT hr = LockPixels(own_, *format_, locked, rect, flags);
  lockedGpu_ = SUCCEEDED(hr);
  readOnly_ = (flags & D3DLOCK_READONLY) != 0;
  return hr;
}

HRESULT Surface::UnlockRect() {
  if (kind_ == Kind::TextureLevel) return texture_->UnlockRect(level_);
  if (kind_ == Kind::Image) return UnlockPixels(own_);
  if (!lockedGpu_) return D3DERR_INVALIDCALL;
  UnlockPixels(own_);
  lockedGpu_ = false;
  RECT all = {0, 0, static_cast<LONG>(own_.width), static_cast<LONG>(own_.height)};
  if (!readOnly_) device_->WriteTarget(all, own_.bytes.data(), own_.pitch);
  FreePixels(own_);
  return D3D_OK;
}

// ---------------------------------------------------------------- textures

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, const FormatInfo& format,
                 D3DPOOL pool)
    : device_(device), usage_(usage), format_(format), pool_(pool) {
  levels_.resize(levels);
  for (UINT i = 0; i < levels; ++i)
    InitPixels(levels_[i], format, std::max(1u, width >> i), std::max(1u, height >> i));
  surfaces_.resize(levels, nullptr);
  device_->AddRef();
  device_->ResourceCreated(pool_);
  g_textures.insert(this);
}

Texture::~Texture() {
  g_textures.erase(this);
  for (PixelMemory& m : levels_) FreePixels(m);
  device_->Forget(this);
  if (gl_ && device_->HasContext()) {
    device_->gl().Forget(gl_);
    GL(DeleteTextures)(1, &gl_);
  }
  for (Surface* s : surfaces_) delete s;
  device_->ResourceGone(pool_);
  device_->Release();
}

HRESULT Texture::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDirect3DResource8 && riid != IID_IDirect3DBaseTexture8 &&
      riid != IID_IDirect3DTexture8)
    return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirect3DTexture8*>(this);
  return S_OK;
}

ULONG Texture::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device) {
  return GetDeviceOf<Texture>(device_, device);
}

DWORD Texture::SetPriority(DWORD priority) {
  DWORD old = priority_;
  if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
  return old;
}

DWORD Texture::SetLOD(DWORD lod) {
  DWORD old = lod_;
  if (pool_ == D3DPOOL_MANAGED) lod_ = std::min<DWORD>(lod, static_cast<DWORD>(levels_.size()) - 1);
  return old;
}

void Texture::FillDesc(UINT level, D3DSURFACE_DESC* desc) const {
  *desc = D3DSURFACE_DESC{};
  desc->Format = format_.format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = usage_;
  desc->Pool = pool_;
  desc->Width = levels_[level].width;
  desc->Height = levels_[level].height;
  desc->Size = static_cast<UINT>(levels_[level].size());
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
  FillDesc(level, desc);
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  if (!surfaces_[level]) surfaces_[level] = new Surface(this, level);
  AddRef();
  *surface = surfaces_[level];
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  const bool writing = !(flags & D3DLOCK_READONLY);
  if (writing) device_->FlushDraws();  // gathered draws still read the old texels
  if (!locked || levels_[level].locked) return D3DERR_INVALIDCALL;
  if (writing && levels_[level].inGl) keepBytes_ = true;
  HRESULT hr = LockPixels(Resident(level), format_, locked, rect, flags);
  if (SUCCEEDED(hr) && writing) anyDirty_ = true;
  return hr;
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  HRESULT hr = UnlockPixels(levels_[level]);
  // A look that changed nothing: OpenGL's copy is still the picture.
  if (SUCCEEDED(hr) && gl_ && !levels_[level].dirty) LetGoUploaded();
  return hr;
}

HRESULT Texture::AddDirtyRect(const RECT*) {
  device_->FlushDraws();
  // Bytes that went after their upload are what OpenGL holds already.
  if (!levels_[0].bytes.empty()) {
    levels_[0].dirty = true;
    anyDirty_ = true;
  }
  return D3D_OK;
}

PixelMemory& Texture::Resident(UINT i, bool overwriting) {
  PixelMemory& m = levels_[i];
  if (!m.bytes.empty()) return m;
  AllocatePixels(m);
  if (m.inGl && !overwriting) {
#ifndef GLORBS_GL_ES
    device_->gl().BindForUpdate(0, gl_);
    GL(GetTexImage)(GL_TEXTURE_2D, static_cast<GLint>(i), format_.glFormat, format_.glType, m.bytes.data());
#endif
  }
  m.inGl = false;
  return m;
}

void Texture::LetGoUploaded() {
  if (!kLetUploadedBytesGo || keepBytes_) return;
  for (PixelMemory& m : levels_) {
    if (m.locked || m.dirty || m.bytes.empty()) continue;
    FreePixels(m);
    m.inGl = true;
  }
  host::SetContextLossObserver(&BringTexturesHome);
}

void Texture::KeepThroughContextLoss() {
  if (!gl_) return;
  for (UINT i = 0; i < levels_.size(); ++i) {
    Resident(i);
    levels_[i].dirty = true;
  }
  device_->gl().Forget(gl_);
  GL(DeleteTextures)(1, &gl_);
  gl_ = 0;
  anyDirty_ = true;
}

GLuint Texture::Bind(GlState& gl, int unit) {
  if (!gl_) {
    GL(GenTextures)(1, &gl_);
    gl.BindForUpdate(unit, gl_);
    GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size()) - 1);
    if (format_.forceOpaque) GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    for (size_t i = 0; i < levels_.size(); ++i) {
      PixelMemory& m = levels_[i];
      AllocatePixels(m);  // a level never written is all zeros
      GL(TexImage2D)
      (GL_TEXTURE_2D, static_cast<GLint>(i), StorageFormat(format_), m.width, m.height, 0, format_.glFormat,
       format_.glType, m.bytes.data());
      m.dirty = false;
    }
    anyDirty_ = false;
    LetGoUploaded();
    return gl_;
  }
  gl.BindTexture(unit, gl_);
  if (!anyDirty_) return gl_;
  gl.ActiveUnit(unit);
  for (size_t i = 0; i < levels_.size(); ++i) {
    PixelMemory& m = levels_[i];
    if (!m.dirty) continue;
    GL(TexSubImage2D)
    (GL_TEXTURE_2D, static_cast<GLint>(i), 0, 0, m.width, m.height, format_.glFormat, format_.glType,
     m.bytes.data());
    m.dirty = false;
  }
  anyDirty_ = false;
  LetGoUploaded();
  return gl_;
}

// ----------------------------------------------------------------- buffers

HRESULT LockBuffer(BufferMemory& m, UINT offset, UINT size, BYTE** data, DWORD flags) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  const UINT length = static_cast<UINT>(m.bytes.size());
  if (offset > length || (size && size > length - offset) || (offset == length && length))
    return D3DERR_INVALIDCALL;
  if (size == 0) size = length - offset;
  ++m.lockCount;
  if (!(flags & D3DLOCK_READONLY)) {
    UINT lo = offset, hi = offset + size;
    if (m.dirtyHi > m.dirtyLo) {
      lo = std::min(lo, m.dirtyLo);
      hi = std::max(hi, m.dirtyHi);
    }
    m.dirtyLo = lo;
    m.dirtyHi = hi;
  }
  *data = m.bytes.data() + offset;
  return D3D_OK;
}

HRESULT UnlockBuffer(BufferMemory& m) {
  if (m.lockCount == 0) return D3DERR_INVALIDCALL;
  --m.lockCount;
  ++m.version;
  return D3D_OK;
}

GLuint UploadBuffer(GlState& gl, BufferMemory& m, GLenum target, bool dynamic) {
  const bool first = m.gl == 0;
  if (first) GL(GenBuffers)(1, &m.gl);
  if (!first && m.dirtyHi <= m.dirtyLo) return m.gl;
  if (target == GL_ARRAY_BUFFER)
    gl.BindArrayBuffer(m.gl);
  else
    gl.BindElementBuffer(m.gl);
  const GLsizeiptr size = static_cast<GLsizeiptr>(m.bytes.size());
  // A whole-buffer change re-specifies the store, so a draw still reading
  // the old contents never makes us wait.
  if (first || (m.dirtyLo == 0 && static_cast<GLsizeiptr>(m.dirtyHi) >= size))
    ++g_bufferData, GL(BufferData)(target, size, m.bytes.data(), dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW);
  else
    GL(BufferSubData)(target, m.dirtyLo, m.dirtyHi - m.dirtyLo, m.bytes.data() + m.dirtyLo);
  m.dirtyLo = m.dirtyHi = 0;
  return m.gl;
}

template <class Iface, class Derived>
Buffer<Iface, Derived>::Buffer(Device* device, UINT length, DWORD usage, D3DPOOL pool)
    : device_(device), usage_(usage), pool_(pool) {
  memory_.bytes.assign(length, 0);
  device_->AddRef();
  device_->ResourceCreated(pool_);
}

template <class Iface, class Derived>
Buffer<Iface, Derived>::~Buffer() {
  if (memory_.gl && device_->HasContext()) {
    device_->gl().ForgetBuffer(memory_.gl);
    GL(DeleteBuffers)(1, &memory_.gl);
  }
  device_->ResourceGone(pool_);
  device_->Release();
}

template <class Iface, class Derived>
HRESULT Buffer<Iface, Derived>::Query(REFIID own, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDirect3DResource8 && riid != own) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<Iface*>(this);
  return S_OK;
}

template <class Iface, class Derived>
ULONG Buffer<Iface, Derived>::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

template <class Iface, class Derived>
HRESULT Buffer<Iface, Derived>::GetDevice(IDirect3DDevice8** device) {
  return GetDeviceOf<Buffer>(device_, device);
}

template <class Iface, class Derived>
DWORD Buffer<Iface, Derived>::SetPriority(DWORD priority) {
  DWORD old = priority_;
  if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
  return old;
}

template class Buffer<IDirect3DVertexBuffer8, VertexBuffer>;
template class Buffer<IDirect3DIndexBuffer8, IndexBuffer>;

VertexBuffer::~VertexBuffer() {
  device_->Forget(this);
}
IndexBuffer::~IndexBuffer() {
  device_->Forget(this);
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, size(), fvf_};
  return D3D_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = D3DINDEXBUFFER_DESC{format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, size()};
  return D3D_OK;
}

UINT IndexBuffer::MaxIndex(UINT first, UINT n) {
  auto at = [&](UINT i) -> UINT {
    if (indexSize() == 2) {
      uint16_t v = 0;
      std::memcpy(&v, memory_.bytes.data() + 2 * static_cast<size_t>(i), 2);
      return v;
    }
    uint32_t v = 0;
    std::memcpy(&v, memory_.bytes.data() + 4 * static_cast<size_t>(i), 4);
    return v;
  };
  if (maxVersion_ != memory_.version) {
    wholeMax_ = 0;
    for (UINT i = 0; i < count(); ++i) wholeMax_ = std::max(wholeMax_, at(i));
    maxVersion_ = memory_.version;
  }
  if (first == 0 && n == count()) return wholeMax_;
  UINT result = 0;
  for (UINT i = first; i < first + n; ++i) result = std::max(result, at(i));
  return result;
}

}  // namespace d3d8
