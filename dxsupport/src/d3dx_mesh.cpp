// SPDX-License-Identifier: MIT
// ID3DXMesh over Direct3D vertex and index buffers, with the attribute of
// each face kept in memory, and ID3DXBuffer. Relies on the device to create
// and lock the buffers and to draw indexed triangle lists.
#include <d3dx8mesh.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "d3dx_diagnostics.h"
#include "fvf_layout.h"

namespace dxsupport {

HRESULT InvalidCall(const char* text) {
  OutputDebugStringA(text);
  return D3DERR_INVALIDCALL;
}

namespace {

class Buffer final : public ComObject<ID3DXBuffer> {
 public:
  explicit Buffer(DWORD size) : bytes_(size ? size : 1, 0), size_(size) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_ID3DXBuffer});
  }
  STDMETHODIMP_(LPVOID) GetBufferPointer() override { return bytes_.data(); }
  STDMETHODIMP_(DWORD) GetBufferSize() override { return size_; }

 private:
  std::vector<uint8_t> bytes_;
  DWORD size_ = 0;
};

D3DPOOL PoolFor(DWORD options, DWORD systemBit, DWORD managedBit) {
  if (options & systemBit) return D3DPOOL_SYSTEMMEM;
  return (options & managedBit) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
}

DWORD UsageFor(DWORD options, DWORD writeOnlyBit, DWORD dynamicBit) {
  return ((options & writeOnlyBit) ? D3DUSAGE_WRITEONLY : 0) |
         ((options & dynamicBit) ? D3DUSAGE_DYNAMIC : 0);
}

void CopyField(const uint8_t* src, const FvfField& from, uint8_t* dst, const FvfField& to) {
  if (from.offset >= 0 && to.offset >= 0)
    std::memcpy(dst + to.offset, src + from.offset, std::min(from.size, to.size));
}

// Converts `count` vertices between layouts; fields only `to` has are zero.
void ConvertVertices(const uint8_t* src, const FvfLayout& from, uint8_t* dst, const FvfLayout& to,
                     DWORD count) {
  std::memset(dst, 0, size_t(count) * to.stride);
  for (DWORD i = 0; i < count; ++i, src += from.stride, dst += to.stride) {
    CopyField(src, from.position, dst, to.position);
    CopyField(src, from.normal, dst, to.normal);
    CopyField(src, from.pointSize, dst, to.pointSize);
    CopyField(src, from.diffuse, dst, to.diffuse);
    CopyField(src, from.specular, dst, to.specular);
    for (int t = 0; t < 8; ++t) CopyField(src, from.tex[t], dst, to.tex[t]);
  }
}

