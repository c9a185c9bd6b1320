// The kiosk options: the command line and kiosk.conf, the staff code, the touch sizes of the real
// tool windows, and the return to the tour after a real start-up.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "app/idlereturn.h"
#include "app/kioskoptions.h"
#include "app/staffcodeprompt.h"
#include "app/tformmain.h"
#include "app/touchsize.h"
#include "common/globals.h"
#include "common/pseudorandom.h"
#include "sound/memorysounddevice.h"
#include "sound/tformplaylist.h"
#include "viewer/tformviewer.h"
#include "windows/tformmediaplayer.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"

namespace {

TKioskOptions Parse(const QString& line) {
  return TKioskOptions::Parse(line.split(' ', Qt::SkipEmptyParts));
}

void WriteFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

}  // namespace

TEST(KioskOptions, TheCommandLineTakesOnlyItsOptionsAndRefusesEverythingElse) {
  const TKioskOptions none = Parse("");
  EXPECT_FALSE(none.Kiosk);
  EXPECT_EQ(none.IdleReturnSeconds, 0);
  EXPECT_TRUE(none.Error.isEmpty());

  const TKioskOptions both = Parse("--idle-return 180 --kiosk");
  EXPECT_TRUE(both.Kiosk);
  EXPECT_EQ(both.IdleReturnSeconds, 180);
  EXPECT_EQ(Parse("--idle-return=3").IdleReturnSeconds, 3);
  EXPECT_TRUE(Parse("--help").Help);

  for (const QString& wrong : {"--idle-return", "--idle-return three", "--idle-return -1", "--idle-return 86401",
                               "--idle-return=", "--kiosks", "kddata.bin"}) {
    EXPECT_FALSE(Parse(wrong).Error.isEmpty()) << wrong.toStdString();
  }
  EXPECT_TRUE(Parse("--idle-return x").Error.contains("'x'"));
}

TEST(KioskOptions, TheStaffCodeComesFromKioskConfOnlyInKioskMode) {
  QTemporaryDir folder;
  const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
  WriteFile(folder.filePath("pinacora/kiosk.conf"),
            "EXHIBITION=/srv/museo\n# STAFF_CODE=0000\nSTAFF_CODE = 1111\n  STAFF_CODE=  2468  \nIDLE_RETURN=60\n");
  EXPECT_EQ(TKioskOptions::ConfigPath(), folder.filePath("pinacora/kiosk.conf"));
  EXPECT_EQ(Parse("--kiosk").StaffCode, "2468");
  EXPECT_TRUE(Parse("--idle-return 5").StaffCode.isEmpty());
  EXPECT_TRUE(TKioskOptions::ReadSetting(folder.filePath("missing.conf"), "STAFF_CODE").isEmpty());
  qputenv("XDG_CONFIG_HOME", previous);
}

TEST(StaffCode, OnlyTheWholeCodeOpensAndAnEmptyCodeNever) {
  EXPECT_TRUE(TStaffCodePrompt::SameCode("2468", "2468"));
  EXPECT_FALSE(TStaffCodePrompt::SameCode("246", "2468"));
  EXPECT_FALSE(TStaffCodePrompt::SameCode("24680", "2468"));
  EXPECT_FALSE(TStaffCodePrompt::SameCode("2469", "2468"));
  EXPECT_FALSE(TStaffCodePrompt::SameCode("", ""));

  // The keypad types, erases and confirms; a wrong code says so and keeps the dialog open.
  TStaffCodePrompt prompt("24");
  prompt.show();
  auto key = [&](const QString& text) {
    for (QPushButton* button : prompt.findChildren<QPushButton*>())
      if (button->text() == text) QTest::mouseClick(button, Qt::LeftButton);
  };
  key("2");
  key("5");
  key("\u2190");
  EXPECT_EQ(prompt.Field()->text(), "2");
  key("OK");
  EXPECT_TRUE(prompt.isVisible());
  EXPECT_FALSE(prompt.Message()->text().isEmpty());
  EXPECT_TRUE(prompt.Field()->text().isEmpty());
  key("2");
  key("4");
  key("OK");
  EXPECT_EQ(prompt.result(), QDialog::Accepted);
}

