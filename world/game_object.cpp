// SPDX-License-Identifier: MIT
// Construction constants of every kind, the display list operations and the
// random-number rule. All randomness of the game goes through RandomRange, so
// the order of draws is fixed by the order of calls.
#include "world/game_object.h"

#include <initializer_list>

#include "world/random.h"

GameObject* DisplayList = nullptr;
ShipObject* PlayerShip = nullptr;

namespace {

// Per sprite kind. A value range with equal ends takes no random draw; the
// frame rate is drawn before the start frame.
struct SpriteKindInfo {
  SpriteSheet sheet;
  DWORD cellX, cellY, cellSize;
  float radius;
  DWORD columns;
  float frameCount;
  float rateLow, rateHigh;
  float frameLow, frameHigh;
};

const SpriteKindInfo kSpriteKinds[] = {
    /* ship part */ {SPRITE_SHEET_GLORBS1, 0, 0, 0, 0.0f, 1, 1, 0, 0, 0, 0},
    /* Glorb     */ {SPRITE_SHEET_GLORBS1, 0, 0, 32, 0.125f, 8, 30, 3, 12, 0, 30},
    /* pyramid   */ {SPRITE_SHEET_GLORBS2, 0, 0, 32, 0.125f, 8, 40, 12, 40, 0, 30},
    /* cube      */ {SPRITE_SHEET_GLORBS1, 0, 176, 16, 0.0625f, 16, 40, 32, 80, 0, 30},
    /* sphere    */ {SPRITE_SHEET_GLORBS1, 0, 128, 16, 0.0625f, 16, 40, 60, 80, 0, 30},
    /* debris    */ {SPRITE_SHEET_GLORBS2, 224, 224, 32, 0.125f, 1, 1, 1, 3, 0, 0},
    /* bullet    */ {SPRITE_SHEET_GLORBS2, 224, 224, 32, 0.0625f, 1, 400, 1000, 1000, 0, 0},
};
constexpr DWORD kSpriteKindCount = sizeof(kSpriteKinds) / sizeof(kSpriteKinds[0]);

const DWORD kBulletColours[BULLET_TYPE_COUNT] = {0xFF2020FF, 0xFF208020, 0xFF208080, 0xFF802020};

float DrawBetween(float low, float high) {
  return (low == high) ? low : RandomRange(low, high);
}

// Mends the neighbours' links around the object and detaches it.
void Unlink(GameObject* object) {
  if (object->next) object->next->prev = object->prev;
  if (object->prev) object->prev->next = object->next;
  if (DisplayList == object) DisplayList = object->next;
  object->next = nullptr;
  object->prev = nullptr;
}

}  // namespace

SpriteObject::SpriteObject(DWORD objectKind, const Vector3& where)
    : GameObject(objectKind, MODEL_SLOT_SPRITE, where) {
  const SpriteKindInfo& info = kSpriteKinds[objectKind < kSpriteKindCount ? objectKind : 0];
  radius = info.radius;
  columns = info.columns;
  frameCount = info.frameCount;
  frameRate = DrawBetween(info.rateLow, info.rateHigh);
  frame = DrawBetween(info.frameLow, info.frameHigh);
  cellX = info.cellX;
  cellY = info.cellY;
  cellWidth = info.cellSize;
  cellHeight = info.cellSize;
}

BulletObject::BulletObject(const Vector3& where, const Vector3& speed, DWORD type)
    : SpriteObject(KIND_BULLET, where), bulletType(type), velocity(speed) {
  position.z = FloorHeight(where.x, where.y) + where.z;
  colour = kBulletColours[type < BULLET_TYPE_COUNT ? type : 0];
}

ShipObject::ShipObject(const Vector3& where) : ShipBase(KIND_SHIP, MODEL_SLOT_SHIP, where) {
  radius = 0.078125f;
  aimAngle = 0.5f;
  part1 = new ShipPart(where, MODEL_SLOT_PART1);
  part2 = new ShipPart(where, MODEL_SLOT_PART2);
}

void BuildDisplayList() {
  if (DisplayList != nullptr) return;
  ShipObject* ship = new ShipObject(Vector3(0.0f, 0.0f, 0.0f));
  DisplayList = ship;
  PlayerShip = ship;
  InsertObject(ship->part1);
  InsertObject(ship->part2);
}

void DestroyDisplayList() {
  while (DisplayList != nullptr) {
    GameObject* head = DisplayList;
    DisplayList = head->next;
    if (DisplayList) DisplayList->prev = nullptr;
    delete head;
  }
  PlayerShip = nullptr;
}

void InsertObject(GameObject* object) {
  GameObject* head = DisplayList;
  object->next = head->next;
  object->prev = head;
  if (head->next) head->next->prev = object;
  head->next = object;
}

void FreeObject(GameObject* object) {
  if (object == nullptr) return;
  if (object->kind == KIND_SHIP) {
    ShipObject* ship = static_cast<ShipObject*>(object);
    for (ShipPart** part : {&ship->part1, &ship->part2}) {
      if (*part == nullptr) continue;
      Unlink(*part);
      delete *part;
      *part = nullptr;
    }
    if (PlayerShip == ship) PlayerShip = nullptr;
  }
  Unlink(object);
  delete object;
}

GameObject* FreeObjectStepBack(GameObject* object) {
  GameObject* back = object->prev;
  FreeObject(object);
  return back;
}

bool OnlyBulletsLeft() {
  if (DisplayList == nullptr) return true;
  for (const GameObject* object = DisplayList->next; object; object = object->next)
    if (object->kind != KIND_BULLET && object->kind != KIND_SHIP_PART) return false;
  return true;
}

void PlaceShip(ShipObject* ship, const Vector3& p) {
  ship->position = p;
  if (ship->part1) {
    ship->part1->position = p + Vector3(0.0f, 0.0f, 0.1f);
    ship->part1->aimAngle = ship->aimAngle;
  }
  if (ship->part2) ship->part2->position = p + Vector3(0.0f, 0.0f, -0.2f);
}

float FloorHeight(float, float) {
  return 0.0f;
}

float RandomRange(float a, float b) {
  // The rules expect draws of 0 to 32767; the C library here may give up to
  // 2^31 - 1, so only the low 15 bits are used.
  const float r = static_cast<float>(NextRandom() & 0x7FFF);
  return a + r * (b - a) / 32767.0f;
}

bool IsTarget(const GameObject* object) {
  return object->kind >= KIND_GLORB && object->kind <= KIND_SPHERE;
}

SpriteSheet SpriteSheetForKind(DWORD kind) {
  return kSpriteKinds[kind < kSpriteKindCount ? kind : 0].sheet;
}
