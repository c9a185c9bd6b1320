// The movie window's side of its player process (pinacora-movie): starts it for a movie with its
// picture inside a window of ours, sends it the visitor's commands and keeps what it last reported.
// Whatever the player process does, crashing included, reaches the program only as Failed().
#pragma once

#include <QMediaPlayer>
#include <QObject>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QWidget>

class TMovieProcess : public QObject {
  Q_OBJECT
 public:
  explicit TMovieProcess(QObject* parent = nullptr);
  ~TMovieProcess() override;

  // The player program: beside the running program (as installed), else where the build made it.
  static QString Program();

  // Starts a player process whose picture fills the window into (of the given size) and plays
  // the file in it. Ends the one before, if any. False when no process could be started.
  bool Start(const QString& path, WId into, const QSize& area);
  // One command line (movieprotocol.h); nothing happens without a running player.
  void Send(const QByteArray& command);
  // Ends the player process and waits until it is gone, so that its file is free.
  void End();

  bool IsRunning() const { return Process != nullptr; }
  // Counts the players started.
  quint64 Run() const { return Runs; }
  qint64 ProcessId() const { return Process != nullptr ? Process->processId() : 0; }

  // What the player reported last (an idle player's values without one).
  QMediaPlayer::State State() const { return PlayerState; }
  QMediaPlayer::MediaStatus Status() const { return PlayerStatus; }
  qint64 Position() const { return PlayerPosition; }
  qint64 Duration() const { return PlayerDuration; }
  QRect Picture() const { return PlayerPicture; }
  int Volume() const { return PlayerVolume; }

 signals:
  void PositionChanged(qint64 position);
  void DurationChanged(qint64 duration);
  // The movie cannot be played: the player said so, or its process ended by itself. run is the
  // player's number, so that news of a player that is gone by the time they arrive can be told.
  void Failed(quint64 run);

 private:
  void ReadReports();
  void TakeReport(const QByteArray& line);
  void ProcessEnded();
  void Forget();

  QProcess* Process = nullptr;
  quint64 Runs = 0;
  QByteArray Pending;
  QMediaPlayer::State PlayerState = QMediaPlayer::StoppedState;
  QMediaPlayer::MediaStatus PlayerStatus = QMediaPlayer::NoMedia;
  qint64 PlayerPosition = 0;
  qint64 PlayerDuration = 0;
  QRect PlayerPicture;
  int PlayerVolume = 0;
};
