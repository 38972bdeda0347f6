// SPDX-License-Identifier: MIT
// The line that names a data file the game cannot use: every folder the
// lookup searched when the file is nowhere, the full path when it is found
// but its load failed.
#include <gtest/gtest.h>
#include <win32/data_directory.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "common/src/media_files.h"

namespace {

void SetMediaValue(const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, GLORBS_SDK_KEY, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegSetValueExA(key, GLORBS_SDK_PATH_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

class MediaProblem : public ::testing::Test {
 protected:
  std::string root, oldCwd;
  void SetUp() override {
    char pattern[] = "/tmp/glorbs-problem-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    mkdir((root + "/work").c_str(), 0755);
    mkdir((root + "/data").c_str(), 0755);
    mkdir((root + "/data/Media").c_str(), 0755);
    std::ofstream(root + "/data/Media/Found.bmp") << "BM";
    char cwd[4096] = {};
    oldCwd = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    ASSERT_EQ(chdir((root + "/work").c_str()), 0);
    SetMediaValue(root + "/data");
  }
  void TearDown() override {
    SetMediaValue(win32::DataDirectory());
    if (chdir(oldCwd.c_str()) != 0) ADD_FAILURE();
    std::remove((root + "/data/Media/Found.bmp").c_str());
    for (const char* d : {"/data/Media", "/data", "/work", ""}) rmdir((root + d).c_str());
  }
};

TEST_F(MediaProblem, AMissingFileNamesTheWorkingDirectoryAndTheMediaDirectory) {
  EXPECT_EQ(DescribeMediaFileProblem("Glorbs1.bmp"),
            "Glorbs1.bmp not found; searched " + root + "/work, " + root + "/data/Media");
  // A name with a folder of its own (as models name their textures, with
  // '\') is searched below both places, shown with '/'.
  EXPECT_EQ(DescribeMediaFileProblem("tex\\Hull.bmp"),
            "tex\\Hull.bmp not found; searched " + root + "/work/tex, " + root + "/data/Media/tex");
}

TEST_F(MediaProblem, WithoutAMediaDirectoryTheOneFolderSearchedIsNamedOnce) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, GLORBS_SDK_KEY, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, GLORBS_SDK_PATH_VALUE);
  RegCloseKey(key);
  EXPECT_EQ(DescribeMediaFileProblem("SeaFloor.x"), "SeaFloor.x not found; searched " + root + "/work");
}

TEST_F(MediaProblem, AFoundFileThatFailedToLoadIsNamedByItsFullPath) {
  EXPECT_EQ(DescribeMediaFileProblem("Found.bmp"), root + "/data/Media/Found.bmp is damaged or unreadable");
}

TEST_F(MediaProblem, NoNameIsSaidPlainly) {
  EXPECT_EQ(DescribeMediaFileProblem(nullptr), "no file name given");
}

}  // namespace
