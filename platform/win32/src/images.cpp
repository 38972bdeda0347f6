// SPDX-License-Identifier: MIT
// Bitmaps and icons from resources or .bmp files, and the cursor. Image data
// is checked before it is trusted: a truncated or inconsistent bitmap is
// refused with a reason on the debugger output, never read past its end.
#include "win32_internal.h"

#include <host/host.h>

#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace win32 {
namespace {

struct Icon {
  uint32_t magic = 0x49434F30;  // "ICO0"
  bool stock = false;
  bool cursor = false;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

std::unordered_set<Icon*>& Icons() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& icons = *new std::unordered_set<Icon*>();
  return icons;
}

Icon* IconFromHandle(HICON h) {
  auto* i = reinterpret_cast<Icon*>(h);
  return Icons().count(i) ? i : nullptr;
}

Icon* StockIcon(bool cursor) {
  static Icon* arrow = nullptr;
  static Icon* application = nullptr;
  Icon*& slot = cursor ? arrow : application;
  if (!slot) {
    slot = new Icon();
    slot->stock = true;
    slot->cursor = cursor;
    Icons().insert(slot);
  }
  return slot;
}

struct CursorState {
  HCURSOR current = nullptr;
  int showCount = 0;
};

CursorState& Cursor() {
  static CursorState state;
  return state;
}

uint32_t Read32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool Fail(std::string* why, const char* reason) {
  if (why) *why = reason;
  return false;
}

// Where the header, the masks and the pixels of a DIB lie in `data`.
struct DibLayout {
  size_t header = 0;
  size_t pixels = 0;
  int32_t width = 0;
  int32_t height = 0;
  int bits = 0;
  uint32_t compression = 0;
  uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
};

bool ReadLayout(const uint8_t* data, size_t size, DibLayout& d, std::string* why) {
  bool file = size >= 2 && data[0] == 'B' && data[1] == 'M';
  d.header = file ? sizeof(BITMAPFILEHEADER) : 0;
  if (size < d.header + sizeof(BITMAPINFOHEADER)) return Fail(why, "shorter than a bitmap header");
  const uint8_t* h = data + d.header;
  uint32_t headerSize = Read32(h);
  if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > size - d.header)
    return Fail(why, "unsupported or damaged bitmap header");
  d.width = static_cast<int32_t>(Read32(h + 4));
  d.height = static_cast<int32_t>(Read32(h + 8));
  d.bits = Read16(h + 14);
  d.compression = Read32(h + 16);
  uint32_t colorsUsed = Read32(h + 32);
  if (Read16(h + 12) != 1) return Fail(why, "bitmap with more than one plane");
  if (d.bits != 24 && d.bits != 32) return Fail(why, "only 24- and 32-bit bitmaps are supported");
  if (d.width <= 0 || d.height == 0 || d.height == INT32_MIN) return Fail(why, "bitmap of no size");
  bool fields = d.compression == BI_BITFIELDS && d.bits == 32;
  if (d.compression != BI_RGB && !fields) return Fail(why, "compressed bitmaps are not supported");
  size_t maskBytes = fields && headerSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
  if (fields) {
    size_t at = d.header + sizeof(BITMAPINFOHEADER);
    if (size < at + 12) return Fail(why, "bitmap masks missing");
    for (int i = 0; i < 3; ++i) d.masks[i] = Read32(data + at + 4 * i);
    d.masks[3] = headerSize >= 56 ? Read32(data + at + 12) : 0;
  }
  if (colorsUsed > 256) return Fail(why, "bitmap palette too large");
  if (file) {
    d.pixels = Read32(data + 10);
  } else {
    d.pixels = headerSize + maskBytes + static_cast<size_t>(colorsUsed) * 4;
  }
  return true;
}

int Shift(uint32_t mask) {
  int s = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++s;
  return s;
}

uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  uint32_t v = (pixel & mask) >> Shift(mask);
  uint32_t max = mask >> Shift(mask);
  return static_cast<uint8_t>(max == 255 ? v : v * 255 / max);
}

// The bitmap of DIB bytes; null when they are damaged, with the reason said
// under `which` after `what` and the last error set.
std::unique_ptr<Bitmap> ParseOrSay(const uint8_t* data, size_t size, Diagnostic which, const char* what) {
  std::string why;
  std::unique_ptr<Bitmap> b = ParseDib(data, size, &why);
  if (!b) {
    Diagnose(which, (std::string(what) + " (" + why + ")").c_str());
    SetLastError(ERROR_INVALID_DATA);
  }
  return b;
}

