// A left click in the view: ray-pick under the selection node, recognise a work by its name,
// fly to the hit point and say what was picked.
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/lists/SoPickedPointList.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoSelection.h>
#include <string>

#include "common/pseudorandom.h"
#include "tformviewer.h"
#include "scene/worknames.h"

namespace {

constexpr float kPickRadius = 2.0f;

}  // namespace

void TFormViewer::PickAt(std::uint16_t x, std::uint16_t y) {
  ProgramRandom().Seed(GetTickCount());
  const SbViewportRegion viewport = GetViewportRegion();
  const auto height = static_cast<std::uint16_t>(viewport.getWindowSize()[1]);
  SoRayPickAction pick(viewport);
  pick.setPoint(SbVec2s(static_cast<short>(x), static_cast<short>(static_cast<std::uint16_t>(height - y))));
  pick.setRadius(kPickRadius);
  pick.setPickAll(TRUE);
  pick.enableCulling(TRUE);
  if (SceneCamera == nullptr) return;
  pick.apply(SelectionNode);

  const SoPickedPointList& points = pick.getPickedPointList();
  if ((ExaminerViewer != nullptr && ExaminerViewer->isViewing()) || points.getLength() == 0) return;
  // With more than one hit the second nearest is taken.
  const SoPickedPoint* hit = points[points.getLength() > 1 ? 1 : 0];
  const SbVec3f point = hit->getPoint();
  const SbVec3f normal = hit->getNormal();

  emit PointPicked(x, y, point);

  SoPath* path = hit->getPath();
  SoNode* tail = path != nullptr ? path->getTail() : nullptr;
  if (tail == nullptr || !tail->isOfType(SoIndexedFaceSet::getClassTypeId())) return;
  const std::string name = tail->getName().getString();
  if (!HasWorkPrefix(name.c_str())) return;
  const std::int32_t Id = WorkIdFromTail(name.substr(3));

  StartFlight(Id, point, normal, GetViewDistance(path));

  emit NodePicked(tail);

  if (Id != LastPickedId) {
    LastPickedId = Id;
    emit WorkPicked(Id);
  }
}
