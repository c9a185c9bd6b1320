#include "modelfaces.h"

#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <algorithm>
#include <cmath>
#include <map>

namespace {

// What a flight does (the viewer's rules): it ends 2.35 times the square root of the work's X-Z
// extent (the local origin included) in front of the points' mean, between 1.5 m to the one side
// and 0.5 m to the other along world X, at eye height.
constexpr float kDistanceFactor = 2.35f;
constexpr float kDefaultDistance = 6.0f;
constexpr float kSideOffset = 1.5f;
constexpr float kEyeHeight = 1.75f;
// The full level is drawn up to this many times the work's largest extent away: there a 45 degree
// view 1024 pixels high shows it some 300 pixels tall. Each coarser level doubles the distance.
constexpr float kFullLevelSizes = 4.0f;
constexpr float kFlightMargin = 1.1f;

bool SameMaterial(const TModelMaterial& a, const TModelMaterial& b) {
  return a.Diffuse[0] == b.Diffuse[0] && a.Diffuse[1] == b.Diffuse[1] && a.Diffuse[2] == b.Diffuse[2] &&
         a.Transparency == b.Transparency;
}

// One colour for the whole model when its faces share one; otherwise a colour for each vertex, taken
// from the material of the mesh the vertex belongs to (meshes do not share vertices).
void AddMaterial(SoSeparator* group, const TModelFaces& faces) {
  const TModelData& model = *faces.Model;
  auto* material = new SoMaterial;
  const TModelMaterial* first = nullptr;
  bool several = false;
  for (const TModelMesh& mesh : model.Meshes) {
    const TModelMaterial& m = model.Materials[std::size_t(mesh.Material)];
    if (first == nullptr) first = &m;
    several = several || !SameMaterial(*first, m);
  }
  if (!several) {
    if (first != nullptr) {
      material->diffuseColor.setValue(SbColor(first->Diffuse));
      material->transparency.setValue(first->Transparency);
    }
    group->addChild(material);
    return;
  }
  bool transparent = false;
  for (const TModelMesh& mesh : model.Meshes) {
    transparent = transparent || model.Materials[std::size_t(mesh.Material)].Transparency != first->Transparency;
  }
  std::vector<SbColor> colours;
  std::vector<float> transparency;
  for (std::size_t m = 0; m < model.Meshes.size(); ++m) {
    const TModelMesh& mesh = model.Meshes[m];
    const TModelMaterial& source = model.Materials[std::size_t(mesh.Material)];
    colours.resize(faces.FirstVertex[m], SbColor(first->Diffuse));
    colours.resize(faces.FirstVertex[m] + mesh.VertexCount(), SbColor(source.Diffuse));
    if (transparent) {
      transparency.resize(faces.FirstVertex[m], first->Transparency);
      transparency.resize(faces.FirstVertex[m] + mesh.VertexCount(), source.Transparency);
    }
  }
  material->diffuseColor.setValues(0, int(colours.size()), colours.data());
  if (transparent) {
    material->transparency.setValues(0, int(transparency.size()), transparency.data());
  } else {
    material->transparency.setValue(first->Transparency);
  }
  group->addChild(material);
  auto* binding = new SoMaterialBinding;
  binding->value = SoMaterialBinding::PER_VERTEX_INDEXED;
  group->addChild(binding);
}

// One level: a separator with one face set per picture. The face set of the picture that covers most
// faces carries the work's name; the others are parts without one, sharing its coordinates.
SoSeparator* LevelNode(const TModelFaces& faces, const TModelLevel& level,
                       std::map<std::string, SoTexture2*>& textures) {
  std::map<std::string, std::vector<std::int32_t>> byPicture;
  std::map<std::string, std::size_t> faceCount;
  for (std::size_t m = 0; m < level.Triangles.size(); ++m) {
    std::vector<std::int32_t>& indices = byPicture[faces.Pictures[m]];
    const std::vector<std::uint32_t>& triangles = level.Triangles[m];
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
      for (int c = 0; c < 3; ++c) indices.push_back(std::int32_t(faces.FirstVertex[m] + triangles[t + c]));
      indices.push_back(-1);
    }
    faceCount[faces.Pictures[m]] += triangles.size() / 3;
  }
  std::string main;
  std::size_t mainFaces = 0;
  for (const auto& [picture, count] : faceCount) {
    if (count > mainFaces) {
      main = picture;
      mainFaces = count;
    }
  }
  auto* node = new SoSeparator;
  for (const auto& [picture, indices] : byPicture) {
    auto* part = new SoSeparator;
    if (!picture.empty()) {
      // One node for the picture on every level: it is filled, and held by the driver, once.
      SoTexture2*& texture = textures[picture];
      if (texture == nullptr) {
        texture = new SoTexture2;
        texture->setName(picture.c_str());
      }
      part->addChild(texture);
    }
    auto* faceSet = new SoIndexedFaceSet;
    faceSet->coordIndex.setValues(0, int(indices.size()), indices.data());
    if (!faces.Work.empty() && picture == main) faceSet->setName(faces.Work.c_str());
    part->addChild(faceSet);
    node->addChild(part);
  }
  return node;
}

}  // namespace

