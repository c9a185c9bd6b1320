// The pack manifest: a JSON description of an exhibition, list by list, in file order.
//
// {
//   "lists": [
//     { "kind": "scene", "id": 110, "name": "Sala", "shape": "scene/sala.iv",
//       "textures": [ { "node": "TEX_301", "file": "pictures/301.png" } ] },
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
};

struct TManifestList {
  enum class Kind { Scene, Sound, Opera };
  Kind ListKind = Kind::Scene;
  int Id = 0;
  std::string Name;  // UTF-8
  std::string Shape;                     // scene
  std::vector<TManifestItem> Textures;   // scene
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
