// The plan hang lays rooms on: compact, no straight walk past three rooms, doorways that line up,
// plinths clear of the walk from door to door, and pictures clear of the doorways.
#include <gtest/gtest.h>

#include <cmath>

#include "hang/hanglayout.h"

namespace {

TEST(HangPlan, ManyWorksMakeACompactPlanWalkedRowByRow) {
  std::vector<TWorkSize> sizes(120, TWorkSize{0.8, 0.6});
  for (const int i : {5, 40, 77}) sizes[std::size_t(i)] = TWorkSize{0.5, 0.5, true, 0.5};
  const THangLayout layout = LayOut(sizes, THangOptions());
  ASSERT_EQ(layout.Rooms.size(), 8u);
  EXPECT_EQ(layout.Columns, 3);
  // Not a corridor: the plan is no more than three rooms long, and about as deep as it is long.
  const double roomLength = layout.Rooms[0].X1 - layout.Rooms[0].X0;
  EXPECT_DOUBLE_EQ(layout.PlanLength, 3 * roomLength);
  EXPECT_DOUBLE_EQ(layout.PlanDepth, 3 * layout.Depth);
  EXPECT_LE(layout.PlanLength / layout.PlanDepth, 4.0);  // eight rooms in a row: over 20

  for (std::size_t r = 0; r < layout.Rooms.size(); ++r) {
    const TRoom& room = layout.Rooms[r];
    EXPECT_EQ(room.Row, int(r) / 3);
    if (r + 1 == layout.Rooms.size()) {
      EXPECT_EQ(room.Exit, TDoorWall::None);
      continue;
    }
    const TRoom& next = layout.Rooms[r + 1];
    // Each room opens into the next one: beside it in its row, or below it at the row's end.
    if (next.Row == room.Row) {
      EXPECT_EQ(std::abs(next.Column - room.Column), 1);
      EXPECT_TRUE(room.Exit == TDoorWall::East || room.Exit == TDoorWall::West);
      EXPECT_TRUE(std::fabs(room.Exit == TDoorWall::East ? room.X1 - next.X0 : room.X0 - next.X1) < 1e-9);
    } else {
      EXPECT_EQ(room.Exit, TDoorWall::South);
      EXPECT_EQ(next.Entry, TDoorWall::North);
      EXPECT_EQ(next.Column, room.Column);
      EXPECT_DOUBLE_EQ(next.EntryX, room.ExitX);
      EXPECT_DOUBLE_EQ(next.Z0, room.Z1);
    }
  }
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const TWorkPlacement& work = layout.Works[i];
    const TRoom& room = layout.Rooms[std::size_t(work.Room)];
    if (sizes[i].Model) {
      // The walk between the doorways of a row runs north of every plinth.
      EXPECT_LT(room.CentreZ + layout.DoorZ + kDoorHalfWidth + 0.3, work.Z - work.PlinthDepth / 2) << i;
      continue;
    }
    if (work.Wall == TPictureWall::West || work.Wall == TPictureWall::East) {
      // Only on an end wall without a doorway.
      const TDoorWall wall = work.Wall == TPictureWall::West ? TDoorWall::West : TDoorWall::East;
      EXPECT_NE(room.Entry, wall) << i;
      EXPECT_NE(room.Exit, wall) << i;
      EXPECT_GT(work.Z - sizes[i].Width / 2, room.Z0 + 1.0) << i;
      EXPECT_LT(work.Z + sizes[i].Width / 2, room.Z1 - 1.0) << i;
      continue;
    }
    EXPECT_GT(work.X - sizes[i].Width / 2, room.X0 + 1.0) << i;
    EXPECT_LT(work.X + sizes[i].Width / 2, room.X1 - 1.0) << i;
    // No picture hangs across a doorway in its wall.
    const bool north = work.Wall == TPictureWall::North;
    const bool onDoorWall = (north && room.Entry == TDoorWall::North) ||
                            (work.Wall == TPictureWall::South && room.Exit == TDoorWall::South);
    if (onDoorWall) {
      const double door = north ? room.EntryX : room.ExitX;
      EXPECT_GT(std::fabs(work.X - door), sizes[i].Width / 2 + work.Frame + kDoorHalfWidth) << i;
    }
  }
}

TEST(HangPlan, PicturesGoRoundTheRoomOnEveryWallWithoutADoorway) {
  // One room: both end walls are free. The pictures go round it in catalogue order: north wall
  // west to east, east wall north to south, south wall east to west, west wall south to north.
  std::vector<TWorkSize> sizes(8, TWorkSize{0.8, 0.6});
  const THangLayout one = LayOut(sizes, THangOptions());
  ASSERT_EQ(one.Rooms.size(), 1u);
  const TRoom& room = one.Rooms[0];
  const auto angle = [&](const TWorkPlacement& work) {
    return std::atan2(work.Z - room.CentreZ, work.X - (room.X0 + room.X1) / 2);
  };
  int onWall[4] = {};
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const TWorkPlacement& work = one.Works[i];
    ++onWall[int(work.Wall)];
    // Round the room clockwise seen from above, starting in the north-west corner.
    if (i > 0) {
      EXPECT_GT(std::remainder(angle(work) - angle(one.Works[i - 1]), 2 * M_PI), 0) << i;
    }
    if (work.Wall == TPictureWall::East || work.Wall == TPictureWall::West) {
      // The flight to it ends in the room from either end of its shift, nearer or further.
      const double normal = work.Wall == TPictureWall::East ? -1 : 1;
      for (const double shift : {-1.5, 0.5}) {
        const double eyeX = work.X + normal * work.ViewDistance + shift;
        EXPECT_GT(eyeX, room.X0 + 0.8) << i;
        EXPECT_LT(eyeX, room.X1 - 0.8) << i;
        EXPECT_GE(std::fabs(eyeX - work.X), 1.8 - 1e-9) << i;
      }
      EXPECT_DOUBLE_EQ(work.ViewDistance, 2.35 * std::sqrt(0.8 * 0.6) * work.BoxScale);
    }
  }
  for (const int count : onWall) EXPECT_GT(count, 0);

  // In a row of rooms, only the row's outer end walls; none in a room with models.
  sizes.assign(30, TWorkSize{0.8, 0.6});
  sizes[25] = TWorkSize{0.5, 0.5, true, 0.5};
  const THangLayout row = LayOut(sizes, THangOptions());
  ASSERT_EQ(row.Rooms.size(), 2u);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const TWorkPlacement& work = row.Works[i];
    if (work.Room == 1) {
      EXPECT_TRUE(work.Wall == TPictureWall::North || work.Wall == TPictureWall::South) << i;
    } else {
      EXPECT_NE(work.Wall, TPictureWall::East) << i;
    }
  }
  EXPECT_EQ(row.Works[0].Wall, TPictureWall::North);
  EXPECT_EQ(row.Works[14].Wall, TPictureWall::West);
}

TEST(HangPlan, AFewRoomsStayInOneRow) {
  const THangLayout layout = LayOut(std::vector<TWorkSize>(20, TWorkSize{0.8, 0.6}), THangOptions());
  ASSERT_EQ(layout.Rooms.size(), 2u);
  EXPECT_EQ(layout.Columns, 2);
  EXPECT_EQ(layout.Rooms[1].Row, 0);
  EXPECT_DOUBLE_EQ(layout.PlanDepth, layout.Depth);
  EXPECT_EQ(layout.Rooms[0].Exit, TDoorWall::East);
  EXPECT_EQ(layout.Rooms[1].Entry, TDoorWall::West);
}

}  // namespace
