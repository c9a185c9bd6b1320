// The movie window: plays one movie file with play, pause, stop and seek controls.
#pragma once

#include <QWidget>
#include <string>

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
};
