#include "inventorimport.h"

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SbImage.h>
#include <Inventor/SoPrimitiveVertex.h>
#include <Inventor/VRMLnodes/SoVRMLImageTexture.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/fields/SoMFNode.h>
#include <Inventor/fields/SoSFNode.h>
#include <Inventor/lists/SoFieldList.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShape.h>
#include <Inventor/nodes/SoTexture2.h>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

#include "common/fileio.h"
#include "inventortext.h"
#include "scene/shapematerial.h"
#include "scene/shapereader.h"

namespace {

// Time Coin gets in the child to read a binary model; a sound one takes well under a second.
constexpr int kBinaryModelSeconds = 60;

void CollectError(const SoError* error, void* data) {
  auto* errors = static_cast<std::string*>(data);
  std::string text = error->getDebugString().getString();
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  if (!errors->empty()) errors->append("; ");
  errors->append(text);
}

// VRML97 keeps a shape's appearance and texture in node fields, where a search does not look.
void FindVrmlImages(SoNode* node, std::vector<SoVRMLImageTexture*>& images, std::set<SoNode*>& seen) {
  if (node == nullptr || !seen.insert(node).second) return;
  if (node->isOfType(SoVRMLImageTexture::getClassTypeId())) images.push_back(static_cast<SoVRMLImageTexture*>(node));
  SoFieldList fields;
  node->getFields(fields);
  for (int i = 0; i < fields.getLength(); ++i) {
    SoField* field = fields[i];
    if (field->isOfType(SoSFNode::getClassTypeId())) {
      FindVrmlImages(static_cast<SoSFNode*>(field)->getValue(), images, seen);
    } else if (field->isOfType(SoMFNode::getClassTypeId())) {
      auto* many = static_cast<SoMFNode*>(field);
      for (int k = 0; k < many->getNum(); ++k) FindVrmlImages((*many)[k], images, seen);
    }
  }
  if (node->isOfType(SoGroup::getClassTypeId())) {
    auto* group = static_cast<SoGroup*>(node);
    for (int k = 0; k < group->getNumChildren(); ++k) FindVrmlImages(group->getChild(k), images, seen);
  }
}

// Coin reads pictures only through an image library that Debian's Coin is built without, so a
// texture node naming a file gets its pixels here.
void LoadTextureFiles(SoNode* root, const QString& folder) {
  SoSearchAction search;
  search.setType(SoTexture2::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    auto* texture = static_cast<SoTexture2*>(paths[i]->getTail());
    SbVec2s size;
    int components = 0;
    const QString file = QString::fromUtf8(texture->filename.getValue().getString());
    if (file.isEmpty() || (texture->image.getValue(size, components) != nullptr && size[0] > 0)) continue;
    QImage image(QFileInfo(file).isRelative() ? folder + "/" + file : file);
    if (image.isNull()) continue;
    image = image.convertToFormat(QImage::Format_RGBA8888).mirrored();
    texture->image.setValue(SbVec2s(short(image.width()), short(image.height())), 4, image.constBits());
  }
  search.reset();
  // VRML97 image textures name their pictures by URL; a file beside the model is what they mean.
  std::vector<SoVRMLImageTexture*> images;
  std::set<SoNode*> seen;
  FindVrmlImages(root, images, seen);
  for (SoVRMLImageTexture* texture : images) {
    for (int u = 0; u < texture->url.getNum(); ++u) {
      QString file = QString::fromUtf8(texture->url[u].getString());
      if (file.startsWith("file://")) file = file.mid(7);
      QImage image(QFileInfo(file).isRelative() ? folder + "/" + file : file);
      if (image.isNull()) continue;
      image = image.convertToFormat(QImage::Format_RGBA8888).mirrored();
      texture->setImage(SbImage(image.constBits(), SbVec2s(short(image.width()), short(image.height())), 4));
      break;
    }
  }
}

// Triangles as the callback action hands them over, gathered into meshes by material.
struct TCollector {
  TModelData* Model = nullptr;
  const SoShape* Shape = nullptr;
  std::size_t ShapeFirstMesh = 0;
  std::map<int, std::size_t> ShapeMeshes;  // material -> mesh, for the shape being drawn
  std::map<std::tuple<float, float, float, float, int>, int> Materials;
  std::map<const unsigned char*, int> Textures;
  std::vector<std::map<std::vector<float>, std::uint32_t>> Vertices;  // per mesh
  std::vector<bool> Clockwise;                                        // per mesh
  std::vector<bool> Unordered;  // per mesh: the file did not say how its faces wind

