// SPDX-License-Identifier: MIT
// Vertex normals and bounding spheres against values worked out by hand,
// and the diagnostics of their argument checks.
#include <d3dx8.h>
#include <gtest/gtest.h>
#include <win32/debug_output.h>

#include <cmath>
#include <string>

#include "dxsupport/fake_device.h"
#include "win32/debug_capture.h"

namespace {

struct Vertex {  // XYZ | NORMAL | TEX1, the game's model layout
  float x, y, z, nx, ny, nz, u, v;
};

// Two triangles meeting at vertices 0 and 2; vertex 4 belongs to no face.
ID3DXMesh* MakeCorner(IDirect3DDevice8* device, DWORD options) {
  ID3DXMesh* mesh = nullptr;
  EXPECT_EQ(D3DXCreateMeshFVF(2, 5, options, 0x112, device, &mesh), D3D_OK);
  Vertex* v = nullptr;
  mesh->LockVertexBuffer(0, reinterpret_cast<BYTE**>(&v));
  const float p[5][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 2}, {5, 5, 5}};
  for (int i = 0; i < 5; ++i) v[i] = {p[i][0], p[i][1], p[i][2], 9, 9, 9, 0, 0};
  mesh->UnlockVertexBuffer();
  const DWORD idx[6] = {0, 1, 2, 0, 2, 3};
  BYTE* ib = nullptr;
  mesh->LockIndexBuffer(0, &ib);
  for (int i = 0; i < 6; ++i) {
    if (options & D3DXMESH_32BIT)
      reinterpret_cast<DWORD*>(ib)[i] = idx[i];
    else
      reinterpret_cast<WORD*>(ib)[i] = static_cast<WORD>(idx[i]);
  }
  mesh->UnlockIndexBuffer();
  return mesh;
}

TEST(ComputeNormals, AreaWeightedFaceNormalsSummedPerVertex) {
  auto* device = new dxtest::FakeDevice();
  for (DWORD options : {DWORD(D3DXMESH_SYSTEMMEM), DWORD(D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT)}) {
    ID3DXMesh* mesh = MakeCorner(device, options);
    ASSERT_EQ(D3DXComputeNormals(mesh), D3D_OK);
    Vertex* v = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<BYTE**>(&v));
    // Face A: (p0-p1) x (p0-p2) = (0,0,1); face B: (2,0,0). Vertices 0 and 2
    // get (2,0,1)/sqrt(5); 1 gets A's; 3 gets B's; 4 stays zero.
    const float s = 1.0f / std::sqrt(5.0f);
    const float expected[5][3] = {{2 * s, 0, s}, {0, 0, 1}, {2 * s, 0, s}, {1, 0, 0}, {0, 0, 0}};
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(v[i].nx, expected[i][0], 1e-6) << i;
      EXPECT_NEAR(v[i].ny, expected[i][1], 1e-6) << i;
      EXPECT_NEAR(v[i].nz, expected[i][2], 1e-6) << i;
    }
    mesh->UnlockVertexBuffer();
    mesh->Release();
  }
  device->Release();
}

TEST(ComputeNormals, RefusesMeshesWithoutNormalsAndNull) {
  auto* device = new dxtest::FakeDevice();
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_TEX1, device, &mesh), D3D_OK);
  DebugCapture capture;
  EXPECT_EQ(D3DXComputeNormals(mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(
      capture.text,
      "D3DXComputeNormals: Normal field required on input mesh to be filled in (clonemesh can be used to add "
      "them)\n");
  EXPECT_EQ(D3DXComputeNormals(nullptr), D3DERR_INVALIDCALL);
  mesh->Release();
  device->Release();
}

TEST(BoundingSphere, CentreIsTheMeanRadiusTheFarthestVertex) {
  Vertex v[4] = {};
  const float p[4][3] = {{0, 0, 0}, {2, 0, 0}, {0, 4, 0}, {2, 4, 0}};
  for (int i = 0; i < 4; ++i) v[i] = {p[i][0], p[i][1], p[i][2], 7, 7, 7, 7, 7};
  D3DXVECTOR3 centre;
  float radius = 0.0f;
  ASSERT_EQ(D3DXComputeBoundingSphere(v, 4, 0x112, &centre, &radius), D3D_OK);
  EXPECT_FLOAT_EQ(centre.x, 1.0f);
  EXPECT_FLOAT_EQ(centre.y, 2.0f);
  EXPECT_FLOAT_EQ(centre.z, 0.0f);
  EXPECT_FLOAT_EQ(radius, std::sqrt(5.0f));
  // Uneven spread: the mean, not the box centre. (0,0,0),(0,0,0),(3,0,0):
  // centre (1,0,0), radius 2.
  float tight[3][3] = {{0, 0, 0}, {0, 0, 0}, {3, 0, 0}};
  ASSERT_EQ(D3DXComputeBoundingSphere(tight, 3, D3DFVF_XYZ, &centre, &radius), D3D_OK);
  EXPECT_FLOAT_EQ(centre.x, 1.0f);
  EXPECT_FLOAT_EQ(radius, 2.0f);
  ASSERT_EQ(D3DXComputeBoundingSphere(tight, 0, D3DFVF_XYZ, &centre, &radius), D3D_OK);
  EXPECT_EQ(centre, D3DXVECTOR3(0, 0, 0));
  EXPECT_EQ(radius, 1.0f);
}

TEST(BoundingSphere, NullArgumentsSayWhich) {
  float p[3] = {0, 0, 0};
  D3DXVECTOR3 centre;
  float radius = 0;
  DebugCapture capture;
  EXPECT_EQ(D3DXComputeBoundingSphere(nullptr, 1, D3DFVF_XYZ, &centre, &radius), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXComputeBoundingSphere(p, 1, D3DFVF_XYZ, nullptr, &radius), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXComputeBoundingSphere(p, 1, D3DFVF_XYZ, &centre, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(capture.text,
            "D3DXComputeBoundingSphere: NULL input vertex array\n"
            "D3DXComputeBoundingSphere: NULL center output parameter\n"
            "D3DXComputeBoundingSphere: NULL radius output paramter\n");
}

}  // namespace
