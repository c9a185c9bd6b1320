#include "texturefill.h"

#include <Inventor/SbName.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoTexture2.h>

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <unordered_set>

#include "data/gxchunk.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "data/packedondisk.h"
#include "data/releasebytes.h"
#include "data/tzlib.h"
#include "data/workerpool.h"

std::vector<SoTexture2*> FindTextureNodes(SoNode* root) {
  std::vector<SoTexture2*> nodes;
  if (root == nullptr) return nodes;
  SoSearchAction search;
  search.setSearchingAll(TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setFind(SoSearchAction::TYPE);
  search.setType(SoTexture2::getClassTypeId(), TRUE);
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    SoNode* tail = paths[i]->getTail();
    if (tail != nullptr && tail->isOfType(SoTexture2::getClassTypeId())) nodes.push_back(static_cast<SoTexture2*>(tail));
  }
  search.reset();
  return nodes;
}

TTextureIndex::TTextureIndex(SoNode* root) {
  for (SoTexture2* texture : FindTextureNodes(root)) Nodes[texture->getName().getString()].push_back(texture);
}

const std::vector<SoTexture2*>* TTextureIndex::Find(const SbName& name) const {
  const auto found = Nodes.find(name.getString());
  return found == Nodes.end() ? nullptr : &found->second;
}

namespace {

// One picture on its way from its chunk to its nodes.
struct TPicture {
  TGXChunkImageRawRgba* chunk = nullptr;
  const std::vector<SoTexture2*>* targets = nullptr;
  SbVec2s size;
  int components = 0;
  std::size_t expected = 0;
  // The pixels go either into the storage of the first target node (`direct`), or, when that
  // node cannot take them yet, into a buffer of their own that is copied at the fill.
  SoTexture2* direct = nullptr;
  std::unique_ptr<std::uint8_t[]> own;
  std::uint8_t* destination = nullptr;
  TInflateInto inflated;
  std::future<void> done;
  const TPackedOnDisk* onDisk = nullptr;  // set when the packed bytes are in the file, not the chunk
};

std::size_t PackedLength(const TGXChunk& chunk, const TPackedOnDisk* onDisk) {
  if (onDisk != nullptr && onDisk->Holds(&chunk)) return onDisk->Length(&chunk);
  return std::min<std::size_t>(chunk.Data.size(), std::size_t(std::max(chunk.DataLength, 0)));
}

// The chunk's size as it is shown, or false when no image can have it.
bool Describe(const TGXChunkImageRawRgba& chunk, TPicture& picture) {
  const int width = chunk.ImageWidth();
  const int height = chunk.ImageHeight();
  const int components = chunk.Components;
  if (width <= 0 || height <= 0 || components < 1 || components > 4) return false;
  picture.size = SbVec2s(short(width), short(height));
  picture.components = components;
  picture.expected = std::size_t(width) * std::size_t(height) * std::size_t(components);
  // More pixels than its packed bytes could ever give: no memory is set aside for such a claim.
  return picture.expected / kMaxInflateRatio <= PackedLength(chunk, picture.onDisk) + 1;
}

// A node still as the shape text left it when it named no picture: its storage can take the pixels,
// and a picture that fails can give it back as it was.
bool IsBlank(const SoTexture2* node) {
  SbVec2s size;
  int components = 0;
  node->image.getValue(size, components);
  return size[0] == 0 && size[1] == 0 && node->filename.getValue().getLength() == 0;
}

void Inflate(TPicture& picture) {
  const TGXChunk& chunk = *picture.chunk;
  if (picture.onDisk != nullptr && picture.onDisk->Holds(&chunk)) {
    picture.inflated = picture.onDisk->Inflate(&chunk, picture.destination, picture.expected);
    return;
  }
  picture.inflated = InflateInto(chunk.Data.data(), PackedLength(chunk, nullptr), picture.destination, picture.expected);
}

// All announced pixels arrived: either the whole stream, or the first bytes of a longer one.
bool Complete(const TPicture& picture) {
  return picture.inflated.produced == picture.expected && (picture.inflated.code == kInflateOk || picture.inflated.full);
}

// Hands the inflated pixels to every target; answers the paths filled, or -1 when the picture
// is unusable (a node whose storage was lent to it is given back blank).
int Fill(TPicture& picture) {
  const bool complete = Complete(picture);
  if (picture.direct != nullptr) {
    picture.direct->image.finishEditing();
    if (!complete) {
      picture.direct->image.setValue(SbVec2s(0, 0), 0, nullptr);
      picture.direct->image.setDefault(TRUE);
    }
  }
  if (!complete) return -1;
  const std::uint8_t* pixels = picture.destination;
  std::unordered_set<SoTexture2*> filled;
  if (picture.direct != nullptr) filled.insert(picture.direct);
  for (SoTexture2* node : *picture.targets) {
    if (!filled.insert(node).second) continue;  // one node reached by several paths
    node->image.setValue(picture.size, picture.components, pixels, SoSFImage::COPY);
  }
  return static_cast<int>(picture.targets->size());
}

// Chooses where the picture's pixels go; `claimed` holds the nodes an earlier picture of the
// same fill still has to reach, whose storage must not change under it.
void Prepare(TPicture& picture, const std::unordered_set<SoTexture2*>* claimed) {
  SoTexture2* first = picture.targets->front();
  if ((claimed == nullptr || claimed->count(first) == 0) && IsBlank(first)) {
    first->image.setValue(picture.size, picture.components, nullptr);  // storage of the right size
    SbVec2s size;
    int components = 0;
    picture.destination = first->image.startEditing(size, components);
    if (picture.destination != nullptr) {
      picture.direct = first;
      return;
    }
    first->image.setValue(SbVec2s(0, 0), 0, nullptr);
    first->image.setDefault(TRUE);
  }
  picture.own.reset(new std::uint8_t[picture.expected]);
  picture.destination = picture.own.get();
}

}  // namespace

