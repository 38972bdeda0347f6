// SPDX-License-Identifier: MIT
// Ship types and the loading of the game's four models. Relies on the global
// device of the display, the world's floor height and XMesh.
#include "render/game_models.h"

#include <d3dx8.h>

#include "render/display_objects.h"
#include "world/game_object.h"

// Rows 0, 1 and 3 carry the credit of this game's own model authors.
const char* const ShipTypeFiles[kShipTypeCount] = {
    "Space Station 7.x", "Spaceship 2.x", "Shusui.x",    "Spaceship 8.x", "Orbiter.x",
    "Spaceship 13.x",    "Spaceship 5.x", "Star Sail.x", "Heli.x",
};
const char* const ShipTypeCredits[kShipTypeCount] = {
    "the Glorbs3D crew",
    "Dart, Glorbs3D crew",
    "Purple Prowler",
    "Hauler, Glorbs3D crew",
    "Roundabout",
    "Tie-X7",
    "Gunner",
    "Star Sail",
    "Helicopter",
};
const char* const PartModelTable[kModelSlotCount] = {"Space Station 7.x", "Space Station 5.x",
                                                     "Spaceship 5.x"};
const char* const kSeaFloorFile = "SeaFloor.x";
const char* const kModelMeshName = "CD3DFile_Mesh";

DWORD shipType = 0;
XMesh* modelSlots[kModelSlotCount] = {};
XMesh* seaFloorModel = nullptr;

namespace {

// Loads `fileName` into a fresh model stored in `model` at once (so a failed
// load leaves the empty model there) and converts it to ModelVertex.
HRESULT LoadModel(XMesh*& model, const char* fileName) {
  delete model;
  model = new XMesh(kModelMeshName);
  if (FAILED(model->LoadFromFile(device, fileName))) return E_FAIL;
  // The reshaping below walks 32-byte ModelVertex records: a mesh left in
  // another layout must not be walked with that stride.
  if (FAILED(model->ConvertVertexFormat(device, kModelVertexFVF)) || !model->systemMesh ||
      model->systemMesh->GetFVF() != kModelVertexFVF)
    return E_FAIL;
  return S_OK;
}

// Runs `reshape` over every vertex of the model's system mesh.
template <typename Reshape>
HRESULT ReshapeVertices(XMesh* model, Reshape reshape) {
  IDirect3DVertexBuffer8* vertices = nullptr;
  if (FAILED(model->systemMesh->GetVertexBuffer(&vertices))) return E_FAIL;
  const DWORD count = model->systemMesh->GetNumVertices();
  BYTE* data = nullptr;
  HRESULT hr = vertices->Lock(0, 0, &data, 0);
  if (SUCCEEDED(hr)) {
    reshape(reinterpret_cast<ModelVertex*>(data), count);
    vertices->Unlock();
  }
  vertices->Release();
  return SUCCEEDED(hr) ? S_OK : E_FAIL;
}

// Scales positions about the model's origin (not the sphere's centre) to a
// bounding radius of a third of a world unit. A model without extent (all
// vertices in one point) is left as it is rather than scaled by infinity.
void ScaleToShipSize(ModelVertex* v, DWORD count) {
  D3DXVECTOR3 center;
  float radius = 0.0f;
  if (FAILED(D3DXComputeBoundingSphere(v, count, kModelVertexFVF, &center, &radius)) || !(radius > 0.0f))
    return;
  const float scale = 1.0f / (3.0f * radius);
  for (DWORD i = 0; i < count; ++i) {
    v[i].x *= scale;
    v[i].y *= scale;
    v[i].z *= scale;
  }
}

void LayFlat(ModelVertex* v, DWORD count) {
  for (DWORD i = 0; i < count; ++i) {
    v[i].x *= 0.1f;
    v[i].z *= 0.1f;
    v[i].y = FloorHeight(v[i].x, v[i].z);
  }
}

}  // namespace

HRESULT LoadShipModel(DWORD slot) {
  if (slot >= kModelSlotCount || shipType >= kShipTypeCount) return E_INVALIDARG;
  const char* fileName = slot == 0 ? ShipTypeFiles[shipType] : PartModelTable[slot];
  if (FAILED(LoadModel(modelSlots[slot], fileName))) return E_FAIL;
  return ReshapeVertices(modelSlots[slot], ScaleToShipSize);
}

HRESULT LoadSeaFloor() {
  if (FAILED(LoadModel(seaFloorModel, kSeaFloorFile))) return E_FAIL;
  return ReshapeVertices(seaFloorModel, LayFlat);
}

const char* CurrentShipCredit() {
  return ShipTypeCredits[shipType < kShipTypeCount ? shipType : 0];
}

HRESULT ChangeShipType(DWORD type) {
  if (type >= kShipTypeCount) return E_INVALIDARG;
  shipType = type;
  HRESULT hr = LoadShipModel(0);
  if (SUCCEEDED(hr) && device) hr = modelSlots[0]->CreateDeviceMesh(device);
  return hr;
}
