// A status-bar text that stands still for a while after it is set, then scrolls left.
#pragma once

#include <QString>

class TStringRotator {
 public:
  explicit TStringRotator(const QString& initial = QString()) : Shown(initial) {}

  void SetText(const QString& text);
  // One step: after Delay ticks the first character moves to the end on every tick.
  const QString& Tick();

  QString Shown;
  int Delay = 40;
  int Count = 0;
};
