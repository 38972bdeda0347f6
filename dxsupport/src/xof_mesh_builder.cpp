// SPDX-License-Identifier: MIT
// The .x-to-mesh walk. Data objects are read through GetData and checked
// against their sizes, since a file may redefine the standard templates.
#include "xof_mesh_builder.h"

#include <rmxfguid.h>

#include <cstring>
#include <map>
#include <utility>

#include "fvf_layout.h"

namespace dxsupport {
namespace {

constexpr int kMaxVisitDepth = 64;

// Bounds-checked reading of a data object's packed values.
class Reader {
 public:
  explicit Reader(IDirectXFileData* data) {
    DWORD size = 0;
    void* bytes = nullptr;
    if (SUCCEEDED(data->GetData(nullptr, &size, &bytes))) {
      at_ = static_cast<const uint8_t*>(bytes);
      left_ = size;
    }
  }
  bool Dword(DWORD* v) { return Take(v, 4); }
  bool Floats(float* v, size_t count) { return Take(v, count * 4); }
  // A count followed by that many vectors; an empty list is fine.
  bool Vectors(std::vector<D3DXVECTOR3>* out) {
    DWORD count = 0;
    if (!Count(&count, 12)) return false;
    out->resize(count);
    return count == 0 || Floats(&(*out)[0].x, size_t(count) * 3);
  }
  // A count of items of `itemBytes` each that the data can actually hold.
  bool Count(DWORD* v, size_t itemBytes) { return Dword(v) && *v <= left_ / itemBytes; }
  const uint8_t* Skip(size_t bytes) {
    const uint8_t* p = at_;
    return Take(nullptr, bytes) ? p : nullptr;
  }

 private:
  bool Take(void* out, size_t bytes) {
    if (!at_ || bytes > left_) return false;
    if (out) std::memcpy(out, at_, bytes);
    at_ += bytes;
    left_ -= bytes;
    return true;
  }
  const uint8_t* at_ = nullptr;
  size_t left_ = 0;
};

const GUID* TypeOf(IDirectXFileData* data) {
  const GUID* type = nullptr;
  return SUCCEEDED(data->GetType(&type)) ? type : &GUID_NULL;
}

// A child as a data object: data objects directly, references resolved.
// Null for binary objects and for references that name nothing.
IDirectXFileData* ChildData(IDirectXFileObject* child) {
  IDirectXFileData* data = nullptr;
  if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&data)))) return data;
  IDirectXFileDataReference* ref = nullptr;
  if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(&ref)))) {
    if (FAILED(ref->Resolve(&data))) data = nullptr;
    ref->Release();
  }
  return data;
}

// Calls `fn` for every child data object; stops at the first failure.
template <typename Fn>
HRESULT ForEachChild(IDirectXFileData* parent, Fn fn) {
  IDirectXFileObject* child = nullptr;
  HRESULT hr = D3D_OK;
  while (SUCCEEDED(hr) && SUCCEEDED(parent->GetNextObject(&child))) {
    IDirectXFileData* data = ChildData(child);
    child->Release();
    if (!data) continue;
    hr = fn(data);
    data->Release();
  }
  return hr;
}

D3DCOLORVALUE Color(const float* c, float alpha) {
  return {c[0], c[1], c[2], alpha};
}

HRESULT ReadMaterial(IDirectXFileData* data, BuiltMaterial* out) {
  Reader r(data);
  float v[11] = {};
  if (!r.Floats(v, 11)) return D3DXERR_INVALIDDATA;
  out->material.Diffuse = Color(v, v[3]);
  out->material.Power = v[4];
  out->material.Specular = Color(v + 5, 1.0f);
  out->material.Emissive = Color(v + 8, 1.0f);
  return ForEachChild(data, [out](IDirectXFileData* child) {
    if (*TypeOf(child) != TID_D3DRMTextureFilename || out->hasTexture) return D3D_OK;
    Reader t(child);
    const char* name = nullptr;
    const uint8_t* p = t.Skip(sizeof name);
    if (!p) return D3DXERR_INVALIDDATA;
    std::memcpy(&name, p, sizeof name);
    if (name && *name) {
      out->texture = name;
      out->hasTexture = true;
    }
    return D3D_OK;
  });
}

// One Mesh object, read and checked before anything is added.
struct MeshData {
  std::vector<D3DXVECTOR3> positions;
  std::vector<DWORD> faceStarts;  // into corners; one extra entry at the end
  std::vector<DWORD> corners;
  std::vector<D3DXVECTOR3> normals;
  std::vector<DWORD> cornerNormals;  // parallel to corners, when normals exist
  std::vector<float> uvs;            // two per vertex, when present
  std::vector<D3DCOLOR> colors;      // one per vertex, when present
  std::vector<DWORD> faceMaterials;  // one per face, when a material list exists
  std::vector<BuiltMaterial> materials;
  bool hasMaterialList = false;
};

