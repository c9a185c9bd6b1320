#include "movieprotocol.h"

namespace MovieProtocol {

QByteArray StateWord(QMediaPlayer::State state) {
  switch (state) {
    case QMediaPlayer::PlayingState: return "playing";
    case QMediaPlayer::PausedState: return "paused";
    case QMediaPlayer::StoppedState: break;
  }
  return "stopped";
}

QMediaPlayer::State StateFromWord(const QByteArray& word) {
  if (word == "playing") return QMediaPlayer::PlayingState;
  if (word == "paused") return QMediaPlayer::PausedState;
  return QMediaPlayer::StoppedState;
}

QByteArray StatusWord(QMediaPlayer::MediaStatus status) {
  switch (status) {
    case QMediaPlayer::LoadingMedia:
    case QMediaPlayer::UnknownMediaStatus: return "loading";
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia: return "loaded";
    case QMediaPlayer::EndOfMedia: return "ended";
    case QMediaPlayer::InvalidMedia: return "invalid";
    case QMediaPlayer::NoMedia: break;
  }
  return "none";
}

QMediaPlayer::MediaStatus StatusFromWord(const QByteArray& word) {
  if (word == "loading") return QMediaPlayer::LoadingMedia;
  if (word == "loaded") return QMediaPlayer::LoadedMedia;
  if (word == "ended") return QMediaPlayer::EndOfMedia;
  if (word == "invalid") return QMediaPlayer::InvalidMedia;
  return QMediaPlayer::NoMedia;
}

Line Split(const QByteArray& line) {
  QByteArray trimmed = line;
  while (trimmed.endsWith('\n') || trimmed.endsWith('\r')) trimmed.chop(1);
  const int space = trimmed.indexOf(' ');
  if (space < 0) return {trimmed, QByteArray()};
  return {trimmed.left(space), trimmed.mid(space + 1)};
}

QList<qint64> Numbers(const QByteArray& rest, bool* ok) {
  QList<qint64> numbers;
  bool all = true;
  for (const QByteArray& part : rest.split(' ')) {
    if (part.isEmpty()) continue;
    bool good = false;
    numbers << part.toLongLong(&good);
    all = all && good;
  }
  if (ok != nullptr) *ok = all;
  return numbers;
}

}  // namespace MovieProtocol
