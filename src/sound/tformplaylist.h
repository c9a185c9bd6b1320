// The background-sound playlist window.
#pragma once

#include <QWidget>
#include <cstdint>

class TFormPlaylist : public QWidget {
  Q_OBJECT
 public:
  explicit TFormPlaylist(QWidget* parent = nullptr);
  ~TFormPlaylist() override;

  void ShowTool(bool show);
  // Stops the sound that plays and checks every item.
  void SelectAll();
  // Stops the sound that plays and unchecks every item.
  void DeselectAll();
  // Moves to the next checked item and plays it with the fade-in.
  void PlayNext();
  bool IsPlaying() const;
};
