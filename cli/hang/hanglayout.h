// Where the works of a hung exhibition go: rooms on a compact plan, rows of at most three along X
// that the visit walks in turn, back and forth (a row's last room opens into the next row's), each
// a gallery whose walls carry the pictures in catalogue order, centres at eye height, going round
// the room: the north wall west to east, the east wall, the south wall east to west, the west
// wall. The middle of a room holds its 3D models on plinths, in a row along X, clear of the line
// between its doors.
//
// The viewer flies to a work from 2.35 times the square root of the work's box area in front of
// it, shifted along X by -1.5 to 0.5 m, and looks at its centre. On the long walls (facing along
// Z) the shift is sideways; on an end wall (facing along X) it brings the camera nearer or takes
// it further, so pictures hang there only in rooms without models and where that wall has no
// doorway, and every work gets the viewing distance at which the whole framed picture is in view
// wherever the flight ends.
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

// The wall a picture hangs on: North at the room's -Z side (facing +Z), South at +Z (facing -Z),
// West at -X (facing +X), East at +X (facing -X).
enum class TPictureWall { North, South, West, East };

struct TWorkPlacement {
  int Room = 0;
  TPictureWall Wall = TPictureWall::North;
  double X = 0, Y = 0, Z = 0;  // centre of the picture's face
  double Frame = 0;          // width of the frame around it
  double ViewDistance = 0;   // the distance the viewer will fly to
  double BoxScale = 1;       // the work's box is the picture scaled by this, to give that distance
  // A model: X and Z are its base centre, Y the top of its plinth (its height above the floor);
  // it faces north (-Z), and its flight must end ViewDistance in front of the mean of its points.
  double PlinthWidth = 0, PlinthDepth = 0;
};

// Where a room's doorway to a neighbour is: none, in its west or east wall (at the layout's DoorZ
// from the room's middle), or in its north or south wall (at DoorX).
enum class TDoorWall { None, West, East, North, South };

struct TRoom {
  double X0 = 0, X1 = 0;  // along X
  double Z0 = 0, Z1 = 0;  // along Z: Depth wide, its middle at CentreZ
  double CentreZ = 0;
  int Row = 0, Column = 0;
  // The doorways into the room before it in the visit and into the one after it.
  TDoorWall Entry = TDoorWall::None, Exit = TDoorWall::None;
  double EntryX = 0, ExitX = 0;  // for a doorway in the north or south wall: its middle along X
};

struct THangLayout {
  std::vector<TRoom> Rooms;
  std::vector<TWorkPlacement> Works;  // in the order of the sizes given
  double Depth = 0;   // along Z, wall to wall, of one room
  double Height = 0;  // floor to ceiling
  double DoorZ = 0;   // where the doorways in west and east walls are, from the room's middle
  int Columns = 1;    // rooms in a row of the plan; the visit turns back at each row's end
  double PlanLength = 0, PlanDepth = 0;  // the whole plan, along X and Z
};

// Rooms in one row of the plan at most: a longer straight walk tires more than it shows.
constexpr int kMaxRoomsInARow = 3;
constexpr double kDoorHalfWidth = 0.8;

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
