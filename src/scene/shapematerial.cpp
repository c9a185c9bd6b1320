#include "shapematerial.h"

#include <Inventor/actions/SoCallbackAction.h>

TShapeMaterial ShapeMaterial(SoCallbackAction* action, int index) {
  SbColor ambient, specular;
  float shininess = 0;
  TShapeMaterial material;
  action->getMaterial(ambient, material.Diffuse, specular, material.Emission, shininess, material.Transparency, index);
  return material;
}
