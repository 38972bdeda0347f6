// SPDX-License-Identifier: MIT
// glorbs_gen_splash OUTDIR: writes splash.bmp (640 x 400, 24-bit) into OUTDIR.
// An underwater scene with glowing Glorbs and the game's title in neon tubes.
#include <cmath>
#include <cstdio>
#include <string>

#include "lib/generator_main.h"
#include "lib/glorb_art.h"
#include "lib/image.h"
#include "lib/math_constants.h"
#include "lib/rng.h"
#include "lib/stroke_font.h"

using namespace gen;

namespace {

const int kW = 640, kH = 400;

float FloorLine(float x) {
  return 338.0f + 22.0f * FractalNoise(x / 90.0f, 0.5f, 0, 3, 77) - 8.0f * std::sin(x / 70.0f);
}

void PaintWater(Image& img) {
  Rgba top = Rgb(0.06f, 0.36f, 0.52f), mid = Rgb(0.02f, 0.14f, 0.30f), deep = Rgb(0.01f, 0.04f, 0.12f);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      float t = y / static_cast<float>(kH);
      Rgba c = t < 0.45f ? Mix(top, mid, t / 0.45f) : Mix(mid, deep, (t - 0.45f) / 0.55f);
      // Caustic shimmer near the surface.
      float n = FractalNoise(x / 38.0f, y / 14.0f, 0, 3, 11);
      float caustic = std::pow(1.0f - std::fabs(2.0f * n - 1.0f), 6.0f) * std::pow(1.0f - t, 3.0f);
      c = c + Rgb(0.25f, 0.55f, 0.6f) * (0.5f * caustic);
      c.a = 1.0f;
      img.At(x, y) = c;
    }
}

void PaintRays(Image& img) {
  Rng rng(2024);
  for (int i = 0; i < 7; ++i) {
    float x0 = rng.Range(-60.0f, 640.0f), width = rng.Range(14.0f, 42.0f), slope = rng.Range(0.18f, 0.32f);
    float strength = rng.Range(0.05f, 0.12f);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        float d = (x - (x0 + y * slope)) / width;
        float fade = std::pow(1.0f - y / static_cast<float>(kH), 1.6f);
        img.AddLight(x, y, {0.55f, 0.85f, 0.9f, strength * std::exp(-d * d) * fade});
      }
  }
}

void PaintDisc(Image& img, float cx, float cy, float r, Rgba c) {
  for (int y = static_cast<int>(cy - r - 1); y <= static_cast<int>(cy + r + 1); ++y)
    for (int x = static_cast<int>(cx - r - 1); x <= static_cast<int>(cx + r + 1); ++x) {
      float d = std::sqrt((x + 0.5f - cx) * (x + 0.5f - cx) + (y + 0.5f - cy) * (y + 0.5f - cy));
      Rgba p = c;
      p.a = c.a * Clamp01(r + 0.5f - d);
      img.BlendOver(x, y, p);
    }
}

void PaintFloor(Image& img) {
  for (int x = 0; x < kW; ++x) {
    float line = FloorLine(static_cast<float>(x));
    for (int y = static_cast<int>(line) - 1; y < kH; ++y) {
      float depth = (y - line) / 60.0f;
      float grain = FractalNoise(x / 6.0f, y / 3.0f, 0, 3, 5);
      float ripple = 0.5f + 0.5f * std::sin(x / 9.0f + 4.0f * FractalNoise(x / 60.0f, y / 20.0f, 0, 2, 9));
      Rgba sand = Mix(Rgb(0.42f, 0.36f, 0.26f), Rgb(0.16f, 0.13f, 0.12f), Clamp01(depth));
      sand = sand * (0.75f + 0.25f * grain + 0.12f * ripple);
      sand = Mix(sand, Rgb(0.05f, 0.15f, 0.25f), 0.35f);  // seen through blue water
      sand.a = Clamp01(y + 1.0f - line);
      img.BlendOver(x, y, sand);
    }
  }
  Rng rng(99);
  for (int i = 0; i < 9; ++i) {  // rocks
    float x = rng.Range(0, kW), r = rng.Range(8, 26);
    float y = FloorLine(x) + r * 0.45f;
    for (int k = 0; k < 4; ++k)
      PaintDisc(img, x + rng.Range(-r, r) * 0.6f, y + rng.Range(-r, 0) * 0.3f, r * rng.Range(0.5f, 0.9f),
                Rgb(0.10f, 0.14f, 0.18f) * rng.Range(0.8f, 1.3f));
    PaintDisc(img, x - r * 0.2f, y - r * 0.35f, r * 0.35f, {0.25f, 0.32f, 0.36f, 0.5f});
  }
}

void PaintWeed(Image& img) {
  Rng rng(4242);
  for (int i = 0; i < 22; ++i) {
    float x0 = rng.Range(0, kW), height = rng.Range(40, 120), sway = rng.Range(6, 18),
          phase = rng.Range(0, 2 * kPi);
    float base = FloorLine(x0) + 6.0f;
    Rgba col = Mix(Rgb(0.05f, 0.30f, 0.18f), Rgb(0.12f, 0.45f, 0.22f), rng.Unit());
    for (float s = 0; s < 1.0f; s += 0.004f) {
      float x = x0 + sway * std::sin(phase + s * 5.0f) * s;
      float y = base - height * s;
      PaintDisc(img, x, y, 3.2f * (1.0f - 0.8f * s), col * (0.7f + 0.5f * s));
    }
  }
}

