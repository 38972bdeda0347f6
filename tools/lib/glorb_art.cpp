// SPDX-License-Identifier: MIT
// Glorb creature shading: a glowing jelly bell with a pulsing heart, two eyes
// that blink once per loop and a frilled skirt that turns one lobe per loop.
#include "glorb_art.h"
#include "math_constants.h"

#include <algorithm>
#include <cmath>

namespace gen {
namespace {

const int kLobes = 7;

// Eye openness over one loop: open, with one quick blink late in the cycle.
float EyeOpen(float phase) {
  float d = std::fabs(phase - 1.6f * kPi);
  return d < 0.35f ? std::max(0.08f, d / 0.35f) : 1.0f;
}

// Colour of one eye at offset (du, dv) from its centre, or a=0 outside it.
Rgba SampleEye(float du, float dv, float open, float lookU, float lookV) {
  float ry = 0.2f * open, rx = 0.16f;
  float e = (du * du) / (rx * rx) + (dv * dv) / (ry * ry);
  if (e > 1.0f) return {};
  float pu = du - lookU, pv = (dv - lookV) / std::max(open, 0.2f);
  Rgba c = Rgb(0.95f, 0.97f, 1.0f);                                       // white of the eye
  if (pu * pu + pv * pv < 0.095f * 0.095f) c = Rgb(0.05f, 0.06f, 0.22f);  // pupil (never pure black)
  if ((pu + 0.035f) * (pu + 0.035f) + (pv + 0.04f) * (pv + 0.04f) < 0.03f * 0.03f) c = Rgb(1, 1, 1);
  c.a = SmoothStep(1.0f, 0.75f, e);
  return c;
}

}  // namespace

Rgba SampleGlorb(float u, float v, float phase, const GlorbLook& look) {
  float r = std::sqrt(u * u + v * v);
  float theta = std::atan2(v, u);
  float pulse = std::sin(phase);
  // Skirt: kLobes lobes that advance exactly one lobe per loop.
  float lobe = std::cos(kLobes * theta - phase);
  float skirtR = 1.28f + 0.12f * lobe + 0.04f * pulse;
  float bellR = 1.0f + 0.05f * pulse + 0.03f * std::sin(3.0f * theta + phase);
  Rgba out;
  if (r < skirtR) {
    float t = Clamp01((r - 0.8f) / (skirtR - 0.8f));
    Rgba frill = Mix(look.frill, look.frill * 0.45f, t);
    float vein = 0.5f + 0.5f * std::cos(2.0f * kLobes * theta - 2.0f * phase);
    frill = Mix(frill, look.rim, 0.35f * vein * (1.0f - t));
    frill.a = SmoothStep(skirtR, skirtR - 0.06f, r);
    out = frill;
  }
  if (r < bellR) {
    // Bell: a lit dome with a bright rim, a heart glowing through it.
    float rn = r / bellR;
    float nz = std::sqrt(std::max(0.0f, 1.0f - rn * rn));
    float nu = u / bellR, nv = v / bellR;
    float lambert = std::max(0.0f, -0.45f * nu - 0.55f * nv + 0.7f * nz);
    Rgba c = Mix(look.body, look.rim, SmoothStep(0.55f, 1.0f, rn));
    c = c * (0.55f + 0.6f * lambert);
    float heartR = 0.42f + 0.06f * pulse;
    float hu = u, hv = v - 0.18f;
    float heart = std::exp(-(hu * hu + hv * hv) / (heartR * heartR));
    c = c + look.core * (0.9f * heart);
    float highlight = std::pow(std::max(0.0f, -0.35f * nu - 0.5f * nv + 0.79f * nz), 24.0f);
    c = c + Rgb(1, 1, 1) * (0.8f * highlight);
    c.a = SmoothStep(bellR, bellR - 0.05f, r);
    out = Mix(out, c, c.a);
    out.a = std::max(out.a, c.a);
    float open = EyeOpen(phase);
    float lookU = 0.04f * std::cos(phase), lookV = 0.03f * std::sin(2.0f * phase);
    for (float side : {-1.0f, 1.0f}) {
      Rgba eye = SampleEye(u - side * 0.33f, v + 0.12f, open, lookU, lookV);
      if (eye.a > 0.0f) {
        float keep = out.a;
        out = Mix(out, eye, eye.a);
        out.a = keep;
      }
    }
  }
  out.r = Clamp01(out.r);
  out.g = Clamp01(out.g);
  out.b = Clamp01(out.b);
  return out;
}

void DrawGlorb(Image& img, float cx, float cy, float radius, float phase, const GlorbLook& look, int ss,
               float haloStrength) {
  int reach = static_cast<int>(std::ceil(radius * (haloStrength > 0 ? 4.0f : kGlorbExtent))) + 1;
  for (int py = static_cast<int>(cy) - reach; py <= static_cast<int>(cy) + reach; ++py)
    for (int px = static_cast<int>(cx) - reach; px <= static_cast<int>(cx) + reach; ++px) {
      if (px < 0 || py < 0 || px >= img.Width() || py >= img.Height()) continue;
      float du = (px + 0.5f - cx) / radius, dv = (py + 0.5f - cy) / radius;
      if (haloStrength > 0) {
        float d2 = du * du + dv * dv;
        Rgba halo = Mix(look.rim, look.core, 0.3f);
        halo.a = haloStrength * std::exp(-d2 / 2.2f);
        img.AddLight(px, py, halo);
      }
      if (du * du + dv * dv > (kGlorbExtent + 0.1f) * (kGlorbExtent + 0.1f)) continue;
      Rgba sum;
      float cover = 0.0f;
      for (int j = 0; j < ss; ++j)
        for (int i = 0; i < ss; ++i) {
          float u = (px + (i + 0.5f) / ss - cx) / radius, v = (py + (j + 0.5f) / ss - cy) / radius;
          Rgba s = SampleGlorb(u, v, phase, look);
          sum = sum + Rgba{s.r * s.a, s.g * s.a, s.b * s.a, 0};
          cover += s.a;
        }
      cover /= static_cast<float>(ss * ss);
      if (cover <= 0.0f) continue;
      float inv = 1.0f / (cover * ss * ss);
      img.BlendOver(px, py, {sum.r * inv, sum.g * inv, sum.b * inv, cover});
    }
}

}  // namespace gen
