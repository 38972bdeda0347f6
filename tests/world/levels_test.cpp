// SPDX-License-Identifier: MIT
// Level start: the Glorb layout, the hidden ship, the cleared controls, and
// the program closing when the third level would begin.
#include "world_fixture.h"

namespace {

using LevelTest = WorldTest;

// Glorbs in list order, oldest first (the order they were built).
std::vector<GlorbObject*> GlorbsOldestFirst() {
  std::vector<GlorbObject*> glorbs;
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (o->kind == KIND_GLORB) glorbs.insert(glorbs.begin(), static_cast<GlorbObject*>(o));
  return glorbs;
}

TEST_F(LevelTest, FirstLevelHasOneRowOfSixGlorbsAndAHiddenShip) {
  Ship()->aimAngle = 2.0f;
  Ship()->heading = -7.0f;
  Ship()->velocity = Vector3(3.0f, 3.0f, 3.0f);
  BeginNextLevel();
  EXPECT_EQ(Level, 1u);
  EXPECT_EQ(closeRequests, 0);
  const std::vector<GlorbObject*> glorbs = GlorbsOldestFirst();
  ASSERT_EQ(glorbs.size(), 6u);
  for (int n = 0; n < 6; ++n) {
    EXPECT_FLOAT_EQ(glorbs[n]->position.x, -6.0f + 0.5f * n);
    EXPECT_FLOAT_EQ(glorbs[n]->position.y, -4.0f + 0.3f * n);
    EXPECT_FLOAT_EQ(glorbs[n]->position.z, 0.1f);
  }
  EXPECT_EQ(Ship()->position, Vector3(0.0f, 1.5f, 0.3f));
  EXPECT_EQ(Ship()->part1->position, Vector3(0.0f, 1.5f, 0.3f + 0.1f));
  EXPECT_EQ(Ship()->velocity, Vector3());
  EXPECT_EQ(Ship()->visible, 0);
  EXPECT_EQ(Ship()->dead, 0);
  EXPECT_EQ(Ship()->respawnTimer, 2.0f);
  EXPECT_EQ(Ship()->aimAngle, 2.0f);
  EXPECT_EQ(Ship()->heading, -7.0f);
}

TEST_F(LevelTest, OutsideGlorbsAreHiddenFromTheFirstUpdateButStillCollide) {
  BeginNextLevel();
  Step(1.0f / 60.0f);
  const std::vector<GlorbObject*> glorbs = GlorbsOldestFirst();
  for (int n = 0; n < 6; ++n) EXPECT_EQ(glorbs[n]->visible, n >= 3 ? 1 : 0) << n;
  InsertObject(new BulletObject(glorbs[0]->position, Vector3(), 0));
  CollideWorld();
  EXPECT_EQ(Score, 10u);
}

TEST_F(LevelTest, ThirdLevelIsStillBuiltAfterAskingToClose) {
  BeginNextLevel();
  BeginNextLevel();
  EXPECT_EQ(closeRequests, 0);
  // Remove the first two levels' Glorbs so only the third level's remain.
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (o->kind == KIND_GLORB) o = FreeObjectStepBack(o);
  BeginNextLevel();
  EXPECT_EQ(Level, 3u);
  EXPECT_EQ(closeRequests, 1);
  const std::vector<GlorbObject*> glorbs = GlorbsOldestFirst();
  ASSERT_EQ(glorbs.size(), 18u);
  for (int row = 0; row < 3; ++row) {
    for (int n = 0; n < 6; ++n) {
      const GlorbObject* g = glorbs[row * 6 + n];
      EXPECT_FLOAT_EQ(g->position.x, 0.5f * n - 6.0f + row);
      EXPECT_FLOAT_EQ(g->position.y, 0.3f * n - 4.0f + row);
    }
  }
  EXPECT_FLOAT_EQ(glorbs[12]->position.x, -4.0f);
  EXPECT_FLOAT_EQ(glorbs[12]->position.y, -2.0f);
  EXPECT_EQ(Ship()->visible, 0);
}

TEST_F(LevelTest, LevelStartClearsOnlyYawThrustAndFire) {
  InputState.turnRate = 5.0f;
  InputState.thrust = 6.0f;
  InputState.lateralMove = 0.5f;
  InputState.verticalMove = -3.0f;
  InputState.pitchRate = 5.0f;
  InputState.fireHeld = 1;
  InputState.paused = 1;
  InputState.menuSelect = 1;
  InputState.actionLevels.forward[2] = 1.0f;
  BeginNextLevel();
  EXPECT_EQ(InputState.turnRate, 0.0f);
  EXPECT_EQ(InputState.thrust, 0.0f);
  EXPECT_EQ(InputState.fireHeld, 0);
  EXPECT_EQ(InputState.lateralMove, 0.5f);
  EXPECT_EQ(InputState.verticalMove, -3.0f);
  EXPECT_EQ(InputState.pitchRate, 5.0f);
  EXPECT_EQ(InputState.paused, 1);
  EXPECT_EQ(InputState.menuSelect, 1);
  EXPECT_EQ(InputState.actionLevels.forward[2], 1.0f);
  // The engine falls silent with the old level.
  EXPECT_EQ(stopped, (std::vector<WorldSound>{WorldSound::EngineIdle, WorldSound::EngineRev}));
}

TEST_F(LevelTest, ALevelSeedsTheDrawsFromTheClock) {
  BeginNextLevel();
  std::vector<float> rates;
  for (GlorbObject* g : GlorbsOldestFirst()) rates.push_back(g->frameRate);
  SeedRandom(1234);  // whatever the generator held before
  Level = 0;
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (o->kind == KIND_GLORB) o = FreeObjectStepBack(o);
  BeginNextLevel();
  std::vector<float> again;
  for (GlorbObject* g : GlorbsOldestFirst()) again.push_back(g->frameRate);
  EXPECT_EQ(rates, again);
}

TEST_F(LevelTest, BulletsInFlightCarryOverIntoTheNextLevel) {
  BulletObject* bullet = Add<BulletObject>(Vector3(1.0f, 1.0f, 2.0f), Vector3(), 0);
  ASSERT_TRUE(OnlyBulletsLeft());
  BeginNextLevel();
  EXPECT_TRUE(Contains(bullet));
  EXPECT_EQ(Count(KIND_GLORB), 6);
}

}  // namespace
