// SPDX-License-Identifier: MIT
// Shared helpers of the parser tests: open a .x image from memory with the
// standard templates registered, read files, walk objects.
#pragma once

#include <dxfile.h>
#include <rmxftmpl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace xtest {

inline std::string ReadTestFile(const std::string& name) {
  std::ifstream in(std::string(DXFILE_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Parses `bytes`; returns the enumeration (or null) and the result.
inline HRESULT OpenX(const void* bytes, size_t size, IDirectXFileEnumObject** out,
                     bool registerStandard = true) {
  *out = nullptr;
  IDirectXFile* file = nullptr;
  HRESULT hr = DirectXFileCreate(&file);
  if (FAILED(hr)) return hr;
  if (registerStandard) hr = file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
  if (SUCCEEDED(hr)) {
    DXFILELOADMEMORY mem = {const_cast<void*>(bytes), static_cast<DWORD>(size)};
    hr = file->CreateEnumObject(&mem, DXFILELOAD_FROMMEMORY, out);
  }
  file->Release();
  return hr;
}

inline HRESULT OpenX(const std::string& text, IDirectXFileEnumObject** out) {
  return OpenX(text.data(), text.size(), out);
}
inline HRESULT OpenX(const std::vector<uint8_t>& bytes, IDirectXFileEnumObject** out) {
  return OpenX(bytes.data(), bytes.size(), out);
}

inline std::string NameOf(IDirectXFileObject* o) {
  char name[512] = "";
  DWORD size = sizeof name;
  o->GetName(name, &size);
  return name;
}

}  // namespace xtest