  // Files that leave the winding open often wind every face the other way round. A closed surface
  // wound inwards encloses a negative volume; such a mesh is turned round.
  void OrientUnorderedMeshes() {
    for (std::size_t m = 0; m < Model->Meshes.size() && m < Unordered.size(); ++m) {
      if (!Unordered[m]) continue;
      TModelMesh& mesh = Model->Meshes[m];
      SbVec3f middle(0, 0, 0);
      for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        middle += SbVec3f(mesh.Positions[v * 3], mesh.Positions[v * 3 + 1], mesh.Positions[v * 3 + 2]);
      }
      middle /= float(std::max<std::size_t>(1, mesh.VertexCount()));
      auto point = [&](std::uint32_t i) {
        return SbVec3f(mesh.Positions[i * 3], mesh.Positions[i * 3 + 1], mesh.Positions[i * 3 + 2]) - middle;
      };
      double volume = 0;
      for (std::size_t t = 0; t + 2 < mesh.Triangles.size(); t += 3) {
        volume += point(mesh.Triangles[t]).dot(point(mesh.Triangles[t + 1]).cross(point(mesh.Triangles[t + 2])));
      }
      if (volume < 0) {
        for (std::size_t t = 0; t + 2 < mesh.Triangles.size(); t += 3) std::swap(mesh.Triangles[t + 1], mesh.Triangles[t + 2]);
      }
      // Normals Coin made up follow the old winding; normals of the file may not. Either way they
      // should look the way the faces now do.
      auto normal = [&](std::uint32_t i) {
        return SbVec3f(mesh.Normals[i * 3], mesh.Normals[i * 3 + 1], mesh.Normals[i * 3 + 2]);
      };
      double agreement = 0;
      for (std::size_t t = 0; t + 2 < mesh.Triangles.size() && !mesh.Normals.empty(); t += 3) {
        const std::uint32_t a = mesh.Triangles[t], b = mesh.Triangles[t + 1], c = mesh.Triangles[t + 2];
        agreement += (point(b) - point(a)).cross(point(c) - point(a)).dot(normal(a) + normal(b) + normal(c));
      }
      if (agreement < 0) {
        for (float& n : mesh.Normals) n = -n;
      }
    }
  }

  int TextureOf(SoCallbackAction* action) {
    SbVec2s size;
    int components = 0;
    const unsigned char* pixels = action->getTextureImage(size, components);
    if (pixels == nullptr || size[0] <= 0 || size[1] <= 0 || components < 1 || components > 4) return -1;
    const auto found = Textures.find(pixels);
    if (found != Textures.end()) return found->second;
    TModelTexture texture;
    texture.Width = size[0];
    texture.Height = size[1];
    texture.Label = "picture " + std::to_string(Model->Textures.size() + 1);
    const std::size_t count = std::size_t(size[0]) * std::size_t(size[1]);
    texture.Rgba.resize(count * 4);
    for (std::size_t p = 0; p < count; ++p) {
      const unsigned char* in = pixels + p * std::size_t(components);
      const bool colour = components >= 3;
      texture.Rgba[p * 4 + 0] = in[0];
      texture.Rgba[p * 4 + 1] = colour ? in[1] : in[0];
      texture.Rgba[p * 4 + 2] = colour ? in[2] : in[0];
      texture.Rgba[p * 4 + 3] = components == 4 ? in[3] : (components == 2 ? in[1] : 255);
    }
    const int index = int(Model->Textures.size());
    Model->Textures.push_back(std::move(texture));
    Textures.emplace(pixels, index);
    return index;
  }

  int MaterialOf(SoCallbackAction* action, int index) {
    const TShapeMaterial current = ShapeMaterial(action, index);
    const SbColor& diffuse = current.Diffuse;
    const int texture = TextureOf(action);
    const auto key = std::make_tuple(diffuse[0], diffuse[1], diffuse[2], current.Transparency, texture);
    const auto found = Materials.find(key);
    if (found != Materials.end()) return found->second;
    TModelMaterial material;
    for (int c = 0; c < 3; ++c) material.Diffuse[c] = diffuse[c];
    material.Transparency = current.Transparency;
    material.Texture = texture;
    const int added = int(Model->Materials.size());
    Model->Materials.push_back(material);
    Materials.emplace(key, added);
    return added;
  }

