// SPDX-License-Identifier: MIT
// The game frame. Sprites share one four-vertex buffer that is refilled and
// drawn per square; sprites use depth writes with the alpha test dropping
// the sheets' keyed-out texels, debris and bullets are additive.
#include "render/render_game.h"

#include <cmath>
#include <algorithm>
#include <initializer_list>
#include <cstdio>

#include "render/display_objects.h"
#include "render/game_models.h"
#include "render/level_intro.h"
#include "render/menu_item.h"
#include "render/scene_camera.h"
#include "render/texture_font.h"
#include "world/game_state.h"
#include "world/input_state.h"
#include "world/state_hash.h"
#include "world/weapons.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kSheetTexels = 255.0f;
constexpr int kTrailSquares = 6;
constexpr float kTrailSpacing = 0.0005f;
constexpr float kTrailHalfSide = 0.04f;
constexpr float kHudDepth = 0.9f;
constexpr float kHudScale = 0.05f;
constexpr D3DCOLOR kHudColour = 0xFFFFFF00;
constexpr DWORD kLastWeapon = WEAPON_COUNT - 1;

// A game point (x, y, z) in render space.
D3DXVECTOR3 RenderPoint(const Vector3& p) {
  return D3DXVECTOR3(p.x, p.z, -p.y);
}
// The same for the ship and its parts, which stand on the floor.
D3DXVECTOR3 GroundedPoint(const Vector3& p) {
  return D3DXVECTOR3(p.x, FloorHeight(p.x, -p.y) + p.z, -p.y);
}

SpriteCellRect CellAt(float px, float py, DWORD width, DWORD height) {
  return {px / kSheetTexels, py / kSheetTexels, (px + width - 1) / kSheetTexels,
          (py + height - 1) / kSheetTexels};
}

void FillSpriteQuad(float s, const SpriteCellRect& c, D3DCOLOR colour) {
  BYTE* data = nullptr;
  if (FAILED(spriteQuad->Lock(0, 0, &data, 0))) return;
  const SpriteVertex quad[4] = {{-s, -s, 0.0f, colour, c.uMin, c.vMax},
                                {-s, +s, 0.0f, colour, c.uMin, c.vMin},
                                {+s, -s, 0.0f, colour, c.uMax, c.vMax},
                                {+s, +s, 0.0f, colour, c.uMax, c.vMin}};
  std::copy(quad, quad + 4, reinterpret_cast<SpriteVertex*>(data));
  spriteQuad->Unlock();
}

