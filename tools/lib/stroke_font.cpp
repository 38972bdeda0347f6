// SPDX-License-Identifier: MIT
// Stroke font glyphs and their distance-field rendering. Glyphs live on a
// 4 x 6 grid (x right, y up from the baseline); each glyph is a list of
// polylines separated by '|'.
#include "stroke_font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gen {
namespace {

struct Glyph {
  char ch;
  const char* strokes;
};

const Glyph kGlyphs[] = {
    {'A', "0,0 0,4 2,6 4,4 4,0 | 0,3 4,3"},
    {'B', "0,0 0,6 3,6 4,5 4,4 3,3 0,3 | 3,3 4,2 4,1 3,0 0,0"},
    {'C', "4,5 3,6 1,6 0,5 0,1 1,0 3,0 4,1"},
    {'D', "0,0 0,6 3,6 4,5 4,1 3,0 0,0"},
    {'E', "4,6 0,6 0,0 4,0 | 0,3 3,3"},
    {'F', "4,6 0,6 0,0 | 0,3 3,3"},
    {'G', "4,5 3,6 1,6 0,5 0,1 1,0 3,0 4,1 4,3 2,3"},
    {'H', "0,0 0,6 | 4,0 4,6 | 0,3 4,3"},
    {'I', "1,6 3,6 | 2,6 2,0 | 1,0 3,0"},
    {'J', "4,6 4,1 3,0 1,0 0,1"},
    {'K', "0,0 0,6 | 4,6 0,2 | 1.4,3.4 4,0"},
    {'L', "0,6 0,0 4,0"},
    {'M', "0,0 0,6 2,3 4,6 4,0"},
    {'N', "0,0 0,6 4,0 4,6"},
    {'O', "1,0 0,1 0,5 1,6 3,6 4,5 4,1 3,0 1,0"},
    {'P', "0,0 0,6 3,6 4,5 4,4 3,3 0,3"},
    {'Q', "1,0 0,1 0,5 1,6 3,6 4,5 4,1 3,0 1,0 | 2.6,1.4 4,0"},
    {'R', "0,0 0,6 3,6 4,5 4,4 3,3 0,3 | 2,3 4,0"},
    {'S', "4,5 3,6 1,6 0,5 0,4 1,3 3,3 4,2 4,1 3,0 1,0 0,1"},
    {'T', "0,6 4,6 | 2,6 2,0"},
    {'U', "0,6 0,1 1,0 3,0 4,1 4,6"},
    {'V', "0,6 2,0 4,6"},
    {'W', "0,6 1,0 2,4 3,0 4,6"},
    {'X', "0,0 4,6 | 0,6 4,0"},
    {'Y', "0,6 2,3 4,6 | 2,3 2,0"},
    {'Z', "0,6 4,6 0,0 4,0"},
    {'0', "1,0 0,1 0,5 1,6 3,6 4,5 4,1 3,0 1,0 | 4,5 0,1"},
    {'1', "1,5 2,6 2,0 | 1,0 3,0"},
    {'2', "0,5 1,6 3,6 4,5 4,4 0,0 4,0"},
    {'3', "0,5 1,6 3,6 4,5 4,4 3,3 4,2 4,1 3,0 1,0 0,1 | 1.5,3 3,3"},
    {'4', "3,0 3,6 0,2 4,2"},
    {'5', "4,6 0,6 0,3 3,3 4,2 4,1 3,0 0,0"},
    {'6', "4,5 3,6 1,6 0,5 0,1 1,0 3,0 4,1 4,2 3,3 0,3"},
    {'7', "0,6 4,6 1,0"},
    {'8', "1,3 0,4 0,5 1,6 3,6 4,5 4,4 3,3 1,3 0,2 0,1 1,0 3,0 4,1 4,2 3,3"},
    {'9', "0,1 1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,4 1,3 4,3"},
    {'.', "2,0 2,0.05"},
    {',', "2,0.4 1.5,-0.8"},
    {'-', "1,3 3,3"},
    {'!', "2,6 2,2 | 2,0 2,0.05"},
    {':', "2,4 2,4.05 | 2,1 2,1.05"},
    {'\'', "2,6 2,4.8"},
};

const float kGridHeight = 6.0f;
const float kAdvance = 6.0f;  // grid units per character, stroke room included

struct Segment {
  float ax, ay, bx, by;
};

const char* FindGlyph(char c) {
  for (const Glyph& g : kGlyphs)
    if (g.ch == c) return g.strokes;
  return nullptr;  // space and unknown characters leave a gap
}

// Appends the glyph's segments scaled to pixels; (ox, oy) is baseline-left.
void GlyphSegments(const char* strokes, float ox, float oy, const TextStyle& s, std::vector<Segment>* out) {
  float scale = s.height / kGridHeight;
  bool havePrev = false;
  float px = 0, py = 0;
  const char* p = strokes;
  while (*p) {
    while (*p == ' ') ++p;
    if (*p == '|') {
      havePrev = false;
      ++p;
      continue;
    }
    if (!*p) break;
    char* end = nullptr;
    float gx = std::strtof(p, &end);
    p = end + 1;  // skip ','
    float gy = std::strtof(p, &end);
    p = end;
    float x = ox + (gx + gy * s.slant) * scale;
    float y = oy - gy * scale;
    if (havePrev) out->push_back({px, py, x, y});
    px = x;
    py = y;
    havePrev = true;
  }
}

float SegmentDistance(const Segment& sg, float x, float y) {
  float dx = sg.bx - sg.ax, dy = sg.by - sg.ay;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((x - sg.ax) * dx + (y - sg.ay) * dy) / len2 : 0.0f;
  t = std::min(1.0f, std::max(0.0f, t));
  float ex = sg.ax + t * dx - x, ey = sg.ay + t * dy - y;
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

float TextWidth(const std::string& text, const TextStyle& style) {
  float scale = style.height / kGridHeight;
  if (text.empty()) return 0.0f;
  return (static_cast<float>(text.size() - 1) * kAdvance * style.spacing + 4.0f) * scale;
}

TextField::TextField(int w, int h, const std::string& text, float x, float y, const TextStyle& style)
    : w_(w), h_(h), halfWidth_(style.stroke * style.height), dist_(static_cast<size_t>(w) * h, 1e9f) {
  std::vector<Segment> segs;
  float scale = style.height / kGridHeight;
  for (size_t i = 0; i < text.size(); ++i) {
    const char* strokes = FindGlyph(text[i]);
    if (strokes)
      GlyphSegments(strokes, x + static_cast<float>(i) * kAdvance * style.spacing * scale, y, style, &segs);
  }
  for (int py = 0; py < h; ++py)
    for (int px = 0; px < w; ++px) {
      float best = 1e9f;
      for (const Segment& sg : segs) best = std::min(best, SegmentDistance(sg, px + 0.5f, py + 0.5f));
      dist_[static_cast<size_t>(py) * w + px] = best;
    }
}

float TextField::Coverage(int px, int py) const {
  return Clamp01(halfWidth_ + 0.5f - Distance(px, py));
}

void DrawNeonText(Image& img, const std::string& text, float x, float y, const TextStyle& style, Rgba top,
                  Rgba bottom, Rgba glow, float glowRadius) {
  TextField field(img.Width(), img.Height(), text, x, y, style);
  for (int py = 0; py < img.Height(); ++py)
    for (int px = 0; px < img.Width(); ++px) {
      float d = field.Distance(px, py) - field.HalfWidth();
      if (d > glowRadius * 3.0f) continue;
      float halo = std::exp(-std::max(0.0f, d) / (glowRadius * 0.5f)) * glow.a;
      img.AddLight(px, py, {glow.r, glow.g, glow.b, halo});
      float cov = field.Coverage(px, py);
      if (cov <= 0.0f) continue;
      float t = Clamp01((y - (py + 0.5f)) / style.height);
      Rgba fill = Mix(bottom, top, t);
      // A bright centre line makes the stroke read as a lit tube.
      float core = 1.0f - Clamp01(field.Distance(px, py) / std::max(1.0f, field.HalfWidth()));
      fill = Mix(fill, Rgb(1, 1, 1), 0.45f * core * core);
      fill.a = cov;
      img.BlendOver(px, py, fill);
    }
}

}  // namespace gen
