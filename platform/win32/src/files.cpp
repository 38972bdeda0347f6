// SPDX-License-Identifier: MIT
// Files through POSIX descriptors, and the game's paths made native. Only
// regular files open, as on the original without backup semantics.
#include "win32_internal.h"

#include <win32/data_directory.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace win32 {
namespace {

struct File {
  uint32_t magic = 0x46494C30;  // "FIL0"
  int fd = -1;
};

std::unordered_set<File*>& Files() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& files = *new std::unordered_set<File*>();
  return files;
}

File* FileFromHandle(HANDLE h) {
  auto* f = static_cast<File*>(h);
  return Files().count(f) ? f : nullptr;
}

DWORD ErrorFromErrno(int e) {
  struct Row {
    int errnoValue;
    DWORD error;
  };
  static const Row kRows[] = {{ENOENT, ERROR_FILE_NOT_FOUND},    {ENOTDIR, ERROR_PATH_NOT_FOUND},
                              {EACCES, ERROR_ACCESS_DENIED},     {EPERM, ERROR_ACCESS_DENIED},
                              {EISDIR, ERROR_ACCESS_DENIED},     {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
                              {ENOMEM, ERROR_NOT_ENOUGH_MEMORY}, {EEXIST, 80 /* ERROR_FILE_EXISTS */}};
  for (const Row& r : kRows) {
    if (r.errnoValue == e) return r.error;
  }
  return ERROR_ACCESS_DENIED;
}

int OpenFlags(DWORD access, DWORD disposition) {
  int flags = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW:
      return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return flags;
    case OPEN_ALWAYS:
      return flags | O_CREAT;
    case TRUNCATE_EXISTING:
      return flags | O_TRUNC;
    default:
      return -1;
  }
}

// Reads or writes until `size` bytes have moved, the file ends (reads) or an
// error stops it; `done` gets the count either way.
BOOL Transfer(HANDLE file, void* buffer, DWORD size, LPDWORD done, bool write) {
  File* f = FileFromHandle(file);
  if (done) *done = 0;
  if (!f || (!buffer && size)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD total = 0;
  while (total < size) {
    char* at = static_cast<char*>(buffer) + total;
    ssize_t n = write ? ::write(f->fd, at, size - total) : ::read(f->fd, at, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n == 0 && write)) {
      SetLastError(ErrorFromErrno(errno));
      if (done) *done = total;
      return FALSE;
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (done) *done = total;
  return TRUE;
}

}  // namespace

std::string NativePath(const char* path) {
  std::string out = path ? path : "";
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool NativePath(const char* path, char* out, size_t size) {
  if (!out || size == 0) return false;
  out[0] = '\0';
  size_t n = path ? std::strlen(path) : 0;
  if (n >= size) return false;
  for (size_t i = 0; i <= n; ++i) out[i] = path[i] == '\\' ? '/' : path[i];
  return true;
}

}  // namespace win32

using namespace win32;

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  int flags = OpenFlags(access, disposition);
  if (!fileName || !*fileName || flags < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = NativePath(fileName);
  if (path.size() >= PATH_MAX) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  struct stat st = {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  auto* f = new File();
  f->fd = fd;
  Files().insert(f);
  SetLastError(ERROR_SUCCESS);
  return f;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED) {
  return Transfer(file, buffer, bytesToRead, bytesRead, false);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED) {
  return Transfer(file, const_cast<void*>(buffer), bytesToWrite, bytesWritten, true);
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  File* f = FileFromHandle(file);
  struct stat st = {};
  if (!f || ::fstat(f->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  uint64_t size = static_cast<uint64_t>(st.st_size);
  if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
}

BOOL CloseHandle(HANDLE object) {
  File* f = FileFromHandle(object);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ::close(f->fd);
  Files().erase(f);
  delete f;
  return TRUE;
}
