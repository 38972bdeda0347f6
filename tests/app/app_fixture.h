// SPDX-License-Identifier: MIT
// The application under test: the real main window and state machine on a
// frame timer whose clock the test turns by hand, with a small splash
// picture registered as the program's "SPLASH" resource.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <win32/resource_table.h>

#include "win32/debug_capture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The hand-turned clock: a performance counter of 1000 ticks per second.
struct ManualClock {
  static LONGLONG ticks;
  static void Advance(double seconds) { ticks += static_cast<LONGLONG>(seconds * 1000.0 + 0.5); }
};

// The device's back buffer as 0xAARRGGBB pixels, top row first; empty
// without a device.
std::vector<uint32_t> BackBufferPixels();

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Dispatches every waiting message, as the loop would.
  void Pump();
  // A key as the window receives it.
  void PressKey(WPARAM vk);
  // The debugger output of the test so far.
  const std::string& DebugText() const { return debug->text; }
  std::unique_ptr<DebugCapture> debug;
  std::vector<unsigned char> splash;  // 4 x 2, left half red, right half blue
  std::vector<win32::ResourceEntry> resources;
  bool withSplash = true;
  bool damagedSplash = false;  // the resource is cut short
};
