// SPDX-License-Identifier: MIT
// glorbs_gen_sounds OUTDIR: synthesises the game's twelve recordings as
// 11025 Hz 16-bit mono WAV files named after their resources. Each is peak
// normalised below full scale (quieter for sounds that repeat quickly) so
// that several playing at once still leave headroom.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "lib/generator_main.h"
#include "lib/math_constants.h"
#include "lib/rng.h"
#include "lib/wav.h"

using namespace gen;

namespace {

const float kRate = 11025.0f;
using Buffer = std::vector<float>;

Buffer Silence(float seconds) {
  return Buffer(static_cast<size_t>(seconds * kRate), 0.0f);
}
float Time(size_t i) {
  return static_cast<float>(i) / kRate;
}

// Phase-accumulating oscillator so frequency sweeps stay continuous.
class Osc {
 public:
  float Sine(float hz) { return std::sin(2 * kPi * Step(hz)); }
  float Saw(float hz) { return 2.0f * Step(hz) - 1.0f; }
  float Square(float hz) { return Step(hz) < 0.5f ? 1.0f : -1.0f; }

 private:
  float Step(float hz) {
    float p = phase_;
    phase_ += hz / kRate;
    phase_ -= std::floor(phase_);
    return p;
  }
  float phase_ = 0.0f;
};

// Topology-preserving state-variable filter: stable for any cutoff below
// Nyquist, so sweeps may run the full range.
class Svf {
 public:
  struct Out {
    float low, band, high;
  };
  Out Run(float x, float cutoff, float q) {
    float g = std::tan(kPi * std::min(cutoff, kRate * 0.45f) / kRate), k = 1.0f / q;
    float a1 = 1.0f / (1.0f + g * (g + k)), a2 = g * a1, a3 = g * a2;
    float v3 = x - ic2_, v1 = a1 * ic1_ + a2 * v3, v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    return {v2, v1, x - k * v1 - v2};
  }

 private:
  float ic1_ = 0, ic2_ = 0;
};

float Decay(float t, float tau) {
  return std::exp(-t / tau);
}
float Attack(float t, float len) {
  return t < len ? t / len : 1.0f;
}

// Feedback echo, for the soft underwater tail of some effects.
void Echo(Buffer& b, float delaySeconds, float feedback) {
  size_t d = static_cast<size_t>(delaySeconds * kRate);
  for (size_t i = d; i < b.size(); ++i) b[i] += feedback * b[i - d];
}

// Removes DC, fades the ends against clicks and scales the peak to `peak`.
void Finish(Buffer& b, float peak) {
  float prevX = 0, prevY = 0;
  const float r = 1.0f - 2 * kPi * 20.0f / kRate;
  for (float& s : b) {
    float y = s - prevX + r * prevY;
    prevX = s;
    prevY = y;
    s = y;
  }
  size_t fadeIn = static_cast<size_t>(0.002f * kRate), fadeOut = static_cast<size_t>(0.015f * kRate);
  for (size_t i = 0; i < b.size(); ++i) {
    if (i < fadeIn) b[i] *= static_cast<float>(i) / fadeIn;
    if (i + fadeOut > b.size()) b[i] *= static_cast<float>(b.size() - i) / fadeOut;
  }
  float top = 0;
  for (float s : b) top = std::max(top, std::fabs(s));
  if (top > 0)
    for (float& s : b) s *= peak / top;
}

// A rising arpeggio of soft bell notes announcing the level.
Buffer BeginLevel() {
  Buffer b = Silence(1.5f);
  const float notes[] = {523.25f, 659.25f, 783.99f, 1046.5f, 1318.5f};
  for (int n = 0; n < 5; ++n) {
    size_t start = static_cast<size_t>((0.11f * n) * kRate);
    Osc carrier, mod;
    for (size_t i = start; i < b.size(); ++i) {
      float t = Time(i - start), f = notes[n];
      float fm = mod.Sine(f * 2.0f) * 1.5f * Decay(t, 0.15f);
      b[i] += carrier.Sine(f * (1.0f + 0.01f * fm)) * Attack(t, 0.004f) * Decay(t, 0.35f) *
              (n == 4 ? 1.3f : 1.0f);
    }
  }
  Echo(b, 0.13f, 0.3f);
  return b;
}

// Low engine hum; whole numbers of cycles so it loops without a seam.
Buffer EngineIdle() {
  Buffer b = Silence(1.0f);
  Osc o1, o2, wob;
  Svf lp;
  for (size_t i = 0; i < b.size(); ++i) {
    float w = 1.0f + 0.25f * wob.Sine(6.0f);
    float x = o1.Saw(55.0f) * 0.7f + o2.Sine(110.0f) * 0.5f;
    b[i] = lp.Run(x, 300.0f, 0.9f).low * w;
  }
  return b;
}

// Engine spinning up: pitch and brightness rise together.
Buffer EngineRev() {
  Buffer b = Silence(1.2f);
  Osc o1, o2;
  Svf lp, hiss;
  Rng rng(606);
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i), k = std::min(1.0f, t / 0.9f);
    float f = 60.0f + 150.0f * k * k;
    float x = o1.Saw(f) * 0.7f + o2.Square(f * 0.5f) * 0.25f;
    float y = lp.Run(x, 250.0f + 1400.0f * k, 1.2f).low;
    y += hiss.Run(rng.Range(-1, 1), 900.0f + 1500.0f * k, 2.0f).band * 0.25f * k;
    b[i] = y * Attack(t, 0.1f);
  }
  return b;
}

