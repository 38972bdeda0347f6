// SPDX-License-Identifier: MIT
// .x meshes and frame trees: loading through the extension library and the
// .x file parser, cloning to the device, and drawing subsets in an opaque
// and a translucent pass. Media files are found with LocateMediaFile.
#include "render/xmesh.h"

#include <rmxfguid.h>
#include <rmxftmpl.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/src/media_files.h"
#include "common/src/text_convert.h"

namespace {

// Copies `text` into a name buffer, cut to fit and always terminated.
void CopyName(char* out, const char* text) {
  out[0] = '\0';
  if (!text) return;
  CopyText(out, text, static_cast<int>(kXNameSize) - 1);
  out[kXNameSize - 1] = '\0';
}

// A subset is left out of the opaque pass only when its alpha is below 1;
// an alpha that compares with nothing (NaN) is drawn by both passes.
bool IsOpaque(const D3DMATERIAL8& material) {
  return !(material.Diffuse.a < 1.0f);
}
bool IsTranslucent(const D3DMATERIAL8& material) {
  return material.Diffuse.a != 1.0f;
}

// Why a model's texture file gave no texture, from the lookup's and the
// creation's results.
const char* TextureFailure(HRESULT located, HRESULT created) {
  if (FAILED(located)) return "it is neither in the working folder nor in the media folder";
  if (created == D3DERR_NOTFOUND) return "it cannot be read";
  if (created == D3DXERR_INVALIDDATA) return "it is damaged or not a picture the game reads";
  return "the display device cannot make a texture of it";
}

// The texture a material names, or null. Every model texture is made here,
// so this is where one that cannot be used is named: one line per file and
// run on the debugger output (which also goes to stderr), and the material
// is drawn untextured.
IDirect3DTexture8* CreateMaterialTexture(IDirect3DDevice8* device, const char* fileName) {
  char textureName[MAX_PATH] = {};
  CopyText(textureName, fileName, MAX_PATH - 1);
  char path[MAX_PATH] = {};
  const HRESULT located = LocateMediaFile(path, textureName);
  IDirect3DTexture8* texture = nullptr;
  const HRESULT created = D3DXCreateTextureFromFile(device, path, &texture);
  if (SUCCEEDED(created)) return texture;
  static std::set<std::string> named;
  if (named.insert(path).second) {
    char line[MAX_PATH + 160];
    std::snprintf(line, sizeof line, "Glorbs: the model texture \"%s\" is left out: %s (hr=0x%08lx)\n", path,
                  TextureFailure(located, created), static_cast<unsigned long>(created));
    OutputDebugStringA(line);
  }
  return nullptr;
}

}  // namespace

// ------------------------------------------------------------------ XMesh

XMesh::XMesh(const char* meshName) {
  CopyName(name, meshName);
}

XMesh::~XMesh() {
  Destroy();
}

HRESULT XMesh::LoadFromFile(IDirect3DDevice8* device, const char* fileName) {
  // When the file is found nowhere the bare name stays in `path` and the
  // loader reports the failure.
  char path[MAX_PATH] = {};
  LocateMediaFile(path, fileName);
  ID3DXBuffer* materialBuffer = nullptr;
  DWORD count = 0;
  ID3DXMesh* loaded = nullptr;
  HRESULT hr = D3DXLoadMeshFromX(path, D3DXMESH_SYSTEMMEM, device, nullptr, &materialBuffer, &count, &loaded);
  if (FAILED(hr)) return hr;
  return TakeMesh(device, loaded, materialBuffer, count);
}

HRESULT XMesh::LoadFromData(IDirect3DDevice8* device, IDirectXFileData* data) {
  ID3DXBuffer* materialBuffer = nullptr;
  DWORD count = 0;
  ID3DXMesh* loaded = nullptr;
  HRESULT hr =
      D3DXLoadMeshFromXof(data, D3DXMESH_SYSTEMMEM, device, nullptr, &materialBuffer, &count, &loaded);
  if (FAILED(hr)) return hr;
  return TakeMesh(device, loaded, materialBuffer, count);
}

// Replaces what the mesh held by a successful load: the system mesh, the
// loader's material records (ambient made equal to diffuse) and the
// textures they name; then releases the material buffer.
HRESULT XMesh::TakeMesh(IDirect3DDevice8* device, ID3DXMesh* loaded, ID3DXBuffer* materialBuffer,
                        DWORD count) {
  Destroy();
  systemMesh = loaded;
  materialCount = count;
  if (materialBuffer && count > 0) {
    const auto* records = static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
    materials = new D3DMATERIAL8[count];
    textures = new IDirect3DTexture8*[count];
    for (DWORD i = 0; i < count; ++i) {
      materials[i] = records[i].MatD3D;
      materials[i].Ambient = materials[i].Diffuse;
      textures[i] = nullptr;
      if (records[i].pTextureFilename && records[i].pTextureFilename[0])
        textures[i] = CreateMaterialTexture(device, records[i].pTextureFilename);
    }
  }
  SafeRelease(materialBuffer);
  return S_OK;
}

