// SPDX-License-Identifier: MIT
// Builders of the game's ship and part models. Each returns a mesh in its
// own authoring units (the game rescales every model to one size) with the
// nose toward -z and the top toward +y.
#pragma once
#include <string>

#include "lib/mesh.h"

namespace gen {

Mesh BuildStationSeven();   // the player's ship
Mesh BuildStationFive();    // gun mount above the ship, barrels toward +z
Mesh BuildGunner();         // Spaceship 5: part below the ship and ship type 6
Mesh BuildDart();           // Spaceship 2
Mesh BuildPurpleProwler();  // Shusui
Mesh BuildHauler();         // Spaceship 8
Mesh BuildRoundabout();     // Orbiter
Mesh BuildTieX7();          // Spaceship 13
Mesh BuildStarSail();       // Star Sail: its sail is translucent
Mesh BuildHelicopter();     // Heli

// Builder for a model file name of the ship tables; null when unknown.
using ShipBuilder = Mesh (*)();
ShipBuilder FindShipBuilder(const std::string& file);

}  // namespace gen
