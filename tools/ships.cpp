// SPDX-License-Identifier: MIT
// The ship and part models, put together from lathes, boxes, prisms, tori
// and spheres. Hull materials modulate the shared plate texture; glowing
// parts use emissive colours; a few use diffuse alpha below 1 and are drawn
// by the game's additive translucent pass.
#include "ships.h"

#include <cmath>
#include <cstring>

#include "lib/math_constants.h"

namespace gen {
namespace {

Material Mat(Rgba diffuse, const char* texture = "", Rgba emissive = Rgb(0, 0, 0), float highlight = 0.35f,
             float power = 20.0f) {
  Material m;
  m.diffuse = diffuse;
  m.texture = texture;
  m.emissive = emissive;
  m.specular = Rgb(highlight, highlight, highlight);
  m.power = power;
  return m;
}

// A lathe turned so its profile heights run toward -z (the nose).
Mat4 TowardNose(float x, float y, float z) {
  return RotateX(-kPi / 2) * Translate(x, y, z);
}
// A lathe turned so its profile heights run toward +z (the tail).
Mat4 TowardTail(float x, float y, float z) {
  return RotateX(kPi / 2) * Translate(x, y, z);
}

// Engine nozzle with a glowing exhaust disc at its back (+z) end.
void AddEngine(Mesh& m, float x, float y, float z, float r, float len, int hull, int glow) {
  AddLathe(m, TowardTail(x, y, z), {r * 0.8f, r, r, r * 0.85f}, {0, len * 0.2f, len * 0.85f, len}, 20, hull);
  AddLathe(m, TowardTail(x, y, z + len), {r * 0.7f, 0.0f}, {0.0f, 0.02f}, 20, glow);
}

}  // namespace

Mesh BuildStationSeven() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.75f, 0.8f, 0.9f), "HullPlates.bmp"));
  int windows = m.AddMaterial(Mat(Rgb(1, 1, 1), "HullWindows.bmp", Rgb(0.25f, 0.22f, 0.15f)));
  int accent = m.AddMaterial(Mat(Rgb(1.0f, 0.55f, 0.15f), "HullPlates.bmp", Rgb(0.1f, 0.04f, 0), 0.6f, 30));
  int dome = m.AddMaterial(Mat({0.3f, 0.8f, 1.0f, 0.45f}, "", Rgb(0.05f, 0.2f, 0.25f), 0.9f, 40));
  int core = m.AddMaterial(Mat(Rgb(0.4f, 1.0f, 0.8f), "", Rgb(0.3f, 0.8f, 0.6f)));
  int glow = m.AddMaterial(Mat(Rgb(1.0f, 0.6f, 0.2f), "", Rgb(1.0f, 0.55f, 0.15f)));
  AddLathe(m, Mat4(), {0.0f, 0.9f, 1.25f}, {-0.35f, -0.3f, -0.1f}, 48, hull);
  AddLathe(m, Mat4(), {1.25f, 1.3f}, {-0.1f, 0.08f}, 48, windows, false, -1.6f);
  AddLathe(m, Mat4(), {1.3f, 1.0f, 0.55f}, {0.08f, 0.25f, 0.33f}, 48, hull);
  std::vector<float> rad, h;
  for (int i = 0; i <= 8; ++i) {
    float a = kPi / 2 * i / 8;
    rad.push_back(0.55f * std::cos(a));
    h.push_back(0.33f + 0.5f * std::sin(a));
  }
  AddLathe(m, Mat4(), rad, h, 32, dome);
  AddSphere(m, Translate(0, 0.45f, 0), 0.22f, 16, 8, core);
  AddTorus(m, Translate(0, -0.05f, 0), 1.8f, 0.11f, 64, 10, accent);
  for (int k = 0; k < 4; ++k)
    AddBox(m, Translate(1.52f, -0.05f, 0) * RotateY(kPi / 4 + k * kPi / 2), 0.28f, 0.05f, 0.08f, hull);
  AddLathe(m, TowardNose(0, -0.05f, -1.2f), {0.28f, 0.22f, 0.1f, 0.0f}, {0.0f, 0.6f, 1.05f, 1.2f}, 24,
           accent);
  AddEngine(m, 0.55f, -0.05f, 1.05f, 0.2f, 0.85f, hull, glow);
  AddEngine(m, -0.55f, -0.05f, 1.05f, 0.2f, 0.85f, hull, glow);
  m.Finalize();
  return m;
}

