// SPDX-License-Identifier: MIT
// Vertex normals from faces and bounding spheres from vertex positions.
#include <d3dx8mesh.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "d3dx_diagnostics.h"
#include "fvf_layout.h"

namespace {

DWORD IndexAt(const BYTE* indices, bool wide, size_t i) {
  if (!wide) return reinterpret_cast<const WORD*>(indices)[i];
  DWORD v = 0;
  std::memcpy(&v, indices + 4 * i, 4);
  return v;
}

D3DXVECTOR3 Read3(const BYTE* p) {
  D3DXVECTOR3 v;
  std::memcpy(&v.x, p, 12);
  return v;
}

}  // namespace

HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH mesh, const DWORD* /*adjacency*/) {
  if (!mesh) return dxsupport::InvalidCall("D3DXComputeNormals: NULL input mesh\n");
  dxsupport::FvfLayout layout;
  if (!dxsupport::ComputeFvfLayout(mesh->GetFVF(), &layout) || layout.normal.offset < 0)
    return dxsupport::InvalidCall(
        "D3DXComputeNormals: Normal field required on input mesh to be filled in (clonemesh can be used to "
        "add "
        "them)\n");
  const DWORD vertices = mesh->GetNumVertices();
  const DWORD faces = mesh->GetNumFaces();
  const bool wide = mesh->GetOptions() & D3DXMESH_32BIT;
  BYTE* vb = nullptr;
  BYTE* ib = nullptr;
  HRESULT hr = mesh->LockVertexBuffer(0, &vb);
  if (FAILED(hr)) return hr;
  if (FAILED(hr = mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib))) {
    mesh->UnlockVertexBuffer();
    return hr;
  }
  std::vector<D3DXVECTOR3> sums(vertices);
  for (DWORD f = 0; f < faces; ++f) {
    const DWORD i[3] = {IndexAt(ib, wide, 3 * f), IndexAt(ib, wide, 3 * f + 1), IndexAt(ib, wide, 3 * f + 2)};
    if (i[0] >= vertices || i[1] >= vertices || i[2] >= vertices) continue;  // edited into nonsense: skip
    const D3DXVECTOR3 p0 = Read3(vb + size_t(i[0]) * layout.stride + layout.position.offset);
    const D3DXVECTOR3 p1 = Read3(vb + size_t(i[1]) * layout.stride + layout.position.offset);
    const D3DXVECTOR3 p2 = Read3(vb + size_t(i[2]) * layout.stride + layout.position.offset);
    D3DXVECTOR3 e1 = p0 - p1;
    D3DXVECTOR3 e2 = p0 - p2;
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &e1, &e2);
    for (DWORD k : i) sums[k] += n;
  }
  for (DWORD v = 0; v < vertices; ++v) {
    D3DXVec3Normalize(&sums[v], &sums[v]);
    std::memcpy(vb + size_t(v) * layout.stride + layout.normal.offset, &sums[v].x, 12);
  }
  mesh->UnlockIndexBuffer();
  return mesh->UnlockVertexBuffer();
}

HRESULT WINAPI D3DXComputeBoundingSphere(PVOID firstPosition, DWORD numVertices, DWORD fvf,
                                         D3DXVECTOR3* center, FLOAT* radius) {
  if (!firstPosition) return dxsupport::InvalidCall("D3DXComputeBoundingSphere: NULL input vertex array\n");
  if (!center) return dxsupport::InvalidCall("D3DXComputeBoundingSphere: NULL center output parameter\n");
  if (!radius) return dxsupport::InvalidCall("D3DXComputeBoundingSphere: NULL radius output paramter\n");
  const UINT stride = D3DXGetFVFVertexSize(fvf);
  if (stride == 0) return dxsupport::InvalidCall("D3DXComputeBoundingSphere: invalid FVF\n");
  *center = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  *radius = 1.0f;
  if (numVertices == 0) return D3D_OK;
  const BYTE* p = static_cast<const BYTE*>(firstPosition);
  double sum[3] = {0.0, 0.0, 0.0};
  for (DWORD v = 0; v < numVertices; ++v) {
    const D3DXVECTOR3 q = Read3(p + size_t(v) * stride);
    sum[0] += q.x;
    sum[1] += q.y;
    sum[2] += q.z;
  }
  *center = D3DXVECTOR3(static_cast<float>(sum[0] / numVertices), static_cast<float>(sum[1] / numVertices),
                        static_cast<float>(sum[2] / numVertices));
  float farthest = 0.0f;
  for (DWORD v = 0; v < numVertices; ++v) {
    const D3DXVECTOR3 d = Read3(p + size_t(v) * stride) - *center;
    farthest = std::max(farthest, d.x * d.x + d.y * d.y + d.z * d.z);
  }
  *radius = std::sqrt(farthest);
  return D3D_OK;
}
