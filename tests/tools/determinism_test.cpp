// SPDX-License-Identifier: MIT
// Every generator run again into a fresh directory reproduces the build's
// files byte for byte (fixed seeds, no clock, locale-free number printing),
// and the review tool renders its pictures from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lib/image.h"
#include "lib/ship_types.h"
#include "tools/asset_paths.h"

namespace {

std::vector<char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FreshDir(const std::string& name) {
  std::string dir = ::testing::TempDir() + "/glorbs_regen_" + name;
  std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  return dir;
}

int RunTool(const std::string& tool, const std::string& args) {
  return std::system(("'" + tool + "' " + args).c_str());
}

void ExpectSameFiles(const std::string& dir, const std::vector<std::string>& names, bool media) {
  for (const std::string& n : names) {
    std::vector<char> fresh = Bytes(dir + "/" + n);
    std::vector<char> built = Bytes(media ? assets::Media(n) : assets::Resource(n));
    ASSERT_FALSE(fresh.empty()) << n;
    EXPECT_TRUE(fresh == built) << n << " differs between two runs";
  }
}

TEST(Determinism, SpritesAndModelsComeOutTheSameEveryRun) {
  std::string dir = FreshDir("media");
  ASSERT_EQ(RunTool(GLORBS_GEN_SPRITES, "'" + dir + "'"), 0);
  ASSERT_EQ(RunTool(GLORBS_GEN_MODELS, "'" + dir + "'"), 0);
  std::vector<std::string> names{"Glorbs1.bmp", "Glorbs2.bmp", gen::kSeaFloorModel};
  for (const gen::ShipType& t : gen::kShipTypes) names.push_back(t.file);
  names.push_back(gen::kPartModels[0]);
  for (const char* tex : gen::kModelTextures) names.push_back(tex);
  ExpectSameFiles(dir, names, true);
}

TEST(Determinism, SplashIconsAndRecordingsComeOutTheSameEveryRun) {
  std::string dir = FreshDir("resources");
  ASSERT_EQ(RunTool(GLORBS_GEN_SPLASH, "'" + dir + "'"), 0);
  ASSERT_EQ(RunTool(GLORBS_GEN_ICONS, "'" + dir + "'"), 0);
  ASSERT_EQ(RunTool(GLORBS_GEN_SOUNDS, "'" + dir + "'"), 0);
  std::vector<std::string> names{"splash.bmp", "icon.bmp"};
  for (int size : {16, 24, 32, 48, 64, 128, 256, 512})
    names.push_back("glorbs3d-" + std::to_string(size) + ".png");
  for (const char* s :
       {"BEGINLEVEL", "ENGINEIDLE", "ENGINEREV", "SHIELDBUZZ", "SHIPEXPLODE", "GUNFIRE", "SHIPBOUNCE",
        "GLORBEXPLODE", "PYRAMIDEXPLODE", "CUBEEXPLODE", "SPHEREEXPLODE", "SKIDTOSTOP"})
    names.push_back(std::string(s) + ".wav");
  ExpectSameFiles(dir, names, false);
}

TEST(Determinism, GeneratorsRefuseBadUsageAndUnwritableDirectories) {
  EXPECT_NE(RunTool(GLORBS_GEN_SOUNDS, ""), 0);
  EXPECT_NE(RunTool(GLORBS_GEN_SPRITES, "/nonexistent/dir 2>/dev/null"), 0);
  EXPECT_NE(RunTool(GLORBS_GEN_MODELS, "/nonexistent/dir 2>/dev/null"), 0);
}

TEST(Preview, RendersTheContactSheetAndTheTurntable) {
  std::string dir = FreshDir("preview");
  ASSERT_EQ(RunTool(GLORBS_GEN_PREVIEW, "'" + std::string(GLORBS_TEST_MEDIA_DIR) + "' '" + dir + "'"), 0);
  gen::Image sheet, turntable;
  ASSERT_TRUE(gen::ReadPng(dir + "/contact_sheet.png", &sheet));
  ASSERT_TRUE(gen::ReadPng(dir + "/turntable.png", &turntable));
  EXPECT_GT(sheet.Width(), 512);
  EXPECT_GT(turntable.Height(), 10 * 100) << "one row per model";
}

}  // namespace
