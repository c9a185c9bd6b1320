#include "hanglayout.h"

#include <algorithm>
#include <cmath>

namespace {

// What the viewer does at the end of a flight.
constexpr double kDistanceFactor = 2.35;
constexpr double kSideShifts[] = {0.0, 0.5, 1.5};  // |shift|; the work is symmetric left to right
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

// Lengths of a run of works along a wall, frames included.
double RunLength(const std::vector<TWorkSize>& sizes, const std::vector<double>& frames, std::size_t from,
                 std::size_t to, double gap) {
  double length = 0;
  for (std::size_t i = from; i < to; ++i) length += sizes[i].Width + 2 * frames[i] + (i > from ? gap : 0);
  return length;
}

}  // namespace

double FrameWidth(const TWorkSize& size) {
  return std::min(0.12, 0.045 + 0.02 * std::max(size.Width, size.Height));
}

double NeededViewDistance(const TWorkSize& size, double frame, double eyeDrop) {
  const double w = size.Width + 2 * frame;
  const double h = size.Height + 2 * frame;
  double distance = kMinViewDistance;
  for (int step = 0; step < 2000; ++step, distance += 0.05) {
    bool all = true;
    for (const double shift : kSideShifts) all = all && CornersInView(w, h, TVec{shift, eyeDrop, distance});
    if (all) break;
  }
  return distance;
}

THangLayout LayOut(const std::vector<TWorkSize>& sizes, const THangOptions& options) {
  THangLayout layout;
  const std::size_t n = sizes.size();
  layout.Works.resize(n);
  std::vector<double> frames(n);
  double deepest = 0, tallest = 0;
  for (std::size_t i = 0; i < n; ++i) {
    TWorkPlacement& work = layout.Works[i];
    const TWorkSize& size = sizes[i];
    frames[i] = work.Frame = FrameWidth(size);
    // A work too tall to hang at eye height stands just above the floor instead.
    work.Y = std::max(options.EyeHeight, size.Height / 2 + work.Frame + options.MinFloorClearance);
    const double wanted = NeededViewDistance(size, work.Frame, options.EyeHeight - work.Y);
    const double natural = kDistanceFactor * std::sqrt(size.Width * size.Height);
    work.BoxScale = std::max(1.0, wanted / natural);
    work.ViewDistance = kDistanceFactor * std::sqrt(size.Width * work.BoxScale * size.Height * work.BoxScale);
    deepest = std::max(deepest, work.ViewDistance);
    tallest = std::max(tallest, work.Y + size.Height / 2 + work.Frame);
  }
  // The camera must stay inside the room, short of the opposite wall's frames.
  layout.Depth = std::max(6.0, std::ceil((deepest + 0.8) * 2) / 2);
  layout.Height = std::max(4.0, std::ceil((tallest + 0.8) * 2) / 2);

  const std::size_t perRoom = std::size_t(std::max(1, options.PerRoom));
  const std::size_t roomCount = std::max<std::size_t>(1, (n + perRoom - 1) / perRoom);
  // The program's camera starts at the origin looking along +X: let it stand inside the first
  // room, looking down the gallery.
  double x = -kStartInside;
  std::size_t first = 0;
  for (std::size_t r = 0; r < roomCount; ++r) {
    // Share the works evenly among the rooms, in order.
    const std::size_t last = first + (n - first) / (roomCount - r) + ((n - first) % (roomCount - r) != 0 ? 1 : 0);
    // The first works go along the north wall, west to east, the rest back along the south wall:
    // split where the longer wall is shortest.
    std::size_t split = last;
    double best = RunLength(sizes, frames, first, last, options.Gap);
    for (std::size_t s = first + 1; s < last; ++s) {
      const double longer = std::max(RunLength(sizes, frames, first, s, options.Gap), RunLength(sizes, frames, s, last, options.Gap));
      if (longer < best) {
        best = longer;
        split = s;
      }
    }
    TRoom room;
    room.X0 = x;
    room.X1 = x + std::max(6.0, std::ceil((best + 2 * options.EndMargin) * 2) / 2);
    const double north = RunLength(sizes, frames, first, split, options.Gap);
    const double south = RunLength(sizes, frames, split, last, options.Gap);
    double along = room.X0 + (room.X1 - room.X0 - north) / 2;
    for (std::size_t i = first; i < split; ++i) {
      TWorkPlacement& work = layout.Works[i];
      work.Room = int(r);
      work.NorthWall = true;
      work.X = along + frames[i] + sizes[i].Width / 2;
      work.Z = -layout.Depth / 2 + kOffWall;
      along += sizes[i].Width + 2 * frames[i] + options.Gap;
    }
    along = room.X1 - (room.X1 - room.X0 - south) / 2;
    for (std::size_t i = split; i < last; ++i) {
      TWorkPlacement& work = layout.Works[i];
      work.Room = int(r);
      work.NorthWall = false;
      work.X = along - frames[i] - sizes[i].Width / 2;
      work.Z = layout.Depth / 2 - kOffWall;
      along -= sizes[i].Width + 2 * frames[i] + options.Gap;
    }
    layout.Rooms.push_back(room);
    x = room.X1;
    first = last;
  }
  return layout;
}
