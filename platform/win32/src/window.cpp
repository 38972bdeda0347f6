// SPDX-License-Identifier: MIT
// Window classes and the one top-level window, carried by host's SDL window.
// The frame (borders, caption, menu bar) is a model with fixed metrics; the
// client area is the SDL window, so outer rectangles follow from it.
#include "win32_internal.h"

#include <host/host.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace win32 {
namespace {

// Frame metrics, in pixels, of the modelled desktop theme.
constexpr int kSizingFrame = 8;  // WS_THICKFRAME: sizing border plus padding
constexpr int kFixedFrame = 3;   // caption or dialog frame without sizing
constexpr int kBorder = 1;       // WS_BORDER alone
constexpr int kClientEdge = 2;   // WS_EX_CLIENTEDGE
constexpr int kCaption = 23;
constexpr int kMenuBar = 20;
constexpr POINT kMinTrack = {136, 39};

struct ClassRecord {
  std::string name;
  WNDCLASSA wc;
};

std::vector<ClassRecord>& Classes() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& classes = *new std::vector<ClassRecord>();
  return classes;
}

std::vector<Window*>& LiveWindows() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& windows = *new std::vector<Window*>();
  return windows;
}

ClassRecord* FindClass(LPCSTR name) {
  if (!name) return nullptr;
  for (ClassRecord& c : Classes()) {
    if (IS_INTRESOURCE(name) ? (0xC000 + (&c - Classes().data())) == static_cast<long>(LOWORD(name))
                             : strcasecmp(c.name.c_str(), name) == 0)
      return &c;
  }
  return nullptr;
}

bool Bordered(DWORD style) {
  return (style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)) != 0;
}

void ApplyStyleToHost(Window* w) {
  if (!w->backed) return;
  host::SetBordered(Bordered(w->style));
  host::SetResizable((w->style & WS_THICKFRAME) != 0);
  host::ShowMainWindow((w->style & WS_VISIBLE) != 0);
}

void QueryMinMax(Window* w) {
  host::DisplayMode desktop = host::GetDesktopMode();
  RECT in = FrameInsets(w->style, w->exStyle, w->menu != nullptr);
  MINMAXINFO info = {};
  info.ptMaxSize = {desktop.w + in.left + in.right, desktop.h + in.top + in.bottom};
  info.ptMaxPosition = {-in.left, -in.top};
  info.ptMinTrackSize = kMinTrack;
  info.ptMaxTrackSize = {desktop.w + in.left + in.right + 24, desktop.h + in.top + in.bottom + 24};
  SendMessageA(HandleOf(w), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  w->minTrack = info.ptMinTrackSize;
  ApplyMinTrackSize(w);
}

// Client size for an outer size, never below the minimum tracking size.
SIZE ClientSizeFor(const Window* w, int outerW, int outerH) {
  RECT in = FrameInsets(w->style, w->exStyle, w->menu != nullptr);
  outerW = std::max<int>(outerW, w->minTrack.x);
  outerH = std::max<int>(outerH, w->minTrack.y);
  return {std::max<LONG>(0, outerW - in.left - in.right), std::max<LONG>(0, outerH - in.top - in.bottom)};
}

void Unlink(Window* w) {
  auto& live = LiveWindows();
  live.erase(std::remove(live.begin(), live.end(), w), live.end());
}

}  // namespace

RECT FrameInsets(DWORD style, DWORD exStyle, bool menu) {
  int frame = 0;
  if (style & WS_THICKFRAME)
    frame = kSizingFrame;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    frame = kFixedFrame;
  else if (style & WS_BORDER)
    frame = kBorder;
  if (exStyle & WS_EX_CLIENTEDGE) frame += kClientEdge;
  int top = frame + ((style & WS_CAPTION) == WS_CAPTION ? kCaption : 0) + (menu ? kMenuBar : 0);
  return {frame, top, frame, frame};
}

Window* WindowFromHandle(HWND window) {
  for (Window* w : LiveWindows()) {
    if (HandleOf(w) == window) return w;
  }
  return nullptr;
}

HWND HandleOf(Window* window) {
  return reinterpret_cast<HWND>(window);
}

Window* MainWindowRecord() {
  for (Window* w : LiveWindows()) {
    if (w->backed && !w->destroying) return w;
  }
  return nullptr;
}

void ApplyMinTrackSize(Window* w) {
  if (!w->backed) return;
  RECT in = FrameInsets(w->style, w->exStyle, w->menu != nullptr);
  host::SetMinimumSize(std::max<int>(1, w->minTrack.x - in.left - in.right),
                       std::max<int>(1, w->minTrack.y - in.top - in.bottom));
}

void NoteClientSize(Window* w, int width, int height, WPARAM sizeKind, bool sendNow) {
  bool changed = width != w->client.right - w->client.left || height != w->client.bottom - w->client.top;
  w->client.right = w->client.left + width;
  w->client.bottom = w->client.top + height;
  if (!changed && sizeKind != SIZE_MINIMIZED) return;
  FitPicture(w);
  w->paintPending = true;
  if (sendNow)
    SendMessageA(HandleOf(w), WM_SIZE, sizeKind, MAKELPARAM(width, height));
  else
    QueueSent(HandleOf(w), WM_SIZE, sizeKind, MAKELPARAM(width, height));
}

