// A viewer window showing the packed test exhibition, with a main window to hear its reports.
#pragma once

#include <QTest>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <memory>

#include "common/globals.h"
#include "data/tdatabanker.h"
#include "app/tformmain.h"
#include "viewer/tformviewer.h"
#include "shownviewer.h"

// The orientation of a camera at eye that points at target.
inline SbRotation LookAt(const SbVec3f& eye, const SbVec3f& target) {
  auto* camera = new SoPerspectiveCamera;
  camera->ref();
  camera->position = eye;
  camera->pointAt(target);
  const SbRotation orientation = camera->orientation.getValue();
  camera->unref();
  return orientation;
}

class ViewerTest : public ::testing::Test, protected TShownViewer {
 protected:
  void SetUp() override { ShowViewerOn(VIEWER_FIXTURE); }
  void TearDown() override { CloseViewer(); }
  SoCamera* Camera() { return viewer->ExaminerViewer->getCamera(); }
  void RunFlight() {
    for (int i = 0; i < 80 && viewer->FlightActive; ++i) viewer->TimerCameraSlerpTimer();
  }
};