Mesh BuildStationFive() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.7f, 0.75f, 0.8f), "HullPlates.bmp"));
  int dark = m.AddMaterial(Mat(Rgb(0.3f, 0.32f, 0.38f), "", Rgb(0, 0, 0), 0.8f, 40));
  int glow = m.AddMaterial(Mat(Rgb(0.4f, 0.9f, 1.0f), "", Rgb(0.35f, 0.85f, 1.0f)));
  AddSphere(m, Scale(1.0f, 0.75f, 1.0f), 0.6f, 24, 12, hull);
  AddTorus(m, Mat4(), 0.62f, 0.08f, 40, 8, dark);
  for (float x : {-0.32f, 0.32f}) {
    AddCylinder(m, TowardTail(x, 0, 0.2f), 0.11f, 0.09f, 1.9f, 16, dark);
    AddTorus(m, RotateX(kPi / 2) * Translate(x, 0, 1.6f), 0.12f, 0.04f, 16, 6, hull);
    AddLathe(m, TowardTail(x, 0, 2.1f), {0.09f, 0.06f, 0.0f}, {0.0f, 0.08f, 0.1f}, 16, glow);
  }
  AddLathe(m, Translate(0, 0.4f, -0.1f), {0.0f, 0.05f, 0.05f, 0.35f}, {0.0f, 0.0f, 0.15f, 0.3f}, 24, hull,
           false);
  m.Finalize();
  return m;
}

Mesh BuildGunner() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.55f, 0.65f, 0.5f), "HullPlates.bmp"));
  int canopy = m.AddMaterial(Mat(Rgb(0.15f, 0.25f, 0.35f), "", Rgb(0.02f, 0.08f, 0.12f), 1.0f, 60));
  int gun = m.AddMaterial(Mat(Rgb(0.25f, 0.25f, 0.28f), "", Rgb(0, 0, 0), 0.7f, 30));
  int glow = m.AddMaterial(Mat(Rgb(1.0f, 0.4f, 0.2f), "", Rgb(1.0f, 0.35f, 0.1f)));
  AddLathe(m, TowardNose(0, 0, 1.1f), {0.3f, 0.38f, 0.36f, 0.25f, 0.0f}, {0.0f, 0.5f, 1.3f, 2.0f, 2.5f}, 24,
           hull);
  AddSphere(m, Scale(0.6f, 0.5f, 1.4f) * Translate(0, 0.28f, -0.4f), 0.3f, 16, 10, canopy);
  AddPrism(m, Translate(0, -0.05f, 0.2f), {-1.5f, 0.7f, -0.3f, -0.6f, 0.3f, -0.6f, 1.5f, 0.7f}, 0.08f, hull);
  AddPrism(m, RotateZ(kPi / 2) * Translate(0, 0.4f, 0.8f), {0.0f, 0.3f, -0.5f, 0.6f, 0.0f, 0.0f}, 0.06f,
           hull);
  for (float x : {-0.9f, 0.9f}) AddCylinder(m, TowardNose(x, -0.12f, 0.4f), 0.07f, 0.05f, 1.4f, 12, gun);
  AddEngine(m, 0, 0, 1.1f, 0.26f, 0.35f, gun, glow);
  m.Finalize();
  return m;
}

