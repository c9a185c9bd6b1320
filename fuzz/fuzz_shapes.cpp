// libFuzzer target: shape text read as the program reads a scene list, then asked what the viewer
// and the checker ask of it: every texture node filled, every work found and measured.
#include <Inventor/SoPath.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoTexture2.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/gxchunk.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "scene/worknames.h"
#include "scene/workqueries.h"

namespace {
void Quiet(const SoError*, void*) {}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitSceneLibrary();
  SoDebugError::setHandlerCallback(Quiet, nullptr);  // Coin warns about every odd field
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 256 * 1024) return 0;
  std::string errors;
  int ignored = 0;
  SoNode* root = ReadShapeText(data, size, &errors, &ignored);
  if (root == nullptr) return 0;
  root->ref();

  // Every named node: textures get a small image, works are measured as a flight would.
  SoSearchAction search;
  search.setType(SoNode::getClassTypeId(), TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(root);
  std::vector<std::string> names;
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength() && names.size() < 64; ++i) {
    const SbName name = paths[i]->getTail()->getName();
    if (name.getLength() > 0) names.emplace_back(name.getString());
  }
  search.reset();

  const SbViewportRegion viewport(640, 480);
  for (const std::string& name : names) {
    TGXChunkImageRawRgba image;
    image.Name = name;
    image.Width = 2;
    image.Height = 1;
    image.Components = 3;
    static const std::uint8_t kPacked[] = {0x78, 0x9c, 0x63, 0x60, 0x00, 0x01, 0x00, 0x00, 0x06, 0x00, 0x01};  // six zero bytes
    image.AssignData(std::vector<std::uint8_t>(kPacked, kPacked + sizeof kPacked));
    SetTexture(root, image);
    std::int32_t id = 0;
    if (ParseWorkName(name, id)) {
      SbVec3f center, normal;
      float distance = 0;
      GetObjectCenter(root, id, viewport, center);
      GetObjectNormal(root, id, viewport, normal);
      GetObjectViewDistance(root, id, distance);
    }
  }
  (void)FindEmptyTextures(root);
  root->unref();
  return 0;
}
