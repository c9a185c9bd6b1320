#include "modelsimplify.h"

#include <algorithm>
#include <meshoptimizer.h>

namespace {

void DropUnusedVertices(TModelMesh& mesh) {
  std::vector<std::uint32_t> remap(mesh.VertexCount(), UINT32_MAX);
  std::uint32_t next = 0;
  for (std::uint32_t& index : mesh.Triangles) {
    if (remap[index] == UINT32_MAX) remap[index] = next++;
    index = remap[index];
  }
  auto compact = [&](std::vector<float>& values, std::size_t width) {
    if (values.empty()) return;
    std::vector<float> kept(std::size_t(next) * width);
    for (std::size_t v = 0; v < remap.size(); ++v) {
      if (remap[v] == UINT32_MAX) continue;
      for (std::size_t c = 0; c < width; ++c) kept[remap[v] * width + c] = values[v * width + c];
    }
    values.swap(kept);
  };
  compact(mesh.Positions, 3);
  compact(mesh.Normals, 3);
  compact(mesh.TexCoords, 2);
}

}  // namespace

std::size_t SimplifyModel(TModelData& model, std::size_t budget) {
  const std::size_t total = model.FaceCount();
  if (total <= budget) return total;
  std::size_t after = 0;
  for (TModelMesh& mesh : model.Meshes) {
    const std::size_t target = std::max<std::size_t>(1, mesh.FaceCount() * budget / total);
    std::vector<std::uint32_t> kept(mesh.Triangles.size());
    // First keep the outline and seams; if that cannot reach the budget, give way on the error.
    std::size_t indices = meshopt_simplify(kept.data(), mesh.Triangles.data(), mesh.Triangles.size(),
                                           mesh.Positions.data(), mesh.VertexCount(), sizeof(float) * 3, target * 3,
                                           1e-2f, 0, nullptr);
    if (indices > target * 3) {
      indices = meshopt_simplifySloppy(kept.data(), mesh.Triangles.data(), mesh.Triangles.size(),
                                       mesh.Positions.data(), mesh.VertexCount(), sizeof(float) * 3, target * 3,
                                       1.0f, nullptr);
    }
    kept.resize(indices);
    mesh.Triangles.swap(kept);
    DropUnusedVertices(mesh);
    after += mesh.FaceCount();
  }
  return after;
}