TEST(TouchSize, EveryButtonOfTheToolWindowsTakesAFingerAndTheirTextIsLarge) {
  TFormPlaylist::SetDeviceFactory(MemorySoundDeviceFactory(std::make_shared<MemorySoundState>()));
  auto player = std::make_unique<TFormMediaPlayer>();
  auto playlist = std::make_unique<TFormPlaylist>(nullptr);
  auto browser = std::make_unique<TFormTreeView>(nullptr);
  const QSize designedPlayer = player->size();
  for (QWidget* window : {static_cast<QWidget*>(player.get()), static_cast<QWidget*>(playlist.get()),
                          static_cast<QWidget*>(browser.get())}) {
    TouchSize::ApplyToToolWindow(window);
    if (window != playlist.get()) TouchSize::AddCloseButton(window);
    window->show();
    QTest::qWait(50);
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
      if (!button->isVisible()) continue;
      EXPECT_GE(button->height(), TouchSize::kMinTarget) << button->objectName().toStdString();
      EXPECT_GE(button->width(), TouchSize::kMinTarget) << button->objectName().toStdString();
      EXPECT_GE(QFontInfo(button->font()).pixelSize(), TouchSize::kMinTextPixels) << button->objectName().toStdString();
      EXPECT_TRUE(window->rect().contains(button->geometry().translated(button->mapTo(window, QPoint()) - button->pos())))
          << button->objectName().toStdString() << " lies outside its window";
    }
    EXPECT_NE(window->findChild<QPushButton*>(window == playlist.get() ? "ButtonClose" : "ButtonKioskClose"), nullptr);
  }
  // The movie window keeps its proportions and stays a fixed size.
  EXPECT_EQ(player->width(), qRound(designedPlayer.width() * TouchSize::kScale));
  EXPECT_EQ(player->minimumSize(), player->maximumSize());
  // The close button hides the window, which closes its movie.
  QTest::mouseClick(player->findChild<QPushButton*>("ButtonKioskClose"), Qt::LeftButton);
  EXPECT_FALSE(player->isVisible());

  // Browser rows: a row at least 40 pixels high.
  browser->show();
  QTreeWidget* tree = browser->TreeView;
  EXPECT_GE(tree->visualItemRect(browser->NodeNotes).height(), TouchSize::kMinTarget);
  TFormPlaylist::SetDeviceFactory(nullptr);
}

TEST(TouchSize, NotesGrowUntilTheirBodyTextIsEighteenPixelsAndKeepTheirHeadings) {
  QTextEdit box;
  auto* document = new QTextDocument(&box);
  QTextCursor cursor(document);
  QTextCharFormat heading;
  heading.setFontPointSize(16);
  cursor.insertText("Titolo\n", heading);
  QTextCharFormat body;
  body.setFontPointSize(8);
  cursor.insertText(QString(200, 'x'), body);
  QTextCharFormat small;
  small.setFontPointSize(6);
  cursor.insertText("nota", small);
  // A note arrives as a new document of the box.
  TouchSize::EnlargeNotes(&box);
  box.setDocument(document);

  const double pixelsPerPoint = box.logicalDpiY() / 72.0;
  auto pixelsAt = [&](int position) {
    QTextCursor at(document);
    at.setPosition(position + 1);
    return at.charFormat().fontPointSize() * pixelsPerPoint;
  };
  EXPECT_NEAR(pixelsAt(10), TouchSize::kMinTextPixels, 0.5);                            // the body
  EXPECT_NEAR(pixelsAt(1) / pixelsAt(10), 2.0, 0.05);                                   // the heading
  EXPECT_GE(pixelsAt(static_cast<int>(document->characterCount()) - 3), TouchSize::kMinTextPixels - 0.5);
  // Growing a note twice would make it grow for ever.
  TouchSize::EnlargeNoteText(&box);
  EXPECT_NEAR(pixelsAt(10), TouchSize::kMinTextPixels, 0.5);
}

// The idle clock stands still unless the test moves it, so a busy machine cannot make a visitor
// leave early.
class IdleReturnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Folder.isValid());
    // The demo: works to fly to and pieces of music to play.
    ASSERT_TRUE(QFile::copy(DEMO_EXHIBITION, Folder.filePath("kddata.bin")));
    Previous = QDir::currentPath();
    QDir::setCurrent(Folder.path());
    qputenv("XDG_CACHE_HOME", Folder.filePath("cache").toUtf8());
    Now = 1000000;
    TIdleReturn::SetClock([] { return Now; });
    TFormPlaylist::SetDeviceFactory(MemorySoundDeviceFactory(std::make_shared<MemorySoundState>()));
    Main = std::make_unique<TFormMain>();
    Main->FormCreate();
    QTest::qWait(100);
  }
  void TearDown() override {
    Main.reset();
    TFormPlaylist::SetDeviceFactory(nullptr);
    TIdleReturn::SetClock(nullptr);
    QDir::setCurrent(Previous);
  }
  // What the window system delivers when a visitor touches the view.
  // A visitor's hand: the pointer moves (a real move, through the window system) and taps. The
  // window system delivers the move when it gets to it, on a busy machine after the clock has
  // moved on; so the clock waits until the idle return has heard it.
  static void Touch(TIdleReturn& idle) {
    Now += 1;
    QTest::mouseMove(FormViewer, QPoint(290, 300));
    QTest::mouseMove(FormViewer, QPoint(300, 300));
    QTest::mouseClick(FormViewer, Qt::LeftButton);
    QElapsedTimer waited;
    waited.start();
    while (idle.IdleMilliseconds() != 0 && waited.elapsed() < 5000) QTest::qWait(10);
    EXPECT_EQ(idle.IdleMilliseconds(), 0) << "the touch never reached the program";
  }
  // Time passes; the return's last steps run once the event loop has had its turn.
  static void Pass(TIdleReturn& idle, qint64 milliseconds) {
    Now += milliseconds;
    idle.Check();
    QTest::qWait(50);
  }

  static qint64 Now;
  QTemporaryDir Folder;
  QString Previous;
  std::unique_ptr<TFormMain> Main;
};
qint64 IdleReturnTest::Now = 0;

