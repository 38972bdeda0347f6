// SPDX-License-Identifier: MIT
// Device life, presentation and loss: the back buffer is a framebuffer
// object of the back-buffer size (rows stored top first); Present scales it
// into the window's drawable (in real pixels, letterboxed to its own shape)
// and lets host swap and pace. Full-screen
// devices are lost while their window is minimised or without focus.
#include <d3d8_glorbs.h>
#include <host/host.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "debug.h"
#include "device.h"
#include "direct3d.h"

namespace d3d8 {

namespace {

void PresentPictureThunk(const host::Picture& picture, void* user) {
  static_cast<Device*>(user)->PresentPicture(picture.pixels, picture.w, picture.h, picture.pitch);
}

}  // namespace

// The window's presence follows its events (the same ones that become
// WM_ACTIVATEAPP), so loss and return are seen exactly when the game sees them.
void Device::WindowEvent(const host::Event& event, void* user) {
  Device* d = static_cast<Device*>(user);
  switch (event.type) {
    case host::EventType::FocusLost:
      d->focused_ = false;
      break;
    case host::EventType::FocusGained:
      d->focused_ = true;
      break;
    case host::EventType::Minimized:
      d->minimized_ = true;
      break;
    case host::EventType::Restored:
    case host::EventType::Maximized:
      d->minimized_ = false;
      break;
    default:
      break;
  }
  // A full-screen device is lost the moment its window goes away, whether
  // or not anything asks the device while it is away.
  d->UpdateLoss();
}

bool Device::Away() const {
  return minimized_ || !focused_;
}

Device::Device(Direct3D* d3d, HWND focusWindow, DWORD behavior)
    : d3d_(d3d), focusWindow_(focusWindow), behavior_(behavior) {
  params_.Windowed = TRUE;  // until Init succeeds there is no mode of ours to undo
  d3d_->AddRef();
  SetCurrentDevice(this);
}

Device::~Device() {
  if (host::GetGLContext()) {
    host::MakeGLCurrent();
    batchVertices_ = 0;  // nothing will show them now
    blocks_.clear();
    recording_.reset();
    programs_.Clear();
    for (auto& s : samplers_) GL(DeleteSamplers)(1, &s.second);
    DestroyTarget();
    gl_.DeleteVertexArrays();
    if (uniforms_.buffer) GL(DeleteBuffers)(1, &uniforms_.buffer);
    DeleteMappedStores();
    if (streamBuffer_) GL(DeleteBuffers)(1, &streamBuffer_);
    if (pictureFbo_) GL(DeleteFramebuffers)(1, &pictureFbo_);
    if (pictureTexture_) GL(DeleteTextures)(1, &pictureTexture_);
  }
  host::SetPicturePresenter(nullptr, nullptr);
  if (sink_ >= 0) host::RemoveEventSink(sink_);
  if (!params_.Windowed && host::IsFullScreen()) host::LeaveFullScreen();
  SetCurrentDevice(nullptr);
  d3d_->Release();
}

HRESULT Device::Init(D3DPRESENT_PARAMETERS* params) {
  HRESULT hr = ValidateParams(*params);
  if (FAILED(hr)) return hr;
  if (!host::MainWindowExists() || !host::CreateGLContext()) {
    Diagnose(DIAG_NO_GL_CONTEXT);
    return D3DERR_NOTAVAILABLE;
  }
  host::MakeGLCurrent();
#ifndef GLORBS_GL_ES  // an ES 3.0 context is what host asked for, or none
  if (epoxy_gl_version() < 33) {
    Diagnose(DIAG_GL_TOO_OLD);
    return D3DERR_NOTAVAILABLE;
  }
#endif
  gl_.Invalidate();
  gl_.FindDirectAccess();
  CreateUniformBuffer();
  GL(PixelStorei)(GL_UNPACK_ALIGNMENT, 1);
  GL(PixelStorei)(GL_PACK_ALIGNMENT, 1);
  GL(ProvokingVertex)(GL_FIRST_VERTEX_CONVENTION);
  GL(Disable)(GL_DITHER);
  hr = ApplyDisplayMode(*params);
  if (FAILED(hr)) return hr;
  params_ = *params;
  const FormatInfo* color = FindFormat(params_.BackBufferFormat);
  const FormatInfo* depth =
      params_.EnableAutoDepthStencil ? FindFormat(params_.AutoDepthStencilFormat) : nullptr;
  if (!CreateTarget(params_.BackBufferWidth, params_.BackBufferHeight, color, depth))
    return D3DERR_OUTOFVIDEOMEMORY;
  ResetState();
  host::SetPicturePresenter(&PresentPictureThunk, this);
  minimized_ = host::IsMinimized();
  sink_ = host::AddEventSink(&Device::WindowEvent, this);
  return D3D_OK;
}

HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDirect3DDevice8) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirect3DDevice8*>(this);
  return S_OK;
}

