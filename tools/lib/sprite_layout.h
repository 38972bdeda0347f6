// SPDX-License-Identifier: MIT
// Where each sprite kind's animation cells sit in the two 256 x 256 sheets:
// the game cuts cells by these origins, sizes and column counts, so the
// generator and the sheet tests share this one table.
#pragma once

namespace gen {

struct CellStrip {
  const char* sheet;  // file name
  int x, y;           // texel origin of the first cell
  int width, height;  // cell size
  int columns, frames;
  int CellX(int frame) const { return x + width * (frame % columns); }
  int CellY(int frame) const { return y + height * (frame / columns); }
};

const CellStrip kGlorbCell{"Glorbs1.bmp", 0, 0, 32, 32, 8, 30};
const CellStrip kSphereCell{"Glorbs1.bmp", 0, 128, 16, 16, 16, 40};
const CellStrip kCubeCell{"Glorbs1.bmp", 0, 176, 16, 16, 16, 40};
const CellStrip kPyramidCell{"Glorbs2.bmp", 0, 0, 32, 32, 8, 40};
const CellStrip kSparkCell{"Glorbs2.bmp", 224, 224, 32, 32, 1, 1};

const CellStrip kAllCells[] = {kGlorbCell, kSphereCell, kCubeCell, kPyramidCell, kSparkCell};

}  // namespace gen
