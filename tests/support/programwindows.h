// The program's windows on a packed exhibition, made by the main window's own start-up steps and
// driven as the tests drive them: the main window hidden, the view 800 x 600 and exposed, the tool
// windows asked for hidden inside it, all of them connected, the scene loaded. Autoplay stays off
// and no sound plays until a test starts them.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QPoint>
#include <QTest>
#include <gtest/gtest.h>
#include <Inventor/SbViewVolume.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <memory>
#include <string>

#include "app/tformmain.h"
#include "common/dialogs.h"
#include "common/globals.h"
#include "data/tdatabanker.h"
#include "viewer/tformviewer.h"

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

class TProgramWindows {
 protected:
  // toolWindows: TFormMain::ToolWindow flags, none by default.
  void StartProgramOn(const std::string& path, unsigned toolWindows = 0) {
    main = std::make_unique<TFormMain>();
    main->hide();
    main->OpenExhibition(path);
    banker = DataBanker;
    viewer = main->CreateViewer();
    viewer->setGeometry(0, 0, 800, 600);
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    main->createToolWindows(toolWindows);
    main->connectWindows();
    viewer->LoadModels();
    QApplication::processEvents();
  }

  // The main window goes with every window and the banker it made; the globals are cleared.
  void StopProgram() {
    main.reset();
    viewer = nullptr;
    banker = nullptr;
    Dialogs::SetOwner(nullptr);
    FormMain = nullptr;
    DataBanker = nullptr;
    FormViewer = nullptr;
    FormDebug = nullptr;
    FormUtils = nullptr;
    FormTextViewer = nullptr;
    FormMediaPlayer = nullptr;
    FormTreeView = nullptr;
    FormPlaylist = nullptr;
  }

  // The flight under way, to its end, tick by tick.
  void RunFlight() {
    for (int i = 0; i < 80 && viewer->FlightActive; ++i) viewer->TimerCameraSlerpTimer();
  }

  // Runs the flight under way tick by tick in place of its timer, each tick followed by the frame
  // it asks for (waited for up to a second); answers the frames the view drew meanwhile.
  int RunFlightCountingFrames() {
    int frames = 0;
    auto* counter = new SoCallback;
    counter->setCallback(
        [](void* data, SoAction* action) {
          if (action->isOfType(SoGLRenderAction::getClassTypeId())) ++*static_cast<int*>(data);
        },
        &frames);
    viewer->SceneRoot->addChild(counter);
    viewer->TimerCameraSlerp->stop();  // the ticks are this loop's alone
    for (int tick = 0; tick < 80 && viewer->FlightActive; ++tick) {
      const int before = frames;
      viewer->TimerCameraSlerpTimer();
      QElapsedTimer wait;
      wait.start();
      while (frames == before && wait.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    viewer->TimerCameraSlerp->start();
    viewer->SceneRoot->removeChild(counter);
    return frames;
  }

  // Where a world point lands in the drawing area, in pixels from its top-left corner.
  QPoint Project(const SbVec3f& world) const {
    const SbViewportRegion region = viewer->GetViewportRegion();
    const SbViewVolume volume =
        viewer->ExaminerViewer->getCamera()->getViewVolume(region.getViewportAspectRatio());
    SbVec3f normalized;
    volume.projectToScreen(world, normalized);
    const SbVec2s size = region.getWindowSize();
    return QPoint(int(normalized[0] * size[0]), int((1.0f - normalized[1]) * size[1]));
  }

  std::unique_ptr<TFormMain> main;
  TFormViewer* viewer = nullptr;
  TDataBanker* banker = nullptr;
};