TEST_F(IdleReturnTest, AVisitorsWindowsCloseAndTheTourComesBackOnceAfterTheQuietTime) {
  TIdleReturn idle(3);
  // The visitor: the browser (autoplay off), a note (the music off).
  Main->ViewTreeViewClick();
  FormTextViewer->ShowTool(true);
  FormPlaylist->DeselectAll();
  Touch(idle);
  ASSERT_FALSE(Main->AutoPlayOn);
  Pass(idle, 2000);
  EXPECT_TRUE(FormTreeView->isVisible()) << "the tour came back while the visitor was still there";
  Touch(idle);
  Pass(idle, 2000);
  EXPECT_TRUE(FormTreeView->isVisible()) << "the second touch did not count";
  EXPECT_EQ(idle.Returns(), 0);

  Pass(idle, 1000);
  EXPECT_EQ(idle.Returns(), 1);
  EXPECT_FALSE(FormTreeView->isVisible());
  EXPECT_FALSE(FormTextViewer->isVisible());
  EXPECT_TRUE(Main->AutoPlayOn);
  EXPECT_TRUE(Main->TimerAutoplay->isActive());
  EXPECT_TRUE(FormPlaylist->IsPlaying());
  EXPECT_GE(FormPlaylist->GetCurrentIndex(), 0);

  // Nobody came since: no second return, and nothing the program did itself counts as a visitor.
  const int index = FormPlaylist->GetCurrentIndex();
  QTest::qWait(300);
  Pass(idle, 10000);
  EXPECT_EQ(idle.Returns(), 1);
  EXPECT_FALSE(idle.VisitorCame());
  EXPECT_EQ(FormPlaylist->GetCurrentIndex(), index);
}

TEST_F(IdleReturnTest, AVisitWhileTheTourRunsLeavesTheMusicAlone) {
  TIdleReturn idle(3);
  ASSERT_TRUE(FormPlaylist->IsPlaying());
  const int index = FormPlaylist->GetCurrentIndex();
  Touch(idle);
  Pass(idle, 3000);
  EXPECT_EQ(idle.Returns(), 1);
  EXPECT_EQ(FormPlaylist->GetCurrentIndex(), index);
  EXPECT_TRUE(FormPlaylist->IsPlaying());
}

TEST_F(IdleReturnTest, AskedToMakeWayItEndsAtTheNextReturnWithItsOwnStatus) {
  TIdleReturn idle(3);
  Touch(idle);
  // The program's own loop: an exit asked of the application ends it (and only it resets the
  // application's wish to end, which a local loop would keep seeing in the tests after).
  QTimer::singleShot(0, [&] {
    idle.EndWhenIdle(60);
    Now += 2000;
    idle.Check();  // the visitor is still there
    QTimer::singleShot(0, [&] { Now += 1000; idle.Check(); });
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
  guard.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), TIdleReturn::kExitForNewExhibition);
  EXPECT_EQ(idle.IdleMilliseconds(), 3000);
}

TEST_F(IdleReturnTest, AskedToMakeWayWithNobodyThereItEndsAfterAQuietMinute) {
  TIdleReturn idle(0);
  QTimer::singleShot(0, [&] {
    Now += 30000;
    idle.EndWhenIdle(60);  // half a minute of quiet is not enough
    QTimer::singleShot(0, [&] { Now += 30000; idle.Check(); });
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
  guard.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), TIdleReturn::kExitForNewExhibition);
  EXPECT_EQ(idle.IdleMilliseconds(), 60000);
}