Mesh BuildDart() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.9f, 0.9f, 0.95f), "HullPlates.bmp"));
  int stripe = m.AddMaterial(Mat(Rgb(0.9f, 0.15f, 0.1f), "", Rgb(0.1f, 0, 0), 0.5f, 30));
  int canopy = m.AddMaterial(Mat({0.4f, 0.7f, 1.0f, 0.6f}, "", Rgb(0.1f, 0.2f, 0.3f), 1.0f, 60));
  int glow = m.AddMaterial(Mat(Rgb(0.5f, 0.7f, 1.0f), "", Rgb(0.4f, 0.6f, 1.0f)));
  AddLathe(m, TowardNose(0, 0, 1.2f), {0.25f, 0.3f, 0.22f, 0.0f}, {0.0f, 0.8f, 2.0f, 2.8f}, 24, hull);
  AddPrism(m, Translate(0, 0, 0.4f), {-1.3f, 0.8f, 0.0f, -1.1f, 1.3f, 0.8f}, 0.06f, stripe);
  AddPrism(m, RotateZ(kPi / 2) * Translate(0, 0.45f, 0.9f), {0.0f, 0.3f, -0.55f, 0.4f, 0.0f, -0.4f}, 0.05f,
           stripe);
  AddSphere(m, Scale(0.5f, 0.45f, 1.5f) * Translate(0, 0.2f, -0.6f), 0.3f, 16, 10, canopy);
  AddEngine(m, 0, 0, 1.2f, 0.22f, 0.3f, hull, glow);
  m.Finalize();
  return m;
}

Mesh BuildPurpleProwler() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.55f, 0.3f, 0.8f), "HullPlates.bmp", Rgb(0.04f, 0, 0.06f), 0.6f, 40));
  int canopy = m.AddMaterial(Mat(Rgb(0.9f, 0.8f, 0.3f), "", Rgb(0.3f, 0.25f, 0.05f), 1.0f, 60));
  int glow = m.AddMaterial(Mat(Rgb(1.0f, 0.3f, 0.9f), "", Rgb(0.9f, 0.25f, 0.8f)));
  AddLathe(m, TowardNose(0, 0, 1.0f), {0.3f, 0.42f, 0.4f, 0.2f, 0.0f}, {0.0f, 0.4f, 1.1f, 1.8f, 2.1f}, 28,
           hull);
  AddPrism(m, Translate(0, 0, 0.5f), {-1.6f, 0.6f, -0.2f, -0.7f, 0.2f, -0.7f, 1.6f, 0.6f, 0.0f, 0.4f}, 0.07f,
           hull);
  AddPrism(m, RotateZ(kPi / 2) * Translate(0, 0.35f, 0.7f), {0.0f, 0.3f, -0.45f, 0.35f, 0.0f, -0.45f}, 0.05f,
           hull);
  AddSphere(m, Scale(0.6f, 0.5f, 1.3f) * Translate(0, 0.3f, -0.35f), 0.3f, 16, 10, canopy);
  AddLathe(m, TowardTail(0, 0, 1.0f), {0.28f, 0.0f}, {0.0f, 0.02f}, 20, glow);
  for (float x : {-1.55f, 1.55f}) AddSphere(m, Translate(x, 0, 0.55f), 0.08f, 10, 6, glow);
  m.Finalize();
  return m;
}

Mesh BuildHauler() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.85f, 0.7f, 0.35f), "HullPlates.bmp"));
  int cargo = m.AddMaterial(Mat(Rgb(0.5f, 0.55f, 0.6f), "HullPlates.bmp"));
  int windows = m.AddMaterial(Mat(Rgb(1, 1, 1), "HullWindows.bmp", Rgb(0.2f, 0.18f, 0.1f)));
  int glow = m.AddMaterial(Mat(Rgb(0.4f, 1.0f, 0.6f), "", Rgb(0.3f, 0.9f, 0.5f)));
  AddBox(m, Translate(0, 0, -1.1f), 0.45f, 0.35f, 0.4f, hull);
  AddLathe(m, TowardNose(0, 0.05f, -1.5f), {0.3f, 0.0f}, {0.0f, 0.35f}, 4, windows, false, -1.0f);
  for (int k = 0; k < 3; ++k) AddBox(m, Translate(0, 0, -0.35f + 0.62f * k), 0.55f, 0.45f, 0.28f, cargo);
  AddBox(m, Translate(0, 0, 0.35f), 0.12f, 0.12f, 1.4f, hull);
  for (float x : {-0.75f, 0.75f}) {
    AddBox(m, Translate(x * 0.8f, 0, 1.1f), 0.3f, 0.06f, 0.12f, hull);
    AddEngine(m, x, 0, 0.7f, 0.22f, 0.8f, hull, glow);
  }
  m.Finalize();
  return m;
}

