// The packed test exhibition in a viewer, a main window that hears its reports, and both
// developer windows, with the globals pointing at them as the program's start-up leaves them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include "common/dialogs.h"
#include "programwindows.h"
#include "tools/tformdebug.h"
#include "tools/tformutils.h"

class ToolsTest : public ::testing::Test, protected TProgramWindows {
 protected:
  void SetUp() override {
    StartProgramOn(TOOLS_FIXTURE, TFormMain::DebugWindow | TFormMain::UtilsWindow);
    debug = FormDebug;
    utils = FormUtils;
  }
  void TearDown() override {
    Dialogs::SetSaveFileHook({});
    StopProgram();
  }

  // Looks at a work's centre from 4 units in front of it, so that a click there hits only it.
  QPoint FaceWork(std::int32_t Id) {
    SbVec3f center;
    SbVec3f normal;
    EXPECT_TRUE(viewer->GetObjectCenter(Id, center));
    EXPECT_TRUE(viewer->GetObjectNormal(Id, normal));
    const SbVec3f eye = center + 4.0f * normal;
    viewer->SetCameraPose(LookAt(eye, center), eye);
    QApplication::processEvents();
    return Project(center);
  }

  void PickAt(const QPoint& at) { viewer->PickAt(std::uint16_t(at.x()), std::uint16_t(at.y())); }

  TFormDebug* debug = nullptr;
  TFormUtils* utils = nullptr;
};