class Mesh final : public ComObject<ID3DXMesh> {
 public:
  Mesh(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, const FvfLayout& layout,
       IDirect3DDevice8* device)
      : device_(device),
        attributes_(faces, 0),
        faces_(faces),
        vertices_(vertices),
        options_(options),
        fvf_(fvf),
        layout_(layout) {
    device_->AddRef();
  }
  ~Mesh() override {
    SafeRelease(ib_);
    SafeRelease(vb_);
    SafeRelease(device_);
  }
  HRESULT CreateBuffers();

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_ID3DXBaseMesh, &IID_ID3DXMesh});
  }
  STDMETHODIMP DrawSubset(DWORD attribId) override;
  STDMETHODIMP_(DWORD) GetNumFaces() override { return faces_; }
  STDMETHODIMP_(DWORD) GetNumVertices() override { return vertices_; }
  STDMETHODIMP_(DWORD) GetFVF() override { return fvf_; }
  STDMETHODIMP_(DWORD) GetOptions() override { return options_; }
  STDMETHODIMP GetDevice(LPDIRECT3DDEVICE8* device) override { return Hand(device_, device); }
  STDMETHODIMP CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE8 device,
                            LPD3DXMESH* cloneMesh) override;
  STDMETHODIMP GetVertexBuffer(LPDIRECT3DVERTEXBUFFER8* vertexBuffer) override {
    return Hand(vb_, vertexBuffer);
  }
  STDMETHODIMP GetIndexBuffer(LPDIRECT3DINDEXBUFFER8* indexBuffer) override { return Hand(ib_, indexBuffer); }
  STDMETHODIMP LockVertexBuffer(DWORD flags, BYTE** data) override { return vb_->Lock(0, 0, data, flags); }
  STDMETHODIMP UnlockVertexBuffer() override { return vb_->Unlock(); }
  STDMETHODIMP LockIndexBuffer(DWORD flags, BYTE** data) override { return ib_->Lock(0, 0, data, flags); }
  STDMETHODIMP UnlockIndexBuffer() override { return ib_->Unlock(); }
  STDMETHODIMP GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override;
  STDMETHODIMP LockAttributeBuffer(DWORD, DWORD** data) override {
    if (!data) return InvalidCall("ID3DXMesh::LockAttributeBuffer: NULL output pointer\n");
    *data = attributes_.data();
    return D3D_OK;
  }
  STDMETHODIMP UnlockAttributeBuffer() override { return D3D_OK; }

 private:
  template <typename T>
  static HRESULT Hand(T* object, T** out) {
    if (!out) return InvalidCall("ID3DXMesh: NULL output pointer\n");
    *out = object;
    object->AddRef();
    return D3D_OK;
  }
  std::vector<D3DXATTRIBUTERANGE> Ranges() const;

  IDirect3DDevice8* device_ = nullptr;
  IDirect3DVertexBuffer8* vb_ = nullptr;
  IDirect3DIndexBuffer8* ib_ = nullptr;
  std::vector<DWORD> attributes_;
  DWORD faces_ = 0;
  DWORD vertices_ = 0;
  DWORD options_ = 0;
  DWORD fvf_ = 0;
  FvfLayout layout_;
};

HRESULT Mesh::CreateBuffers() {
  const bool wide = options_ & D3DXMESH_32BIT;
  HRESULT hr = device_->CreateVertexBuffer(
      vertices_ * layout_.stride, UsageFor(options_, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC), fvf_,
      PoolFor(options_, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &vb_);
  if (FAILED(hr)) return hr;
  return device_->CreateIndexBuffer(faces_ * 3 * (wide ? 4 : 2),
                                    UsageFor(options_, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC),
                                    wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                    PoolFor(options_, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &ib_);
}

std::vector<D3DXATTRIBUTERANGE> Mesh::Ranges() const {
  std::vector<D3DXATTRIBUTERANGE> ranges;
  for (DWORD f = 0; f < faces_; ++f) {
    if (ranges.empty() || ranges.back().AttribId != attributes_[f]) {
      ranges.push_back({attributes_[f], f, 0, 0, vertices_});
    }
    ++ranges.back().FaceCount;
  }
  return ranges;
}

STDMETHODIMP Mesh::DrawSubset(DWORD attribId) {
  HRESULT hr = device_->SetVertexShader(fvf_);
  if (SUCCEEDED(hr)) hr = device_->SetStreamSource(0, vb_, static_cast<UINT>(layout_.stride));
  if (SUCCEEDED(hr)) hr = device_->SetIndices(ib_, 0);
  for (const D3DXATTRIBUTERANGE& r : Ranges()) {
    if (FAILED(hr)) break;
    if (r.AttribId == attribId)
      hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertices_, r.FaceStart * 3, r.FaceCount);
  }
  return hr;
}

STDMETHODIMP Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) {
  if (!size) return InvalidCall("ID3DXMesh::GetAttributeTable: NULL size\n");
  const std::vector<D3DXATTRIBUTERANGE> ranges = Ranges();
  if (table) std::copy(ranges.begin(), ranges.end(), table);
  *size = static_cast<DWORD>(ranges.size());
  return D3D_OK;
}

