// SPDX-License-Identifier: MIT
// The scene camera's view, billboard and projection matrices, kept in step
// with the view and projection that were last set.
#include "render/scene_camera.h"

SceneCamera sceneCamera;

SceneCamera::SceneCamera() {
  D3DXMatrixIdentity(&view_);
  D3DXMatrixIdentity(&billboard_);
  D3DXMatrixIdentity(&projection_);
  SetView(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR3(0.0f, 1.0f, 0.0f));
  SetProjection(0.7853982f, 1.0f, 1.0f, 1000.0f);
}

void SceneCamera::SetView(const D3DXVECTOR3& eye, const D3DXVECTOR3& lookAt, const D3DXVECTOR3& up) {
  eye_ = eye;
  lookAt_ = lookAt;
  up_ = up;
  D3DXVECTOR3 direction = lookAt - eye;
  D3DXVec3Normalize(&viewDirection_, &direction);
  D3DXVec3Cross(&crossDirection_, &viewDirection_, &up);
  D3DXMatrixLookAtLH(&view_, &eye, &lookAt, &up);
  // A degenerate view (up along the view direction) cannot be inverted;
  // sprites then keep the orientation of the last usable view.
  D3DXMATRIX inverse;
  if (D3DXMatrixInverse(&inverse, nullptr, &view_) != nullptr) {
    billboard_ = inverse;
    billboard_._41 = 0.0f;
    billboard_._42 = 0.0f;
    billboard_._43 = 0.0f;
  }
}

void SceneCamera::SetProjection(float fieldOfView, float aspect, float nearPlane, float farPlane) {
  fieldOfView_ = fieldOfView;
  aspect_ = aspect;
  nearPlane_ = nearPlane;
  farPlane_ = farPlane;
  D3DXMatrixPerspectiveFovLH(&projection_, fieldOfView, aspect, nearPlane, farPlane);
}
