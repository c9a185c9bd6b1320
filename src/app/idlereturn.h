// Back to the tour when the visitor has gone: after a set time without a key, mouse or touch
// event in any window of the program, the visitor's windows close, autoplay and the music come
// back and the camera flies to a random work, as at start-up.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

class QTimer;

class TIdleReturn : public QObject {
  Q_OBJECT
 public:
  // The exit status with which the program ends when asked to make way for a new exhibition.
  static constexpr int kExitForNewExhibition = 75;

  // idleSeconds 0: the tour never comes back by itself (a request to end still works).
  TIdleReturn(int idleSeconds, QObject* parent = nullptr);
  ~TIdleReturn() override;

  // Watches every event of the application.
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Ends the program (status kExitForNewExhibition) at the next return to the tour, or once
  // nobody has touched it for quietSeconds, whichever comes first.
  void EndWhenIdle(int quietSeconds);
  // SIGUSR1 asks for EndWhenIdle(60): how the kiosk session swaps the exhibition.
  void EndWhenIdleOnSignal();

  // Closes the visitor's windows and dialogs, switches autoplay on (all sounds checked, a random
  // flight) and starts the music.
  static void ReturnToTour();
  // True when the tour runs by itself: autoplay on, music playing or nothing to play, and no
  // window of the visitor's open.
  static bool TourIsRunning();

  qint64 IdleMilliseconds() const { return Clock() - LastInputAt; }
  // Input came since the last return to the tour.
  bool VisitorCame() const { return Armed; }
  int Returns() const { return ReturnCount; }

  // One look at the clock (the poll timer's handler).
  void Check();

  // Milliseconds of a monotonic clock; tests set a clock of their own (an empty one restores it).
  static void SetClock(std::function<qint64()> clock);

 private:
  static bool IsInput(const QEvent* event);

  int IdleMs;
  static std::function<qint64()> Clock;
  qint64 LastInputAt = 0;
  bool Armed = false;
  QPoint LastPointer;
  int ReturnCount = 0;
  QTimer* Poll = nullptr;
  int EndAfterQuietMs = -1;
  int SignalPipe[2] = {-1, -1};
};
