// SPDX-License-Identifier: MIT
// The level intro frame ("Level n" glowing over a black cover that thins
// out) and the two overlays the game frame shares with it: the glowing title
// and the black fade. Draw with the display's device, fonts and screenQuad.
#pragma once

#include <d3d8.h>
#include <windows.h>

class TextureFont;

// One intro frame for `level`, inside its own scene; the caller presents.
// S_OK without a device (nothing drawn); a failed BeginScene or EndScene
// result is handed back.
HRESULT DrawLevelIntro(DWORD level);
// Twenty glowing copies of the text scattered about the title position,
// then one solid black copy on top. Nothing when font or text is null.
void DrawTitleBurst(TextureFont* font, const char* text);
// Its two halves: the glowing copies (added to what is there), then the
// black copy.
void DrawTitleGlow(TextureFont* font, const char* text);
void DrawTitleText(TextureFont* font, const char* text);
// The glow in two steps, so that one scatter can be drawn more than once:
// where each copy goes (taking the game's random numbers), then drawing them.
constexpr int kTitleCopies = 20;
struct TitleCopy {
  float x, y;
  D3DCOLOR colour;
};
void ScatterTitleCopies(TitleCopy copies[kTitleCopies]);
void DrawTitleCopies(TextureFont* font, const char* text, const TitleCopy copies[kTitleCopies]);
// Covers the viewport with black at `opacity` (clamped to 0..1). Nothing
// without a device or screenQuad.
void DrawFade(float opacity);

// The colour of one glowing copy at distance `r` (0..1) from the centre:
// opaque, near white at the centre, red fading slowest and blue fastest.
D3DCOLOR TitleBurstColour(float r);
// The fade colour for `opacity`: black with alpha 255 x opacity.
D3DCOLOR FadeColour(float opacity);
