#include "flightlevels.h"

#include <QGLWidget>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTimer>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/lists/SoPathList.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoSeparator.h>
#include <map>
#include <string>

#include "scene/worknames.h"

namespace {

// The pause between two works drawn out of sight: the view stays free to answer in between.
constexpr int kWarmIntervalMs = 30;

}  // namespace

struct TFlightLevels::TWork {
  SoLOD* Lod = nullptr;  // held
  float FullRange = 0;   // as read: the full level shows nearer than this
  std::int32_t Id = -1;
  bool Lowered = false;
  SoPathList Faces;  // from the works' root to every face set of every level

  TWork(SoLOD* lod, std::int32_t id) : Lod(lod), FullRange(lod->range[0]), Id(id) { Lod->ref(); }
  ~TWork() {
    Faces.truncate(0);
    Lod->unref();
  }
  void Lower() {
    if (Lowered) return;
    Lod->range.set1Value(0, 0.0f);  // no camera is nearer than that: the next level takes over
    Lowered = true;
  }
  void Restore() {
    if (!Lowered) return;
    Lod->range.set1Value(0, FullRange);
    Lowered = false;
  }
};

TFlightLevels::TFlightLevels(SoQtExaminerViewer* viewer, QObject* parent) : QObject(parent), Viewer(viewer) {
  TimerWarm = new QTimer(this);
  TimerWarm->setInterval(kWarmIntervalMs);
  connect(TimerWarm, &QTimer::timeout, this, &TFlightLevels::WarmNext);
}

TFlightLevels::~TFlightLevels() { End(); }

void TFlightLevels::Collect(SoNode* works, SoNode* drawing) {
  End();
  Works.clear();
  Warmed = 0;
  if (works == nullptr) return;
  works->ref();
  // The paths start above the works, where the view's own drawing rules come first: faces drawn
  // out of sight under other rules would be made ready for those, and made again for the view.
  SoSeparator* root = new SoSeparator;
  root->ref();
  if (drawing != nullptr) root->addChild(drawing);
  root->addChild(works);
  // Every face set, at every level, with the path the out-of-sight drawing takes to it.
  SoSearchAction search;
  search.setType(SoIndexedFaceSet::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(root);
  // The nearest level-of-detail group above a face set: its place on the path, or -1.
  auto nearestLod = [](const SoPath* path) {
    for (int n = path->getLength() - 2; n >= 0; --n) {
      if (path->getNode(n)->isOfType(SoLOD::getClassTypeId())) return n;
    }
    return -1;
  };
  std::map<const SoNode*, TWork*> byLod;
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    SoPath* path = paths[i];
    const int n = nearestLod(path);
    if (n < 0) continue;
    auto* lod = static_cast<SoLOD*>(path->getNode(n));
    if (lod->getNumChildren() < 2 || lod->range.getNum() < 1) continue;
    TWork*& work = byLod[lod];
    // The work is named by a face set of its first level.
    std::int32_t id = -1;
    if (work == nullptr && path->getIndex(n + 1) == 0 && ParseWorkName(path->getTail()->getName().getString(), id)) {
      Works.push_back(std::make_unique<TWork>(lod, id));
      work = Works.back().get();
    }
  }
  // The face sets go to their work once it is known (a level may come before the named face set).
  for (int i = 0; i < paths.getLength(); ++i) {
    SoPath* path = paths[i];
    const int n = nearestLod(path);
    if (n < 0) continue;
    auto found = byLod.find(path->getNode(n));
    if (found != byLod.end() && found->second != nullptr) found->second->Faces.append(path);
  }
  search.reset();
  // The kept paths hold the root; with none kept, it goes now.
  root->unref();
  works->unrefNoDelete();
  if (!Works.empty()) TimerWarm->start();
}

void TFlightLevels::Begin(std::int32_t to, std::int32_t from) {
  End();
  Flying = true;
  To = to;
  From = from;
  for (const auto& work : Works) {
    if (work->Id != to && work->Id != from) work->Lower();
  }
}

void TFlightLevels::LeaveStart() {
  if (!Flying) return;
  for (const auto& work : Works) {
    if (work->Id == From && work->Id != To) work->Lower();
  }
}

void TFlightLevels::End() {
  Flying = false;
  for (const auto& work : Works) work->Restore();
}

std::size_t TFlightLevels::Lowered() const {
  std::size_t lowered = 0;
  for (const auto& work : Works) lowered += work->Lowered;
  return lowered;
}

void TFlightLevels::WarmNext() {
  if (Warmed >= Works.size()) {
    TimerWarm->stop();
    return;
  }
  if (Flying || Viewer == nullptr) return;  // a flight's frames come first
  auto* area = qobject_cast<QGLWidget*>(Viewer->getGLWidget());
  // The levels' buffers belong to the view's cache context, which it has once it is on screen.
  if (area == nullptr || !area->isVisible() || !area->isValid()) return;
  const SoGLRenderAction* view = Viewer->getGLRenderAction();
  if (view == nullptr) return;
  area->makeCurrent();
  if (!WarmAction) WarmAction = std::make_unique<SoGLRenderAction>(SbViewportRegion(1, 1));
  WarmAction->setCacheContext(view->getCacheContext());
  // Drawn into the back buffer, one pixel of it, which the view's next frame clears. No camera is
  // on the paths, so nothing is left out as out of view.
  WarmAction->apply(Works[Warmed]->Faces, TRUE);
  if (QOpenGLContext* context = QOpenGLContext::currentContext()) context->functions()->glFinish();
  ++Warmed;
}