  void Triangle(SoCallbackAction* action, const SoShape* shape, const SoPrimitiveVertex* const v[3]) {
    if (shape != Shape) {
      Shape = shape;
      ShapeMeshes.clear();
      ShapeFirstMesh = Model->Meshes.size();
    }
    const int material = MaterialOf(action, v[0]->getMaterialIndex());
    auto slot = ShapeMeshes.find(material);
    if (slot == ShapeMeshes.end()) {
      slot = ShapeMeshes.emplace(material, Model->Meshes.size()).first;
      Model->Meshes.emplace_back();
      Model->Meshes.back().Material = material;
      Vertices.emplace_back();
      // Faces wound clockwise, or mirrored by the transformations, are turned round when written.
      const SbMatrix& matrix = action->getModelMatrix();
      const float det = matrix.det3();
      Clockwise.push_back((action->getVertexOrdering() == SoShapeHints::CLOCKWISE) != (det < 0));
      Unordered.push_back(action->getVertexOrdering() == SoShapeHints::UNKNOWN_ORDERING);
    }
    TModelMesh& mesh = Model->Meshes[slot->second];
    const SbMatrix& matrix = action->getModelMatrix();
    const SbMatrix normalMatrix = matrix.inverse().transpose();
    std::uint32_t corner[3];
    for (int i = 0; i < 3; ++i) {
      SbVec3f p, n;
      matrix.multVecMatrix(v[i]->getPoint(), p);
      normalMatrix.multDirMatrix(v[i]->getNormal(), n);
      n.normalize();
      const SbVec4f& t = v[i]->getTextureCoords();
      const float t3 = t[3] != 0 ? t[3] : 1;
      std::vector<float> key = {p[0], p[1], p[2], n[0], n[1], n[2], t[0] / t3, t[1] / t3};
      auto& known = Vertices[slot->second];
      const auto found = known.find(key);
      if (found != known.end()) {
        corner[i] = found->second;
        continue;
      }
      corner[i] = std::uint32_t(mesh.VertexCount());
      mesh.Positions.insert(mesh.Positions.end(), key.begin(), key.begin() + 3);
      mesh.Normals.insert(mesh.Normals.end(), key.begin() + 3, key.begin() + 6);
      // Coin makes up texture coordinates for every shape; only those under a picture mean anything.
      if (Model->Materials[std::size_t(material)].Texture >= 0) {
        mesh.TexCoords.insert(mesh.TexCoords.end(), key.begin() + 6, key.end());
      }
      known.emplace(std::move(key), corner[i]);
    }
    if (Clockwise[slot->second]) std::swap(corner[1], corner[2]);
    mesh.Triangles.insert(mesh.Triangles.end(), corner, corner + 3);
  }

  static void OnTriangle(void* data, SoCallbackAction* action, const SoPrimitiveVertex* v1,
                         const SoPrimitiveVertex* v2, const SoPrimitiveVertex* v3) {
    const SoPrimitiveVertex* const v[3] = {v1, v2, v3};
    static_cast<TCollector*>(data)->Triangle(action, static_cast<const SoShape*>(action->getCurPathTail()), v);
  }
};

}  // namespace

bool IsInventorModel(const std::string& path) {
  const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
  return suffix == "iv" || suffix == "wrl" || suffix == "vrml";
}

bool ImportWithCoin(const std::string& path, TModelData& model, std::string& error) {
  InitSceneLibrary();
  // Coin's binary reader crashes or hangs on small damage: a binary file is read in a child
  // first, and only one that reads there is read here.
  std::vector<std::uint8_t> bytes;
  if (ReadWholeFile(path, bytes, error) && IsBinaryInventor(bytes)) {
    std::vector<std::uint8_t> text;
    const std::string folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    if (!BinaryInventorToText(bytes, kBinaryModelSeconds, text, error, folder)) {
      error = path + ": " + error;
      return false;
    }
  }
  error.clear();
  std::string errors;
  SoErrorCB* previous = SoReadError::getHandlerCallback();
  void* previousData = SoReadError::getHandlerData();
  SoReadError::setHandlerCallback(CollectError, &errors);
  SoSeparator* root = nullptr;
  {
    SoInput input;
    if (input.openFile(path.c_str(), TRUE)) {
      input.addDirectoryFirst(QFileInfo(QString::fromStdString(path)).absolutePath().toUtf8().constData());
      root = SoDB::readAll(&input);
    } else if (errors.empty()) {
      errors = "cannot open the file";
    }
  }
  SoReadError::setHandlerCallback(previous, previousData);
  if (root == nullptr) {
    error = path + ": " + (errors.empty() ? std::string("Coin cannot read it") : errors);
    return false;
  }
  root->ref();
  LoadTextureFiles(root, QFileInfo(QString::fromStdString(path)).absolutePath());
  model = TModelData();
  TCollector collector;
  collector.Model = &model;
  SoCallbackAction action;
  action.addTriangleCallback(SoShape::getClassTypeId(), TCollector::OnTriangle, &collector);
  action.apply(root);
  root->unref();
  collector.OrientUnorderedMeshes();
  if (model.Materials.empty()) model.Materials.emplace_back();
  return true;
}