ULONG Device::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

// ------------------------------------------------------ parameters, modes

HRESULT Device::ValidateParams(const D3DPRESENT_PARAMETERS& p) const {
  if (p.BackBufferCount > 1 || p.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
    return D3DERR_INVALIDCALL;
  const bool formatOk = p.BackBufferFormat == D3DFMT_X8R8G8B8 || p.BackBufferFormat == D3DFMT_A8R8G8B8 ||
                        (p.Windowed && p.BackBufferFormat == D3DFMT_UNKNOWN);
  if (!formatOk) return D3DERR_INVALIDCALL;
  if (p.BackBufferWidth > 8192 || p.BackBufferHeight > 8192) return D3DERR_INVALIDCALL;
  if (!p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) return D3DERR_INVALIDCALL;
  if (p.EnableAutoDepthStencil && !IsDepthFormat(p.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

// Switches the window to the mode the parameters ask for and fills in what
// they leave to the device (a windowed back buffer takes the client size).
HRESULT Device::ApplyDisplayMode(D3DPRESENT_PARAMETERS& p) {
  if (!p.Windowed) {
    if (!host::EnterFullScreen(static_cast<int>(p.BackBufferWidth), static_cast<int>(p.BackBufferHeight)))
      return D3DERR_NOTAVAILABLE;
  } else if (host::IsFullScreen()) {
    host::LeaveFullScreen();
  }
  if (p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) {
    host::Rect client = host::GetClientArea();
    if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(std::max(1, client.w));
    if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(std::max(1, client.h));
  }
  if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  return D3D_OK;
}

bool Device::CreateTarget(UINT w, UINT h, const FormatInfo* color, const FormatInfo* depth) {
  target_ = RenderTarget{};
  target_.width = w;
  target_.height = h;
  target_.colorFormat = color;
  target_.depthFormat = depth;
  GL(GenTextures)(1, &target_.color);
  gl_.BindForUpdate(0, target_.color);
  GL(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  GL(GenFramebuffers)(1, &target_.fbo);
  gl_.BindDrawFramebuffer(target_.fbo);
  GL(FramebufferTexture2D)(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target_.color, 0);
  if (depth) {
    GL(GenRenderbuffers)(1, &target_.depth);
    GL(BindRenderbuffer)(GL_RENDERBUFFER, target_.depth);
    GL(RenderbufferStorage)
    (GL_RENDERBUFFER, depth->stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16, w, h);
    GL(FramebufferRenderbuffer)
    (GL_DRAW_FRAMEBUFFER, depth->stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
     target_.depth);
  }
  if (GL(CheckFramebufferStatus)(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    Diagnose(DIAG_BACK_BUFFER_FAILED);
    DestroyTarget();
    return false;
  }
  // The back buffer starts black and the depth buffer far, as after a clear.
  gl_.Enable(CAP_SCISSOR_TEST, false);
  gl_.ColorMask(0xF);
  gl_.DepthMask(true);
  gl_.ClearColor(0, 0, 0, 1);
  gl_.ClearDepth(1.0f);
  GL(Clear)(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
  rasterDirty_ = true;
  if (!backSurface_) backSurface_ = std::make_unique<Surface>(this, Surface::Kind::BackBuffer, color, w, h);
  backSurface_->Resize(color, w, h);
  if (depth) {
    if (!depthSurface_)
      depthSurface_ = std::make_unique<Surface>(this, Surface::Kind::DepthStencil, depth, w, h);
    depthSurface_->Resize(depth, w, h);
  } else {
    depthSurface_.reset();
  }
  return true;
}

void Device::DestroyTarget() {
  gl_.BindDrawFramebuffer(0);
  gl_.BindReadFramebuffer(0);
  gl_.Forget(target_.color);
  if (target_.fbo) GL(DeleteFramebuffers)(1, &target_.fbo);
  if (target_.color) GL(DeleteTextures)(1, &target_.color);
  if (target_.depth) GL(DeleteRenderbuffers)(1, &target_.depth);
  target_ = RenderTarget{};
}

// ----------------------------------------------------------- device loss

void Device::UpdateLoss() {
  if (!params_.Windowed && Away()) lost_ = true;
}

HRESULT Device::TestCooperativeLevel() {
  UpdateLoss();
  if (!lost_) return D3D_OK;
  return Away() ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
  if (!params) return D3DERR_INVALIDCALL;
  HRESULT hr = ValidateParams(*params);
  if (FAILED(hr)) return hr;
  UpdateLoss();
  if (lost_ && Away()) return D3DERR_DEVICELOST;
  if (defaultPoolCount_ > 0) {
    Diagnose(DIAG_RESET_WITH_DEFAULT_POOL);
    return D3DERR_INVALIDCALL;
  }
  host::MakeGLCurrent();
  FlushDraws();
  D3DPRESENT_PARAMETERS p = *params;
  hr = ApplyDisplayMode(p);
  if (SUCCEEDED(hr)) {
    DestroyTarget();
    const FormatInfo* color = FindFormat(p.BackBufferFormat);
    const FormatInfo* depth = p.EnableAutoDepthStencil ? FindFormat(p.AutoDepthStencilFormat) : nullptr;
    if (!CreateTarget(p.BackBufferWidth, p.BackBufferHeight, color, depth)) hr = D3DERR_OUTOFVIDEOMEMORY;
  }
  if (FAILED(hr)) {
    lost_ = true;  // the device stays unusable until a Reset succeeds
    return hr;
  }
  *params = p;
  params_ = p;
  recording_.reset();
  inScene_ = false;
  lost_ = false;
  ResetState();
  return D3D_OK;
}

// ------------------------------------------------------------ presenting

void Device::BlitToDrawable(GLuint fb, int dw, int dh) {
  const int bw = static_cast<int>(target_.width), bh = static_cast<int>(target_.height);
  // A desktop or a resized window of another shape: keep the picture's
  // shape and fill the rest with black bars rather than stretch it.
  const host::Rect shown = host::FitPicture(bw, bh, dw, dh);
  const int x = shown.x, y = shown.y, w = shown.w, h = shown.h;
  gl_.Enable(CAP_SCISSOR_TEST, false);
  gl_.ColorMask(0xF);
  const GLenum filter = (w == bw && h == bh) ? GL_NEAREST : GL_LINEAR;
  const bool bars = w != dw || h != dh;
  // The back buffer's first row is the top one; the window's is the bottom.
#ifndef GLORBS_GL_ES
  if (gl_.directAccess()) {
    // The frame's drawing keeps its framebuffer bound.
    const float black[4] = {0, 0, 0, 1};
    if (bars) GL(ClearNamedFramebufferfv)(fb, GL_COLOR, 0, black);
    GL(BlitNamedFramebuffer)(target_.fbo, fb, 0, 0, bw, bh, x, y + h, x + w, y, GL_COLOR_BUFFER_BIT, filter);
    rasterDirty_ = true;
    return;
  }
#endif
  gl_.BindReadFramebuffer(target_.fbo);
  gl_.BindDrawFramebuffer(fb);
  if (bars) {
    gl_.ClearColor(0, 0, 0, 1);
    GL(Clear)(GL_COLOR_BUFFER_BIT);
  }
  GL(BlitFramebuffer)(0, 0, bw, bh, x, y + h, x + w, y, GL_COLOR_BUFFER_BIT, filter);
  rasterDirty_ = true;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  UpdateLoss();
  if (lost_) return D3DERR_DEVICELOST;
  host::MakeGLCurrent();
  FlushDraws();
  int dw = 0, dh = 0;
  host::GetDrawableSize(&dw, &dh);
  if (dw > 0 && dh > 0) BlitToDrawable(0, dw, dh);
  if (pictureTexture_) {
    // The device's frames cover the window's GDI picture from now on, so
    // its copy goes; a later picture is uploaded afresh.
    gl_.BindReadFramebuffer(0);
    gl_.Forget(pictureTexture_);
    GL(DeleteFramebuffers)(1, &pictureFbo_);
    GL(DeleteTextures)(1, &pictureTexture_);
    pictureTexture_ = pictureFbo_ = 0;
    pictureW_ = pictureH_ = 0;
  }
  host::SwapWindowBuffers();
  return D3D_OK;
}

void Device::PresentPicture(const uint32_t* pixels, int w, int h, int pitch) {
  host::MakeGLCurrent();
  if (!pictureTexture_) {
    GL(GenTextures)(1, &pictureTexture_);
    GL(GenFramebuffers)(1, &pictureFbo_);
  }
  gl_.BindForUpdate(0, pictureTexture_);
  GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, pitch / 4);
  if (w != pictureW_ || h != pictureH_) {
    GL(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl_.BindReadFramebuffer(pictureFbo_);
    GL(FramebufferTexture2D)(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, pictureTexture_, 0);
    pictureW_ = w;
    pictureH_ = h;
  } else {
    GL(TexSubImage2D)(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  }
  GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, 0);
  int dw = 0, dh = 0;
  host::GetDrawableSize(&dw, &dh);
  gl_.BindReadFramebuffer(pictureFbo_);
  gl_.BindDrawFramebuffer(0);
  gl_.Enable(CAP_SCISSOR_TEST, false);
  gl_.ColorMask(0xF);
  GL(BlitFramebuffer)(0, 0, w, h, 0, dh, dw, 0, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  rasterDirty_ = true;
  host::SwapWindowBuffers();
}

// -------------------------------------------------------- back-buffer bytes

void Device::ReadTarget(const RECT& r, BYTE* dest, UINT destPitch) {
  FlushDraws();
  const FormatInfo& f = *target_.colorFormat;
  gl_.BindReadFramebuffer(target_.fbo);
  GL(PixelStorei)(GL_PACK_ROW_LENGTH, destPitch / f.bytesPerPixel);
  GL(ReadPixels)
  (r.left, r.top, r.right - r.left, r.bottom - r.top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, dest);
  GL(PixelStorei)(GL_PACK_ROW_LENGTH, 0);
  if (!f.forceOpaque) return;
  for (LONG y = 0; y < r.bottom - r.top; ++y)
    for (LONG x = 0; x < r.right - r.left; ++x) dest[static_cast<size_t>(y) * destPitch + 4 * x + 3] = 0xFF;
}

void Device::WriteTarget(const RECT& r, const BYTE* src, UINT srcPitch) {
  FlushDraws();
  gl_.BindForUpdate(0, target_.color);
  GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, srcPitch / target_.colorFormat->bytesPerPixel);
  GL(TexSubImage2D)
  (GL_TEXTURE_2D, 0, r.left, r.top, r.right - r.left, r.bottom - r.top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
   src);
  GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, 0);
}

// ---------------------------------------------------------- small queries

UINT Device::GetAvailableTextureMem() {
  return 256u << 20;
}

HRESULT Device::GetDirect3D(IDirect3D8** d3d) {
  if (!d3d) return D3DERR_INVALIDCALL;
  d3d_->AddRef();
  *d3d = d3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  FillCaps(caps);
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
  if (!mode) return D3DERR_INVALIDCALL;
  if (params_.Windowed) return d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode);
  *mode = D3DDISPLAYMODE{params_.BackBufferWidth, params_.BackBufferHeight, 60, D3DFMT_X8R8G8B8};
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) {
  if (!params) return D3DERR_INVALIDCALL;
  *params = D3DDEVICE_CREATION_PARAMETERS{D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, focusWindow_, behavior_};
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  backSurface_->AddRef();
  *surface = backSurface_.get();
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!depthSurface_) return D3DERR_NOTFOUND;
  depthSurface_->AddRef();
  *surface = depthSurface_.get();
  return D3D_OK;
}

// ----------------------------------------------------------------- scene

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  FlushDraws();
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
  if ((count && !rects) || flags == 0 || (flags & ~7u)) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_ZBUFFER) && !target_.depthFormat) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && !(target_.depthFormat && target_.depthFormat->stencil))
    return D3DERR_INVALIDCALL;
  if (!(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;  // NaN too
  host::MakeGLCurrent();
  FlushDraws();
  gl_.BindDrawFramebuffer(target_.fbo);
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) {
    gl_.ColorMask(0xF);
    gl_.ClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                   (color >> 24) / 255.0f);
    bits |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    gl_.DepthMask(true);
    gl_.ClearDepth(z);
    bits |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_STENCIL) {
    gl_.StencilWriteMask(0xFF);
    GL(ClearStencil)(static_cast<GLint>(stencil & 0xFF));
    bits |= GL_STENCIL_BUFFER_BIT;
  }
  // Clears never reach past the viewport; one that covers the whole target
  // needs no scissor.
  const D3DVIEWPORT8& v = state_.viewport;
  const LONG vx0 = v.X, vy0 = v.Y, vx1 = v.X + v.Width, vy1 = v.Y + v.Height;
  const bool whole = !count && vx0 == 0 && vy0 == 0 && vx1 >= static_cast<LONG>(target_.width) &&
                     vy1 >= static_cast<LONG>(target_.height);
  gl_.Enable(CAP_SCISSOR_TEST, !whole);
  const DWORD n = count ? count : 1;
  for (DWORD i = 0; i < n; ++i) {
    LONG x0 = vx0, y0 = vy0, x1 = vx1, y1 = vy1;
    if (count) {
      x0 = std::max(x0, rects[i].x1), y0 = std::max(y0, rects[i].y1);
      x1 = std::min(x1, rects[i].x2), y1 = std::min(y1, rects[i].y2);
      if (x1 <= x0 || y1 <= y0) continue;
    }
    if (!whole) gl_.Scissor(x0, y0, x1 - x0, y1 - y0);
    GL(Clear)(bits);
  }
  rasterDirty_ = true;
  return D3D_OK;
}

