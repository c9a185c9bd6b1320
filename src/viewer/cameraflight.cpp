// Camera flights of 80 ticks, and the geometric queries that find a work's centre, facing
// direction and viewing distance.
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoSeparator.h>
#include <cmath>
#include <string>

#include "pseudorandom.h"
#include "tformviewer.h"

namespace {

constexpr int kTicksPerFlight = 80;
constexpr float kInterpolationDivisor = 79.0f;
constexpr float kEyeHeight = 1.75f;
constexpr float kDefaultViewDistance = 6.0f;
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

// The sideways offset of a flight's eye: between -1.5 and +0.5 along world X.
float SideOffset() { return static_cast<float>(ProgramRandom().Next()) * 2.0f / 32767.0f - 1.5f; }

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

SoPath* TFormViewer::FindWork(SoNode* root, std::int32_t Id) const {
  if (root == nullptr || Id < 0) return nullptr;
  SoSearchAction search;
  search.setName(SbName(("KD_" + std::to_string(Id)).c_str()));
  search.setFind(SoSearchAction::NAME);
  search.setInterest(SoSearchAction::FIRST);
  search.apply(root);
  SoPath* path = search.getPath() != nullptr ? search.getPath()->copy() : nullptr;
  if (path != nullptr) path->ref();
  search.reset();
  return path;
}

SbMatrix TFormViewer::GetPathMatrix(SoPath* path) {
  if (path == nullptr) return SbMatrix::identity();
  SoGetMatrixAction action(GetViewportRegion());
  action.apply(path);
  return action.getMatrix();
}

bool TFormViewer::GetCoordinateCentroid(SoPath* path, SbVec3f& centroid) {
  const SoCoordinate3* coordinates = CoordinatesOf(path);
  if (coordinates == nullptr || coordinates->point.getNum() == 0) return false;
  const int count = coordinates->point.getNum();
  SbVec3f sum(0, 0, 0);
  for (int i = 0; i < count; ++i) sum += coordinates->point[i];
  centroid = sum / static_cast<float>(count);
  return true;
}

bool TFormViewer::GetCoordinateBox(SoPath* path, SbBox3f& box) {
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

float TFormViewer::GetViewDistance(SoPath* path) {
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

bool TFormViewer::GetObjectCenter(std::int32_t Id, SbVec3f& center) {
  if (SelectionNode == nullptr) return false;
  PathRef work(FindWork(SelectionNode, Id));
  SbVec3f centroid;
  if (work.path == nullptr || !GetCoordinateCentroid(work.path, centroid)) return false;
  GetPathMatrix(work.path).multVecMatrix(centroid, center);
  return true;
}

bool TFormViewer::GetObjectNormal(std::int32_t Id, SbVec3f& normal) {
  if (SelectionNode == nullptr) return false;
  PathRef work(FindWork(SceneRoot, Id));
  if (work.path == nullptr) return false;
  const SbMatrix matrix = GetPathMatrix(work.path);
  SbVec3f origin;
  SbVec3f up;
  matrix.multVecMatrix(SbVec3f(0, 0, 0), origin);
  matrix.multVecMatrix(SbVec3f(0, 1, 0), up);
  normal = up - origin;
  normal.normalize();
  return true;
}

bool TFormViewer::GetObjectViewDistance(std::int32_t Id, float& distance) {
  if (SelectionNode == nullptr) return false;
  PathRef work(FindWork(SelectionNode, Id));
  if (work.path == nullptr) return false;
  distance = GetViewDistance(work.path);
  return true;
}

void TFormViewer::StartFlight(const SbVec3f& point, const SbVec3f& normal, float distance) {
  SbVec3f eye = point + distance * normal + SbVec3f(SideOffset(), 0, 0);
  eye[1] = kEyeHeight;
  FlightDestination = eye;
  FlightTarget = point;
  FlightStep = 0;
  FlightActive = true;
}

void TFormViewer::FlyToObject(std::int32_t Id) {
  SbVec3f center;
  SbVec3f normal;
  float distance = 0;
  if (!GetObjectCenter(Id, center) || !GetObjectNormal(Id, normal) || !GetObjectViewDistance(Id, distance)) return;
  StartFlight(center, normal, distance);
}

void TFormViewer::StepFlight() {
  SoCamera* camera = ExaminerViewer != nullptr ? ExaminerViewer->getCamera() : nullptr;
  if (camera == nullptr) {
    FlightStep = 0;
    FlightActive = false;
    return;
  }
  if (FlightStep == 0) {
    StartOrientation = camera->orientation.getValue();
    StartPosition = camera->position.getValue();
    SoPerspectiveCamera* scratch = new SoPerspectiveCamera;
    scratch->ref();
    scratch->position = FlightDestination;
    scratch->pointAt(FlightTarget);
    EndOrientation = scratch->orientation.getValue();
    scratch->unref();
    EndPosition = FlightDestination;
  }
  const float k = static_cast<float>(FlightStep);
  if (FlightStep == kTicksPerFlight - 1) {
    // The last tick lands on the end pose itself, not on a rounding of it.
    SetCameraPose(EndOrientation, EndPosition);
  } else {
    const SbVec3f position = StartPosition + ((EndPosition - StartPosition) / kInterpolationDivisor) * k;
    const SbRotation orientation =
        SbRotation::slerp(StartOrientation, EndOrientation, k * (1.0f / kInterpolationDivisor));
    SetCameraPose(orientation, position);
  }
  if (++FlightStep >= kTicksPerFlight) {
    FlightStep = 0;
    FlightActive = false;
  }
}

void TFormViewer::SetCameraPose(const SbRotation& orientation, const SbVec3f& position) {
  SoCamera* camera = ExaminerViewer != nullptr ? ExaminerViewer->getCamera() : nullptr;
  if (camera == nullptr) return;
  camera->position = position;
  camera->orientation = orientation;
}
