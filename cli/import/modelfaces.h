// A model's faces as the program draws them: the material, then one face set per picture, in
// levels of detail when the model has them. Written so that Coin draws each face set from vertex
// arrays: one material bound overall, or colours bound per vertex; normals and texture coordinates
// per vertex, all indexed by the coordinates' indices.
#pragma once

#include <Inventor/SbLinear.h>
#include <cstdint>
#include <string>
#include <vector>

#include "modellevels.h"
#include "modelmesh.h"

class SoSeparator;

struct TModelFaces {
  const TModelData* Model = nullptr;
  std::vector<std::uint32_t> FirstVertex;  // of each mesh, in the shared coordinates
  std::vector<std::string> Pictures;       // texture node name of each mesh, empty for none
  std::string Work;                        // "KD_<id>", empty for decoration
};

// How far from the camera each coarse level takes over, in metres, for a work whose points (in
// its local frame, as the coordinates hold them) are placed by rotation and translation. The full
// level is always drawn from wherever a flight to the work ends, from the list or from a click.
std::vector<float> LevelRanges(const std::vector<SbVec3f>& points, const SbRotation& rotation,
                               const SbVec3f& translation, std::size_t coarseLevels);

// Adds the material and the face sets of `faces` to group, after its coordinates. With more than
// one level, the levels are the children of an SoLOD centred on the points' mean, each level's
// main face set named as the work, so a work is picked and found whichever level shows.
void AddModelFaces(SoSeparator* group, const TModelFaces& faces, const std::vector<TModelLevel>& levels,
                   const std::vector<float>& ranges, const SbVec3f& centre);
