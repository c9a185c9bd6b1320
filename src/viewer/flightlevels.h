// The works' levels of detail while the camera flies. A flight passes works a few metres off its
// way; drawn at their full level, two such scans take a software renderer past the flight's tick.
// While a flight is under way only the work it goes to (and, for its first half, the one it comes
// from) keeps its full level; the others show their next coarser one, as far as they would have
// shown it. When the flight is over, every work gets its own ranges back (the view then draws them
// in full again).
//
// Each level is also drawn once, out of sight, while nothing flies, so that the first frame to show
// it does not also pay for handing its faces to the GL driver.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <vector>

class QTimer;
class SoGLRenderAction;
class SoLOD;
class SoNode;
class SoQtExaminerViewer;

class TFlightLevels : public QObject {
  Q_OBJECT
 public:
  TFlightLevels(SoQtExaminerViewer* viewer, QObject* parent);
  ~TFlightLevels() override;

  // The works to look after: every SoLOD under works whose first level is a work ("KD_<Id>").
  // The levels are drawn out of sight from then on, one work at a time, after the node that sets
  // the view's drawing rules (its shape hints), if any.
  void Collect(SoNode* works, SoNode* drawing = nullptr);
  // A flight to `to` begins; `from` is the work the last one went to (or -1).
  void Begin(std::int32_t to, std::int32_t from);
  // The flight has gone far enough from where it began: the work it came from shows coarser too.
  void LeaveStart();
  // The flight is over (or was never begun): every work's ranges as they were read.
  void End();

  // Works with levels, and how many of them still wait to be drawn out of sight.
  std::size_t Count() const { return Works.size(); }
  std::size_t WaitingToWarm() const { return Works.size() - Warmed; }
  // The works whose full level the present flight skips.
  std::size_t Lowered() const;

 private:
  struct TWork;
  void WarmNext();

  SoQtExaminerViewer* Viewer;
  QTimer* TimerWarm = nullptr;
  std::unique_ptr<SoGLRenderAction> WarmAction;
  std::vector<std::unique_ptr<TWork>> Works;
  std::size_t Warmed = 0;
  bool Flying = false;
  std::int32_t To = -1, From = -1;
};
