// SPDX-License-Identifier: MIT
// The parser on well-formed files: the same model in text and binary form
// (32- and 64-bit floats) gives the same objects; names, ids, members,
// nested frames, references and templates given in either form.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "dxfile/xfile_binary_writer.h"
#include "dxfile/xfile_test_util.h"

namespace {

using xtest::NameOf;
using xtest::OpenX;

// A printable walk of an object tree. String members hold pointers, so the
// two templates with strings are printed by member instead of by bytes.
void Dump(IDirectXFileData* d, std::string* out, int depth) {
  const GUID* type = nullptr;
  ASSERT_EQ(d->GetType(&type), DXFILE_OK);
  GUID id = GUID_NULL;
  d->GetId(&id);
  char head[128];
  std::snprintf(head, sizeof head, "%*s%08x %s id=%08x ", depth * 2, "", type->Data1, NameOf(d).c_str(),
                id.Data1);
  *out += head;
  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(d->GetData(nullptr, &size, &data), DXFILE_OK);
  if (*type == TID_D3DRMTextureFilename) {
    *out += *static_cast<char**>(data);
  } else {
    for (DWORD i = 0; i < size && type->Data1 != 0x6A1C7D20; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", static_cast<uint8_t*>(data)[i]);
      *out += hex;
    }
  }
  *out += "\n";
  IDirectXFileObject* child = nullptr;
  while (d->GetNextObject(&child) == DXFILE_OK) {
    IDirectXFileData* cd = nullptr;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&cd)))) {
      Dump(cd, out, depth + 1);
      cd->Release();
    } else {
      *out += std::string(depth * 2 + 2, ' ') + "ref " + NameOf(child) + "\n";
    }
    child->Release();
  }
}

std::string DumpAll(IDirectXFileEnumObject* e) {
  std::string out;
  IDirectXFileData* d = nullptr;
  while (e->GetNextDataObject(&d) == DXFILE_OK) {
    Dump(d, &out, 0);
    d->Release();
  }
  return out;
}

std::string DumpOf(const std::vector<uint8_t>& bytes) {
  IDirectXFileEnumObject* e = nullptr;
  EXPECT_EQ(OpenX(bytes, &e), DXFILE_OK);
  if (!e) return "";
  std::string s = DumpAll(e);
  e->Release();
  return s;
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(XFileParser, TextAndBinaryFormsGiveTheSameObjects) {
  const std::string text = xtest::ReadTestFile("scene.x");
  ASSERT_FALSE(text.empty());
  const std::string fromText = DumpOf(Bytes(text));
  EXPECT_NE(fromText.find("red.bmp"), std::string::npos);
  EXPECT_EQ(DumpOf(xtest::BinaryWriter(false).Convert(text)), fromText);
  EXPECT_EQ(DumpOf(xtest::BinaryWriter(true).Convert(text)), fromText);
}

TEST(XFileParser, TopLevelObjectsNestedFramesAndMembers) {
  IDirectXFileEnumObject* e = nullptr;
  ASSERT_EQ(OpenX(xtest::ReadTestFile("scene.x"), &e), DXFILE_OK);
  std::vector<std::string> names;
  std::vector<GUID> types;
  IDirectXFileData* d = nullptr;
  IDirectXFileData* root = nullptr;
  while (e->GetNextDataObject(&d) == DXFILE_OK) {
    names.push_back(NameOf(d));
    const GUID* t = nullptr;
    d->GetType(&t);
    types.push_back(*t);
    if (names.back() == "Root")
      root = d;
    else
      d->Release();
  }
  EXPECT_EQ(e->GetNextDataObject(&d), DXFILEERR_NOMOREOBJECTS);
  EXPECT_EQ(d, nullptr);
  EXPECT_EQ(names, (std::vector<std::string>{"", "FirstTag", "RedMat", "Root", "Loose"}));
  EXPECT_EQ(types[0], TID_DXFILEHeader);
  EXPECT_EQ(types[2], TID_D3DRMMaterial);
  EXPECT_EQ(types[4], TID_D3DRMMesh);
  ASSERT_NE(root, nullptr);
  GUID id = GUID_NULL;
  root->GetId(&id);
  EXPECT_EQ(id.Data1, 0x11111111u);
  EXPECT_EQ(id.Data4[7], 0x77);

  // Root: its transform, the child frame, then the mesh Tri.
  IDirectXFileObject* o = nullptr;
  ASSERT_EQ(root->GetNextObject(&o), DXFILE_OK);
  IDirectXFileData* transform = nullptr;
  ASSERT_EQ(o->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&transform)), S_OK);
  o->Release();
  DWORD size = 0;
  float* m = nullptr;
  ASSERT_EQ(transform->GetData(nullptr, &size, reinterpret_cast<void**>(&m)), DXFILE_OK);
  ASSERT_EQ(size, 64u);
  EXPECT_EQ(m[12], 10.0f);
  EXPECT_EQ(m[15], 1.0f);
  ASSERT_EQ(transform->GetData("frameMatrix", &size, reinterpret_cast<void**>(&m)), DXFILE_OK);
  EXPECT_EQ(size, 64u);
  void* none = nullptr;
  EXPECT_EQ(transform->GetData("nothing", &size, &none), DXFILEERR_NOTFOUND);
  transform->Release();

  ASSERT_EQ(root->GetNextObject(&o), DXFILE_OK);
  EXPECT_EQ(NameOf(o), "Child");
  o->Release();
  ASSERT_EQ(root->GetNextObject(&o), DXFILE_OK);
  EXPECT_EQ(NameOf(o), "Tri");
  o->Release();
  EXPECT_EQ(root->GetNextObject(&o), DXFILEERR_NOMOREOBJECTS);
  root->Release();
  e->Release();
}

