// SPDX-License-Identifier: MIT
// .x text writing and a token-level reader for the templates the generators
// use (Mesh, MeshMaterialList, Material, TextureFilename, MeshNormals,
// MeshTextureCoords). Separators ';' and ',' are treated as whitespace by the
// reader, which then reads counted lists; unknown blocks are skipped.
#include "xfile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace gen {
namespace {

class XWriter {
 public:
  explicit XWriter(FILE* f) : f_(f) {}
  void Line(const char* text) { std::fprintf(f_, "%s\n", text); }
  void Num(const char* indent, float v, const char* tail) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(v));
    std::fprintf(f_, "%s%s%s", indent, buf, tail);
  }
  void Vec(const char* indent, float a, float b, float c, const char* tail) {
    Num(indent, a, ";");
    Num("", b, ";");
    Num("", c, ";");
    std::fprintf(f_, "%s\n", tail);
  }
  void Int(const char* indent, long v, const char* tail) { std::fprintf(f_, "%s%ld%s\n", indent, v, tail); }
  void Vectors(const std::vector<Vec3>& list) {
    Int("  ", static_cast<long>(list.size()), ";");
    for (size_t i = 0; i < list.size(); ++i)
      Vec("  ", list[i].x, list[i].y, list[i].z, i + 1 < list.size() ? "," : ";");
  }
  void Faces(const Mesh& m) {
    Int("  ", static_cast<long>(m.faces.size()), ";");
    for (size_t i = 0; i < m.faces.size(); ++i) {
      const Mesh::Face& f = m.faces[i];
      std::fprintf(f_, "  3;%d,%d,%d;%s\n", f.a, f.b, f.c, i + 1 < m.faces.size() ? "," : ";");
    }
  }
  FILE* File() { return f_; }

 private:
  FILE* f_;
};

void WriteMaterial(XWriter& w, const Material& m) {
  w.Line("    Material {");
  w.Num("      ", m.diffuse.r, ";");
  w.Num("", m.diffuse.g, ";");
  w.Num("", m.diffuse.b, ";");
  w.Num("", m.diffuse.a, ";;\n");
  w.Num("      ", m.power, ";\n");
  w.Vec("      ", m.specular.r, m.specular.g, m.specular.b, ";");
  w.Vec("      ", m.emissive.r, m.emissive.g, m.emissive.b, ";");
  if (!m.texture.empty()) {
    w.Line("      TextureFilename {");
    std::fprintf(w.File(), "        \"%s\";\n", m.texture.c_str());
    w.Line("      }");
  }
  w.Line("    }");
}

}  // namespace

bool WriteXFile(const std::string& path, const Mesh& m, const std::string& meshName) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  XWriter w(f);
  w.Line("xof 0302txt 0032");
  w.Line("");
  std::fprintf(f, "Mesh %s {\n", meshName.c_str());
  w.Vectors(m.positions);
  w.Faces(m);
  w.Line("");
  w.Line("  MeshMaterialList {");
  w.Int("    ", static_cast<long>(m.materials.size()), ";");
  w.Int("    ", static_cast<long>(m.faces.size()), ";");
  for (size_t i = 0; i < m.faces.size(); ++i)
    w.Int("    ", m.faces[i].material, i + 1 < m.faces.size() ? "," : ";");
  for (const Material& mat : m.materials) WriteMaterial(w, mat);
  w.Line("  }");
  w.Line("");
  w.Line("  MeshNormals {");
  w.Vectors(m.normals);
  w.Faces(m);
  w.Line("  }");
  w.Line("");
  w.Line("  MeshTextureCoords {");
  w.Int("  ", static_cast<long>(m.u.size()), ";");
  for (size_t i = 0; i < m.u.size(); ++i) {
    w.Num("  ", m.u[i], ";");
    w.Num("", m.v[i], i + 1 < m.u.size() ? ";,\n" : ";;\n");
  }
  w.Line("  }");
  w.Line("}");
  bool ok = std::ferror(f) == 0;
  return std::fclose(f) == 0 && ok;
}

