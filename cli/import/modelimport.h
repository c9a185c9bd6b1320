// Models of a scene list turned into the one shape text the program reads for that list, with the
// pictures their materials show handed on as textures.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "manifest.h"
#include "modelplacement.h"

struct TPlacedModelFile {
  TManifestModel Model;
  std::string Path;  // where the file was found
};

struct TModelShape {
  std::string Text;                     // Inventor text: the list's own shape, then every model
  std::vector<TManifestItem> Textures;  // node name and picture file, for the picture importer
  std::vector<std::string> Notes;       // what a curator should know (simplified, pictures left out)
  std::unique_ptr<QTemporaryDir> Scratch;  // holds pictures that came embedded in a model
};

// Reads each model (assimp or Coin, by its extension), keeps it within the face budget, places it
// and writes it as a work "KD_<work>" (or as decoration): one coordinate list, normals, texture
// coordinates, materials bound per face, and one face set per picture. With shape text given, that
// shape comes first in the same graph. Texture nodes are named "<textureprefix><n>". False with
// "file: reason" when a model cannot be read or has no faces, or the shape text cannot be read.
bool BuildModelShape(const std::vector<TPlacedModelFile>& models, const std::vector<std::uint8_t>* shapeText,
                     const std::string& texturePrefix, TModelShape& shape, std::string& error);

// Reads and places one model as BuildModelShape would, for laying out a room around it: its size
// in pose, and the mean of its points in the work's local frame (base centre at the origin, front
// along +Y, up along -Z). False with "file: reason" as BuildModelShape.
bool MeasureModel(const std::string& path, const TManifestModel& where, TModelPose& pose, SbVec3f& mean,
                  std::string& error);
