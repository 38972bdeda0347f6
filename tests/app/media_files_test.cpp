// SPDX-License-Identifier: MIT
// Media lookup (working directory first, media directory second, neither,
// names and directories too long for the buffers), text conversion counts,
// typed registry values and the bounded trace routines.
#include <gtest/gtest.h>
#include <win32/data_directory.h>
#include <win32/debug_output.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/registry_values.h"
#include "app/trace.h"
#include "common/src/media_files.h"
#include "win32/debug_capture.h"

namespace {

void SetMediaValue(const std::string* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, GLORBS_SDK_KEY, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  if (value)
    RegSetValueExA(key, GLORBS_SDK_PATH_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   static_cast<DWORD>(value->size() + 1));
  else
    RegDeleteValueA(key, GLORBS_SDK_PATH_VALUE);
  RegCloseKey(key);
}

class MediaFiles : public ::testing::Test {
 protected:
  std::string root, work, sdk, oldCwd;
  void SetUp() override {
    char pattern[] = "/tmp/glorbs-media-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    work = root + "/work";
    sdk = root + "/sdk";
    mkdir(work.c_str(), 0755);
    mkdir(sdk.c_str(), 0755);
    mkdir((sdk + "/Media").c_str(), 0755);
    Write(work + "/Both.bmp");
    Write(sdk + "/Media/Both.bmp");
    Write(sdk + "/Media/OnlyMedia.x");
    mkdir((work + "/Folder.bmp").c_str(), 0755);
    char cwd[4096] = {};
    oldCwd = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    ASSERT_EQ(chdir(work.c_str()), 0);
    SetMediaValue(&sdk);
  }
  void TearDown() override {
    std::string original = win32::DataDirectory();
    SetMediaValue(&original);
    if (chdir(oldCwd.c_str()) != 0) ADD_FAILURE();
    for (const char* f : {"/work/Both.bmp", "/sdk/Media/Both.bmp", "/sdk/Media/OnlyMedia.x"})
      std::remove((root + f).c_str());
    for (const char* d : {"/work/Folder.bmp", "/work", "/sdk/Media", "/sdk", ""}) rmdir((root + d).c_str());
  }
  static void Write(const std::string& path) { std::ofstream(path) << "data"; }
};

TEST_F(MediaFiles, MediaDirectoryEndsInMedia) {
  EXPECT_EQ(std::string(GetMediaDirectory()), sdk + "\\Media\\");
  SetMediaValue(nullptr);
  EXPECT_STREQ(GetMediaDirectory(), "");
}

TEST_F(MediaFiles, WorkingDirectoryFirstThenMediaDirectoryThenNeither) {
  char path[MAX_PATH] = {};
  EXPECT_EQ(LocateMediaFile(path, "Both.bmp"), S_OK);
  EXPECT_STREQ(path, "Both.bmp");
  EXPECT_EQ(LocateMediaFile(path, "OnlyMedia.x"), S_OK);
  EXPECT_EQ(std::string(path), sdk + "\\Media\\OnlyMedia.x");
  EXPECT_EQ(LocateMediaFile(path, "Nowhere.x"), E_FAIL);
  EXPECT_STREQ(path, "Nowhere.x");
  EXPECT_EQ(LocateMediaFile(path, "Folder.bmp"), E_FAIL);  // a directory is not a data file
  EXPECT_EQ(LocateMediaFile(nullptr, "Both.bmp"), E_INVALIDARG);
  EXPECT_EQ(LocateMediaFile(path, nullptr), E_INVALIDARG);
  SetMediaValue(nullptr);
  EXPECT_EQ(LocateMediaFile(path, "OnlyMedia.x"), E_FAIL);
}

TEST_F(MediaFiles, NamesAndDirectoriesTooLongForTheBuffersNeverOverrun) {
  char buffer[2 * MAX_PATH];
  std::memset(buffer, '#', sizeof(buffer));
  std::string longName(400, 'n');
  EXPECT_EQ(LocateMediaFile(buffer, longName.c_str()), E_FAIL);
  EXPECT_EQ(std::strlen(buffer), static_cast<size_t>(MAX_PATH - 1));
  EXPECT_EQ(buffer[MAX_PATH], '#');

  std::string deep = "/" + std::string(255, 'd');  // fits 260 alone, not with "\Media\"
  SetMediaValue(&deep);
  EXPECT_STREQ(GetMediaDirectory(), "");
  std::string tooLong(300, 'x');
  SetMediaValue(&tooLong);
  EXPECT_STREQ(GetMediaDirectory(), "");

  std::string nearly = sdk + std::string(200, '/');  // valid with "\Media\", too long with the name
  SetMediaValue(&nearly);
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(LocateMediaFile(buffer, "OnlyMedia.x_with_a_name_long_enough_to_overflow_the_path"), E_FAIL);
  EXPECT_STREQ(buffer, "OnlyMedia.x_with_a_name_long_enough_to_overflow_the_path");
  EXPECT_EQ(buffer[MAX_PATH], '#');
}

TEST(RegistryValues, ReadsFallBackToDefaultsAndWritesRoundTrip) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Glorbs3D Values", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD number = 0;
  BOOL flag = FALSE;
  GUID guid = {};
  const GUID fallback = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  char text[8];
  RegReadInt(key, "Missing", &number, 17);
  EXPECT_EQ(number, 17u);
  RegReadBool(key, "Missing", &flag, TRUE);
  EXPECT_TRUE(flag);
  RegReadGuid(key, "Missing", &guid, fallback);
  EXPECT_EQ(guid, fallback);
  RegReadString(key, "Missing", text, sizeof(text), "a default far too long");
  EXPECT_STREQ(text, "a defau");

