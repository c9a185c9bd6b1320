// glTF 2, OBJ with MTL, PLY, STL, COLLADA, 3DS and FBX read through assimp.
#pragma once

#include <string>

#include "modelmesh.h"

// True for the file name extensions assimp reads for us.
bool IsAssimpModel(const std::string& path);

// The file with the path's name in any case ("IMAGE1.JPG" names image1.jpg in models made on
// Windows); empty when there is none.
std::string SameNameAnyCase(const std::string& path);

// Reads every triangle of the file, in the file's own coordinates with its node transformations
// applied. False with "path: reason" (assimp's) when the file cannot be read.
bool ImportWithAssimp(const std::string& path, TModelData& model, std::string& error);
