// SPDX-License-Identifier: MIT
// The menu record: one record is both a menu and an entry of its parent,
// and draws itself over the game frame. The menu trees and what their
// entries do belong to the input side (input/menus.h), which opens them.
#pragma once

#include <d3d8.h>
#include <windows.h>

class TextureFont;

// One record is both a menu (its name is the title) and an entry of its
// parent. A menu owns its children.
class MenuItem {
 public:
  static constexpr DWORD kNameSize = 80;  // 79 characters and the terminator
  static constexpr DWORD kMaxChildren = 10;

  // Keeps up to 79 characters of `name`; no parent, no entries, entry 0
  // highlighted.
  MenuItem(const char* name, DWORD id);
  // Deletes the children, last first (each deletes its own).
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  // Appends `child` and becomes its parent and owner; returns the child.
  // A full menu (or a null child) refuses: null, and the caller keeps it.
  MenuItem* AddChild(MenuItem* child);
  // Draws the title and the entries as world text with `font` under the
  // menu's own camera, the highlighted entry yellow and swinging. The view
  // and projection are restored; world transform, material, lighting and
  // ambient stay as set. E_INVALIDARG (drawing nothing) without a device
  // or font.
  HRESULT Render(IDirect3DDevice8* device, TextureFont* font);

  char name[kNameSize] = {};
  DWORD id = 0;
  MenuItem* parent = nullptr;
  MenuItem* children[kMaxChildren] = {};
  DWORD childCount = 0;
  DWORD selected = 0;  // kept between openings
};

// The open menu, or null while playing; points into a tree, owns nothing.
extern MenuItem* currentMenu;