// Copies indices between 16- and 32-bit buffers.
void ConvertIndices(const BYTE* src, bool srcWide, BYTE* dst, bool dstWide, DWORD count) {
  for (DWORD i = 0; i < count; ++i) {
    DWORD v = 0;
    if (srcWide)
      std::memcpy(&v, src + 4 * i, 4);
    else
      v = reinterpret_cast<const WORD*>(src)[i];
    if (dstWide)
      std::memcpy(dst + 4 * i, &v, 4);
    else
      reinterpret_cast<WORD*>(dst)[i] = static_cast<WORD>(v);
  }
}

STDMETHODIMP Mesh::CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE8 device, LPD3DXMESH* cloneMesh) {
  if (!cloneMesh) return InvalidCall("ID3DXMesh::CloneMeshFVF: NULL output mesh\n");
  *cloneMesh = nullptr;
  // Indices stay 32-bit when the vertices need them.
  if (vertices_ > 0xFFFF) options |= D3DXMESH_32BIT;
  ID3DXMesh* clone = nullptr;
  HRESULT hr = D3DXCreateMeshFVF(faces_, vertices_, options, fvf, device ? device : device_, &clone);
  if (FAILED(hr)) return hr;
  Mesh* out = static_cast<Mesh*>(clone);
  BYTE* src = nullptr;
  BYTE* dst = nullptr;
  if (SUCCEEDED(hr = LockVertexBuffer(D3DLOCK_READONLY, &src))) {
    if (SUCCEEDED(hr = out->LockVertexBuffer(0, &dst))) {
      ConvertVertices(src, layout_, dst, out->layout_, vertices_);
      out->UnlockVertexBuffer();
    }
    UnlockVertexBuffer();
  }
  if (SUCCEEDED(hr) && SUCCEEDED(hr = LockIndexBuffer(D3DLOCK_READONLY, &src))) {
    if (SUCCEEDED(hr = out->LockIndexBuffer(0, &dst))) {
      ConvertIndices(src, options_ & D3DXMESH_32BIT, dst, out->options_ & D3DXMESH_32BIT, faces_ * 3);
      out->UnlockIndexBuffer();
    }
    UnlockIndexBuffer();
  }
  if (FAILED(hr)) {
    clone->Release();
    return hr;
  }
  out->attributes_ = attributes_;
  *cloneMesh = clone;
  return D3D_OK;
}

}  // namespace
}  // namespace dxsupport

HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer) {
  if (!buffer) return dxsupport::InvalidCall("D3DXCreateBuffer: NULL output buffer\n");
  *buffer = new dxsupport::Buffer(numBytes);
  return D3D_OK;
}

HRESULT WINAPI D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                                 LPDIRECT3DDEVICE8 device, LPD3DXMESH* mesh) {
  if (!mesh) return dxsupport::InvalidCall("D3DXCreateMeshFVF: NULL output mesh\n");
  *mesh = nullptr;
  if (!device) return dxsupport::InvalidCall("D3DXCreateMeshFVF: NULL device\n");
  dxsupport::FvfLayout layout;
  if (!dxsupport::ComputeFvfLayout(fvf, &layout))
    return dxsupport::InvalidCall("D3DXCreateMeshFVF: invalid FVF\n");
  if (numFaces == 0 || numVertices == 0 || numFaces > 0x3FFFFFFF / 3 ||
      numVertices > 0x7FFFFFFFu / static_cast<DWORD>(layout.stride))
    return dxsupport::InvalidCall("D3DXCreateMeshFVF: invalid face or vertex count\n");
  if (!(options & D3DXMESH_32BIT) && numVertices > 0x10000)
    return dxsupport::InvalidCall("D3DXCreateMeshFVF: too many vertices for 16-bit indices\n");
  auto* created = new dxsupport::Mesh(numFaces, numVertices, options, fvf, layout, device);
  const HRESULT hr = created->CreateBuffers();
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  *mesh = created;
  return D3D_OK;
}
