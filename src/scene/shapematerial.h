// The material Coin's callback action is on for one material index of the shape it walks: what the
// exhibition file tool keeps of it when it turns a scene into triangles.
#pragma once

#include <Inventor/SbColor.h>

class SoCallbackAction;

struct TShapeMaterial {
  SbColor Diffuse;
  SbColor Emission;
  float Transparency = 0;
};

TShapeMaterial ShapeMaterial(SoCallbackAction* action, int index);
