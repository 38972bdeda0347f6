// SPDX-License-Identifier: MIT
// The texture font: glyphs rendered once by GDI into a DIB section, turned
// into a white A4R4G4B4 texture whose alpha is the glyph coverage, and drawn
// as textured quads in batches from one dynamic vertex buffer, between a
// capture and a restore of the caller's device state.
#include "render/texture_font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr float kTexelsPerWorldUnit = 10.0f;
constexpr float kScreenTextDepth = 0.9f;

// Texture side for a font height in points.
UINT TextureSideFor(DWORD height) {
  return height > 40 ? 1024 : height > 20 ? 512 : 256;
}

bool Drawable(unsigned char c) {
  return c >= TextureFont::kFirstChar && c < 127;
}

// The render and texture-stage states the text is drawn with.
struct StateValue {
  D3DRENDERSTATETYPE state;
  DWORD value;
};
const StateValue kTextRenderStates[] = {
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_ALPHATESTENABLE, TRUE},
    {D3DRS_ALPHAREF, 0x08},
    {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_EDGEANTIALIAS, FALSE},
    {D3DRS_CLIPPLANEENABLE, 0},
    {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
    {D3DRS_FOGENABLE, FALSE},
};
struct StageValue {
  DWORD stage;
  D3DTEXTURESTAGESTATETYPE type;
  DWORD value;
};
const StageValue kTextStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
    {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
    {0, D3DTSS_MIPFILTER, D3DTEXF_NONE},
    {0, D3DTSS_TEXCOORDINDEX, 0},
    {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

}  // namespace

// Where a text starts and how texels of the glyph texture become drawn
// units; `down` is the direction of the next row (+1 on screen, -1 in the world).
struct TextureFont::Placement {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float scaleX = 1.0f;
  float scaleY = 1.0f;
  float rowStep = 0.0f;
  float down = 1.0f;
  D3DCOLOR colour = 0;
};

TextureFont::TextureFont(const char* fontName, DWORD height, DWORD flags) : height_(height), flags_(flags) {
  std::snprintf(fontName_, sizeof(fontName_), "%s", fontName ? fontName : "");
}

TextureFont::~TextureFont() {
  ReleaseTextBuffers();
  ReleaseGlyphTexture();
}

const float* TextureFont::GlyphRect(int c) const {
  return c >= kFirstChar && c < kFirstChar + kGlyphCount ? glyphTable_[c - kFirstChar] : nullptr;
}

float TextureFont::RowHeight() const {
  return (glyphTable_[0][3] - glyphTable_[0][1]) * texHeight_;
}

HRESULT TextureFont::CreateGlyphTexture(IDirect3DDevice8* device) {
  if (!device) return E_INVALIDARG;
  ReleaseGlyphTexture();
  device_ = device;
  textScale_ = 1.0f;
  UINT side = TextureSideFor(height_);
  D3DCAPS8 caps = {};
  if (SUCCEEDED(device_->GetDeviceCaps(&caps)) && caps.MaxTextureWidth > 0 && caps.MaxTextureWidth < side) {
    textScale_ = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(side);
    side = caps.MaxTextureWidth;
  }
  texWidth_ = texHeight_ = side;
  std::memset(glyphTable_, 0, sizeof(glyphTable_));
  HRESULT hr =
      device_->CreateTexture(texWidth_, texHeight_, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture_);
  if (FAILED(hr)) return hr;

  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                    static_cast<LONG>(texWidth_),
                    -static_cast<LONG>(texHeight_),
                    1,
                    32,
                    BI_RGB,
                    0,
                    0,
                    0,
                    0,
                    0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  SetMapMode(dc, MM_TEXT);
  const int pixelsPerInch = static_cast<int>(static_cast<float>(GetDeviceCaps(dc, LOGPIXELSY)) * textScale_);
  HFONT font =
      CreateFontA(-MulDiv(static_cast<int>(height_), pixelsPerInch, 72), 0, 0, 0,
                  (flags_ & TEXTFONT_BOLD) ? FW_BOLD : FW_NORMAL, (flags_ & TEXTFONT_ITALIC) ? TRUE : FALSE,
                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                  VARIABLE_PITCH, fontName_);
  hr = E_FAIL;
  if (dc && dib && bits && font) {
    SelectObject(dc, dib);
    SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, 0x00000000);
    SetTextAlign(dc, TA_TOP);
    if (LayOutGlyphs(dc, texWidth_, texHeight_)) hr = FillTexture(bits, ((texWidth_ * 32 + 31) / 32) * 4);
  }
  // The DC goes first: GDI deletes no object while it is selected.
  if (dc) DeleteDC(dc);
  if (dib) DeleteObject(dib);
  if (font) DeleteObject(font);
  return hr;
}

