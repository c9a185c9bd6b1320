#include "modelplacement.h"

#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace {

SbVec3f AxisVector(const std::string& axis) {
  SbVec3f v(0, 0, 0);
  const int index = axis.size() == 2 ? axis[1] - 'x' : 1;
  v[index >= 0 && index < 3 ? index : 1] = axis[0] == '-' ? -1.0f : 1.0f;
  return v;
}

}  // namespace

SbVec3f FacingDirection(float degrees) {
  const double radians = double(degrees) * M_PI / 180.0;
  return SbVec3f(float(std::sin(radians)), 0, float(std::cos(radians)));
}

bool PlaceModel(TModelData& model, const TManifestModel& where, TModelPose& pose, std::string& error) {
  // The model's own axes as named: right = up x front keeps faces wound as they were.
  const SbVec3f up = AxisVector(where.Up);
  const SbVec3f front = AxisVector(where.Front);
  const SbVec3f right = up.cross(front);
  SbVec3f low(FLT_MAX, FLT_MAX, FLT_MAX), high(-FLT_MAX, -FLT_MAX, -FLT_MAX);
  for (TModelMesh& mesh : model.Meshes) {
    for (std::size_t i = 0; i + 2 < mesh.Positions.size(); i += 3) {
      const SbVec3f p(mesh.Positions[i], mesh.Positions[i + 1], mesh.Positions[i + 2]);
      const SbVec3f upright(p.dot(right), p.dot(up), p.dot(front));
      for (int a = 0; a < 3; ++a) {
        mesh.Positions[i + a] = upright[a];
        low[a] = std::min(low[a], upright[a]);
        high[a] = std::max(high[a], upright[a]);
      }
    }
    for (std::size_t i = 0; i + 2 < mesh.Normals.size(); i += 3) {
      const SbVec3f n(mesh.Normals[i], mesh.Normals[i + 1], mesh.Normals[i + 2]);
      // Upright (x right, y up, z front) to the work's frame (x, front, -up).
      mesh.Normals[i] = n.dot(right);
      mesh.Normals[i + 1] = n.dot(front);
      mesh.Normals[i + 2] = -n.dot(up);
    }
  }
  if (!(low[0] <= high[0])) {
    error = "the model has no vertices";
    return false;
  }
  const float tall = high[1] - low[1];
  if (where.HasHeight && !(tall > 0)) {
    error = "the model is flat along its up axis (" + where.Up + "), so it has no height to size it to";
    return false;
  }
  pose.Scale = where.HasHeight ? where.Height / tall : (where.HasScale ? where.Scale : 1.0f);
  const SbVec3f base((low[0] + high[0]) / 2, low[1], (low[2] + high[2]) / 2);
  for (TModelMesh& mesh : model.Meshes) {
    for (std::size_t i = 0; i + 2 < mesh.Positions.size(); i += 3) {
      const float x = (mesh.Positions[i] - base[0]) * pose.Scale;
      const float y = (mesh.Positions[i + 1] - base[1]) * pose.Scale;
      const float z = (mesh.Positions[i + 2] - base[2]) * pose.Scale;
      mesh.Positions[i] = x;
      mesh.Positions[i + 1] = z;
      mesh.Positions[i + 2] = -y;
    }
  }
  pose.Width = (high[0] - low[0]) * pose.Scale;
  pose.Height = tall * pose.Scale;
  pose.Depth = (high[2] - low[2]) * pose.Scale;
  pose.Translation.setValue(where.Position[0], where.Position[1], where.Position[2]);
  // A quarter turn about X stands the work up (local +Y to the room's +Z, local -Z up), then the
  // turn about the vertical gives it its facing.
  const SbRotation standUp(SbVec3f(1, 0, 0), float(M_PI / 2));
  const SbRotation face(SbVec3f(0, 1, 0), float(double(where.Facing) * M_PI / 180.0));
  pose.Rotation = standUp * face;
  return true;
}

SoSeparator* PlinthNode(const TManifestModel& model) {
  if (!model.HasPlinth) return nullptr;
  auto* plinth = new SoSeparator;
  auto* material = new SoMaterial;
  const float* c = model.PlinthColour;
  material->ambientColor.setValue(c[0] * 0.6f, c[1] * 0.6f, c[2] * 0.6f);
  material->diffuseColor.setValue(c[0] * 0.5f, c[1] * 0.5f, c[2] * 0.5f);
  material->specularColor.setValue(0, 0, 0);
  plinth->addChild(material);
  auto* transform = new SoTransform;
  transform->translation.setValue(model.Position[0], model.Position[1] - model.PlinthHeight / 2, model.Position[2]);
  transform->rotation.setValue(SbVec3f(0, 1, 0), float(double(model.Facing) * M_PI / 180.0));
  plinth->addChild(transform);
  auto* cube = new SoCube;
  cube->width = model.PlinthWidth;
  cube->height = model.PlinthHeight;
  cube->depth = model.PlinthDepth;
  plinth->addChild(cube);
  return plinth;
}

std::string StandingRemark(const TManifestModel& model) {
  constexpr float kTolerance = 0.02f;  // metres
  const float base = model.Position[1];
  const float bottom = model.HasPlinth ? base - model.PlinthHeight : base;
  if (std::fabs(bottom) <= kTolerance) return std::string();
  char text[200];
  if (!model.HasPlinth) {
    std::snprintf(text, sizeof text, bottom > 0 ? "stands %.2f m clear of the floor (y = 0) with no plinth under it"
                                                : "sinks %.2f m into the floor (y = 0)",
                  double(std::fabs(bottom)));
  } else {
    std::snprintf(text, sizeof text,
                  bottom > 0 ? "its plinth (%.2f m high, under y = %.2f) stands %.2f m clear of the floor (y = 0)"
                             : "its plinth (%.2f m high, under y = %.2f) sinks %.2f m into the floor (y = 0)",
                  double(model.PlinthHeight), double(base), double(std::fabs(bottom)));
  }
  return text;
}
