// Where the works of a hung exhibition go: rooms in a row along X, each a gallery whose two long
// walls (facing +Z and -Z) carry the pictures in catalogue order, centres at eye height, and
// whose middle holds the room's 3D models on plinths, in a row along X.
//
// The viewer flies to a work from 2.35 times the square root of the work's box area in front of
// it, shifted sideways along X by up to 1.5 m, and looks at its centre. Works therefore hang only
// on walls facing along Z (so the sideways shift never brings the camera closer), and each work
// gets the viewing distance at which the whole framed picture is in view.
#pragma once

#include <vector>

struct THangOptions {
  int PerRoom = 16;          // at most this many works in one room
  double Gap = 1.2;          // metres between neighbouring frames
  double EndMargin = 2.0;    // metres between a wall's first or last frame and the corner
  double EyeHeight = 1.75;   // where the flights end, and where the centres hang
  double MinFloorClearance = 0.3;
};

struct TWorkSize {
  double Width = 0;   // metres, the picture itself; for a model its width across its front
  double Height = 0;
  // A model stands on a plinth in the room's middle, its front towards the north wall.
  bool Model = false;
  double Depth = 0;  // front to back
  // Where the mean of the model's points lies from its base centre: to its right, towards its
  // front, and above its base.
  double MeanRight = 0, MeanFront = 0, MeanUp = 0;
};

struct TWorkPlacement {
  int Room = 0;
  bool NorthWall = true;     // the wall at the room's -Z side, facing +Z; otherwise the +Z side, facing -Z
  double X = 0, Y = 0, Z = 0;  // centre of the picture's face
  double Frame = 0;          // width of the frame around it
  double ViewDistance = 0;   // the distance the viewer will fly to
  double BoxScale = 1;       // the work's box is the picture scaled by this, to give that distance
  // A model: X and Z are its base centre, Y the top of its plinth (its height above the floor);
  // it faces north (-Z), and its flight must end ViewDistance in front of the mean of its points.
  double PlinthWidth = 0, PlinthDepth = 0;
};

struct TRoom {
  double X0 = 0, X1 = 0;  // along X; every room spans Z from -Depth/2 to Depth/2
};

struct THangLayout {
  std::vector<TRoom> Rooms;
  std::vector<TWorkPlacement> Works;  // in the order of the sizes given
  double Depth = 0;   // along Z, wall to wall
  double Height = 0;  // floor to ceiling
};

// The frame's width for a picture of this size.
double FrameWidth(const TWorkSize& size);

// The distance from which the whole framed work is in view from every point a flight can end
// at: sideways shifts of -1.5 to 0.5 m, a 45-degree vertical field of view and a screen at least
// 4:3 wide, with a margin.
double NeededViewDistance(const TWorkSize& size, double frame, double eyeDrop);

// The height of the plinth a model of this height stands on: its middle a little below the eye.
double PlinthHeight(double modelHeight);

// The distance in front of the mean of a model's points from which the whole model, standing on
// its plinth, is in view from every point a flight can end at, and the camera is clear of it.
double NeededModelDistance(const TWorkSize& size, double plinth);

// Lays out the works; sizes must all be positive.
THangLayout LayOut(const std::vector<TWorkSize>& sizes, const THangOptions& options);
