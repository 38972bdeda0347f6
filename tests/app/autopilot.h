// SPDX-License-Identifier: MIT
// An autopilot that plays the game as a player would: it looks at where the
// ship and the targets are and presses keys through the host's event stream
// (never by setting a world value). Shared by the autopilot test and the
// tool that records the replays of the test suite.
#pragma once

#include <host/host.h>

#include <cmath>
#include <set>
#include <vector>

#include "app/app_globals.h"
#include "world/game_object.h"
#include "world/game_state.h"

namespace {

constexpr DWORD kProximityKiller = 3;

// Keyboard keys as the host reports them (USB HID usages), in the game's
// default controls.
enum Key : uint16_t {
  KEY_J = 13,      // turn left
  KEY_K = 14,      // turn right
  KEY_M = 16,      // reverse thrust
  KEY_N = 17,      // forward thrust
  KEY_W = 26,      // change weapons
  KEY_SPACE = 44,  // fire; on the splash, any key starts the game
};

void Press(uint16_t key, bool down) {
  host::Event event;
  event.type = down ? host::EventType::KeyDown : host::EventType::KeyUp;
  event.key = key;
  event.down = down;
  host::InjectEvent(event);
}

// What the player sees of the world: where the ship is and faces, and
// where each target is. Read only.
struct View {
  bool shipShown = false;
  Vector3 ship;
  float heading = 0.0f;
  std::vector<Vector3> targets;
};

View Look() {
  View view;
  if (!PlayerShip) return view;
  view.shipShown = PlayerShip->visible != 0;
  view.ship = PlayerShip->position;
  view.heading = PlayerShip->heading;
  for (const GameObject* o = DisplayList; o; o = o->next)
    if (IsTarget(o)) view.targets.push_back(o->position);
  return view;
}

float WrapAngle(float a) {
  while (a > kPi) a -= 2.0f * kPi;
  while (a < -kPi) a += 2.0f * kPi;
  return a;
}

// The keys a player holds for what is seen. With the Proximity killer (a
// ring of bullets that sinks to the floor as it spreads) the ship stands
// off from the nearest target in reach and fires; a target the rings keep
// missing is tried from another distance.
class Autopilot {
 public:
  // One frame's look and keys; the keys that changed go out as events.
  void Play() {
    std::set<uint16_t> want;
    if (appState == APP_SPLASH) {
      want.insert(KEY_SPACE);
    } else if (appState == APP_PLAYING) {
      ++playFrames_;
      // W steps through the weapons until the HUD names the fourth, the
      // Proximity killer; a press is held for one frame.
      if (Weapon != kProximityKiller) {
        if (!held_.count(KEY_W)) want.insert(KEY_W);
      } else {
        Steer(Look(), want);
      }
    }
    for (uint16_t key : held_)
      if (!want.count(key)) Press(key, false);
    for (uint16_t key : want)
      if (!held_.count(key)) Press(key, true);
    held_ = want;
  }

 private:
  void Steer(const View& view, std::set<uint16_t>& want) {
    if (!view.shipShown || view.targets.empty()) return;
    // The ship turns back at +-5: targets a little beyond still fall in the
    // rings' reach, those further out wait until they drift in.
    const Vector3* target = nullptr;
    float best = 1e9f;
    for (const Vector3& t : view.targets) {
      const float outOfReach = std::fabs(t.x) <= 5.5f && std::fabs(t.y) <= 5.5f ? 0.0f : 100.0f;
      const float d = std::hypot(t.x - view.ship.x, t.y - view.ship.y) + outOfReach;
      if (d < best) best = d, target = &t;
    }
    // The distance to stand off at: four rings' widths, a new one every
    // 120 frames.
    const float standOff = 0.45f + 0.15f * static_cast<float>((playFrames_ / 120) % 4);
    float ax = view.ship.x - target->x;
    float ay = view.ship.y - target->y;
    const float distance = std::hypot(ax, ay);
    if (distance > 1e-3f)
      ax /= distance, ay /= distance;
    else
      ax = 1.0f, ay = 0.0f;
    const float gx = std::fmax(-4.9f, std::fmin(4.9f, target->x + standOff * ax)) - view.ship.x;
    const float gy = std::fmax(-4.9f, std::fmin(4.9f, target->y + standOff * ay)) - view.ship.y;
    if (distance < 1.2f) want.insert(KEY_SPACE);
    if (std::hypot(gx, gy) < 0.1f) return;  // there: the drag stops the ship
    // Thrust pushes along (sin heading, -cos heading).
    const float turn = WrapAngle(std::atan2(gx, -gy) - view.heading);
    if (turn > 0.15f) want.insert(KEY_K);
    if (turn < -0.15f) want.insert(KEY_J);
    if (std::fabs(turn) < 0.6f) want.insert(KEY_N);
  }

  std::set<uint16_t> held_;
  long playFrames_ = 0;
};

}  // namespace
