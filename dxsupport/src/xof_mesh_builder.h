// SPDX-License-Identifier: MIT
// Gathers the meshes of a .x file into one triangle list with materials, as
// the mesh loaders walk the file's objects: positions placed by the current
// frame matrix, polygons split into triangle fans, vertices split where a
// corner's normal differs. Every count and index is checked first.
#pragma once

#include <d3dx8mesh.h>

#include <string>
#include <vector>

namespace dxsupport {

struct BuiltMaterial {
  D3DMATERIAL8 material = {};
  std::string texture;
  bool hasTexture = false;
};

struct BuiltVertex {
  D3DXVECTOR3 position;
  D3DXVECTOR3 normal;
  float u = 0.0f;
  float v = 0.0f;
  D3DCOLOR color = 0;
};

class XofMeshBuilder {
 public:
  // Walks one top-level data object with the identity matrix.
  HRESULT AddObject(IDirectXFileData* data);
  // The mesh and material buffer of everything added; E_FAIL without meshes.
  HRESULT Finish(DWORD options, IDirect3DDevice8* device, LPD3DXBUFFER* materials, DWORD* numMaterials,
                 LPD3DXMESH* mesh);

 private:
  HRESULT Visit(IDirectXFileData* data, D3DXMATRIX* current, int depth);
  HRESULT AddMesh(IDirectXFileData* data, const D3DXMATRIX& matrix);
  DWORD DefaultMaterial();

  std::vector<BuiltVertex> vertices_;
  std::vector<DWORD> indices_;     // three per triangle
  std::vector<DWORD> attributes_;  // one per triangle
  std::vector<BuiltMaterial> materials_;
  bool anyMesh_ = false;
  bool hasNormals_ = false;
  bool hasTexCoords_ = false;
  bool hasColors_ = false;
  long defaultMaterial_ = -1;
  long visits_ = 0;
  static constexpr long kMaxVisits = 100000;
};

// One mesh from every top-level object of an open .x file, as
// D3DXLoadMeshFromX builds it (the objects are used up).
HRESULT LoadMeshFromObjects(IDirectXFileEnumObject* objects, DWORD options, IDirect3DDevice8* device,
                            LPD3DXBUFFER* materials, DWORD* numMaterials, LPD3DXMESH* mesh);

}  // namespace dxsupport
