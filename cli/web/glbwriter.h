// The exhibition's scene as one glTF 2.0 binary (.glb): the room and the works as nodes, works
// named KD_<Id> under a node "works" (what a click may find), pictures as JPEG, PNG where they
// have transparency.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scenemesh.h"

struct TGlbOptions {
  int MaxTextureSide = 2048;  // pictures with a longer side are scaled down to it
  int JpegQuality = 85;
};

struct TGlbResult {
  std::vector<std::uint8_t> Bytes;
  int PicturesScaled = 0;  // how many pictures were above MaxTextureSide
};

TGlbResult WriteGlb(const TSceneMesh& mesh, const TGlbOptions& options);

// A picture as Coin holds it (rows from the bottom) encoded as JPEG, or PNG when some pixel is not
// opaque, with its longer side at most maxSide. mimeType tells which; scaled whether it had to be.
std::vector<std::uint8_t> EncodePicture(const TScenePicture& picture, int maxSide, int jpegQuality,
                                        std::string& mimeType, bool& scaled);
