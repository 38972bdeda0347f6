// SPDX-License-Identifier: MIT
// The level intro and the title and fade overlays. The burst scatters its
// copies with the game's random numbers, so a level's draws stay in the one
// sequence the world uses.
#include "render/level_intro.h"

#include <cmath>
#include <cstdio>

#include "common/src/frame_timer.h"
#include "render/display_objects.h"
#include "render/texture_font.h"
#include "world/game_object.h"

namespace {

constexpr float kBurstSpread = 0.05f;
constexpr float kTitleX = -0.5f;
constexpr float kTitleY = 1.8f;
constexpr float kTitleDepth = 0.9f;
constexpr float kTitleScale = 0.25f;
constexpr float kTwoPi = 6.2831855f;

// One channel: (1 - f) x 256 truncated; the centre's 256 stays white.
DWORD Channel(float f) {
  const int value = static_cast<int>((1.0f - f) * 256.0f);
  return static_cast<DWORD>(value > 255 ? 255 : value < 0 ? 0 : value);
}

}  // namespace

D3DCOLOR TitleBurstColour(float r) {
  return 0xFF000000u | (Channel(r * r * r) << 16) | (Channel(r * r) << 8) | Channel(r);
}

D3DCOLOR FadeColour(float opacity) {
  const DWORD alpha = opacity >= 1.0f ? 255u : opacity > 0.0f ? static_cast<DWORD>(255.0f * opacity) : 0u;
  return alpha << 24;
}

void DrawTitleBurst(TextureFont* font, const char* text) {
  DrawTitleGlow(font, text);
  DrawTitleText(font, text);
}

void DrawTitleGlow(TextureFont* font, const char* text) {
  if (!font || !text) return;
  TitleCopy copies[kTitleCopies];
  ScatterTitleCopies(copies);
  DrawTitleCopies(font, text, copies);
}

void ScatterTitleCopies(TitleCopy copies[kTitleCopies]) {
  for (int i = 0; i < kTitleCopies; ++i) {
    const float r = RandomRange(0.0f, 1.0f);
    const float a = RandomRange(0.0f, kTwoPi);
    const float k = kBurstSpread * r;
    copies[i].x = kTitleX + std::sin(a) * k;
    copies[i].y = kTitleY + std::cos(a) * k;
    // Copies on the near side of the centre (cos a < 0) are pushed further
    // towards the top of the screen: the glow rises like a flame.
    if (std::cos(a) < 0.0f) copies[i].y -= 2.0f * k * std::cos(a) * std::cos(a);
    copies[i].colour = TitleBurstColour(r);
  }
}

void DrawTitleCopies(TextureFont* font, const char* text, const TitleCopy copies[kTitleCopies]) {
  if (!font || !text) return;
  for (int i = 0; i < kTitleCopies; ++i) {
    if (device) {
      device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
      device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    font->DrawScaledText(copies[i].x, copies[i].y, kTitleDepth, kTitleScale, kTitleScale, copies[i].colour,
                         text, TEXTFONT_FILTERED);
  }
}

void DrawTitleText(TextureFont* font, const char* text) {
  if (!font || !text) return;
  if (device) {
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
  font->DrawScaledText(kTitleX, kTitleY, kTitleDepth, kTitleScale, kTitleScale, 0xFF000000, text,
                       TEXTFONT_FILTERED);
}

void DrawFade(float opacity) {
  if (!device || !screenQuad) return;
  BYTE* data = nullptr;
  if (SUCCEEDED(screenQuad->Lock(0, 0, &data, 0))) {
    auto* vertices = reinterpret_cast<ScreenQuadVertex*>(data);
    for (int i = 0; i < 4; ++i) vertices[i].color = FadeColour(opacity);
    screenQuad->Unlock();
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetTexture(0, nullptr);
  device->SetVertexShader(kScreenQuadFVF);
  device->SetStreamSource(0, screenQuad, sizeof(ScreenQuadVertex));
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

HRESULT DrawLevelIntro(DWORD level) {
  if (!device) return S_OK;
  HRESULT hr = device->BeginScene();
  if (FAILED(hr)) return hr;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
  char text[32] = {};
  std::snprintf(text, sizeof(text), "Level %ld", static_cast<long>(level));
  DrawTitleBurst(hudFont, text);
  const float t = FrameTimer(TIMER_CMD_APPTIME);
  DrawFade(1.0f - std::sin(t * kPi / 3.0f));
  return device->EndScene();
}