bool TextureFont::LayOutGlyphs(HDC dc, UINT width, UINT height) {
  int x = 0, y = 0;
  bool fits = true;
  for (int c = kFirstChar; c < 127; ++c) {
    char text[1] = {static_cast<char>(c)};
    SIZE size = {};
    if (!GetTextExtentPoint32A(dc, text, 1, &size)) return false;
    if (x + size.cx + 1 > static_cast<int>(width)) {
      x = 0;
      y += size.cy + 1;
    }
    fits = fits && y + size.cy <= static_cast<int>(height);
    // Ink a face lets hang outside its cell is cut off: bilinear filtering
    // would carry it across the one-texel gap into the neighbouring glyph.
    const RECT cell = {x, y, x + size.cx, y + size.cy};
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &cell, text, 1, nullptr);
    float* rect = glyphTable_[c - kFirstChar];
    rect[0] = static_cast<float>(x) / width;
    rect[1] = static_cast<float>(y) / height;
    rect[2] = static_cast<float>(x + size.cx) / width;
    rect[3] = static_cast<float>(y + size.cy) / height;
    x += size.cx + 1;
  }
  if (!fits) OutputDebugStringA("TextureFont: the glyphs overrun the texture; the lowest ones are cut off\n");
  return true;
}

HRESULT TextureFont::FillTexture(const void* bits, int stride) {
  D3DLOCKED_RECT locked = {};
  HRESULT hr = texture_->LockRect(0, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  for (UINT y = 0; y < texHeight_; ++y) {
    const auto* source = static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * stride;
    auto* row =
        reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch);
    for (UINT x = 0; x < texWidth_; ++x) {
      const WORD alpha = source[x * 4] >> 4;  // the blue byte: the glyph is white on black
      row[x] = alpha > 0 ? static_cast<WORD>((alpha << 12) | 0x0FFF) : 0;
    }
  }
  texture_->UnlockRect(0);
  return S_OK;
}

void TextureFont::RecordTextStates(DWORD* token) {
  device_->BeginStateBlock();
  device_->SetTexture(0, texture_);
  for (const StateValue& s : kTextRenderStates) device_->SetRenderState(s.state, s.value);
  for (const StageValue& s : kTextStageStates) device_->SetTextureStageState(s.stage, s.type, s.value);
  if (FAILED(device_->EndStateBlock(token))) *token = 0;
}

HRESULT TextureFont::CreateTextBuffers() {
  if (!device_) return E_FAIL;
  ReleaseTextBuffers();
  HRESULT hr = device_->CreateVertexBuffer(kVertexBufferBytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
                                           D3DPOOL_DEFAULT, &vertexBuffer_);
  if (FAILED(hr)) return hr;
  RecordTextStates(&savedStates_);
  RecordTextStates(&textStates_);
  return S_OK;
}

HRESULT TextureFont::ReleaseTextBuffers() {
  if (vertexBuffer_) {
    vertexBuffer_->Release();
    vertexBuffer_ = nullptr;
  }
  if (device_) {
    if (savedStates_) device_->DeleteStateBlock(savedStates_);
    if (textStates_) device_->DeleteStateBlock(textStates_);
  }
  savedStates_ = textStates_ = 0;
  return S_OK;
}

HRESULT TextureFont::ReleaseGlyphTexture() {
  if (texture_) {
    texture_->Release();
    texture_ = nullptr;
  }
  device_ = nullptr;
  return S_OK;
}

HRESULT TextureFont::MeasureText(const char* text, SIZE* size) const {
  if (!text || !size) return E_FAIL;
  const float rowHeight = RowHeight();
  float width = 0.0f, height = rowHeight, rowWidth = 0.0f;
  for (const char* p = text; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '\n') {
      rowWidth = 0.0f;
      height += rowHeight;
    } else if (Drawable(c)) {
      const float* r = glyphTable_[c - kFirstChar];
      rowWidth += (r[2] - r[0]) * texWidth_;
      width = std::max(width, rowWidth);
    }
  }
  size->cx = static_cast<LONG>(width);
  size->cy = static_cast<LONG>(height);
  return S_OK;
}

HRESULT TextureFont::DrawScreenText(float sx, float sy, DWORD colour, const char* text, DWORD flags) {
  if (!device_) return E_FAIL;
  Placement where;
  where.x = sx;
  where.y = sy;
  where.z = kScreenTextDepth;
  where.scaleX = where.scaleY = 1.0f / textScale_;
  // Rows step by the drawn row height, so lines stay apart on a shrunk texture.
  where.rowStep = RowHeight() / textScale_;
  where.colour = colour;
  return DrawGlyphs(Form::Screen, where, text, flags);
}

