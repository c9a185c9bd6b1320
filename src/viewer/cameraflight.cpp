// Camera flights of 80 ticks, and the geometric queries that find a work's centre, facing
// direction and viewing distance.
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoSeparator.h>
#include <cmath>

#include "common/pseudorandom.h"
#include "flightlevels.h"
#include "tformviewer.h"
#include "scene/workqueries.h"

namespace {

constexpr int kTicksPerFlight = 80;
constexpr float kInterpolationDivisor = 79.0f;
constexpr float kEyeHeight = 1.75f;
// How long the work a flight comes from keeps its full level: while it is still close in view.
constexpr int kTicksNearTheStart = 40;

// The sideways offset of a flight's eye: between -1.5 and +0.5 along world X.
float SideOffset() { return static_cast<float>(ProgramRandom().Next()) * 2.0f / 32767.0f - 1.5f; }

}  // namespace

SbMatrix TFormViewer::GetPathMatrix(SoPath* path) { return ::GetPathMatrix(path, GetViewportRegion()); }

float TFormViewer::GetViewDistance(SoPath* path) { return ::GetViewDistance(path); }

bool TFormViewer::GetObjectCenter(std::int32_t Id, SbVec3f& center) {
  return SelectionNode != nullptr && ::GetObjectCenter(SelectionNode, Id, GetViewportRegion(), center);
}

bool TFormViewer::GetObjectNormal(std::int32_t Id, SbVec3f& normal) {
  return SelectionNode != nullptr && ::GetObjectNormal(SceneRoot, Id, GetViewportRegion(), normal);
}

bool TFormViewer::GetObjectViewDistance(std::int32_t Id, float& distance) {
  return SelectionNode != nullptr && ::GetObjectViewDistance(SelectionNode, Id, distance);
}

void TFormViewer::StartFlight(std::int32_t Id, const SbVec3f& point, const SbVec3f& normal, float distance) {
  SbVec3f eye = point + distance * normal + SbVec3f(SideOffset(), 0, 0);
  eye[1] = kEyeHeight;
  FlightDestination = eye;
  FlightTarget = point;
  FlightStep = 0;
  FlightActive = true;
  if (Levels) Levels->Begin(Id, FlightWork);
  FlightWork = Id;
}

void TFormViewer::EndFlight() {
  FlightStep = 0;
  FlightActive = false;
  if (Levels) Levels->End();
}

void TFormViewer::FlyToObject(std::int32_t Id) {
  SbVec3f center;
  SbVec3f normal;
  float distance = 0;
  if (!GetObjectCenter(Id, center) || !GetObjectNormal(Id, normal) || !GetObjectViewDistance(Id, distance)) return;
  StartFlight(Id, center, normal, distance);
}

void TFormViewer::StepFlight() {
  SoCamera* camera = ExaminerViewer != nullptr ? ExaminerViewer->getCamera() : nullptr;
  if (camera == nullptr) {
    EndFlight();
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
  if (FlightStep == kTicksNearTheStart && Levels) Levels->LeaveStart();
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
  if (++FlightStep >= kTicksPerFlight) EndFlight();
}

void TFormViewer::SetCameraPose(const SbRotation& orientation, const SbVec3f& position) {
  SoCamera* camera = ExaminerViewer != nullptr ? ExaminerViewer->getCamera() : nullptr;
  if (camera == nullptr) return;
  camera->position = position;
  camera->orientation = orientation;
}
