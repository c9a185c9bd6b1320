#include "scenemesh.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoPrimitiveVertex.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShape.h>
#include <Inventor/nodes/SoShapeHints.h>
#include <Inventor/nodes/SoTexture2.h>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <tuple>
#include <unordered_map>

#include "scene/shapematerial.h"
#include "scene/worknames.h"

bool TSceneMaterial::operator<(const TSceneMaterial& other) const {
  return std::tie(Diffuse[0], Diffuse[1], Diffuse[2], Emissive[0], Emissive[1], Emissive[2], Opacity, Picture) <
         std::tie(other.Diffuse[0], other.Diffuse[1], other.Diffuse[2], other.Emissive[0], other.Emissive[1],
                  other.Emissive[2], other.Opacity, other.Picture);
}

namespace {

// One vertex as it goes into the file; equal vertices of a primitive are stored once.
struct TVertex {
  float Values[8];
  bool operator==(const TVertex& other) const { return std::memcmp(Values, other.Values, sizeof Values) == 0; }
};
struct TVertexHash {
  std::size_t operator()(const TVertex& vertex) const {
    std::size_t hash = 1469598103934665603ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(vertex.Values);
    for (std::size_t i = 0; i < sizeof vertex.Values; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
  }
};

// Rounds a colour component so that materials differing only by noise share a primitive.
float Quantised(float value) { return std::round(value * 1024.0f) / 1024.0f; }

class TCollector {
 public:
  TCollector(TSceneMesh& mesh, const std::string& groupName, bool pickable)
      : Mesh(mesh), GroupName(groupName), Pickable(pickable) {}

  void Collect(SoNode* scene) {
    // The program draws every list under shape hints it forces: counter-clockwise, solid.
    auto* root = new SoSeparator;
    root->ref();
    auto* hints = new SoShapeHints;
    hints->vertexOrdering = SoShapeHints::COUNTERCLOCKWISE;
    hints->shapeType = SoShapeHints::SOLID;
    hints->setOverride(TRUE);
    root->addChild(hints);
    root->addChild(scene);
    // A model's coarse levels are for the kiosk's far views; the page shows the model itself.
    const std::vector<std::pair<SoLOD*, std::vector<float>>> levels = FullLevelsOnly(root);
    SoCallbackAction action(SbViewportRegion(1024, 768));
    action.addPreCallback(SoShape::getClassTypeId(), &TCollector::OnShape, this);
    action.addTriangleCallback(SoShape::getClassTypeId(), &TCollector::OnTriangle, this);
    action.apply(root);
    for (const auto& [lod, ranges] : levels) lod->range.setValues(0, int(ranges.size()), ranges.data());
    root->unref();
  }

 private:
  // Makes every level-of-detail node take its first child from any distance; answers each with
  // the ranges it had.
  static std::vector<std::pair<SoLOD*, std::vector<float>>> FullLevelsOnly(SoNode* root) {
    SoSearchAction search;
    search.setType(SoLOD::getClassTypeId());
    search.setInterest(SoSearchAction::ALL);
    search.setSearchingAll(TRUE);
    search.apply(root);
    std::vector<std::pair<SoLOD*, std::vector<float>>> levels;
    const SoPathList& found = search.getPaths();
    for (int i = 0; i < found.getLength(); ++i) {
      SoNode* tail = found[i]->getTail();
      if (!tail->isOfType(SoLOD::getClassTypeId())) continue;
      auto* lod = static_cast<SoLOD*>(tail);
      const auto seen = [lod](const auto& level) { return level.first == lod; };
      if (std::any_of(levels.begin(), levels.end(), seen)) continue;  // shared by several parents
      const float* values = lod->range.getValues(0);
      levels.emplace_back(lod, std::vector<float>(values, values + lod->range.getNum()));
      lod->range.setValue(FLT_MAX);
    }
    search.reset();
    return levels;
  }

  static SoCallbackAction::Response OnShape(void* self, SoCallbackAction* action, const SoNode* node) {
    static_cast<TCollector*>(self)->BeginShape(action, node);
    return SoCallbackAction::CONTINUE;
  }
  static void OnTriangle(void* self, SoCallbackAction* action, const SoPrimitiveVertex* a, const SoPrimitiveVertex* b,
                         const SoPrimitiveVertex* c) {
    static_cast<TCollector*>(self)->AddTriangle(action, a, b, c);
  }

  void BeginShape(SoCallbackAction* action, const SoNode* node) {
    std::int32_t id = -1;
    const bool work = node->isOfType(SoIndexedFaceSet::getClassTypeId()) &&
                      ParseWorkName(node->getName().getString(), id);
    ShapeWork = work ? id : -1;
    Model = action->getModelMatrix();
    NormalMatrix = Model.inverse().transpose();
    Mirrored = Model.det3() < 0;
    TextureMatrix = action->getTextureMatrix();
    Picture = PictureOf(action);
  }

  int GroupFor(std::int32_t work) {
    const auto found = GroupOfWork.find(work);
    if (found != GroupOfWork.end()) return found->second;
    TSceneGroup group;
    group.Work = work;
    group.Name = work >= 0 ? WorkName(work) : GroupName;
    group.Pickable = Pickable;
    Mesh.Groups.push_back(std::move(group));
    const int index = static_cast<int>(Mesh.Groups.size()) - 1;
    GroupOfWork.emplace(work, index);
    return index;
  }

