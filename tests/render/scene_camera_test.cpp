// SPDX-License-Identifier: MIT
// The scene camera's defaults and the matrices it derives from a view and a
// projection.
#include "render/scene_camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << r << "," << c;
}

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

TEST(SceneCamera, DefaultsLookDownZWithAQuarterPiProjection) {
  const SceneCamera camera;
  ExpectMatrixNear(camera.GetViewMatrix(), Identity(), 0.0f);
  ExpectMatrixNear(camera.GetBillboardMatrix(), Identity(), 0.0f);
  const D3DXMATRIX projection = camera.GetProjMatrix();
  const float c = 1.0f / std::tan(0.7853982f / 2);
  EXPECT_NEAR(projection._11, c, 1e-5f);
  EXPECT_NEAR(projection._22, c, 1e-5f);
  EXPECT_NEAR(projection._33, 1000.0f / 999.0f, 1e-6f);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_NEAR(projection._43, -1000.0f / 999.0f, 1e-6f);
  EXPECT_EQ(projection._44, 0.0f);
  EXPECT_EQ(camera.GetNearPlane(), 1.0f);
  EXPECT_EQ(camera.GetFarPlane(), 1000.0f);
  // The global one is built the same way before anything else runs.
  ExpectMatrixNear(sceneCamera.GetProjMatrix(), projection, 0.0f);
}

TEST(SceneCamera, ProjectionOfTheDisplaySetUp) {
  SceneCamera camera;
  camera.SetProjection(0.7853982f, 1.0f, 0.1f, 100.0f);
  const D3DXMATRIX p = camera.GetProjMatrix();
  EXPECT_NEAR(p._11, 2.4142f, 1e-4f);
  EXPECT_NEAR(p._33, 1.001f, 1e-4f);
  EXPECT_NEAR(p._43, -0.1001f, 1e-4f);
  camera.SetProjection(0.7853982f, 2.0f, 0.1f, 100.0f);
  EXPECT_NEAR(camera.GetProjMatrix()._11, 2.4142f / 2, 1e-4f);
  EXPECT_EQ(camera.GetAspect(), 2.0f);
}

TEST(SceneCamera, ViewAndBillboardFollowTheGameCamera) {
  SceneCamera camera;
  const D3DXVECTOR3 eye(8.5f, 1.3f, 1.0f);
  const D3DXVECTOR3 at(1.5f, 1.0f, 1.0f);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  camera.SetView(eye, at, up);
  D3DXVECTOR3 seen;
  const D3DXMATRIX view = camera.GetViewMatrix();
  D3DXVec3TransformCoord(&seen, &eye, &view);
  EXPECT_NEAR(D3DXVec3Length(&seen), 0.0f, 1e-5f);

  const D3DXVECTOR3 dir = camera.GetViewDir();
  EXPECT_NEAR(D3DXVec3Length(&dir), 1.0f, 1e-6f);
  EXPECT_NEAR(dir.x, -7.0f / std::sqrt(49.09f), 1e-5f);
  const D3DXVECTOR3 cross = camera.GetCross();
  D3DXVECTOR3 expectedCross;
  D3DXVec3Cross(&expectedCross, &dir, &up);
  EXPECT_EQ(cross, expectedCross);

  // The billboard undoes the view's rotation and has no translation.
  const D3DXMATRIX billboard = camera.GetBillboardMatrix();
  EXPECT_EQ(billboard._41, 0.0f);
  EXPECT_EQ(billboard._42, 0.0f);
  EXPECT_EQ(billboard._43, 0.0f);
  D3DXMATRIX rotation = view;
  rotation._41 = rotation._42 = rotation._43 = 0.0f;
  ExpectMatrixNear(billboard * rotation, Identity());
  // A sprite's face (+z in its own space) turns toward the camera's view axis.
  const D3DXVECTOR3 face(0.0f, 0.0f, 1.0f);
  D3DXVECTOR3 turned;
  D3DXVec3TransformCoord(&turned, &face, &billboard);
  EXPECT_NEAR(turned.x, dir.x, 1e-5f);
  EXPECT_NEAR(turned.y, dir.y, 1e-5f);
}

TEST(SceneCamera, UpAlongTheViewGivesAZeroCrossAndKeepsTheLastBillboard) {
  SceneCamera camera;
  camera.SetView(D3DXVECTOR3(7, 1, 1), D3DXVECTOR3(0, 1, 1), D3DXVECTOR3(0, 1, 0));
  const D3DXMATRIX before = camera.GetBillboardMatrix();
  camera.SetView(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 3, 0), D3DXVECTOR3(0, 1, 0));
  EXPECT_EQ(camera.GetCross(), D3DXVECTOR3(0, 0, 0));
  EXPECT_EQ(camera.GetViewMatrix()._11, 0.0f);
  ExpectMatrixNear(camera.GetBillboardMatrix(), before, 0.0f);
}

}  // namespace
