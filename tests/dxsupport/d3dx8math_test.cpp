// SPDX-License-Identifier: MIT
// Matrix, vector and quaternion math against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <d3dx8.h>

namespace {

constexpr float kPi = 3.14159265f;

void ExpectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << r << "," << c;
}

void ExpectVectorNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &v, &m);
  return out;
}

TEST(D3DXMath, MultiplyAppliesTheLeftMatrixFirstAndMayAliasEitherInput) {
  D3DXMATRIX translate;
  D3DXMATRIX scale;
  D3DXMatrixTranslation(&translate, 1, 2, 3);
  D3DXMatrixScaling(&scale, 2, 3, 4);
  D3DXMATRIX product;
  ASSERT_EQ(D3DXMatrixMultiply(&product, &translate, &scale), &product);
  EXPECT_EQ(product, D3DXMATRIX(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 2, 6, 12, 1));
  D3DXMATRIX a = translate;
  D3DXMatrixMultiply(&a, &a, &scale);
  EXPECT_EQ(a, product);
  D3DXMATRIX b = scale;
  D3DXMatrixMultiply(&b, &translate, &b);
  EXPECT_EQ(b, product);
  EXPECT_EQ(translate * scale, product);
  D3DXMATRIX both(1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  D3DXMatrixMultiply(&both, &both, &both);
  EXPECT_EQ(both, D3DXMATRIX(7, 10, 0, 0, 15, 22, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
}

TEST(D3DXMath, TransposeSwapsRowsAndColumnsInPlace) {
  D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  D3DXMatrixTranspose(&m, &m);
  EXPECT_EQ(m, D3DXMATRIX(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16));
}

TEST(D3DXMath, InverseTimesMatrixIsIdentityAndGivesTheDeterminant) {
  const D3DXMATRIX simple(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1);
  D3DXMATRIX inverse;
  float det = 0.0f;
  ASSERT_EQ(D3DXMatrixInverse(&inverse, &det, &simple), &inverse);
  EXPECT_FLOAT_EQ(det, 24.0f);
  ExpectMatrixNear(inverse,
                   D3DXMATRIX(0.5f, 0, 0, 0, 0, 1.0f / 3, 0, 0, 0, 0, 0.25f, 0, -0.5f, -2.0f / 3, -0.75f, 1));

  const D3DXMATRIX general(1, 2, 0, 1, 3, 4, 1, 0, 0, 1, 2, 3, 1, 0, 1, 1);
  ASSERT_NE(D3DXMatrixInverse(&inverse, &det, &general), nullptr);
  // Expanding along the first row: 1*(-5) - 2*0 + 0*(...) - 1*10 = -15.
  EXPECT_FLOAT_EQ(det, -15.0f);
  ExpectMatrixNear(inverse * general, Identity());
  ExpectMatrixNear(general * inverse, Identity());

  D3DXMATRIX inPlace = general;
  D3DXMatrixInverse(&inPlace, nullptr, &inPlace);
  ExpectMatrixNear(inPlace, inverse, 0.0f);
}

TEST(D3DXMath, SingularInverseFailsAndLeavesTheOutputAlone) {
  const D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
  D3DXMATRIX out = Identity();
  float det = 5.0f;
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &singular), nullptr);
  EXPECT_EQ(det, 0.0f);
  EXPECT_EQ(out, Identity());
}

TEST(D3DXMath, RotationsTurnTheAxesTheLeftHandedWay) {
  D3DXMATRIX rotation;
  D3DXMatrixRotationY(&rotation, kPi / 2);
  ExpectMatrixNear(rotation, D3DXMATRIX(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1));
  ExpectVectorNear(Transform(D3DXVECTOR3(1, 0, 0), rotation), D3DXVECTOR3(0, 0, -1));
  D3DXMatrixRotationY(&rotation, 0.3f);
  EXPECT_FLOAT_EQ(rotation._11, std::cos(0.3f));
  EXPECT_FLOAT_EQ(rotation._13, -std::sin(0.3f));
  EXPECT_FLOAT_EQ(rotation._31, std::sin(0.3f));
  D3DXMatrixRotationX(&rotation, kPi / 2);
  ExpectVectorNear(Transform(D3DXVECTOR3(0, 1, 0), rotation), D3DXVECTOR3(0, 0, 1));
  D3DXMatrixRotationZ(&rotation, kPi / 2);
  ExpectVectorNear(Transform(D3DXVECTOR3(1, 0, 0), rotation), D3DXVECTOR3(0, 1, 0));
}

TEST(D3DXMath, PerspectiveFillsOnlyItsFiveEntries) {
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kPi / 2, 2.0f, 1.0f, 11.0f);
  ExpectMatrixNear(projection, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0));
  // Points on the near and far planes land on depth 0 and 1.
  EXPECT_NEAR(Transform(D3DXVECTOR3(0, 0, 1), projection).z, 0.0f, 1e-6f);
  EXPECT_NEAR(Transform(D3DXVECTOR3(0, 0, 11), projection).z, 1.0f, 1e-6f);
}

