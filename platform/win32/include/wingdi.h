// SPDX-License-Identifier: MIT
// The GDI subset: device contexts (a window's, or memory ones), bitmaps and
// DIB sections, solid brushes, stock objects and block transfers. A window DC
// draws into the window's GDI picture, which is composed into the SDL window
// when the DC is released. Pixels are kept in the bitmap's own DIB layout
// (24- or 32-bit, top-down or bottom-up), so DIB sections expose them as is.
#pragma once

#include <win_types.h>

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO;

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *LPBITMAP;

typedef struct tagDIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
} DIBSECTION;

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define DIB_RGB_COLORS 0

#define SRCCOPY 0x00CC0020u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_LOADFROMFILE 0x00000010
#define LR_DEFAULTSIZE 0x00000040
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

#define LF_FACESIZE 32
typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *LPLOGFONTA;

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2

#define TRANSPARENT 1
#define OPAQUE 2
#define TA_LEFT 0
#define TA_TOP 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define MM_TEXT 1
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// ------------------------------------------------------------------ the DCs

// The window DC of `window` (null: the main window). Each GetDC hands out a
// fresh DC, which ReleaseDC frees; drawing on it shows when it is released.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// A memory DC holding a 1 x 1 default bitmap until one is selected.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int GetObjectType(HGDIOBJ object);

// ----------------------------------------------------------------- objects

// Selects a bitmap (memory DCs only), brush or font into the DC and returns
// the one it replaces; null on failure. A bitmap can be selected into one
// memory DC at a time.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Stock objects are never deleted; an object selected into a DC is not
// deleted (FALSE) until it is deselected.
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
// BITMAP (or DIBSECTION when the buffer is large enough) for bitmaps; returns
// the bytes written, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, LPVOID out);

HBRUSH CreateSolidBrush(COLORREF color);
// A font is its description until text is drawn with it; the face name is
// kept to LF_FACESIZE - 1 characters.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
HFONT CreateFontIndirectA(const LOGFONTA* font);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// 24- or 32-bit BI_RGB DIB sections; *bits receives the pixel memory, which
// lives until the bitmap is deleted. Rows are 4-byte aligned; a negative
// height makes the first row the top one.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);

// Loads a bitmap resource (or with LR_LOADFROMFILE a .bmp file) of 24 or 32
// bits per pixel; icons as LoadIconA. A missing or damaged image gives null,
// a GetLastError code and one line on the debugger output saying why.
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);

// ---------------------------------------------------------------- drawing

// Nearest-pixel stretch, clipped to both bitmaps; negative sizes mirror.
// Raster operations: SRCCOPY, BLACKNESS and WHITENESS.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
COLORREF GetPixel(HDC dc, int x, int y);

// Text attributes of a DC (each returns the previous value; CLR_INVALID or 0
// for a DC that is not one). The screen is 96 dots per inch.
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
UINT SetTextAlign(HDC dc, UINT align);
int SetMapMode(HDC dc, int mode);
int GetDeviceCaps(HDC dc, int index);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
#define CLR_INVALID 0xFFFFFFFF

// ------------------------------------------------------------------- text

// Text is rasterised by FreeType from the installed font that fontconfig
// finds for the face name; Windows faces the system lacks get the closest
// stand-in (see font_raster.cpp). Characters are single bytes (Latin-1).
// Anti-aliased unless the font asks for NONANTIALIASED_QUALITY.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

// cx: the sum of the characters' advances; cy: the font's cell height.
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size);
// Draws at (x, y) as the DC's text alignment says, in its text colour; in
// OPAQUE background mode the text's cell box is filled with the background
// colour first. ETO_OPAQUE fills `rect` with the background colour,
// ETO_CLIPPED keeps the drawing inside it. `dx` (optional) gives each
// character's advance. FALSE for a DC that draws on nothing (the screen DC).
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx);
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
