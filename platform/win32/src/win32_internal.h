// SPDX-License-Identifier: MIT
// Shared internals of platform/win32: the window record, the GDI object
// records and the hooks between windows, messages and GDI. Not exported.
#pragma once

#include <win32/diagnostics.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace win32 {

// ---------------------------------------------------------------- GDI data

enum class GdiKind : uint8_t { Bitmap, Brush, Font };

struct GdiObject {
  uint32_t magic = 0x47444930;  // "GDI0"
  GdiKind kind = GdiKind::Bitmap;
  bool stock = false;
  int selectedCount = 0;  // how many DCs hold it now
  virtual ~GdiObject() = default;
};

// Storage that starts as zeros without writing them: calloc takes large
// blocks straight from the system, already zero, so a big bitmap (a glyph
// sheet is 4 MB) costs neither a fill nor memory until it is drawn on.
template <typename T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}
  T* allocate(size_t n) {
    void* p = std::calloc(n, sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) { std::free(p); }
  // Growing with default values keeps calloc's zeros as they are.
  template <typename U>
  void construct(U*) {}
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  bool operator==(const ZeroedAllocator<U>&) const {
    return true;
  }
  template <typename U>
  bool operator!=(const ZeroedAllocator<U>&) const {
    return false;
  }
};

// Pixels in DIB layout: rows of `stride` bytes (4-byte aligned), blue first,
// 24 or 32 bits per pixel; row 0 in memory is the top row when topDown.
struct Bitmap : GdiObject {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  bool topDown = true;
  bool dibSection = false;
  int stride = 0;
  std::vector<uint8_t, ZeroedAllocator<uint8_t>> bits;

  uint8_t* Row(int y) { return bits.data() + static_cast<size_t>(topDown ? y : height - 1 - y) * stride; }
  const uint8_t* Row(int y) const {
    return bits.data() + static_cast<size_t>(topDown ? y : height - 1 - y) * stride;
  }
  // 0x00RRGGBB
  uint32_t Get(int x, int y) const {
    const uint8_t* p = Row(y) + x * (bitsPerPixel / 8);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16);
  }
  void Set(int x, int y, uint32_t rgb) {
    uint8_t* p = Row(y) + x * (bitsPerPixel / 8);
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
  }
};

struct Brush : GdiObject {
  COLORREF color = 0;
  bool hollow = false;
};

struct Font : GdiObject {
  LOGFONTA logFont = {};
};

// What text drawing needs of a DC: its font (null: the stock font), colours,
// background mode, alignment and the pixels it draws on (null for the screen
// DC, which only measures). False for a handle that is not a DC. The text
// rasteriser builds ExtTextOutA and GetTextExtentPoint32A on this.
struct TextState {
  const LOGFONTA* font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  Bitmap* target = nullptr;
};
bool TextStateOf(HDC dc, TextState* out);
// Marks a window DC as drawn on, so that its release shows the picture.
void NoteDrawn(HDC dc);

// Allocates a bitmap record (not yet a live handle). Null when the size is
// not positive or too large.
std::unique_ptr<Bitmap> MakeBitmap(int width, int height, int bitsPerPixel, bool topDown);
// Makes `bitmap` a live GDI handle owned by the handle table.
HBITMAP AdoptBitmap(std::unique_ptr<Bitmap> bitmap);
Bitmap* BitmapFromHandle(HGDIOBJ object);

// Parses a .bmp file or a packed DIB (BITMAPINFOHEADER first) of 24 or 32
// bits per pixel into a bitmap in the same layout. Null with `why` filled for
// anything truncated, inconsistent or unsupported.
std::unique_ptr<Bitmap> ParseDib(const uint8_t* data, size_t size, std::string* why);
// 0xAARRGGBB pixels, top row first, for icons: 32-bit sources keep their
// alpha (all-zero alpha means opaque), 24-bit ones are opaque.
std::vector<uint32_t> ToArgb(const Bitmap& bitmap);

// ------------------------------------------------------------------ windows

struct Window {
  uint32_t magic = 0x57494E30;  // "WIN0"
  std::string className;
  UINT classStyle = 0;
  WNDPROC proc = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT client = {0, 0, 0, 0};  // the client area in desktop coordinates
  HMENU menu = nullptr;
  LONG_PTR userData = 0;
  POINT minTrack = {0, 0};  // outer size from WM_GETMINMAXINFO
  bool backed = false;      // carried by the SDL window
  bool paintPending = false;
  bool destroying = false;
  std::unique_ptr<Bitmap> picture;  // what GDI drew on the window
};

Window* WindowFromHandle(HWND window);
HWND HandleOf(Window* window);
// The window carried by the SDL window, or null.
Window* MainWindowRecord();
RECT FrameInsets(DWORD style, DWORD exStyle, bool menu);
// Keeps the GDI picture the size of the client area (black when it grows).
void FitPicture(Window* window);
// Shows the window's GDI picture in the SDL window.
void PresentPicture(Window* window);
// Drops the main window's GDI picture (host calls it once a device's frame
// covers the picture); drawing on the window DC makes a black one again.
void LetPictureGo(void* user);
// The client area changed: from the desktop (the window procedure hears of
// it in the next Peek/Get) or from our own calls (`sendNow`, at once).
void NoteClientSize(Window* window, int width, int height, WPARAM sizeKind, bool sendNow = false);
void NoteClientPosition(Window* window, int x, int y, bool sendNow = false);
void ApplyMinTrackSize(Window* window);

// ----------------------------------------------------------------- messages

// A message to deliver to its window procedure inside the next PeekMessageA
// or GetMessageA (how the desktop's notifications reach the window).
// `hostCommand` marks a WM_SYSCOMMAND for something the desktop already did,
// which is undone when the window procedure swallows it.
void QueueSent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool hostCommand = false);
void PurgeMessages(HWND window);
// Registers the host event sink (again) before a window is made.
void ConnectHostEvents();
// Activation of the program: sends WM_ACTIVATEAPP when it changes.
void SetActive(bool active, bool sendNow);
bool IsActive();
void ForgetActivation();

// The cursor shown over the window, applied to the host.
void ApplyCursor();
// Hands an icon's pixels to the SDL window.
void SendIconToHost(HICON icon);

// Counts `which` and says `text` (a line without its newline) on the
// debugger output.
void Diagnose(Diagnostic which, const char* text);
// The same, but says it only the first time `which` fires in the run.
void DiagnoseOnce(Diagnostic which, const char* text);

}  // namespace win32
