// How a stored scene list becomes a scene node: the shape text read with Coin, the textures filled
// from raw image chunks by the names of their texture nodes.
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/VRMLnodes/SoVRMLImageTexture.h>

#include "gxformat.h"
#include "tdatabanker.h"
#include "tformviewer.h"
#include "tzlib.h"

namespace {

// Reads one node graph from the chunk's inflated text; null when Coin cannot read it.
SoNode* ReadShape(const TGXChunk& chunk) {
  std::int32_t length = chunk.DataLength;
  const std::vector<std::uint8_t> text = InflateBuffer(chunk.Data.data(), length);
  if (text.empty()) return nullptr;
  SoInput input;
  input.setBuffer(text.data(), text.size());
  SoNode* node = nullptr;
  if (!SoDB::read(&input, node)) return nullptr;
  return node;
}

// Gives the image to every SoTexture2 named like the chunk. A chunk whose size or component count
// is out of range, or whose pixels are fewer than its size announces, is skipped.
void SetTexture(SoNode* root, const TGXChunkImageRawRgba& chunk) {
  const int width = chunk.ImageWidth();
  const int height = chunk.ImageHeight();
  const int components = chunk.Components;
  if (width <= 0 || height <= 0 || components < 1 || components > 4) return;
  const std::size_t expected = std::size_t(width) * std::size_t(height) * std::size_t(components);
  std::int32_t length = chunk.DataLength;
  int result = 0;
  const std::vector<std::uint8_t> pixels = InflateBuffer(chunk.Data.data(), length, expected, &result);
  if (pixels.size() < expected) return;

  SoSearchAction search;
  search.setSearchingAll(TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setFind(SoSearchAction::NAME);
  search.setName(SbName(chunk.Name.c_str()));
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    SoNode* tail = paths[i]->getTail();
    if (tail == nullptr || !tail->isOfType(SoTexture2::getClassTypeId())) continue;
    static_cast<SoTexture2*>(tail)->image.setValue(SbVec2s(short(width), short(height)), components, pixels.data(),
                                                   SoSFImage::COPY);
  }
  search.reset();
}

}  // namespace

SoNode* BuildSceneFromList(const TGXChunkList& list) {
  SoVRMLImageTexture::setDelayFetchURL(TRUE);

  SoNode* result = nullptr;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    const TGXChunk* chunk = list.GetChunk(i);
    if (chunk->GetType() != gx::kChunkVrmlShape) continue;
    SoNode* node = ReadShape(*chunk);
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