  // The picture in effect, each distinct image stored once however many shapes use it.
  int PictureOf(SoCallbackAction* action) {
    SbVec2s size;
    int components = 0;
    const unsigned char* pixels = action->getTextureImage(size, components);
    if (pixels == nullptr || size[0] <= 0 || size[1] <= 0 || components < 1 || components > 4) return -1;
    const bool repeatS = action->getTextureWrapS() == SoTexture2::REPEAT;
    const bool repeatT = action->getTextureWrapT() == SoTexture2::REPEAT;
    const auto key = std::make_tuple(static_cast<const void*>(pixels), repeatS, repeatT);
    const auto found = PictureIndex.find(key);
    if (found != PictureIndex.end()) return found->second;
    TScenePicture picture;
    picture.Width = size[0];
    picture.Height = size[1];
    picture.Components = components;
    picture.Pixels = pixels;
    picture.RepeatS = repeatS;
    picture.RepeatT = repeatT;
    Mesh.Pictures.push_back(std::move(picture));
    const int index = static_cast<int>(Mesh.Pictures.size()) - 1;
    PictureIndex.emplace(key, index);
    return index;
  }

  int MaterialOf(SoCallbackAction* action, int materialIndex) {
    const TShapeMaterial current = ShapeMaterial(action, materialIndex);
    TSceneMaterial material;
    for (int i = 0; i < 3; ++i) {
      material.Diffuse[i] = Quantised(std::min(std::max(current.Diffuse[i], 0.0f), 1.0f));
      material.Emissive[i] = Quantised(std::min(std::max(current.Emission[i], 0.0f), 1.0f));
    }
    material.Opacity = Quantised(1.0f - std::min(std::max(current.Transparency, 0.0f), 1.0f));
    material.Picture = Picture;
    const auto found = MaterialIndex.find(material);
    if (found != MaterialIndex.end()) return found->second;
    Mesh.Materials.push_back(material);
    const int index = static_cast<int>(Mesh.Materials.size()) - 1;
    MaterialIndex.emplace(material, index);
    return index;
  }

  void AddTriangle(SoCallbackAction* action, const SoPrimitiveVertex* a, const SoPrimitiveVertex* b,
                   const SoPrimitiveVertex* c) {
    if (Mirrored) std::swap(b, c);
    const SoPrimitiveVertex* corners[3] = {a, b, c};
    SbVec3f world[3];
    for (int i = 0; i < 3; ++i) Model.multVecMatrix(corners[i]->getPoint(), world[i]);
    const SbVec3f faceNormal = (world[1] - world[0]).cross(world[2] - world[0]);
    if (!(faceNormal.sqrLength() > 1e-20f)) return;  // no area: nothing to draw, nothing to hit

    Group = GroupFor(ShapeWork);  // a group is made for the first triangle that shows
    const int material = MaterialOf(action, a->getMaterialIndex());
    const int primitiveIndex = PrimitiveFor(material);
    TScenePrimitive& primitive = Mesh.Groups[Group].Primitives[primitiveIndex];
    auto& known = VerticesOf[{Group, primitiveIndex}];
    const bool textured = Picture >= 0;
    for (int i = 0; i < 3; ++i) {
      SbVec3f normal;
      NormalMatrix.multDirMatrix(corners[i]->getNormal(), normal);
      if (!(normal.normalize() > 0.0f)) normal = faceNormal / faceNormal.length();
      TVertex vertex{};
      for (int k = 0; k < 3; ++k) {
        vertex.Values[k] = world[i][k];
        vertex.Values[3 + k] = normal[k];
      }
      if (textured) {
        SbVec4f coords;
        TextureMatrix.multVecMatrix(corners[i]->getTextureCoords(), coords);
        const float w = coords[3] != 0.0f ? coords[3] : 1.0f;
        vertex.Values[6] = coords[0] / w;
        vertex.Values[7] = 1.0f - coords[1] / w;  // Coin's pictures start at the bottom row
      }
      const auto found = known.find(vertex);
      if (found != known.end()) {
        primitive.Indices.push_back(found->second);
        continue;
      }
      const auto index = static_cast<std::uint32_t>(primitive.Positions.size() / 3);
      primitive.Positions.insert(primitive.Positions.end(), vertex.Values, vertex.Values + 3);
      primitive.Normals.insert(primitive.Normals.end(), vertex.Values + 3, vertex.Values + 6);
      if (textured) primitive.TexCoords.insert(primitive.TexCoords.end(), vertex.Values + 6, vertex.Values + 8);
      primitive.Indices.push_back(index);
      known.emplace(vertex, index);
    }
    ++Mesh.Triangles;
  }

  // The primitive of the current group with this material, made when there is none yet.
  int PrimitiveFor(int material) {
    std::vector<TScenePrimitive>& primitives = Mesh.Groups[Group].Primitives;
    for (std::size_t i = 0; i < primitives.size(); ++i) {
      // A primitive holds at most 2^24 vertices, so that its indices stay exact in every reader.
      if (primitives[i].Material == material && primitives[i].Positions.size() / 3 < (1u << 24) - 3) {
        return static_cast<int>(i);
      }
    }
    primitives.emplace_back();
    primitives.back().Material = material;
    return static_cast<int>(primitives.size()) - 1;
  }

  TSceneMesh& Mesh;
  std::string GroupName;
  bool Pickable;
  int Group = 0;
  std::int32_t ShapeWork = -1;
  SbMatrix Model;
  SbMatrix NormalMatrix;
  SbMatrix TextureMatrix;
  bool Mirrored = false;
  int Picture = -1;
  std::map<std::int32_t, int> GroupOfWork;
  std::map<std::tuple<const void*, bool, bool>, int> PictureIndex;
  std::map<TSceneMaterial, int> MaterialIndex;
  std::map<std::pair<int, int>, std::unordered_map<TVertex, std::uint32_t, TVertexHash>> VerticesOf;
};

}  // namespace

void TSceneMesh::AddScene(SoNode* scene, const std::string& groupName, bool pickable) {
  if (scene == nullptr) return;
  TCollector collector(*this, groupName, pickable);
  collector.Collect(scene);
}