HRESULT XMesh::ConvertVertexFormat(IDirect3DDevice8* device, DWORD fvf) {
  ID3DXMesh* newSystem = nullptr;
  ID3DXMesh* newDevice = nullptr;
  if (systemMesh && FAILED(systemMesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, fvf, device, &newSystem)))
    return E_FAIL;
  if (deviceMesh && FAILED(deviceMesh->CloneMeshFVF(0, fvf, device, &newDevice))) {
    SafeRelease(newSystem);
    return E_FAIL;
  }
  if (newSystem) {
    SafeRelease(systemMesh);
    systemMesh = newSystem;
    D3DXComputeNormals(systemMesh);
  }
  if (newDevice) {
    SafeRelease(deviceMesh);
    deviceMesh = newDevice;
    D3DXComputeNormals(deviceMesh);
  }
  return S_OK;
}

HRESULT XMesh::CreateDeviceMesh(IDirect3DDevice8* device) {
  if (!systemMesh) return E_FAIL;
  // A second call replaces the clone instead of leaking it.
  SafeRelease(deviceMesh);
  if (FAILED(systemMesh->CloneMeshFVF(0, systemMesh->GetFVF(), device, &deviceMesh))) {
    deviceMesh = nullptr;
    return E_FAIL;
  }
  return S_OK;
}

HRESULT XMesh::ReleaseDeviceMesh() {
  SafeRelease(deviceMesh);
  return S_OK;
}

HRESULT XMesh::Render(IDirect3DDevice8* device, bool drawOpaque, bool drawAlpha) {
  if (!deviceMesh || !device) return E_FAIL;
  // A mesh whose loader gave no material records draws with the current
  // material, like one whose materials are switched off.
  const bool withMaterials = useMaterials && materials;
  if (drawOpaque) {
    for (DWORD i = 0; i < materialCount; ++i) {
      if (withMaterials) {
        if (!IsOpaque(materials[i])) continue;
        device->SetMaterial(&materials[i]);
        device->SetTexture(0, textures[i]);
      }
      deviceMesh->DrawSubset(i);
    }
  }
  if (drawAlpha && withMaterials) {
    for (DWORD i = 0; i < materialCount; ++i) {
      if (!IsTranslucent(materials[i])) continue;
      device->SetMaterial(&materials[i]);
      device->SetTexture(0, textures[i]);
      deviceMesh->DrawSubset(i);
    }
  }
  return S_OK;
}

HRESULT XMesh::Destroy() {
  ReleaseDeviceMesh();
  if (textures) {
    for (DWORD i = 0; i < materialCount; ++i) SafeRelease(textures[i]);
  }
  delete[] textures;
  textures = nullptr;
  delete[] materials;
  materials = nullptr;
  SafeRelease(systemMesh);
  materialCount = 0;
  return S_OK;
}

// ----------------------------------------------------------------- XFrame

XFrame::XFrame(const char* frameName) {
  CopyName(name, frameName);
  D3DXMatrixIdentity(&matrix);
}

// The mesh is owned too: a tree dropped without Destroy leaks nothing.
XFrame::~XFrame() {
  delete mesh;
  delete child;
  delete next;
}

XMesh* XFrame::FindMesh(const char* meshName) {
  if (mesh && lstrcmpiA(mesh->name, meshName) == 0) return mesh;
  XMesh* found = child ? child->FindMesh(meshName) : nullptr;
  if (!found && next) found = next->FindMesh(meshName);
  return found;
}

XFrame* XFrame::FindFrame(const char* frameName) {
  if (lstrcmpiA(name, frameName) == 0) return this;
  XFrame* found = child ? child->FindFrame(frameName) : nullptr;
  if (!found && next) found = next->FindFrame(frameName);
  return found;
}

BOOL XFrame::ForEachMesh(bool (*callback)(XMesh* mesh, void* context), void* context) {
  if (mesh) callback(mesh, context);
  if (child) child->ForEachMesh(callback, context);
  if (next) next->ForEachMesh(callback, context);
  return TRUE;
}

HRESULT XFrame::CreateDeviceMesh(IDirect3DDevice8* device) {
  if (mesh) mesh->CreateDeviceMesh(device);
  if (child) child->CreateDeviceMesh(device);
  if (next) next->CreateDeviceMesh(device);
  return S_OK;
}

