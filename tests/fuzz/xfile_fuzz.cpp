// SPDX-License-Identifier: MIT
// Fuzz target: any bytes as a .x file, with the standard templates
// registered; every object the parse yields is walked and read.
#include <dxfile.h>
#include <rmxftmpl.h>

#include <cstddef>
#include <cstdint>

namespace {

void Walk(IDirectXFileData* data, int depth) {
  DWORD size = 0;
  void* bytes = nullptr;
  const GUID* type = nullptr;
  char name[512];
  DWORD nameSize = sizeof name;
  data->GetName(name, &nameSize);
  data->GetType(&type);
  if (SUCCEEDED(data->GetData(nullptr, &size, &bytes)) && size) {
    volatile uint8_t sink = static_cast<uint8_t*>(bytes)[size - 1];
    (void)sink;
  }
  IDirectXFileObject* child = nullptr;
  while (SUCCEEDED(data->GetNextObject(&child))) {
    IDirectXFileData* childData = nullptr;
    IDirectXFileDataReference* ref = nullptr;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&childData)))) {
      Walk(childData, depth + 1);
      childData->Release();
    } else if (SUCCEEDED(
                   child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(&ref)))) {
      IDirectXFileData* target = nullptr;
      if (SUCCEEDED(ref->Resolve(&target))) target->Release();  // not walked: references may loop
      ref->Release();
    }
    child->Release();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  IDirectXFile* file = nullptr;
  if (FAILED(DirectXFileCreate(&file))) return 0;
  file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
  DXFILELOADMEMORY mem = {const_cast<uint8_t*>(bytes), static_cast<DWORD>(size)};
  IDirectXFileEnumObject* objects = nullptr;
  if (SUCCEEDED(file->CreateEnumObject(&mem, DXFILELOAD_FROMMEMORY, &objects))) {
    IDirectXFileData* data = nullptr;
    while (SUCCEEDED(objects->GetNextDataObject(&data))) {
      Walk(data, 0);
      data->Release();
    }
    objects->Release();
  }
  file->Release();
  return 0;
}