// Electric buzz of a shield: a gated square with a shimmer on top.
Buffer ShieldBuzz() {
  Buffer b = Silence(0.8f);
  Osc o, gate, shimmer;
  Svf bp;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    float g = 0.6f + 0.4f * gate.Sine(30.0f);
    float x = bp.Run(o.Square(120.0f), 900.0f, 3.0f).band * g +
              0.15f * shimmer.Sine(2200.0f + 200.0f * std::sin(t * 40));
    b[i] = x * Attack(t, 0.03f) * (t > 0.6f ? Decay(t - 0.6f, 0.07f) : 1.0f);
  }
  return b;
}

// The ship blows up: a deep boom under a falling roar with crackles.
Buffer ShipExplode() {
  Buffer b = Silence(1.9f);
  Rng rng(505);
  Osc boom;
  Svf roar;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    float cutoff = 150.0f + 2800.0f * Decay(t, 0.25f);
    float x = roar.Run(rng.Range(-1, 1), cutoff, 0.8f).low * Decay(t, 0.6f) * 1.6f;
    x += boom.Sine(30.0f + 45.0f * Decay(t, 0.15f)) * Decay(t, 0.45f) * 0.9f;
    if (rng.Unit() < 0.004f * Decay(t, 0.5f)) x += rng.Range(-1.0f, 1.0f);  // crackle
    b[i] = x * Attack(t, 0.003f);
  }
  Echo(b, 0.09f, 0.25f);
  return b;
}

// A short laser zap, falling fast in pitch.
Buffer GunFire() {
  Buffer b = Silence(0.18f);
  Osc o, sub;
  Rng rng(404);
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    float f = 300.0f + 1700.0f * Decay(t, 0.035f);
    float x = o.Square(f) * 0.45f + sub.Sine(f * 0.5f) * 0.6f;
    x += rng.Range(-1, 1) * 0.5f * Decay(t, 0.006f);
    b[i] = x * Decay(t, 0.05f);
  }
  return b;
}

// A springy boing off the play square's edge.
Buffer ShipBounce() {
  Buffer b = Silence(0.4f);
  Osc o, vib;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    float f = 170.0f * (1.0f + 0.35f * vib.Sine(14.0f) * Decay(t, 0.15f)) + 80.0f * Decay(t, 0.02f);
    b[i] = o.Sine(f) * Decay(t, 0.12f);
  }
  return b;
}

// Adds a short rising sine chirp: the pop of a bubble.
void Bubble(Buffer& b, float at, float hz, float length, float gain) {
  Osc o;
  size_t start = static_cast<size_t>(at * kRate);
  for (size_t i = start; i < b.size() && Time(i - start) < length * 4; ++i) {
    float t = Time(i - start);
    b[i] += o.Sine(hz * (1.0f + 2.5f * t / length)) * Decay(t, length) * Attack(t, 0.002f) * gain;
  }
}

