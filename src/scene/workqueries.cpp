#include "workqueries.h"

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <cmath>

#include "worknames.h"

namespace {

constexpr double kDistanceFactor = 2.35;

// The coordinate node in effect at the path's tail, or null.
SoCoordinate3* CoordinatesOf(SoPath* path) {
  if (path == nullptr) return nullptr;
  SoSearchAction search;
  search.setType(SoCoordinate3::getClassTypeId(), TRUE);
  search.setInterest(SoSearchAction::LAST);
  search.apply(path);
  SoCoordinate3* coordinates = nullptr;
  if (SoPath* found = search.getPath()) {
    SoNode* tail = found->getTail();
    if (tail != nullptr && tail->isOfType(SoCoordinate3::getClassTypeId())) {
      coordinates = static_cast<SoCoordinate3*>(tail);
    }
  }
  search.reset();
  return coordinates;
}

struct PathRef {
  explicit PathRef(SoPath* p) : path(p) {}
  ~PathRef() {
    if (path != nullptr) path->unref();
  }
  PathRef(const PathRef&) = delete;
  PathRef& operator=(const PathRef&) = delete;
  SoPath* path;
};

}  // namespace

SoPath* FindWork(SoNode* root, std::int32_t Id) {
  if (root == nullptr || Id < 0) return nullptr;
  SoSearchAction search;
  search.setName(SbName(WorkName(Id).c_str()));
  search.setFind(SoSearchAction::NAME);
  search.setInterest(SoSearchAction::FIRST);
  search.apply(root);
  SoPath* path = search.getPath() != nullptr ? search.getPath()->copy() : nullptr;
  if (path != nullptr) path->ref();
  search.reset();
  return path;
}

SbMatrix GetPathMatrix(SoPath* path, const SbViewportRegion& viewport) {
  if (path == nullptr) return SbMatrix::identity();
  SoGetMatrixAction action(viewport);
  action.apply(path);
  return action.getMatrix();
}

bool GetCoordinateCentroid(SoPath* path, SbVec3f& centroid) {
  const SoCoordinate3* coordinates = CoordinatesOf(path);
  if (coordinates == nullptr || coordinates->point.getNum() == 0) return false;
  const int count = coordinates->point.getNum();
  SbVec3f sum(0, 0, 0);
  for (int i = 0; i < count; ++i) sum += coordinates->point[i];
  centroid = sum / static_cast<float>(count);
  return true;
}

bool GetCoordinateBox(SoPath* path, SbBox3f& box) {
  const SoCoordinate3* coordinates = CoordinatesOf(path);
  if (coordinates == nullptr || coordinates->point.getNum() == 0) return false;
  // The box starts at the local origin, so it always contains it.
  SbVec3f low(0, 0, 0);
  SbVec3f high(0, 0, 0);
  for (int i = 0; i < coordinates->point.getNum(); ++i) {
    const SbVec3f& p = coordinates->point[i];
    for (int axis = 0; axis < 3; ++axis) {
      if (p[axis] < low[axis]) low[axis] = p[axis];
      if (p[axis] > high[axis]) high[axis] = p[axis];
    }
  }
  box.setBounds(low, high);
  return true;
}

float GetViewDistance(SoPath* path) {
  float distance = kDefaultViewDistance;
  SbBox3f box;
  if (GetCoordinateBox(path, box)) {
    const SbVec3f& low = box.getMin();
    const SbVec3f& high = box.getMax();
    const float area = (high[0] - low[0]) * (high[2] - low[2]);
    if (area != 0.0f) distance = static_cast<float>(kDistanceFactor * std::sqrt(static_cast<double>(area)));
  }
  return distance;
}

bool GetObjectCenter(SoNode* works, std::int32_t Id, const SbViewportRegion& viewport, SbVec3f& center) {
  PathRef work(FindWork(works, Id));
  SbVec3f centroid;
  if (work.path == nullptr || !GetCoordinateCentroid(work.path, centroid)) return false;
  GetPathMatrix(work.path, viewport).multVecMatrix(centroid, center);
  return true;
}

bool GetObjectNormal(SoNode* root, std::int32_t Id, const SbViewportRegion& viewport, SbVec3f& normal) {
  PathRef work(FindWork(root, Id));
  if (work.path == nullptr) return false;
  const SbMatrix matrix = GetPathMatrix(work.path, viewport);
  SbVec3f origin;
  SbVec3f up;
  matrix.multVecMatrix(SbVec3f(0, 0, 0), origin);
  matrix.multVecMatrix(SbVec3f(0, 1, 0), up);
  normal = up - origin;
  normal.normalize();
  return true;
}

bool GetObjectViewDistance(SoNode* works, std::int32_t Id, float& distance) {
  PathRef work(FindWork(works, Id));
  if (work.path == nullptr) return false;
  distance = GetViewDistance(work.path);
  return true;
}