  EXPECT_EQ(RegWriteInt(key, "Number", 42), S_OK);
  EXPECT_EQ(RegWriteBool(key, "Flag", FALSE), S_OK);
  EXPECT_EQ(RegWriteGuid(key, "Guid", fallback), S_OK);
  EXPECT_EQ(RegWriteString(key, "Text", "short"), S_OK);
  RegReadInt(key, "Number", &number, 0);
  EXPECT_EQ(number, 42u);
  RegReadBool(key, "Flag", &flag, TRUE);
  EXPECT_FALSE(flag);
  RegReadGuid(key, "Guid", &guid, GUID_NULL);
  EXPECT_EQ(guid, fallback);
  RegReadString(key, "Text", text, sizeof(text), "");
  EXPECT_STREQ(text, "short");
  RegReadInt(key, "Text", &number, 5);  // six bytes are not a number
  EXPECT_EQ(number, 5u);
  RegWriteString(key, "Long", "longer than eight");
  RegReadString(key, "Long", text, sizeof(text), "dflt");
  EXPECT_STREQ(text, "dflt");
  EXPECT_EQ(RegWriteInt(reinterpret_cast<HKEY>(0x99), "x", 1), E_FAIL);
  RegCloseKey(key);
}

TEST(Trace, ErrorLinesCarryLocationAndCodeWithinTheirBuffers) {
  {
    DebugCapture c;
    EXPECT_EQ(TraceError("dmutil.cpp", 12, E_FAIL, "no segment"), E_FAIL);
    EXPECT_EQ(c.text, "dmutil.cpp(12): no segment(hr=80004005)\n\n");
  }
  {
    DebugCapture c;
    TraceError("a.cpp", 3, S_OK, "fine");
    EXPECT_EQ(c.text, "a.cpp(3): fine\n");
  }
  {
    DebugCapture c;
    std::string longFile(1000, 'f');
    TraceError(longFile.c_str(), 1, S_OK, "m");
    EXPECT_EQ(c.text, std::string(255, 'f') + "m\n");
  }
  {
    DebugCapture c;
    std::string longText(1000, 't');
    TraceFormat("%s-%d", longText.c_str(), 5);
    EXPECT_EQ(c.text, std::string(511, 't'));
  }
}

}  // namespace
