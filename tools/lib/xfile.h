// SPDX-License-Identifier: MIT
// DirectX .x text files for the generated models: a writer for one
// top-level Mesh with materials, texture names, normals and texture
// coordinates, and a small lenient reader of the same shapes used by the
// tests and the preview tool (it also steps through Frame nesting).
#pragma once
#include <string>

#include "mesh.h"

namespace gen {

// Numbers are printed with "%.6f" in the C locale, so output is byte-stable.
bool WriteXFile(const std::string& path, const Mesh& mesh, const std::string& meshName);

// Reads the first Mesh found (n-gon faces are split into fans). Returns
// false with a reason in *error on malformed input.
bool ReadXFile(const std::string& path, Mesh* out, std::string* error);

}  // namespace gen
