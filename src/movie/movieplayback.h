// One movie at a time on a video widget, with a fresh player (and so a fresh decoding pipeline)
// for every movie and every replay. A pipeline is never given a second medium, and no command
// reaches one that is still setting itself up: those wait until it has loaded.
#pragma once

#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QString>

class QVideoWidget;

class TMoviePlayback : public QObject {
  Q_OBJECT
 public:
  static constexpr int kVolume = 50;

  explicit TMoviePlayback(QVideoWidget* output, QObject* parent = nullptr);
  ~TMoviePlayback() override;

  // Opens the file and starts playing it at once; an empty path only closes.
  void Open(const QString& path);
  // Plays on; after the end, or after the movie was stopped before it loaded, from the start.
  void Play();
  void Pause();
  void Stop();
  void Seek(qint64 milliseconds);
  // The same movie again from its start, on a new pipeline.
  void Replay();
  // Lets go of the movie and its file.
  void Close();

  // The player of the current movie (an idle one when none is open).
  QMediaPlayer* Player() const { return Current; }
  QString Path() const { return MoviePath; }

 signals:
  void StateChanged(QMediaPlayer::State state);
  void StatusChanged(QMediaPlayer::MediaStatus status);
  void PositionChanged(qint64 position);
  void DurationChanged(qint64 duration);
  void Failed(const QString& reason);

 private:
  void StartPlayer(const QString& path);
  void RetirePlayer();
  void PlayerStatusChanged(QMediaPlayer::MediaStatus status);
  void PlayerError();
  bool IsLoading() const;

  // The widget may go first when both belong to the same window.
  QPointer<QVideoWidget> Output;
  QMediaPlayer* Current = nullptr;
  QString MoviePath;
  // What the visitor asked for while the pipeline was still setting up.
  QMediaPlayer::State Wanted = QMediaPlayer::StoppedState;
  qint64 WantedPosition = -1;
};