HRESULT TextureFont::DrawScaledText(float x, float y, float z, float xScale, float yScale, DWORD colour,
                                    const char* text, DWORD flags) {
  if (!device_) return E_FAIL;
  D3DVIEWPORT8 viewport = {};
  device_->GetViewport(&viewport);
  const float w = static_cast<float>(viewport.Width), h = static_cast<float>(viewport.Height);
  const float rowHeight = RowHeight();
  if (rowHeight <= 0.0f) return E_FAIL;
  Placement where;
  where.x = (x + 1.0f) * w / 2.0f;
  where.y = (y - 1.0f) * h / 2.0f;
  where.z = z;
  where.scaleX = h * xScale / rowHeight;
  where.scaleY = h * yScale / rowHeight;
  where.rowStep = yScale * h;
  where.colour = colour;
  return DrawGlyphs(Form::Scaled, where, text, flags);
}

HRESULT TextureFont::DrawWorldText(const char* text, DWORD flags) {
  if (!device_) return E_FAIL;
  Placement where;
  const float unit = 1.0f / (textScale_ * kTexelsPerWorldUnit);
  if ((flags & TEXTFONT_CENTERED) && text) {
    SIZE size = {};
    MeasureText(text, &size);
    where.x = -(size.cx * unit) / 2.0f;
    where.y = -(size.cy * unit) / 2.0f;
  }
  where.scaleX = where.scaleY = unit;
  where.rowStep = RowHeight() * unit;
  where.down = -1.0f;
  return DrawGlyphs(Form::World, where, text, flags);
}

HRESULT TextureFont::DrawGlyphs(Form form, const Placement& where, const char* text, DWORD flags) {
  if (!texture_ || !vertexBuffer_ || !text) return E_FAIL;
  const bool world = form == Form::World;
  const UINT stride = world ? sizeof(WorldTextVertex) : sizeof(ScreenTextVertex);
  // Whole glyphs per fill of the buffer: 50 screen glyphs, 43 world ones.
  const UINT batchGlyphs = kVertexBufferBytes / (6 * stride);
  device_->CaptureStateBlock(savedStates_);
  device_->ApplyStateBlock(textStates_);
  device_->SetVertexShader(world ? D3DFVF_WORLDTEXTVERTEX : D3DFVF_SCREENTEXTVERTEX);
  device_->SetStreamSource(0, vertexBuffer_, stride);
  if (flags & TEXTFONT_FILTERED) {
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  }
  if (world && (flags & TEXTFONT_TWOSIDED)) device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  // Pre-transformed vertices sit on texel centres.
  const float offset = world ? 0.0f : -0.5f;
  BYTE* data = nullptr;
  UINT glyphs = 0;
  float x = where.x, y = where.y;
  HRESULT hr = vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD);
  for (const char* p = text; SUCCEEDED(hr) && *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '\n') {
      x = where.x;
      y += where.down * where.rowStep;
      continue;
    }
    if (!Drawable(c)) continue;
    const float* r = glyphTable_[c - kFirstChar];
    const float w = (r[2] - r[0]) * texWidth_ * where.scaleX;
    const float h = (r[3] - r[1]) * texHeight_ * where.scaleY;
    // Corners: the glyph's top (vMin) edge lies at `top`, its bottom at `bottom`.
    const float left = x + offset, right = x + w + offset;
    const float top = world ? y + h : y + offset, bottom = world ? y : y + h + offset;
    const float corners[6][4] = {{left, bottom, r[0], r[3]},  {left, top, r[0], r[1]},
                                 {right, bottom, r[2], r[3]}, {right, top, r[2], r[1]},
                                 {right, bottom, r[2], r[3]}, {left, top, r[0], r[1]}};
    for (const auto& k : corners) {
      if (world) {
        *reinterpret_cast<WorldTextVertex*>(data) = {k[0], k[1], 0.0f, 0.0f, 0.0f, -1.0f, k[2], k[3]};
      } else {
        *reinterpret_cast<ScreenTextVertex*>(data) = {k[0], k[1], where.z, 1.0f, where.colour, k[2], k[3]};
      }
      data += stride;
    }
    x += w;
    if (++glyphs == batchGlyphs) {
      vertexBuffer_->Unlock();
      device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2 * glyphs);
      glyphs = 0;
      hr = vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD);
    }
  }
  if (SUCCEEDED(hr)) {
    vertexBuffer_->Unlock();
    if (glyphs > 0) device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2 * glyphs);
  }
  device_->ApplyStateBlock(savedStates_);
  return S_OK;
}
