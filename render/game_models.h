// SPDX-License-Identifier: MIT
// The game's models: the ship types (model file and HUD credit text), the
// two part models the ship carries and the sea floor, with the loaders that
// bring each to the ModelVertex layout and reshape it.
#pragma once

#include <d3d8.h>

#include "render/xmesh.h"

// The vertex layout of every game model after loading.
struct ModelVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kModelVertexFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;  // 0x112

constexpr DWORD kShipTypeCount = 9;
constexpr DWORD kModelSlotCount = 3;
extern const char* const ShipTypeFiles[kShipTypeCount];
extern const char* const ShipTypeCredits[kShipTypeCount];  // "copyright: %s" in the HUD
// Slot 0's entry is never used: slot 0 takes the file of the ship type.
extern const char* const PartModelTable[kModelSlotCount];
extern const char* const kSeaFloorFile;   // "SeaFloor.x"
extern const char* const kModelMeshName;  // "CD3DFile_Mesh"

extern DWORD shipType;                      // row of the ship type table; 0 at start
extern XMesh* modelSlots[kModelSlotCount];  // 0: the ship, 1 and 2: its parts
extern XMesh* seaFloorModel;

// Replaces the model of `slot` (0, 1 or 2) with a fresh load on the global
// device, scaled about its origin to a bounding radius of 1/3. E_FAIL when
// the file cannot be loaded or converted (the empty model stays in the
// slot); E_INVALIDARG for a slot or ship type out of range.
HRESULT LoadShipModel(DWORD slot);
// Replaces the sea floor with "SeaFloor.x" shrunk to a tenth in x and z and
// laid flat on the floor. E_FAIL when it cannot be loaded or converted.
HRESULT LoadSeaFloor();
// The credit text of the current ship type.
const char* CurrentShipCredit();
// Makes `type` the ship type and reloads slot 0 (with its device mesh when
// a device exists). E_INVALIDARG for a type out of range, which changes nothing.
HRESULT ChangeShipType(DWORD type);
