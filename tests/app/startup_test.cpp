// The whole start-up sequence on a real packed exhibition, as the windows see it afterwards.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoSeparator.h>

#include "common/globals.h"
#include "common/pseudorandom.h"
#include "data/tdatabanker.h"
#include "tools/tformdebug.h"
#include "app/tformmain.h"
#include "windows/tformmediaplayer.h"
#include "sound/tformplaylist.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"
#include "tools/tformutils.h"
#include "viewer/tformviewer.h"

TEST(StartUp, CreatesEveryWindowInOrderHiddenInsideTheViewerAndStartsAutoplay) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ASSERT_TRUE(QFile::copy(STARTUP_FIXTURE, folder.filePath("kddata.bin")));
  const QString previous = QDir::currentPath();
  QDir::setCurrent(folder.path());
  qputenv("XDG_CACHE_HOME", folder.filePath("cache").toUtf8());

  // Tick 1000 draws 14062, which picks the second of the four operas (Id 12).
  SetTickCountSource([] { return 1000u; });
  auto main = std::make_unique<TFormMain>();
  main->FormCreate();
  QTest::qWait(200);

  // The banker came first, then the viewer, then the tool windows in their order, each a child of
  // the viewer and hidden.
  ASSERT_NE(DataBanker, nullptr);
  EXPECT_EQ(DataBanker->GetFileName(), "kddata.bin");
  ASSERT_NE(FormViewer, nullptr);
  EXPECT_TRUE(FormViewer->isVisible());
  const QList<QWidget*> tools = {FormDebug, FormUtils, FormTextViewer, FormMediaPlayer, FormTreeView, FormPlaylist};
  QList<QWidget*> children;
  for (QObject* child : FormViewer->children()) {
    if (tools.contains(qobject_cast<QWidget*>(child))) children << static_cast<QWidget*>(child);
  }
  EXPECT_EQ(children, tools);
  for (QWidget* tool : tools) {
    EXPECT_EQ(tool->parentWidget(), FormViewer);
    EXPECT_FALSE(tool->isVisible());
  }
  EXPECT_EQ(FormViewer->mapFromGlobal(FormTextViewer->pos()), QPoint(696, 400));
  EXPECT_EQ(FormViewer->mapFromGlobal(FormMediaPlayer->pos()), QPoint(688, 392));
  EXPECT_EQ(FormViewer->mapFromGlobal(FormTreeView->pos()), QPoint(4, 564));

  // The main window covers the screen; the viewer its client area between menu and status bar.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(main->geometry(), screen);
  EXPECT_EQ(FormViewer->geometry().top(), main->geometry().top() + main->menuBar()->height());
  EXPECT_EQ(FormViewer->geometry().bottom(), main->statusBar()->mapToGlobal(QPoint(0, 0)).y() - 1);
  EXPECT_EQ(FormViewer->width(), main->width());

  // The operas were listed, the scene loaded, autoplay is on and has already chosen a work.
  EXPECT_EQ(main->OperaList.size(), 4u);
  EXPECT_EQ(FormViewer->SelectionNode->getNumChildren(), 2);
  EXPECT_EQ(FormViewer->ModelGroup->getNumChildren(), 1);
  EXPECT_TRUE(main->AutoPlayOn);
  EXPECT_TRUE(main->MenuAutoPlay->isChecked());
  EXPECT_TRUE(main->TimerAutoplay->isActive());
  EXPECT_EQ(main->CurrentOpera, 12);
  EXPECT_TRUE(FormViewer->FlightActive);
  SetTickCountSource({});

  main.reset();
  FormMain = nullptr;
  DataBanker = nullptr;
  FormViewer = nullptr;
  QDir::setCurrent(previous);
}