std::vector<float> LevelRanges(const std::vector<SbVec3f>& points, const SbRotation& rotation,
                               const SbVec3f& translation, std::size_t coarseLevels) {
  if (points.empty() || coarseLevels == 0) return {};
  SbVec3f mean(0, 0, 0), low(points[0]), high(points[0]);
  float area[4] = {0, 0, 0, 0};  // x and z bounds with the origin
  for (const SbVec3f& p : points) {
    mean += p;
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], p[a]);
      high[a] = std::max(high[a], p[a]);
    }
    area[0] = std::min(area[0], p[0]);
    area[1] = std::max(area[1], p[0]);
    area[2] = std::min(area[2], p[2]);
    area[3] = std::max(area[3], p[2]);
  }
  mean /= float(points.size());
  const float extent = (area[1] - area[0]) * (area[3] - area[2]);
  const float distance = extent != 0 ? kDistanceFactor * std::sqrt(extent) : kDefaultDistance;
  // A flight from the list ends distance out from the work's centre; a click's ends distance out
  // from the point clicked, along the surface's normal there, which may point any way. Either way
  // the eye is moved aside along world X and set at eye height, so it ends at most the reach of
  // the work's farthest corner, the distance and the sideways offset from the centre, across.
  SbVec3f centre;
  rotation.multVec(mean, centre);
  centre += translation;
  float corners = 0;
  for (int corner = 0; corner < 8; ++corner) {
    const SbVec3f local(corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1], corner & 4 ? high[2] : low[2]);
    SbVec3f world;
    rotation.multVec(local, world);
    world += translation - centre;
    corners = std::max(corners, std::sqrt(world[0] * world[0] + world[2] * world[2]));
  }
  const float across = corners + distance + kSideOffset;
  const float rise = kEyeHeight - centre[1];
  const float flightEnd = std::sqrt(across * across + rise * rise);
  const SbVec3f size = high - low;
  const float largest = std::max({size[0], size[1], size[2]});
  float range = std::max(kFullLevelSizes * largest, kFlightMargin * flightEnd);
  std::vector<float> ranges;
  for (std::size_t level = 0; level < coarseLevels; ++level, range *= 2) ranges.push_back(range);
  return ranges;
}

void AddModelFaces(SoSeparator* group, const TModelFaces& faces, const std::vector<TModelLevel>& levels,
                   const std::vector<float>& ranges, const SbVec3f& centre) {
  AddMaterial(group, faces);
  std::map<std::string, SoTexture2*> textures;
  if (levels.size() < 2 || ranges.size() + 1 < levels.size()) {
    SoSeparator* whole = LevelNode(faces, levels.front(), textures);
    for (int i = 0; i < whole->getNumChildren(); ++i) group->addChild(whole->getChild(i));
    whole->ref();
    whole->unref();
    return;
  }
  auto* lod = new SoLOD;
  lod->center = centre;
  lod->range.setValues(0, int(levels.size() - 1), ranges.data());
  for (const TModelLevel& level : levels) lod->addChild(LevelNode(faces, level, textures));
  group->addChild(lod);
}
