// SPDX-License-Identifier: MIT
// The frame benchmark on a real game: a committed replay played back through
// the whole program (window, message loop, world, drawing) unpaced, with the
// CPU time of every frame taken at its frame mark. The same replay is the
// same game on every machine and every run, so two builds' figures compare
// frame for frame. Prints the median, 95th percentile and mean CPU time a
// frame, and the share of a 60 Hz frame the median takes.
// Usage: replay_frames_bench [replay file]   (default: the levels replay)
#include <host/replay.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/replay_session.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Timing {
  double last = 0.0;
  std::vector<double> frames;  // CPU seconds from one frame mark to the next
};

void OnFrame(uint64_t, void* user) {
  Timing& t = *static_cast<Timing*>(user);
  const double now = CpuSeconds();
  if (t.last > 0.0) t.frames.push_back(now - t.last);
  t.last = now;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : GLORBS_REPLAY_DIR "/levels.glrp";
  setenv("GLORBS3D_REPLAY", path.c_str(), 1);
  setenv("GLORBS3D_REPLAY_SPEED", "max", 1);
  unsetenv("GLORBS3D_RECORD");
  Timing timing;
  timing.frames.reserve(1 << 14);
  host::replay::SetFrameObserver(OnFrame, &timing);
  const double start = CpuSeconds();
  const int status = RunGameSession(GLORBS_VERSION);
  const double total = CpuSeconds() - start;
  if (status != 0 || timing.frames.empty()) {
    std::fprintf(stderr, "replay_frames_bench: %s did not play to its end (status %d)\n", path.c_str(),
                 status);
    return 1;
  }
  std::vector<double> sorted = timing.frames;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0.0;
  for (double f : sorted) sum += f;
  const double median = sorted[sorted.size() / 2];
  const double p95 = sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
  std::printf("%s: %zu frames, %.2f s CPU in all (start-up and shut-down included)\n", path.c_str(),
              sorted.size() + 1, total);
  std::printf(
      "CPU per frame: median %.3f ms, 95th percentile %.3f ms, mean %.3f ms (%.1f%% of a 60 Hz frame)\n",
      median * 1e3, p95 * 1e3, sum / static_cast<double>(sorted.size()) * 1e3, median * 60.0 * 100.0);
  return 0;
}
