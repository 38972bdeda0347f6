// SPDX-License-Identifier: MIT
// Where each field of a flexible-vertex-format vertex lives, so meshes can
// copy fields between formats and find positions and normals.
#pragma once

#include <d3d8.h>

namespace dxsupport {

struct FvfField {
  int offset = -1;  // -1: not in the format
  int size = 0;
};

struct FvfLayout {
  FvfField position;  // x, y, z (and rhw or blend weights after them)
  FvfField normal;
  FvfField pointSize;
  FvfField diffuse;
  FvfField specular;
  FvfField tex[8];
  int texCount = 0;
  int stride = 0;
};

// False for formats with no position or with reserved bits set.
bool ComputeFvfLayout(DWORD fvf, FvfLayout* layout);

}  // namespace dxsupport
