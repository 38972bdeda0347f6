// SPDX-License-Identifier: MIT
// Last error, clocks, debugger output and the layer's counted diagnostics.
#include "win32_internal.h"

#include <host/host.h>
#include <host/replay.h>
#include <win32/debug_output.h>

#include <string>

#include <cstdio>
#include <ctime>

namespace win32 {
namespace {

struct DebugOutput {
  DebugOutputHook hook = nullptr;
  void* user = nullptr;
  bool toStderr = true;
};

DebugOutput& Debug() {
  static DebugOutput output;
  return output;
}

thread_local DWORD t_lastError = 0;

int diagnosticCounts[DIAG_COUNT] = {};
bool diagnosticSaid[DIAG_COUNT] = {};

int64_t MonotonicNanoseconds() {
  timespec ts = {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

void SetDebugOutputHook(DebugOutputHook hook, void* user) {
  Debug().hook = hook;
  Debug().user = user;
}

void SetDebugOutputToStderr(bool on) {
  Debug().toStderr = on;
}

int DiagnosticCount(Diagnostic which) {
  return which < DIAG_COUNT ? diagnosticCounts[which] : 0;
}

void ResetDiagnostics() {
  for (int& c : diagnosticCounts) c = 0;
}

void Diagnose(Diagnostic which, const char* text) {
  if (which >= DIAG_COUNT) return;
  ++diagnosticCounts[which];
  diagnosticSaid[which] = true;
  OutputDebugStringA((std::string(text) + "\n").c_str());
}

void DiagnoseOnce(Diagnostic which, const char* text) {
  if (which < DIAG_COUNT && diagnosticSaid[which]) {
    ++diagnosticCounts[which];
    return;
  }
  Diagnose(which, text);
}

}  // namespace win32

using namespace win32;

DWORD GetLastError() {
  return t_lastError;
}
void SetLastError(DWORD error) {
  t_lastError = error;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = 1000000000;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  count->QuadPart = host::replay::ClockReading(host::replay::Clock::Counter, MonotonicNanoseconds());
  return TRUE;
}

DWORD timeGetTime() {
  const int64_t live = MonotonicNanoseconds() / 1000000;
  return static_cast<DWORD>(host::replay::ClockReading(host::replay::Clock::Milliseconds, live));
}
DWORD GetTickCount() {
  return timeGetTime();
}

void Sleep(DWORD milliseconds) {
  timespec ts = {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void OutputDebugStringA(LPCSTR text) {
  if (!text) return;
  if (Debug().toStderr) {
    std::fputs(text, stderr);
    std::fflush(stderr);
  }
  if (Debug().hook) Debug().hook(text, Debug().user);
}