int FillTexture(const TTextureIndex& index, const TGXChunkImageRawRgba& chunk) {
  TPicture picture;
  if (!Describe(chunk, picture)) return -1;
  picture.chunk = const_cast<TGXChunkImageRawRgba*>(&chunk);  // read only: nothing is released here
  picture.targets = index.Find(SbName(chunk.Name.c_str()));
  if (picture.targets == nullptr) {
    // No node to show it; still tell an unusable chunk from a usable one.
    picture.own.reset(new std::uint8_t[picture.expected]);
    picture.destination = picture.own.get();
    Inflate(picture);
    return Complete(picture) ? 0 : -1;
  }
  Prepare(picture, nullptr);
  Inflate(picture);
  return Fill(picture);
}

void FillTextures(SoNode* root, TGXChunkList& list, const TTextureFillOptions& options) {
  const TTextureIndex index(root);
  std::deque<TPicture> pictures;  // stays in place while the workers fill it
  std::unordered_set<SoTexture2*> claimed;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    TGXChunk* chunk = list.GetChunk(i);
    if (chunk->GetType() != gx::kChunkImageRawRgba) continue;
    auto* image = static_cast<TGXChunkImageRawRgba*>(chunk);
    TPicture picture;
    picture.chunk = image;
    picture.onDisk = options.onDisk;
    picture.targets = index.Find(SbName(image->Name.c_str()));
    // A picture no node shows, or that no node could show, is not inflated at all.
    if (picture.targets == nullptr || !Describe(*image, picture)) {
      if (options.releasePacked) ReleaseBytes(image->Data);
      continue;
    }
    Prepare(picture, &claimed);
    claimed.insert(picture.targets->begin(), picture.targets->end());
    pictures.push_back(std::move(picture));
  }
  if (pictures.empty()) return;

  {
    // The pool is gone (every job has run) before the pictures' buffers are.
    TWorkerPool pool(std::min<unsigned>(options.threads == 0 ? TWorkerPool::MachineThreads() : options.threads,
                                        unsigned(pictures.size())));
    for (TPicture& picture : pictures) {
      TPicture* job = &picture;
      const bool release = options.releasePacked;
      picture.done = pool.Run([job, release] {
        Inflate(*job);
        if (release) ReleaseBytes(job->chunk->Data);
      });
    }
    // As they arrive, in list order; each buffer of its own goes as soon as it has been copied.
    std::unordered_set<SoTexture2*> announced;
    for (TPicture& picture : pictures) {
      picture.done.get();
      const bool usable = Fill(picture) >= 0;
      picture.own.reset();
      if (!usable || !options.filled) continue;
      for (SoTexture2* node : *picture.targets) {
        if (announced.insert(node).second) options.filled(node);
      }
    }
  }
}
