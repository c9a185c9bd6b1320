// The movie window on real WMV movies played by QtMultimedia (GStreamer) under Xvfb.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVideoWidget>
#include <functional>

#include "windows/nativesizelayout.h"
#include "windows/tformmediaplayer.h"

namespace {

const QString kMovieA = QStringLiteral(MEDIA_TEST_MOVIE_A);
const QString kMovieB = QStringLiteral(MEDIA_TEST_MOVIE_B);

// Runs the event loop until done() holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// True while this process has the file open (the player's file source holds a descriptor).
bool FileIsOpen(const QString& path) {
  const QString target = QFileInfo(path).canonicalFilePath();
  const QDir fds(QStringLiteral("/proc/self/fd"));
  for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
    if (fd.symLinkTarget() == target) return true;
  return false;
}

bool ReplaceFile(const QString& from, const QString& to) {
  QFile source(from);
  QFile target(to);
  if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  const QByteArray bytes = source.readAll();
  return target.write(bytes) == bytes.size();
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(kMovieA) || !QFile::exists(kMovieB))
      GTEST_SKIP() << "the test movies were not made (is ffmpeg installed?)";
    ASSERT_TRUE(Folder.isValid());
    // The program plays a temporary copy that it overwrites for every movie.
    TempMovie = Folder.filePath(QStringLiteral("kdtemp.wmv"));
    ASSERT_TRUE(ReplaceFile(kMovieA, TempMovie));
    Window = std::make_unique<TFormMediaPlayer>();
  }
  void TearDown() override { Window.reset(); }

  QMediaPlayer* Player() const { return Window->Player(); }

  // Starts the movie and waits until its position moves. Skips the test, saying why, when the
  // multimedia backend cannot play WMV here.
  bool StartAndWaitForProgress(const QString& path) {
    Window->ShowTool(true);
    Window->PlayMovie(QFile::encodeName(path).toStdString());
    const bool advanced = PumpUntil(
        [&] { return Player()->position() > 300 || Player()->error() != QMediaPlayer::NoError; },
        15000);
    if (Player()->error() != QMediaPlayer::NoError) {
      Unplayable = QStringLiteral("the multimedia backend cannot play WMV here: ") +
                   Player()->errorString();
      return false;
    }
    if (!advanced) {
      Unplayable = QStringLiteral("playback did not advance within 15 s (status %1)")
                       .arg(static_cast<int>(Player()->mediaStatus()));
      return false;
    }
    return true;
  }

  QTemporaryDir Folder;
  QString TempMovie;
  QString Unplayable;
  std::unique_ptr<TFormMediaPlayer> Window;
};

#define START_OR_SKIP(path)                                                   \
  do {                                                                        \
    if (!StartAndWaitForProgress(path)) GTEST_SKIP() << Unplayable.toStdString(); \
  } while (false)

TEST(MediaPlayerWindow, IsAFixedToolWindowWithAnIdlePlayerAtHalfVolume) {
  TFormMediaPlayer window;
  EXPECT_EQ(window.windowTitle(), QStringLiteral(" Pinacora :  Media Player"));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(window.size(), QSize(320, 300));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.Player()->volume(), 50);
  EXPECT_FALSE(window.Player()->isMuted());
  EXPECT_TRUE(window.Player()->media().isNull());

  auto* video = window.findChild<QVideoWidget*>();
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->aspectRatioMode(), Qt::KeepAspectRatio);
  EXPECT_TRUE(window.rect().contains(video->geometry()));

  // A movie that was not found comes as an empty path: nothing is opened.
  window.PlayMovie("");
  EXPECT_TRUE(window.Player()->media().isNull());
  EXPECT_EQ(window.Player()->state(), QMediaPlayer::StoppedState);
}

TEST_F(MediaPlayerTest, PlaysAtOnceAndItsPositionAdvances) {
  START_OR_SKIP(TempMovie);
  EXPECT_EQ(Player()->state(), QMediaPlayer::PlayingState);
  EXPECT_EQ(Player()->media().request().url(), QUrl::fromLocalFile(TempMovie));
  EXPECT_TRUE(PumpUntil([&] { return Player()->duration() > 0; }, 5000));
  EXPECT_NEAR(Player()->duration(), 3000, 300);
}

