// Inventor (text and binary) and VRML97 models read through Coin: whatever shapes they draw with
// (triangle strips, quad meshes, vertex properties, spheres ...) become plain triangles.
#pragma once

#include <string>

#include "modelmesh.h"

// True for the file name extensions Coin reads for us (.iv, .wrl, .vrml).
bool IsInventorModel(const std::string& path);

// Reads every triangle the file draws, in the file's coordinates with its transformations applied,
// counter-clockwise seen from outside. False with "path: reason" (Coin's) when it cannot be read.
bool ImportWithCoin(const std::string& path, TModelData& model, std::string& error);
