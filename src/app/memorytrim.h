// Gives freed memory back to the system now and then, for a program that runs for weeks.
#pragma once

#include <QObject>

class QTimer;

class TMemoryTrim : public QObject {
  Q_OBJECT
 public:
  // Trims once a minute while the owner lives.
  explicit TMemoryTrim(QObject* parent);

  // Returns the free pages of every allocator arena to the system; answers whether any went.
  static bool TrimNow();

 private:
  QTimer* TimerTrim = nullptr;
};
