// SPDX-License-Identifier: MIT
// The loader: makes wave segments from memory or from files, finds files
// in its search directories, and caches what it loaded from files by path
// until it is told to let go. Scripts, styles and chord maps are not made.
#include <dmusici.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"
#include "dm_loader.h"
#include "dm_objects.h"

namespace dmusic {
namespace {

std::string Narrow(const WCHAR* wide) {
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
  text.resize(static_cast<size_t>(size - 1));
  return text;
}

bool IsDirectory(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  struct stat st = {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsAbsolute(const std::string& path) {
  return !path.empty() && (path[0] == '/' || path[0] == '\\');
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE;
  if (ok) {
    bytes->resize(size);
    DWORD got = 0;
    ok = ReadFile(file, bytes->data(), size, &got, nullptr) && got == size;
  }
  CloseHandle(file);
  return ok;
}

// The object's identity, whichever of its interfaces a caller holds.
const void* Identity(IUnknown* object) {
  return dynamic_cast<const void*>(object);
}

}  // namespace

class Loader : public ComObject<IDirectMusicLoader8> {
 public:
  ~Loader() override { ClearCache(GUID_DirectMusicAllTypes); }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirectMusicLoader8});
  }

  STDMETHODIMP GetObject(LPDMUS_OBJECTDESC desc, REFIID riid, LPVOID* object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!desc) return E_POINTER;
    if (desc->dwSize != sizeof(DMUS_OBJECTDESC)) return E_INVALIDARG;
    if (!(desc->dwValidData & DMUS_OBJ_CLASS)) return DMUS_E_LOADER_NOCLASSID;
    if (desc->dwValidData & DMUS_OBJ_MEMORY) {
      if (!desc->pbMemData) return E_POINTER;
      if (desc->llMemLength < 0) return E_INVALIDARG;
      return Make(desc->guidClass, riid, desc->pbMemData, static_cast<size_t>(desc->llMemLength),
                  "memory data", object);
    }
    if (desc->dwValidData & DMUS_OBJ_FILENAME) {
      WCHAR name[DMUS_MAX_FILENAME] = {};
      std::copy(desc->wszFileName, desc->wszFileName + DMUS_MAX_FILENAME - 1, name);
      return LoadFile(desc->guidClass, riid, Narrow(name), (desc->dwValidData & DMUS_OBJ_FULLPATH) != 0,
                      object);
    }
    if (desc->dwValidData & DMUS_OBJ_STREAM) {
      Unsupported("loading from a stream");
      return E_NOTIMPL;
    }
    return DMUS_E_LOADER_NOFILENAME;
  }

  STDMETHODIMP SetSearchDirectory(REFGUID classId, WCHAR* path, BOOL clear) override {
    if (!path) return E_POINTER;
    std::string dir = Narrow(path);
    if (!IsDirectory(dir)) return DMUS_E_LOADER_BADPATH;
    if (clear) ClearCache(classId);
    if (classId == GUID_DirectMusicAllTypes) searchDirs_.clear();
    searchDirs_.erase(std::remove_if(searchDirs_.begin(), searchDirs_.end(),
                                     [&](const SearchDir& d) { return d.classId == classId; }),
                      searchDirs_.end());
    searchDirs_.push_back({classId, std::move(dir)});
    return S_OK;
  }

  STDMETHODIMP ClearCache(REFGUID classId) override {
    const bool all = classId == GUID_DirectMusicAllTypes;
    for (auto it = cache_.begin(); it != cache_.end();) {
      if (all || it->classId == classId) {
        it->object->Release();
        it = cache_.erase(it);
      } else {
        ++it;
      }
    }
    return S_OK;
  }

  STDMETHODIMP ReleaseObjectByUnknown(IUnknown* object) override {
    if (!object) return E_POINTER;
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
      if (Identity(it->object) == Identity(object)) {
        it->object->Release();
        cache_.erase(it);
        return S_OK;
      }
    }
    return S_FALSE;
  }

  STDMETHODIMP_(void) CollectGarbage() override {
    // An object whose only reference is the cache's goes.
    for (auto it = cache_.begin(); it != cache_.end();) {
      it->object->AddRef();
      if (it->object->Release() == 1) {
        it->object->Release();
        it = cache_.erase(it);
      } else {
        ++it;
      }
    }
  }

  STDMETHODIMP LoadObjectFromFile(REFGUID classId, REFIID riid, WCHAR* filePath, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!filePath) return E_POINTER;
    const std::string path = Narrow(filePath);
    return LoadFile(classId, riid, path, IsAbsolute(path), object);
  }

 private:
  struct SearchDir {
    GUID classId;
    std::string path;
  };
  struct CacheEntry {
    GUID classId;
    std::string path;
    IUnknown* object;  // the cache's reference
  };

  std::string Resolve(REFGUID classId, const std::string& name, bool fullPath) const {
    if (fullPath || IsAbsolute(name)) return name;
    const SearchDir* dir = nullptr;
    for (const SearchDir& d : searchDirs_) {
      if (d.classId == classId || (!dir && d.classId == GUID_DirectMusicAllTypes)) dir = &d;
    }
    if (!dir) return name;
    const char last = dir->path.back();
    return dir->path + (last == '/' || last == '\\' ? "" : "/") + name;
  }

  HRESULT LoadFile(REFGUID classId, REFIID riid, const std::string& name, bool fullPath, void** object) {
    if (name.empty()) return DMUS_E_LOADER_NOFILENAME;
    const std::string path = Resolve(classId, name, fullPath);
    for (const CacheEntry& e : cache_) {
      if (e.classId == classId && e.path == path) return e.object->QueryInterface(riid, object);
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes)) return DMUS_E_LOADER_FAILEDOPEN;
    HRESULT hr = Make(classId, riid, bytes.data(), bytes.size(), path.c_str(), object);
    if (SUCCEEDED(hr)) {
      auto* unknown = static_cast<IUnknown*>(*object);
      unknown->AddRef();
      cache_.push_back({classId, path, unknown});
    }
    return hr;
  }

  // A new object of the class from the bytes; `what` names them in notes.
  static HRESULT Make(REFGUID classId, REFIID riid, const uint8_t* bytes, size_t size, const char* what,
                      void** object) {
    if (classId != CLSID_DirectMusicSegment) {
      Unsupported("making scripts, styles or chord maps");
      return DMUS_E_LOADER_FAILEDCREATE;
    }
    WaveData wave;
    const char* why = "";
    HRESULT hr = ParseWave(bytes, size, &wave, &why);
    if (FAILED(hr)) {
      Diagnose(DIAG_BAD_WAV, std::string(what) + " is not a usable WAV file: " + why);
      return hr;
    }
    auto* segment = new Segment(std::move(wave));
    hr = segment->QueryInterface(riid, object);
    segment->Release();
    return hr;
  }

  std::vector<SearchDir> searchDirs_;
  std::vector<CacheEntry> cache_;
};

HRESULT CreateLoader(REFIID riid, void** object) {
  auto* loader = new Loader();
  HRESULT hr = loader->QueryInterface(riid, object);
  loader->Release();
  return hr;
}

HRESULT CreatePerformance(REFIID riid, void** object) {
  auto* performance = new Performance();
  HRESULT hr = performance->QueryInterface(riid, object);
  performance->Release();
  return hr;
}

}  // namespace dmusic
