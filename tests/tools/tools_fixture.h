// The packed test exhibition in a viewer, a main window that hears its reports, and both
// developer windows, with the globals pointing at them as the program's start-up leaves them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <Inventor/SbViewVolume.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <memory>

#include "common/dialogs.h"
#include "common/globals.h"
#include "data/tdatabanker.h"
#include "tools/tformdebug.h"
#include "app/tformmain.h"
#include "tools/tformutils.h"
#include "viewer/tformviewer.h"

class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    banker = std::make_unique<TDataBanker>(TOOLS_FIXTURE);
    DataBanker = banker.get();
    main = std::make_unique<TFormMain>();
    main->hide();
    DataBanker->ListOperas(main->OperaList);
    viewer = new TFormViewer(nullptr);
    FormViewer = viewer;
    viewer->setGeometry(0, 0, 800, 600);
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    debug = new TFormDebug(viewer);
    FormDebug = debug;
    utils = new TFormUtils(viewer);
    FormUtils = utils;
    viewer->LoadModels();
    QApplication::processEvents();
  }
  void TearDown() override {
    Dialogs::SetSaveFileHook({});
    delete viewer;  // and the tool windows with it
    FormViewer = nullptr;
    FormDebug = nullptr;
    FormUtils = nullptr;
    main.reset();
    FormMain = nullptr;
    DataBanker = nullptr;
  }

  // Looks at a work's centre from 4 units in front of it, so that a click there hits only it.
  QPoint FaceWork(std::int32_t Id) {
    SbVec3f center;
    SbVec3f normal;
    EXPECT_TRUE(viewer->GetObjectCenter(Id, center));
    EXPECT_TRUE(viewer->GetObjectNormal(Id, normal));
    const SbVec3f eye = center + 4.0f * normal;
    auto* camera = new SoPerspectiveCamera;
    camera->ref();
    camera->position = eye;
    camera->pointAt(center);
    viewer->SetCameraPose(camera->orientation.getValue(), eye);
    camera->unref();
    QApplication::processEvents();
    return Project(center);
  }

  // Where a world point lands in the drawing area, in pixels from its top-left corner.
  QPoint Project(const SbVec3f& world) {
    const SbViewportRegion region = viewer->GetViewportRegion();
    const SbViewVolume volume = viewer->ExaminerViewer->getCamera()->getViewVolume(region.getViewportAspectRatio());
    SbVec3f normalized;
    volume.projectToScreen(world, normalized);
    const SbVec2s size = region.getWindowSize();
    return QPoint(int(normalized[0] * size[0]), int((1.0f - normalized[1]) * size[1]));
  }

  void PickAt(const QPoint& at) { viewer->PickAt(std::uint16_t(at.x()), std::uint16_t(at.y())); }

  std::unique_ptr<TDataBanker> banker;
  std::unique_ptr<TFormMain> main;
  TFormViewer* viewer = nullptr;
  TFormDebug* debug = nullptr;
  TFormUtils* utils = nullptr;
};