namespace {

// Tokens: '{', '}', quoted strings (without quotes) and bare words/numbers.
class Tokens {
 public:
  explicit Tokens(std::string text) : s_(std::move(text)) {}
  bool Next(std::string* tok) {
    for (;;) {
      while (pos_ < s_.size() &&
             (std::isspace(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == ';' || s_[pos_] == ','))
        ++pos_;
      if (pos_ < s_.size() &&
          (s_[pos_] == '#' || (s_[pos_] == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/'))) {
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
        continue;
      }
      break;
    }
    if (pos_ >= s_.size()) return false;
    char c = s_[pos_];
    if (c == '{' || c == '}') {
      *tok = std::string(1, c);
      ++pos_;
      return true;
    }
    if (c == '"') {
      size_t end = s_.find('"', pos_ + 1);
      if (end == std::string::npos) return false;
      *tok = s_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end + 1;
      return true;
    }
    size_t start = pos_;
    while (pos_ < s_.size() && !std::isspace(static_cast<unsigned char>(s_[pos_])) &&
           std::string(";,{}\"").find(s_[pos_]) == std::string::npos)
      ++pos_;
    *tok = s_.substr(start, pos_ - start);
    return true;
  }
  bool Number(double* v) {
    std::string t;
    if (!Next(&t)) return false;
    char* end = nullptr;
    *v = std::strtod(t.c_str(), &end);
    return end && *end == '\0' && !t.empty();
  }
  bool Count(size_t* n, size_t limit) {
    double v = 0;
    if (!Number(&v) || v < 0 || v > static_cast<double>(limit)) return false;
    *n = static_cast<size_t>(v);
    return true;
  }
  // Skips the rest of a block whose '{' was just read.
  bool SkipBlock() {
    int depth = 1;
    std::string t;
    while (depth > 0 && Next(&t)) depth += t == "{" ? 1 : (t == "}" ? -1 : 0);
    return depth == 0;
  }

 private:
  std::string s_;
  size_t pos_ = 0;
};

const size_t kMaxCount = 10000000;

// Reads "{ [name] " up to and including '{'; the block's type was read.
bool OpenBlock(Tokens& t) {
  std::string tok;
  if (!t.Next(&tok)) return false;
  if (tok == "{") return true;
  return t.Next(&tok) && tok == "{";
}

bool ReadFaces(Tokens& t, std::vector<std::vector<int>>* faces, size_t vertexCount) {
  size_t n = 0;
  if (!t.Count(&n, kMaxCount)) return false;
  for (size_t i = 0; i < n; ++i) {
    size_t k = 0;
    if (!t.Count(&k, 64) || k < 3) return false;
    std::vector<int> f(k);
    for (size_t j = 0; j < k; ++j) {
      size_t idx = 0;
      if (!t.Count(&idx, kMaxCount) || idx >= vertexCount) return false;
      f[j] = static_cast<int>(idx);
    }
    faces->push_back(f);
  }
  return true;
}

bool ReadMaterial(Tokens& t, Material* m) {
  double v[11] = {};
  for (double& x : v)
    if (!t.Number(&x)) return false;
  m->diffuse = {float(v[0]), float(v[1]), float(v[2]), float(v[3])};
  m->power = float(v[4]);
  m->specular = Rgb(float(v[5]), float(v[6]), float(v[7]));
  m->emissive = Rgb(float(v[8]), float(v[9]), float(v[10]));
  std::string tok;
  while (t.Next(&tok) && tok != "}") {
    if (tok == "{") {
      if (!t.SkipBlock()) return false;
      continue;
    }
    if (!OpenBlock(t)) return false;
    if (tok == "TextureFilename") {
      if (!t.Next(&m->texture)) return false;
    }
    if (!t.SkipBlock()) return false;
  }
  return tok == "}";
}

struct ParsedMesh {
  std::vector<Vec3> pos, normals;
  std::vector<std::vector<int>> faces, normalFaces;
  std::vector<float> u, v;
  std::vector<size_t> faceMaterial;
  std::vector<Material> materials;
};

bool ReadMaterialList(Tokens& t, ParsedMesh* p) {
  size_t nm = 0, nf = 0;
  if (!t.Count(&nm, 100000) || !t.Count(&nf, kMaxCount)) return false;
  p->faceMaterial.resize(nf);
  for (size_t& idx : p->faceMaterial)
    if (!t.Count(&idx, kMaxCount) || idx >= nm) return false;
  std::string tok;
  while (t.Next(&tok) && tok != "}") {
    if (!OpenBlock(t)) return false;
    if (tok == "Material") {
      p->materials.emplace_back();
      if (!ReadMaterial(t, &p->materials.back())) return false;
    } else if (!t.SkipBlock()) {
      return false;
    }
  }
  return p->materials.size() == nm;
}

bool ReadVectors(Tokens& t, std::vector<Vec3>* out) {
  size_t n = 0;
  if (!t.Count(&n, kMaxCount)) return false;
  out->resize(n);
  for (Vec3& p : *out) {
    double x = 0, y = 0, z = 0;
    if (!t.Number(&x) || !t.Number(&y) || !t.Number(&z)) return false;
    p = {float(x), float(y), float(z)};
  }
  return true;
}

bool ReadMeshBody(Tokens& t, ParsedMesh* p, std::string* error) {
  if (!ReadVectors(t, &p->pos) || !ReadFaces(t, &p->faces, p->pos.size())) {
    *error = "bad vertex or face list";
    return false;
  }
  std::string tok;
  while (t.Next(&tok) && tok != "}") {
    if (!OpenBlock(t)) {
      *error = "bad block " + tok;
      return false;
    }
    bool ok = true;
    if (tok == "MeshMaterialList") {
      ok = ReadMaterialList(t, p);
    } else if (tok == "MeshNormals") {
      ok = ReadVectors(t, &p->normals) && ReadFaces(t, &p->normalFaces, p->normals.size()) && t.SkipBlock();
    } else if (tok == "MeshTextureCoords") {
      size_t n = 0;
      ok = t.Count(&n, kMaxCount);
      for (size_t i = 0; ok && i < n; ++i) {
        double a = 0, b = 0;
        ok = t.Number(&a) && t.Number(&b);
        p->u.push_back(float(a));
        p->v.push_back(float(b));
      }
      ok = ok && t.SkipBlock();
    } else {
      ok = t.SkipBlock();
    }
    if (!ok) {
      *error = "bad " + tok;
      return false;
    }
  }
  if (tok != "}") {
    *error = "unterminated Mesh";
    return false;
  }
  return true;
}

}  // namespace

bool ReadXFile(const std::string& path, Mesh* out, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot open " + path;
    return false;
  }
  std::string text;
  char buf[65536];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  if (text.compare(0, 4, "xof ") != 0 || text.size() < 16 || text.compare(8, 3, "txt") != 0) {
    *error = "not a text .x file";
    return false;
  }
  Tokens t(text.substr(16));
  std::string tok;
  ParsedMesh p;
  bool found = false;
  while (!found && t.Next(&tok)) {
    if (tok == "Mesh") {
      if (!OpenBlock(t) || !ReadMeshBody(t, &p, error)) return false;
      found = true;
    } else if (tok == "Frame") {
      if (!OpenBlock(t)) {
        *error = "bad Frame";
        return false;
      }  // descend: its Mesh is found next
    } else if (tok == "{" || tok == "}") {
      continue;
    } else if (tok == "template" || tok == "FrameTransformMatrix" || tok == "Header") {
      if (!OpenBlock(t) || !t.SkipBlock()) {
        *error = "bad " + tok;
        return false;
      }
    }
  }
  if (!found) {
    *error = "no Mesh";
    return false;
  }
  *out = Mesh();
  out->materials = p.materials;
  for (size_t i = 0; i < p.pos.size(); ++i) {
    float u = i < p.u.size() ? p.u[i] : 0.0f, v = i < p.v.size() ? p.v[i] : 0.0f;
    Vec3 nrm = p.normalFaces.empty() && i < p.normals.size() ? p.normals[i] : Vec3{};
    out->AddVertex(p.pos[i], nrm, u, v);
  }
  if (out->materials.empty()) out->materials.emplace_back();
  for (size_t i = 0; i < p.faces.size(); ++i) {
    int mat = i < p.faceMaterial.size() ? static_cast<int>(p.faceMaterial[i]) : 0;
    const std::vector<int>& fv = p.faces[i];
    for (size_t k = 1; k + 1 < fv.size(); ++k) out->faces.push_back({fv[0], fv[k], fv[k + 1], mat});
  }
  // Per-corner normals are mapped onto positions through the face lists.
  if (!p.normalFaces.empty() && p.normalFaces.size() == p.faces.size())
    for (size_t i = 0; i < p.faces.size(); ++i)
      for (size_t k = 0; k < p.faces[i].size() && k < p.normalFaces[i].size(); ++k)
        out->normals[p.faces[i][k]] = p.normals[p.normalFaces[i][k]];
  return true;
}

}  // namespace gen
