// pinacora-movie: decodes and shows the movies of the movie window in a process of its own, so
// that whatever the decoders make of a file ends at most this process, never the program. Its
// window is put inside the movie window's video area; it takes commands on its standard input and
// reports on its standard output, one line each (movieprotocol.h).
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPalette>
#include <QSocketNotifier>
#include <QVideoWidget>
#include <QWindow>
#include <cstdio>
#include <cstring>

#include "movieplayback.h"
#include "movieprotocol.h"
#include "nativesizelayout.h"

namespace {

using namespace MovieProtocol;

// Writes one report line whole; a parent that is gone ends this process (SIGPIPE).
void Report(const QByteArray& line) {
  const QByteArray out = line + '\n';
  const char* data = out.constData();
  qsizetype left = out.size();
  while (left > 0) {
    const ssize_t written = ::write(STDOUT_FILENO, data, static_cast<size_t>(left));
    if (written <= 0) return;
    data += written;
    left -= written;
  }
}

// Reads the commands from standard input and reports what the playback does.
class TMovieCommands : public QObject {
 public:
  TMovieCommands(TMoviePlayback* playback, QWidget* video)
      : Playback(playback), Video(video), Input(STDIN_FILENO, QSocketNotifier::Read) {
    connect(&Input, &QSocketNotifier::activated, this, &TMovieCommands::ReadInput);
    connect(Playback, &TMoviePlayback::StateChanged, this,
            [](QMediaPlayer::State state) { Report("state " + StateWord(state)); });
    connect(Playback, &TMoviePlayback::StatusChanged, this,
            [](QMediaPlayer::MediaStatus status) { Report("status " + StatusWord(status)); });
    connect(Playback, &TMoviePlayback::PositionChanged, this,
            [](qint64 position) { Report("position " + QByteArray::number(position)); });
    connect(Playback, &TMoviePlayback::DurationChanged, this,
            [](qint64 duration) { Report("duration " + QByteArray::number(duration)); });
    connect(Playback, &TMoviePlayback::Failed, this, [](const QString& reason) {
      QByteArray text = reason.toUtf8();
      text.replace('\n', ' ');
      Report("error " + text);
    });
    Video->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Video && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
      const QRect at = Video->geometry();
      Report("picture " + QByteArray::number(at.x()) + ' ' + QByteArray::number(at.y()) + ' ' +
             QByteArray::number(at.width()) + ' ' + QByteArray::number(at.height()));
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void ReadInput() {
    char chunk[4096];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {  // the program closed its end, or is gone
      Input.setEnabled(false);
      QCoreApplication::quit();
      return;
    }
    Pending.append(chunk, static_cast<int>(got));
    for (int end = Pending.indexOf('\n'); end >= 0; end = Pending.indexOf('\n')) {
      const QByteArray line = Pending.left(end);
      Pending.remove(0, end + 1);
      Run(line);
    }
  }

  void Run(const QByteArray& text) {
    const Line line = Split(text);
    if (line.Word == "play" && !line.Rest.isEmpty()) {
      Playback->Open(QString::fromUtf8(line.Rest));
      Report("volume " + QByteArray::number(Playback->Player()->volume()));
    } else if (line.Word == "play") {
      Playback->Play();
    } else if (line.Word == "pause") {
      Playback->Pause();
    } else if (line.Word == "stop") {
      Playback->Stop();
    } else if (line.Word == "seek") {
      bool ok = false;
      const QList<qint64> at = Numbers(line.Rest, &ok);
      if (ok && at.size() == 1 && at[0] >= 0) Playback->Seek(at[0]);
    } else if (line.Word == "replay") {
      Playback->Replay();
    } else if (line.Word == "close") {
      Playback->Close();
    } else if (line.Word == "quit") {
      Playback->Close();
      QCoreApplication::quit();
    }
  }

  TMoviePlayback* Playback;
  QWidget* Video;
  QSocketNotifier Input;
  QByteArray Pending;
};

void PrintUsage() {
  std::printf(
      "usage: pinacora-movie [--into WINDOW] [--size WIDTHxHEIGHT]\n"
      "Plays the movies the Pinacora movie window sends it. Commands on standard input, one a line:\n"
      "  play PATH, play, pause, stop, seek MILLISECONDS, replay, close, quit\n"
      "Reports on standard output: state, status, position, duration, picture, volume, error.\n"
      "--into puts its window inside the X window WINDOW; --size is the size of that area.\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Never outlive the program, whatever way it ends.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0) {
      PrintUsage();
      return 0;
    }
  QApplication application(argc, argv);
  WId into = 0;
  QSize size(320, 272);
  const QStringList arguments = QCoreApplication::arguments();
  for (int i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String(kIntoOption)) into = arguments[i + 1].toULongLong(nullptr, 0);
    if (arguments[i] == QLatin1String(kSizeOption)) {
      const QStringList parts = arguments[i + 1].split('x');
      if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
        size = QSize(parts[0].toInt(), parts[1].toInt());
    }
  }

  // A black screen of the area's size, the picture on it at its own size or scaled down.
  QWidget screen(nullptr, Qt::Window | Qt::FramelessWindowHint);
  screen.setWindowTitle(QStringLiteral("pinacora-movie"));
  QPalette black = screen.palette();
  black.setColor(QPalette::Window, Qt::black);
  screen.setPalette(black);
  screen.setAutoFillBackground(true);
  auto* video = new QVideoWidget(&screen);
  video->setObjectName(QStringLiteral("VideoWidget"));
  video->setAspectRatioMode(Qt::KeepAspectRatio);
  video->setPalette(black);
  video->setAutoFillBackground(true);
  auto* placement = new TNativeSizeLayout(&screen);
  placement->addWidget(video);
  screen.setFixedSize(size);
  if (into != 0) {
    // Reparented before it is ever mapped, so no window manager takes it for a window of its own.
    screen.setAttribute(Qt::WA_NativeWindow);
    screen.winId();
    screen.windowHandle()->setParent(QWindow::fromWinId(into));
    screen.windowHandle()->setPosition(0, 0);
  }
  screen.show();

  TMoviePlayback playback(video);
  TMovieCommands commands(&playback, video);
  Report("ready");
  const int status = application.exec();
  // Once the movie is closed and its pipeline is down, nothing is left that needs tidying: taking
  // apart the windows, the X connections and the media service as well would only race the
  // threads GStreamer and Xlib may still have running.
  playback.Close();
  ::_exit(status);
}
