// SPDX-License-Identifier: MIT
// Launch to splash against a bare window: each round starts this program
// twice more, once as the game up to its splash picture on screen and once
// as a bare SDL window with an OpenGL context and its first swap; each child
// reports the moment it got there. Then one child plays level 2 and reports
// its anonymous resident memory (RssAnon) and where its start-up time went.
// Usage: startup_bench [rounds]
#include <d3d8_glorbs.h>
#include <host/host.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "bench_support.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app/main_window.h"
#include "audio/sound_effects.h"
#include "input/game_input.h"
#include "input/menus.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/levels.h"

extern char** environ;

namespace {

double Now() {
  return bench::Seconds(CLOCK_MONOTONIC);
}

using bench::Pump;

long RssAnonKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof(line), f))
    if (std::sscanf(line, "RssAnon: %ld", &kb) == 1) break;
  std::fclose(f);
  return kb;
}

// The anonymous pages of Mesa's LLVM library: the loader relocates its data
// at start-up, whatever the program draws, so they are the driver's, not ours.
long LlvmLibraryAnonKb() {
  FILE* f = std::fopen("/proc/self/smaps", "r");
  if (!f) return -1;
  char line[512];
  long kb = 0, pages = 0;
  bool llvm = false;
  while (std::fgets(line, sizeof(line), f)) {
    unsigned long from = 0, to = 0;
    if (std::sscanf(line, "%lx-%lx ", &from, &to) == 2) {
      llvm = std::strstr(line, "libLLVM") != nullptr;
    } else if (llvm && std::sscanf(line, "Anonymous: %ld", &pages) == 1) {
      kb += pages;
    }
  }
  std::fclose(f);
  return kb;
}

int Bare() {
  if (!host::Init() || !host::CreateMainWindow("bare", 0, 0, 640, 480, true) || !host::CreateGLContext())
    return 1;
  host::MakeGLCurrent();
  host::SwapWindowBuffers();
  std::printf("%.6f\n", Now());
  return 0;
}

// The game as WinMain starts it, until the splash has been painted (the
// first step sends the splash its WM_PAINT and returns after it).
int Game() {
  const double entered = Now();
  mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
  if (!mainWindow || FAILED(StartupApplication(mainWindow))) return 1;
  while (appState != APP_SPLASH) {
    Pump();
    StepApplication();
  }
  std::printf("%.6f %.6f\n", Now(), entered);
  std::fflush(stdout);
  ShutdownAll();
  return 0;
}

// A moment of start-up: the wall clock, and the processor time of the
// message-loop thread (the driver compiles its programs there; its
// rasteriser threads are not counted), so that a phase's own work shows
// even when the machine is busy.
struct Moment {
  double wall = Now();
  double cpu = bench::Seconds(CLOCK_THREAD_CPUTIME_ID);
};

void PrintPhase(const char* name, const Moment& from, const Moment& to, const char* separator) {
  std::printf("%s %.0f ms (%.0f)%s", name, (to.wall - from.wall) * 1e3, (to.cpu - from.cpu) * 1e3, separator);
}

void KeepHeap() {}