void DrawSpriteQuad(const D3DXVECTOR3& at, float halfSide, const SpriteCellRect& cell, D3DCOLOR colour) {
  D3DXMATRIX world = sceneCamera.GetBillboardMatrix();
  world._41 = at.x;
  world._42 = at.y;
  world._43 = at.z;
  device->SetTransform(D3DTS_WORLD, &world);
  FillSpriteQuad(halfSide, cell, colour);
  device->SetVertexShader(D3DFVF_SPRITEVERTEX);
  device->SetStreamSource(0, spriteQuad, sizeof(SpriteVertex));
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

// RotX(angle) x Inverse(LookAtLH(eye, eye - forward, up)): a model at `eye`
// facing along `forward`, tilted about its own x axis.
D3DXMATRIX ModelWorld(float angle, const D3DXVECTOR3& eye, const D3DXVECTOR3& forward,
                      const D3DXVECTOR3& up) {
  D3DXMATRIX rotation, look, placed, world;
  const D3DXVECTOR3 at = eye - forward;
  D3DXMatrixRotationX(&rotation, angle);
  D3DXMatrixLookAtLH(&look, &eye, &at, &up);
  D3DXMatrixInverse(&placed, nullptr, &look);
  D3DXMatrixMultiply(&world, &rotation, &placed);
  return world;
}

void DrawShipAndParts(const ShipObject& ship) {
  const D3DXVECTOR3 p = GroundedPoint(ship.position);
  const float z = ship.position.z;
  const D3DXVECTOR3 a(p.x + std::sin(ship.heading), 0.0f, p.z + std::cos(ship.heading));
  const D3DXVECTOR3 b(p.x + std::sin(ship.heading + kHalfPi), 0.0f, p.z + std::cos(ship.heading + kHalfPi));
  const D3DXVECTOR3 forward = D3DXVECTOR3(a.x, FloorHeight(a.x, a.z) + z, a.z) - p;
  const D3DXVECTOR3 side = D3DXVECTOR3(b.x, FloorHeight(b.x, b.z) + z, b.z) - p;
  D3DXVECTOR3 up;
  D3DXVec3Cross(&up, &forward, &side);
  DrawModel(modelSlots[MODEL_SLOT_SHIP], ModelWorld(ship.aimAngle, p, forward, up));
  for (GameObject* o = DisplayList; o; o = o->next) {
    if (o->kind != KIND_SHIP_PART || o->modelSlot >= kModelSlotCount) continue;
    const auto* part = static_cast<const ShipPart*>(o);
    DrawModel(modelSlots[part->modelSlot],
              ModelWorld(part->aimAngle + kPi, GroundedPoint(part->position), forward, up));
  }
}

void DrawSprites() {
  for (GameObject* o = DisplayList; o; o = o->next) {
    if (!o->visible || o->kind < KIND_GLORB || o->kind > KIND_DEBRIS) continue;
    const auto* sprite = static_cast<const SpriteObject*>(o);
    device->SetTexture(0,
                       SpriteSheetForKind(o->kind) == SPRITE_SHEET_GLORBS1 ? spriteTexture1 : spriteTexture2);
    const bool debris = o->kind == KIND_DEBRIS;
    device->SetRenderState(D3DRS_SRCBLEND, debris ? D3DBLEND_ONE : D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, debris ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, debris ? FALSE : TRUE);
    const D3DCOLOR colour = debris ? DebrisColour(sprite->frame) : sprite->colour;
    DrawSpriteQuad(RenderPoint(o->position), sprite->radius, SpriteCell(*sprite), colour);
  }
}

// Six additive squares trailing each bullet along its velocity.
void DrawBullets() {
  for (GameObject* o = DisplayList; o; o = o->next) {
    if (o->kind != KIND_BULLET) continue;
    const auto* bullet = static_cast<const BulletObject*>(o);
    const SpriteCellRect cell = CellAt(static_cast<float>(bullet->cellX), static_cast<float>(bullet->cellY),
                                       bullet->cellWidth, bullet->cellHeight);
    device->SetTexture(0, spriteTexture2);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    for (int i = 0; i < kTrailSquares; ++i) {
      const float k = kTrailSpacing * i * i;
      const Vector3 behind = bullet->position - bullet->velocity * k;
      DrawSpriteQuad(RenderPoint(behind), kTrailHalfSide, cell, bullet->colour);
    }
  }
}

void DrawHud() {
  if (!hudFont) return;
  char score[80], credit[80], weapon[80];
  FormatHudTexts(Score, Weapon, score, credit, weapon);
  hudFont->DrawScaledText(-1.0f, 1.0f, kHudDepth, kHudScale, kHudScale, kHudColour, score, TEXTFONT_FILTERED);
  hudFont->DrawScaledText(0.0f, 1.0f, kHudDepth, kHudScale, kHudScale, kHudColour, credit, TEXTFONT_FILTERED);
  hudFont->DrawScaledText(0.0f, 1.1f, kHudDepth, kHudScale, kHudScale, kHudColour, weapon, TEXTFONT_FILTERED);
}

// The pause title's glow: its twenty copies are drawn once per pause (and
// again after a change of size) and kept as two pictures, so a paused frame
// costs no more than a play frame. The copies blend by their alpha, so what
// they leave over any background D is G + D x T: G is the glow drawn over
// black, T what shows through (the glow over white, less G).
IDirect3DTexture8* pauseGlow = nullptr;     // G
IDirect3DTexture8* pauseShowing = nullptr;  // T
RECT pauseGlowBox = {};                     // where G is not black or T not white
bool pauseGlowFresh = false;                // both hold this pause's glow

struct GlowVertex {  // XYZRHW | DIFFUSE | TEX1
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  float u, v;
};

// `*texture` made, or made again, at the back buffer's size and format.
bool BackBufferSizedTexture(IDirect3DTexture8** texture) {
  const UINT w = presentParams.BackBufferWidth, h = presentParams.BackBufferHeight;
  D3DSURFACE_DESC desc{};
  if (*texture && (FAILED((*texture)->GetLevelDesc(0, &desc)) || desc.Width != w || desc.Height != h)) {
    (*texture)->Release();
    *texture = nullptr;
  }
  return *texture || SUCCEEDED(device->CreateTexture(w, h, 1, 0, presentParams.BackBufferFormat,
                                                     D3DPOOL_MANAGED, texture));
}

// The back buffer as it stands, copied into `into`.
bool CopyBackBufferInto(IDirect3DTexture8* into) {
  IDirect3DSurface8* back = nullptr;
  IDirect3DSurface8* level = nullptr;
  bool ok = SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) &&
            SUCCEEDED(into->GetSurfaceLevel(0, &level)) &&
            SUCCEEDED(device->CopyRects(back, nullptr, 0, level, nullptr));
  if (level) level->Release();
  if (back) back->Release();
  return ok;
}

// Draws the copies over `background` and copies the back buffer into `into`.
bool CaptureCopies(const TitleCopy* copies, D3DCOLOR background, IDirect3DTexture8* into) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
  DrawTitleCopies(bigFont, "Paused", copies);
  return CopyBackBufferInto(into);
}

