// SPDX-License-Identifier: MIT
// Reads the bytes of a .x source. File paths may use Windows backslashes;
// resources come from the program's own resource table (platform/win32).
#include "xfile_source.h"

#include <dxfile_read.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#ifdef GLORBS_DXFILE_RESOURCES
#include <windows.h>
#endif

namespace dxfile {
namespace {

// Files larger than this are not .x models; refusing them keeps a bad path
// (a huge log) from eating memory.
constexpr size_t kMaxFileSize = 256u * 1024 * 1024;

HRESULT ReadFile(LPCSTR path, std::vector<uint8_t>* bytes) {
  if (!path) return DXFILEERR_BADVALUE;
  switch (ReadDataFile(path, kMaxFileSize, bytes)) {
    case ReadResult::kOk:
      return DXFILE_OK;
    case ReadResult::kCannotOpen:
      return DXFILEERR_FILENOTFOUND;
    default:
      return DXFILEERR_BADFILE;
  }
}

HRESULT ReadResource(const DXFILELOADRESOURCE* res, std::vector<uint8_t>* bytes) {
  if (!res) return DXFILEERR_BADVALUE;
#ifdef GLORBS_DXFILE_RESOURCES
  HRSRC found = FindResourceA(res->hModule, res->lpName, res->lpType);
  if (!found) return DXFILEERR_RESOURCENOTFOUND;
  HGLOBAL loaded = LoadResource(res->hModule, found);
  const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!data) return DXFILEERR_BADRESOURCE;
  bytes->assign(data, data + SizeofResource(res->hModule, found));
  return DXFILE_OK;
#else
  (void)bytes;
  return DXFILEERR_RESOURCENOTFOUND;
#endif
}

}  // namespace

ReadResult ReadDataFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes) {
  std::string unixPath(path);
  for (char& c : unixPath)
    if (c == '\\') c = '/';
  // Non-blocking, so that opening a FIFO returns at once instead of waiting
  // for a writer; reads of a regular file are not affected.
  const int fd = open(unixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ReadResult::kCannotOpen;
  struct stat info = {};
  ReadResult result = ReadResult::kReadFailed;
  if (fstat(fd, &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      result = ReadResult::kNotAFile;
    } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
      result = ReadResult::kTooLarge;
    } else {
      bytes->resize(static_cast<size_t>(info.st_size));
      size_t done = 0;
      while (done < bytes->size()) {
        const ssize_t n = read(fd, bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      if (done == bytes->size()) result = ReadResult::kOk;
    }
  }
  close(fd);
  return result;
}

HRESULT ReadSource(LPVOID source, DXFILELOADOPTIONS options, std::vector<uint8_t>* bytes) {
  switch (options & 0xF) {
    case DXFILELOAD_FROMFILE:
      return ReadFile(static_cast<LPCSTR>(source), bytes);
    case DXFILELOAD_FROMRESOURCE:
      return ReadResource(static_cast<const DXFILELOADRESOURCE*>(source), bytes);
    case DXFILELOAD_FROMMEMORY: {
      const auto* mem = static_cast<const DXFILELOADMEMORY*>(source);
      if (!mem || (!mem->lpMemory && mem->dSize)) return DXFILEERR_BADVALUE;
      const auto* p = static_cast<const uint8_t*>(mem->lpMemory);
      bytes->assign(p, p + mem->dSize);
      return DXFILE_OK;
    }
    default:  // streams and URLs are not supported
      return DXFILEERR_BADVALUE;
  }
}

}  // namespace dxfile
