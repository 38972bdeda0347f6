// SPDX-License-Identifier: MIT
// The generated models through the game's own .x parser (DirectXFileCreate
// with the standard templates): each file yields one Mesh whose counts match
// what the generator wrote, with a material list, normals, texture
// coordinates, and texture names that exist beside the models.
#include <gtest/gtest.h>

#include <dxfile.h>
#include <rmxfguid.h>
#include <rmxftmpl.h>

#include <string>
#include <vector>

#include "lib/image.h"
#include "lib/ship_types.h"
#include "lib/xfile.h"
#include "tools/asset_paths.h"

namespace {

struct Found {
  DWORD vertices = 0, faces = 0, materials = 0, normals = 0, texcoords = 0;
  std::vector<std::string> textures;
};

DWORD Member(IDirectXFileData* d, const char* name) {
  DWORD size = 0;
  void* data = nullptr;
  if (d->GetData(name, &size, &data) != DXFILE_OK || size < sizeof(DWORD)) return 0;
  return *static_cast<DWORD*>(data);
}

// Walks a data object's children, noting what the game's loader relies on.
void Walk(IDirectXFileData* d, Found* f) {
  IDirectXFileObject* child = nullptr;
  while (d->GetNextObject(&child) == DXFILE_OK) {
    IDirectXFileData* cd = nullptr;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&cd)))) {
      const GUID* type = nullptr;
      cd->GetType(&type);
      if (*type == TID_D3DRMMeshMaterialList) f->materials = Member(cd, "nMaterials");
      if (*type == TID_D3DRMMeshNormals) f->normals = Member(cd, "nNormals");
      if (*type == TID_D3DRMMeshTextureCoords) f->texcoords = Member(cd, "nTextureCoords");
      if (*type == TID_D3DRMTextureFilename) {
        DWORD size = 0;
        void* data = nullptr;
        if (cd->GetData(nullptr, &size, &data) == DXFILE_OK && size >= sizeof(char*))
          f->textures.push_back(*static_cast<char**>(data));
      }
      Walk(cd, f);
      cd->Release();
    }
    child->Release();
  }
}

TEST(ModelsThroughTheGameParser, EveryModelYieldsItsMeshMaterialsAndTextures) {
  std::vector<std::string> files{gen::kSeaFloorModel, gen::kPartModels[0]};
  for (const gen::ShipType& t : gen::kShipTypes) files.push_back(t.file);
  for (const std::string& file : files) {
    IDirectXFile* dx = nullptr;
    ASSERT_EQ(DirectXFileCreate(&dx), DXFILE_OK);
    ASSERT_EQ(dx->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
    std::string path = assets::Media(file);
    IDirectXFileEnumObject* en = nullptr;
    ASSERT_EQ(dx->CreateEnumObject(const_cast<char*>(path.c_str()), DXFILELOAD_FROMFILE, &en), DXFILE_OK)
        << file;
    IDirectXFileData* mesh = nullptr;
    ASSERT_EQ(en->GetNextDataObject(&mesh), DXFILE_OK) << file;
    const GUID* type = nullptr;
    ASSERT_EQ(mesh->GetType(&type), DXFILE_OK);
    EXPECT_TRUE(*type == TID_D3DRMMesh) << file;
    Found f;
    f.vertices = Member(mesh, "nVertices");
    f.faces = Member(mesh, "nFaces");
    Walk(mesh, &f);
    mesh->Release();
    en->Release();
    dx->Release();

    gen::Mesh own;
    std::string error;
    ASSERT_TRUE(gen::ReadXFile(path, &own, &error)) << error;
    EXPECT_EQ(f.vertices, own.positions.size()) << file;
    EXPECT_EQ(f.faces, own.faces.size()) << file;
    EXPECT_EQ(f.materials, own.materials.size()) << file;
    EXPECT_EQ(f.normals, own.positions.size()) << file;
    EXPECT_EQ(f.texcoords, own.positions.size()) << file;
    EXPECT_FALSE(f.textures.empty()) << file;
    for (const std::string& tex : f.textures) {
      gen::Image img;
      EXPECT_TRUE(gen::ReadBmp(assets::Media(tex), &img)) << file << " names " << tex;
    }
  }
}

}  // namespace
