// SPDX-License-Identifier: MIT
// Internal state of the host layer, shared by its window, event, controller
// and pacing files.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include <host/host.h>

namespace host {

struct SinkEntry {
  int handle = 0;
  EventSink sink = nullptr;
  void* user = nullptr;
};

struct HostState {
  bool initTried = false;
  bool initOk = false;
  Uint64 startTicks = 0;

  SDL_Window* window = nullptr;
  SDL_GLContext gl = nullptr;
  bool vsync = false;
  bool pacing = true;
  Uint64 lastFrameCounter = 0;  // performance counter at the last paced swap
  bool heapChurned = false;     // the heap is trimmed after the next swap
  HeapTrimmer heapTrimmer = nullptr;
  ContextLossObserver contextLossObserver = nullptr;

  bool fullScreen = false;
  bool realModeChange = false;
  Rect windowedRect;  // client area to return to from full screen

  PicturePresenter presenter = nullptr;
  void* presenterUser = nullptr;
  bool pictureShown = false;       // the window shows the last GDI picture
  bool presentingPicture = false;  // a presenter's own swap is under way
  PictureCoveredObserver coveredObserver = nullptr;
  void* coveredUser = nullptr;

  bool cursorVisible = true;
  int mouseX = 0, mouseY = 0;

  std::vector<SinkEntry> sinks;
  int nextSinkHandle = 1;
  std::deque<Event> injected;
  Uint32 wakeEventType = 0;

  bool keys[512] = {};
  bool focusLost = false;                       // the last focus record delivered said the focus went
  std::map<int32_t, SDL_GameController*> pads;  // by joystick instance id
};

HostState& State();

// The controller table (host_pads.cpp). OpenPad and ClosePad fill `out` with
// the PadAdded / PadRemoved record, or leave it alone when nothing changed.
void OpenPad(int deviceIndex, Event& out);
void ClosePad(int32_t id, Event& out);
void ClosePads();

// Frame pacing and the heap trimmed after a swap (host_pacing.cpp).
void PaceFrame();
void TrimHeapIfChurned();
// Hands an event to every sink; PumpLiveEvents reads the desktop's events
// (PumpEvents plays recorded ones instead while a replay plays).
void Deliver(const Event& e);
int PumpLiveEvents(int waitMs);

}  // namespace host