TEST(XFileParser, MembersByNameArraysAndStrings) {
  IDirectXFileEnumObject* e = nullptr;
  ASSERT_EQ(OpenX(xtest::ReadTestFile("scene.x"), &e), DXFILE_OK);
  IDirectXFileData* tag = nullptr;
  ASSERT_EQ(e->GetDataObjectByName("FirstTag", &tag), DXFILE_OK);
  DWORD size = 0;
  void* p = nullptr;
  ASSERT_EQ(tag->GetData("id", &size, &p), DXFILE_OK);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(*static_cast<DWORD*>(p), 7u);
  ASSERT_EQ(tag->GetData("label", &size, &p), DXFILE_OK);
  EXPECT_EQ(size, sizeof(char*));
  const char* label = nullptr;  // packed after a DWORD: not pointer-aligned
  std::memcpy(&label, p, sizeof label);
  EXPECT_STREQ(label, "seven");
  ASSERT_EQ(tag->GetData("pair", &size, &p), DXFILE_OK);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(static_cast<WORD*>(p)[0], 3);
  EXPECT_EQ(static_cast<WORD*>(p)[1], 4);
  ASSERT_EQ(tag->GetData(nullptr, &size, &p), DXFILE_OK);
  EXPECT_EQ(size, 4 + sizeof(char*) + 4);
  tag->Release();

  IDirectXFileData* quad = nullptr;
  ASSERT_EQ(e->GetDataObjectByName("Quad", &quad), DXFILE_OK);
  ASSERT_EQ(quad->GetData("nVertices", &size, &p), DXFILE_OK);
  EXPECT_EQ(*static_cast<DWORD*>(p), 4u);
  ASSERT_EQ(quad->GetData("vertices", &size, &p), DXFILE_OK);
  EXPECT_EQ(size, 4 * 12u);
  EXPECT_EQ(static_cast<float*>(p)[7], 1.0f);  // third vertex y
  ASSERT_EQ(quad->GetData("faces", &size, &p), DXFILE_OK);
  EXPECT_EQ(size, 20u);  // one face: a count and four indices
  EXPECT_EQ(static_cast<DWORD*>(p)[4], 3u);
  quad->Release();

  GUID rootId = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x66, 0x66, 0x77, 0x77}};
  IDirectXFileData* root = nullptr;
  EXPECT_EQ(e->GetDataObjectById(rootId, &root), DXFILE_OK);
  EXPECT_EQ(NameOf(root), "Root");
  root->Release();
  rootId.Data1 = 5;
  EXPECT_EQ(e->GetDataObjectById(rootId, &root), DXFILEERR_NOTFOUND);
  EXPECT_EQ(e->GetDataObjectByName("Nobody", &root), DXFILEERR_NOTFOUND);
  e->Release();
}

