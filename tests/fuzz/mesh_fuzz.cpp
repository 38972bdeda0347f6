// SPDX-License-Identifier: MIT
// Fuzz target: the mesh walk from parsed data (materials, normals,
// transforms, meshes) and texture creation on the test device. The input is
// a .x file, optionally followed by "\n@@image", one byte that picks the
// device (its texture formats and largest texture) and the bytes of an
// image file, from which the textures the materials name are made. The
// mesh then goes the way of the game's models: cloned to the model vertex
// format, normals recomputed, bounded, cloned to the device and drawn.
#include <d3dx8.h>
#include <rmxftmpl.h>
#include <unistd.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dxsupport/fake_device.h"
#include "xof_mesh_builder.h"

// The target carries no window layer; the library's diagnostics go nowhere.
void OutputDebugStringA(LPCSTR) {}

namespace {

constexpr char kImageMarker[] = "\n@@image";
constexpr DWORD kModelFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD kMaxTexturedMaterials = 4;  // each texture may be 2048 x 2048
constexpr DWORD kMaxDrawnSubsets = 64;

// The image lives in a file, as model textures do; tmpfs keeps it quick.
const std::string& ImagePath() {
  static const std::string path = [] {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/glorbs_mesh_fuzz_" + std::to_string(getpid()) + ".img";
  }();
  return path;
}

bool WriteImage(const uint8_t* bytes, size_t size) {
  FILE* f = std::fopen(ImagePath().c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Device choices: which formats it makes, and its largest texture.
void ConfigureDevice(uint8_t choice, dxtest::FakeDevice* device) {
  static const std::vector<D3DFORMAT> kFormatSets[] = {
      {},  // any format; the device cannot be asked
      {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
       D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4},  // the game's device
      {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5},
      {D3DFMT_L8},  // nothing the texture writer takes but grey
  };
  static const UINT kMaxSizes[] = {2048, 256, 16, 1};
  device->d3d->textureFormats = kFormatSets[choice & 3];
  device->maxTextureSize = kMaxSizes[(choice >> 2) & 3];
}

void MakeTextures(IDirect3DDevice8* device, ID3DXBuffer* materials, DWORD count, bool haveImage) {
  const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  DWORD textured = 0;
  for (DWORD i = 0; i < count; ++i) {
    volatile float power = records[i].MatD3D.Power;
    (void)power;
    const char* name = records[i].pTextureFilename;
    if (!name || !*name || textured++ >= kMaxTexturedMaterials) continue;
    volatile size_t length = std::strlen(name);
    (void)length;
    // The name itself is never opened: a fuzzed path could be anything.
    const std::string path = haveImage ? ImagePath() : ImagePath() + ".absent";
    IDirect3DTexture8* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileA(device, path.c_str(), &texture))) texture->Release();
  }
}

// What the game does with a loaded model.
void UseMesh(IDirect3DDevice8* device, ID3DXMesh* mesh, DWORD materialCount) {
  ID3DXMesh* model = nullptr;
  if (FAILED(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kModelFvf, device, &model))) return;
  D3DXComputeNormals(model);
  BYTE* vertices = nullptr;
  if (SUCCEEDED(model->LockVertexBuffer(D3DLOCK_READONLY, &vertices))) {
    D3DXVECTOR3 centre;
    float radius = 0;
    D3DXComputeBoundingSphere(vertices, model->GetNumVertices(), kModelFvf, &centre, &radius);
    model->UnlockVertexBuffer();
  }
  ID3DXMesh* drawable = nullptr;
  if (SUCCEEDED(model->CloneMeshFVF(0, model->GetFVF(), device, &drawable))) {
    for (DWORD i = 0; i < materialCount && i < kMaxDrawnSubsets; ++i) drawable->DrawSubset(i);
    drawable->Release();
  }
  model->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const uint8_t* end = bytes + size;
  const uint8_t* marker =
      static_cast<const uint8_t*>(memmem(bytes, size, kImageMarker, sizeof kImageMarker - 1));
  const size_t xSize = marker ? static_cast<size_t>(marker - bytes) : size;
  const uint8_t* image = marker ? marker + sizeof kImageMarker - 1 : end;
  auto* device = new dxtest::FakeDevice();
  if (image < end) ConfigureDevice(*image++, device);
  const bool haveImage = marker && WriteImage(image, static_cast<size_t>(end - image));

  IDirectXFile* file = nullptr;
  if (SUCCEEDED(DirectXFileCreate(&file))) {
    file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
    DXFILELOADMEMORY memory = {const_cast<uint8_t*>(bytes), static_cast<DWORD>(xSize)};
    IDirectXFileEnumObject* objects = nullptr;
    if (SUCCEEDED(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &objects))) {
      ID3DXBuffer* materials = nullptr;
      DWORD count = 0;
      ID3DXMesh* mesh = nullptr;
      if (SUCCEEDED(dxsupport::LoadMeshFromObjects(objects, D3DXMESH_SYSTEMMEM, device, &materials, &count,
                                                   &mesh))) {
        MakeTextures(device, materials, count, haveImage);
        UseMesh(device, mesh, count);
        mesh->Release();
        materials->Release();
      }
      objects->Release();
    }
    file->Release();
  }
  device->Release();
  return 0;
}
