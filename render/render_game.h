// SPDX-License-Identifier: MIT
// One game frame: the sea floor, the ship and its parts as lit meshes, the
// sprites and bullet trails of the display list, the HUD and the overlays
// (pause title, the darkening after the ship's death). Draws with the
// display's device and objects, the scene camera, the models and the fonts.
#pragma once

#include <d3d8.h>
#include <d3dx8.h>

#include "world/game_object.h"

class XMesh;

// The vertex of spriteQuad (24 bytes, XYZ | DIFFUSE | TEX1 = 0x142).
struct SpriteVertex {
  float x, y, z;
  D3DCOLOR diffuse;
  float u, v;
};
constexpr DWORD D3DFVF_SPRITEVERTEX = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Draws one frame inside its own scene (it does not present). Needs the
// display created; does nothing without a device, and skips the frame when
// BeginScene fails. Keeps only the pause title's glow between frames.
void RenderGame();
// A lit model placed by `world`, in its two passes: opaque subsets, then
// translucent ones added on top without depth writes. Nothing for a null model.
void DrawModel(XMesh* model, const D3DXMATRIX& world);
// Lets go of the pause title's kept picture (the display calls this before
// the device goes).
void ReleasePauseTitle();

// Texture rectangle of a sprite sheet cell.
struct SpriteCellRect {
  float uMin, vMin, uMax, vMax;
};
// The cell an animated sprite shows now: frame n = trunc(frame), column
// n mod columns, row n div columns of the kind's first cell; texel
// positions over 255, the far edges one texel inside the cell.
SpriteCellRect SpriteCell(const SpriteObject& sprite);
// Debris fades from white through orange and red to black as its age runs
// from 0 to 1.
D3DCOLOR DebrisColour(float age);
// The HUD's three lines, each at most 79 characters: "Score: %08ld",
// "copyright: <credit of the ship type>" and "Weapon: <name>" (any number
// past the table shows the last weapon, the Proximity killer).
void FormatHudTexts(DWORD score, DWORD weapon, char scoreText[80], char creditText[80], char weaponText[80]);
