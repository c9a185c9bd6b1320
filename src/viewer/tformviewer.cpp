#include "tformviewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <iterator>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoEnvironment.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShapeHints.h>

#include "common/tapplication.h"
#include "common/texts.h"
#include "data/tdatabanker.h"
#include "flightlevels.h"
#include "scene/texturefill.h"
#include "texturequality.h"
#include "textureupload.h"

const QString TFormViewer::Caption = QStringLiteral(" Pinacora : 3D Viewer");

namespace {
constexpr int kTickPeriodMs = 20;
// The pauses before each of the redraws that follow a map, expose or resize, in milliseconds.
constexpr int kSettleIntervals[] = {60, 400, 1500, 4000};
}  // namespace

TFormViewer::TFormViewer(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("FormViewer");
  setWindowTitle(Caption);
  resize(446, 312);
  TimerCameraSlerp = new QTimer(this);
  TimerCameraSlerp->setInterval(kTickPeriodMs);
  connect(TimerCameraSlerp, &QTimer::timeout, this, &TFormViewer::TimerCameraSlerpFired);
  TimerCameraSlerp->start();
  TimerCatchUp = new QTimer(this);
  TimerCatchUp->setSingleShot(true);
  connect(TimerCatchUp, &QTimer::timeout, this, &TFormViewer::TimerCameraSlerpFired);
  TimerRedraw = new QTimer(this);
  TimerRedraw->setSingleShot(true);
  connect(TimerRedraw, &QTimer::timeout, this, &TFormViewer::TimerRedrawTimer);
  FormCreate();
}

TFormViewer::~TFormViewer() {
  TextureUpload.reset();
  Levels.reset();
  delete ExaminerViewer;
  if (SceneRoot != nullptr) SceneRoot->unref();
}

void TFormViewer::FormCreate() {
  CreateSceneRoot();
  createExaminerViewer();
}

void TFormViewer::CreateSceneRoot() {
  SceneRoot = new SoSeparator;
  SceneRoot->ref();

  SceneCamera = new SoPerspectiveCamera;
  SceneRoot->addChild(SceneCamera);

  SceneHints = new SoShapeHints;
  SceneHints->vertexOrdering = SoShapeHints::COUNTERCLOCKWISE;
  SceneHints->shapeType = SoShapeHints::SOLID;
  SceneHints->setOverride(TRUE);
  SceneRoot->addChild(SceneHints);

  auto* environment = new SoEnvironment;
  environment->ambientIntensity = 0.85f;
  SceneRoot->addChild(environment);

  OverlayGroup = new SoSeparator;
  SceneRoot->addChild(OverlayGroup);

  SelectionNode = new SoSelection;
  SelectionNode->addChild(SceneCamera);
  SceneRoot->addChild(SelectionNode);

  ModelGroup = new SoSeparator;
  SceneRoot->addChild(ModelGroup);
}

void TFormViewer::createExaminerViewer() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  ExaminerViewer = new SoQtExaminerViewer(this, nullptr, TRUE, SoQtFullViewer::BUILD_ALL, SoQtViewer::BROWSER);
  layout->addWidget(ExaminerViewer->getBaseWidget());
  ExaminerViewer->getBaseWidget()->installEventFilter(this);
  if (QWidget* area = ExaminerViewer->getGLWidget()) {
    area->installEventFilter(this);
    area->winId();
    if (QWindow* native = area->windowHandle()) native->installEventFilter(this);
  }

  ExaminerViewer->setSceneGraph(SceneRoot);
  ExaminerViewer->setTitle(ProgramTitleLine().toUtf8().constData());
  setWindowTitle(Caption);  // the binding titles the window it sits in; the window keeps its own caption
  ExaminerViewer->setViewing(FALSE);
  ExaminerViewer->setHeadlight(TRUE);
  ExaminerViewer->setDecoration(FALSE);
  ExaminerViewer->setTransparencyType(SoGLRenderAction::DELAYED_BLEND);
  ChooseTextureQualityByRenderer(ExaminerViewer->getGLRenderAction());
  ExaminerViewer->setBackgroundColor(SbColor(0, 0, 0));
  ExaminerViewer->setDrawStyle(SoQtViewer::STILL, SoQtViewer::VIEW_AS_IS);
  ExaminerViewer->setDrawStyle(SoQtViewer::INTERACTIVE, SoQtViewer::VIEW_SAME_AS_STILL);
  ExaminerViewer->setEventCallback(&TFormViewer::ViewerEventCallback, this);
  TextureUpload = std::make_unique<TTextureUpload>(ExaminerViewer);
  Levels = std::make_unique<TFlightLevels>(ExaminerViewer, nullptr);

  if (SoCamera* camera = ExaminerViewer->getCamera()) {
    camera->position = SbVec3f(0, 1.75f, 0);
    camera->pointAt(SbVec3f(10, 3.5f, 0));
  }
}

