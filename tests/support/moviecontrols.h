// The movie window's own buttons and seek slider, found by their names, as a visitor's clicks and
// the tests reach them.
#pragma once

#include <QSlider>
#include <QToolButton>
#include <QWidget>

struct TMovieControls {
  explicit TMovieControls(const QWidget& window)
      : play(window.findChild<QToolButton*>(QStringLiteral("ButtonPlay"))),
        pause(window.findChild<QToolButton*>(QStringLiteral("ButtonPause"))),
        stop(window.findChild<QToolButton*>(QStringLiteral("ButtonStop"))),
        seek(window.findChild<QSlider*>(QStringLiteral("SliderSeek"))) {}
  bool Found() const { return play && pause && stop && seek; }

  QToolButton* play;
  QToolButton* pause;
  QToolButton* stop;
  QSlider* seek;
};
