// SPDX-License-Identifier: MIT
// The frame update: frame time, ship motion and bounce, the four weapons, and
// the motion of every other kind.
#include <cmath>

#include "world/weapons.h"
#include "world_fixture.h"

namespace {

using UpdateTest = WorldTest;

void ExpectAt(const Vector3& got, const Vector3& want) {
  EXPECT_EQ(got.x, want.x);
  EXPECT_EQ(got.y, want.y);
  EXPECT_EQ(got.z, want.z);
}

std::vector<BulletObject*> Bullets() {
  std::vector<BulletObject*> bullets;
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (o->kind == KIND_BULLET) bullets.push_back(static_cast<BulletObject*>(o));
  return bullets;
}

TEST_F(UpdateTest, FirstUpdateAfterATimerResetUsesAHundredthOfASecond) {
  BulletObject* bullet = Add<BulletObject>(Vector3(0.0f, 0.0f, 3.0f), Vector3(1.0f, 0.0f, 0.0f), 0);
  LastFrameTime = 3.0f;  // the level lasted three seconds
  clock = 1.02f;         // timer reset, then the one-second intro
  UpdateWorld();
  EXPECT_FLOAT_EQ(bullet->position.x, 0.01f);
  EXPECT_EQ(LastFrameTime, 1.02f);
  Step(0.0f);  // an unchanged reading counts the same
  EXPECT_FLOAT_EQ(bullet->position.x, 0.02f);
  Step(0.0625f);
  EXPECT_FLOAT_EQ(bullet->position.x, 0.0825f);
}

TEST_F(UpdateTest, PauseFreezesPlayButKeepsTheClockSoNoLongFrameFollows) {
  ShowShipAt(Vector3());
  BulletObject* bullet = Add<BulletObject>(Vector3(0.0f, 0.0f, 3.0f), Vector3(1.0f, 0.0f, 0.0f), 0);
  InputState.paused = 1;
  InputState.fireHeld = 1;
  InputState.thrust = 6.0f;
  Step(5.0f);
  EXPECT_EQ(bullet->position.x, 0.0f);
  EXPECT_EQ(Count(KIND_BULLET), 1);
  EXPECT_EQ(Ship()->velocity, Vector3());
  InputState.paused = 0;
  InputState.fireHeld = 0;
  Step(0.02f);
  EXPECT_NEAR(bullet->position.x, 0.02f, 1e-5f);
}

TEST_F(UpdateTest, AimStaysBetweenZeroAndPiHoweverLongItIsHeld) {
  InputState.pitchRate = 5.0f;
  for (int i = 0; i < 500; ++i) Step(0.05f);
  EXPECT_EQ(Ship()->aimAngle, kPi);
  InputState.pitchRate = -5.0f;
  for (int i = 0; i < 500; ++i) Step(0.05f);
  EXPECT_EQ(Ship()->aimAngle, 0.0f);
}

TEST_F(UpdateTest, ShipMovesWithLastFramesVelocityThenDragAndThrust) {
  ShowShipAt(Vector3(1.0f, 1.0f, 0.3f));
  Ship()->velocity = Vector3(1.0f, 0.0f, 0.5f);
  Ship()->heading = kPi / 2;
  InputState.thrust = 6.0f;
  InputState.lateralMove = 0.5f;
  InputState.verticalMove = 3.0f;
  Step(0.1f);
  EXPECT_NEAR(Ship()->position.x, 1.1f, 1e-5f);
  EXPECT_NEAR(Ship()->position.z, 0.35f, 1e-5f);
  EXPECT_NEAR(Ship()->part2->position.x, 1.1f, 1e-5f);
  // 1 * 0.8 + sin(pi/2) * 6 * 0.1 + 3 * 0.1
  EXPECT_NEAR(Ship()->velocity.x, 0.8f + 0.6f + 0.3f, 1e-5f);
  EXPECT_NEAR(Ship()->velocity.y, 0.05f, 1e-5f);
  EXPECT_EQ(Ship()->velocity.z, 0.5f);
  EXPECT_EQ(EngineSoundOn, 1);
  EXPECT_TRUE(stopped.empty());
  InputState.thrust = 0.0f;
  Step(0.1f);
  EXPECT_EQ(EngineSoundOn, 0);
  EXPECT_EQ(stopped, std::vector<WorldSound>{WorldSound::EngineRev});
}

TEST_F(UpdateTest, ShipOutsideTheSquareIsSentBackAtUnitSpeed) {
  Ship()->visible = 0;
  PlaceShip(Ship(), Vector3(5.5f, 0.0f, 0.3f));
  Ship()->velocity = Vector3(2.0f, 2.0f, 2.0f);
  Step(0.01f);  // hidden: it does not move, but still bounces
  EXPECT_NEAR(Ship()->velocity.x, -0.9985f, 1e-4f);
  EXPECT_EQ(Ship()->velocity.y, 0.0f);
  EXPECT_EQ(Ship()->velocity.z, 0.0f);
  PlaceShip(Ship(), Vector3(5.0f, -5.0f, 0.3f));  // on the edge is still inside
  Ship()->velocity = Vector3(2.0f, 0.0f, 0.0f);
  Step(0.01f);
  EXPECT_FLOAT_EQ(Ship()->velocity.x, 1.6f);
}

TEST_F(UpdateTest, RespawnShowsTheShipAtRestWhenTheTimerRunsOut) {
  Ship()->visible = 0;
  Ship()->dead = 1;
  Ship()->respawnTimer = 0.125f;
  Ship()->velocity = Vector3(1.0f, 1.0f, 1.0f);
  Step(0.0625f);
  EXPECT_EQ(Ship()->visible, 0);
  EXPECT_EQ(Ship()->respawnTimer, 0.0625f);
  Step(0.0625f);
  EXPECT_EQ(Ship()->visible, 1);
  EXPECT_EQ(Ship()->dead, 0);
  EXPECT_EQ(Ship()->respawnTimer, 0.0f);
  EXPECT_EQ(Ship()->position, Vector3());
}

TEST_F(UpdateTest, EachWeaponFiresItsBulletsColourAndCooldownForOnePoint) {
  const DWORD counts[] = {3, 2, 1, 50};
  const DWORD colours[] = {0xFF2020FF, 0xFF208020, 0xFF208080, 0xFF802020};
  const float cooldowns[] = {0.5f, 0.5f, 0.02f, 1.0f};
  const char* const names[] = {"Blaster", "Double blaster", "Spray gun", "Proximity killer"};
  for (DWORD weapon = 0; weapon < 4; ++weapon) {
    SCOPED_TRACE(weapon);
    for (BulletObject* b : Bullets()) FreeObject(b);
    ShowShipAt(Vector3());
    Weapon = weapon;
    Score = 5;
    FireCooldown = 0.0f;
    InputState.fireHeld = 1;
    Step(0.01f);
    const std::vector<BulletObject*> bullets = Bullets();
    ASSERT_EQ(bullets.size(), counts[weapon]);
    for (BulletObject* b : bullets) {
      EXPECT_EQ(b->colour, colours[weapon]);
      EXPECT_EQ(b->bulletType, weapon);
      EXPECT_FLOAT_EQ(b->fallSpeed, 0.02f);  // already moved by this update
    }
    EXPECT_EQ(Score, 4u);
    EXPECT_EQ(played.back(), WorldSound::GunFire);  // one sound however many bullets
    EXPECT_EQ(played.size(), weapon + 1);
    EXPECT_EQ(FireCooldown, cooldowns[weapon]);
    EXPECT_STREQ(GetWeaponInfo(weapon)->name, names[weapon]);
  }
  EXPECT_EQ(GetWeaponInfo(4), nullptr);
}

TEST_F(UpdateTest, AWeaponNumberOutOfRangeFiresNothingAndCostsNothing) {
  ShowShipAt(Vector3());
  Weapon = WEAPON_COUNT;
  Score = 5;
  InputState.fireHeld = 1;
  Step(0.01f);
  EXPECT_EQ(Count(KIND_BULLET), 0);
  EXPECT_EQ(Score, 5u);
  Weapon = 0;
  Step(0.01f);
  EXPECT_EQ(Count(KIND_BULLET), 3);
  EXPECT_EQ(Score, 4u);
}

TEST_F(UpdateTest, FiringWithNoPointsLeavesTheScoreAtZero) {
  ShowShipAt(Vector3());
  Weapon = 3;
  InputState.fireHeld = 1;
  Step(0.01f);
  EXPECT_EQ(Score, 0u);
  EXPECT_EQ(Count(KIND_BULLET), 50);
}

TEST_F(UpdateTest, HiddenShipNeitherFiresNorPaysButItsCooldownRuns) {
  Ship()->visible = 0;
  InputState.fireHeld = 1;
  Score = 3;
  Step(0.1f);
  EXPECT_EQ(Count(KIND_BULLET), 0);
  EXPECT_EQ(Score, 3u);
  EXPECT_FLOAT_EQ(FireCooldown, -0.1f);
}

TEST_F(UpdateTest, BlasterFollowsTheAimAngleNotTheHeading) {
  ShowShipAt(Vector3(1.0f, 2.0f, 0.3f));
  Ship()->aimAngle = 0.0f;
  Ship()->heading = 1.0f;
  InputState.fireHeld = 1;
  Step(0.01f);
  const std::vector<BulletObject*> bullets = Bullets();
  ASSERT_EQ(bullets.size(), 3u);
  const float offsets[] = {0.02f, -0.02f, 0.0f};  // newest first
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(bullets[i]->velocity.x, 0.0f, 1e-6f);
    EXPECT_NEAR(bullets[i]->velocity.y, -1.8f, 1e-6f);
    EXPECT_NEAR(bullets[i]->velocity.z, 0.0f, 1e-6f);
    EXPECT_NEAR(bullets[i]->position.x, 1.0f + offsets[i], 1e-5f);
    EXPECT_NEAR(bullets[i]->position.y, 2.0f - 0.1f - 0.12f - 0.018f, 1e-5f);
    EXPECT_NEAR(bullets[i]->position.z, 0.3f + 0.15f - 0.01f * 0.02f, 1e-5f);
  }
}