// Start-up piece by piece, in StartupApplication's order, then 300 frames
// of level 2 and the anonymous memory they leave resident; `trim` false
// keeps the heap's freed pages as the C library would.
int Phases(bool trim) {
  if (!trim) host::SetHeapTrimmer(&KeepHeap);
  const Moment main;
  mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
  const Moment window;
  if (FAILED(InitInput(mainWindow))) return 1;
  const Moment input;
  CreateSounds(mainWindow);
  const Moment sounds;
  if (FAILED(CreateDisplay(mainWindow))) return 1;
  const Moment display;
  BuildDisplayList();
  BuildMenus();
  appState = APP_STARTUP;
  const Moment lists;
  Pump();
  StepApplication();
  const Moment splash;
  std::printf("  phases, wall ms (ms of the main thread's processor time):\n  ");
  PrintPhase("window", main, window, ", ");
  PrintPhase("input", window, input, ", ");
  PrintPhase("sounds", input, sounds, ",\n  ");
  PrintPhase("display (device, textures, fonts, models)", sounds, display, ", ");
  PrintPhase("display list and menus", display, lists, ",\n  ");
  PrintPhase("splash picture", lists, splash, "\n");
  const long atSplash = RssAnonKb();
  std::printf("  fixed-function programs built before the splash: %llu\n",
              static_cast<unsigned long long>(d3d8::GetCounters().programsBuilt));
  host::SetFramePacing(false);
  // The first key on the splash lets its picture go; play starts here
  // without one.
  DeleteObject(splashBitmap);
  splashBitmap = nullptr;
  // Each frame is a sixtieth of a second of play, as on a 60 Hz display:
  // what the 300 frames show, and so what they leave resident, does not
  // depend on how fast this machine draws them.
  FrameTimerUseClocks(&bench::kHandClock);
  appActive = true;
  Level = 1;
  BeginNextLevel();
  appState = APP_PLAYING;
  for (int i = 0; i < 300; ++i) {
    Pump();
    bench::handTicks += bench::kTicksPerFrame;
    StepApplication();
    DrawApplication();
    if (appState != APP_PLAYING || Level != 2) Level = 1, BeginNextLevel(), appState = APP_PLAYING;
  }
  const long inPlay = RssAnonKb(), llvm = LlvmLibraryAnonKb();
  std::printf("  RssAnon: %.1f MB at the splash, %.1f MB after 300 frames of level 2\n", atSplash / 1024.0,
              inPlay / 1024.0);
  std::printf("  of which Mesa's LLVM library's relocated pages %.1f MB: %.1f MB in play without them\n",
              llvm / 1024.0, (inPlay - llvm) / 1024.0);
  // The heap's share (ours and the driver's mallocs alike); the rest is the
  // driver's compiled code, thread stacks and mappings.
  const struct mallinfo2 heap = mallinfo2();
  std::printf(
      "  of which the heap in use %.1f MB (the layer's own texture and surface bytes %.1f MB);\n"
      "  fixed-function programs built by then: %llu\n",
      heap.uordblks / 1048576.0, d3d8::KeptPixelBytes() / 1048576.0,
      static_cast<unsigned long long>(d3d8::GetCounters().programsBuilt));
  ShutdownAll();
  FrameTimerUseClocks(nullptr);
  return 0;
}

// Runs this program with `mode`; gives the seconds from the spawn to the
// moment the child printed (and, for a second number, to that moment), or a
// negative number when it failed.
double Launch(const char* self, const char* mode, bool echo, double* second = nullptr) {
  int out[2];
  if (pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
  pid_t pid = 0;
  const double start = Now();
  const int failed = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[512];
  ssize_t n = 0;
  while (!failed && (n = read(out[0], buffer, sizeof(buffer))) > 0) text.append(buffer, n);
  close(out[0]);
  int status = 0;
  if (!failed) waitpid(pid, &status, 0);
  if (failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  if (echo) std::fputs(text.c_str(), stdout);
  char* rest = nullptr;
  const double first = std::strtod(text.c_str(), &rest);
  if (second) *second = std::strtod(rest, nullptr) - start;
  return echo ? 0 : first - start;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) return Bare();
  if (argc > 1 && std::strcmp(argv[1], "--game") == 0) return Game();
  if (argc > 1 && std::strcmp(argv[1], "--phases") == 0) return Phases(true);
  if (argc > 1 && std::strcmp(argv[1], "--phases-untrimmed") == 0) return Phases(false);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::vector<double> game, bare, ratio, loading;
  for (int i = 0; i < rounds; ++i) {
    double toMain = 0;
    const double g = Launch("/proc/self/exe", "--game", false, &toMain);
    loading.push_back(toMain);
    const double b = Launch("/proc/self/exe", "--bare", false);
    if (g < 0 || b < 0) {
      std::fprintf(stderr, "startup_bench: a child failed\n");
      return 1;
    }
    game.push_back(g), bare.push_back(b), ratio.push_back(g / b);
  }
  std::printf("launch to splash %.0f ms, bare window + GL context + first swap %.0f ms (medians of %d)\n",
              Median(game) * 1e3, Median(bare) * 1e3, rounds);
  std::printf("  of which %.0f ms before main (loading the program and its libraries)\n",
              Median(loading) * 1e3);
  std::printf("  ratio min/median/max: %.2f / %.2f / %.2f\n", *std::min_element(ratio.begin(), ratio.end()),
              Median(ratio), *std::max_element(ratio.begin(), ratio.end()));
  if (Launch("/proc/self/exe", "--phases", true) < 0) {
    std::fprintf(stderr, "startup_bench: the phases child failed\n");
    return 1;
  }
  return 0;
}