void TFormViewer::SetBanker(TDataBanker* banker) { Banker = banker; }

void TFormViewer::LoadModels() {
  if (Banker == nullptr) return;
  // Each picture goes to the GL driver as soon as it is in its node, while the next ones inflate.
  TTextureFillOptions options;
  options.filled = [this](SoTexture2* texture) { TextureUpload->Upload(texture); };
  if (SoNode* model = Banker->BuildScene(110, options)) ModelGroup->addChild(model);
  if (SoNode* works = Banker->BuildScene(120, options)) {
    SelectionNode->addChild(works);
    Levels->Collect(works, SceneHints);
  }
}

void TFormViewer::RedrawView() {
  if (ExaminerViewer == nullptr) return;
  ExaminerViewer->scheduleRedraw();
  // A frame drawn in the same moment as the drawing area is mapped, exposed or resized can be lost
  // (the GL driver may still draw to the old surface; a busy machine widens that moment), so the
  // view is drawn again a few times as things settle.
  SettleRedraws = 0;
  TimerRedraw->start(kSettleIntervals[0]);
}

void TFormViewer::TimerRedrawTimer() {
  if (ExaminerViewer != nullptr) ExaminerViewer->scheduleRedraw();
  if (++SettleRedraws < static_cast<int>(std::size(kSettleIntervals)))
    TimerRedraw->start(kSettleIntervals[SettleRedraws]);
}

void TFormViewer::closeEvent(QCloseEvent* event) {
  event->ignore();
  QCoreApplication::quit();
}

void TFormViewer::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
  QTimer::singleShot(0, this, [this] {
    if (!isMinimized()) return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    RedrawView();
  });
}

bool TFormViewer::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::Expose:
      RedrawView();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

SbViewportRegion TFormViewer::GetViewportRegion() const {
  return ExaminerViewer != nullptr ? ExaminerViewer->getViewportRegion() : SbViewportRegion();
}

// ---- input

int TFormViewer::ViewerEventCallback(void* user, QEvent* event) {
  auto* window = static_cast<TFormViewer*>(user);
  switch (event->type()) {
    case QEvent::KeyPress:
      window->WMKeyDown();
      return TRUE;
    case QEvent::MouseMove:
      return TRUE;
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        // A bad work name ends the click with the conversion error shown; the program goes on.
        try {
          window->WMLButtonDown(mouse->pos().x(), mouse->pos().y());
        } catch (const std::exception& error) {
          TApplication::ShowException(QString::fromLocal8Bit(error.what()));
        }
      }
      return TRUE;
    }
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      return TRUE;  // the viewer's own navigation never runs
    default:
      return FALSE;  // painting, resizing and the like stay the viewer's business
  }
}

void TFormViewer::WMKeyDown() {
  if (ExaminerViewer != nullptr) ExaminerViewer->setViewing(FALSE);
}

void TFormViewer::WMLButtonDown(int x, int y) {
  PickAt(static_cast<std::uint16_t>(x & 0xFFFF), static_cast<std::uint16_t>(y & 0xFFFF));
}

void TFormViewer::TimerCameraSlerpTimer() {
  if (FlightActive) StepFlight();
}

void TFormViewer::TimerCameraSlerpFired() {
  // A repeating timer that fires late, when a slow frame ends just short of its next period, fires
  // again at once to keep its schedule. Run then, that tick would move the camera twice between two
  // frames and the visitor would never see one of the flight's steps; it waits half a period after
  // the last tick instead, which leaves the view the time to draw that one first.
  const qint64 since = SinceTimerTick.isValid() ? SinceTimerTick.elapsed() : kTickPeriodMs;
  if (since < kTickPeriodMs / 2) {
    TimerCatchUp->start(int(kTickPeriodMs / 2 - since));
    return;
  }
  TimerCatchUp->stop();
  SinceTimerTick.start();
  TimerCameraSlerpTimer();
}