TEST(D3DXMath, LookAtPutsTheEyeAtTheOriginLookingDownZ) {
  const D3DXVECTOR3 eye(0, 0, 0);
  const D3DXVECTOR3 at(1, 0, 0);
  const D3DXVECTOR3 up(0, 1, 0);
  D3DXMATRIX view;
  ASSERT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
  // z = (1,0,0), x = up x z = (0,0,-1), y = z x x = (0,1,0), as columns.
  ExpectMatrixNear(view, D3DXMATRIX(0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1));

  const D3DXVECTOR3 eye2(7, 1.3f, 1);
  const D3DXVECTOR3 at2(0, 1, 1);
  D3DXMatrixLookAtLH(&view, &eye2, &at2, &up);
  ExpectVectorNear(Transform(eye2, view), D3DXVECTOR3(0, 0, 0));
  ExpectVectorNear(Transform(at2, view), D3DXVECTOR3(0, 0, std::sqrt(49.0f + 0.09f)));
}

TEST(D3DXMath, LookAtAlongTheUpVectorGivesZeroSideAxes) {
  const D3DXVECTOR3 eye(0, 0, 0);
  const D3DXVECTOR3 at(0, 5, 0);
  const D3DXVECTOR3 up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(view.m[r][0], 0.0f);
    EXPECT_EQ(view.m[r][1], 0.0f);
    EXPECT_FALSE(std::isnan(view.m[r][2]));
  }
  EXPECT_EQ(view._23, 1.0f);
}

TEST(D3DXMath, QuaternionRotationMatchesTheMatrixRotations) {
  const D3DXVECTOR3 zAxis(0, 0, 2);  // normalised by the call
  D3DXQUATERNION q;
  ASSERT_EQ(D3DXQuaternionRotationAxis(&q, &zAxis, kPi / 2), &q);
  EXPECT_NEAR(q.z, std::sqrt(0.5f), 1e-6f);
  EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6f);
  D3DXMATRIX fromQuaternion;
  D3DXMATRIX expected;
  D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
  D3DXMatrixRotationZ(&expected, kPi / 2);
  ExpectMatrixNear(fromQuaternion, expected);

  const D3DXVECTOR3 yAxis(0, 1, 0);
  D3DXQuaternionRotationAxis(&q, &yAxis, 0.7f);
  D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
  D3DXMatrixRotationY(&expected, 0.7f);
  ExpectMatrixNear(fromQuaternion, expected);
}

TEST(D3DXMath, QuaternionProductAppliesTheFirstRotationFirst) {
  const D3DXVECTOR3 zAxis(0, 0, 1);
  const D3DXVECTOR3 xAxis(1, 0, 0);
  D3DXQUATERNION first;
  D3DXQUATERNION second;
  D3DXQuaternionRotationAxis(&first, &zAxis, kPi / 2);
  D3DXQuaternionRotationAxis(&second, &xAxis, kPi / 2);
  D3DXQUATERNION product;
  D3DXQuaternionMultiply(&product, &first, &second);
  D3DXMATRIX combined;
  D3DXMatrixRotationQuaternion(&combined, &product);
  // +x turns to +y about z, then +y to +z about x.
  ExpectVectorNear(Transform(D3DXVECTOR3(1, 0, 0), combined), D3DXVECTOR3(0, 0, 1));
  D3DXMATRIX rz;
  D3DXMATRIX rx;
  D3DXMatrixRotationZ(&rz, kPi / 2);
  D3DXMatrixRotationX(&rx, kPi / 2);
  ExpectMatrixNear(combined, rz * rx);
  D3DXQuaternionMultiply(&first, &first, &second);  // aliasing the output
  EXPECT_EQ(first, product);
}

TEST(D3DXMath, VectorDifferenceLengthDotAndCross) {
  const D3DXVECTOR3 a(1, 2, 3);
  const D3DXVECTOR3 b(4, 5, 6);
  D3DXVECTOR3 out;
  D3DXVec3Subtract(&out, &b, &a);
  EXPECT_EQ(out, D3DXVECTOR3(3, 3, 3));
  EXPECT_FLOAT_EQ(D3DXVec3Dot(&a, &b), 32.0f);
  D3DXVec3Cross(&out, &a, &b);
  EXPECT_EQ(out, D3DXVECTOR3(-3, 6, -3));
  const D3DXVECTOR3 c(3, 4, 12);
  EXPECT_FLOAT_EQ(D3DXVec3Length(&c), 13.0f);
  D3DXVECTOR3 self = a;
  D3DXVec3Cross(&self, &self, &b);
  EXPECT_EQ(self, D3DXVECTOR3(-3, 6, -3));
}