TEST_F(UpdateTest, DoubleBlasterFiresEitherSideOfTheHeading) {
  ShowShipAt(Vector3());
  Weapon = 1;
  Ship()->aimAngle = kPi / 2;
  Ship()->heading = 0.0f;
  InputState.fireHeld = 1;
  Step(0.01f);
  const std::vector<BulletObject*> bullets = Bullets();
  ASSERT_EQ(bullets.size(), 2u);
  EXPECT_NEAR(bullets[0]->position.x, -0.02f, 1e-6f);  // second built: P - s
  EXPECT_NEAR(bullets[1]->position.x, 0.02f, 1e-6f);
  EXPECT_NEAR(bullets[1]->velocity.z, 1.0f, 1e-6f);
}

TEST_F(UpdateTest, SprayGunFiresOncePerLongFrameAndAfterIdleFramesAtOnce) {
  ShowShipAt(Vector3());
  Weapon = 2;
  Score = 100;
  InputState.fireHeld = 1;
  for (int i = 0; i < 10; ++i) Step(0.05f);
  EXPECT_EQ(Count(KIND_BULLET), 10);
  EXPECT_EQ(Score, 90u);
  InputState.fireHeld = 0;
  for (int i = 0; i < 10; ++i) Step(0.05f);
  EXPECT_LT(FireCooldown, -0.4f);
  InputState.fireHeld = 1;
  const int before = Count(KIND_BULLET);
  Step(0.001f);
  EXPECT_EQ(Count(KIND_BULLET), before + 1);
}

