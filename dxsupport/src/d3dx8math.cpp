// SPDX-License-Identifier: MIT
// Matrix, vector and quaternion math of the extension library, in 32-bit
// floats. Relies only on <cmath>; every operation tolerates its output
// aliasing an input by building the result in a local first.
#include <d3dx8math.h>

#include <cmath>

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
    : D3DMATRIX{} {
  const float values[16] = {m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44};
  for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = values[i];
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
  D3DXMATRIX result;
  D3DXMatrixMultiply(&result, this, &other);
  return result;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) {
  D3DXMatrixMultiply(this, this, &other);
  return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m[r][c] != other.m[r][c]) return false;
  return true;
}

// >>vectors

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!out || !a || !b) return nullptr;
  *out = D3DXVECTOR3(a->x - b->x, a->y - b->y, a->z - b->z);
  return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!out || !a || !b) return nullptr;
  *out = D3DXVECTOR3(a->x + b->x, a->y + b->y, a->z + b->z);
  return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s) {
  if (!out || !v) return nullptr;
  *out = D3DXVECTOR3(v->x * s, v->y * s, v->z * s);
  return out;
}

float D3DXVec3LengthSq(const D3DXVECTOR3* v) {
  if (!v) return 0.0f;
  return v->x * v->x + v->y * v->y + v->z * v->z;
}

float D3DXVec3Length(const D3DXVECTOR3* v) {
  return std::sqrt(D3DXVec3LengthSq(v));
}

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!a || !b) return 0.0f;
  return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!out || !a || !b) return nullptr;
  *out = D3DXVECTOR3(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
  return out;
}

namespace {

// The largest float below 1e-10f; a squared length of 1e-10f itself
// (1.00000001e-10) still has a direction and is scaled.
constexpr float kNoDirectionLengthSq = 9.9999994e-11f;

}  // namespace

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  if (!out || !v) return nullptr;
  const float lengthSq = D3DXVec3LengthSq(v);
  if (std::fabs(lengthSq - 1.0f) <= 0.00001f) {
    *out = *v;
  } else if (lengthSq <= kNoDirectionLengthSq) {
    *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  } else {
    const float scale = 1.0f / std::sqrt(lengthSq);
    *out = D3DXVECTOR3(v->x * scale, v->y * scale, v->z * scale);
  }
  return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  if (!out || !v || !m) return nullptr;
  const float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41;
  const float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42;
  const float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43;
  const float w = v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44;
  const float inverseW = (w != 0.0f) ? 1.0f / w : 0.0f;
  *out = D3DXVECTOR3(x * inverseW, y * inverseW, z * inverseW);
  return out;
}

// >>matrices

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  if (!out) return nullptr;
  *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  if (!out || !a || !b) return nullptr;
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      result.m[r][c] = a->m[r][0] * b->m[0][c] + a->m[r][1] * b->m[1][c] + a->m[r][2] * b->m[2][c] +
                       a->m[r][3] * b->m[3][c];
  *out = result;
  return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* source) {
  if (!out || !source) return nullptr;
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) result.m[r][c] = source->m[c][r];
  *out = result;
  return out;
}

namespace {

// Determinant of the 3x3 minor of m that leaves out one row and one column.
float Minor(const D3DXMATRIX& m, int skipRow, int skipColumn) {
  float e[3][3] = {};
  for (int r = 0, i = 0; r < 4; ++r) {
    if (r == skipRow) continue;
    for (int c = 0, j = 0; c < 4; ++c) {
      if (c == skipColumn) continue;
      e[i][j++] = m.m[r][c];
    }
    ++i;
  }
  return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
         e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
         e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

}  // namespace

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* source) {
  if (!out || !source) return nullptr;
  float cofactor[4][4] = {};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) cofactor[r][c] = (((r + c) & 1) ? -1.0f : 1.0f) * Minor(*source, r, c);
  float det = 0.0f;
  for (int c = 0; c < 4; ++c) det += source->m[0][c] * cofactor[0][c];
  if (determinant) *determinant = det;
  // A singular matrix has no inverse; dividing by zero would fill the
  // output with infinities, so it is left as it was instead.
  if (det == 0.0f) return nullptr;
  const float inverseDet = 1.0f / det;
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) result.m[r][c] = cofactor[c][r] * inverseDet;
  *out = result;
  return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
  if (!out) return nullptr;
  *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
  if (!out) return nullptr;
  *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
  if (!out) return nullptr;
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
  if (!out) return nullptr;
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
  if (!out) return nullptr;
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
  if (!out || !q) return nullptr;
  const float xx = q->x * q->x, yy = q->y * q->y, zz = q->z * q->z;
  const float xy = q->x * q->y, xz = q->x * q->z, yz = q->y * q->z;
  const float xw = q->x * q->w, yw = q->y * q->w, zw = q->z * q->w;
  *out = D3DXMATRIX(1 - 2 * (yy + zz), 2 * (xy + zw), 2 * (xz - yw), 0, 2 * (xy - zw), 1 - 2 * (xx + zz),
                    2 * (yz + xw), 0, 2 * (xz + yw), 2 * (yz - xw), 1 - 2 * (xx + yy), 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
  if (!out) return nullptr;
  const float h = std::cos(fovY / 2) / std::sin(fovY / 2);
  const float q = zFar / (zFar - zNear);
  *out = D3DXMATRIX(h / aspect, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -q * zNear, 0);
  return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
  if (!out || !eye || !at || !up) return nullptr;
  D3DXVECTOR3 zAxis;
  D3DXVECTOR3 xAxis;
  D3DXVECTOR3 yAxis;
  D3DXVec3Subtract(&zAxis, at, eye);
  D3DXVec3Normalize(&zAxis, &zAxis);
  D3DXVec3Cross(&xAxis, up, &zAxis);
  D3DXVec3Normalize(&xAxis, &xAxis);
  D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
  *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z, yAxis.z, zAxis.z, 0,
                    -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye), -D3DXVec3Dot(&zAxis, eye), 1);
  return out;
}

// >>quaternions

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                       const D3DXQUATERNION* q2) {
  if (!out || !q1 || !q2) return nullptr;
  // Hamilton product q2 * q1.
  const D3DXQUATERNION& a = *q2;
  const D3DXQUATERNION& b = *q1;
  *out = D3DXQUATERNION(
      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
  return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle) {
  if (!out || !axis) return nullptr;
  D3DXVECTOR3 unit;
  D3DXVec3Normalize(&unit, axis);
  const float s = std::sin(angle / 2);
  *out = D3DXQUATERNION(unit.x * s, unit.y * s, unit.z * s, std::cos(angle / 2));
  return out;
}
