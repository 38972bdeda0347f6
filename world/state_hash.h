// SPDX-License-Identifier: MIT
// A running FNV-1a hash of game values, and what of a game object it takes:
// the replays compare the world by it every few frames, and the renderer
// keeps a paused picture for as long as what it shows hashes the same.
#pragma once

#include <cstdint>
#include <cstring>

#include "world/game_object.h"
#include "world/vector3.h"

struct StateHash {
  uint32_t value = 2166136261u;
  // The bytes of v, in memory order.
  template <typename T>
  void Add(const T& v) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    for (unsigned char b : bytes) value = (value ^ b) * 16777619u;
  }
  void Add(const Vector3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
};

// Every value of the object that moves, animates or is drawn: kind, model,
// visibility, position, then what its kind adds.
void AddObjectState(StateHash& h, const GameObject* o);