HANDLE LoadBitmapImage(HINSTANCE instance, LPCSTR name, UINT flags) {
  std::vector<uint8_t> fileData;
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (flags & LR_LOADFROMFILE) {
    HANDLE f = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return nullptr;
    DWORD length = GetFileSize(f, nullptr), got = 0;
    fileData.resize(length == INVALID_FILE_SIZE ? 0 : length);
    BOOL ok = ReadFile(f, fileData.data(), static_cast<DWORD>(fileData.size()), &got, nullptr);
    CloseHandle(f);
    if (!ok || got != fileData.size()) return nullptr;
    data = fileData.data();
    size = fileData.size();
  } else {
    HRSRC r = FindResourceA(instance, name, RT_BITMAP);
    if (!r) {
      Diagnose(DIAG_BITMAP_NOT_FOUND, "LoadImageA: bitmap resource not found");
      return nullptr;
    }
    data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, r)));
    size = SizeofResource(instance, r);
  }
  std::unique_ptr<Bitmap> b = ParseOrSay(data, size, DIAG_DAMAGED_BITMAP, "LoadImageA: damaged bitmap");
  if (!b) return nullptr;
  b->dibSection = (flags & LR_CREATEDIBSECTION) != 0;
  return AdoptBitmap(std::move(b));
}

}  // namespace

std::unique_ptr<Bitmap> ParseDib(const uint8_t* data, size_t size, std::string* why) {
  DibLayout d;
  if (!data || !ReadLayout(data, size, d, why)) return nullptr;
  std::unique_ptr<Bitmap> b = MakeBitmap(d.width, d.height < 0 ? -d.height : d.height, d.bits, d.height < 0);
  if (!b) return Fail(why, "bitmap too large"), nullptr;
  if (d.pixels > size || b->bits.size() > size - d.pixels)
    return Fail(why, "bitmap pixels cut short"), nullptr;
  const uint8_t* src = data + d.pixels;
  if (d.compression == BI_RGB) {
    std::memcpy(b->bits.data(), src, b->bits.size());
    return b;
  }
  // Bit fields: bring any channel order to blue, green, red, alpha.
  for (size_t i = 0; i + 4 <= b->bits.size(); i += 4) {
    uint32_t p = Read32(src + i);
    b->bits[i] = Channel(p, d.masks[2]);
    b->bits[i + 1] = Channel(p, d.masks[1]);
    b->bits[i + 2] = Channel(p, d.masks[0]);
    b->bits[i + 3] = d.masks[3] ? Channel(p, d.masks[3]) : 0;
  }
  return b;
}

std::vector<uint32_t> ToArgb(const Bitmap& b) {
  std::vector<uint32_t> argb(static_cast<size_t>(b.width) * b.height);
  bool anyAlpha = false;
  if (b.bitsPerPixel == 32) {
    for (int y = 0; y < b.height && !anyAlpha; ++y) {
      for (int x = 0; x < b.width; ++x) anyAlpha |= b.Row(y)[x * 4 + 3] != 0;
    }
  }
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      uint32_t alpha = anyAlpha ? b.Row(y)[x * 4 + 3] : 0xFF;
      argb[static_cast<size_t>(y) * b.width + x] = (alpha << 24) | b.Get(x, y);
    }
  }
  return argb;
}

void SendIconToHost(HICON icon) {
  Icon* i = IconFromHandle(icon);
  if (i && !i->argb.empty()) host::SetIcon(i->argb.data(), i->width, i->height);
}

void ApplyCursor() {
  if (!host::MainWindowExists()) return;
  host::SetCursorVisible(Cursor().current != nullptr && Cursor().showCount >= 0);
}

}  // namespace win32

using namespace win32;

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int, int, UINT flags) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (type == IMAGE_BITMAP) return LoadBitmapImage(instance, name, flags);
  if (type == IMAGE_ICON) return LoadIconA(instance, name);
  if (type == IMAGE_CURSOR) return LoadCursorA(instance, name);
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!instance) return IS_INTRESOURCE(name) ? reinterpret_cast<HICON>(StockIcon(false)) : nullptr;
  HRSRC r = FindResourceA(instance, name, RT_GROUP_ICON);
  if (!r) r = FindResourceA(instance, name, RT_ICON);
  if (!r) return nullptr;
  auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, r)));
  size_t size = SizeofResource(instance, r);
  std::unique_ptr<Bitmap> b = ParseOrSay(data, size, DIAG_DAMAGED_ICON, "LoadIconA: damaged icon");
  if (!b) return nullptr;
  auto* icon = new Icon();
  icon->width = b->width;
  icon->height = b->height;
  icon->argb = ToArgb(*b);
  Icons().insert(icon);
  return reinterpret_cast<HICON>(icon);
}

BOOL DestroyIcon(HICON icon) {
  Icon* i = IconFromHandle(icon);
  if (!i) return FALSE;
  if (!i->stock) {
    Icons().erase(i);
    delete i;
  }
  return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(StockIcon(true));
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = Cursor().current;
  Cursor().current = cursor && IconFromHandle(cursor) ? cursor : nullptr;
  ApplyCursor();
  return old;
}

HCURSOR GetCursor() {
  return Cursor().current;
}

int ShowCursor(BOOL show) {
  Cursor().showCount += show ? 1 : -1;
  ApplyCursor();
  return Cursor().showCount;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  int x = 0, y = 0;
  host::GetMousePosition(&x, &y);
  *point = {x, y};
  Window* w = MainWindowRecord();
  if (w) ClientToScreen(HandleOf(w), point);
  return TRUE;
}
