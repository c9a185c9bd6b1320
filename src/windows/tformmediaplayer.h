// The movie window: plays one movie file with play, pause, stop and seek controls. The movie is
// decoded and shown by a player process of ours inside the window's video area, so that a file
// the decoders choke on ends only that process; the window then says the movie cannot be played.
#pragma once

#include <QMediaPlayer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>

class QHideEvent;
class QLabel;
class TMovieProcess;

namespace Ui {
class FormMediaPlayer;
}

class TFormMediaPlayer : public QWidget {
  Q_OBJECT
 public:
  explicit TFormMediaPlayer(QWidget* parent = nullptr);
  ~TFormMediaPlayer() override;

  void ShowTool(bool show);
  // Opens the file and starts playing it at once.
  void PlayMovie(const std::string& path);
  // Closes whatever is open, so the file can be overwritten.
  void CloseMovie();

  // For those who need to look at the player: the file open (empty when none), and what the
  // player process reported last.
  QString Movie() const { return MoviePath; }
  QMediaPlayer::State State() const;
  QMediaPlayer::MediaStatus Status() const;
  qint64 Position() const;
  qint64 Duration() const;
  int Volume() const;
  // Where the picture is shown in the video area (empty before the player has placed it).
  QRect Picture() const;
  // The player process (0 when none runs) and whether the window says the movie cannot be played.
  qint64 PlayerProcessId() const;
  bool SaysCannotPlay() const;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void createScreen();
  void createControls();
  void connectSeekSlider();

  void ButtonPlayClick();
  void ButtonPauseClick();
  void ButtonStopClick();
  void FormHide();
  void FormDestroy();
  void SliderSeekAction(int action);
  void PlayerPositionChanged(qint64 position);
  void PlayerDurationChanged(qint64 duration);
  void PlayerFailed(quint64 run);
  void StartPlayer();

  std::unique_ptr<Ui::FormMediaPlayer> ui;
  TMovieProcess* Player = nullptr;
  QLabel* LabelCannotPlay = nullptr;
  QString MoviePath;
};
