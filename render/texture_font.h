// SPDX-License-Identifier: MIT
// Text drawn by Direct3D from a glyph texture: once per device GDI renders
// the 95 printable ASCII characters of a Windows font into a bitmap, which
// becomes an alpha texture; afterwards every text is a batch of textured
// quads from one dynamic vertex buffer. Relies on the GDI text of platform/win32.
#pragma once

#include <d3d8.h>
#include <windows.h>

// Creation flags.
constexpr DWORD TEXTFONT_BOLD = 1;
constexpr DWORD TEXTFONT_ITALIC = 2;
// Draw flags.
constexpr DWORD TEXTFONT_CENTERED = 1;  // world text: centred on the origin
constexpr DWORD TEXTFONT_TWOSIDED = 2;  // world text: no culling
constexpr DWORD TEXTFONT_FILTERED = 4;  // bilinear filtering of the glyphs

// Pre-transformed text vertex (28 bytes).
struct ScreenTextVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  float u, v;
};
constexpr DWORD D3DFVF_SCREENTEXTVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144

// World-space text vertex (32 bytes), lit by the current material.
struct WorldTextVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD D3DFVF_WORLDTEXTVERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;  // 0x112

class TextureFont {
 public:
  // Characters 32..127 have a rectangle in the table; 32..126 are drawn.
  static constexpr int kFirstChar = 32;
  static constexpr int kGlyphCount = 96;
  // 300 ScreenTextVertex records.
  static constexpr UINT kVertexBufferBytes = 8400;

  // Keeps up to 79 characters of the face name; nothing is created yet.
  TextureFont(const char* fontName, DWORD height, DWORD flags = 0);
  // ReleaseTextBuffers, then ReleaseGlyphTexture.
  ~TextureFont();
  TextureFont(const TextureFont&) = delete;
  TextureFont& operator=(const TextureFont&) = delete;

  // Once per device: renders the glyphs with GDI into a new A4R4G4B4 texture
  // (managed pool). The texture-creation error, or E_FAIL when the Windows
  // font cannot be made (the texture then stays, empty).
  HRESULT CreateGlyphTexture(IDirect3DDevice8* device);
  // After device creation and every reset: the dynamic vertex buffer and the
  // two state blocks. The device's error when the buffer cannot be made.
  HRESULT CreateTextBuffers();
  // Before every reset and at destruction. Always S_OK; safe to repeat.
  HRESULT ReleaseTextBuffers();
  // Releases the glyph texture and forgets the device. Always S_OK.
  HRESULT ReleaseGlyphTexture();

  // Size of the text in texels (cx wide, cy high), newlines making rows.
  // E_FAIL for a null text or size.
  HRESULT MeasureText(const char* text, SIZE* size) const;

  // At pixel (sx, sy), top-left, in the font's natural size.
  HRESULT DrawScreenText(float sx, float sy, DWORD colour, const char* text, DWORD flags = 0);
  // At viewport-relative (x, y): x -1 left to +1 right, y 1 the top edge with
  // text moving down as y grows; a text row is yScale x viewport height high.
  HRESULT DrawScaledText(float x, float y, float z, float xScale, float yScale, DWORD colour,
                         const char* text, DWORD flags = 0);
  // In the current world, view and projection transforms and material: one
  // texel of the glyph texture is a tenth of a world unit; the first row's
  // bottom edge lies on y = 0 (or the text is centred with TEXTFONT_CENTERED).
  HRESULT DrawWorldText(const char* text, DWORD flags = 0);

  // Every drawing form fails with E_FAIL and draws nothing before
  // CreateGlyphTexture, and also while the texture or the buffer is missing.

  const char* FontName() const { return fontName_; }
  DWORD Height() const { return height_; }
  DWORD Flags() const { return flags_; }
  UINT TextureWidth() const { return texWidth_; }
  UINT TextureHeight() const { return texHeight_; }
  float TextScale() const { return textScale_; }
  IDirect3DTexture8* Texture() const { return texture_; }
  // uMin, vMin, uMax, vMax of character c (32..127); null outside that.
  const float* GlyphRect(int c) const;

 private:
  enum class Form { Screen, Scaled, World };
  struct Placement;
  HRESULT DrawGlyphs(Form form, const Placement& where, const char* text, DWORD flags);
  bool LayOutGlyphs(HDC dc, UINT width, UINT height);
  HRESULT FillTexture(const void* bits, int stride);
  void RecordTextStates(DWORD* token);
  float RowHeight() const;

  char fontName_[80] = {};
  DWORD height_ = 0;
  DWORD flags_ = 0;
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
  IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
  UINT texWidth_ = 0;
  UINT texHeight_ = 0;
  float textScale_ = 1.0f;
  float glyphTable_[kGlyphCount][4] = {};
  DWORD savedStates_ = 0;
  DWORD textStates_ = 0;
};