void PaintBubbles(Image& img) {
  Rng rng(777);
  for (int i = 0; i < 40; ++i) {
    float x = rng.Range(0, kW), y = rng.Range(10, 330), r = rng.Range(1.5f, 5.5f);
    for (int py = static_cast<int>(y - r - 2); py <= static_cast<int>(y + r + 2); ++py)
      for (int px = static_cast<int>(x - r - 2); px <= static_cast<int>(x + r + 2); ++px) {
        float d = std::sqrt((px + 0.5f - x) * (px + 0.5f - x) + (py + 0.5f - y) * (py + 0.5f - y));
        float rim = std::exp(-std::pow((d - r) / 0.8f, 2.0f));
        img.AddLight(px, py, {0.7f, 0.9f, 1.0f, 0.55f * rim});
      }
    img.AddLight(static_cast<int>(x - r * 0.4f), static_cast<int>(y - r * 0.4f), {1, 1, 1, 0.8f});
  }
  for (int i = 0; i < 260; ++i) {  // drifting specks
    float x = rng.Range(0, kW), y = rng.Range(0, 340);
    img.AddLight(static_cast<int>(x), static_cast<int>(y), {0.6f, 0.8f, 0.8f, rng.Range(0.05f, 0.25f)});
  }
}

void PaintGlorbs(Image& img) {
  struct Placed {
    float x, y, r, phase;
    GlorbLook look;
    float halo;
  };
  GlorbLook teal;
  GlorbLook violet{Rgb(0.75f, 0.55f, 1.0f), Rgb(0.35f, 0.20f, 0.65f), Rgb(1.0f, 0.85f, 0.4f),
                   Rgb(0.55f, 0.35f, 0.95f)};
  GlorbLook amber{Rgb(1.0f, 0.8f, 0.3f), Rgb(0.65f, 0.35f, 0.12f), Rgb(1.0f, 0.4f, 0.5f),
                  Rgb(0.95f, 0.55f, 0.2f)};
  const Placed glorbs[] = {
      {600, 170, 11, 1.0f, violet, 0.25f}, {44, 160, 14, 2.5f, amber, 0.3f},
      {318, 214, 12, 4.0f, teal, 0.3f},    {420, 282, 17, 5.0f, violet, 0.45f},
      {132, 232, 27, 0.6f, amber, 0.55f},  {508, 206, 40, 3.2f, teal, 0.7f},
  };
  for (const Placed& g : glorbs) DrawGlorb(img, g.x, g.y, g.r, g.phase, g.look, 4, g.halo);
}

void PaintTitle(Image& img) {
  TextStyle big;
  big.height = 62;
  big.stroke = 0.09f;
  big.slant = 0.12f;
  float wGlorbs = TextWidth("GLORBS", big) + big.height * 0.55f;
  float total = wGlorbs + TextWidth("3D", big);
  float x = (kW - total) * 0.5f, y = 118;
  DrawNeonText(img, "GLORBS", x, y, big, Rgb(0.85f, 1.0f, 1.0f), Rgb(0.2f, 0.85f, 0.95f),
               {0.2f, 0.8f, 1.0f, 0.55f}, 16);
  DrawNeonText(img, "3D", x + wGlorbs, y, big, Rgb(1.0f, 0.95f, 0.6f), Rgb(1.0f, 0.5f, 0.1f),
               {1.0f, 0.55f, 0.15f, 0.55f}, 16);
  TextStyle small;
  small.height = 20;
  small.stroke = 0.1f;
  small.spacing = 1.05f;
  const std::string prompt = "PRESS ANY KEY TO PLAY";
  DrawNeonText(img, prompt, (kW - TextWidth(prompt, small)) * 0.5f, 368, small, Rgb(1, 1, 0.75f),
               Rgb(1.0f, 0.85f, 0.3f), {1.0f, 0.8f, 0.3f, 0.45f}, 8);
  TextStyle tiny;
  tiny.height = 11;
  tiny.stroke = 0.11f;
  tiny.spacing = 1.1f;
  const std::string esc = "ESC TO QUIT";
  DrawNeonText(img, esc, (kW - TextWidth(esc, tiny)) * 0.5f, 390, tiny, Rgb(0.8f, 0.95f, 1.0f),
               Rgb(0.5f, 0.8f, 0.9f), {0.3f, 0.7f, 0.9f, 0.3f}, 5);
}

}  // namespace

int main(int argc, char** argv) {
  return GeneratorMain(argc, argv, [](const std::string& dir) {
    Image splash(kW, kH);
    PaintWater(splash);
    PaintRays(splash);
    PaintFloor(splash);
    PaintWeed(splash);
    PaintBubbles(splash);
    PaintGlorbs(splash);
    PaintTitle(splash);
    return WriteBmp24(dir + "/splash.bmp", splash, true);
  });
}