HRESULT ReadFaces(Reader& r, DWORD indexLimit, std::vector<DWORD>* starts, std::vector<DWORD>* corners) {
  DWORD faces = 0;
  if (!r.Count(&faces, 4)) return D3DXERR_INVALIDDATA;
  starts->assign(1, 0);
  for (DWORD f = 0; f < faces; ++f) {
    // Any number of corners the data holds: Count has checked that they are there.
    DWORD n = 0;
    if (!r.Count(&n, 4) || n < 3) return D3DXERR_INVALIDDATA;
    for (DWORD c = 0; c < n; ++c) {
      DWORD index = 0;
      r.Dword(&index);
      if (index >= indexLimit) return D3DXERR_INVALIDDATA;
      corners->push_back(index);
    }
    starts->push_back(static_cast<DWORD>(corners->size()));
  }
  return D3D_OK;
}

HRESULT ReadNormals(IDirectXFileData* data, MeshData* mesh) {
  Reader r(data);
  std::vector<D3DXVECTOR3> normals;
  std::vector<DWORD> starts, corners;
  if (!r.Vectors(&normals) || FAILED(ReadFaces(r, static_cast<DWORD>(normals.size()), &starts, &corners)))
    return D3DXERR_INVALIDDATA;
  // Exporters write an empty block for a mesh without normals.
  if (normals.empty() && starts.size() == 1) return D3D_OK;
  // Otherwise every face needs a normal for each of its corners.
  if (starts != mesh->faceStarts) return D3DXERR_INVALIDDATA;
  mesh->normals = std::move(normals);
  mesh->cornerNormals = std::move(corners);
  return D3D_OK;
}

HRESULT ReadTexCoords(IDirectXFileData* data, MeshData* mesh) {
  Reader r(data);
  DWORD count = 0;
  if (!r.Count(&count, 8) || count < mesh->positions.size()) return D3DXERR_INVALIDDATA;
  mesh->uvs.resize(mesh->positions.size() * 2);
  r.Floats(mesh->uvs.data(), mesh->uvs.size());
  return D3D_OK;
}

HRESULT ReadColors(IDirectXFileData* data, MeshData* mesh) {
  Reader r(data);
  DWORD count = 0;
  if (!r.Count(&count, 20)) return D3DXERR_INVALIDDATA;
  mesh->colors.assign(mesh->positions.size(), 0xFFFFFFFF);
  for (DWORD i = 0; i < count; ++i) {
    DWORD index = 0;
    float c[4] = {};
    r.Dword(&index);
    r.Floats(c, 4);
    if (index >= mesh->colors.size()) return D3DXERR_INVALIDDATA;
    auto byte = [](float f) {
      return static_cast<DWORD>(f <= 0.0f ? 0 : f >= 1.0f ? 255 : f * 255.0f + 0.5f);
    };
    mesh->colors[index] = byte(c[3]) << 24 | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
  }
  return D3D_OK;
}

HRESULT ReadMaterialList(IDirectXFileData* data, MeshData* mesh) {
  Reader r(data);
  DWORD declared = 0;
  DWORD count = 0;
  if (!r.Dword(&declared) || !r.Count(&count, 4)) return D3DXERR_INVALIDDATA;
  const size_t faces = mesh->faceStarts.size() - 1;
  std::vector<DWORD> indices(count);
  for (DWORD& i : indices) r.Dword(&i);
  // Files may list fewer indices than faces: the last one carries on.
  mesh->faceMaterials.assign(faces, indices.empty() ? 0 : indices.back());
  for (size_t f = 0; f < faces && f < indices.size(); ++f) mesh->faceMaterials[f] = indices[f];
  HRESULT hr = ForEachChild(data, [mesh](IDirectXFileData* child) {
    if (*TypeOf(child) != TID_D3DRMMaterial) return D3D_OK;
    mesh->materials.emplace_back();
    return ReadMaterial(child, &mesh->materials.back());
  });
  if (FAILED(hr)) return hr;
  // A list that declares no materials and holds none leaves the faces to
  // the default material, whatever indices it gives them.
  if (declared == 0 && mesh->materials.empty()) {
    mesh->faceMaterials.clear();
    return D3D_OK;
  }
  for (DWORD m : mesh->faceMaterials)
    if (m >= mesh->materials.size()) return D3DXERR_INVALIDDATA;
  mesh->hasMaterialList = true;
  return D3D_OK;
}

HRESULT ReadMesh(IDirectXFileData* data, MeshData* mesh) {
  Reader r(data);
  if (!r.Vectors(&mesh->positions)) return D3DXERR_INVALIDDATA;
  HRESULT hr = ReadFaces(r, static_cast<DWORD>(mesh->positions.size()), &mesh->faceStarts, &mesh->corners);
  if (FAILED(hr)) return hr;
  if (mesh->corners.empty()) return D3DXERR_INVALIDDATA;
  return ForEachChild(data, [mesh](IDirectXFileData* child) {
    const GUID& type = *TypeOf(child);
    if (type == TID_D3DRMMeshNormals) return ReadNormals(child, mesh);
    if (type == TID_D3DRMMeshTextureCoords) return ReadTexCoords(child, mesh);
    if (type == TID_D3DRMMeshVertexColors) return ReadColors(child, mesh);
    if (type == TID_D3DRMMeshMaterialList) return ReadMaterialList(child, mesh);
    return D3D_OK;
  });
}

