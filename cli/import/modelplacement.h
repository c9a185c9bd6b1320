// Putting a model where the manifest says, in the layout flights rely on: a work faces its local +Y
// axis, and its size is its extent along local X and Z.
#pragma once

#include <Inventor/SbLinear.h>
#include <string>

#include "manifest.h"
#include "modelmesh.h"

struct TModelPose {
  SbVec3f Translation;  // the base centre in room coordinates
  SbRotation Rotation;  // local +Y to the facing direction, local -Z up
  float Scale = 1;      // already applied to the coordinates
  float Width = 0;      // local X extent, metres
  float Depth = 0;      // local Y extent (front to back), metres
  float Height = 0;     // local Z extent, metres
};

// Rewrites the model's coordinates and normals into the work's local frame (base centre at the
// origin, its own front along +Y, its height along -Z, scaled to the size asked) and answers the
// transformation that stands it upright at its position and facing. False when the model has no
// height to size by.
bool PlaceModel(TModelData& model, const TManifestModel& where, TModelPose& pose, std::string& error);

// The direction a work faces, in the room, for a facing in degrees (0 = +Z, 90 = +X).
SbVec3f FacingDirection(float degrees);

class SoSeparator;

// The model's plinth as a separator of its own (a box under the model's base, turned with it),
// not part of the work; nullptr when the model has none.
SoSeparator* PlinthNode(const TManifestModel& model);

// What the curator should hear about where the model stands: clear of the floor (y = 0) with
// nothing under it, or its plinth sunk into or standing clear of the floor. Empty when it stands.
std::string StandingRemark(const TManifestModel& model);
