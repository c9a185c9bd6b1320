// Coarser copies of a model's triangles, drawn in its place when it is far from the camera. They
// index the model's own vertices, so every level has the same points, centre, size and facing:
// what flights and the checker measure does not depend on the level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "modelmesh.h"

struct TModelLevel {
  std::vector<std::vector<std::uint32_t>> Triangles;  // for each mesh, indices into its vertices
  std::size_t Faces = 0;
};

// A model with fewer faces than this is drawn whole at every distance.
constexpr std::size_t kLevelsFromFaces = 20000;
// Each level keeps at most this share of the faces of the one before.
constexpr std::size_t kLevelDivisor = 4;

// The model's own triangles as level 0 (reordered for the vertex cache, in place), then up to
// `coarse` levels of at most 1/4, 1/16 ... of its faces. A level the simplifier cannot bring down to
// its share is left out, and so are those after it.
std::vector<TModelLevel> MakeModelLevels(TModelData& model, int coarse = 2);
