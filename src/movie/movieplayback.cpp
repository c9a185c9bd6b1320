#include "movieplayback.h"

#include <QMediaContent>
#include <QUrl>
#include <QVideoWidget>

TMoviePlayback::TMoviePlayback(QVideoWidget* output, QObject* parent) : QObject(parent), Output(output) {
  StartPlayer(QString());
}

TMoviePlayback::~TMoviePlayback() { RetirePlayer(); }

void TMoviePlayback::StartPlayer(const QString& path) {
  RetirePlayer();
  Current = new QMediaPlayer(this, QMediaPlayer::VideoSurface);
  Current->setVideoOutput(Output);
  Current->setVolume(kVolume);
  Current->setMuted(false);
  Current->setPlaybackRate(1.0);
  Current->setNotifyInterval(100);
  connect(Current, &QMediaPlayer::stateChanged, this, &TMoviePlayback::StateChanged);
  connect(Current, &QMediaPlayer::mediaStatusChanged, this, &TMoviePlayback::PlayerStatusChanged);
  connect(Current, &QMediaPlayer::positionChanged, this, &TMoviePlayback::PositionChanged);
  connect(Current, &QMediaPlayer::durationChanged, this, &TMoviePlayback::DurationChanged);
  connect(Current, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), this, &TMoviePlayback::PlayerError);
  if (path.isEmpty()) return;
  Wanted = QMediaPlayer::PlayingState;
  WantedPosition = -1;
  Current->setMedia(QUrl::fromLocalFile(path));
  Current->play();
}

void TMoviePlayback::RetirePlayer() {
  if (Current == nullptr) return;
  QMediaPlayer* player = Current;
  Current = nullptr;
  disconnect(player, nullptr, this, nullptr);
  // An empty medium takes the pipeline down to its null state at once, whatever it was doing,
  // and closes the file; only then is the video output taken from it and the player let go.
  if (!player->media().isNull()) player->setMedia(QMediaContent());
  if (Output != nullptr) player->setVideoOutput(static_cast<QVideoWidget*>(nullptr));
  player->deleteLater();
  emit PositionChanged(0);
  emit DurationChanged(0);
}

void TMoviePlayback::Open(const QString& path) {
  MoviePath = path;
  StartPlayer(path);
  if (path.isEmpty()) {
    emit StateChanged(QMediaPlayer::StoppedState);
    emit StatusChanged(QMediaPlayer::NoMedia);
  }
}

void TMoviePlayback::Close() { Open(QString()); }

void TMoviePlayback::Replay() {
  if (!MoviePath.isEmpty()) StartPlayer(MoviePath);
}

bool TMoviePlayback::IsLoading() const {
  const QMediaPlayer::MediaStatus status = Current->mediaStatus();
  return status == QMediaPlayer::LoadingMedia || status == QMediaPlayer::UnknownMediaStatus;
}

void TMoviePlayback::Play() {
  if (MoviePath.isEmpty()) return;
  // At its end a pipeline only rewinds to a black picture; a new one plays from the start.
  if (Current->mediaStatus() == QMediaPlayer::EndOfMedia || Current->media().isNull()) {
    Replay();
  } else if (IsLoading()) {
    Wanted = QMediaPlayer::PlayingState;
  } else {
    Current->play();
  }
}

void TMoviePlayback::Pause() {
  if (Current->media().isNull()) return;
  if (IsLoading())
    Wanted = QMediaPlayer::PausedState;
  else
    Current->pause();
}

void TMoviePlayback::Stop() {
  if (Current->media().isNull()) return;
  if (IsLoading()) {
    Wanted = QMediaPlayer::StoppedState;
    WantedPosition = -1;
  } else {
    Current->stop();
  }
}

void TMoviePlayback::Seek(qint64 milliseconds) {
  if (Current->media().isNull()) return;
  if (IsLoading())
    WantedPosition = milliseconds;
  else
    Current->setPosition(milliseconds);
}

void TMoviePlayback::PlayerStatusChanged(QMediaPlayer::MediaStatus status) {
  emit StatusChanged(status);
  if (status != QMediaPlayer::LoadedMedia && status != QMediaPlayer::BufferedMedia) return;
  // Loaded: what was asked for meanwhile is done now, once.
  if (WantedPosition >= 0) Current->setPosition(WantedPosition);
  WantedPosition = -1;
  if (Wanted == QMediaPlayer::PausedState && Current->state() != QMediaPlayer::PausedState) Current->pause();
  if (Wanted == QMediaPlayer::StoppedState && Current->state() != QMediaPlayer::StoppedState) Current->stop();
  Wanted = QMediaPlayer::PlayingState;
}

void TMoviePlayback::PlayerError() {
  if (Current != nullptr) emit Failed(Current->errorString());
}
