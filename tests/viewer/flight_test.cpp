#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "common/pseudorandom.h"
#include "viewer_fixture.h"

TEST_F(ViewerTest, FlightEndsExactlyOnTheComputedEyeAndTarget) {
  SbVec3f center;
  SbVec3f normal;
  float distance = 0;
  ASSERT_TRUE(viewer->GetObjectCenter(11, center));
  ASSERT_TRUE(viewer->GetObjectNormal(11, normal));
  ASSERT_TRUE(viewer->GetObjectViewDistance(11, distance));
  EXPECT_NEAR((center - SbVec3f(5, 1.75f, -4)).length(), 0.0f, 1e-5f);
  EXPECT_NEAR((normal - SbVec3f(0, 0, 1)).length(), 0.0f, 1e-5f);
  EXPECT_FLOAT_EQ(distance, float(2.35 * std::sqrt(2.0)));

  ProgramRandom().Seed(4321);
  TPseudoRandom copy = ProgramRandom();
  viewer->FlyToObject(11);
  ASSERT_TRUE(viewer->FlightActive);
  SbVec3f eye = center + distance * normal + SbVec3f(float(copy.Next()) * 2.0f / 32767.0f - 1.5f, 0, 0);
  eye[1] = 1.75f;
  EXPECT_EQ(viewer->FlightDestination, eye);
  EXPECT_EQ(viewer->FlightTarget, center);

  const SbVec3f start = Camera()->position.getValue();
  viewer->TimerCameraSlerpTimer();
  EXPECT_EQ(Camera()->position.getValue(), start);  // the first tick leaves the camera where it was
  for (int i = 1; i < 80; ++i) viewer->TimerCameraSlerpTimer();
  EXPECT_FALSE(viewer->FlightActive);
  EXPECT_EQ(viewer->FlightStep, 0);
  EXPECT_EQ(Camera()->position.getValue(), eye);
  EXPECT_TRUE(Camera()->orientation.getValue() == LookAt(eye, center));
}

TEST_F(ViewerTest, FlightToAnUnknownOrNegativeIdLeavesEverythingAlone) {
  const SbVec3f before = Camera()->position.getValue();
  viewer->FlyToObject(4242);
  viewer->FlyToObject(-1);
  viewer->FlyToObject(99);  // exists, but outside the selection node
  EXPECT_FALSE(viewer->FlightActive);
  viewer->TimerCameraSlerpTimer();
  EXPECT_EQ(Camera()->position.getValue(), before);
}

TEST_F(ViewerTest, ViewDistanceForZeroAreaAndOffOriginWorks) {
  float distance = 0;
  ASSERT_TRUE(viewer->GetObjectViewDistance(12, distance));
  EXPECT_FLOAT_EQ(distance, 6.0f);
  ASSERT_TRUE(viewer->GetObjectViewDistance(13, distance));
  // Its box reaches back to the local origin: x 0..4, z 0..2.
  EXPECT_FLOAT_EQ(distance, float(2.35 * std::sqrt(8.0)));
}

TEST_F(ViewerTest, ASecondRequestStartsFromWhereTheFirstHadBroughtTheCamera) {
  viewer->FlyToObject(11);
  for (int i = 0; i < 30; ++i) viewer->TimerCameraSlerpTimer();
  const SbVec3f midway = Camera()->position.getValue();
  viewer->FlyToObject(13);
  EXPECT_EQ(viewer->FlightStep, 0);
  viewer->TimerCameraSlerpTimer();
  EXPECT_EQ(Camera()->position.getValue(), midway);
  RunFlight();
  EXPECT_EQ(Camera()->position.getValue(), viewer->FlightDestination);
}

// A slow frame that ends just short of the timer's next period makes the repeating timer fire twice
// at once to catch up; the second must not move the camera again before the view has drawn it, but
// it is not lost either.
TEST_F(ViewerTest, TheTickTimerCatchingUpOnALateTickStepsTheFlightOnlyAfterAPause) {
  viewer->TimerCameraSlerp->stop();  // its timeouts are this test's alone
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 25) {  // a period after any tick it fired before
  }
  viewer->FlyToObject(11);
  ASSERT_TRUE(viewer->FlightActive);
  clock.restart();
  ASSERT_TRUE(QMetaObject::invokeMethod(viewer->TimerCameraSlerp, "timeout", Qt::DirectConnection));
  ASSERT_TRUE(QMetaObject::invokeMethod(viewer->TimerCameraSlerp, "timeout", Qt::DirectConnection));
  const qint64 between = clock.elapsed();
  if (between < 10) {
    EXPECT_EQ(viewer->FlightStep, 1);
  }
  QTest::qWait(30);
  EXPECT_EQ(viewer->FlightStep, 2);
  // A period after that the timer's tick is a tick again, at once.
  ASSERT_TRUE(QMetaObject::invokeMethod(viewer->TimerCameraSlerp, "timeout", Qt::DirectConnection));
  EXPECT_EQ(viewer->FlightStep, 3);
}