Mesh BuildRoundabout() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.8f, 0.82f, 0.85f), "HullPlates.bmp"));
  int windows = m.AddMaterial(Mat(Rgb(1, 1, 1), "HullWindows.bmp", Rgb(0.25f, 0.22f, 0.15f)));
  int glow = m.AddMaterial(Mat(Rgb(0.4f, 0.8f, 1.0f), "", Rgb(0.3f, 0.7f, 1.0f)));
  AddSphere(m, Mat4(), 0.55f, 24, 12, hull);
  AddLathe(m, Mat4(), {1.5f, 1.55f, 1.55f, 1.5f}, {-0.15f, -0.1f, 0.1f, 0.15f}, 64, windows, true, -1.2f);
  AddLathe(m, Mat4(), {1.5f, 1.3f, 1.3f, 1.5f}, {0.15f, 0.15f, -0.15f, -0.15f}, 64, hull, false);
  for (int k = 0; k < 3; ++k)
    AddBox(m, Translate(0.95f, 0, 0) * RotateY(k * 2 * kPi / 3), 0.4f, 0.06f, 0.06f, hull);
  AddCylinder(m, Translate(0, 0.5f, 0), 0.04f, 0.02f, 0.8f, 8, hull);
  AddSphere(m, Translate(0, 1.32f, 0), 0.07f, 10, 6, glow);
  AddCylinder(m, RotateX(kPi) * Translate(0, -0.5f, 0), 0.04f, 0.02f, 0.5f, 8, hull);
  m.Finalize();
  return m;
}

Mesh BuildTieX7() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.55f, 0.58f, 0.62f), "HullPlates.bmp"));
  int panel =
      m.AddMaterial(Mat(Rgb(0.35f, 0.45f, 0.8f), "HullPlates.bmp", Rgb(0.05f, 0.08f, 0.2f), 0.8f, 50));
  int eye = m.AddMaterial(Mat(Rgb(1.0f, 0.3f, 0.2f), "", Rgb(0.9f, 0.2f, 0.1f)));
  AddSphere(m, Mat4(), 0.5f, 24, 12, hull);
  AddLathe(m, TowardNose(0, 0, -0.42f), {0.22f, 0.0f}, {0.0f, 0.05f}, 8, eye);
  for (float x : {-1.0f, 1.0f}) {
    AddCylinder(m, RotateZ(x > 0 ? -kPi / 2 : kPi / 2) * Translate(0, 0, 0), 0.14f, 0.1f, 0.95f, 12, hull);
    std::vector<float> hex;
    for (int k = 0; k < 6; ++k) {
      hex.push_back(1.25f * std::cos(k * kPi / 3));
      hex.push_back(1.25f * std::sin(k * kPi / 3));
    }
    AddPrism(m, RotateZ(kPi / 2) * Translate(x, 0, 0), hex, 0.08f, panel);
  }
  m.Finalize();
  return m;
}