// ------------------------------------------------- the layer's own entries

HRESULT ReadBackBuffer(IDirect3DDevice8* device, uint32_t* out, UINT w, UINT h) {
  Device* d = static_cast<Device*>(device);
  if (!d || !out || w != d->backBuffer().width || h != d->backBuffer().height) return D3DERR_INVALIDCALL;
  host::MakeGLCurrent();
  RECT all = {0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
  d->ReadTarget(all, reinterpret_cast<BYTE*>(out), w * 4);
  return D3D_OK;
}

HRESULT SetDrawCoalescing(IDirect3DDevice8* device, BOOL on) {
  Device* d = static_cast<Device*>(device);
  if (!d) return D3DERR_INVALIDCALL;
  host::MakeGLCurrent();
  d->SetCoalescing(on != FALSE);
  return D3D_OK;
}

HRESULT ReadDrawable(IDirect3DDevice8* device, uint32_t* out, UINT w, UINT h) {
  Device* d = static_cast<Device*>(device);
  if (!d || !out || w == 0 || h == 0 || w > 8192 || h > 8192) return D3DERR_INVALIDCALL;
  host::MakeGLCurrent();
  d->FlushDraws();
  GLuint tex = 0, fb = 0;
  GL(GenTextures)(1, &tex);
  d->gl().BindForUpdate(0, tex);
  GL(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  GL(GenFramebuffers)(1, &fb);
  d->gl().BindDrawFramebuffer(fb);
  GL(FramebufferTexture2D)(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, 0);
  d->BlitToDrawable(fb, static_cast<int>(w), static_cast<int>(h));
  d->gl().BindReadFramebuffer(fb);
  std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
  GL(ReadPixels)(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
  // Like a window, the copy holds its bottom row first.
  for (UINT y = 0; y < h; ++y)
    std::memcpy(out + static_cast<size_t>(y) * w, &rows[static_cast<size_t>(h - 1 - y) * w], w * 4);
  d->gl().BindDrawFramebuffer(0);
  d->gl().BindReadFramebuffer(0);
  d->gl().Forget(tex);
  GL(DeleteFramebuffers)(1, &fb);
  GL(DeleteTextures)(1, &tex);
  return D3D_OK;
}

}  // namespace d3d8
