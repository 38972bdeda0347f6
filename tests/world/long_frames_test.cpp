// SPDX-License-Identifier: MIT
// Frames the game was never tuned for: one very long frame, an endless one,
// and long runs of uneven ones. Every Glorb must stay where bullets can reach
// it, so a level can always be won; nothing may turn into NaN. Also the
// score's ceiling and rules whose comparisons must keep their written sense
// when a reading is NaN.
#include <cmath>
#include <limits>
#include <random>

#include "world/weapons.h"
#include "world_fixture.h"

namespace {

constexpr float kBulletSquare = 6.0f;

std::vector<GlorbObject*> Glorbs() {
  std::vector<GlorbObject*> glorbs;
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (o->kind == KIND_GLORB) glorbs.push_back(static_cast<GlorbObject*>(o));
  return glorbs;
}

bool Finite(const Vector3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Every Glorb finite and inside the square where bullets fly.
void ExpectGlorbsReachable(const char* when) {
  for (GlorbObject* g : Glorbs()) {
    ASSERT_TRUE(Finite(g->position)) << when;
    EXPECT_LE(std::fabs(g->position.x), kBulletSquare) << when << " x " << g->position.x;
    EXPECT_LE(std::fabs(g->position.y), kBulletSquare) << when << " y " << g->position.y;
  }
}

class LongFrameTest : public WorldTest {
 protected:
  // Level 1 begun and its intro over, then `frames` frames at 60 a second.
  static void BeginLevelOneAndPlay(int frames) {
    BeginNextLevel();
    clock = 1.01f;
    for (int i = 0; i < frames; ++i) {
      Step(1.0f / 60.0f);
      CollideWorld();
    }
  }
};

TEST_F(LongFrameTest, OneMinuteLongFrameMovesTheWorldOnlyATenthOfASecond) {
  BeginLevelOneAndPlay(10);
  ASSERT_EQ(Glorbs().size(), 6u);
  std::vector<float> before;
  for (GlorbObject* g : Glorbs()) before.push_back(g->position.x);
  BulletObject* bullet = Add<BulletObject>(Vector3(0.0f, 0.0f, 3.0f), Vector3(1.0f, 0.0f, 0.0f), 0);
  Step(60.0f);
  EXPECT_NEAR(bullet->position.x, 0.1f, 1e-5f);
  const std::vector<GlorbObject*> glorbs = Glorbs();
  for (size_t i = 0; i < glorbs.size(); ++i)
    EXPECT_LE(std::fabs(glorbs[i]->position.x - before[i]), 0.1f + 1e-5f) << i;
  ExpectGlorbsReachable("after the long frame");
  // Play goes on at 60 frames a second: the Glorbs swing as before, in reach.
  for (int i = 0; i < 2000; ++i) {
    Step(1.0f / 60.0f);
    CollideWorld();
    if (HasFailure()) return;
  }
  ExpectGlorbsReachable("after 2000 more frames");
  EXPECT_EQ(Level, 1u);
}

TEST_F(LongFrameTest, AnEndlessFrameCountsAsATenthOfASecondAndNothingTurnsNaN) {
  BeginLevelOneAndPlay(150);  // the ship has appeared
  ASSERT_EQ(Ship()->visible, 1);
  InputState.thrust = 6.0f;
  InputState.turnRate = 1.0f;
  Step(std::numeric_limits<float>::infinity());
  EXPECT_TRUE(Finite(Ship()->position));
  EXPECT_TRUE(Finite(Ship()->velocity));
  ExpectGlorbsReachable("after the endless frame");
  // The clock stays at infinity: later readings are no later than the last.
  for (int i = 0; i < 100; ++i) Step(1.0f / 60.0f);
  EXPECT_TRUE(Finite(Ship()->position));
  EXPECT_TRUE(std::isfinite(Ship()->heading));
  ExpectGlorbsReachable("after 100 more frames");
}

TEST_F(LongFrameTest, GlorbsDriftingPastAnEdgeStopAtIt) {
  GlorbObject* right = Add<GlorbObject>(Vector3(5.99f, 0.0f, 0.1f));
  GlorbObject* left = Add<GlorbObject>(Vector3(-5.99f, 5.999f, 0.1f));
  right->driftSpeed = 1.0f;
  left->driftSpeed = -1.0f;
  right->driftStep = left->driftStep = 0.0f;
  Step(0.05f);
  EXPECT_EQ(right->position.x, 6.0f);
  EXPECT_EQ(left->position.x, -6.0f);
  EXPECT_LE(left->position.y, 6.0f);
  // Drifting back in from the edge works as before.
  right->driftSpeed = -1.0f;
  Step(0.05f);
  EXPECT_NEAR(right->position.x, 5.95f, 1e-5f);
}

// Uneven frames between 25 and 60 a second, from a fixed seed, over levels 1
// and 2's Glorbs together.
TEST_F(LongFrameTest, ThreeThousandUnevenFramesKeepEveryGlorbInReach) {
  BeginNextLevel();
  BeginNextLevel();
  ASSERT_EQ(Glorbs().size(), 18u);
  std::mt19937 random(20241208u);
  std::uniform_real_distribution<float> frameTime(1.0f / 60.0f, 1.0f / 25.0f);
  double now = 1.01;
  clock = static_cast<float>(now);
  for (int frame = 0; frame < 3000; ++frame) {
    now += frameTime(random);
    clock = static_cast<float>(now);
    UpdateWorld();
    CollideWorld();
    for (GlorbObject* g : Glorbs()) {
      ASSERT_LE(std::fabs(g->position.x), kBulletSquare) << frame;
      ASSERT_LE(std::fabs(g->position.y), kBulletSquare) << frame;
    }
  }
  EXPECT_FALSE(Glorbs().empty());
}

TEST_F(LongFrameTest, PointsStopAtTheLargestScore) {
  const DWORD largest = std::numeric_limits<DWORD>::max();
  Score = largest - 5;
  GlorbObject* glorb = Add<GlorbObject>(Vector3(2.0f, 2.0f, 0.1f));
  Add<BulletObject>(glorb->position, Vector3(), 0);
  CollideWorld();
  EXPECT_EQ(Score, largest);
  PyramidObject* pyramid = Add<PyramidObject>(Vector3(-2.0f, 2.0f, 0.1f));
  Add<BulletObject>(pyramid->position, Vector3(), 0);
  CollideWorld();
  EXPECT_EQ(Score, largest);
  // Firing still costs its point from the top.
  ShowShipAt(Vector3());
  InputState.fireHeld = 1;
  Step(0.01f);
  EXPECT_EQ(Score, largest - 1);
}

// "Below -6 or above 6", "at or above" and "at or below": a NaN reading
// satisfies none of them, so nothing those rules would do happens.
TEST_F(LongFrameTest, NaNReadingsTriggerNoneOfTheWrittenTests) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  BulletObject* bullet = Add<BulletObject>(Vector3(0.0f, 0.0f, 3.0f), Vector3(nan, 0.0f, 0.0f), 0);
  DebrisObject* debris = Add<DebrisObject>(Vector3(), Vector3());
  debris->frameRate = nan;
  ShowShipAt(Vector3(nan, 0.0f, 0.3f));
  Ship()->velocity = Vector3(1.0f, 2.0f, 0.0f);
  FireCooldown = nan;
  InputState.fireHeld = 1;
  Score = 10;
  Step(0.01f);
  EXPECT_TRUE(Contains(bullet));     // not below -6 or above 6: not freed
  EXPECT_TRUE(Contains(debris));     // not at or above its frame count: not expired
  EXPECT_EQ(Count(KIND_BULLET), 1);  // the cooldown is not at or below 0: no shot
  EXPECT_EQ(Score, 10u);
  EXPECT_FLOAT_EQ(Ship()->velocity.x, 0.8f);  // not beyond 5: dragged, not bounced
  EXPECT_FLOAT_EQ(Ship()->velocity.y, 1.6f);
}

}  // namespace
