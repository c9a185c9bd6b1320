#include "scenebuild.h"

#include <algorithm>

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoTexture2.h>

#include "gxchunk.h"
#include "gxchunklist.h"
#include "gxformat.h"
#include "shapereader.h"
#include "tdatabanker.h"
#include "tzlib.h"

int SetTexture(SoNode* root, const TGXChunkImageRawRgba& chunk) {
  const int width = chunk.ImageWidth();
  const int height = chunk.ImageHeight();
  const int components = chunk.Components;
  if (root == nullptr || width <= 0 || height <= 0 || components < 1 || components > 4) return -1;
  const std::size_t expected = std::size_t(width) * std::size_t(height) * std::size_t(components);
  std::int32_t length = chunk.DataLength;
  int result = 0;
  const std::vector<std::uint8_t> pixels = InflateBuffer(chunk.Data.data(), length, expected, &result);
  if (pixels.size() < expected) return -1;

  SoSearchAction search;
  search.setSearchingAll(TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setFind(SoSearchAction::NAME);
  search.setName(SbName(chunk.Name.c_str()));
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  int filled = 0;
  for (int i = 0; i < paths.getLength(); ++i) {
    SoNode* tail = paths[i]->getTail();
    if (tail == nullptr || !tail->isOfType(SoTexture2::getClassTypeId())) continue;
    static_cast<SoTexture2*>(tail)->image.setValue(SbVec2s(short(width), short(height)), components, pixels.data(),
                                                   SoSFImage::COPY);
    ++filled;
  }
  search.reset();
  return filled;
}

std::vector<SoTexture2*> FindEmptyTextures(SoNode* root) {
  std::vector<SoTexture2*> empty;
  if (root == nullptr) return empty;
  SoSearchAction search;
  search.setSearchingAll(TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setType(SoTexture2::getClassTypeId(), TRUE);
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    SoNode* tail = paths[i]->getTail();
    if (tail == nullptr || !tail->isOfType(SoTexture2::getClassTypeId())) continue;
    auto* texture = static_cast<SoTexture2*>(tail);
    SbVec2s size;
    int components = 0;
    texture->image.getValue(size, components);
    const bool seen = std::find(empty.begin(), empty.end(), texture) != empty.end();
    if (!seen && (size[0] <= 0 || size[1] <= 0 || components <= 0)) empty.push_back(texture);
  }
  search.reset();
  return empty;
}

SoNode* BuildSceneFromList(const TGXChunkList& list) {
  InitSceneLibrary();

  SoNode* result = nullptr;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    const TGXChunk* chunk = list.GetChunk(i);
    if (chunk->GetType() != gx::kChunkVrmlShape) continue;
    SoNode* node = ReadShapeChunk(*chunk);
    if (node != nullptr) node->ref();
    if (result != nullptr) result->unref();  // only the last shape is kept
    result = node;
  }
  if (result == nullptr) return nullptr;

  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    const TGXChunk* chunk = list.GetChunk(i);
    if (chunk->GetType() == gx::kChunkImageRawRgba) {
      SetTexture(result, static_cast<const TGXChunkImageRawRgba&>(*chunk));
    }
  }
  result->unrefNoDelete();
  return result;
}

SoNode* TDataBanker::BuildScene(std::int32_t Id) const {
  const std::unique_ptr<TGXChunkList> list = GetChunkList(Id);
  if (!list || list->GetType() != gx::kListScene) return nullptr;
  return BuildSceneFromList(*list);
}
