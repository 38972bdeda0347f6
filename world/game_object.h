// SPDX-License-Identifier: MIT
// Every game object other than the sea floor is one record in the display
// list, a doubly linked list headed by the player's ship; new objects go
// straight behind the head, so the list runs from the newest to the oldest.
// Also the random-number rule and the floor height the world rules share.
#pragma once

#include <win_types.h>
#include "world/vector3.h"

enum ObjectKind : DWORD {
  KIND_SHIP_PART = 0,
  KIND_GLORB = 1,
  KIND_PYRAMID = 2,
  KIND_CUBE = 3,
  KIND_SPHERE = 4,
  KIND_DEBRIS = 5,
  KIND_BULLET = 6,
  KIND_SHIP = 7,
};

// What the renderer draws for an object.
enum ModelSlot : DWORD {
  MODEL_SLOT_SHIP = 0,   // the selected ship model
  MODEL_SLOT_PART1 = 1,  // the two auxiliary part models
  MODEL_SLOT_PART2 = 2,
  MODEL_SLOT_SPRITE = 3,  // a cell of a sprite sheet
};

// The two sprite sheets, "Glorbs1.bmp" and "Glorbs2.bmp".
enum SpriteSheet : DWORD {
  SPRITE_SHEET_GLORBS1 = 0,
  SPRITE_SHEET_GLORBS2 = 1,
};

struct GameObject {
  GameObject(DWORD objectKind, DWORD slot, const Vector3& where)
      : kind(objectKind), modelSlot(slot), position(where) {}
  virtual ~GameObject() = default;
  GameObject(const GameObject&) = delete;
  GameObject& operator=(const GameObject&) = delete;

  GameObject* next = nullptr;  // toward the tail; null at the tail
  GameObject* prev = nullptr;  // null only at the head
  DWORD kind = KIND_SHIP_PART;
  DWORD modelSlot = MODEL_SLOT_SPRITE;
  BOOL visible = 1;  // the renderer skips objects with 0
  Vector3 position;
};

// Kinds 1 to 6: an animated cell of a sprite sheet.
struct SpriteObject : GameObject {
  SpriteObject(DWORD objectKind, const Vector3& where);

  float radius = 0.0f;      // half the drawn side, and the collision radius
  DWORD columns = 1;        // cells per row of the sheet
  float frame = 0.0f;       // the cell drawn is the frame truncated
  float frameCount = 1.0f;  // frames per cycle; for debris, the age it expires at
  float frameRate = 0.0f;   // frames per second
  DWORD colour = 0xFFFFFFFF;
  DWORD cellX = 0;  // texel origin of the first cell
  DWORD cellY = 0;
  DWORD cellWidth = 0;
  DWORD cellHeight = 0;
};

// Targets: the only kinds bullets and the ship can hit. Pyramids, cubes and
// spheres stay where they are released.
struct GlorbObject : SpriteObject {
  explicit GlorbObject(const Vector3& where) : SpriteObject(KIND_GLORB, where) {}
  float driftSpeed = 0.0f;
  float driftStep = 0.005f;
};
struct PyramidObject : SpriteObject {
  explicit PyramidObject(const Vector3& where) : SpriteObject(KIND_PYRAMID, where) {}
};
struct CubeObject : SpriteObject {
  explicit CubeObject(const Vector3& where) : SpriteObject(KIND_CUBE, where) {}
};
struct SphereObject : SpriteObject {
  explicit SphereObject(const Vector3& where) : SpriteObject(KIND_SPHERE, where) {}
};

struct DebrisObject : SpriteObject {
  DebrisObject(const Vector3& where, const Vector3& speed)
      : SpriteObject(KIND_DEBRIS, where), velocity(speed) {}
  Vector3 velocity;
};

constexpr DWORD BULLET_TYPE_COUNT = 4;

struct BulletObject : SpriteObject {
  // Born at (x, y, FloorHeight(x, y) + z) for the requested (x, y, z).
  BulletObject(const Vector3& where, const Vector3& speed, DWORD type);
  DWORD bulletType = 0;
  float fallSpeed = 0.0f;
  Vector3 velocity;
};

// The layout the ship and its two parts share after the header.
struct ShipBase : GameObject {
  using GameObject::GameObject;
  float radius = 0.0f;        // the ship's collision radius; unused by parts
  float aimAngle = 0.0f;      // gun elevation, 0 to pi for the ship
  float heading = 0.0f;       // direction of thrust on the ground plane, unbounded
  BOOL dead = 0;              // ship: from its death until it reappears
  float respawnTimer = 0.0f;  // ship: seconds until a hidden ship reappears
};

struct ShipPart : ShipBase {
  ShipPart(const Vector3& where, DWORD slot) : ShipBase(KIND_SHIP_PART, slot, where) {}
};

// Owns its two parts (built with it), which are also linked into the list;
// deleting the ship alone does not delete them.
struct ShipObject : ShipBase {
  explicit ShipObject(const Vector3& where);
  Vector3 velocity;
  ShipPart* part1 = nullptr;
  ShipPart* part2 = nullptr;
};

// Head of the display list; always the ship during play.
extern GameObject* DisplayList;
// The player's ship: the same object as the head.
extern ShipObject* PlayerShip;

// Builds the ship at the origin and makes it the head and the ship pointer,
// then inserts part 1 and part 2 (the list reads ship, part 2, part 1).
// Does nothing when a list already exists.
void BuildDisplayList();
// Deletes the whole list head first, with no per-kind clean-up, and clears
// both pointers. Safe to call twice.
void DestroyDisplayList();

// Links the object directly behind the head. Needs a head.
void InsertObject(GameObject* object);
// Unlinks and deletes the object; a ship takes its two parts with it.
void FreeObject(GameObject* object);
// The walk rule for passes that may free the object they stand on: frees
// the object and returns its predecessor, from which the walk continues.
GameObject* FreeObjectStepBack(GameObject* object);

// True when nothing but bullets and ship parts follows the head: the level
// is cleared. Debris keeps a level open until it has expired.
bool OnlyBulletsLeft();
// Moves the ship and its parts to p; part 1 takes the ship's aim angle.
void PlaceShip(ShipObject* ship, const Vector3& p);
// Height of the floor under (x, y): the play square is flat.
float FloorHeight(float x, float y);
// a + r (b - a) / 32767 for one 15-bit draw r of the game's rand()
// (world/random.h).
float RandomRange(float a, float b);

bool IsTarget(const GameObject* object);
// The sheet whose texture the renderer binds for a sprite kind.
SpriteSheet SpriteSheetForKind(DWORD kind);