void NoteClientPosition(Window* w, int x, int y, bool sendNow) {
  if (x == w->client.left && y == w->client.top) return;
  LONG width = w->client.right - w->client.left, height = w->client.bottom - w->client.top;
  w->client = {x, y, x + width, y + height};
  if (sendNow)
    SendMessageA(HandleOf(w), WM_MOVE, 0, MAKELPARAM(x, y));
  else
    QueueSent(HandleOf(w), WM_MOVE, 0, MAKELPARAM(x, y));
}

}  // namespace win32

using namespace win32;

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (FindClass(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  Classes().push_back({wc->lpszClassName, *wc});
  Classes().back().wc.lpszClassName = nullptr;  // the caller's string need not live on
  Classes().back().wc.lpszMenuName = nullptr;
  return static_cast<ATOM>(0xC000 + Classes().size() - 1);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  ClassRecord* c = FindClass(className);
  if (!c) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
  }
  for (Window* w : LiveWindows()) {
    if (strcasecmp(w->className.c_str(), c->name.c_str()) == 0) return FALSE;  // still in use
  }
  // Keep the slot so that atoms of other classes stay valid.
  c->name.clear();
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  ClassRecord* c = FindClass(className);
  if (!c || c->name.empty()) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (MainWindowRecord() || host::MainWindowExists()) {
    Diagnose(DIAG_SECOND_WINDOW, "CreateWindowExA: only one top-level window is supported");
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (!host::Init()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  ConnectHostEvents();
  auto* w = new Window();
  w->className = c->name;
  w->classStyle = c->wc.style;
  w->proc = c->wc.lpfnWndProc;
  w->icon = c->wc.hIcon;
  w->cursor = c->wc.hCursor;
  w->background = c->wc.hbrBackground;
  w->title = windowName ? windowName : "";
  w->style = style;
  w->exStyle = exStyle;
  w->menu = menu;
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = 640, height = 480;
  LiveWindows().push_back(w);
  HWND hwnd = HandleOf(w);

  QueryMinMax(w);
  RECT in = FrameInsets(style, exStyle, menu != nullptr);
  SIZE size = ClientSizeFor(w, width, height);
  w->client = {x + in.left, y + in.top, x + in.left + size.cx, y + in.top + size.cy};
  if (!host::CreateMainWindow(w->title.c_str(), w->client.left, w->client.top, std::max<LONG>(1, size.cx),
                              std::max<LONG>(1, size.cy), (style & WS_VISIBLE) != 0)) {
    Unlink(w);
    delete w;
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  w->backed = true;
  ApplyStyleToHost(w);
  ApplyMinTrackSize(w);
  if (w->icon) SendIconToHost(w->icon);
  FitPicture(w);
  host::SetPictureCoveredObserver(&LetPictureGo, nullptr);

  CREATESTRUCTA cs = {param,
                      instance,
                      menu,
                      parent,
                      height,
                      width,
                      y,
                      x,
                      static_cast<LONG>(style),
                      windowName,
                      w->className.c_str(),
                      exStyle};
  if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (style & WS_VISIBLE) {
    w->paintPending = true;
    SetActive(true, true);
  }
  return hwnd;
}

BOOL DestroyWindow(HWND window) {
  Window* w = WindowFromHandle(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->destroying) return TRUE;
  w->destroying = true;
  SendMessageA(window, WM_DESTROY, 0, 0);
  SendMessageA(window, WM_NCDESTROY, 0, 0);
  Unlink(w);
  PurgeMessages(window);
  if (w->backed) {
    host::DestroyMainWindow();
    ForgetActivation();
  }
  delete w;
  return TRUE;
}

BOOL IsWindow(HWND window) {
  return WindowFromHandle(window) != nullptr;
}

BOOL IsIconic(HWND window) {
  Window* w = WindowFromHandle(window);
  return w && w->backed && host::IsMinimized();
}

BOOL IsWindowVisible(HWND window) {
  Window* w = WindowFromHandle(window);
  return w && (w->style & WS_VISIBLE) != 0;
}

BOOL ShowWindow(HWND window, int command) {
  Window* w = WindowFromHandle(window);
  if (!w) return FALSE;
  BOOL wasVisible = (w->style & WS_VISIBLE) != 0;
  if (command == SW_HIDE)
    w->style &= ~WS_VISIBLE;
  else
    w->style |= WS_VISIBLE;
  if (w->backed) {
    host::ShowMainWindow(command != SW_HIDE);
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) host::Minimize();
    if (command == SW_RESTORE) host::Restore();
  }
  if (!wasVisible && command != SW_HIDE) w->paintPending = true;
  return wasVisible;
}

BOOL UpdateWindow(HWND window) {
  Window* w = WindowFromHandle(window);
  if (!w) return FALSE;
  if (w->paintPending) SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE;
}

HWND GetActiveWindow() {
  Window* w = MainWindowRecord();
  return w && IsActive() ? HandleOf(w) : nullptr;
}

HWND GetForegroundWindow() {
  return GetActiveWindow();
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  Window* w = WindowFromHandle(window);
  if (!w) return FALSE;
  w->title = text ? text : "";
  if (w->backed) host::SetTitle(w->title.c_str());
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  Window* w = WindowFromHandle(window);
  if (!w || !text || maxCount <= 0) return 0;
  int n = std::min<int>(static_cast<int>(w->title.size()), maxCount - 1);
  std::memcpy(text, w->title.data(), n);
  text[n] = '\0';
  return n;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  Window* w = WindowFromHandle(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA:
      return w->userData;
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  Window* w = WindowFromHandle(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = GetWindowLongPtrA(window, index);
  switch (index) {
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      ApplyStyleToHost(w);
      QueryMinMax(w);  // the frame changed, and with it the client minimum
      break;
    case GWL_EXSTYLE:
      w->exStyle = static_cast<DWORD>(value);
      QueryMinMax(w);
      break;
    case GWLP_USERDATA:
      w->userData = value;
      break;
    case GWLP_WNDPROC:
      if (value) w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  return old;
}

LONG GetWindowLongA(HWND window, int index) {
  return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  // Styles are bit sets: widen without sign extension.
  LONG_PTR wide = (index == GWL_STYLE || index == GWL_EXSTYLE)
                      ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                      : static_cast<LONG_PTR>(value);
  return static_cast<LONG>(SetWindowLongPtrA(window, index, wide));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT in = FrameInsets(style, exStyle, menu != FALSE);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = WindowFromHandle(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT in = FrameInsets(w->style, w->exStyle, w->menu != nullptr);
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    if (w->backed && insertAfter == HWND_TOP && !(flags & SWP_NOACTIVATE)) host::Raise();
  }
  if (!(flags & SWP_NOSIZE)) {
    SIZE size = ClientSizeFor(w, cx, cy);
    if (w->backed) host::SetClientSize(std::max<LONG>(1, size.cx), std::max<LONG>(1, size.cy));
    NoteClientSize(w, size.cx, size.cy, SIZE_RESTORED, true);
  }
  if (!(flags & SWP_NOMOVE)) {
    if (w->backed) host::SetPosition(x + in.left, y + in.top);
    NoteClientPosition(w, x + in.left, y + in.top, true);
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  Window* w = WindowFromHandle(window);
  if (!w || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = {0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  Window* w = WindowFromHandle(window);
  if (!w || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = w->client;
  return AdjustWindowRectEx(rect, w->style, w->menu != nullptr, w->exStyle);
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  Window* w = WindowFromHandle(window);
  if (!w || !point) return FALSE;
  point->x += w->client.left;
  point->y += w->client.top;
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  Window* w = WindowFromHandle(window);
  if (!w || !point) return FALSE;
  point->x -= w->client.left;
  point->y -= w->client.top;
  return TRUE;
}

HMENU GetMenu(HWND window) {
  Window* w = WindowFromHandle(window);
  return w ? w->menu : nullptr;
}

BOOL SystemParametersInfoA(UINT action, UINT, PVOID value, UINT) {
  if (action != SPI_GETWORKAREA || !value || !host::Init()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  host::Rect area = host::GetWorkArea();
  *static_cast<RECT*>(value) = {area.x, area.y, area.x + area.w, area.y + area.h};
  return TRUE;
}

int GetSystemMetrics(int index) {
  struct Metric {
    int index;
    int value;
  };
  static const Metric kMetrics[] = {
      {SM_CXBORDER, kBorder},       {SM_CYBORDER, kBorder},     {SM_CXDLGFRAME, kFixedFrame},
      {SM_CYDLGFRAME, kFixedFrame}, {SM_CXFRAME, kSizingFrame}, {SM_CYFRAME, kSizingFrame},
      {SM_CYCAPTION, kCaption},     {SM_CYMENU, kMenuBar},      {SM_CXMINTRACK, kMinTrack.x},
      {SM_CYMINTRACK, kMinTrack.y}, {SM_CXEDGE, kClientEdge},   {SM_CYEDGE, kClientEdge},
  };
  for (const Metric& m : kMetrics) {
    if (m.index == index) return m.value;
  }
  if ((index == SM_CXSCREEN || index == SM_CYSCREEN) && host::Init()) {
    host::DisplayMode mode = host::GetDesktopMode();
    return index == SM_CXSCREEN ? mode.w : mode.h;
  }
  return 0;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
  Window* w = window ? WindowFromHandle(window) : MainWindowRecord();
  if (!w) return FALSE;
  w->paintPending = true;
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT*) {
  Window* w = window ? WindowFromHandle(window) : MainWindowRecord();
  if (!w) return FALSE;
  w->paintPending = false;
  return TRUE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  Window* w = WindowFromHandle(window);
  if (!w || !paint) return nullptr;
  std::memset(paint, 0, sizeof(*paint));
  paint->hdc = GetDC(window);
  GetClientRect(window, &paint->rcPaint);
  w->paintPending = false;
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  ReleaseDC(window, paint->hdc);
  return TRUE;
}
