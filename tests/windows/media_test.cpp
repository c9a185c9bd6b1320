// The movie window on real WMV movies played by its player process (QtMultimedia on GStreamer)
// under Xvfb.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QLabel>
#include <QScreen>
#include <QImage>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <functional>

#include "movie/movieprocess.h"
#include "movie/nativesizelayout.h"
#include "moviecontrols.h"
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

// True while this process or the given player process has the file open (the player's file
// source holds a descriptor).
bool FileIsOpen(const QString& path, qint64 player = 0) {
  const QString target = QFileInfo(path).canonicalFilePath();
  QStringList folders = {QStringLiteral("/proc/self/fd")};
  if (player > 0) folders << QStringLiteral("/proc/%1/fd").arg(player);
  for (const QString& folder : folders)
    for (const QFileInfo& fd : QDir(folder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
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
    // Without its player process the window could only ever say that movies cannot be played.
    ASSERT_TRUE(QFileInfo(TMovieProcess::Program()).isExecutable()) << TMovieProcess::Program().toStdString();
    // The program plays a temporary copy that it overwrites for every movie.
    TempMovie = Folder.filePath(QStringLiteral("kdtemp.wmv"));
    ASSERT_TRUE(ReplaceFile(kMovieA, TempMovie));
    Window = std::make_unique<TFormMediaPlayer>();
  }
  void TearDown() override { Window.reset(); }

  TFormMediaPlayer* Player() const { return Window.get(); }
  bool FileIsOpen(const QString& path) const { return ::FileIsOpen(path, Window->PlayerProcessId()); }

  // Starts the movie and waits until its position moves. Skips the test, saying why, when the
  // multimedia backend cannot play WMV here.
  bool StartAndWaitForProgress(const QString& path) {
    Window->ShowTool(true);
    Window->PlayMovie(QFile::encodeName(path).toStdString());
    const bool advanced = PumpUntil(
        [&] { return Player()->Position() > 300 || Player()->SaysCannotPlay(); }, 15000);
    if (Player()->SaysCannotPlay()) {
      Unplayable = QStringLiteral("the multimedia backend cannot play WMV here");
      return false;
    }
    if (!advanced) {
      Unplayable = QStringLiteral("playback did not advance within 15 s (status %1)")
                       .arg(static_cast<int>(Player()->Status()));
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

TEST(MediaPlayerWindow, IsAFixedToolWindowWithAnIdlePlayer) {
  TFormMediaPlayer window;
  EXPECT_EQ(window.windowTitle(), QStringLiteral(" Pinacora :  Media Player"));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(window.size(), QSize(320, 300));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(window.Movie().isEmpty());
  EXPECT_EQ(window.PlayerProcessId(), 0);

  auto* screen = window.findChild<QWidget*>(QStringLiteral("VideoScreen"));
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->geometry(), QRect(0, 0, 320, 272));

  // A movie that was not found comes as an empty path: nothing is opened, no player started.
  window.PlayMovie("");
  EXPECT_TRUE(window.Movie().isEmpty());
  EXPECT_EQ(window.State(), QMediaPlayer::StoppedState);
  EXPECT_EQ(window.PlayerProcessId(), 0);
}

TEST_F(MediaPlayerTest, PlaysAtOnceAndItsPositionAdvances) {
  START_OR_SKIP(TempMovie);
  EXPECT_EQ(Player()->State(), QMediaPlayer::PlayingState);
  EXPECT_EQ(Player()->Movie(), TempMovie);
  EXPECT_TRUE(PumpUntil([&] { return Player()->Duration() > 0; }, 5000));
  EXPECT_NEAR(Player()->Duration(), 3000, 300);
  // At half volume, not muted, in a process of its own that holds the file.
  EXPECT_EQ(Player()->Volume(), 50);
  EXPECT_NE(Player()->PlayerProcessId(), 0);
  EXPECT_NE(Player()->PlayerProcessId(), QCoreApplication::applicationPid());
  EXPECT_TRUE(FileIsOpen(TempMovie));
  EXPECT_FALSE(Player()->SaysCannotPlay());
}

TEST_F(MediaPlayerTest, ItsOwnButtonsPauseStopPlayAndSeek) {
  START_OR_SKIP(TempMovie);
  const TMovieControls controls(*Window);
  ASSERT_TRUE(controls.Found());
  ASSERT_TRUE(PumpUntil([&] { return controls.seek->maximum() > 0; }, 5000));
  EXPECT_NEAR(controls.seek->maximum() * 100, Player()->Duration(), 100);

  // The player process answers each command with its new state.
  auto state = [&](QMediaPlayer::State wanted) {
    return PumpUntil([&] { return Player()->State() == wanted; }, 5000);
  };
  QTest::mouseClick(controls.pause, Qt::LeftButton);
  EXPECT_TRUE(state(QMediaPlayer::PausedState));
  // A page of the slider is one second further into the movie.
  PumpUntil([] { return false; }, 200);
  const qint64 before = Player()->Position();
  controls.seek->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_TRUE(PumpUntil([&] { return Player()->Position() >= before + 900; }, 5000))
      << "position " << Player()->Position() << " after seeking from " << before;
  QTest::mouseClick(controls.play, Qt::LeftButton);
  EXPECT_TRUE(state(QMediaPlayer::PlayingState));
  QTest::mouseClick(controls.stop, Qt::LeftButton);
  EXPECT_TRUE(state(QMediaPlayer::StoppedState));
  // Stopping keeps the movie, ready to play again.
  EXPECT_FALSE(Player()->Movie().isEmpty());
  QTest::mouseClick(controls.play, Qt::LeftButton);
  EXPECT_TRUE(state(QMediaPlayer::PlayingState));
}

TEST(MoviePlayerProcess, IgnoresWhatItDoesNotUnderstandAndEndsWithItsInput) {
  if (!QFile::exists(kMovieA)) GTEST_SKIP() << "the test movies were not made (is ffmpeg installed?)";
  QProcess player;
  player.start(TMovieProcess::Program(), QStringList());
  ASSERT_TRUE(player.waitForStarted(5000)) << TMovieProcess::Program().toStdString();
  player.write("seek nonsense\nseek -5\nfly away\nplay\npause\nplay " + QFile::encodeName(kMovieA) + "\n");
  QByteArray reports;
  EXPECT_TRUE(PumpUntil([&] {
    reports += player.readAllStandardOutput();
    return reports.contains("status loaded\n") && reports.contains("state playing\n");
  }, 15000)) << reports.toStdString();
  EXPECT_TRUE(reports.contains("volume 50\n"));
  EXPECT_TRUE(reports.contains("duration 3"));  // about 3000 ms
  // The program going away closes the player's input: the player ends, cleanly.
  player.closeWriteChannel();
  ASSERT_TRUE(player.waitForFinished(5000));
  EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(player.exitCode(), 0) << player.readAllStandardError().toStdString();
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
  // Centred in the video area above the controls.
  EXPECT_TRUE(PumpUntil([&] { return Player()->Picture() == QRect(80, 76, 160, 120); }, 5000))
      << "the 160 x 120 movie is shown at " << Player()->Picture().width() << " x "
      << Player()->Picture().height() << " from " << Player()->Picture().x() << ", " << Player()->Picture().y();
}

TEST_F(MediaPlayerTest, ThePictureIsOnTheScreenInsideTheWindow) {
  START_OR_SKIP(TempMovie);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  // The test movie is colour bars: the middle of the video area is not the black of the screen.
  const QPoint middle = Window->mapToGlobal(QPoint(160, 136));
  auto colourAt = [&] {
    return QGuiApplication::primaryScreen()->grabWindow(0, middle.x(), middle.y(), 1, 1).toImage().pixelColor(0, 0);
  };
  EXPECT_TRUE(PumpUntil([&] { return colourAt() != QColor(Qt::black); }, 5000))
      << "the video area stays black";
}

TEST_F(MediaPlayerTest, PlayAfterTheEndPlaysTheMovieAgainFromItsStart) {
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  START_OR_SKIP(TempMovie);
  ASSERT_TRUE(PumpUntil([&] { return Player()->Status() == QMediaPlayer::EndOfMedia; }, 10000));
  QTest::mouseClick(Window->findChild<QToolButton*>(QStringLiteral("ButtonPlay")), Qt::LeftButton);
  EXPECT_TRUE(PumpUntil([&] { return Player()->State() == QMediaPlayer::PlayingState && Player()->Position() > 300; }, 10000))
      << "state " << Player()->State() << ", position " << Player()->Position();
}

TEST_F(MediaPlayerTest, HidingStopsAndReleasesTheFileAndShowingAgainStaysIdle) {
  START_OR_SKIP(TempMovie);
  ASSERT_TRUE(FileIsOpen(TempMovie));

  const qint64 player = Player()->PlayerProcessId();
  Window->ShowTool(false);
  EXPECT_FALSE(Window->isVisible());
  EXPECT_EQ(Player()->State(), QMediaPlayer::StoppedState);
  EXPECT_TRUE(Player()->Movie().isEmpty());
  EXPECT_FALSE(::FileIsOpen(TempMovie, player))
      << "the player still holds the movie file";

  // The next movie can be written over the file.
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  EXPECT_EQ(QFileInfo(TempMovie).size(), QFileInfo(kMovieB).size());

  Window->ShowTool(true);
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(Player()->Movie().isEmpty());
  EXPECT_EQ(Player()->State(), QMediaPlayer::StoppedState);
  EXPECT_EQ(Player()->PlayerProcessId(), 0);
}

TEST_F(MediaPlayerTest, ASecondMovieReplacesTheFirstInTheSameWindow) {
  START_OR_SKIP(TempMovie);
  // The browser's order: close, overwrite the temporary file, show, play.
  const qint64 first = Player()->PlayerProcessId();
  Window->CloseMovie();
  EXPECT_TRUE(Player()->Movie().isEmpty());
  // Closing returns only once the file is free.
  ASSERT_FALSE(::FileIsOpen(TempMovie, first));
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  START_OR_SKIP(TempMovie);
  EXPECT_TRUE(PumpUntil([&] { return Player()->Duration() > 0; }, 5000));
  EXPECT_NEAR(Player()->Duration(), 2000, 300);

  // Another file straight over a playing one replaces it too.
  const qint64 second = Player()->PlayerProcessId();
  Window->PlayMovie(QFile::encodeName(kMovieA).toStdString());
  EXPECT_EQ(Player()->Movie(), kMovieA);
  EXPECT_FALSE(::FileIsOpen(TempMovie, second));
  EXPECT_TRUE(PumpUntil([&] { return Player()->Position() > 300; }, 15000));
  EXPECT_FALSE(FileIsOpen(TempMovie));
}

TEST_F(MediaPlayerTest, AFileThatIsNoMovieFailsSilently) {
  QFile garbage(TempMovie);
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
  garbage.write(QByteArray(4096, '\x5a'));
  garbage.close();

  Window->ShowTool(true);
  Window->PlayMovie(QFile::encodeName(TempMovie).toStdString());
  // The window says so in its video area, and shows no dialog.
  EXPECT_TRUE(PumpUntil([&] { return Player()->SaysCannotPlay(); }, 5000));
  EXPECT_NE(Player()->State(), QMediaPlayer::PlayingState);
  auto* message = Window->findChild<QLabel*>(QStringLiteral("LabelCannotPlay"));
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->text(), QStringLiteral("Impossibile riprodurre il filmato"));
  EXPECT_TRUE(message->isVisible());
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(widget->isVisible() && qobject_cast<QMessageBox*>(widget) != nullptr);
  EXPECT_TRUE(Window->isVisible());

  // The window takes the next movie as usual.
  Window->CloseMovie();
  ASSERT_TRUE(ReplaceFile(kMovieA, TempMovie));
  START_OR_SKIP(TempMovie);
}

TEST_F(MediaPlayerTest, APlayerThatCrashesEndsAloneAndTheNextMovieGetsANewOne) {
  START_OR_SKIP(TempMovie);
  const qint64 player = Player()->PlayerProcessId();
  ASSERT_GT(player, 0);
  // As a decoder's abort would end it.
  ::kill(static_cast<pid_t>(player), SIGABRT);
  EXPECT_TRUE(PumpUntil([&] { return Player()->SaysCannotPlay(); }, 5000));
  EXPECT_EQ(Player()->PlayerProcessId(), 0);
  EXPECT_EQ(Player()->State(), QMediaPlayer::StoppedState);
  EXPECT_TRUE(Window->isVisible());

  Window->CloseMovie();
  EXPECT_FALSE(Player()->SaysCannotPlay());
  ASSERT_TRUE(ReplaceFile(kMovieB, TempMovie));
  START_OR_SKIP(TempMovie);
  EXPECT_NE(Player()->PlayerProcessId(), player);
  EXPECT_FALSE(Player()->SaysCannotPlay());
}

TEST_F(MediaPlayerTest, MoviesOpenedPausedReplayedAndClosedAsFastAsAVisitorClicks) {
  START_OR_SKIP(TempMovie);
  const TMovieControls controls(*Window);
  ASSERT_TRUE(controls.Found());
  auto *play = controls.play, *pause = controls.pause, *stop = controls.stop;
  auto* seek = controls.seek;
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