// T = (glow over white) - G, and the box the glow touches.
bool SplitGlow() {
  D3DLOCKED_RECT g{}, t{};
  if (FAILED(pauseGlow->LockRect(0, &g, nullptr, D3DLOCK_READONLY))) return false;
  if (FAILED(pauseShowing->LockRect(0, &t, nullptr, 0))) {
    pauseGlow->UnlockRect(0);
    return false;
  }
  const LONG w = static_cast<LONG>(presentParams.BackBufferWidth),
             h = static_cast<LONG>(presentParams.BackBufferHeight);
  RECT box = {w, h, 0, 0};
  for (LONG y = 0; y < h; ++y) {
    const BYTE* gRow = static_cast<const BYTE*>(g.pBits) + y * g.Pitch;
    BYTE* tRow = static_cast<BYTE*>(t.pBits) + y * t.Pitch;
    for (LONG x = 0; x < w; ++x) {
      bool touched = false;
      for (int c = 0; c < 3; ++c) {
        const int glow = gRow[4 * x + c], white = tRow[4 * x + c];
        tRow[4 * x + c] = static_cast<BYTE>(std::max(0, white - glow));
        touched = touched || glow != 0 || white != 255;
      }
      if (touched)
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
               std::max(box.bottom, y + 1)};
    }
  }
  pauseShowing->UnlockRect(0);
  pauseGlow->UnlockRect(0);
  pauseGlowBox = box;
  return true;
}

// Inside the scene, before the frame's own clear.
void CapturePauseGlow() {
  if (!BackBufferSizedTexture(&pauseGlow) || !BackBufferSizedTexture(&pauseShowing)) return;
  TitleCopy copies[kTitleCopies];
  ScatterTitleCopies(copies);
  pauseGlowFresh = CaptureCopies(copies, 0xFF000000, pauseGlow) &&
                   CaptureCopies(copies, 0xFFFFFFFF, pauseShowing) && SplitGlow();
}

// A texel-for-pixel textured rectangle of the back buffer.
void DrawKept(IDirect3DTexture8* texture, const RECT& r, D3DCOLOR diffuse) {
  const float w = static_cast<float>(presentParams.BackBufferWidth);
  const float h = static_cast<float>(presentParams.BackBufferHeight);
  const float x0 = r.left - 0.5f, x1 = r.right - 0.5f, y0 = r.top - 0.5f, y1 = r.bottom - 0.5f;
  const GlowVertex quad[4] = {{x0, y1, 0.0f, 1.0f, diffuse, r.left / w, r.bottom / h},
                              {x0, y0, 0.0f, 1.0f, diffuse, r.left / w, r.top / h},
                              {x1, y1, 0.0f, 1.0f, diffuse, r.right / w, r.bottom / h},
                              {x1, y0, 0.0f, 1.0f, diffuse, r.right / w, r.top / h}};
  device->SetTexture(0, texture);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(GlowVertex));
}

// The half fade and the kept glow: the whole back buffer times the fade and
// T, then G added inside the glow's box.
// States for drawing kept pictures texel for pixel.
void SetKeptPictureStates() {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
}

// What the overlays after a kept picture expect.
void RestoreAfterKeptPictures() {
  device->SetTexture(0, nullptr);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
}

void DrawFadeAndPauseGlow() {
  const DWORD keep = 255 - (FadeColour(0.5f) >> 24);
  SetKeptPictureStates();
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
  const RECT all = {0, 0, static_cast<LONG>(presentParams.BackBufferWidth),
                    static_cast<LONG>(presentParams.BackBufferHeight)};
  DrawKept(pauseShowing, all, 0xFF000000 | keep * 0x010101);
  if (pauseGlowBox.right > pauseGlowBox.left) {
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawKept(pauseGlow, pauseGlowBox, 0xFFFFFFFF);
  }
  RestoreAfterKeptPictures();
}

// The paused title and the respawn fade, over the scene.
void DrawPauseAndRespawn() {
  if (InputState.paused && hudFont && bigFont) {
    if (pauseGlowFresh) {
      DrawFadeAndPauseGlow();
    } else {
      DrawFade(0.5f);
      DrawTitleGlow(bigFont, "Paused");
    }
    DrawTitleText(bigFont, "Paused");
  }
  if (PlayerShip && PlayerShip->respawnTimer > 0.0f) DrawFade(PlayerShip->respawnTimer / 2.0f);
}

void DrawMenu() {
  if (currentMenu) {
    DrawFade(0.5f);
    currentMenu->Render(device, bigFont);
  }
}

// A paused game shows a still picture: after the first paused frame it is
// kept whole and drawn back as one rectangle, for as long as everything it
// is drawn from hashes the same (a weapon changed while paused, a new ship
// model or a new size draw it again). With a menu open the scene is drawn
// as usual: the menu's models are drawn against the scene's depths.
IDirect3DTexture8* pausedPicture = nullptr;
uint32_t pausedPictureKey = 0;
bool pausedPictureFresh = false;

