#include "assimpimport.h"

#include <QDir>
#include <QFileInfo>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <set>

namespace {

std::string Lower(const std::string& text) {
  return QString::fromStdString(text).toLower().toStdString();
}

void AddMaterial(const aiScene& scene, const aiMaterial& source, const std::string& path, TModelData& model) {
  TModelMaterial material;
  aiColor4D colour;
  // glTF keeps its base colour apart from the older diffuse colour; either may be set.
  if (source.Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS ||
      source.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS) {
    material.Diffuse[0] = colour.r;
    material.Diffuse[1] = colour.g;
    material.Diffuse[2] = colour.b;
    if (colour.a < 1) material.Transparency = 1 - colour.a;
  }
  float opacity = 1;
  if (source.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && opacity < 1 && opacity >= 0) {
    material.Transparency = 1 - opacity;
  }
  aiString picture;
  if (source.GetTexture(aiTextureType_BASE_COLOR, 0, &picture) != AI_SUCCESS &&
      source.GetTexture(aiTextureType_DIFFUSE, 0, &picture) != AI_SUCCESS) {
    model.Materials.push_back(material);
    return;
  }
  TModelTexture texture;
  const std::string name = picture.C_Str();
  if (const aiTexture* embedded = scene.GetEmbeddedTexture(picture.C_Str())) {
    texture.Label = path + ": embedded picture " + name;
    if (embedded->mHeight == 0) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(embedded->pcData);
      texture.Encoded.assign(bytes, bytes + embedded->mWidth);
      texture.Extension = embedded->achFormatHint[0] != 0 ? Lower(embedded->achFormatHint) : "png";
    } else {
      // Raw texels, top row first.
      texture.Width = int(embedded->mWidth);
      texture.Height = int(embedded->mHeight);
      texture.Rgba.reserve(std::size_t(texture.Width) * texture.Height * 4);
      for (int y = texture.Height - 1; y >= 0; --y) {
        for (int x = 0; x < texture.Width; ++x) {
          const aiTexel& t = embedded->pcData[std::size_t(y) * texture.Width + x];
          texture.Rgba.insert(texture.Rgba.end(), {t.r, t.g, t.b, t.a});
        }
      }
    }
  } else {
    // A file named relative to the model, written with either kind of slash.
    QString relative = QString::fromStdString(name).replace('\\', '/');
    QFileInfo info(relative);
    if (info.isRelative()) info = QFileInfo(QFileInfo(QString::fromStdString(path)).absolutePath() + "/" + relative);
    texture.File = info.absoluteFilePath().toStdString();
    if (!info.exists()) {
      const std::string found = SameNameAnyCase(texture.File);
      if (!found.empty()) texture.File = found;
    }
    texture.Label = texture.File;
  }
  // The same picture used by several materials is stored once.
  for (std::size_t i = 0; i < model.Textures.size(); ++i) {
    const TModelTexture& other = model.Textures[i];
    if (other.Label == texture.Label) {
      material.Texture = int(i);
      model.Materials.push_back(material);
      return;
    }
  }
  material.Texture = int(model.Textures.size());
  model.Textures.push_back(std::move(texture));
  model.Materials.push_back(material);
}

}  // namespace

std::string SameNameAnyCase(const std::string& path) {
  const QFileInfo wanted(QString::fromStdString(path));
  const QDir folder = wanted.absoluteDir();
  for (const QString& name : folder.entryList(QDir::Files)) {
    if (name.compare(wanted.fileName(), Qt::CaseInsensitive) == 0) return folder.filePath(name).toStdString();
  }
  return std::string();
}

bool IsAssimpModel(const std::string& path) {
  static const std::set<std::string> kExtensions = {"gltf", "glb", "obj", "ply", "stl", "dae", "3ds", "fbx"};
  return kExtensions.count(Lower(QFileInfo(QString::fromStdString(path)).suffix().toStdString())) != 0;
}

bool ImportWithAssimp(const std::string& path, TModelData& model, std::string& error) {
  Assimp::Importer importer;
  // Points and lines are no faces of a work; they are dropped.
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  const aiScene* scene = importer.ReadFile(
      path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals |
                aiProcess_PreTransformVertices | aiProcess_SortByPType | aiProcess_FindInvalidData |
                aiProcess_ValidateDataStructure);
  if (scene == nullptr) {
    const std::string reason = importer.GetErrorString();
    // Points and lines alone leave nothing once they are dropped.
    error = path + ": " + (reason.find("No meshes remaining") != std::string::npos
                               ? "the model has no faces (" + reason + ")"
                               : reason);
    return false;
  }
  model = TModelData();
  for (unsigned m = 0; m < scene->mNumMaterials; ++m) AddMaterial(*scene, *scene->mMaterials[m], path, model);
  if (model.Materials.empty()) model.Materials.emplace_back();
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh& source = *scene->mMeshes[m];
    if ((source.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) continue;
    TModelMesh mesh;
    mesh.Material = source.mMaterialIndex < model.Materials.size() ? int(source.mMaterialIndex) : 0;
    mesh.Positions.reserve(std::size_t(source.mNumVertices) * 3);
    for (unsigned v = 0; v < source.mNumVertices; ++v) {
      const aiVector3D& p = source.mVertices[v];
      mesh.Positions.insert(mesh.Positions.end(), {p.x, p.y, p.z});
      if (source.mNormals != nullptr) {
        const aiVector3D& n = source.mNormals[v];
        mesh.Normals.insert(mesh.Normals.end(), {n.x, n.y, n.z});
      }
      if (source.mTextureCoords[0] != nullptr) {
        const aiVector3D& t = source.mTextureCoords[0][v];
        mesh.TexCoords.insert(mesh.TexCoords.end(), {t.x, t.y});
      }
    }
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
      const aiFace& face = source.mFaces[f];
      if (face.mNumIndices != 3) continue;
      mesh.Triangles.insert(mesh.Triangles.end(), {face.mIndices[0], face.mIndices[1], face.mIndices[2]});
    }
    if (!mesh.Triangles.empty()) model.Meshes.push_back(std::move(mesh));
  }
  return true;
}
