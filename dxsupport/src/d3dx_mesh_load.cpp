// SPDX-License-Identifier: MIT
// Mesh loading from .x files and data objects: the parser enumerates the
// objects, XofMeshBuilder gathers them, and the result becomes one mesh and
// one buffer of D3DXMATERIAL records (texture names stored after them).
#include <d3dx8mesh.h>
#include <rmxftmpl.h>

#include <cstring>

#include "d3dx_diagnostics.h"
#include "fvf_layout.h"
#include "xof_mesh_builder.h"

namespace dxsupport {
namespace {

HRESULT FillMesh(ID3DXMesh* mesh, const std::vector<BuiltVertex>& vertices, const std::vector<DWORD>& indices,
                 const std::vector<DWORD>& attributes) {
  FvfLayout layout;
  ComputeFvfLayout(mesh->GetFVF(), &layout);
  BYTE* vb = nullptr;
  HRESULT hr = mesh->LockVertexBuffer(0, &vb);
  if (FAILED(hr)) return hr;
  for (const BuiltVertex& v : vertices) {
    std::memset(vb, 0, layout.stride);
    std::memcpy(vb + layout.position.offset, &v.position, 12);
    if (layout.normal.offset >= 0) std::memcpy(vb + layout.normal.offset, &v.normal, 12);
    if (layout.diffuse.offset >= 0) std::memcpy(vb + layout.diffuse.offset, &v.color, 4);
    const float uv[2] = {v.u, v.v};
    if (layout.tex[0].offset >= 0) std::memcpy(vb + layout.tex[0].offset, uv, 8);
    vb += layout.stride;
  }
  mesh->UnlockVertexBuffer();
  BYTE* ib = nullptr;
  if (FAILED(hr = mesh->LockIndexBuffer(0, &ib))) return hr;
  const bool wide = mesh->GetOptions() & D3DXMESH_32BIT;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (wide)
      std::memcpy(ib + 4 * i, &indices[i], 4);
    else
      reinterpret_cast<WORD*>(ib)[i] = static_cast<WORD>(indices[i]);
  }
  mesh->UnlockIndexBuffer();
  DWORD* attr = nullptr;
  if (FAILED(hr = mesh->LockAttributeBuffer(0, &attr))) return hr;
  std::copy(attributes.begin(), attributes.end(), attr);
  return mesh->UnlockAttributeBuffer();
}

HRESULT MakeMaterialBuffer(const std::vector<BuiltMaterial>& materials, LPD3DXBUFFER* out) {
  size_t size = materials.size() * sizeof(D3DXMATERIAL);
  for (const BuiltMaterial& m : materials)
    if (m.hasTexture) size += m.texture.size() + 1;
  HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), out);
  if (FAILED(hr)) return hr;
  auto* records = static_cast<D3DXMATERIAL*>((*out)->GetBufferPointer());
  char* names = reinterpret_cast<char*>(records + materials.size());
  for (size_t i = 0; i < materials.size(); ++i) {
    records[i].MatD3D = materials[i].material;
    records[i].pTextureFilename = nullptr;
    if (!materials[i].hasTexture) continue;
    std::memcpy(names, materials[i].texture.c_str(), materials[i].texture.size() + 1);
    records[i].pTextureFilename = names;
    names += materials[i].texture.size() + 1;
  }
  return D3D_OK;
}

// Checks the arguments every loader shares and clears the outputs.
HRESULT CheckLoadArguments(const char* who, const void* source, LPDIRECT3DDEVICE8 device,
                           LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                           LPD3DXMESH* mesh) {
  if (adjacency) *adjacency = nullptr;
  if (materials) *materials = nullptr;
  if (numMaterials) *numMaterials = 0;
  if (mesh) *mesh = nullptr;
  char line[128];
  const char* missing = !source ? "source" : !device ? "device" : !mesh ? "output mesh" : nullptr;
  if (!missing) return D3D_OK;
  std::snprintf(line, sizeof line, "%s: NULL %s\n", who, missing);
  return InvalidCall(line);
}

}  // namespace

