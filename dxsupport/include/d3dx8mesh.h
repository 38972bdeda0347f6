// SPDX-License-Identifier: MIT
// Meshes of the extension library: ID3DXMesh with its vertex, index and
// attribute buffers, loading from .x files and data objects, normals and
// bounding spheres, and ID3DXBuffer, the byte block the loaders return.
#pragma once

#include <d3d8.h>
#include <dxfile.h>

#include <d3dx8math.h>

#define D3DXMESH_32BIT 0x001
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_NPATCHES 0x4000
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_WRITEONLY 0x440
#define D3DXMESH_DYNAMIC 0x880

#define MAKE_D3DXHRESULT(code) MAKE_HRESULT(1, 0x876, code)
#define D3DXERR_CANNOTMODIFYINDEXBUFFER MAKE_D3DXHRESULT(2900)
#define D3DXERR_INVALIDMESH MAKE_D3DXHRESULT(2901)
#define D3DXERR_CANNOTATTRSORT MAKE_D3DXHRESULT(2902)
#define D3DXERR_SKINNINGNOTSUPPORTED MAKE_D3DXHRESULT(2903)
#define D3DXERR_TOOMANYINFLUENCES MAKE_D3DXHRESULT(2904)
#define D3DXERR_INVALIDDATA MAKE_D3DXHRESULT(2905)
#define D3DXERR_LOADEDMESHASNODATA MAKE_D3DXHRESULT(2906)

// A material as the loaders deliver it; the name points into the same buffer.
typedef struct _D3DXMATERIAL {
  D3DMATERIAL8 MatD3D;
  LPSTR pTextureFilename;
} D3DXMATERIAL, *LPD3DXMATERIAL;

typedef struct _D3DXATTRIBUTERANGE {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
} D3DXATTRIBUTERANGE, *LPD3DXATTRIBUTERANGE;

struct ID3DXBuffer;
struct ID3DXBaseMesh;
struct ID3DXMesh;
typedef ID3DXBuffer* LPD3DXBUFFER;
typedef ID3DXBaseMesh* LPD3DXBASEMESH;
typedef ID3DXMesh* LPD3DXMESH;

DEFINE_GUID(IID_ID3DXBuffer, 0x932e6a7e, 0xc68e, 0x45dd, 0xa7, 0xbf, 0x53, 0xd1, 0x9c, 0x86, 0xdb, 0x1f);
DEFINE_GUID(IID_ID3DXBaseMesh, 0x2a835771, 0xbf4d, 0x43f4, 0x8e, 0x14, 0x82, 0xa8, 0x9c, 0xe5, 0x82, 0x5b);
DEFINE_GUID(IID_ID3DXMesh, 0xccae5c3b, 0x4dd1, 0x4d0f, 0x99, 0x7e, 0x46, 0x84, 0xca, 0x64, 0x55, 0x7f);

struct ID3DXBuffer : public IUnknown {
  STDMETHOD_(LPVOID, GetBufferPointer)() PURE;
  STDMETHOD_(DWORD, GetBufferSize)() PURE;
};

// Triangle-list meshes. Faces keep the order they were built in; face i
// has the attribute (subset id) at index i of the attribute buffer.
struct ID3DXBaseMesh : public IUnknown {
  // Draws every face whose attribute is `attribId` with the device's
  // current state; D3D_OK with nothing drawn when no face has it.
  STDMETHOD(DrawSubset)(DWORD attribId) PURE;
  STDMETHOD_(DWORD, GetNumFaces)() PURE;
  STDMETHOD_(DWORD, GetNumVertices)() PURE;
  STDMETHOD_(DWORD, GetFVF)() PURE;
  STDMETHOD_(DWORD, GetOptions)() PURE;
  STDMETHOD(GetDevice)(LPDIRECT3DDEVICE8* device) PURE;
  // Same faces and attributes, vertices converted to `fvf`: fields in both
  // formats are copied, fields new to `fvf` are zero.
  STDMETHOD(CloneMeshFVF)(DWORD options, DWORD fvf, LPDIRECT3DDEVICE8 device, LPD3DXMESH* cloneMesh) PURE;
  // Both add a reference the caller releases.
  STDMETHOD(GetVertexBuffer)(LPDIRECT3DVERTEXBUFFER8* vertexBuffer) PURE;
  STDMETHOD(GetIndexBuffer)(LPDIRECT3DINDEXBUFFER8* indexBuffer) PURE;
  STDMETHOD(LockVertexBuffer)(DWORD flags, BYTE** data) PURE;
  STDMETHOD(UnlockVertexBuffer)() PURE;
  STDMETHOD(LockIndexBuffer)(DWORD flags, BYTE** data) PURE;
  STDMETHOD(UnlockIndexBuffer)() PURE;
  // Runs of consecutive faces with one attribute, in face order. With a
  // null table only the count is returned.
  STDMETHOD(GetAttributeTable)(D3DXATTRIBUTERANGE* table, DWORD* size) PURE;
};

struct ID3DXMesh : public ID3DXBaseMesh {
  STDMETHOD(LockAttributeBuffer)(DWORD flags, DWORD** data) PURE;
  STDMETHOD(UnlockAttributeBuffer)() PURE;
};

HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer);
UINT WINAPI D3DXGetFVFVertexSize(DWORD fvf);
HRESULT WINAPI D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                                 LPDIRECT3DDEVICE8 device, LPD3DXMESH* mesh);

// One mesh from every Mesh object of the file, placed by the frames around
// it; materials follow mesh by mesh. Adjacency is not computed: a non-null
// `adjacency` receives null.
HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR fileName, DWORD options, LPDIRECT3DDEVICE8 device,
                                 LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                 LPD3DXMESH* mesh);
// The same from one data object (a Mesh, or a Frame holding meshes).
HRESULT WINAPI D3DXLoadMeshFromXof(LPDIRECTXFILEDATA data, DWORD options, LPDIRECT3DDEVICE8 device,
                                   LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                   LPD3DXMESH* mesh);

// Recomputes vertex normals from the faces (16- or 32-bit indices).
HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH mesh, const DWORD* adjacency = nullptr);
// Centre = mean of the positions; radius = largest distance from it.
HRESULT WINAPI D3DXComputeBoundingSphere(PVOID firstPosition, DWORD numVertices, DWORD fvf,
                                         D3DXVECTOR3* center, FLOAT* radius);