TEST_F(UpdateTest, BulletsLeaveBeyondSixUnitsAndFallFasterEachFrame) {
  BulletObject* kept = Add<BulletObject>(Vector3(0.0f, 6.0f, 3.0f), Vector3(), 0);
  BulletObject* freed = Add<BulletObject>(Vector3(-1.0f, 6.01f, 3.0f), Vector3(), 0);
  Step(0.0625f);
  EXPECT_TRUE(Contains(kept));
  EXPECT_FALSE(Contains(freed));
  EXPECT_FLOAT_EQ(kept->position.z, 3.0f - 0.0625f * 0.02f);
  Step(0.0625f);
  EXPECT_FLOAT_EQ(kept->position.z, 3.0f - 0.0625f * 0.02f - 0.0625f * 0.04f);
  for (int i = 0; i < 6; ++i) Step(0.0625f);
  EXPECT_FLOAT_EQ(kept->frame, 500.0f);  // past its 400 frames, not wrapped
}

TEST_F(UpdateTest, DebrisExpiresWhenItsAgeReachesOneFrame) {
  DebrisObject* debris = Add<DebrisObject>(Vector3(), Vector3(1.0f, 0.0f, 0.0f));
  debris->frameRate = 4.0f;
  for (int i = 0; i < 3; ++i) Step(0.0625f);
  ASSERT_TRUE(Contains(debris));
  EXPECT_FLOAT_EQ(debris->position.x, 0.1875f);
  EXPECT_FALSE(OnlyBulletsLeft());
  Step(0.0625f);
  EXPECT_FALSE(Contains(debris));
  EXPECT_TRUE(OnlyBulletsLeft());
}

