// SPDX-License-Identifier: MIT
// The scripted games: the autopilot through levels 1 and 2; weapons, pause
// and a ship death; the F1 menu and the quit question.
#include "scenarios.h"

#include <host/replay.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/app_globals.h"
#include "app/autopilot.h"
#include "dinput8/test_events.h"
#include "input/menus.h"

namespace {

using namespace test_events;

int64_t virtualNanoseconds = 1000000000;

int64_t VirtualClock(host::replay::Clock which) {
  switch (which) {
    case host::replay::Clock::Counter:
      return virtualNanoseconds;
    case host::replay::Clock::Milliseconds:
      return virtualNanoseconds / 1000000;
    case host::replay::Clock::Ticks:
      return virtualNanoseconds / 1000000 - 1000;
  }
  return 0;
}

// Key taps queued for the frames ahead: down on one frame, up two later.
struct Taps {
  std::vector<std::pair<uint64_t, uint16_t>> due;  // frame, key
  uint64_t last = 0;
  void Add(uint64_t from, const std::vector<uint16_t>& keys, uint64_t gap = 15) {
    uint64_t at = std::max(from, last + gap);
    for (uint16_t key : keys) {
      due.push_back({at, key});
      last = at;
      at += gap;
    }
  }
  void Run(uint64_t frame) {
    for (const auto& tap : due) {
      if (tap.first == frame) Press(tap.second, true);
      if (tap.first + 2 == frame) Press(tap.second, false);
    }
  }
};

// Frames since play began, counted by the drivers.
uint64_t playStart = 0;
bool Playing(uint64_t frame) {
  if (appState == APP_PLAYING && playStart == 0) playStart = frame;
  return playStart != 0;
}

void LevelsFrame(uint64_t) {
  static Autopilot pilot;
  pilot.Play();
}

// A run of taps once play has begun; `script` is built on the first frame
// of play, relative to it.
void TapScript(uint64_t frame, void (*script)(Taps&, uint64_t)) {
  static Taps taps;
  static bool built = false;
  if (!Playing(frame)) return;
  if (!built) {
    built = true;
    script(taps, playStart + 60);
  }
  taps.Run(frame);
}

// An entry that acts (a sound or display choice) closes the menu; F1 opens
// it again on the entry last highlighted.
void MenuScript(Taps& t, uint64_t start) {
  t.Add(start, {HID_F1, HID_DOWN, HID_RETURN, HID_DOWN, HID_RETURN});  // Sound, Sound Off
  t.Add(0, {HID_F1, HID_RETURN, HID_UP, HID_RETURN});                  // Sound, Sound On
  t.Add(0, {HID_F1, HID_UP, HID_RETURN, HID_RETURN});                  // Video, Windowed
  t.Add(0, {HID_F1, HID_RETURN, HID_DOWN, HID_RETURN});                // 640x480
  t.Add(0, {HID_F1, HID_RETURN, HID_DOWN, HID_RETURN});                // 800x600
  t.Add(0, {HID_F1, HID_RETURN, HID_DOWN, HID_RETURN});                // 1024x768
  t.Add(0, {HID_F1, HID_RETURN, HID_UP, HID_UP, HID_UP, HID_RETURN});  // Windowed
  t.Add(0, {HID_F1, HID_DOWN, HID_DOWN, HID_DOWN, HID_RETURN});        // Back to Game
  t.Add(0, {HID_ESCAPE, HID_DOWN, HID_RETURN}, 30);                    // quit? No
  t.Add(0, {HID_ESCAPE, HID_UP, HID_RETURN}, 30);                      // quit? Yes
}

void MenuFrame(uint64_t frame) {
  TapScript(frame, MenuScript);
}

// Each weapon fired, a pause and its resumption, then the ship flown into a
// target until it dies, and after its respawn the quit question answered Yes.
void CombatFrame(uint64_t frame) {
  static int phase = 0;
  static uint64_t phaseStart = 0;
  static std::set<uint16_t> held;
  std::set<uint16_t> want;
  if (Playing(frame)) {
    const uint64_t t = frame - playStart;
    if (phase == 0 && t >= 40) phase = 1, phaseStart = frame;
    const uint64_t p = frame - phaseStart;
    if (phase == 1) {  // four weapons, each fired for a second
      if (p % 80 < 60) want.insert(KEY_SPACE);
      if (p % 80 == 70) want.insert(KEY_W);
      if (p >= 320) phase = 2, phaseStart = frame;
    } else if (phase == 2) {  // pause, wait, resume
      if (p == 1 || p == 91) want.insert(HID_PAUSE);
      if (p >= 120) phase = 3, phaseStart = frame;
    } else if (phase == 3) {  // ram the nearest target
      View view = Look();
      if (PlayerShip && PlayerShip->dead) phase = 4, phaseStart = frame;
      if (!view.targets.empty() && view.shipShown) {
        const Vector3* target = &view.targets[0];
        for (const Vector3& v : view.targets)
          if (std::hypot(v.x - view.ship.x, v.y - view.ship.y) <
              std::hypot(target->x - view.ship.x, target->y - view.ship.y))
            target = &v;
        const float turn =
            WrapAngle(std::atan2(target->x - view.ship.x, -(target->y - view.ship.y)) - view.heading);
        if (turn > 0.15f) want.insert(KEY_K);
        if (turn < -0.15f) want.insert(KEY_J);
        if (std::fabs(turn) < 0.6f) want.insert(KEY_N);
      }
      if (p > 3600) phase = 4;  // never stuck: go on to quitting
    } else if (phase == 4) {    // the respawn, then quit
      if (PlayerShip && !PlayerShip->dead && p > 30) phase = 5, phaseStart = frame;
    } else if (phase == 5) {  // the question opens on No
      if (p == 30) want.insert(HID_ESCAPE);
      if (p == 45) want.insert(HID_UP);
      if (p == 60) want.insert(HID_RETURN);
    }
  }
  for (uint16_t key : held)
    if (!want.count(key)) Press(key, false);
  for (uint16_t key : want)
    if (!held.count(key)) Press(key, true);
  held = want;
}

// The Input menu's Config Devices window: the first row (Turn left, J) is
// given L, the window closed with F10, and L then held to turn the ship.
void ControlsScript(Taps& t, uint64_t start) {
  t.Add(start, {HID_F1, HID_DOWN, HID_DOWN, HID_RETURN, HID_DOWN, HID_RETURN});
}

bool configWindowDone = false;
uint64_t configClosedAt = 0;

void ControlsFrame(uint64_t frame) {
  TapScript(frame, ControlsScript);
  if (!configWindowDone) return;
  if (configClosedAt == 0) configClosedAt = frame;
  const uint64_t after = frame - configClosedAt;
  if (after == 30) Press(HID_L, true);
  if (after == 90) Press(HID_L, false);
  if (after == 120) Press(HID_ESCAPE, true);
  if (after == 122) Press(HID_ESCAPE, false);
  if (after == 135) Press(HID_UP, true);  // the question opens on No
  if (after == 137) Press(HID_UP, false);
  if (after == 150) Press(HID_RETURN, true);
  if (after == 152) Press(HID_RETURN, false);
}

// Inside the modal window the game makes no frames, only pumps.
void ControlsPump(uint64_t pumps) {
  // Only the window's pumps: before play began, the splash pumps too.
  if (configWindowDone || playStart == 0 || pumps < 5) return;
  const uint16_t script[] = {HID_RETURN, HID_L, HID_F10};
  const uint64_t step = (pumps - 5) / 10, phase = (pumps - 5) % 10;
  if (step >= 3) return;
  if (phase == 0) Press(script[step], true);
  if (phase == 2) Press(script[step], false);
  if (step == 2 && phase == 2) configWindowDone = true;
}

const Scenario* current = nullptr;

// A script that no longer fits the game (a menu that opens on another
// entry, a key that moved) would drive it for ever: stop the recorder.
constexpr uint64_t kMostFrames = 20000, kMostPumpsWithoutFrame = 5000;

[[noreturn]] void GiveUp(const char* what, uint64_t count) {
  std::fprintf(stderr, "the %s scenario is still going after %llu %s: its script no longer fits the game\n",
               current->name, static_cast<unsigned long long>(count), what);
  std::fflush(stderr);
  std::_Exit(1);
}

void Observe(uint64_t frame, void*) {
  if (frame > kMostFrames) GiveUp("frames", frame);
  virtualNanoseconds += 1000000000 / 60;
  current->frame(frame);
}

// The splash makes no frames: it waits for a key, and gets one. A second
// of the player's looking passes first, so the game starts at a later
// clock reading than the program did.
void ObservePump(uint64_t pumps, bool waits, void*) {
  if (pumps > kMostPumpsWithoutFrame) GiveUp("event pumps without a frame", pumps);
  if (waits && appState == APP_SPLASH) {
    virtualNanoseconds += 1000000000;
    Press(KEY_SPACE, true);
    Press(KEY_SPACE, false);
    return;
  }
  if (current->pump) current->pump(pumps);
}

}  // namespace

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> all = {
      {"levels", LevelsFrame},
      {"combat", CombatFrame},
      {"menus", MenuFrame},
      {"controls", ControlsFrame, ControlsPump},
  };
  return all;
}

const Scenario* FindScenario(const std::string& name) {
  for (const Scenario& s : Scenarios())
    if (name == s.name) return &s;
  return nullptr;
}

void DriveRecording(const Scenario& scenario) {
  current = &scenario;
  host::replay::SetClockSource(VirtualClock);
  host::replay::SetFrameObserver(Observe, nullptr);
  host::replay::SetPumpObserver(ObservePump, nullptr);
  host::SetFramePacing(false);
  // The window of an offscreen driver never gains focus by itself; the
  // game waits for it before it runs.
  host::Event focus;
  focus.type = host::EventType::FocusGained;
  host::InjectEvent(focus);
}
