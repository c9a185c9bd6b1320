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
    EXPECT_GT(work.X - sizes[i].Width / 2, room.X0 + 1.0) << i;
    EXPECT_LT(work.X + sizes[i].Width / 2, room.X1 - 1.0) << i;
    // No picture hangs across a doorway in its wall.
    const bool onDoorWall = (work.NorthWall && room.Entry == TDoorWall::North) || (!work.NorthWall && room.Exit == TDoorWall::South);
    if (onDoorWall) {
      const double door = work.NorthWall ? room.EntryX : room.ExitX;
      EXPECT_GT(std::fabs(work.X - door), sizes[i].Width / 2 + work.Frame + kDoorHalfWidth) << i;
    }
  }
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
