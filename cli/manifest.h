// The pack manifest: a JSON description of an exhibition, list by list, in file order.
//
// {
//   "lists": [
//     { "kind": "scene", "id": 110, "name": "Sala", "shape": "scene/sala.iv",
//       "textures": [ { "node": "TEX_301", "file": "pictures/301.png" } ],
//       "models": [ { "file": "busto.glb", "work": 309, "position": [4, 0, -2], "facing": 180,
//                     "height": 0.6, "up": "+z", "front": "-y" } ] },
//     { "kind": "sound", "id": 201, "name": "Preludio", "file": "music/preludio.wav" },
//     { "kind": "opera", "id": 301, "name": "Natività",
//       "notes":  [ { "name": "Scheda", "file": "notes/301.rtf", "userId": 1 } ],
//       "movies": [ { "name": "Il restauro", "file": "movies/301.wmv" } ] }
//   ]
// }
//
// Every list's UserId is its id. Paths are relative to the manifest's folder (then to each
// search folder given to pack). Names are UTF-8 and are stored as Windows-1252.
#pragma once

#include <string>
#include <vector>

struct TManifestItem {
  std::string File;
  std::string Name;       // UTF-8; empty means the file's base name
  std::string Node;       // textures: the texture node the image fills
  bool HasUserId = false;
  int UserId = 0;
  std::string Shown;      // how messages name a file the tool made itself (a model's picture)
};

// A 3D model placed in a room: its base centre at Position, its front looking Facing degrees about
// the vertical axis (0 = +Z, 90 = +X), sized to Height metres or by Scale (else as modelled).
// Up and Front name the model's own axes ("+y", "-z" ...) when they are not glTF's +Y and +Z.
struct TManifestModel {
  std::string File;
  bool HasWork = false;  // without a work the model is decoration
  int Work = 0;
  float Position[3] = {0, 0, 0};
  float Facing = 0;
  bool HasHeight = false;
  float Height = 0;
  bool HasScale = false;
  float Scale = 1;
  std::string Up = "+y";
  std::string Front = "+z";
  // The flight to the work ends at least this far in front of its centre (metres); 0 leaves the
  // viewer's own distance from the model's size.
  float Distance = 0;
  // The plinth it stands on, if any: a box of this width (along the model's own width) and depth,
  // its top at the model's base, turned with the model; it moves wherever the model is put.
  bool HasPlinth = false;
  float PlinthWidth = 0, PlinthDepth = 0, PlinthHeight = 0;
  float PlinthColour[3] = {0.85f, 0.83f, 0.79f};  // pale stone
};

struct TManifestList {
  enum class Kind { Scene, Sound, Opera };
  Kind ListKind = Kind::Scene;
  int Id = 0;
  std::string Name;  // UTF-8
  std::string Shape;                     // scene
  std::vector<TManifestItem> Textures;   // scene
  std::vector<TManifestModel> Models;    // scene
  TManifestItem Sound;                   // sound
  std::vector<TManifestItem> Notes;      // opera
  std::vector<TManifestItem> Movies;     // opera
};

struct TManifest {
  std::string Path;
  std::string Folder;  // where relative paths start
  std::vector<TManifestList> Lists;
};

// Reads and validates a manifest; false with "path: reason" in error.
bool ReadManifest(const std::string& path, TManifest& manifest, std::string& error);

// The manifest as JSON text that ReadManifest reads back to the same lists. Keys that hold their
// default are left out (a model's "up" +y and "front" +z, a "distance" of 0, an item's name when
// empty); a model's position and facing are always written. Paths are written as they are.
std::string ManifestText(const TManifest& manifest);
// Writes ManifestText to path; false with "path: reason" in error.
bool WriteManifest(const TManifest& manifest, const std::string& path, std::string& error);
