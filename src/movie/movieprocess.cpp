#include "movieprocess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "movieprotocol.h"

namespace {
// How long a player may take to end by itself when asked before it is killed.
constexpr int kQuitWaitMs = 150;
constexpr char kProgramName[] = "pinacora-movie";
}  // namespace

using namespace MovieProtocol;

TMovieProcess::TMovieProcess(QObject* parent) : QObject(parent) {}

TMovieProcess::~TMovieProcess() { End(); }

QString TMovieProcess::Program() {
  const QString beside = QCoreApplication::applicationDirPath() + '/' + QLatin1String(kProgramName);
  if (QFileInfo(beside).isExecutable()) return beside;
#ifdef PINACORA_MOVIE_BUILD_PATH
  // Test programs live elsewhere in the build tree.
  const QString built = QStringLiteral(PINACORA_MOVIE_BUILD_PATH);
  if (QFileInfo(built).isExecutable()) return built;
#endif
  return beside;
}

bool TMovieProcess::Start(const QString& path, WId into, const QSize& area) {
  End();
  ++Runs;
  Process = new QProcess(this);
  // Its complaints go where the program's own go.
  Process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(Process, &QProcess::readyReadStandardOutput, this, &TMovieProcess::ReadReports);
  connect(Process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
          &TMovieProcess::ProcessEnded);
  connect(Process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) ProcessEnded();
  });
  PlayerState = QMediaPlayer::PlayingState;
  PlayerStatus = QMediaPlayer::LoadingMedia;
  PlayerPosition = PlayerDuration = 0;
  PlayerPicture = QRect();
  Process->start(Program(),
                 {QLatin1String(kIntoOption), QString::number(into), QLatin1String(kSizeOption),
                  QStringLiteral("%1x%2").arg(area.width()).arg(area.height())});
  Send("play " + path.toUtf8());
  return Process != nullptr;
}

void TMovieProcess::Send(const QByteArray& command) {
  if (Process == nullptr || command.contains('\n')) return;
  Process->write(command + '\n');
}

void TMovieProcess::End() {
  if (Process == nullptr) return;
  QProcess* process = Process;
  Process = nullptr;
  disconnect(process, nullptr, this, nullptr);
  if (process->state() != QProcess::NotRunning) {
    process->write("quit\n");
    process->closeWriteChannel();
    if (!process->waitForFinished(kQuitWaitMs)) {
      process->kill();
      process->waitForFinished(-1);
    }
  }
  // Never called from inside the process's own signals (those that fail reach the window queued),
  // so it can go at once rather than wait for an event loop to come round.
  delete process;
  Forget();
}

void TMovieProcess::Forget() {
  Pending.clear();
  PlayerState = QMediaPlayer::StoppedState;
  PlayerStatus = QMediaPlayer::NoMedia;
  PlayerPosition = PlayerDuration = 0;
  PlayerPicture = QRect();
  PlayerVolume = 0;
  emit PositionChanged(0);
  emit DurationChanged(0);
}

void TMovieProcess::ReadReports() {
  if (Process == nullptr) return;
  Pending.append(Process->readAllStandardOutput());
  for (int end = Pending.indexOf('\n'); end >= 0 && Process != nullptr; end = Pending.indexOf('\n')) {
    const QByteArray line = Pending.left(end);
    Pending.remove(0, end + 1);
    TakeReport(line);
  }
}

void TMovieProcess::TakeReport(const QByteArray& text) {
  const Line line = Split(text);
  bool ok = false;
  const QList<qint64> numbers = Numbers(line.Rest, &ok);
  if (line.Word == "state") {
    PlayerState = StateFromWord(line.Rest);
  } else if (line.Word == "status") {
    PlayerStatus = StatusFromWord(line.Rest);
    if (PlayerStatus == QMediaPlayer::InvalidMedia) emit Failed(Runs);
  } else if (line.Word == "position" && ok && numbers.size() == 1) {
    PlayerPosition = numbers[0];
    emit PositionChanged(PlayerPosition);
  } else if (line.Word == "duration" && ok && numbers.size() == 1) {
    PlayerDuration = numbers[0];
    emit DurationChanged(PlayerDuration);
  } else if (line.Word == "picture" && ok && numbers.size() == 4) {
    PlayerPicture = QRect(int(numbers[0]), int(numbers[1]), int(numbers[2]), int(numbers[3]));
  } else if (line.Word == "volume" && ok && numbers.size() == 1) {
    PlayerVolume = int(numbers[0]);
  } else if (line.Word == "error") {
    emit Failed(Runs);
  }
}

void TMovieProcess::ProcessEnded() {
  if (Process == nullptr) return;
  // Read what it said before it went, then let it go: it ended by itself, so the movie failed.
  ReadReports();
  if (Process == nullptr) return;
  Process->deleteLater();
  disconnect(Process, nullptr, this, nullptr);
  Process = nullptr;
  Forget();
  emit Failed(Runs);
}
