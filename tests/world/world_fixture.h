// SPDX-License-Identifier: MIT
// Shared set-up for the world tests: a fresh list with the ship at its head,
// all game-play values and controls at zero, and a clock, seed, close
// request, sounds and camera that the test drives or watches instead of the
// application.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "world/collisions.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/input_state.h"
#include "world/levels.h"
#include "world/random.h"
#include "world/world_services.h"
#include "world/world_update.h"

class WorldTest : public ::testing::Test {
 protected:
  static inline float clock = 0.0f;
  static inline int closeRequests = 0;
  struct CameraView {
    Vector3 eye, lookAt, up;
  };
  static inline CameraView camera;                // as last aimed
  static inline std::vector<WorldSound> played;   // in order
  static inline std::vector<WorldSound> stopped;  // in order

  void SetUp() override {
    DestroyDisplayList();
    Score = 0;
    Level = 0;
    Weapon = 0;
    FireCooldown = 0.0f;
    LastFrameTime = 0.0f;
    EngineSoundOn = 0;
    InputState = InputStateRecord{};
    clock = 0.0f;
    closeRequests = 0;
    camera = CameraView{};
    played.clear();
    stopped.clear();
    worldServices = WorldServices{[] { return clock; },
                                  [] { return DWORD(4242); },
                                  [] { ++closeRequests; },
                                  [](WorldSound s) { played.push_back(s); },
                                  [](WorldSound s) { stopped.push_back(s); },
                                  [](const Vector3& eye, const Vector3& lookAt, const Vector3& up) {
                                    camera = CameraView{eye, lookAt, up};
                                  }};
    SeedRandom(1);
    BuildDisplayList();
  }

  void TearDown() override {
    DestroyDisplayList();
    worldServices = InertWorldServices();
  }

  // Advances the application clock by dt and runs one update.
  static void Step(float dt) {
    clock += dt;
    UpdateWorld();
  }

  static ShipObject* Ship() { return PlayerShip; }

  // The ship, shown and at rest at p.
  static void ShowShipAt(const Vector3& p) {
    PlaceShip(PlayerShip, p);
    PlayerShip->visible = 1;
    PlayerShip->dead = 0;
    PlayerShip->respawnTimer = 0.0f;
    PlayerShip->velocity = Vector3();
  }

  template <typename T, typename... Args>
  static T* Add(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    InsertObject(object);
    return object;
  }

  // Every object behind the head, in list order.
  static std::vector<GameObject*> Objects() {
    std::vector<GameObject*> objects;
    for (GameObject* o = DisplayList->next; o; o = o->next) objects.push_back(o);
    return objects;
  }

  static int Count(DWORD kind) {
    int count = 0;
    for (GameObject* o : Objects()) count += (o->kind == kind);
    return count;
  }

  static bool Contains(const GameObject* object) {
    for (GameObject* o = DisplayList; o; o = o->next)
      if (o == object) return true;
    return false;
  }
};
