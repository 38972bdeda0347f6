// SPDX-License-Identifier: MIT
// The model files of the nine ship types and the two part models the ship
// carries (the game's HUD credits live with the game's ship-type table).
#pragma once

namespace gen {

struct ShipType {
  const char* file;
};

const ShipType kShipTypes[9] = {
    {"Space Station 7.x"}, {"Spaceship 2.x"}, {"Shusui.x"},    {"Spaceship 8.x"}, {"Orbiter.x"},
    {"Spaceship 13.x"},    {"Spaceship 5.x"}, {"Star Sail.x"}, {"Heli.x"},
};

const char* const kPartModels[2] = {"Space Station 5.x", "Spaceship 5.x"};
const char* const kSeaFloorModel = "SeaFloor.x";

// Texture files the models name; written beside them.
const char* const kModelTextures[] = {"SeaBed.bmp", "HullPlates.bmp", "HullWindows.bmp"};

}  // namespace gen