TEST_F(MediaPlayerTest, ItsOwnButtonsPauseStopPlayAndSeek) {
  START_OR_SKIP(TempMovie);
  auto* play = Window->findChild<QToolButton*>(QStringLiteral("ButtonPlay"));
  auto* pause = Window->findChild<QToolButton*>(QStringLiteral("ButtonPause"));
  auto* stop = Window->findChild<QToolButton*>(QStringLiteral("ButtonStop"));
  auto* seek = Window->findChild<QSlider*>(QStringLiteral("SliderSeek"));
  ASSERT_TRUE(play && pause && stop && seek);
  ASSERT_TRUE(PumpUntil([&] { return seek->maximum() > 0; }, 5000));
  EXPECT_NEAR(seek->maximum() * 100, Player()->duration(), 100);

  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ(Player()->state(), QMediaPlayer::PausedState);
  // A page of the slider is one second further into the movie.
  const qint64 before = Player()->position();
  seek->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_TRUE(PumpUntil([&] { return Player()->position() >= before + 900; }, 5000))
      << "position " << Player()->position() << " after seeking from " << before;
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_EQ(Player()->state(), QMediaPlayer::PlayingState);
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_EQ(Player()->state(), QMediaPlayer::StoppedState);
  // Stopping keeps the movie, ready to play again.
  EXPECT_FALSE(Player()->media().isNull());
}

TEST(MediaPlayerPlacement, APictureKeepsItsSizeWhenItFitsAndIsScaledDownWhenItDoesNot) {
  const QRect area(0, 0, 320, 272);
  EXPECT_EQ(TNativeSizeLayout::Place(QSize(160, 120), area), QRect(80, 76, 160, 120));
  EXPECT_EQ(TNativeSizeLayout::Place(QSize(320, 272), area), area);
  EXPECT_EQ(TNativeSizeLayout::Place(QSize(640, 480), area), QRect(0, 16, 320, 240));
  EXPECT_EQ(TNativeSizeLayout::Place(QSize(100, 1000), area), QRect(146, 0, 27, 272));
  EXPECT_EQ(TNativeSizeLayout::Place(QSize(), area), area);  // no picture yet: the whole area
}

TEST_F(MediaPlayerTest, ASmallMovieIsShownAtItsOwnSize) {
  START_OR_SKIP(TempMovie);
  auto* video = Window->findChild<QVideoWidget*>();
  ASSERT_NE(video, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return video->size() == QSize(160, 120); }, 5000))
      << "the 160 x 120 movie is shown at " << video->width() << " x " << video->height();
  // Centred in the video area above the controls.
  EXPECT_EQ(video->mapTo(Window.get(), QPoint(0, 0)), QPoint(80, 76));
}

TEST_F(MediaPlayerTest, PlayAfterTheEndPlaysTheMovieAgainFromItsStart) {
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  START_OR_SKIP(TempMovie);
  ASSERT_TRUE(PumpUntil([&] { return Player()->mediaStatus() == QMediaPlayer::EndOfMedia; }, 10000));
  QTest::mouseClick(Window->findChild<QToolButton*>(QStringLiteral("ButtonPlay")), Qt::LeftButton);
  EXPECT_TRUE(PumpUntil([&] { return Player()->state() == QMediaPlayer::PlayingState && Player()->position() > 300; }, 10000))
      << "state " << Player()->state() << ", position " << Player()->position();
}

TEST_F(MediaPlayerTest, HidingStopsAndReleasesTheFileAndShowingAgainStaysIdle) {
  START_OR_SKIP(TempMovie);
  ASSERT_TRUE(FileIsOpen(TempMovie));

  Window->ShowTool(false);
  EXPECT_FALSE(Window->isVisible());
  EXPECT_EQ(Player()->state(), QMediaPlayer::StoppedState);
  EXPECT_TRUE(Player()->media().isNull());
  EXPECT_TRUE(PumpUntil([&] { return !FileIsOpen(TempMovie); }, 5000))
      << "the player still holds the movie file";

  // The next movie can be written over the file.
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  EXPECT_EQ(QFileInfo(TempMovie).size(), QFileInfo(kMovieB).size());

  Window->ShowTool(true);
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(Player()->media().isNull());
  EXPECT_EQ(Player()->state(), QMediaPlayer::StoppedState);
}

