// SPDX-License-Identifier: MIT
// The registry, files with '\' separators, code-page conversion counts and
// the small helpers.
#include <gtest/gtest.h>
#include <win32/data_directory.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include <windows.h>

namespace {

TEST(Registry, SdkKeyNamesTheDataDirectory) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\directx sdk", 0, KEY_READ, &key), ERROR_SUCCESS);
  char value[512] = {};
  DWORD size = sizeof(value), type = 0;
  ASSERT_EQ(
      RegQueryValueExA(key, GLORBS_SDK_PATH_VALUE, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(value), win32::DataDirectory());
  EXPECT_EQ(size, win32::DataDirectory().size() + 1);

  char small[4] = {'x', 'x', 'x', 'x'};
  DWORD smallSize = sizeof(small);
  EXPECT_EQ(RegQueryValueExA(key, GLORBS_SDK_PATH_VALUE, nullptr, nullptr, reinterpret_cast<LPBYTE>(small),
                             &smallSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(smallSize, size);
  EXPECT_EQ(small[0], 'x');  // untouched
  EXPECT_EQ(RegQueryValueExA(key, "No such value", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);

  HKEY missing = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nobody", 0, KEY_READ, &missing),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(0x42), "x", 0, KEY_READ, &missing), ERROR_INVALID_HANDLE);
}

TEST(Registry, ValuesCanBeWrittenAndReadBack) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\GlorbsTest\\", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  DWORD number = 42;
  ASSERT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4), ERROR_SUCCESS);
  DWORD read = 0, size = 4, type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "NUMBER", nullptr, &type, reinterpret_cast<LPBYTE>(&read), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(read, 42u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(RegDeleteValueA(key, "Number"), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

class Files : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    char pattern[] = "/tmp/glorbs-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    std::ofstream(dir + "/data.bin") << "hello";
  }
  void TearDown() override {
    std::remove((dir + "/data.bin").c_str());
    rmdir(dir.c_str());
  }
};

TEST_F(Files, BackslashesAreSeparatorsAndOnlyRegularFilesOpen) {
  std::string windowsStyle = dir + "\\data.bin";
  HANDLE f =
      CreateFileA(windowsStyle.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(f, nullptr), 5u);
  char text[8] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(f, text, sizeof(text), &got, nullptr));
  EXPECT_EQ(got, 5u);
  EXPECT_STREQ(text, "hello");
  EXPECT_TRUE(CloseHandle(f));
  EXPECT_FALSE(CloseHandle(f));

  EXPECT_EQ(CreateFileA(dir.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  std::string missing = dir + "\\none.bin";
  EXPECT_EQ(CreateFileA(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  std::string longName(5000, 'a');
  EXPECT_EQ(CreateFileA(longName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);

  char out[8];
  EXPECT_TRUE(win32::NativePath("a\\b", out, sizeof(out)));
  EXPECT_STREQ(out, "a/b");
  EXPECT_FALSE(win32::NativePath("0123456789", out, sizeof(out)));
  EXPECT_STREQ(out, "");
}

TEST(CodePages, CountsIncludeTheTerminatorOnlyWhenAskedFor) {
  WCHAR wide[16] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Glorbs", -1, nullptr, 0), 7);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Glorbs", 6, nullptr, 0), 6);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Glorbs", -1, wide, 16), 7);
  EXPECT_EQ(wide[5], u's');
  EXPECT_EQ(wide[6], 0);
  // "é" is two bytes, one unit; U+1F600 is four bytes, two units.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9", 2, wide, 16), 1);
  EXPECT_EQ(wide[0], 0xE9);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, wide, 16), 2);
  EXPECT_EQ(wide[0], 0xD83D);
  EXPECT_EQ(wide[1], 0xDE00);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0,
                                "a\xFF"
                                "b",
                                3, wide, 16),
            3);
  EXPECT_EQ(wide[1], 0xFFFD);

  WCHAR small[3] = {9, 9, 9};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Glorbs", -1, small, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small[2], 9);  // never past the count

  const WCHAR smile[] = {u'x', 0xD83D, 0xDE00, 0};
  char bytes[8] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, smile, -1, nullptr, 0, nullptr, nullptr), 6);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, smile, -1, bytes, 8, nullptr, nullptr), 6);
  EXPECT_STREQ(bytes, "x\xF0\x9F\x98\x80");
  char three[3] = {'#', '#', '#'};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, smile, -1, three, 3, nullptr, nullptr), 0);
  EXPECT_EQ(three[0], 'x');  // whole characters only: the emoji did not fit
  EXPECT_EQ(three[1], '#');
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "x", -1, wide, 16), 0);
}

TEST(Helpers, CompareMulDivAndClocks) {
  EXPECT_EQ(lstrcmpiA("GlorbsClass", "glorbsclass"), 0);
  EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
  EXPECT_GT(lstrcmpiA("b", nullptr), 0);
  EXPECT_EQ(MulDiv(30, 96, 72), 40);
  EXPECT_EQ(MulDiv(-30, 96, 72), -40);
  EXPECT_EQ(MulDiv(1, 3, 2), 2);  // halves round away from zero
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  LARGE_INTEGER f = {}, a = {}, b = {};
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  EXPECT_EQ(f.QuadPart, 1000000000);
  QueryPerformanceCounter(&a);
  Sleep(2);
  QueryPerformanceCounter(&b);
  EXPECT_GE(b.QuadPart - a.QuadPart, 2000000);
  char exe[4] = {1, 1, 1, 1};
  EXPECT_EQ(GetModuleFileNameA(nullptr, exe, sizeof(exe)), 3u);
  EXPECT_EQ(exe[3], 0);
}

}  // namespace

namespace {

TEST(MessageBox, TheTextAlwaysReachesStderr) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Could not create input objects.", "Glorbs3D", MB_OK), IDOK);
  OutputDebugStringA("trace line\n");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Glorbs3D: Could not create input objects."), std::string::npos);
  EXPECT_NE(err.find("trace line\n"), std::string::npos);
}

}  // namespace
