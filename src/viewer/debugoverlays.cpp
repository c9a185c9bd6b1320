// Developer markers: where the program believes each work's centre is and which way it faces.
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoLineSet.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTransform.h>

#include "tformviewer.h"

namespace {
constexpr float kCenterMarkerRadius = 0.1f;
}

void TFormViewer::DrawCenter(std::int32_t Id) {
  SbVec3f center;
  if (!GetObjectCenter(Id, center)) return;
  auto* marker = new SoSeparator;
  auto* transform = new SoTransform;
  transform->translation = center;
  marker->addChild(transform);
  auto* sphere = new SoSphere;
  sphere->radius = kCenterMarkerRadius;
  marker->addChild(sphere);
  OverlayGroup->addChild(marker);
  emit MarkerDrawn(QString::asprintf("Center: %3.2f, %3.2f, %3.2f", double(center[0]), double(center[1]),
                                     double(center[2])));
}

void TFormViewer::DrawNormal(std::int32_t Id) {
  SbVec3f normal;
  SbVec3f center;
  if (!GetObjectNormal(Id, normal) || !GetObjectCenter(Id, center)) return;
  auto* coordinates = new SoCoordinate3;
  const SbVec3f points[2] = {center, center + normal};
  coordinates->point.setValues(0, 2, points);
  OverlayGroup->addChild(coordinates);
  OverlayGroup->addChild(new SoLineSet);
  emit MarkerDrawn(QString::asprintf("Normal: %3.2f, %3.2f, %3.2f", double(normal[0]), double(normal[1]),
                                     double(normal[2])));
}