HRESULT XFrame::ReleaseDeviceMesh() {
  if (mesh) mesh->ReleaseDeviceMesh();
  if (child) child->ReleaseDeviceMesh();
  if (next) next->ReleaseDeviceMesh();
  return S_OK;
}

HRESULT XFrame::Destroy() {
  if (mesh) mesh->Destroy();
  if (child) child->Destroy();
  if (next) next->Destroy();
  delete mesh;
  mesh = nullptr;
  delete next;
  next = nullptr;
  delete child;
  child = nullptr;
  return S_OK;
}

HRESULT XFrame::Render(IDirect3DDevice8* device, bool drawOpaque, bool drawAlpha) {
  D3DXMATRIX outer;
  device->GetTransform(D3DTS_WORLD, &outer);
  const D3DXMATRIX world = matrix * outer;
  device->SetTransform(D3DTS_WORLD, &world);
  if (mesh) mesh->Render(device, drawOpaque, drawAlpha);
  if (child) child->Render(device, drawOpaque, drawAlpha);
  device->SetTransform(D3DTS_WORLD, &outer);
  if (next) next->Render(device, drawOpaque, drawAlpha);
  return S_OK;
}

// ------------------------------------------------------------------ XFile

namespace {

// The object's name, cut to a name buffer; empty when it has none.
void ReadObjectName(IDirectXFileObject* object, char* out) {
  out[0] = '\0';
  DWORD size = 0;
  if (FAILED(object->GetName(nullptr, &size)) || size == 0) return;
  std::vector<char> text(size + 1, '\0');
  if (SUCCEEDED(object->GetName(text.data(), &size))) CopyName(out, text.data());
}

}  // namespace

HRESULT XFile::LoadFromFile(IDirect3DDevice8* device, const char* fileName) {
  IDirectXFile* parser = nullptr;
  if (FAILED(DirectXFileCreate(&parser))) return E_FAIL;
  if (FAILED(parser->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES))) {
    parser->Release();
    return E_FAIL;
  }
  char path[MAX_PATH] = {};
  LocateMediaFile(path, fileName);
  IDirectXFileEnumObject* enumerator = nullptr;
  HRESULT hr = parser->CreateEnumObject(path, DXFILELOAD_FROMFILE, &enumerator);
  if (FAILED(hr)) {
    parser->Release();
    return hr;
  }
  IDirectXFileData* data = nullptr;
  hr = S_OK;
  while (SUCCEEDED(enumerator->GetNextDataObject(&data))) {
    const HRESULT loaded = LoadObject(device, data, this);
    data->Release();
    if (FAILED(loaded)) {
      hr = E_FAIL;
      break;
    }
  }
  enumerator->Release();
  parser->Release();
  return hr;
}

HRESULT XFile::LoadObject(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent) {
  const GUID* type = nullptr;
  HRESULT hr = data->GetType(&type);
  if (FAILED(hr)) return hr;
  if (*type == TID_D3DRMMesh) {
    if (parent->mesh) return E_FAIL;  // one mesh per frame
    char meshName[kXNameSize] = {};
    ReadObjectName(data, meshName);
    parent->mesh = new XMesh(meshName);
    parent->mesh->LoadFromData(device, data);
    return S_OK;
  }
  if (*type == TID_D3DRMFrameTransformMatrix) {
    DWORD size = 0;
    void* values = nullptr;
    hr = data->GetData(nullptr, &size, &values);
    if (FAILED(hr)) return hr;
    if (size < sizeof(D3DMATRIX)) return E_FAIL;  // never read past a short block
    std::memcpy(&parent->matrix, values, sizeof(D3DMATRIX));
    return S_OK;
  }
  if (*type == TID_D3DRMFrame) return LoadFrame(device, data, parent);
  return S_OK;
}

HRESULT XFile::LoadFrame(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent) {
  char frameName[kXNameSize] = {};
  ReadObjectName(data, frameName);
  XFrame* frame = new XFrame(frameName);
  frame->next = parent->child;
  parent->child = frame;
  IDirectXFileObject* childObject = nullptr;
  while (SUCCEEDED(data->GetNextObject(&childObject))) {
    IDirectXFileData* childData = nullptr;
    HRESULT hr = childObject->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&childData));
    if (SUCCEEDED(hr)) {
      hr = LoadObject(device, childData, frame);
      childData->Release();
    }
    childObject->Release();
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT XFile::Render(IDirect3DDevice8* device) {
  D3DXMATRIX outer;
  device->GetTransform(D3DTS_WORLD, &outer);
  const D3DXMATRIX world = outer * matrix;
  device->SetTransform(D3DTS_WORLD, &world);
  if (child) {
    child->Render(device, true, false);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    child->Render(device, false, true);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  }
  device->SetTransform(D3DTS_WORLD, &outer);
  return S_OK;
}
