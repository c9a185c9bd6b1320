#include "scenebuild.h"

#include <algorithm>
#include <unordered_set>

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoNode.h>

#include "data/gxchunk.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "data/packedondisk.h"
#include "data/releasebytes.h"
#include "shapereader.h"
#include "texturefill.h"
#include "data/tdatabanker.h"

int SetTexture(SoNode* root, const TGXChunkImageRawRgba& chunk) {
  if (root == nullptr) return -1;
  return FillTexture(TTextureIndex(root), chunk);
}

std::vector<SoTexture2*> FindEmptyTextures(SoNode* root) {
  std::vector<SoTexture2*> empty;
  std::unordered_set<SoTexture2*> seen;  // a node reached by several paths is listed once
  for (SoTexture2* texture : FindTextureNodes(root)) {
    SbVec2s size;
    int components = 0;
    texture->image.getValue(size, components);
    if ((size[0] <= 0 || size[1] <= 0 || components <= 0) && seen.insert(texture).second) empty.push_back(texture);
  }
  return empty;
}

namespace {

// The last shape of the list that Coin can read, referenced; null when there is none.
SoNode* ReadLastShape(TGXChunkList& list, bool releasePacked) {
  InitSceneLibrary();
  SoNode* result = nullptr;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    TGXChunk* chunk = list.GetChunk(i);
    if (chunk->GetType() != gx::kChunkVrmlShape) continue;
    SoNode* node = ReadShapeChunk(*chunk);
    if (releasePacked) ReleaseBytes(chunk->Data);
    if (node != nullptr) node->ref();
    if (result != nullptr) result->unref();  // only the last shape is kept
    result = node;
  }
  return result;
}

}  // namespace

SoNode* BuildSceneFromList(TGXChunkList& list, const TTextureFillOptions& options) {
  SoNode* result = ReadLastShape(list, options.releasePacked);
  if (result == nullptr) return nullptr;
  FillTextures(result, list, options);
  result->unrefNoDelete();
  return result;
}

SoNode* BuildSceneFromList(const TGXChunkList& list) {
  // Nothing is released, so the list's chunks are only read.
  return BuildSceneFromList(const_cast<TGXChunkList&>(list), TTextureFillOptions{});
}

SoNode* TDataBanker::BuildScene(std::int32_t Id) const { return BuildScene(Id, TTextureFillOptions{}); }

SoNode* TDataBanker::BuildScene(std::int32_t Id, const TTextureFillOptions& options) const {
  // The list as GetChunkList reads it, but with the pictures' packed bytes left in the file: each
  // worker reads its picture's bytes as it inflates them, so reading is shared out like inflating
  // and the packed pictures are never in memory. The list is thrown away afterwards: each packed
  // chunk it does hold goes as soon as it has been used.
  std::unique_ptr<TPackedOnDisk> pictures;
  const std::unique_ptr<TGXChunkList> list = TGXSerializer::ReadFromFileLeavingPictures(FileName, Id, pictures);
  if (!list || list->GetType() != gx::kListScene) return nullptr;
  TTextureFillOptions released = options;
  released.releasePacked = true;
  released.onDisk = pictures.get();
  return BuildSceneFromList(*list, released);
}
