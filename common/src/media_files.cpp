// SPDX-License-Identifier: MIT
// Media lookup through the registry value of the SDK key and CreateFileA
// (which takes '\' as a separator). No buffer is written past MAX_PATH.
#include "common/src/media_files.h"

#include <win32/data_directory.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Copies `text` into `out` of `size` bytes, cut and terminated when it does
// not fit; true when it fitted whole.
bool CopyBounded(char* out, size_t size, const char* text) {
  size_t length = std::strlen(text);
  size_t copied = length < size ? length : size - 1;
  std::memcpy(out, text, copied);
  out[copied] = '\0';
  return copied == length;
}

bool CanOpen(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

const char* GetMediaDirectory() {
  static char directory[MAX_PATH];
  static const char kMedia[] = "\\Media\\";
  directory[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, GLORBS_SDK_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return directory;
  DWORD size = sizeof(directory);
  LSTATUS result = RegQueryValueExA(key, GLORBS_SDK_PATH_VALUE, nullptr, nullptr,
                                    reinterpret_cast<LPBYTE>(directory), &size);
  RegCloseKey(key);
  // A stored string need not carry its terminator; one must fit behind it.
  bool terminated = result == ERROR_SUCCESS && size > 0 && directory[size - 1] == '\0';
  if (result != ERROR_SUCCESS || (!terminated && size >= sizeof(directory))) {
    directory[0] = '\0';
    return directory;
  }
  if (!terminated) directory[size] = '\0';
  size_t length = std::strlen(directory);
  if (length + sizeof(kMedia) > sizeof(directory)) {
    OutputDebugStringA("Glorbs: the media directory is too long and is not used\n");
    directory[0] = '\0';
    return directory;
  }
  std::memcpy(directory + length, kMedia, sizeof(kMedia));
  return directory;
}

HRESULT LocateMediaFile(char* path, const char* fileName) {
  if (!path || !fileName) return E_INVALIDARG;
  if (CopyBounded(path, MAX_PATH, fileName) && CanOpen(path)) return S_OK;
  int length = std::snprintf(path, MAX_PATH, "%s%s", GetMediaDirectory(), fileName);
  if (length >= 0 && length < MAX_PATH && CanOpen(path)) return S_OK;
  CopyBounded(path, MAX_PATH, fileName);
  return E_FAIL;
}

namespace {

// The folder a lookup of `path` searched, absolute where the working
// directory is known: a relative name is tried against the working directory.
std::string SearchedFolder(const std::string& path) {
  std::string folder;
  size_t slash = path.rfind('/');
  if (slash != std::string::npos) folder = slash == 0 ? "/" : path.substr(0, slash);
  if (!folder.empty() && folder[0] == '/') return folder;
  char cwd[4096] = {};
  std::string base = ::getcwd(cwd, sizeof(cwd)) ? cwd : ".";
  if (folder.empty()) return base;
  return base == "/" ? "/" + folder : base + "/" + folder;
}

}  // namespace

std::string DescribeMediaFileProblem(const char* fileName) {
  if (!fileName) return "no file name given";
  char path[MAX_PATH] = {};
  if (SUCCEEDED(LocateMediaFile(path, fileName))) {
    return win32::NativePath(path) + " is damaged or unreadable";
  }
  // The same two places LocateMediaFile tries, in its order.
  std::string line = std::string(fileName) + " not found; searched ";
  std::string first = SearchedFolder(win32::NativePath(fileName));
  line += first;
  std::string second =
      SearchedFolder(win32::NativePath((std::string(GetMediaDirectory()) + fileName).c_str()));
  if (second != first) line += ", " + second;
  return line;
}

void ReportMediaFileProblem(const char* fileName) {
  std::fprintf(stderr, "glorbs3d: %s\n", DescribeMediaFileProblem(fileName).c_str());
  std::fflush(stderr);
}
