// SPDX-License-Identifier: MIT
// The scene camera: one view (eye, look-at, up), the matrices derived from it
// (left-handed view, and the billboard matrix that turns sprites to face the
// viewer) and one perspective projection. Math from the extension library.
#pragma once

#include <d3dx8.h>

class SceneCamera {
 public:
  // Looks from the origin along +z with +y up; quarter-pi field of view,
  // square aspect, planes at 1 and 1000.
  SceneCamera();

  void SetView(const D3DXVECTOR3& eye, const D3DXVECTOR3& lookAt, const D3DXVECTOR3& up);
  void SetProjection(float fieldOfView, float aspect, float nearPlane, float farPlane);

  D3DXMATRIX GetViewMatrix() const { return view_; }
  D3DXMATRIX GetBillboardMatrix() const { return billboard_; }
  D3DXMATRIX GetProjMatrix() const { return projection_; }

  D3DXVECTOR3 GetEyePt() const { return eye_; }
  D3DXVECTOR3 GetLookatPt() const { return lookAt_; }
  D3DXVECTOR3 GetUpVec() const { return up_; }
  D3DXVECTOR3 GetViewDir() const { return viewDirection_; }
  D3DXVECTOR3 GetCross() const { return crossDirection_; }
  float GetFieldOfView() const { return fieldOfView_; }
  float GetAspect() const { return aspect_; }
  float GetNearPlane() const { return nearPlane_; }
  float GetFarPlane() const { return farPlane_; }

 private:
  D3DXVECTOR3 eye_;
  D3DXVECTOR3 lookAt_;
  D3DXVECTOR3 up_;
  D3DXVECTOR3 viewDirection_;
  D3DXVECTOR3 crossDirection_;
  D3DXMATRIX view_;
  D3DXMATRIX billboard_;
  float fieldOfView_ = 0.0f;
  float aspect_ = 0.0f;
  float nearPlane_ = 0.0f;
  float farPlane_ = 0.0f;
  D3DXMATRIX projection_;
};

// The game's one camera, built before the program's entry point runs: the
// frame update aims it, the display set-up and the renderer read it.
extern SceneCamera sceneCamera;
