// SPDX-License-Identifier: MIT
// Meshes and frame hierarchies from DirectX .x files. An XMesh keeps its
// mesh twice: a system-memory copy that survives device resets and may be
// edited, and a drawable device copy cloned from it. XFrame is one node of a
// .x frame tree, XFile the root of a whole file.
#pragma once

#include <d3dx8.h>

constexpr DWORD kXNameSize = 512;  // names: 511 characters and a terminator

class XMesh {
 public:
  explicit XMesh(const char* meshName);
  virtual ~XMesh();
  XMesh(const XMesh&) = delete;
  XMesh& operator=(const XMesh&) = delete;

  // Loads the system mesh, its materials and the textures they name (a
  // texture that cannot be loaded leaves its material untextured). A
  // successful load releases whatever the mesh held before; a failed one
  // returns the loader's error and leaves the mesh as it was.
  HRESULT LoadFromFile(IDirect3DDevice8* device, const char* fileName);
  HRESULT LoadFromData(IDirect3DDevice8* device, IDirectXFileData* data);
  // Clones both meshes to vertex format `fvf` and recomputes their normals;
  // E_FAIL leaves the old meshes in place.
  HRESULT ConvertVertexFormat(IDirect3DDevice8* device, DWORD fvf);
  // After device creation and every reset; E_FAIL without a system mesh.
  HRESULT CreateDeviceMesh(IDirect3DDevice8* device);
  // Before every reset.
  HRESULT ReleaseDeviceMesh();
  // Opaque pass: subsets whose diffuse alpha is not below 1. Translucent
  // pass: subsets whose diffuse alpha is not exactly 1. The caller sets the
  // blend and depth states of each pass. E_FAIL without a device mesh.
  HRESULT Render(IDirect3DDevice8* device, bool drawOpaque = true, bool drawAlpha = true);
  // Releases everything; the object may be loaded again afterwards.
  HRESULT Destroy();

  char name[kXNameSize] = {};
  ID3DXMesh* systemMesh = nullptr;
  ID3DXMesh* deviceMesh = nullptr;
  DWORD materialCount = 0;                 // number of subsets
  D3DMATERIAL8* materials = nullptr;       // materialCount entries, or null
  IDirect3DTexture8** textures = nullptr;  // one per material, null where untextured
  BOOL useMaterials = TRUE;

 private:
  HRESULT TakeMesh(IDirect3DDevice8* device, ID3DXMesh* loaded, ID3DXBuffer* materialBuffer, DWORD count);
};

class XFrame {
 public:
  explicit XFrame(const char* frameName);
  // Deletes the own mesh and the child and sibling subtrees.
  virtual ~XFrame();
  XFrame(const XFrame&) = delete;
  XFrame& operator=(const XFrame&) = delete;

  // Walks own mesh, child subtree, sibling subtree; names compare without
  // regard to case. Null when nothing matches.
  XMesh* FindMesh(const char* meshName);
  XFrame* FindFrame(const char* frameName);
  BOOL ForEachMesh(bool (*callback)(XMesh* mesh, void* context), void* context);
  HRESULT CreateDeviceMesh(IDirect3DDevice8* device);
  HRESULT ReleaseDeviceMesh();
  // Destroys and deletes the meshes, children and siblings of the tree.
  HRESULT Destroy();
  // Draws the subtree under (own matrix x current world), then the siblings
  // under the current world; the world transform is restored.
  HRESULT Render(IDirect3DDevice8* device, bool drawOpaque = true, bool drawAlpha = true);

  char name[kXNameSize] = {};
  D3DXMATRIX matrix;
  XMesh* mesh = nullptr;
  XFrame* next = nullptr;
  XFrame* child = nullptr;
};

class XFile : public XFrame {
 public:
  XFile() : XFrame("") {}
  // Loads every top-level object of the file into this root. Children are
  // prepended, so they end in the reverse of their file order.
  HRESULT LoadFromFile(IDirect3DDevice8* device, const char* fileName);
  // Draws the root's children: opaque subsets, then translucent subsets
  // with source-alpha blending (which is left off afterwards).
  HRESULT Render(IDirect3DDevice8* device);

 private:
  HRESULT LoadObject(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent);
  HRESULT LoadFrame(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent);
};
