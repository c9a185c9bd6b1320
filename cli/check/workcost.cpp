#include "workcost.h"

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoTexture2.h>
#include <algorithm>
#include <map>
#include <set>

#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "scene/worknames.h"

namespace {

SoNode* LastOnPath(SoPath* path, SoType type) {
  SoSearchAction search;
  search.setType(type);
  search.setInterest(SoSearchAction::LAST);
  search.apply(path);
  SoNode* found = search.getPath() != nullptr ? search.getPath()->getTail() : nullptr;
  search.reset();
  return found;
}

std::size_t FaceCount(const SoIndexedFaceSet& faces) {
  std::size_t count = 0;
  bool open = false;
  for (int i = 0; i < faces.coordIndex.getNum(); ++i) {
    if (faces.coordIndex[i] < 0) {
      count += open ? 1 : 0;
      open = false;
    } else {
      open = true;
    }
  }
  return count + (open ? 1 : 0);
}

struct TCost {
  std::size_t Faces = 0;
  std::size_t PictureBytes = 0;
};

std::size_t PictureBytes(SoNode* node) {
  SbVec2s size;
  int components = 0;
  static_cast<SoTexture2*>(node)->image.getValue(size, components);
  return std::size_t(std::max<short>(size[0], 0)) * std::size_t(std::max<short>(size[1], 0)) *
         std::size_t(std::max(components, 0));
}

void AddCosts(SoNode* scene, std::map<int, TCost>& costs) {
  SoSearchAction search;
  search.setType(SoIndexedFaceSet::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(scene);
  struct TPart {
    SoNode* Coordinates;
    SoNode* Picture;
    std::size_t Faces;
    int Work;
  };
  std::vector<TPart> parts;
  std::map<SoNode*, int> workOfCoordinates;
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    SoPath* path = paths[i];
    const auto* faces = static_cast<SoIndexedFaceSet*>(path->getTail());
    TPart part{LastOnPath(path, SoCoordinate3::getClassTypeId()), LastOnPath(path, SoTexture2::getClassTypeId()),
               FaceCount(*faces), -1};
    std::int32_t id = -1;
    if (ParseWorkName(faces->getName().getString(), id) && id >= 0) {
      part.Work = id;
      if (part.Coordinates != nullptr) workOfCoordinates.emplace(part.Coordinates, id);
    }
    parts.push_back(part);
  }
  search.reset();
  std::set<std::pair<int, SoNode*>> counted;
  for (TPart& part : parts) {
    if (part.Work < 0) {
      const auto shared = workOfCoordinates.find(part.Coordinates);
      if (part.Coordinates == nullptr || shared == workOfCoordinates.end()) continue;
      part.Work = shared->second;
    }
    TCost& cost = costs[part.Work];
    cost.Faces += part.Faces;
    if (part.Picture != nullptr && counted.emplace(part.Work, part.Picture).second) {
      cost.PictureBytes += PictureBytes(part.Picture);
    }
  }
}

}  // namespace

std::vector<std::string> DescribeWorkCosts(const std::string& path) {
  InitSceneLibrary();
  std::map<int, TCost> costs;
  for (const std::int32_t id : {110, 120}) {
    const std::unique_ptr<TGXChunkList> list = TGXSerializer::ReadFromFile(path, id);
    if (list == nullptr || list->GetType() != gx::kListScene) continue;
    SoNode* scene = BuildSceneFromList(*list);
    if (scene == nullptr) continue;
    scene->ref();
    AddCosts(scene, costs);
    scene->unref();
  }
  std::vector<std::string> lines;
  for (const auto& [work, cost] : costs) {
    lines.push_back("work " + std::to_string(work) + ": " + std::to_string(cost.Faces) + " faces, " +
                    std::to_string(cost.PictureBytes) + " texture bytes");
  }
  return lines;
}
