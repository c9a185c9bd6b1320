// The triangles of a Coin scene as a browser draws them: every shape broken into triangles in world
// coordinates, gathered by what they look like (material and picture) and by the work they belong to.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SoNode;

// A picture as Coin holds it: rows from the bottom up, 1 to 4 components per pixel. The pixels are
// the texture node's own, valid as long as the scene is.
struct TScenePicture {
  int Width = 0;
  int Height = 0;
  int Components = 0;
  const std::uint8_t* Pixels = nullptr;
  std::size_t Bytes() const { return std::size_t(Width) * std::size_t(Height) * std::size_t(Components); }
  bool RepeatS = true;
  bool RepeatT = true;
};

struct TSceneMaterial {
  float Diffuse[3] = {0.8f, 0.8f, 0.8f};
  float Emissive[3] = {0, 0, 0};
  float Opacity = 1.0f;
  int Picture = -1;  // index into TSceneMesh::Pictures, or -1

  bool operator<(const TSceneMaterial& other) const;
};

// Triangles sharing one material, indexed; texture coordinates only when the material has a picture.
struct TScenePrimitive {
  int Material = 0;  // index into TSceneMesh::Materials
  std::vector<float> Positions;  // x, y, z per vertex
  std::vector<float> Normals;    // unit length, x, y, z per vertex
  std::vector<float> TexCoords;  // u, v per vertex, v downwards as in glTF
  std::vector<std::uint32_t> Indices;
};

// One node of the exhibition: a work (the face sets named KD_<Id>), or the rest of one scene list.
struct TSceneGroup {
  std::string Name;         // "KD_<Id>" for a work
  std::int32_t Work = -1;   // the opera's Id, or -1
  bool Pickable = false;    // in the works' list, where a click can find it
  std::vector<TScenePrimitive> Primitives;
};

struct TSceneMesh {
  std::vector<TSceneGroup> Groups;
  std::vector<TSceneMaterial> Materials;
  std::vector<TScenePicture> Pictures;
  std::size_t Triangles = 0;

  // Adds every shape under scene, in world coordinates; the mesh refers to the scene's pictures, so
  // the scene must outlive it. Works (face sets named KD_<Id>) get a group
  // each; everything else of the scene goes into one group named groupName.
  void AddScene(SoNode* scene, const std::string& groupName, bool pickable);
};
