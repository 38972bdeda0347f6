// SPDX-License-Identifier: MIT
// Where the game's data lives, found from the executable's own path: the
// build tree keeps Media/ beside the program, an installation keeps it under
// <prefix>/share/glorbs3d (GLORBS_BIN_TO_DATA is the path from bin to there).
#include "win32_internal.h"

#include <win32/data_directory.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#ifndef GLORBS_BIN_TO_DATA
#define GLORBS_BIN_TO_DATA "../share/glorbs3d"
#endif

namespace win32 {
namespace {

bool IsDirectory(const std::string& path) {
  struct stat st = {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExecutableFolder() {
  char buffer[PATH_MAX] = {};
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return ".";
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

}  // namespace

std::string DataDirectory() {
  std::string exe = ExecutableFolder();
  if (IsDirectory(exe + "/Media")) return exe;
  std::string installed = exe + "/" GLORBS_BIN_TO_DATA;
  char resolved[PATH_MAX] = {};
  if (::realpath(installed.c_str(), resolved)) return resolved;
  return installed;
}

}  // namespace win32

using namespace win32;

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  static int self = 0;
  if (moduleName) {
    SetLastError(ERROR_FILE_NOT_FOUND);  // no other modules are loaded
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(&self);
}

DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
  if (!fileName || size == 0) return 0;
  char buffer[PATH_MAX] = {};
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) {
    fileName[0] = '\0';
    return 0;
  }
  DWORD copied = static_cast<DWORD>(n) < size ? static_cast<DWORD>(n) : size - 1;
  std::memcpy(fileName, buffer, copied);
  fileName[copied] = '\0';
  if (copied < static_cast<DWORD>(n)) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return copied;
}
