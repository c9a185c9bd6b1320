// The program's main window and 3D view on a data file, as the viewer's tests drive them: the view
// 800 x 600, exposed, with the file's models loaded.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTest>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "common/globals.h"
#include "data/tdatabanker.h"
#include "app/tformmain.h"
#include "viewer/tformviewer.h"

class TShownViewer {
 protected:
  void ShowViewerOn(const std::string& path) {
    banker = std::make_unique<TDataBanker>(path);
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
  void CloseViewer() {
    delete viewer;
    viewer = nullptr;
    FormViewer = nullptr;
    main.reset();
    FormMain = nullptr;
    DataBanker = nullptr;
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

  std::unique_ptr<TDataBanker> banker;
  std::unique_ptr<TFormMain> main;
  TFormViewer* viewer = nullptr;
};
