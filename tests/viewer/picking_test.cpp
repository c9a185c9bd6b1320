#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include "common/dialogs.h"
#include "viewer_fixture.h"

TEST_F(ViewerTest, PickingAWorkReportsItOnceAndFliesEveryTime) {
  viewer->FlyToObject(11);
  RunFlight();
  SbVec3f center;
  ASSERT_TRUE(viewer->GetObjectCenter(11, center));
  const QPoint at = Project(center);

  viewer->PickAt(std::uint16_t(at.x()), std::uint16_t(at.y()));
  EXPECT_EQ(main->CurrentOpera, 11);
  EXPECT_EQ(viewer->LastPickedId, 11);
  EXPECT_TRUE(viewer->FlightActive);
  EXPECT_FLOAT_EQ(viewer->FlightDestination[1], 1.75f);
  RunFlight();

  main->CurrentOpera = -1;
  viewer->PickAt(std::uint16_t(at.x()), std::uint16_t(at.y()));
  EXPECT_TRUE(viewer->FlightActive);   // a flight again,
  EXPECT_EQ(main->CurrentOpera, -1);   // but no second report
}

TEST_F(ViewerTest, LowerCasePrefixCountsAndTheRoomIsNeverPicked) {
  // Name searches are exact, so "kd_7" cannot be flown to by Id; look at it from the front instead.
  SbVec3f center;
  EXPECT_FALSE(viewer->GetObjectCenter(7, center));
  center = SbVec3f(12, 1.75f, -4);
  viewer->SetCameraPose(LookAt(SbVec3f(12, 1.75f, 0), center), SbVec3f(12, 1.75f, 0));
  QPoint at = Project(center);
  viewer->PickAt(std::uint16_t(at.x()), std::uint16_t(at.y()));
  EXPECT_EQ(main->CurrentOpera, 7);

  // Clicking the floor (the room model) changes nothing.
  main->CurrentOpera = -1;
  RunFlight();
  viewer->PickAt(400, 590);
  EXPECT_EQ(main->CurrentOpera, -1);
  EXPECT_FALSE(viewer->FlightActive);
}

TEST_F(ViewerTest, ANonNumericWorkNameShowsTheConversionErrorAndGoesOn) {
  QStringList messages;
  Dialogs::SetMessageHook([&](const QString&, const QString& text, QMessageBox::Icon) { messages << text; });
  // Look at KD_abc from the front.
  viewer->SetCameraPose(LookAt(SbVec3f(18, 1.75f, 0), SbVec3f(18, 1.75f, -4)), SbVec3f(18, 1.75f, 0));
  QApplication::processEvents();
  const QPoint at = Project(SbVec3f(18, 1.75f, -4));

  QWidget* area = viewer->ExaminerViewer->getGLWidget();
  QMouseEvent press(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(area, &press);
  Dialogs::SetMessageHook({});

  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("'abc' is not a valid integer value")) << messages[0].toStdString();
  EXPECT_FALSE(viewer->FlightActive);
  EXPECT_EQ(main->CurrentOpera, -1);
}

TEST_F(ViewerTest, KeysAndDragsNeverMoveTheCamera) {
  const SbVec3f position = Camera()->position.getValue();
  const SbRotation orientation = Camera()->orientation.getValue();
  QWidget* area = viewer->ExaminerViewer->getGLWidget();
  for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Escape, Qt::Key_S, Qt::Key_Home}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(area, &press);
  }
  QMouseEvent move(QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
  QApplication::sendEvent(area, &move);
  QApplication::processEvents();
  EXPECT_FALSE(viewer->ExaminerViewer->isViewing());
  EXPECT_EQ(Camera()->position.getValue(), position);
  EXPECT_TRUE(Camera()->orientation.getValue() == orientation);
}
