// SPDX-License-Identifier: MIT
// Thousands of frames of scripted play at a fixed frame time and seed: every
// weapon, pauses, deaths and cleared levels, with the list checked after
// every update and every collision pass.
#include <cmath>

#include "world_fixture.h"

namespace {

using LongRunTest = WorldTest;

void CheckInvariants(int frame) {
  ASSERT_NE(PlayerShip, nullptr) << frame;
  ASSERT_EQ(DisplayList, PlayerShip) << frame;
  ASSERT_EQ(DisplayList->prev, nullptr) << frame;
  ASSERT_EQ(DisplayList->kind, KIND_SHIP) << frame;
  int part1 = 0;
  int part2 = 0;
  int length = 0;
  for (GameObject* o = DisplayList; o; o = o->next) {
    ASSERT_LT(++length, 100000) << frame;
    if (o->next) {
      ASSERT_EQ(o->next->prev, o) << frame;
    }
    if (o != DisplayList) {
      ASSERT_NE(o->kind, KIND_SHIP) << frame;
    }
    part1 += (o == PlayerShip->part1);
    part2 += (o == PlayerShip->part2);
  }
  ASSERT_EQ(part1, 1) << frame;
  ASSERT_EQ(part2, 1) << frame;
  ASSERT_LT(Score, 10000000u) << frame;  // a wrap below zero would be near 4e9
  ASSERT_GE(PlayerShip->aimAngle, 0.0f) << frame;
  ASSERT_LE(PlayerShip->aimAngle, 3.1415927f) << frame;
}

// One of -1, 0, +1, changing every `period` frames.
float Pattern(int frame, int period) {
  return static_cast<float>((frame / period) % 3 - 1);
}

GameObject* OldestTarget() {
  GameObject* target = nullptr;
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (IsTarget(o)) target = o;
  return target;
}

TEST_F(LongRunTest, ScriptedPlayKeepsTheWorldSound) {
  constexpr int kFrames = 15000;
  const float dt = 1.0f / 60.0f;
  int levelsCleared = 0;
  int deaths = 0;
  int bulletTypesSeen[4] = {};
  BeginNextLevel();
  clock = 1.01f;  // the timer reset and the one-second intro

  for (int frame = 0; frame < kFrames; ++frame) {
    Weapon = (frame / 300) % 4;
    InputState.fireHeld = (frame % 7) != 0;
    InputState.thrust = 6.0f * Pattern(frame, 90);
    InputState.turnRate = 5.0f * Pattern(frame, 50);
    InputState.pitchRate = 5.0f * Pattern(frame, 130);
    InputState.lateralMove = 0.5f * Pattern(frame, 70);
    InputState.verticalMove = 3.0f * Pattern(frame, 110);
    InputState.paused = (frame % 1000) >= 500 && (frame % 1000) < 530;
    // Now and then fly into the oldest target: the ship dies when visible,
    // and destroys it either way, so levels get cleared.
    if (frame % 25 == 0) {
      if (GameObject* target = OldestTarget()) PlaceShip(PlayerShip, target->position);
    }

    const BOOL wasDead = PlayerShip->dead;
    clock += dt;
    UpdateWorld();
    CheckInvariants(frame);
    CollideWorld();
    CheckInvariants(frame);
    if (HasFatalFailure()) return;
    deaths += (!wasDead && PlayerShip->dead);
    for (GameObject* o = DisplayList->next; o; o = o->next)
      if (o->kind == KIND_BULLET) bulletTypesSeen[static_cast<BulletObject*>(o)->bulletType] = 1;

    if (OnlyBulletsLeft()) {
      ++levelsCleared;
      BeginNextLevel();
      clock = 1.01f;
    }
  }

  EXPECT_GE(levelsCleared, 2);
  EXPECT_EQ(closeRequests, 1);
  EXPECT_GT(deaths, 0);
  for (int type = 0; type < 4; ++type) EXPECT_EQ(bulletTypesSeen[type], 1) << type;
}

}  // namespace
