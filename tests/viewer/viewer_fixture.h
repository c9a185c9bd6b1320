// A viewer window showing the packed test exhibition, with a main window to hear its reports.
#pragma once

#include <QTest>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <memory>

#include "globals.h"
#include "tdatabanker.h"
#include "tformmain.h"
#include "tformviewer.h"

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

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    banker = std::make_unique<TDataBanker>(VIEWER_FIXTURE);
    DataBanker = banker.get();
    main = std::make_unique<TFormMain>();
    main->hide();
    viewer = new TFormViewer(nullptr);
    FormViewer = viewer;
    viewer->setGeometry(0, 0, 800, 600);
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    viewer->LoadModels();
    QApplication::processEvents();
  }
  void TearDown() override {
    delete viewer;
    FormViewer = nullptr;
    main.reset();
    FormMain = nullptr;
    DataBanker = nullptr;
  }
  SoCamera* Camera() { return viewer->ExaminerViewer->getCamera(); }
  void RunFlight() {
    for (int i = 0; i < 80 && viewer->FlightActive; ++i) viewer->TimerCameraSlerpTimer();
  }

  std::unique_ptr<TDataBanker> banker;
  std::unique_ptr<TFormMain> main;
  TFormViewer* viewer = nullptr;
};
