// The movie window: plays one movie file with play, pause, stop and seek controls.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

class QMediaPlayer;
class TMoviePlayback;
class QHideEvent;

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

  // The player behind the window, for those who need to look at its state.
  QMediaPlayer* Player() const;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void createPlayer();
  void createControls();
  void connectSeekSlider();

  void ButtonPlayClick();
  void FormHide();
  void FormDestroy();
  void SliderSeekAction(int action);
  void PlayerPositionChanged(qint64 position);
  void PlayerDurationChanged(qint64 duration);

  std::unique_ptr<Ui::FormMediaPlayer> ui;
  TMoviePlayback* Playback = nullptr;
};
