// The Inventor text of a hung exhibition: the rooms (not pickable) and the works (one face set
// KD_<Id> each, with its texture node TEX_<Id>, facing the room along its local +Y).
#pragma once

#include <string>
#include <vector>

#include "hanglayout.h"

// How a floor, the walls or the ceiling look: a colour, or a picture tiled every TileMetres.
struct TSurface {
  double R = 0.5, G = 0.5, B = 0.5;
  std::string Texture;  // the picture file; empty for a plain colour
  double TileMetres = 2.0;
};

struct TRoomLook {
  TSurface Floor, Walls, Ceiling;
  double FrameR = 0.43, FrameG = 0.33, FrameB = 0.16;  // old gilt, darkened by age
  double PlinthR = 0.85, PlinthG = 0.83, PlinthB = 0.79;  // pale stone
};

// Texture node names of the room's surfaces, for the manifest.
extern const char kFloorTextureNode[];
extern const char kWallsTextureNode[];
extern const char kCeilingTextureNode[];

// Reads "#rrggbb" into a surface's colour; false when the text is no such colour.
bool ParseColour(const std::string& text, double& r, double& g, double& b);

std::string RoomsScene(const THangLayout& layout, const TRoomLook& look);

struct THungWork {
  int Id = 0;
  std::string Title;  // UTF-8, for a comment only
  TWorkSize Size;
};
std::string WorksScene(const THangLayout& layout, const std::vector<THungWork>& works, const TRoomLook& look);
