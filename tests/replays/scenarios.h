// SPDX-License-Identifier: MIT
// The scripted games behind the committed replays. Each drives the real
// program loop from the replay session's frame observer: it looks at the
// game and presses keys through the host's event stream, on a clock of
// exactly 1/60 s per frame, so that a recording is the same every time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Scenario {
  const char* name;  // the replay is <name>.glrp, its final frame <name>.png
  void (*frame)(uint64_t frame);
  // Pumps that make no frame (a modal window's); may be null.
  void (*pump)(uint64_t pumpsSinceFrame) = nullptr;
};

const std::vector<Scenario>& Scenarios();
const Scenario* FindScenario(const std::string& name);
// Installs the virtual clock and the scenario's driver for a recording.
void DriveRecording(const Scenario& scenario);
