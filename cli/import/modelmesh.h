// A 3D model as the tool holds it between reading a file and writing Inventor text: triangle meshes
// in the model's own coordinates, their materials and the pictures those materials show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A base-colour picture: a file beside the model, or bytes embedded in it (a .glb's PNG or JPEG).
struct TModelTexture {
  std::string File;                    // absolute path, when the picture is a file of its own
  std::vector<std::uint8_t> Encoded;   // embedded picture file bytes
  std::string Extension;               // of the embedded bytes ("png", "jpg"), as a reader needs it
  // Pixels already decoded (rows bottom first, RGBA), for pictures a reader hands over as pixels.
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgba;
  std::string Label;  // for messages: the file, or "<model>: embedded picture 2"
};

struct TModelMaterial {
  float Diffuse[3] = {0.8f, 0.8f, 0.8f};
  float Transparency = 0;
  int Texture = -1;  // index into TModelData::Textures, -1 for none
};

// Triangles, counter-clockwise seen from outside. Normals and texture coordinates, when present,
// have one entry per position.
struct TModelMesh {
  std::vector<float> Positions;  // x y z
  std::vector<float> Normals;    // x y z, empty when the file has none
  std::vector<float> TexCoords;  // s t, origin at the picture's bottom left; empty when none
  std::vector<std::uint32_t> Triangles;
  int Material = 0;
  std::size_t VertexCount() const { return Positions.size() / 3; }
  std::size_t FaceCount() const { return Triangles.size() / 3; }
};

struct TModelData {
  std::vector<TModelMesh> Meshes;
  std::vector<TModelMaterial> Materials;
  std::vector<TModelTexture> Textures;
  std::size_t FaceCount() const {
    std::size_t n = 0;
    for (const TModelMesh& mesh : Meshes) n += mesh.FaceCount();
    return n;
  }
};