TEST_F(MediaPlayerTest, ASecondMovieReplacesTheFirstInTheSameWindow) {
  START_OR_SKIP(TempMovie);
  // The browser's order: close, overwrite the temporary file, show, play.
  Window->CloseMovie();
  EXPECT_TRUE(Player()->media().isNull());
  ASSERT_TRUE(PumpUntil([&] { return !FileIsOpen(TempMovie); }, 5000));
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  START_OR_SKIP(TempMovie);
  EXPECT_TRUE(PumpUntil([&] { return Player()->duration() > 0; }, 5000));
  EXPECT_NEAR(Player()->duration(), 2000, 300);

  // Another file straight over a playing one replaces it too.
  Window->PlayMovie(QFile::encodeName(kMovieA).toStdString());
  EXPECT_EQ(Player()->media().request().url(), QUrl::fromLocalFile(kMovieA));
  EXPECT_TRUE(PumpUntil([&] { return Player()->position() > 300; }, 15000));
  EXPECT_TRUE(PumpUntil([&] { return !FileIsOpen(TempMovie); }, 5000));
}

TEST_F(MediaPlayerTest, AFileThatIsNoMovieFailsSilently) {
  QFile garbage(TempMovie);
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
  garbage.write(QByteArray(4096, '\x5a'));
  garbage.close();

  Window->ShowTool(true);
  Window->PlayMovie(QFile::encodeName(TempMovie).toStdString());
  PumpUntil([&] { return Player()->mediaStatus() == QMediaPlayer::InvalidMedia; }, 5000);
  EXPECT_NE(Player()->state(), QMediaPlayer::PlayingState);
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(widget->isVisible() && qobject_cast<QMessageBox*>(widget) != nullptr);
  EXPECT_TRUE(Window->isVisible());

  // The window takes the next movie as usual.
  Window->CloseMovie();
  ASSERT_TRUE(ReplaceFile(kMovieA, TempMovie));
  START_OR_SKIP(TempMovie);
}

TEST_F(MediaPlayerTest, MoviesOpenedPausedReplayedAndClosedAsFastAsAVisitorClicks) {
  START_OR_SKIP(TempMovie);
  auto* play = Window->findChild<QToolButton*>(QStringLiteral("ButtonPlay"));
  auto* pause = Window->findChild<QToolButton*>(QStringLiteral("ButtonPause"));
  auto* stop = Window->findChild<QToolButton*>(QStringLiteral("ButtonStop"));
  auto* seek = Window->findChild<QSlider*>(QStringLiteral("SliderSeek"));
  ASSERT_TRUE(play && pause && stop && seek);
  // Every command lands on pipelines in every stage of setting up, playing and ending.
  QRandomGenerator random(20261208);
  for (int i = 0; i < 60; ++i) {
    switch (random.bounded(7)) {
      case 0:
      case 1:  // the browser's order for the next movie
        Window->CloseMovie();
        ASSERT_TRUE(ReplaceFile(i % 2 ? kMovieA : kMovieB, TempMovie));
        Window->ShowTool(true);
        Window->PlayMovie(QFile::encodeName(TempMovie).toStdString());
        break;
      case 2: QTest::mouseClick(play, Qt::LeftButton); break;
      case 3: QTest::mouseClick(pause, Qt::LeftButton); break;
      case 4: QTest::mouseClick(stop, Qt::LeftButton); break;
      case 5: seek->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
      case 6: Window->ShowTool(false); break;
    }
    PumpUntil([] { return false; }, random.bounded(150));
  }
  // Still a working window: the next movie plays.
  Window->CloseMovie();
  ASSERT_TRUE(ReplaceFile(kMovieA, TempMovie));
  START_OR_SKIP(TempMovie);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
