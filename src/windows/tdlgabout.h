// The modal about box: scrolling credits and music.
#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <cstdint>
#include <memory>

#include "aboutmusic.h"

class QTimer;

namespace Ui {
class DlgAbout;
}

class TDlgAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TDlgAbout(QWidget* parent = nullptr);
  ~TDlgAbout() override;

  // One animation step of the credits (the 40 ms timer's handler).
  void TimerTimer();

  // Uses image instead of the credits in the program's resources from the next show on.
  void SetCreditsImage(const QImage& image);
  // The part of the credits image that was drawn last; empty before the first drawing.
  QRect DrawnSourceRect() const { return SourceRect; }
  std::int32_t Ticks() const { return TickCount; }
  bool TimerActive() const;
  TAboutMusic& Music() { return AboutMusic; }

  // Texts of the program's resources.
  static QImage LoadCreditsResource();
  static QByteArray LoadMusicResource();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // The box has no close box: OK (or Enter, its default button) closes it, Escape does not.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void createTimer();
  void placeOnScreen();

  void FormShow();
  void FormHide();

  std::unique_ptr<Ui::DlgAbout> ui;
  QTimer* Timer = nullptr;
  std::int32_t TickCount = 0;
  std::int32_t ScrollDelay = 50;
  // Null until the dialog is first shown; it never lives on the dialog itself.
  std::unique_ptr<QImage> CreditsImage;
  QRect SourceRect;
  QImage InjectedCredits;
  TAboutMusic AboutMusic;
};
