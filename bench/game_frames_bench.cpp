// SPDX-License-Identifier: MIT
// Drives the real game's frames at level 2, unpaced, on a hand-turned clock
// (1/60 s per frame) and a fixed script of held keys, and interleaves them
// with empty frames (clear and present) in the same process. Prints the
// play/empty CPU ratio, OpenGL draws, calls and glBufferData per play frame,
// and the paused/play ratio; then the same with draw coalescing off; then
// the spacing and CPU cost of paced empty frames.
// Usage: game_frames_bench [blocks [picture.ppm]]   (a block: 20 frames of each kind)
#include <d3d8_glorbs.h>
#include <host/host.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/app_globals.h"
#include "bench_support.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app/main_window.h"
#include "common/src/frame_timer.h"
#include "world/game_state.h"
#include "world/input_state.h"
#include "world/levels.h"

namespace {

double CpuSeconds() {
  return bench::Seconds(CLOCK_PROCESS_CPUTIME_ID);
}

// The end of a level posts a close: the benchmark starts level 2 again instead.
using bench::Pump;

void StartLevelTwo() {
  Level = 1;
  BeginNextLevel();
  appState = APP_PLAYING;
}

// The script: fire held, turning left and right in turns of a
// second, thrust now and then. HID usages: J 13, K 14, N 17, space 44.
void Script(int frame) {
  auto key = [](uint16_t usage, bool down) {
    host::Event e;
    e.type = down ? host::EventType::KeyDown : host::EventType::KeyUp;
    e.key = usage;
    e.down = down;
    e.time = host::Ticks();
    host::InjectEvent(e);
  };
  // Fire goes down once the keyboard is acquired (the first poll) and is
  // let go briefly every two seconds.
  if (frame % 120 == 2) key(44, true);
  if (frame % 120 == 119) key(44, false);
  if (frame % 60 == 0) {
    const bool left = (frame / 60) % 2 == 0;
    key(left ? 13 : 14, true);
    key(left ? 14 : 13, false);
  }
  if (frame % 90 == 0) key(17, true);
  if (frame % 90 == 45) key(17, false);
}

int g_frame = 0;

void PlayFrame() {
  Script(g_frame++);
  Pump();
  bench::handTicks += bench::kTicksPerFrame;
  StepApplication();
  DrawApplication();
  if (appState != APP_PLAYING || Level != 2) StartLevelTwo();
}

void EmptyFrame() {
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

struct Figures {
  std::vector<double> playOverEmpty, pausedOverPlay;
  std::vector<double> draws, calls;  // per play frame, one figure per block
  double bufferData = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

// CPU seconds per frame of `frames` frames of `frame`.
template <class F>
double Block(int frames, F frame) {
  const double start = CpuSeconds();
  for (int i = 0; i < frames; ++i) frame();
  return (CpuSeconds() - start) / frames;
}

Figures Measure(int blocks) {
  constexpr int kFrames = 20;
  Figures f;
  uint64_t bufferData = 0;
  for (int b = 0; b < blocks; ++b) {
    const double empty = Block(kFrames, EmptyFrame);
    const d3d8::Counters before = d3d8::GetCounters();
    const double play = Block(kFrames, PlayFrame);
    const d3d8::Counters after = d3d8::GetCounters();
    f.draws.push_back(static_cast<double>(after.draws - before.draws) / kFrames);
    f.calls.push_back(static_cast<double>(after.glCalls - before.glCalls) / kFrames);
    bufferData += after.bufferData - before.bufferData;
    InputState.paused = TRUE;
    PlayFrame();  // a pause's first frame draws its title once; the rest repeat it
    const double paused = Block(kFrames, PlayFrame);
    InputState.paused = FALSE;
    f.playOverEmpty.push_back(play / empty);
    f.pausedOverPlay.push_back(paused / play);
  }
  const double frames = static_cast<double>(blocks) * kFrames;
  f.bufferData = bufferData / frames;
  return f;
}

void Print(const char* name, const Figures& f) {
  auto range = [](const std::vector<double>& v) {
    std::printf("%5.2f / %5.2f / %5.2f", *std::min_element(v.begin(), v.end()), Median(v),
                *std::max_element(v.begin(), v.end()));
  };
  std::printf("%s\n  play / empty frame (CPU, min/median/max): ", name);
  range(f.playOverEmpty);
  std::printf("\n  paused / play frame (CPU, min/median/max): ");
  range(f.pausedOverPlay);
  std::printf("\n  GL draws per play frame (min/median/max): ");
  range(f.draws);
  std::printf("\n  GL calls per play frame (min/median/max): ");
  range(f.calls);
  std::printf("\n  glBufferData per play frame: %.2f\n", f.bufferData);
}

// Draws the current world twice, gathered and one by one, and counts the
// pixels that differ; `path` (if any) receives the gathered picture as PPM.
void ComparePictures(const char* path) {
  const UINT w = presentParams.BackBufferWidth, h = presentParams.BackBufferHeight;
  std::vector<uint32_t> pictures[2];
  for (int i = 0; i < 2; ++i) {
    d3d8::SetDrawCoalescing(device, i == 0 ? TRUE : FALSE);
    DrawApplication();
    pictures[i].resize(static_cast<size_t>(w) * h);
    d3d8::ReadBackBuffer(device, pictures[i].data(), w, h);
  }
  d3d8::SetDrawCoalescing(device, TRUE);
  size_t differ = 0;
  for (size_t i = 0; i < pictures[0].size(); ++i) differ += pictures[0][i] != pictures[1][i];
  std::printf("the same frame gathered and one by one: %zu of %zu pixels differ\n", differ,
              pictures[0].size());
  if (!path) return;
  if (FILE* f = std::fopen(path, "wb")) {
    std::fprintf(f, "P6 %u %u 255\n", w, h);
    for (uint32_t p : pictures[0]) {
      const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                    static_cast<unsigned char>(p)};
      std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
  }
}

// Paced empty frames: the cadence and the CPU a frame costs with the wait.
void MeasurePacing(int frames) {
  const double unpaced = Block(frames, EmptyFrame);
  host::SetFramePacing(true);
  EmptyFrame();
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const double cpu = Block(frames, EmptyFrame);
  clock_gettime(CLOCK_MONOTONIC, &end);
  host::SetFramePacing(false);
  const double wall = (end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) * 1e-9;
  std::printf("paced empty frames: %.2f ms apart, %.2f ms CPU each (unpaced: %.2f ms CPU each)\n",
              wall * 1e3 / frames, cpu * 1e3, unpaced * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  FrameTimerUseClocks(&bench::kHandClock);
  mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
  if (!mainWindow || FAILED(StartupApplication(mainWindow)) || !device) {
    std::fprintf(stderr, "game_frames_bench: the game did not start\n");
    return 1;
  }
  host::SetFramePacing(false);
  // The window has the focus, as on a desktop, so the keyboard is acquired.
  host::Event focus;
  focus.type = host::EventType::FocusGained;
  host::InjectEvent(focus);
  Pump();
  appActive = true;
  StepApplication();  // the splash
  StartLevelTwo();
  for (int i = 0; i < 180; ++i) PlayFrame();  // the ship appears, bullets fly
  ComparePictures(argc > 2 ? argv[2] : nullptr);
  std::printf("level %lu, %d blocks of 20 frames of each kind, interleaved\n",
              static_cast<unsigned long>(Level), blocks);
  Print("draws gathered (the default)", Measure(blocks));
  d3d8::SetDrawCoalescing(device, FALSE);
  Print("one OpenGL draw per call", Measure(blocks));
  d3d8::SetDrawCoalescing(device, TRUE);
  MeasurePacing(blocks * 4);
  DestroyWindow(mainWindow);
  Pump();
  ShutdownAll();
  FrameTimerUseClocks(nullptr);
  return 0;
}
