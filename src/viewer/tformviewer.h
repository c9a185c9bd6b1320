// The 3D window: the scene graph, the examiner viewer, input, picking, flights, debug markers.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <Inventor/SbLinear.h>
#include <cstdint>
#include <memory>

class QEvent;
class QTimer;
class SoNode;
class SoPath;
class SoPerspectiveCamera;
class SoQtExaminerViewer;
class SoSelection;
class SoShapeHints;
class SoSeparator;
class SbViewportRegion;
class TDataBanker;
class TFlightLevels;
class TTextureUpload;

class TFormViewer : public QWidget {
  Q_OBJECT
 public:
  static const QString Caption;

  explicit TFormViewer(QWidget* parent = nullptr);
  ~TFormViewer() override;

  // Scene: the models of the banker the main window gives (none until it gives one).
  void SetBanker(TDataBanker* banker);
  void CreateSceneRoot();
  void LoadModels();

  // Input: every input event of the drawing area comes here instead of the viewer's navigation.
  static int ViewerEventCallback(void* user, QEvent* event);
  void WMKeyDown();
  void WMLButtonDown(int x, int y);
  void PickAt(std::uint16_t x, std::uint16_t y);

  // Flights.
  void TimerCameraSlerpTimer();
  void FlyToObject(std::int32_t Id);
  void StepFlight();
  void SetCameraPose(const SbRotation& orientation, const SbVec3f& position);

  // Where the works are.
  bool GetObjectCenter(std::int32_t Id, SbVec3f& center);
  bool GetObjectNormal(std::int32_t Id, SbVec3f& normal);
  bool GetObjectViewDistance(std::int32_t Id, float& distance);
  SbMatrix GetPathMatrix(SoPath* path);
  float GetViewDistance(SoPath* path);

  // Debug markers.
  void DrawCenter(std::int32_t Id);
  void DrawNormal(std::int32_t Id);

  SbViewportRegion GetViewportRegion() const;
  // Draws the view again at the drawing area's present size, now and once more when it has settled.
  void RedrawView();
  void TimerRedrawTimer();

  SoQtExaminerViewer* ExaminerViewer = nullptr;
  SoPerspectiveCamera* SceneCamera = nullptr;
  SoSeparator* SceneRoot = nullptr;
  SoSelection* SelectionNode = nullptr;
  SoSeparator* ModelGroup = nullptr;
  SoSeparator* OverlayGroup = nullptr;
  QTimer* TimerCameraSlerp = nullptr;
  QTimer* TimerRedraw = nullptr;

  std::int32_t LastPickedId = -1;
  std::int32_t FlightStep = 0;
  bool FlightActive = false;
  SbVec3f FlightDestination;
  SbVec3f FlightTarget;

 signals:
  // A click hit something pickable: the click in drawing-area pixels and the world point hit.
  void PointPicked(std::uint16_t x, std::uint16_t y, const SbVec3f& point);
  // The click hit a work: its face set, then (when it differs from the work picked last) its Id.
  void NodePicked(SoNode* node);
  void WorkPicked(std::int32_t Id);
  // A debug marker was drawn; the line says where.
  void MarkerDrawn(const QString& line);

 protected:
  // A close request on the view (Alt+F4, a window manager's close button) ends the program as
  // "&Exit" does: a kiosk must never be left running without its view.
  void closeEvent(QCloseEvent* event) override;
  // The view is never left minimised: a window manager that minimises it (with a tool window
  // transient for it, say) gets it back at once.
  void changeEvent(QEvent* event) override;
  // Exposes, resizes and shows of the drawing area redraw the view.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void createExaminerViewer();
  // A flight to the work Id, ending distance out from point along normal.
  void StartFlight(std::int32_t Id, const SbVec3f& point, const SbVec3f& normal, float distance);
  void EndFlight();
  // The tick timer's timeout: a tick, held back a little when it is the timer catching up on one it
  // fired late.
  void TimerCameraSlerpFired();

  // Flight memory, filled on the first tick of each flight.
  SbRotation StartOrientation;
  SbRotation EndOrientation;
  SbVec3f StartPosition;
  SbVec3f EndPosition;
  int SettleRedraws = 0;
  QElapsedTimer SinceTimerTick;
  QTimer* TimerCatchUp = nullptr;  // a tick held back
  std::unique_ptr<TTextureUpload> TextureUpload;
  std::unique_ptr<TFlightLevels> Levels;
  std::int32_t FlightWork = -1;  // the work the last flight went to
  SoShapeHints* SceneHints = nullptr;
  TDataBanker* Banker = nullptr;
};