TEST(XFileParser, ExporterExtensionTemplatesNeedNoDeclaration) {
  IDirectXFileEnumObject* e = nullptr;
  ASSERT_EQ(OpenX(xtest::ReadTestFile("exporter_skinned.x"), &e), DXFILE_OK);
  IDirectXFileData* d = nullptr;
  ASSERT_EQ(e->GetNextDataObject(&d), DXFILE_OK);
  const GUID* type = nullptr;
  ASSERT_EQ(d->GetType(&type), DXFILE_OK);
  EXPECT_EQ(*type, DXFILEOBJ_AnimTicksPerSecond);
  DWORD size = 0;
  void* p = nullptr;
  ASSERT_EQ(d->GetData(nullptr, &size, &p), DXFILE_OK);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(*static_cast<DWORD*>(p), 4800u);
  d->Release();

  // The mesh's children, in file order, with the sizes their members give.
  IDirectXFileData* hull = nullptr;
  ASSERT_EQ(e->GetDataObjectByName("Hull", &hull), DXFILE_OK);
  const GUID* kTypes[] = {&TID_D3DRMMeshNormals,      &DXFILEOBJ_VertexDuplicationIndices,
                          &DXFILEOBJ_XSkinMeshHeader, &DXFILEOBJ_SkinWeights,
                          &DXFILEOBJ_FVFData,         &DXFILEOBJ_DeclData};
  const DWORD kSizes[] = {4 + 12 + 4 + 16, 4 + 4 + 12,     6, sizeof(char*) + 4 + 12 + 12 + 64,
                          4 + 4 + 8,       4 + 16 + 4 + 36};
  IDirectXFileObject* child = nullptr;
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(hull->GetNextObject(&child), DXFILE_OK) << i;
    ASSERT_EQ(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&d)), S_OK);
    ASSERT_EQ(d->GetType(&type), DXFILE_OK);
    EXPECT_EQ(*type, *kTypes[i]) << i;
    ASSERT_EQ(d->GetData(nullptr, &size, &p), DXFILE_OK);
    EXPECT_EQ(size, kSizes[i]) << i;
    if (*type == DXFILEOBJ_SkinWeights) {
      ASSERT_EQ(d->GetData("weights", &size, &p), DXFILE_OK);
      ASSERT_EQ(size, 12u);
      EXPECT_EQ(static_cast<float*>(p)[2], 0.25f);
    }
    d->Release();
    child->Release();
  }
  EXPECT_EQ(hull->GetNextObject(&child), DXFILEERR_NOMOREOBJECTS);
  hull->Release();

  ASSERT_EQ(e->GetNextDataObject(&d), DXFILE_OK);  // the frame
  d->Release();
  ASSERT_EQ(e->GetNextDataObject(&d), DXFILE_OK);
  ASSERT_EQ(d->GetType(&type), DXFILE_OK);
  EXPECT_EQ(*type, TID_D3DRMAnimationSet);
  d->Release();
  e->Release();
}

TEST(XFileParser, ReferencesResolveAndNamesCopySafely) {
  IDirectXFileEnumObject* e = nullptr;
  ASSERT_EQ(OpenX(xtest::ReadTestFile("scene.x"), &e), DXFILE_OK);
  IDirectXFileData* tri = nullptr;
  ASSERT_EQ(e->GetDataObjectByName("Tri", &tri), DXFILE_OK);
  e->Release();  // the objects keep the file alive
  IDirectXFileObject* o = nullptr;
  ASSERT_EQ(tri->GetNextObject(&o), DXFILE_OK);  // MeshMaterialList
  IDirectXFileData* list = nullptr;
  ASSERT_EQ(o->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&list)), S_OK);
  o->Release();
  ASSERT_EQ(list->GetNextObject(&o), DXFILE_OK);
  IDirectXFileData* notData = nullptr;
  EXPECT_EQ(o->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&notData)), E_NOINTERFACE);
  EXPECT_EQ(notData, nullptr);
  IDirectXFileDataReference* ref = nullptr;
  ASSERT_EQ(o->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(&ref)), S_OK);
  o->Release();

  DWORD size = 0;
  EXPECT_EQ(ref->GetName(nullptr, &size), DXFILE_OK);
  EXPECT_EQ(size, 7u);  // "RedMat" and its terminator
  char small[4] = "xyz";
  size = sizeof small;
  EXPECT_EQ(ref->GetName(small, &size), DXFILEERR_BADVALUE);
  EXPECT_STREQ(small, "xyz");

  IDirectXFileData* mat = nullptr;
  ASSERT_EQ(ref->Resolve(&mat), DXFILE_OK);
  ref->Release();
  list->Release();
  tri->Release();
  EXPECT_EQ(NameOf(mat), "RedMat");
  ASSERT_EQ(mat->GetNextObject(&o), DXFILE_OK);
  IDirectXFileData* tex = nullptr;
  ASSERT_EQ(o->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&tex)), S_OK);
  o->Release();
  void* p = nullptr;
  ASSERT_EQ(tex->GetData("filename", &size, &p), DXFILE_OK);
  EXPECT_STREQ(*static_cast<char**>(p), "red.bmp");
  EXPECT_EQ(tex->GetName(nullptr, &size), DXFILE_OK);
  EXPECT_EQ(size, 0u);  // unnamed
  tex->Release();
  mat->Release();
}