// A Glorb bursts: a wet splat and a spray of bubbles.
Buffer GlorbExplode() {
  Buffer b = Silence(0.6f);
  Rng rng(303);
  Svf lp;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    b[i] = lp.Run(rng.Range(-1, 1), 200.0f + 1400.0f * Decay(t, 0.05f), 2.5f).low * Decay(t, 0.09f) * 1.4f;
  }
  for (int k = 0; k < 14; ++k)
    Bubble(b, rng.Range(0.0f, 0.4f), rng.Range(300.0f, 1200.0f), rng.Range(0.015f, 0.04f),
           rng.Range(0.2f, 0.5f));
  Echo(b, 0.07f, 0.2f);
  return b;
}

// A pyramid shatters: glassy inharmonic pings over a bright burst.
Buffer PyramidExplode() {
  Buffer b = Silence(0.65f);
  Rng rng(202);
  Svf hp;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    b[i] = hp.Run(rng.Range(-1, 1), 2500.0f, 0.7f).high * Decay(t, 0.04f) * 0.8f;
  }
  for (int k = 0; k < 18; ++k) {
    Osc o;
    float f = rng.Range(1500.0f, 4500.0f), tau = rng.Range(0.04f, 0.14f);
    size_t start = static_cast<size_t>(rng.Range(0.0f, 0.18f) * kRate);
    float gain = rng.Range(0.15f, 0.35f);
    for (size_t i = start; i < b.size(); ++i) b[i] += o.Sine(f) * Decay(Time(i - start), tau) * gain;
  }
  return b;
}

// A cube breaks: a metallic clank with a crunchy tail.
Buffer CubeExplode() {
  Buffer b = Silence(0.5f);
  Rng rng(101);
  Svf ring1, ring2;
  Osc o, m;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    float n = rng.Range(-1, 1);
    float x = ring1.Run(n, 820.0f, 12.0f).band * 2.0f + ring2.Run(n, 1370.0f, 14.0f).band * 1.5f;
    x *= Decay(t, 0.12f);
    x += o.Square(95.0f) * m.Sine(333.0f) * Decay(t, 0.05f) * 0.6f;
    b[i] = x;
  }
  return b;
}

// A sphere pops; also the menu click, so it is short and clean.
Buffer SphereExplode() {
  Buffer b = Silence(0.12f);
  Osc o, h;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i);
    float f = 880.0f + 500.0f * (1.0f - Decay(t, 0.02f));
    b[i] = (o.Sine(f) + 0.25f * h.Sine(2 * f)) * Attack(t, 0.003f) * Decay(t, 0.035f);
  }
  return b;
}

// A skid dying away: filtered scrape sweeping down with a squeal.
Buffer SkidToStop() {
  Buffer b = Silence(0.75f);
  Rng rng(909);
  Svf bp;
  Osc squeal;
  for (size_t i = 0; i < b.size(); ++i) {
    float t = Time(i), k = t / 0.75f;
    float x = bp.Run(rng.Range(-1, 1), 2500.0f - 2000.0f * k, 4.0f).band * 1.5f;
    x += squeal.Sine(1400.0f - 700.0f * k) * 0.25f * (1.0f - k);
    b[i] = x * Attack(t, 0.02f) * (1.0f - k) * (1.0f - k);
  }
  return b;
}

struct Recording {
  const char* name;
  std::function<Buffer()> make;
  float peak;  // below full scale; lower for sounds heard many at a time
};

}  // namespace

int main(int argc, char** argv) {
  return GeneratorMain(argc, argv, [](const std::string& dir) {
    const Recording recordings[] = {
        {"BEGINLEVEL", BeginLevel, 0.5f},
        {"ENGINEIDLE", EngineIdle, 0.35f},
        {"ENGINEREV", EngineRev, 0.4f},
        {"SHIELDBUZZ", ShieldBuzz, 0.4f},
        {"SHIPEXPLODE", ShipExplode, 0.6f},
        {"GUNFIRE", GunFire, 0.3f},
        {"SHIPBOUNCE", ShipBounce, 0.45f},
        {"GLORBEXPLODE", GlorbExplode, 0.5f},
        {"PYRAMIDEXPLODE", PyramidExplode, 0.45f},
        {"CUBEEXPLODE", CubeExplode, 0.45f},
        {"SPHEREEXPLODE", SphereExplode, 0.4f},
        {"SKIDTOSTOP", SkidToStop, 0.4f},
    };
    bool ok = true;
    for (const Recording& r : recordings) {
      Buffer b = r.make();
      Finish(b, r.peak);
      ok = WriteWav(dir + "/" + r.name + ".wav", b, static_cast<uint32_t>(kRate)) && ok;
    }
    return ok;
  });
}
