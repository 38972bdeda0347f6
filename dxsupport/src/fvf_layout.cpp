// SPDX-License-Identifier: MIT
// Flexible vertex formats: field offsets in the order Direct3D lays them out.
#include "fvf_layout.h"

#include <d3dx8mesh.h>

namespace dxsupport {
namespace {

// Bytes of the position field for each D3DFVF_POSITION_MASK value.
struct PositionSize {
  DWORD code;
  int bytes;
};
constexpr PositionSize kPositionSizes[] = {
    {D3DFVF_XYZ, 12},   {D3DFVF_XYZRHW, 16}, {D3DFVF_XYZB1, 16}, {D3DFVF_XYZB2, 20},
    {D3DFVF_XYZB3, 24}, {D3DFVF_XYZB4, 28},  {D3DFVF_XYZB5, 32},
};

// Floats per texture coordinate set, by its two format bits.
constexpr int kTexCoordFloats[4] = {2, 3, 4, 1};

}  // namespace

bool ComputeFvfLayout(DWORD fvf, FvfLayout* layout) {
  *layout = FvfLayout();
  if (fvf & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)) return false;
  int at = 0;
  for (const PositionSize& p : kPositionSizes)
    if ((fvf & D3DFVF_POSITION_MASK) == p.code) layout->position = {0, p.bytes};
  if (layout->position.offset < 0) return false;
  at = layout->position.size;
  auto add = [&at](FvfField* field, int size) {
    *field = {at, size};
    at += size;
  };
  if (fvf & D3DFVF_NORMAL) add(&layout->normal, 12);
  if (fvf & D3DFVF_PSIZE) add(&layout->pointSize, 4);
  if (fvf & D3DFVF_DIFFUSE) add(&layout->diffuse, 4);
  if (fvf & D3DFVF_SPECULAR) add(&layout->specular, 4);
  layout->texCount = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if (layout->texCount > 8) return false;
  for (int i = 0; i < layout->texCount; ++i)
    add(&layout->tex[i], 4 * kTexCoordFloats[(fvf >> (16 + 2 * i)) & 3]);
  layout->stride = at;
  return true;
}

}  // namespace dxsupport

UINT WINAPI D3DXGetFVFVertexSize(DWORD fvf) {
  dxsupport::FvfLayout layout;
  return dxsupport::ComputeFvfLayout(fvf, &layout) ? static_cast<UINT>(layout.stride) : 0;
}
