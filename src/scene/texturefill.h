// Filling the texture nodes of a scene from the raw image chunks of its list: the nodes are found
// by name through one walk of the scene, the pictures are inflated on every processor straight
// into the storage of the node that shows them, and the nodes receive them in list order.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class SbName;
class SoNode;
class SoTexture2;
class TGXChunkImageRawRgba;
class TGXChunkList;
class TPackedOnDisk;

// Every SoTexture2 (or derived) under a root, once per path that reaches it, in the order a search
// meets them (inactive switch children included).
std::vector<SoTexture2*> FindTextureNodes(SoNode* root);

// Every SoTexture2 (or derived) under a root, by name, found in one search of the whole graph
// (inactive switch children included). A node reached by several paths is listed once per path,
// in the order a search by its name returns them.
class TTextureIndex {
 public:
  explicit TTextureIndex(SoNode* root);
  // The texture nodes with this name, or null when there are none.
  const std::vector<SoTexture2*>* Find(const SbName& name) const;

 private:
  std::unordered_map<const char*, std::vector<SoTexture2*>> Nodes;  // keyed by the name's unique text
};

struct TTextureFillOptions {
  // Worker threads for inflating; 0 means one per processor.
  unsigned threads = 0;
  // Drop each chunk's packed bytes as soon as they have been inflated (the list then no longer
  // holds them): for a list that is read once and thrown away.
  bool releasePacked = false;
  // Called on the calling thread, in list order, once for every node as soon as it has its
  // picture, while later pictures are still being inflated: a viewer can hand the picture to its
  // GL driver then.
  std::function<void(SoTexture2* texture)> filled;
  // Where the pictures whose packed bytes the list does not hold are read from, if anywhere.
  const TPackedOnDisk* onDisk = nullptr;
};

// Gives every raw image chunk of the list, in list order, to the texture nodes named like it; each
// node keeps its own copy of the pixels. A chunk whose size or component count is out of range,
// or whose pixels are fewer than its size announces, changes nothing. Bytes past the announced
// size are not shown. The list's chunks must not be touched by anyone else meanwhile.
void FillTextures(SoNode* root, TGXChunkList& list, const TTextureFillOptions& options);

// The same for one chunk, inflated on the calling thread: answers how many nodes (paths) it
// filled, or -1 when the chunk is unusable.
int FillTexture(const TTextureIndex& index, const TGXChunkImageRawRgba& chunk);
