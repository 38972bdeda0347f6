// SPDX-License-Identifier: MIT
// The collision pass: the reach rule, newest-first hits, splitting and
// scoring, bullets on the floor, and the ship's death.
#include "world_fixture.h"

namespace {

class CollisionTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    PlaceShip(Ship(), Vector3(3.0f, 3.0f, 0.3f));  // out of everyone's way
  }
};

TEST_F(CollisionTest, ABulletHitsOnlyWhenCloserThanTheSumOfRadii) {
  GlorbObject* glorb = Add<GlorbObject>(Vector3(0.0f, 0.0f, 1.0f));
  BulletObject* touching = Add<BulletObject>(Vector3(0.1875f, 0.0f, 1.0f), Vector3(), 0);
  CollideWorld();
  EXPECT_TRUE(Contains(glorb));
  EXPECT_TRUE(Contains(touching));
  EXPECT_EQ(Score, 0u);
  FreeObject(touching);
  BulletObject* inside = Add<BulletObject>(Vector3(0.0f, 0.1874f, 1.0f), Vector3(), 0);
  CollideWorld();
  EXPECT_FALSE(Contains(glorb));
  EXPECT_FALSE(Contains(inside));
  EXPECT_EQ(Score, 10u);
}

TEST_F(CollisionTest, AGlorbSplitsIntoFourPyramidsAndDebrisThatKeepTheLevelOpen) {
  Add<GlorbObject>(Vector3(1.0f, -1.0f, 0.1f));
  Add<BulletObject>(Vector3(1.0f, -1.0f, 0.1f), Vector3(), 0);
  CollideWorld();
  EXPECT_EQ(Score, 10u);
  EXPECT_EQ(played, std::vector<WorldSound>{WorldSound::GlorbExplode});
  EXPECT_EQ(Count(KIND_GLORB), 0);
  EXPECT_EQ(Count(KIND_PYRAMID), 4);
  EXPECT_EQ(Count(KIND_DEBRIS), 4);
  EXPECT_EQ(Count(KIND_BULLET), 0);
  for (GameObject* o : Objects()) {
    if (o->kind == KIND_PYRAMID) {
      EXPECT_EQ(o->position, Vector3(1.0f, -1.0f, 0.1f));
    }
    if (o->kind == KIND_DEBRIS) {
      const Vector3 v = static_cast<DebrisObject*>(o)->velocity;
      EXPECT_LE(std::fabs(v.x), 0.05f);
      EXPECT_LE(std::fabs(v.y), 0.05f);
      EXPECT_EQ(v.z, 0.0f);
    }
  }
  // Pyramid -> sphere -> nothing: +20 each.
  for (int shot = 0; shot < 8; ++shot) {
    Add<BulletObject>(Vector3(1.0f, -1.0f, 0.1f), Vector3(), 0);
    CollideWorld();
  }
  EXPECT_EQ(Score, 10u + 4 * 20 + 4 * 20);
  EXPECT_EQ(std::count(played.begin(), played.end(), WorldSound::PyramidExplode), 4);
  EXPECT_EQ(std::count(played.begin(), played.end(), WorldSound::SphereExplode), 4);
  EXPECT_EQ(Count(KIND_PYRAMID) + Count(KIND_SPHERE), 0);
  // Only debris remains, and it alone keeps the level from ending.
  Add<BulletObject>(Vector3(0.0f, 0.0f, 5.0f), Vector3(), 0);
  EXPECT_FALSE(OnlyBulletsLeft());
  for (int frame = 0; frame < 200 && !OnlyBulletsLeft(); ++frame) {
    Step(1.0f / 60.0f);
    CollideWorld();
  }
  EXPECT_TRUE(OnlyBulletsLeft());
  EXPECT_EQ(Count(KIND_BULLET), 1);  // still flying into the next level
}

TEST_F(CollisionTest, ABulletTakesTheNewestOverlappingTargetOnly) {
  GlorbObject* oldest = Add<GlorbObject>(Vector3());
  GlorbObject* middle = Add<GlorbObject>(Vector3());
  GlorbObject* newest = Add<GlorbObject>(Vector3());
  Add<BulletObject>(Vector3(), Vector3(), 0);
  CollideWorld();
  EXPECT_FALSE(Contains(newest));
  EXPECT_TRUE(Contains(middle));
  EXPECT_TRUE(Contains(oldest));
  // The pyramids it released are newer still, so the next bullet takes one.
  Add<BulletObject>(Vector3(), Vector3(), 0);
  CollideWorld();
  EXPECT_EQ(Count(KIND_GLORB), 2);
  EXPECT_EQ(Count(KIND_PYRAMID), 3);
  EXPECT_EQ(Count(KIND_SPHERE), 1);
  EXPECT_EQ(Score, 30u);
}

