// The nine ship types (model file and HUD credit text) and the two part
// models the ship carries. Rows 0, 1 and 3 carry the credit of this game's
// own authors; the other rows are the craft's names.
#pragma once

namespace gen {

struct ShipType {
  const char* file;
  const char* credit;
};

const ShipType kShipTypes[9] = {
    {"Space Station 7.x", "Station Seven - Glorbs3D crew"},
    {"Spaceship 2.x", "Dart - Glorbs3D crew"},
    {"Shusui.x", "Purple Prowler"},
    {"Spaceship 8.x", "Hauler - Glorbs3D crew"},
    {"Orbiter.x", "Roundabout"},
    {"Spaceship 13.x", "Tie-X7"},
    {"Spaceship 5.x", "Gunner"},
    {"Star Sail.x", "Star Sail"},
    {"Heli.x", "Helicopter"},
};

const char* const kPartModels[2] = {"Space Station 5.x", "Spaceship 5.x"};
const char* const kSeaFloorModel = "SeaFloor.x";

// Texture files the models name; written beside them.
const char* const kModelTextures[] = {"SeaBed.bmp", "HullPlates.bmp", "HullWindows.bmp"};

}  // namespace gen
