// SPDX-License-Identifier: MIT
// Code-page conversion between the ANSI code page (UTF-8 here) and UTF-16,
// and small string helpers. Outputs never take more than their given size.
#include "win32_internal.h"

#include <cctype>
#include <cstring>

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// One code point from UTF-8 at s[i..n); advances i. Invalid or cut-short
// sequences yield U+FFFD and consume one byte.
uint32_t DecodeUtf8(const unsigned char* s, int n, int& i) {
  unsigned char c = s[i];
  int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (extra < 0 || i + extra >= n) {
    ++i;
    return kReplacement;
  }
  static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  uint32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (s[i + k] & 0x3F);
  }
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return cp;
}

// One code point from UTF-16; unpaired surrogates yield U+FFFD.
uint32_t DecodeUtf16(const WCHAR* s, int n, int& i) {
  uint32_t u = s[i++];
  if (u >= 0xD800 && u <= 0xDBFF && i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
    return 0x10000 + ((u - 0xD800) << 10) + (s[i++] - 0xDC00);
  return (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u;
}

int EncodeUtf8(uint32_t cp, char* out) {
  if (cp < 0x80) return out[0] = static_cast<char>(cp), 1;
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

int EncodeUtf16(uint32_t cp, WCHAR* out) {
  if (cp < 0x10000) return out[0] = static_cast<WCHAR>(cp), 1;
  cp -= 0x10000;
  out[0] = static_cast<WCHAR>(0xD800 + (cp >> 10));
  out[1] = static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
  return 2;
}

bool KnownCodePage(UINT cp) {
  return cp == CP_ACP || cp == CP_OEMCP || cp == CP_UTF8;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                        int wideCount) {
  if (!KnownCodePage(codePage) || !multiByte || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0 ||
      (wideCount > 0 && !wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int n = multiByteCount == -1 ? static_cast<int>(std::strlen(multiByte)) + 1 : multiByteCount;
  auto* s = reinterpret_cast<const unsigned char*>(multiByte);
  int written = 0;
  for (int i = 0; i < n;) {
    WCHAR units[2];
    int count = EncodeUtf16(DecodeUtf8(s, n, i), units);
    if (wideCount > 0) {
      if (written + count > wideCount) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
      }
      std::memcpy(wide + written, units, count * sizeof(WCHAR));
    }
    written += count;
  }
  return written;
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR, LPBOOL usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  if (!KnownCodePage(codePage) || !wide || wideCount == 0 || wideCount < -1 || multiByteCount < 0 ||
      (multiByteCount > 0 && !multiByte)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int n = wideCount;
  if (n == -1) {
    n = 0;
    while (wide[n]) ++n;
    ++n;
  }
  int written = 0;
  for (int i = 0; i < n;) {
    char bytes[4];
    int count = EncodeUtf8(DecodeUtf16(wide, n, i), bytes);
    if (multiByteCount > 0) {
      if (written + count > multiByteCount) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
      }
      std::memcpy(multiByte + written, bytes, count);
    }
    written += count;
  }
  return written;
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a));
    int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca < cb ? -1 : (ca > cb ? 1 : 0);
  }
}

int lstrlenA(LPCSTR text) {
  return text ? static_cast<int>(std::strlen(text)) : 0;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t product = static_cast<int64_t>(number) * numerator;
  int64_t half = (denominator < 0 ? -static_cast<int64_t>(denominator) : denominator) / 2;
  bool negative = (product < 0) != (denominator < 0);
  int64_t magnitude = (product < 0 ? -product : product);
  int64_t result = (magnitude + half) / (denominator < 0 ? -static_cast<int64_t>(denominator) : denominator);
  result = negative ? -result : result;
  return (result > INT32_MAX || result < INT32_MIN) ? -1 : static_cast<int>(result);
}
