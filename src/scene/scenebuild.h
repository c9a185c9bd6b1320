// How a stored scene list becomes a scene node: the last readable shape text of the list, read with
// Coin, with every raw image chunk given to the texture nodes that carry its name.
#pragma once

#include <string>
#include <vector>

class SoNode;
class SoTexture2;
class TGXChunkImageRawRgba;
class TGXChunkList;

// Builds a model node from a scene list's chunks; null when no shape could be read. The node comes
// back unreferenced (the caller adds it to a graph or refs it).
SoNode* BuildSceneFromList(const TGXChunkList& list);

// Gives the image to every SoTexture2 under root named like the chunk, each node keeping its own
// copy of the pixels. Answers how many nodes it filled, or -1 when the chunk is unusable: its size
// or component count is out of range, or its pixels are fewer than its size announces.
int SetTexture(SoNode* root, const TGXChunkImageRawRgba& chunk);

// The SoTexture2 nodes under root (inactive switch children included) that hold no image, each
// once, in the order a search meets them: what the program shows untextured.
std::vector<SoTexture2*> FindEmptyTextures(SoNode* root);