Mesh BuildStarSail() {
  Mesh m;
  int hull = m.AddMaterial(Mat(Rgb(0.9f, 0.85f, 0.75f), "HullPlates.bmp"));
  int sail = m.AddMaterial(Mat({1.0f, 0.75f, 0.35f, 0.55f}, "", Rgb(0.25f, 0.15f, 0.05f), 0.6f, 20));
  int glow = m.AddMaterial(Mat(Rgb(1.0f, 0.9f, 0.5f), "", Rgb(1.0f, 0.85f, 0.4f)));
  AddLathe(m, TowardNose(0, 0, 1.3f), {0.1f, 0.22f, 0.2f, 0.0f}, {0.0f, 0.4f, 2.0f, 2.6f}, 20, hull);
  AddCylinder(m, Translate(0, 0.1f, -0.1f), 0.04f, 0.03f, 1.9f, 8, hull);
  AddCylinder(m, RotateZ(-kPi / 2) * Translate(-1.1f, 1.3f, -0.1f), 0.025f, 0.025f, 2.2f, 8, hull);
  AddPrism(m, RotateX(kPi / 2) * RotateY(kPi / 2) * Translate(0, 1.0f, -0.05f),
           {-1.1f, -0.7f, 1.1f, -0.7f, 0.9f, 0.85f, -0.9f, 0.85f}, 0.02f, sail);
  AddSphere(m, Translate(0, 2.05f, -0.1f), 0.08f, 10, 6, glow);
  AddLathe(m, TowardTail(0, 0, 1.3f), {0.09f, 0.0f}, {0.0f, 0.02f}, 12, glow);
  m.Finalize();
  return m;
}

Mesh BuildHelicopter() {
  Mesh m;
  int body = m.AddMaterial(Mat(Rgb(0.9f, 0.75f, 0.15f), "HullPlates.bmp"));
  int glass = m.AddMaterial(Mat(Rgb(0.2f, 0.35f, 0.45f), "", Rgb(0.03f, 0.08f, 0.1f), 1.0f, 60));
  int dark = m.AddMaterial(Mat(Rgb(0.2f, 0.2f, 0.22f), "", Rgb(0, 0, 0), 0.4f, 20));
  AddSphere(m, Scale(0.8f, 0.75f, 1.25f), 0.6f, 24, 12, body);
  AddSphere(m, Scale(0.7f, 0.6f, 0.8f) * Translate(0, 0.12f, -0.45f), 0.45f, 16, 10, glass);
  AddCylinder(m, TowardTail(0, 0.1f, 0.5f), 0.18f, 0.07f, 1.6f, 12, body);
  AddPrism(m, RotateZ(kPi / 2) * Translate(0.0f, 0.35f, 2.0f), {0.0f, 0.25f, -0.45f, 0.1f, 0.0f, -0.25f},
           0.04f, body);
  AddCylinder(m, Translate(0, 0.4f, 0), 0.06f, 0.05f, 0.25f, 8, dark);
  for (int k = 0; k < 4; ++k)
    AddBox(m, Translate(0.85f, 0.67f, 0) * RotateY(k * kPi / 2 + 0.3f), 0.85f, 0.015f, 0.07f, dark);
  for (float x : {-0.45f, 0.45f}) {
    AddCylinder(m, TowardNose(x, -0.62f, 0.5f), 0.035f, 0.035f, 1.1f, 8, dark);
    AddBox(m, Translate(x, -0.52f, -0.1f), 0.02f, 0.12f, 0.02f, dark);
  }
  m.Finalize();
  return m;
}

ShipBuilder FindShipBuilder(const std::string& file) {
  static const struct {
    const char* file;
    ShipBuilder build;
  } kBuilders[] = {
      {"Space Station 7.x", BuildStationSeven}, {"Space Station 5.x", BuildStationFive},
      {"Spaceship 5.x", BuildGunner},           {"Spaceship 2.x", BuildDart},
      {"Shusui.x", BuildPurpleProwler},         {"Spaceship 8.x", BuildHauler},
      {"Orbiter.x", BuildRoundabout},           {"Spaceship 13.x", BuildTieX7},
      {"Star Sail.x", BuildStarSail},           {"Heli.x", BuildHelicopter},
  };
  for (const auto& b : kBuilders)
    if (file == b.file) return b.build;
  return nullptr;
}

}  // namespace gen
