#include "modellevels.h"

#include <algorithm>
#include <meshoptimizer.h>

namespace {

// Parts this small stay as they are on every level: they cost nothing and often carry a shape.
constexpr std::size_t kSmallPartFaces = 64;

// The triangles of `from`, brought down to at most `target` faces; empty when that cannot be done.
std::vector<std::uint32_t> Simplified(const TModelMesh& mesh, const std::vector<std::uint32_t>& from,
                                      std::size_t target, float error) {
  std::vector<std::uint32_t> kept(from.size());
  // Keep the outline and the seams first; give way on the error, then on the topology, only when
  // the share cannot be reached otherwise.
  std::size_t indices = meshopt_simplify(kept.data(), from.data(), from.size(), mesh.Positions.data(),
                                         mesh.VertexCount(), sizeof(float) * 3, target * 3, error, 0, nullptr);
  if (indices > target * 3) {
    indices = meshopt_simplify(kept.data(), from.data(), from.size(), mesh.Positions.data(), mesh.VertexCount(),
                               sizeof(float) * 3, target * 3, 1.0f, 0, nullptr);
  }
  if (indices > target * 3) {
    indices = meshopt_simplifySloppy(kept.data(), from.data(), from.size(), mesh.Positions.data(), mesh.VertexCount(),
                                     sizeof(float) * 3, target * 3, 1.0f, nullptr);
  }
  if (indices > target * 3 || indices == 0) return {};
  kept.resize(indices);
  meshopt_optimizeVertexCache(kept.data(), kept.data(), kept.size(), mesh.VertexCount());
  return kept;
}

// Renumbers the mesh's vertices in the order its triangles first use them, so that a drawing pass
// walks its vertex arrays forwards and meets a vertex again while it is still at hand. Vertices no
// triangle uses keep their place in the model's size and centre: they follow the others.
void OrderVerticesByUse(TModelMesh& mesh) {
  const std::size_t count = mesh.VertexCount();
  std::vector<unsigned int> remap(count);
  std::size_t next = meshopt_optimizeVertexFetchRemap(remap.data(), mesh.Triangles.data(), mesh.Triangles.size(), count);
  for (unsigned int& to : remap) {
    if (to == ~0u) to = static_cast<unsigned int>(next++);
  }
  auto reorder = [&](std::vector<float>& values, std::size_t width) {
    if (values.size() != count * width) return;
    std::vector<float> moved(count * width);
    meshopt_remapVertexBuffer(moved.data(), values.data(), count, sizeof(float) * width, remap.data());
    values.swap(moved);
  };
  reorder(mesh.Positions, 3);
  reorder(mesh.Normals, 3);
  reorder(mesh.TexCoords, 2);
  meshopt_remapIndexBuffer(mesh.Triangles.data(), mesh.Triangles.data(), mesh.Triangles.size(), remap.data());
}

}  // namespace

std::vector<TModelLevel> MakeModelLevels(TModelData& model, int coarse) {
  std::vector<TModelLevel> levels(1);
  for (TModelMesh& mesh : model.Meshes) {
    if (!mesh.Triangles.empty()) {
      meshopt_optimizeVertexCache(mesh.Triangles.data(), mesh.Triangles.data(), mesh.Triangles.size(),
                                  mesh.VertexCount());
      OrderVerticesByUse(mesh);
    }
    levels[0].Triangles.push_back(mesh.Triangles);
    levels[0].Faces += mesh.FaceCount();
  }
  if (levels[0].Faces < kLevelsFromFaces) return levels;
  for (int level = 1; level <= coarse; ++level) {
    const TModelLevel& finer = levels.back();
    TModelLevel next;
    // Seen from twice as far, an edge may be twice as long on the model for the same size on screen.
    const float error = 0.01f * float(1 << (level - 1));
    for (std::size_t m = 0; m < model.Meshes.size(); ++m) {
      const std::vector<std::uint32_t>& from = finer.Triangles[m];
      const std::size_t faces = from.size() / 3;
      if (faces <= kSmallPartFaces) {
        next.Triangles.push_back(from);
      } else {
        next.Triangles.push_back(Simplified(model.Meshes[m], from, faces / kLevelDivisor, error));
        if (next.Triangles.back().empty()) return levels;
      }
      next.Faces += next.Triangles.back().size() / 3;
    }
    if (next.Faces * kLevelDivisor > finer.Faces + kSmallPartFaces * model.Meshes.size() * kLevelDivisor) {
      return levels;
    }
    levels.push_back(std::move(next));
  }
  return levels;
}
