// The program's main window and 3D view on a data file, as the viewer's tests drive them: the view
// 800 x 600, exposed, with the file's models loaded.
#pragma once

#include <QApplication>
#include <QTest>
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

  std::unique_ptr<TDataBanker> banker;
  std::unique_ptr<TFormMain> main;
  TFormViewer* viewer = nullptr;
};
