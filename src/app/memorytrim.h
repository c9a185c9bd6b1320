// Gives freed memory back to the system now and then, for a program that runs for weeks.
#pragma once

#include <QObject>

class QTimer;

class TMemoryTrim : public QObject {
  Q_OBJECT
 public:
  // Large blocks get pages of their own from now on; the rest is trimmed once a minute while the
  // owner lives.
  explicit TMemoryTrim(QObject* parent);

  // Returns the free pages of every allocator arena to the system; answers whether any went.
  static bool TrimNow();

 private:
  QTimer* TimerTrim = nullptr;
};