TEST(D3DXMath, NormaliseLeavesUnitVectorsAloneAndZeroesTinyOnes) {
  D3DXVECTOR3 out;
  const D3DXVECTOR3 nearlyUnit(1.000004f, 0, 0);  // squared length within 1e-5 of 1
  D3DXVec3Normalize(&out, &nearlyUnit);
  EXPECT_EQ(out, nearlyUnit);
  const D3DXVECTOR3 tiny(1e-6f, 0, 0);
  out = D3DXVECTOR3(9, 9, 9);
  D3DXVec3Normalize(&out, &tiny);
  EXPECT_EQ(out, D3DXVECTOR3(0, 0, 0));
  const D3DXVECTOR3 small(2e-5f, 0, 0);  // squared length 4e-10: still has a direction
  D3DXVec3Normalize(&out, &small);
  EXPECT_FLOAT_EQ(out.x, 1.0f);
  const D3DXVECTOR3 v(3, 0, 4);
  D3DXVec3Normalize(&out, &v);
  ExpectVectorNear(out, D3DXVECTOR3(0.6f, 0, 0.8f), 1e-7f);
}

TEST(D3DXMath, NormaliseZeroesOnlyBelowASquaredLengthOf1e10) {
  D3DXVECTOR3 out;
  // 1e-5f squared is 9.9999994e-11, the largest float below 1e-10f: no direction.
  const D3DXVECTOR3 limit(1e-5f, 0, 0);
  ASSERT_LT(D3DXVec3LengthSq(&limit), 1e-10f);
  out = D3DXVECTOR3(9, 9, 9);
  D3DXVec3Normalize(&out, &limit);
  EXPECT_EQ(out, D3DXVECTOR3(0, 0, 0));
  // A squared length of exactly 1e-10f still gives a unit vector.
  const D3DXVECTOR3 atThreshold(9.99995973e-06f, 2.83126322e-08f, 0);
  ASSERT_EQ(D3DXVec3LengthSq(&atThreshold), 1e-10f);
  D3DXVec3Normalize(&out, &atThreshold);
  EXPECT_NEAR(D3DXVec3Length(&out), 1.0f, 1e-6f);
  EXPECT_GT(out.x, 0.99f);
}

TEST(D3DXMath, NullPointersGiveNullResults) {
  D3DXMATRIX m = Identity();
  D3DXVECTOR3 v(1, 2, 3);
  D3DXQUATERNION q(0, 0, 0, 1);
  EXPECT_EQ(D3DXMatrixMultiply(nullptr, &m, &m), nullptr);
  EXPECT_EQ(D3DXMatrixMultiply(&m, nullptr, &m), nullptr);
  EXPECT_EQ(D3DXMatrixTranspose(&m, nullptr), nullptr);
  EXPECT_EQ(D3DXMatrixInverse(nullptr, nullptr, &m), nullptr);
  EXPECT_EQ(D3DXMatrixInverse(&m, nullptr, nullptr), nullptr);
  EXPECT_EQ(D3DXMatrixScaling(nullptr, 1, 1, 1), nullptr);
  EXPECT_EQ(D3DXMatrixTranslation(nullptr, 1, 1, 1), nullptr);
  EXPECT_EQ(D3DXMatrixRotationY(nullptr, 1), nullptr);
  EXPECT_EQ(D3DXMatrixRotationX(nullptr, 1), nullptr);
  EXPECT_EQ(D3DXMatrixPerspectiveFovLH(nullptr, 1, 1, 1, 2), nullptr);
  EXPECT_EQ(D3DXMatrixLookAtLH(&m, &v, nullptr, &v), nullptr);
  EXPECT_EQ(D3DXMatrixRotationQuaternion(&m, nullptr), nullptr);
  EXPECT_EQ(D3DXQuaternionMultiply(&q, &q, nullptr), nullptr);
  EXPECT_EQ(D3DXQuaternionRotationAxis(&q, nullptr, 1), nullptr);
  EXPECT_EQ(D3DXVec3Subtract(&v, nullptr, &v), nullptr);
  EXPECT_EQ(D3DXVec3Cross(nullptr, &v, &v), nullptr);
  EXPECT_EQ(D3DXVec3Normalize(&v, nullptr), nullptr);
  EXPECT_EQ(D3DXVec3Length(nullptr), 0.0f);
  EXPECT_EQ(D3DXVec3Dot(&v, nullptr), 0.0f);
  EXPECT_EQ(m, Identity());
  EXPECT_EQ(v, D3DXVECTOR3(1, 2, 3));
}

}  // namespace