uint32_t PausedPictureKey() {
  StateHash h;
  h.Add(presentParams.BackBufferWidth);
  h.Add(presentParams.BackBufferHeight);
  h.Add(Score);
  h.Add(Weapon);
  h.Add(CurrentShipCredit());
  for (const XMesh* model : modelSlots) h.Add(model);
  h.Add(seaFloorModel);
  h.Add(hudFont);
  h.Add(bigFont);
  h.Add(sceneCamera.GetViewMatrix());
  for (const GameObject* o = DisplayList; o; o = o->next) AddObjectState(h, o);
  return h.value;
}

bool KeepsPausedPicture() {
  return InputState.paused && !currentMenu && hudFont && bigFont && pauseGlowFresh;
}

// After the first paused frame, before anything is drawn over it.
void KeepPausedPicture(uint32_t key) {
  pausedPictureFresh = BackBufferSizedTexture(&pausedPicture) && CopyBackBufferInto(pausedPicture);
  pausedPictureKey = key;
}

void DrawPausedPicture() {
  SetKeptPictureStates();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  const RECT all = {0, 0, static_cast<LONG>(presentParams.BackBufferWidth),
                    static_cast<LONG>(presentParams.BackBufferHeight)};
  DrawKept(pausedPicture, all, 0xFFFFFFFF);
  RestoreAfterKeptPictures();
}

void SetFrameStates() {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  const D3DXMATRIX view = sceneCamera.GetViewMatrix();
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0x33333333);
}

}  // namespace

void DrawModel(XMesh* model, const D3DXMATRIX& world) {
  if (!model) return;
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  model->Render(device, true, false);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  model->Render(device, false, true);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

void ReleasePauseTitle() {
  for (IDirect3DTexture8** t : {&pauseGlow, &pauseShowing, &pausedPicture}) {
    if (*t) (*t)->Release();
    *t = nullptr;
  }
  pauseGlowFresh = false;
  pausedPictureFresh = false;
}

SpriteCellRect SpriteCell(const SpriteObject& sprite) {
  const DWORD n = static_cast<DWORD>(sprite.frame);
  const DWORD columns = sprite.columns ? sprite.columns : 1;
  const float px = static_cast<float>(sprite.cellX + sprite.cellWidth * (n % columns));
  const float py = static_cast<float>(sprite.cellY + sprite.cellHeight * (n / columns));
  return CellAt(px, py, sprite.cellWidth, sprite.cellHeight);
}

D3DCOLOR DebrisColour(float age) {
  const auto fade = [age](float rate) {
    const int value = 255 - static_cast<int>(rate * age);
    return static_cast<DWORD>(value < 0 ? 0 : value > 255 ? 0 : value);
  };
  // Red only ever falls, to 0 at age 1; past that it stays black too.
  const int red = 255 - static_cast<int>(255.0f * age);
  const DWORD r = static_cast<DWORD>(red < 0 ? 0 : red > 255 ? 255 : red);
  return 0xFF000000u + r * 65536u + fade(511.0f) * 256u + fade(1023.0f);
}

void FormatHudTexts(DWORD score, DWORD weapon, char scoreText[80], char creditText[80], char weaponText[80]) {
  std::snprintf(scoreText, 80, "Score: %08ld", static_cast<long>(score));
  const char* credit = CurrentShipCredit();
  std::snprintf(creditText, 80, "copyright: %s", credit ? credit : "");
  const WeaponInfo* info = GetWeaponInfo(weapon <= kLastWeapon ? weapon : kLastWeapon);
  std::snprintf(weaponText, 80, "Weapon: %s", info ? info->name : "");
}

void RenderGame() {
  if (!device) return;
  SetFrameStates();
  if (FAILED(device->BeginScene())) return;
  if (!InputState.paused) pauseGlowFresh = false;
  if (InputState.paused && bigFont && hudFont && !pauseGlowFresh) CapturePauseGlow();
  const bool keeps = KeepsPausedPicture();
  const uint32_t key = keeps ? PausedPictureKey() : 0;
  if (!keeps) pausedPictureFresh = false;
  if (keeps && pausedPictureFresh && key == pausedPictureKey) {
    DrawPausedPicture();
    device->EndScene();
    return;
  }
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
  if (seaFloorModel) seaFloorModel->Render(device, true, true);
  if (PlayerShip && PlayerShip->visible) DrawShipAndParts(*PlayerShip);

  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 8);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  if (spriteQuad) {
    DrawSprites();
    DrawBullets();
  }
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  DrawHud();
  DrawPauseAndRespawn();
  if (keeps) KeepPausedPicture(key);
  DrawMenu();
  device->EndScene();
}