TEST_F(UpdateTest, PiecesArePulledBackInsideAndTheirFramesWrap) {
  SphereObject* sphere = Add<SphereObject>(Vector3(5.0f, -4.5f, 0.1f));
  sphere->frame = 39.5f;
  sphere->frameRate = 10.0f;
  Step(0.1f);
  EXPECT_EQ(sphere->position.x, 4.0f);
  EXPECT_EQ(sphere->position.y, -4.0f);
  EXPECT_FLOAT_EQ(sphere->frame, 0.5f);
}

TEST_F(UpdateTest, GlorbVisibleOnlyInsideItsSquare) {
  GlorbObject* inside = Add<GlorbObject>(Vector3(4.5f, 0.0f, 0.1f));
  GlorbObject* outside = Add<GlorbObject>(Vector3(4.51f, 0.0f, 0.1f));
  inside->driftStep = 0.0f;
  outside->driftStep = 0.0f;
  Step(0.01f);
  EXPECT_EQ(inside->visible, 1);
  EXPECT_EQ(outside->visible, 0);
}

TEST_F(UpdateTest, GlorbDriftSwingsFurtherAtLowerFrameRates) {
  // The drift speed changes per frame, so at 30 frames per second a Glorb
  // travels twice as far as at 60 before it turns back.
  struct Case {
    float fps;
    float swing;
  };
  for (const Case& c : {Case{60.0f, 3.37f}, Case{30.0f, 6.73f}}) {
    SCOPED_TRACE(c.fps);
    GlorbObject* glorb = Add<GlorbObject>(Vector3(-2.0f, 0.0f, 0.1f));
    float high = 0.0f;
    float low = 0.0f;
    for (int i = 0; i < 800; ++i) {
      Step(1.0f / c.fps);
      high = std::max(high, glorb->position.x + 2.0f);
      low = std::min(low, glorb->position.x + 2.0f);
    }
    EXPECT_NEAR(high, c.swing, 0.02f);
    EXPECT_GT(low, -0.02f);
    EXPECT_NEAR(glorb->position.x, -2.0f, 0.1f);  // back at the start after 800 frames
    FreeObject(glorb);
  }
}

TEST_F(UpdateTest, CameraFollowsTheShipAndItsShakeDiesAwayWithTheTimer) {
  ShowShipAt(Vector3(1.5f, 0.0f, 0.3f));
  Step(0.01f);
  ExpectAt(camera.eye, Vector3(8.5f, 1.3f, 1.0f));
  ExpectAt(camera.lookAt, Vector3(1.5f, 1.0f, 1.0f));
  ExpectAt(camera.up, Vector3(0.0f, 1.0f, 0.0f));

  Ship()->visible = 0;
  Ship()->dead = 1;
  Ship()->respawnTimer = 2.0f;
  float firstShake = 0.0f;
  float lastShake = 1.0f;
  for (int i = 0; i < 199; ++i) {
    Step(0.01f);
    const Vector3 offset = camera.eye - Vector3(8.5f, 1.3f, 1.0f);
    const float bound = Ship()->respawnTimer / 50.0f + 1e-6f;
    ASSERT_LE(std::fabs(offset.x), bound);
    ASSERT_LE(std::fabs(offset.y), bound);
    ASSERT_LE(std::fabs(offset.z), bound);
    const float shake = std::fabs(offset.x) + std::fabs(offset.y) + std::fabs(offset.z);
    if (i == 0) firstShake = shake;
    lastShake = shake;
  }
  EXPECT_GT(firstShake, 0.0f);
  EXPECT_LT(lastShake, 0.01f * 3.0f / 50.0f + 1e-5f);
  Step(0.02f);
  EXPECT_EQ(Ship()->dead, 0);
  ExpectAt(camera.eye, Vector3(8.5f, 1.3f, 1.0f));
}

}  // namespace
