// SPDX-License-Identifier: MIT
// The faces the web page finds among its bundled DejaVu files, where there
// is no fontconfig: the game's faces get the same stand-ins as on the
// desktop, weights pick the bold file, and every file named ships with the
// Debian font packages the page copies them from.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/win32/src/font_faces.h"

namespace {

std::string FileFor(const char* face, int weight) {
  return win32::BundledFontFor(face, weight).file;
}

TEST(BundledFonts, TheGamesFacesGetTheirStandIns) {
  EXPECT_EQ(FileFor("Tahoma", FW_NORMAL), "DejaVuSansCondensed.ttf");
  EXPECT_EQ(FileFor("tahoma", FW_BOLD), "DejaVuSansCondensed-Bold.ttf");
  // Impact is heavy whatever weight is asked for.
  EXPECT_EQ(FileFor("Impact", FW_NORMAL), "DejaVuSansCondensed-Bold.ttf");
  EXPECT_EQ(win32::BundledFontFor("Impact", FW_NORMAL).weight, 700);
  EXPECT_EQ(FileFor("System", FW_NORMAL), "DejaVuSans-Bold.ttf");
}

TEST(BundledFonts, OtherFacesFallBackToSansByWeight) {
  EXPECT_EQ(FileFor("Arial", FW_NORMAL), "DejaVuSans.ttf");
  EXPECT_EQ(FileFor("Arial", 600), "DejaVuSans-Bold.ttf");
  EXPECT_EQ(FileFor("", FW_NORMAL), "DejaVuSans.ttf");
  EXPECT_EQ(FileFor(nullptr, FW_NORMAL), "DejaVuSans.ttf");
  EXPECT_EQ(FileFor("DejaVu Sans Condensed", FW_NORMAL), "DejaVuSansCondensed.ttf");
  EXPECT_EQ(win32::BundledFontFor("Arial", FW_NORMAL).weight, 400);
}

TEST(BundledFonts, EveryFileNamedShipsWithTheFontPackages) {
  const char* faces[] = {"Tahoma", "Impact", "System", "Arial"};
  for (const char* face : faces)
    for (int weight : {FW_NORMAL, FW_BOLD}) {
      const std::string path = "/usr/share/fonts/truetype/dejavu/" + FileFor(face, weight);
      struct stat st = {};
      EXPECT_EQ(::stat(path.c_str(), &st), 0) << path << " (fonts-dejavu-core, fonts-dejavu-extra)";
    }
}

}  // namespace
