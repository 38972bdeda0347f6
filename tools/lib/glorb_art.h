// SPDX-License-Identifier: MIT
// The Glorb creature as a function of position and animation phase, shared
// by the sprite sheet and the splash picture so both show the same animal.
#pragma once
#include "image.h"

namespace gen {

struct GlorbLook {
  Rgba rim = Rgb(0.25f, 1.0f, 0.75f);     // bright edge of the bell
  Rgba body = Rgb(0.10f, 0.55f, 0.60f);   // inner bell
  Rgba core = Rgb(1.0f, 0.45f, 0.85f);    // glowing heart
  Rgba frill = Rgb(0.15f, 0.75f, 0.85f);  // waving skirt
};

// Colour with coverage in .a (not premultiplied) at (u, v), in units of the
// bell radius with v pointing down the picture. The creature fits in a
// circle of radius kGlorbExtent. phase in [0, 2 pi) loops seamlessly.
Rgba SampleGlorb(float u, float v, float phase, const GlorbLook& look);
const float kGlorbExtent = 1.5f;

// Renders the creature into `img` centred at (cx, cy) with bell radius
// `radius` pixels, supersampled `ss` x `ss` per pixel, composited over what
// is there; optionally adds a soft halo of light around it.
void DrawGlorb(Image& img, float cx, float cy, float radius, float phase, const GlorbLook& look, int ss,
               float haloStrength);

}  // namespace gen
