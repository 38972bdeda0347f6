// SPDX-License-Identifier: MIT
// Collects the debugger output while it lives, and keeps it off stderr.
#pragma once

#include <win32/debug_output.h>

#include <string>

struct DebugCapture {
  std::string text;
  static void Hook(const char* t, void* user) { static_cast<DebugCapture*>(user)->text += t; }
  DebugCapture() {
    win32::SetDebugOutputHook(Hook, this);
    win32::SetDebugOutputToStderr(false);
  }
  ~DebugCapture() {
    win32::SetDebugOutputHook(nullptr, nullptr);
    win32::SetDebugOutputToStderr(true);
  }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
};
