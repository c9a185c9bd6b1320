#include "hanglayout.h"

#include <algorithm>
#include <cmath>

namespace {

// What the viewer does at the end of a flight.
constexpr double kDistanceFactor = 2.35;
constexpr double kSideShifts[] = {0.0, 0.5, 1.5};  // |shift|; the work is symmetric left to right
// The same shift seen from an end wall: how much nearer the flight can end, and how much further.
constexpr double kNearerOnWestWall = 1.5, kFurtherOnWestWall = 0.5;
constexpr double kNearerOnEastWall = 0.5, kFurtherOnEastWall = 1.5;
// The camera stays this far from the wall opposite the one it looks at.
constexpr double kShortOfOppositeWall = 0.8;
// The scene camera's 45-degree vertical field, on a screen no narrower than 4:3; the framed work
// must fit within this share of the view.
const double kHalfTanVertical = std::tan(0.785398 / 2);
const double kHalfTanHorizontal = kHalfTanVertical * 4.0 / 3.0;
constexpr double kFill = 0.85;
constexpr double kMinViewDistance = 1.8;
constexpr double kOffWall = 0.04;
constexpr double kStartInside = 2.5;  // the picture's face stands this far out from its wall

struct TVec {
  double X, Y, Z;
};
TVec operator-(TVec a, TVec b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
double Dot(TVec a, TVec b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
TVec Cross(TVec a, TVec b) { return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X}; }
TVec Unit(TVec a) {
  const double l = std::sqrt(Dot(a, a));
  return {a.X / l, a.Y / l, a.Z / l};
}

// True when every corner of a w x h rectangle on the plane z = 0, centred at the origin, is in
// view of a camera at eye that looks at the origin.
bool CornersInView(double w, double h, TVec eye) {
  const TVec forward = Unit(TVec{0, 0, 0} - eye);
  const TVec right = Unit(Cross(forward, TVec{0, 1, 0}));
  const TVec up = Cross(right, forward);
  for (const double x : {-w / 2, w / 2}) {
    for (const double y : {-h / 2, h / 2}) {
      const TVec v = TVec{x, y, 0} - eye;
      const double depth = Dot(v, forward);
      if (depth <= 0.05) return false;
      if (std::fabs(Dot(v, right) / depth) > kFill * kHalfTanHorizontal) return false;
      if (std::fabs(Dot(v, up) / depth) > kFill * kHalfTanVertical) return false;
    }
  }
  return true;
}

// Length of a run of pictures along a wall, frames included.
double RunLength(const std::vector<TWorkSize>& sizes, const std::vector<double>& frames,
                 const std::vector<std::size_t>& run, std::size_t from, std::size_t to, double gap) {
  double length = 0;
  for (std::size_t k = from; k < to; ++k) {
    const std::size_t i = run[k];
    length += sizes[i].Width + 2 * frames[i] + (k > from ? gap : 0);
  }
  return length;
}

// Where a room's doorways are, from its place in the visit.
struct TDoors {
  TDoorWall Entry = TDoorWall::None, Exit = TDoorWall::None;
};
TDoors DoorsOf(std::size_t r, std::size_t roomCount, int columns) {
  const int row = int(r) / columns, step = int(r) % columns;
  const bool eastward = row % 2 == 0;
  TDoors doors;
  if (r + 1 < roomCount) {
    if (step == columns - 1) doors.Exit = TDoorWall::South;
    else doors.Exit = eastward ? TDoorWall::East : TDoorWall::West;
  }
  if (r > 0) {
    if (step == 0) doors.Entry = TDoorWall::North;
    else doors.Entry = eastward ? TDoorWall::West : TDoorWall::East;
  }
  return doors;
}

// The distance from which a w x h framed work is in view of a camera shifted sideways by each of
// the shifts.
template <std::size_t N>
double DistanceInView(double w, double h, double eyeDrop, const double (&shifts)[N]) {
  double distance = kMinViewDistance;
  for (int step = 0; step < 2000; ++step, distance += 0.05) {
    bool all = true;
    for (const double shift : shifts) all = all && CornersInView(w, h, TVec{shift, eyeDrop, distance});
    if (all) break;
  }
  return distance;
}
constexpr double kStraightOn[] = {0.0};

// True when every corner of the box is in view of a camera at eye looking at target.
bool BoxInView(const TVec (&corners)[8], TVec eye, TVec target) {
  const TVec forward = Unit(target - eye);
  const TVec right = Unit(Cross(forward, TVec{0, 1, 0}));
  const TVec up = Cross(right, forward);
  for (const TVec& corner : corners) {
    const TVec v = corner - eye;
    const double depth = Dot(v, forward);
    if (depth <= 0.05) return false;
    if (std::fabs(Dot(v, right) / depth) > kFill * kHalfTanHorizontal) return false;
    if (std::fabs(Dot(v, up) / depth) > kFill * kHalfTanVertical) return false;
  }
  return true;
}

constexpr double kPlinthMargin = 0.1;   // plinth beyond the model on each side
constexpr double kModelGap = 1.6;       // between neighbouring plinths
constexpr double kFirstRoomLead = 4.0;  // the camera starts at X = 0, 2.5 m into the first room
constexpr double kClearOfModel = 0.5;   // the camera ends at least this far from a model's front

}  // namespace

double FrameWidth(const TWorkSize& size) {
  return std::min(0.12, 0.045 + 0.02 * std::max(size.Width, size.Height));
}

double NeededViewDistance(const TWorkSize& size, double frame, double eyeDrop) {
  return DistanceInView(size.Width + 2 * frame, size.Height + 2 * frame, eyeDrop, kSideShifts);
}

double PlinthHeight(double modelHeight) { return std::min(1.0, std::max(0.15, 1.3 - modelHeight / 2)); }

double NeededModelDistance(const TWorkSize& size, double plinth) {
  // The model faces -Z; its base centre is at the origin, on a plinth of this height.
  TVec corners[8];
  int c = 0;
  for (const double x : {-size.Width / 2, size.Width / 2}) {
    for (const double y : {plinth, plinth + size.Height}) {
      for (const double z : {-size.Depth / 2, size.Depth / 2}) corners[c++] = TVec{x, y, z};
    }
  }
  const TVec mean{-size.MeanRight, plinth + size.MeanUp, -size.MeanFront};
  const double natural = kDistanceFactor * std::sqrt(size.Width * size.Height);
  double distance = std::max({kMinViewDistance, natural, size.Depth / 2 + mean.Z + kClearOfModel});
  for (int step = 0; step < 2000; ++step, distance += 0.05) {
    bool all = true;
    for (const double shift : {-1.5, -1.0, -0.5, 0.0, 0.5}) {
      all = all && BoxInView(corners, TVec{mean.X + shift, 1.75, mean.Z - distance}, mean);
    }
    if (all) break;
  }
  return distance;
}

THangLayout LayOut(const std::vector<TWorkSize>& sizes, const THangOptions& options) {
  THangLayout layout;
  const std::size_t n = sizes.size();
  layout.Works.resize(n);
  std::vector<double> frames(n);
  // On the west and east walls: the distance a picture is looked at from, and its box's scale.
  std::vector<double> westDistance(n), eastDistance(n);
  double deepest = 0, tallest = 0, deepestModel = 0, furthestModelView = 0;
  for (std::size_t i = 0; i < n; ++i) {
    TWorkPlacement& work = layout.Works[i];
    const TWorkSize& size = sizes[i];
    if (size.Model) {
      work.Wall = TPictureWall::South;
      work.Y = PlinthHeight(size.Height);
      work.PlinthWidth = size.Width + 2 * kPlinthMargin;
      work.PlinthDepth = size.Depth + 2 * kPlinthMargin;
      work.ViewDistance = NeededModelDistance(size, work.Y);
      deepestModel = std::max(deepestModel, work.PlinthDepth);
      furthestModelView = std::max(furthestModelView, work.ViewDistance + size.MeanFront);
      tallest = std::max(tallest, work.Y + size.Height);
      continue;
    }
    frames[i] = work.Frame = FrameWidth(size);
    // A work too tall to hang at eye height stands just above the floor instead.
    work.Y = std::max(options.EyeHeight, size.Height / 2 + work.Frame + options.MinFloorClearance);
    const double wanted = NeededViewDistance(size, work.Frame, options.EyeHeight - work.Y);
    const double natural = kDistanceFactor * std::sqrt(size.Width * size.Height);
    work.BoxScale = std::max(1.0, wanted / natural);
    work.ViewDistance = kDistanceFactor * std::sqrt(size.Width * work.BoxScale * size.Height * work.BoxScale);
    deepest = std::max(deepest, work.ViewDistance);
    const double straight = DistanceInView(size.Width + 2 * work.Frame, size.Height + 2 * work.Frame,
                                           options.EyeHeight - work.Y, kStraightOn);
    westDistance[i] = std::max(natural, straight + kNearerOnWestWall);
    eastDistance[i] = std::max(natural, straight + kNearerOnEastWall);
    tallest = std::max(tallest, work.Y + size.Height / 2 + work.Frame);
  }
  // The camera must stay inside the room, short of the opposite wall's frames; with models in the
  // middle, a picture's flight ends short of their plinths, and a model's short of the wall.
  double halfDepth = deepest + 0.8;
  if (deepestModel > 0) {
    halfDepth = std::max({halfDepth, deepest + kClearOfModel + deepestModel / 2, furthestModelView + 0.8});
  }
  layout.Depth = std::max(6.0, std::ceil(halfDepth * 2 * 2) / 2);
  layout.Height = std::max(4.0, std::ceil((tallest + 0.8) * 2) / 2);

  const std::size_t perRoom = std::size_t(std::max(1, options.PerRoom));
  const std::size_t roomCount = std::max<std::size_t>(1, (n + perRoom - 1) / perRoom);
  const int columns = int(std::min<std::size_t>(roomCount, kMaxRoomsInARow));
  const int rows = int((roomCount + std::size_t(columns) - 1) / std::size_t(columns));
  layout.Columns = columns;
  // Doorways between rooms of a row stand between the north wall and the plinths, so that the
  // walk from door to door passes clear of the models.
  layout.DoorZ = deepestModel > 0 ? (-layout.Depth / 2 + (-deepestModel / 2 - kClearOfModel)) / 2 : 0;
  // A doorway into the next row takes this much of a wall's length, at the wall's end.
  const double rowDoor = rows > 1 ? 2 * kDoorHalfWidth + 2 * options.Gap : 0;

  // First every room's works and the length they need; every room of the plan then takes the
  // longest, so that the rows line up.
  struct TPlan {
    std::vector<std::size_t> Models;
    std::vector<std::size_t> North, East, South, West;  // each in the order the round passes them
    double Row = 0;
    double EndReach = 0;  // how far into the room the flights to its end walls' pictures can end
  };
  std::vector<TPlan> plans(roomCount);
  double roomLength = 6.0;
  const double endWall = layout.Depth - 2 * options.EndMargin;
  std::size_t first = 0;
  for (std::size_t r = 0; r < roomCount; ++r) {
    TPlan& plan = plans[r];
    // Share the works evenly among the rooms, in order.
    const std::size_t last = first + (n - first) / (roomCount - r) + ((n - first) % (roomCount - r) != 0 ? 1 : 0);
    std::vector<std::size_t> pictures;
    for (std::size_t i = first; i < last; ++i) (sizes[i].Model ? plan.Models : pictures).push_back(i);
    // The end walls without a doorway take pictures in a room without models, as many as fit, as
    // long as the long walls keep one each.
    const TDoors doors = DoorsOf(r, roomCount, columns);
    const bool westFree = plan.Models.empty() && doors.Entry != TDoorWall::West && doors.Exit != TDoorWall::West;
    const bool eastFree = plan.Models.empty() && doors.Entry != TDoorWall::East && doors.Exit != TDoorWall::East;
    const std::size_t count = pictures.size();
    const auto run = [&](std::size_t from, std::size_t to) { return RunLength(sizes, frames, pictures, from, to, options.Gap); };
    std::size_t westFrom = count;
    while (westFree && westFrom > 2 && run(westFrom - 1, count) <= endWall) --westFrom;
    // The first pictures go along the north wall, west to east, then the east wall, the rest back
    // along the south wall: split where the longer wall is shortest.
    const auto eastTo = [&](std::size_t from) {
      std::size_t to = from;
      while (eastFree && from > 0 && to + 1 < westFrom && run(from, to + 1) <= endWall) ++to;
      return to;
    };
    std::size_t split = westFrom, eastEnd = westFrom;
    double best = run(0, westFrom);
    for (std::size_t k = 1; k < westFrom; ++k) {
      const std::size_t m = eastTo(k);
      const double longer = std::max(run(0, k), run(m, westFrom));
      if (longer < best) {
        best = longer;
        split = k;
        eastEnd = m;
      }
    }
    plan.North.assign(pictures.begin(), pictures.begin() + std::ptrdiff_t(split));
    plan.East.assign(pictures.begin() + std::ptrdiff_t(split), pictures.begin() + std::ptrdiff_t(eastEnd));
    plan.South.assign(pictures.begin() + std::ptrdiff_t(eastEnd), pictures.begin() + std::ptrdiff_t(westFrom));
    plan.West.assign(pictures.begin() + std::ptrdiff_t(westFrom), pictures.end());
    for (const std::size_t i : plan.East) plan.EndReach = std::max(plan.EndReach, eastDistance[i] + kFurtherOnEastWall);
    for (const std::size_t i : plan.West) plan.EndReach = std::max(plan.EndReach, westDistance[i] + kFurtherOnWestWall);
    for (std::size_t k = 0; k < plan.Models.size(); ++k) {
      plan.Row += layout.Works[plan.Models[k]].PlinthWidth + (k > 0 ? kModelGap : 0);
    }
    const double lead = r == 0 ? kFirstRoomLead : options.EndMargin;
    const double needed =
        std::max({best + 2 * options.EndMargin + rowDoor, plan.Models.empty() ? 0.0 : plan.Row + lead + options.EndMargin,
                  plan.EndReach + kOffWall + kShortOfOppositeWall});
    roomLength = std::max(roomLength, std::ceil(needed * 2) / 2);
    first = last;
  }

  // The program's camera starts at the origin looking along +X: let it stand inside the first
  // room, looking down the first row.
  const double west = -kStartInside;
  for (std::size_t r = 0; r < roomCount; ++r) {
    const TPlan& plan = plans[r];
    TRoom room;
    room.Row = int(r) / columns;
    // Even rows run west to east, odd rows back east to west.
    const int step = int(r) % columns;
    room.Column = room.Row % 2 == 0 ? step : columns - 1 - step;
    room.X0 = west + room.Column * roomLength;
    room.X1 = room.X0 + roomLength;
    room.CentreZ = room.Row * layout.Depth;
    room.Z0 = room.CentreZ - layout.Depth / 2;
    room.Z1 = room.CentreZ + layout.Depth / 2;
    // The row's last room opens south into the next row, at the end of the wall away from the
    // room before it; the next row's first room is entered through the same doorway.
    const bool eastward = room.Row % 2 == 0;
    const double turnX = eastward ? room.X1 - rowDoor / 2 : room.X0 + rowDoor / 2;
    const TDoors doors = DoorsOf(r, roomCount, columns);
    room.Entry = doors.Entry;
    room.Exit = doors.Exit;
    if (room.Exit == TDoorWall::South) room.ExitX = turnX;
    if (room.Entry == TDoorWall::North) room.EntryX = layout.Rooms.back().ExitX;
    // The stretch of each long wall that pictures may use: all of it but a doorway's end.
    double northFrom = room.X0, northTo = room.X1, southFrom = room.X0, southTo = room.X1;
    const auto leaveDoor = [&](double doorX, double& from, double& to) {
      if (doorX > (room.X0 + room.X1) / 2) to = room.X1 - rowDoor;
      else from = room.X0 + rowDoor;
    };
    if (room.Entry == TDoorWall::North) leaveDoor(room.EntryX, northFrom, northTo);
    if (room.Exit == TDoorWall::South) leaveDoor(room.ExitX, southFrom, southTo);

    const auto run = [&](const std::vector<std::size_t>& wall) {
      return RunLength(sizes, frames, wall, 0, wall.size(), options.Gap);
    };
    // Each wall's pictures centred on the stretch it may use, in the order the round passes them.
    const auto hang = [&](const std::vector<std::size_t>& wall, TPictureWall side, double from, double to) {
      const bool rising = side == TPictureWall::North || side == TPictureWall::East;
      double along = rising ? from + (to - from - run(wall)) / 2 : to - (to - from - run(wall)) / 2;
      for (const std::size_t i : wall) {
        TWorkPlacement& work = layout.Works[i];
        work.Room = int(r);
        work.Wall = side;
        const double middle = along + (rising ? 1 : -1) * (frames[i] + sizes[i].Width / 2);
        along += (rising ? 1 : -1) * (sizes[i].Width + 2 * frames[i] + options.Gap);
        switch (side) {
          case TPictureWall::North: work.X = middle, work.Z = room.Z0 + kOffWall; break;
          case TPictureWall::South: work.X = middle, work.Z = room.Z1 - kOffWall; break;
          case TPictureWall::East: work.X = room.X1 - kOffWall, work.Z = middle; break;
          case TPictureWall::West: work.X = room.X0 + kOffWall, work.Z = middle; break;
        }
        if (side == TPictureWall::East || side == TPictureWall::West) {
          const double natural = kDistanceFactor * std::sqrt(sizes[i].Width * sizes[i].Height);
          work.ViewDistance = side == TPictureWall::East ? eastDistance[i] : westDistance[i];
          work.BoxScale = work.ViewDistance / natural;
        }
      }
    };
    hang(plan.North, TPictureWall::North, northFrom, northTo);
    hang(plan.East, TPictureWall::East, room.Z0 + options.EndMargin, room.Z1 - options.EndMargin);
    hang(plan.South, TPictureWall::South, southFrom, southTo);
    hang(plan.West, TPictureWall::West, room.Z0 + options.EndMargin, room.Z1 - options.EndMargin);
    // The models in a row down the middle, west to east, centred in the space they may use.
    const double lead = r == 0 ? kFirstRoomLead : options.EndMargin;
    double along = room.X0 + lead + (room.X1 - room.X0 - lead - options.EndMargin - plan.Row) / 2;
    for (const std::size_t i : plan.Models) {
      TWorkPlacement& work = layout.Works[i];
      work.Room = int(r);
      work.X = along + work.PlinthWidth / 2;
      work.Z = room.CentreZ;
      along += work.PlinthWidth + kModelGap;
    }
    layout.Rooms.push_back(room);
  }
  layout.PlanLength = columns * roomLength;
  layout.PlanDepth = rows * layout.Depth;
  return layout;
}
