// SPDX-License-Identifier: MIT
// The menu record and its 3D drawing: the title and entries as world text
// under the menu's own camera, the highlighted entry swinging.
#include "render/menu_item.h"

#include <d3dx8.h>

#include <cmath>
#include <cstring>

#include "render/d3d_helpers.h"
#include "render/texture_font.h"

MenuItem* currentMenu = nullptr;

namespace {

// The menu's own camera: 30 units in front of the text, looking at it.
constexpr float kEyeDistance = 30.0f;
constexpr float kFieldOfView = 0.7853982f;  // pi / 4
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 100.0f;
constexpr float kTitleScale = 0.4f;
constexpr float kEntryScale = 0.3f;
constexpr float kTitleRise = 2.0f;  // above the first entry
constexpr float kEntrySpacing = 2.0f;
constexpr float kSwingAmplitude = 1.0471976f;  // pi / 3: 60 degrees either way
constexpr double kSwingMillisecondsPerRadian = 200.0;
constexpr DWORD kWorldTextFlags = TEXTFONT_CENTERED | TEXTFONT_TWOSIDED;

// The highlighted entry swings about its vertical axis, once every
// 2 pi x 200 ms. Milliseconds are divided as a real number so the swing
// moves smoothly rather than in 200 ms steps.
float SwingAngle(DWORD milliseconds) {
  return static_cast<float>(std::sin(static_cast<double>(milliseconds) / kSwingMillisecondsPerRadian)) *
         kSwingAmplitude;
}

void DrawLine(IDirect3DDevice8* device, TextureFont* font, const char* text, D3DXMATRIX world, float y,
              const D3DMATERIAL8& material) {
  world._42 = y;
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetMaterial(&material);
  font->DrawWorldText(text, kWorldTextFlags);
}

}  // namespace

MenuItem::MenuItem(const char* itemName, DWORD itemId) : id(itemId) {
  if (itemName) std::strncpy(name, itemName, kNameSize - 1);
}

MenuItem::~MenuItem() {
  for (DWORD i = childCount; i > 0; --i) {
    delete children[i - 1];
    children[i - 1] = nullptr;
  }
  childCount = 0;
}

MenuItem* MenuItem::AddChild(MenuItem* child) {
  if (!child || childCount >= kMaxChildren) return nullptr;
  children[childCount++] = child;
  child->parent = this;
  return child;
}

HRESULT MenuItem::Render(IDirect3DDevice8* device, TextureFont* font) {
  if (!device || !font) return E_INVALIDARG;
  D3DXMATRIX savedView, savedProjection;
  device->GetTransform(D3DTS_VIEW, &savedView);
  device->GetTransform(D3DTS_PROJECTION, &savedProjection);

  D3DXMATRIX view, projection;
  const D3DXVECTOR3 eye(0.0f, 0.0f, -kEyeDistance), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1.0f, kNearPlane, kFarPlane);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  D3DMATERIAL8 titleMaterial, entryMaterial, highlightMaterial;
  MakeMaterial(titleMaterial, 1.0f, 0.0f, 0.0f, 1.0f);
  MakeMaterial(entryMaterial, 1.0f, 1.0f, 1.0f, 0.5f);
  MakeMaterial(highlightMaterial, 1.0f, 1.0f, 0.0f, 1.0f);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);

  const float rows = static_cast<float>(childCount);
  D3DXMATRIX world;
  D3DXMatrixScaling(&world, kTitleScale, kTitleScale, kTitleScale);
  DrawLine(device, font, name, world, rows + kTitleRise, titleMaterial);
  for (DWORD i = 0; i < childCount; ++i) {
    D3DXMatrixScaling(&world, kEntryScale, kEntryScale, kEntryScale);
    const bool highlighted = i == selected;
    if (highlighted) {
      D3DXMATRIX swing;
      D3DXMatrixRotationY(&swing, SwingAngle(timeGetTime()));
      D3DXMatrixMultiply(&world, &world, &swing);
    }
    const float y = rows - kEntrySpacing * static_cast<float>(i);
    DrawLine(device, font, children[i]->name, world, y, highlighted ? highlightMaterial : entryMaterial);
  }

  device->SetTransform(D3DTS_VIEW, &savedView);
  device->SetTransform(D3DTS_PROJECTION, &savedProjection);
  return S_OK;
}