TEST(XFileParser, TemplatesRegisteredInBinaryFormWork) {
  IDirectXFile* file = nullptr;
  ASSERT_EQ(DirectXFileCreate(&file), DXFILE_OK);
  const std::string templ(reinterpret_cast<const char*>(D3DRM_XTEMPLATES), D3DRM_XTEMPLATE_BYTES);
  std::vector<uint8_t> binary = xtest::BinaryWriter(false).Convert(templ);
  ASSERT_EQ(file->RegisterTemplates(binary.data(), static_cast<DWORD>(binary.size())), DXFILE_OK);
  const std::string text = xtest::ReadTestFile("scene.x");
  DXFILELOADMEMORY mem = {const_cast<char*>(text.data()), static_cast<DWORD>(text.size())};
  IDirectXFileEnumObject* e = nullptr;
  ASSERT_EQ(file->CreateEnumObject(&mem, DXFILELOAD_FROMMEMORY, &e), DXFILE_OK);
  EXPECT_EQ(DumpAll(e), DumpOf(Bytes(text)));
  e->Release();
  file->Release();
}

TEST(XFileParser, UnregisteredTemplatesAndLoadSources) {
  IDirectXFileEnumObject* e = nullptr;
  const std::string text = xtest::ReadTestFile("scene.x");
  EXPECT_EQ(OpenX(text.data(), text.size(), &e, false), DXFILEERR_NOTEMPLATE);
  EXPECT_EQ(e, nullptr);

  IDirectXFile* file = nullptr;
  ASSERT_EQ(DirectXFileCreate(&file), DXFILE_OK);
  ASSERT_EQ(file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
  // Windows-style separators are accepted in paths.
  std::string path = std::string(DXFILE_TEST_DATA) + "\\scene.x";
  EXPECT_EQ(file->CreateEnumObject(const_cast<char*>(path.c_str()), DXFILELOAD_FROMFILE, &e), DXFILE_OK);
  ASSERT_NE(e, nullptr);
  IDirectXFileData* d = nullptr;
  EXPECT_EQ(e->GetNextDataObject(&d), DXFILE_OK);
  d->Release();
  e->Release();
  EXPECT_EQ(file->CreateEnumObject(const_cast<char*>("no/such/file.x"), DXFILELOAD_FROMFILE, &e),
            DXFILEERR_FILENOTFOUND);
  EXPECT_EQ(file->CreateEnumObject(nullptr, DXFILELOAD_FROMMEMORY, &e), DXFILEERR_BADVALUE);
  EXPECT_EQ(file->CreateSaveObject("x.x", DXFILEFORMAT_TEXT, nullptr), E_NOTIMPL);
  IUnknown* unk = nullptr;
  EXPECT_EQ(file->QueryInterface(IID_IDirectXFile, reinterpret_cast<void**>(&unk)), S_OK);
  unk->Release();
  file->Release();
}

TEST(XFileParser, TextSyntaxVariants) {
  // Comments of both kinds, separators left out or doubled, exponents,
  // integers where floats are expected, names with dashes and dots.
  const std::string text =
      "xof 0302txt 0032\n# comment\n"
      "Vector my-vec.1 { 1 2.5e1 ;; -.5 ; } // trailing\n"
      "Coords2d { 0.25, 0.75 }\n";
  IDirectXFileEnumObject* e = nullptr;
  ASSERT_EQ(OpenX(text, &e), DXFILE_OK);
  IDirectXFileData* d = nullptr;
  ASSERT_EQ(e->GetNextDataObject(&d), DXFILE_OK);
  EXPECT_EQ(NameOf(d), "my-vec.1");
  DWORD size = 0;
  float* v = nullptr;
  ASSERT_EQ(d->GetData(nullptr, &size, reinterpret_cast<void**>(&v)), DXFILE_OK);
  ASSERT_EQ(size, 12u);
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[1], 25.0f);
  EXPECT_EQ(v[2], -0.5f);
  d->Release();
  ASSERT_EQ(e->GetNextDataObject(&d), DXFILE_OK);
  d->Release();
  e->Release();
}

}  // namespace
