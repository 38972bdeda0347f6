// SPDX-License-Identifier: MIT
// The thread's message queue and the default window procedure. Posted
// messages wait in order; messages the desktop "sends" (activation, size,
// cursor) are delivered to their window procedure inside the next Peek/Get,
// never from the middle of another call. WM_QUIT and WM_PAINT are flags.
#include "win32_internal.h"

#include <host/host.h>

#include <deque>

namespace win32 {
namespace {

struct SentMessage {
  MSG msg;
  bool hostCommand;
};

struct Queue {
  std::deque<MSG> posted;
  std::deque<SentMessage> sent;
  bool quitPosted = false;
  int quitCode = 0;
  bool active = false;
  bool altAlone = false;  // Alt went down and nothing else since
  UINT undoCommand = 0;   // a desktop-made WM_SYSCOMMAND not yet accepted
};

Queue& Q() {
  static Queue q;
  return q;
}

MSG MakeMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m = {};
  m.hwnd = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = host::Ticks();
  int x = 0, y = 0;
  host::GetMousePosition(&x, &y);
  m.pt = {x, y};
  if (Window* w = WindowFromHandle(window)) ClientToScreen(window, &m.pt), (void)w;
  return m;
}

bool Matches(const MSG& m, HWND window, UINT lo, UINT hi) {
  if (window && m.hwnd != window) return false;
  return (lo == 0 && hi == 0) || (m.message >= lo && m.message <= hi);
}

// The desktop already carried out a move, minimise or maximise: when the
// window procedure does not let it through to DefWindowProcA, take it back.
void UndoRefusedCommand() {
  UINT cmd = Q().undoCommand;
  Q().undoCommand = 0;
  if (cmd == SC_MAXIMIZE || cmd == SC_MINIMIZE) host::Restore();
}

void DeliverSent() {
  // Delivering may queue more (a window procedure resizing its window);
  // those wait for the next call so that one call cannot loop forever.
  size_t count = Q().sent.size();
  for (size_t i = 0; i < count && !Q().sent.empty(); ++i) {
    SentMessage s = Q().sent.front();
    Q().sent.pop_front();
    if (s.msg.message == WM_ACTIVATEAPP) {
      SendMessageA(s.msg.hwnd, s.msg.message, s.msg.wParam, s.msg.lParam);
      continue;
    }
    if (s.hostCommand) Q().undoCommand = static_cast<UINT>(s.msg.wParam & 0xFFF0);
    SendMessageA(s.msg.hwnd, s.msg.message, s.msg.wParam, s.msg.lParam);
    if (s.hostCommand && Q().undoCommand) UndoRefusedCommand();
  }
}

void PumpHost(int waitMs) {
  if (host::MainWindowExists()) host::PumpEvents(waitMs);
  DeliverSent();
}

Window* WindowNeedingPaint(HWND filter) {
  Window* w = filter ? WindowFromHandle(filter) : MainWindowRecord();
  return w && w->paintPending ? w : nullptr;
}

// What the system menu commands do by default.
LRESULT DefaultSysCommand(HWND window, WPARAM wParam) {
  UINT cmd = static_cast<UINT>(wParam & 0xFFF0);
  if (Q().undoCommand && cmd == Q().undoCommand) {
    Q().undoCommand = 0;  // accepted; the desktop has carried it out already
    return 0;
  }
  Window* w = WindowFromHandle(window);
  if (!w || !w->backed) return 0;
  switch (cmd) {
    case SC_CLOSE:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      if (!host::IsMinimized()) host::Minimize();
      break;
    case SC_RESTORE:
      host::Restore();
      break;
    default:
      break;  // move, size, maximise and the keyboard menu are the desktop's own business
  }
  return 0;
}

LRESULT DefaultKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  bool down = message == WM_SYSKEYDOWN || message == WM_KEYDOWN;
  if (down) {
    bool repeat = (lParam & (1L << 30)) != 0;
    if (wParam == VK_MENU || wParam == VK_F10) {
      if (!repeat) Q().altAlone = true;
    } else {
      Q().altAlone = false;
    }
    if (message == WM_SYSKEYDOWN && wParam == VK_F4 && !repeat)
      SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if ((wParam == VK_MENU || wParam == VK_F10) && Q().altAlone) {
    Q().altAlone = false;
    SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
  }
  return 0;
}

}  // namespace

void QueueSent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool hostCommand) {
  Q().sent.push_back({MakeMsg(window, message, wParam, lParam), hostCommand});
}

void PurgeMessages(HWND window) {
  auto& posted = Q().posted;
  for (auto it = posted.begin(); it != posted.end();) it = it->hwnd == window ? posted.erase(it) : it + 1;
  auto& sent = Q().sent;
  for (auto it = sent.begin(); it != sent.end();) it = it->msg.hwnd == window ? sent.erase(it) : it + 1;
}

void SetActive(bool active, bool sendNow) {
  if (Q().active == active) return;
  Q().active = active;
  Window* w = MainWindowRecord();
  if (!w) return;
  if (sendNow)
    SendMessageA(HandleOf(w), WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
  else
    QueueSent(HandleOf(w), WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

bool IsActive() {
  return Q().active;
}

void ForgetActivation() {
  Q().active = false;
  Q().altAlone = false;
  Q().undoCommand = 0;
}

}  // namespace win32

using namespace win32;

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) return FALSE;
  PumpHost(0);
  auto& posted = Q().posted;
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *msg = *it;
    if (removeMsg & PM_REMOVE) posted.erase(it);
    return TRUE;
  }
  bool wantAll = filterMin == 0 && filterMax == 0;
  if (Q().quitPosted && (wantAll || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
    *msg = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(Q().quitCode), 0);
    if (removeMsg & PM_REMOVE) Q().quitPosted = false;
    return TRUE;
  }
  if (wantAll || (WM_PAINT >= filterMin && WM_PAINT <= filterMax)) {
    // WM_PAINT stays until the window is validated, whatever removeMsg says.
    if (Window* w = WindowNeedingPaint(window)) {
      *msg = MakeMsg(HandleOf(w), WM_PAINT, 0, 0);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  for (;;) {
    if (PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) return msg->message != WM_QUIT;
    if (!host::MainWindowExists()) {
      // Nothing can ever arrive: no window, no desktop events.
      *msg = MakeMsg(nullptr, WM_NULL, 0, 0);
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    PumpHost(-1);
  }
}

BOOL TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !WindowFromHandle(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (message == WM_MOUSEMOVE && !Q().posted.empty() && Q().posted.back().message == WM_MOUSEMOVE &&
      Q().posted.back().hwnd == window) {
    Q().posted.back() = MakeMsg(window, message, wParam, lParam);  // motion is coalesced
    return TRUE;
  }
  Q().posted.push_back(MakeMsg(window, message, wParam, lParam));
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = WindowFromHandle(window);
  if (!w || !w->proc) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return w->proc(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  Q().quitPosted = true;
  Q().quitCode = exitCode;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(window, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = WindowFromHandle(window);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      w->paintPending = false;
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT r = {};
      GetClientRect(window, &r);
      if (dc && w->background) FillRect(dc, &r, w->background);
      return 1;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && w->cursor) {
        SetCursor(w->cursor);
        return TRUE;
      }
      return FALSE;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return DefaultKey(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
      return DefaultSysCommand(window, wParam);
    default:
      return 0;
  }
}