TEST_F(CollisionTest, CubeScoresFortyAndReleasesNothing) {
  Add<CubeObject>(Vector3());
  Add<BulletObject>(Vector3(), Vector3(), 0);
  CollideWorld();
  EXPECT_EQ(Score, 40u);
  EXPECT_EQ(Count(KIND_DEBRIS), 4);
  EXPECT_EQ(Objects().size(), 6u);  // the debris and the ship's two parts
}

TEST_F(CollisionTest, ABulletOnTheFloorBurstsOnlyWhenATargetIsTested) {
  BulletObject* low = Add<BulletObject>(Vector3(0.0f, 0.0f, -0.5f), Vector3(), 0);
  CollideWorld();
  EXPECT_TRUE(Contains(low));
  EXPECT_EQ(Count(KIND_DEBRIS), 0);
  Add<SphereObject>(Vector3(-2.0f, -2.0f, 0.1f));
  CollideWorld();
  EXPECT_FALSE(Contains(low));
  EXPECT_EQ(Count(KIND_DEBRIS), 4);
  EXPECT_EQ(Count(KIND_SPHERE), 1);
  EXPECT_EQ(Score, 0u);
  BulletObject* onFloor = Add<BulletObject>(Vector3(0.0f, 0.0f, 0.0f), Vector3(), 0);
  CollideWorld();
  EXPECT_FALSE(Contains(onFloor));
}

struct DeathCase {
  DWORD scoreBefore;
  DWORD scoreAfter;
};

class ShipDeathTest : public WorldTest, public ::testing::WithParamInterface<DeathCase> {};

TEST_P(ShipDeathTest, RingBulletsDestroyTheFourReleasedSpheresInTheSameFrame) {
  Score = GetParam().scoreBefore;
  ShowShipAt(Vector3(0.0f, 0.0f, 0.3f));
  Add<SphereObject>(Vector3(0.0f, 0.0f, 0.3f));
  InputState.thrust = 6.0f;
  InputState.turnRate = -5.0f;
  InputState.lateralMove = 0.5f;
  InputState.fireHeld = 1;
  Ship()->velocity = Vector3(1.0f, 2.0f, 3.0f);
  CollideWorld();
  EXPECT_EQ(Score, GetParam().scoreAfter);
  EXPECT_EQ(Count(KIND_SPHERE), 0);
  EXPECT_EQ(Count(KIND_BULLET), 16);
  EXPECT_EQ(Count(KIND_DEBRIS), 4 + 100 + 4 * 4);
  EXPECT_EQ(Ship()->visible, 0);
  EXPECT_EQ(Ship()->dead, 1);
  EXPECT_EQ(Ship()->respawnTimer, 2.0f);
  EXPECT_EQ(Ship()->velocity, Vector3(0.0f, 0.0f, 3.0f));
  EXPECT_EQ(InputState.thrust, 0.0f);
  EXPECT_EQ(InputState.turnRate, 0.0f);
  EXPECT_EQ(InputState.lateralMove, 0.5f);
  EXPECT_EQ(InputState.fireHeld, 1);
  // The sixteen survivors fly off at 500 units per second and leave the
  // square within a frame.
  Step(0.02f);
  EXPECT_EQ(Count(KIND_BULLET), 0);
}

INSTANTIATE_TEST_SUITE_P(Scores, ShipDeathTest,
                         ::testing::Values(DeathCase{1000, 950}, DeathCase{100, 80}, DeathCase{0, 80},
                                           DeathCase{130, 80}, DeathCase{150, 100}));

TEST_F(CollisionTest, AHiddenShipDestroysTargetsWithoutDying) {
  PlaceShip(Ship(), Vector3(0.5f, 0.5f, 0.1f));
  Ship()->visible = 0;
  Add<GlorbObject>(Vector3(0.5f, 0.5f, 0.1f));
  CollideWorld();
  EXPECT_EQ(Score, 10u);
  EXPECT_EQ(Ship()->dead, 0);
  EXPECT_EQ(Count(KIND_BULLET), 0);
  // The pyramids are released on the ship, which meets one per pass.
  EXPECT_EQ(Count(KIND_PYRAMID), 4);
  CollideWorld();
  EXPECT_EQ(Count(KIND_PYRAMID), 3);
  EXPECT_EQ(Count(KIND_SPHERE), 1);
  EXPECT_EQ(Score, 30u);
  EXPECT_EQ(Ship()->visible, 0);
}

}  // namespace