D3DXVECTOR3 TransformDirection(const D3DXVECTOR3& n, const D3DXMATRIX& m) {
  D3DXVECTOR3 out(n.x * m._11 + n.y * m._21 + n.z * m._31, n.x * m._12 + n.y * m._22 + n.z * m._32,
                  n.x * m._13 + n.y * m._23 + n.z * m._33);
  D3DXVec3Normalize(&out, &out);
  return out;
}

}  // namespace

HRESULT XofMeshBuilder::AddObject(IDirectXFileData* data) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  visits_ = 0;
  return Visit(data, &identity, 0);
}

HRESULT XofMeshBuilder::Visit(IDirectXFileData* data, D3DXMATRIX* current, int depth) {
  // References may loop or fan out: bound both the depth and the work.
  if (depth > kMaxVisitDepth || ++visits_ > kMaxVisits) return D3DXERR_INVALIDDATA;
  const GUID& type = *TypeOf(data);
  if (type == TID_D3DRMMesh) return AddMesh(data, *current);
  if (type == TID_D3DRMFrameTransformMatrix) {
    Reader r(data);
    D3DXMATRIX local;
    if (!r.Floats(&local._11, 16)) return D3DXERR_INVALIDDATA;
    D3DXMatrixMultiply(current, &local, current);
    return D3D_OK;
  }
  if (type != TID_D3DRMFrame) return D3D_OK;
  D3DXMATRIX inside = *current;
  return ForEachChild(data, [&](IDirectXFileData* child) { return Visit(child, &inside, depth + 1); });
}

DWORD XofMeshBuilder::DefaultMaterial() {
  if (defaultMaterial_ < 0) {
    BuiltMaterial m;
    m.material.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
    m.material.Specular = {0.5f, 0.5f, 0.5f, 0.0f};
    defaultMaterial_ = static_cast<long>(materials_.size());
    materials_.push_back(m);
  }
  return static_cast<DWORD>(defaultMaterial_);
}

HRESULT XofMeshBuilder::AddMesh(IDirectXFileData* data, const D3DXMATRIX& matrix) {
  MeshData mesh;
  const HRESULT hr = ReadMesh(data, &mesh);
  if (FAILED(hr)) return hr;
  anyMesh_ = true;
  const bool normals = !mesh.normals.empty();
  hasNormals_ |= normals;
  hasTexCoords_ |= !mesh.uvs.empty();
  hasColors_ |= !mesh.colors.empty();
  const DWORD base = static_cast<DWORD>(vertices_.size());
  for (size_t v = 0; v < mesh.positions.size(); ++v) {
    BuiltVertex out;
    D3DXVec3TransformCoord(&out.position, &mesh.positions[v], &matrix);
    if (!mesh.uvs.empty()) {
      out.u = mesh.uvs[2 * v];
      out.v = mesh.uvs[2 * v + 1];
    }
    if (!mesh.colors.empty()) out.color = mesh.colors[v];
    vertices_.push_back(out);
  }
  // A corner whose normal differs from the one its vertex already has gets
  // a copy of the vertex with that normal.
  std::vector<long> normalOf(mesh.positions.size(), -1);
  std::map<std::pair<DWORD, DWORD>, DWORD> copies;
  auto cornerVertex = [&](size_t corner) -> DWORD {
    const DWORD v = mesh.corners[corner];
    if (!normals) return base + v;
    const DWORD n = mesh.cornerNormals[corner];
    if (normalOf[v] < 0) {
      normalOf[v] = n;
      vertices_[base + v].normal = TransformDirection(mesh.normals[n], matrix);
    }
    if (normalOf[v] == static_cast<long>(n)) return base + v;
    auto found = copies.emplace(std::make_pair(v, n), static_cast<DWORD>(vertices_.size()));
    if (found.second) {
      BuiltVertex copy = vertices_[base + v];
      copy.normal = TransformDirection(mesh.normals[n], matrix);
      vertices_.push_back(copy);
    }
    return found.first->second;
  };
  const DWORD materialBase = static_cast<DWORD>(materials_.size());
  const DWORD fallback = mesh.hasMaterialList ? 0 : DefaultMaterial();
  materials_.insert(materials_.end(), mesh.materials.begin(), mesh.materials.end());
  for (size_t f = 0; f + 1 < mesh.faceStarts.size(); ++f) {
    const DWORD attribute = mesh.hasMaterialList ? materialBase + mesh.faceMaterials[f] : fallback;
    const DWORD first = mesh.faceStarts[f];
    for (DWORD c = first + 1; c + 1 < mesh.faceStarts[f + 1]; ++c) {
      indices_.push_back(cornerVertex(first));
      indices_.push_back(cornerVertex(c));
      indices_.push_back(cornerVertex(c + 1));
      attributes_.push_back(attribute);
    }
  }
  return D3D_OK;
}

}  // namespace dxsupport