HRESULT XofMeshBuilder::Finish(DWORD options, IDirect3DDevice8* device, LPD3DXBUFFER* materials,
                               DWORD* numMaterials, LPD3DXMESH* mesh) {
  if (!anyMesh_) return E_FAIL;
  DWORD fvf = D3DFVF_XYZ;
  if (hasNormals_) fvf |= D3DFVF_NORMAL;
  if (hasColors_) fvf |= D3DFVF_DIFFUSE;
  if (hasTexCoords_) fvf |= D3DFVF_TEX1;
  if (vertices_.size() > 0xFFFF) options |= D3DXMESH_32BIT;
  ID3DXMesh* built = nullptr;
  HRESULT hr = D3DXCreateMeshFVF(static_cast<DWORD>(attributes_.size()), static_cast<DWORD>(vertices_.size()),
                                 options, fvf, device, &built);
  if (SUCCEEDED(hr)) hr = FillMesh(built, vertices_, indices_, attributes_);
  LPD3DXBUFFER buffer = nullptr;
  if (SUCCEEDED(hr) && materials) hr = MakeMaterialBuffer(materials_, &buffer);
  if (FAILED(hr)) {
    SafeRelease(built);
    return hr;
  }
  if (materials) *materials = buffer;
  if (numMaterials) *numMaterials = static_cast<DWORD>(materials_.size());
  *mesh = built;
  return D3D_OK;
}

HRESULT LoadMeshFromObjects(IDirectXFileEnumObject* objects, DWORD options, IDirect3DDevice8* device,
                            LPD3DXBUFFER* materials, DWORD* numMaterials, LPD3DXMESH* mesh) {
  XofMeshBuilder builder;
  IDirectXFileData* data = nullptr;
  HRESULT hr = D3D_OK;
  while (SUCCEEDED(hr) && (hr = objects->GetNextDataObject(&data)) == DXFILE_OK) {
    hr = builder.AddObject(data);
    data->Release();
  }
  return hr == DXFILEERR_NOMOREOBJECTS ? builder.Finish(options, device, materials, numMaterials, mesh) : hr;
}

}  // namespace dxsupport

HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR fileName, DWORD options, LPDIRECT3DDEVICE8 device,
                                 LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                 LPD3DXMESH* mesh) {
  HRESULT hr = dxsupport::CheckLoadArguments("D3DXLoadMeshFromX", fileName, device, adjacency, materials,
                                             numMaterials, mesh);
  if (FAILED(hr)) return hr;
  IDirectXFile* file = nullptr;
  IDirectXFileEnumObject* objects = nullptr;
  if (FAILED(hr = DirectXFileCreate(&file))) return hr;
  hr = file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
  if (SUCCEEDED(hr)) hr = file->CreateEnumObject(const_cast<char*>(fileName), DXFILELOAD_FROMFILE, &objects);
  if (SUCCEEDED(hr))
    hr = dxsupport::LoadMeshFromObjects(objects, options, device, materials, numMaterials, mesh);
  SafeRelease(objects);
  SafeRelease(file);
  return hr;
}

HRESULT WINAPI D3DXLoadMeshFromXof(LPDIRECTXFILEDATA data, DWORD options, LPDIRECT3DDEVICE8 device,
                                   LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                   LPD3DXMESH* mesh) {
  HRESULT hr = dxsupport::CheckLoadArguments("D3DXLoadMeshFromXof", data, device, adjacency, materials,
                                             numMaterials, mesh);
  if (FAILED(hr)) return hr;
  dxsupport::XofMeshBuilder builder;
  hr = builder.AddObject(data);
  return SUCCEEDED(hr) ? builder.Finish(options, device, materials, numMaterials, mesh) : hr;
}
