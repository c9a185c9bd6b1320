// The viewer window showing the packed test exhibition, with the main window hearing its reports.
#pragma once

#include <QTest>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <memory>

#include "programwindows.h"

class ViewerTest : public ::testing::Test, protected TProgramWindows {
 protected:
  void SetUp() override { StartProgramOn(VIEWER_FIXTURE); }
  void TearDown() override { StopProgram(); }
  SoCamera* Camera() { return viewer->ExaminerViewer->getCamera(); }
};
