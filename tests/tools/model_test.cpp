// SPDX-License-Identifier: MIT
// The generated models read back with the tools' own .x reader: every file
// of the ship tables exists and parses, its faces wind outward, its normals
// are unit length, its size is sane and its textures are there; the sea bed
// is authored ten times wider than the play area it is drawn under.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "lib/image.h"
#include "lib/ship_types.h"
#include "lib/xfile.h"
#include "tools/asset_paths.h"

namespace {

using gen::Mesh;
using gen::Vec3;

std::vector<std::string> ShipAndPartFiles() {
  std::vector<std::string> files;
  for (const gen::ShipType& t : gen::kShipTypes) files.push_back(t.file);
  for (const char* p : gen::kPartModels) files.push_back(p);
  return files;
}

Mesh Load(const std::string& file) {
  Mesh m;
  std::string error;
  EXPECT_TRUE(gen::ReadXFile(assets::Media(file), &m, &error)) << file << ": " << error;
  return m;
}

// Six times the enclosed volume; positive when faces wind outward (the
// game's front faces), negative when the mesh is inside out.
double SignedVolume(const Mesh& m) {
  double v = 0;
  for (const Mesh::Face& f : m.faces)
    v += gen::Dot(m.positions[f.a], gen::Cross(m.positions[f.b], m.positions[f.c]));
  return v;
}

TEST(Models, EveryShipAndPartParsesWithOutwardFacesAndUnitNormals) {
  for (const std::string& file : ShipAndPartFiles()) {
    Mesh m = Load(file);
    ASSERT_GE(m.faces.size(), 12u) << file;
    ASSERT_FALSE(m.materials.empty()) << file;
    EXPECT_GT(SignedVolume(m), 0.0) << file << " is inside out";
    for (size_t i = 0; i < m.normals.size(); ++i)
      ASSERT_NEAR(gen::Length(m.normals[i]), 1.0f, 1e-3f) << file << " normal " << i;
    for (size_t i = 0; i < m.u.size(); ++i)
      ASSERT_TRUE(std::isfinite(m.u[i]) && std::isfinite(m.v[i])) << file;
  }
}

TEST(Models, ShipsAreSizedAndCentredSoTheGameCanScaleThemAboutTheirOrigin) {
  for (const std::string& file : ShipAndPartFiles()) {
    Mesh m = Load(file);
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const Vec3& p : m.positions) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    float radius = m.BoundingRadius();
    EXPECT_GT(radius, 0.5f) << file;
    EXPECT_LT(radius, 10.0f) << file;
    Vec3 centre = (lo + hi) * 0.5f;
    EXPECT_LT(gen::Length(centre), radius * 0.5f) << file << " sits far from its origin";
  }
}

TEST(Models, MaterialsNameTexturesThatExistAndTheShipHasATranslucentPart) {
  for (const std::string& file : ShipAndPartFiles()) {
    Mesh m = Load(file);
    for (const gen::Material& mat : m.materials) {
      EXPECT_GT(mat.diffuse.a, 0.0f) << file;
      EXPECT_LE(mat.diffuse.a, 1.0f) << file;
      if (mat.texture.empty()) continue;
      gen::Image tex;
      ASSERT_TRUE(gen::ReadBmp(assets::Media(mat.texture), &tex)) << file << " names " << mat.texture;
      EXPECT_EQ(tex.Width() & (tex.Width() - 1), 0) << mat.texture << " width is not a power of two";
      EXPECT_EQ(tex.Height() & (tex.Height() - 1), 0) << mat.texture << " height is not a power of two";
    }
  }
  // The player's ship always loads; its translucent pass must have work.
  Mesh ship = Load(gen::kShipTypes[0].file);
  int translucent = 0, opaque = 0;
  for (const gen::Material& mat : ship.materials) (mat.diffuse.a < 1.0f ? translucent : opaque)++;
  EXPECT_GT(translucent, 0);
  EXPECT_GT(opaque, 0);
}

TEST(Models, SeaFloorIsAWideTexturedBedFacingUp) {
  Mesh m = Load(gen::kSeaFloorModel);
  ASSERT_GE(m.faces.size(), 1000u);
  float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
  for (const Vec3& p : m.positions) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minZ = std::min(minZ, p.z);
    maxZ = std::max(maxZ, p.z);
  }
  // Drawn at a tenth of this, it must still reach well past the play square
  // (5 units from the centre) and the camera (7 units beyond the ship).
  EXPECT_LE(minX, -200.0f);
  EXPECT_GE(maxX, 200.0f);
  EXPECT_LE(minZ, -200.0f);
  EXPECT_GE(maxZ, 200.0f);
  for (const Vec3& n : m.normals) ASSERT_GT(n.y, 0.5f);
  for (const Mesh::Face& f : m.faces) {
    Vec3 n = gen::Cross(m.positions[f.b] - m.positions[f.a], m.positions[f.c] - m.positions[f.a]);
    ASSERT_GT(n.y, 0.0f) << "sea floor face winds downward";
  }
  ASSERT_EQ(m.materials.size(), 1u);
  EXPECT_FALSE(m.materials[0].texture.empty());
}

TEST(XFileText, WriterAndReaderAgreeOnEveryField) {
  Mesh m;
  gen::Material mat;
  mat.diffuse = {0.25f, 0.5f, 0.75f, 0.5f};
  mat.power = 12.5f;
  mat.texture = "Some Texture.bmp";
  m.AddMaterial(mat);
  m.AddMaterial(gen::Material());
  int a = m.AddVertex({0, 0, 0}, {0, 0, -1}, 0, 0), b = m.AddVertex({0, 1, 0}, {0, 0, -1}, 0, 1);
  int c = m.AddVertex({1, 0, 0}, {0, 0, -1}, 1, 0), d = m.AddVertex({1, 1, 0}, {0, 0, -1}, 1, 1);
  m.faces.push_back({a, b, c, 0});
  m.faces.push_back({c, b, d, 1});
  std::string path = ::testing::TempDir() + "/roundtrip.x";
  ASSERT_TRUE(gen::WriteXFile(path, m, "Quad"));
  Mesh r;
  std::string error;
  ASSERT_TRUE(gen::ReadXFile(path, &r, &error)) << error;
  ASSERT_EQ(r.positions.size(), 4u);
  ASSERT_EQ(r.faces.size(), 2u);
  EXPECT_EQ(r.faces[1].c, d);
  EXPECT_EQ(r.faces[1].material, 1);
  ASSERT_EQ(r.materials.size(), 2u);
  EXPECT_FLOAT_EQ(r.materials[0].diffuse.a, 0.5f);
  EXPECT_FLOAT_EQ(r.materials[0].power, 12.5f);
  EXPECT_EQ(r.materials[0].texture, "Some Texture.bmp");
  EXPECT_FLOAT_EQ(r.v[3], 1.0f);
  EXPECT_FLOAT_EQ(r.normals[2].z, -1.0f);
}

TEST(XFileText, ReaderRefusesTruncatedAndOutOfRangeInput) {
  const char* bad[] = {
      "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }",  // index past the vertices
      "xof 0302txt 0032\nMesh { 3; 0;0;0;, 1;0;0;",                          // cut short
      "xof 0302bin 0032\n",                                                  // not text
      "xof 0302txt 0032\nMesh { 99999999999; }",                             // absurd count
  };
  for (const char* text : bad) {
    std::string path = ::testing::TempDir() + "/bad.x";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    std::fclose(f);
    Mesh m;
    std::string error;
    EXPECT_FALSE(gen::ReadXFile(path, &m, &error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
