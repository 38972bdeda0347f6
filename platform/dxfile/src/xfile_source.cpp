// Reads the bytes of a .x source. File paths may use Windows backslashes;
// resources come from the program's own resource table (platform/win32).
#include "xfile_source.h"

#include <cstdio>
#include <string>

#ifdef GLORBS_DXFILE_RESOURCES
#include <windows.h>
#endif

namespace dxfile {
namespace {

// Files larger than this are not .x models; refusing them keeps a bad path
// (a device, a huge log) from eating memory.
constexpr long kMaxFileSize = 256L * 1024 * 1024;

HRESULT ReadFile(LPCSTR path, std::vector<uint8_t>* bytes) {
  if (!path) return DXFILEERR_BADVALUE;
  std::string unixPath(path);
  for (char& c : unixPath)
    if (c == '\\') c = '/';
  FILE* f = std::fopen(unixPath.c_str(), "rb");
  if (!f) return DXFILEERR_FILENOTFOUND;
  HRESULT hr = DXFILEERR_BADFILE;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size >= 0 && size <= kMaxFileSize && std::fseek(f, 0, SEEK_SET) == 0) {
      bytes->resize(static_cast<size_t>(size));
      if (std::fread(bytes->data(), 1, bytes->size(), f) == bytes->size()) hr = DXFILE_OK;
    }
  }
  std::fclose(f);
  return hr;
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
