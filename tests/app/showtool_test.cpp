// Tool windows placed in the viewer: no minimise button, and a minimise is a hide.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "common/showtool.h"

TEST(ToolWindows, LoseTheirMinimiseButtonAndAreHiddenWhenMinimisedAllTheSame) {
  QWidget viewer(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  viewer.setGeometry(0, 22, 800, 600);
  viewer.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));

  auto* tool = new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
  tool->resize(200, 100);
  PlaceToolWindow(tool, &viewer, QPoint(10, 20));
  EXPECT_EQ(tool->parentWidget(), &viewer);
  EXPECT_EQ(tool->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(tool->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(tool->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(tool->windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_EQ(tool->pos(), viewer.mapToGlobal(QPoint(10, 20)));

  ShowTool(tool, true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(tool));
  // A window manager's minimise (here Qt's own) leaves the tool window hidden, not minimised, and
  // the viewer on screen.
  tool->setWindowState(tool->windowState() | Qt::WindowMinimized);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tool->isVisible(); }, 2000));
  EXPECT_FALSE(tool->isMinimized());
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_FALSE(viewer.isMinimized());

  // Shown again, it comes back normal.
  ShowTool(tool, true);
  EXPECT_TRUE(tool->isVisible());
  EXPECT_FALSE(tool->isMinimized());
}
