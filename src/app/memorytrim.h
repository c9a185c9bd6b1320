// Gives freed memory back to the system now and then, for a program that runs for weeks.
#pragma once

#include <QObject>

class QTimer;

class TMemoryTrim : public QObject {
  Q_OBJECT
 public:
  // Blocks of tens of megabytes get pages of their own from now on; freed memory goes back to the
  // system once a minute while the owner lives.
  explicit TMemoryTrim(QObject* parent);

  // Returns the free pages of every allocator arena to the system; answers whether any went.
  static bool TrimNow();

 private:
  QTimer* TimerTrim = nullptr;
};
