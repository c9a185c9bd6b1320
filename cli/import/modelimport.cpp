#include "modelimport.h"

#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>
#include <Inventor/nodes/SoTransform.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>

#include "assimpimport.h"
#include "common/fileio.h"
#include "scene/coinref.h"
#include "inventorimport.h"
#include "modelfaces.h"
#include "modellevels.h"
#include "modelplacement.h"
#include "modelsimplify.h"
#include "scene/shapereader.h"
#include "scene/worknames.h"

namespace {

// A model's textures, as the nodes and picture files the list gets for them.
class TTextureNames {
 public:
  TTextureNames(const std::string& prefix, TModelShape& shape) : Prefix(prefix), Shape(shape) {}

  // The node name for the model's picture, or empty when the picture cannot be had.
  std::string NameFor(const TModelData& model, int index, const std::string& modelFile) {
    const TModelTexture& texture = model.Textures[std::size_t(index)];
    // A picture file is the same picture whichever model shows it; one inside a model is its own.
    const std::string key = texture.File.empty() ? modelFile + "\n" + texture.Label : texture.File;
    const auto known = Names.find(key);
    if (known != Names.end()) return known->second;
    std::string file = texture.File;
    const std::string name = Prefix + std::to_string(Names.size() + 1);
    if (!texture.Encoded.empty() || !texture.Rgba.empty()) {
      if (!Shape.Scratch) Shape.Scratch = std::make_unique<QTemporaryDir>();
      file = Shape.Scratch->filePath(QString::fromStdString(name)).toStdString();
      bool written = false;
      if (!texture.Encoded.empty()) {
        file += "." + texture.Extension;
        QFile out(QString::fromStdString(file));
        written = out.open(QIODevice::WriteOnly) &&
                  out.write(reinterpret_cast<const char*>(texture.Encoded.data()), qint64(texture.Encoded.size())) ==
                      qint64(texture.Encoded.size());
      } else {
        file += ".png";
        // Rows come bottom first; a picture file has them top first.
        const QImage image = QImage(texture.Rgba.data(), texture.Width, texture.Height, texture.Width * 4,
                                    QImage::Format_RGBA8888)
                                 .mirrored();
        written = image.save(QString::fromStdString(file), "PNG");
      }
      if (!written) {
        Shape.Notes.push_back(modelFile + ": " + texture.Label + " cannot be kept; the faces show their colour");
        Names.emplace(key, std::string());
        return std::string();
      }
    } else if (!FileExists(file)) {
      file = SameNameAnyCase(file);
      if (file.empty()) {
        Shape.Notes.push_back(modelFile + ": its material shows " + texture.File +
                              ", which is not there; the faces show their colour");
        Names.emplace(key, std::string());
        return std::string();
      }
    }
    // A picture no reader here takes would stop the whole pack; the faces keep their colour instead.
    QImageReader reader(QString::fromStdString(file));
    if (!reader.canRead()) {
      Shape.Notes.push_back(modelFile + ": its picture " + texture.Label + " cannot be read (" +
                            reader.errorString().toStdString() + "); the faces show their colour");
      Names.emplace(key, std::string());
      return std::string();
    }
    TManifestItem item;
    item.Node = name;
    item.File = file;
    if (file != texture.File) {
      const std::string base = modelFile.substr(modelFile.find_last_of('/') + 1);
      item.Shown = texture.Label.find(base + ": ") != std::string::npos ? texture.Label : modelFile + ": " + texture.Label;
    }
    Shape.Textures.push_back(item);
    Names.emplace(key, name);
    return name;
  }

 private:
  std::string Prefix;
  TModelShape& Shape;
  std::map<std::string, std::string> Names;
};

QImage DecodePicture(const TModelTexture& texture) {
  if (!texture.Rgba.empty()) {
    return QImage(texture.Rgba.data(), texture.Width, texture.Height, texture.Width * 4, QImage::Format_RGBA8888)
        .mirrored();
  }
  if (!texture.Encoded.empty()) {
    return QImage::fromData(texture.Encoded.data(), int(texture.Encoded.size()));
  }
  QImageReader reader(QString::fromStdString(texture.File));
  reader.setAutoTransform(true);
  return reader.read();
}

// The program knows a work by one face set, and a face set shows one picture. A model with several
// pictures (or with faces in a picture and faces without) therefore gets them side by side in one
// picture, its texture coordinates moved to match. A picture whose coordinates run past 0..1 repeats:
// it is laid out as often as its faces reach, so each face still finds what it showed. Faces
// without a picture look at a white patch, which leaves their colour as it is. The whole is scaled
// down to fit within kMaxCombined pixels a side.
constexpr int kMaxCombined = 4096;

void CombinePictures(TModelData& model) {
  struct TSheet {
    int Texture;
    QImage Picture;
    int FromU = 0, FromV = 0, CellsU = 1, CellsV = 1;  // the repeats the faces reach
    QRect Place;
  };
  std::vector<TSheet> sheets;
  bool plain = false;
  auto slotOf = [&](int texture) {
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      if (sheets[i].Texture == texture) return i;
    }
    sheets.emplace_back();
    sheets.back().Texture = texture;
    return sheets.size() - 1;
  };
  std::map<std::size_t, std::array<float, 4>> reach;  // slot -> lowest u, v and highest u, v
  for (const TModelMesh& mesh : model.Meshes) {
    const int texture = model.Materials[std::size_t(mesh.Material)].Texture;
    if (texture < 0 || mesh.TexCoords.empty()) {
      plain = true;
      continue;
    }
    const std::size_t slot = slotOf(texture);
    auto& r = reach.emplace(slot, std::array<float, 4>{1e30f, 1e30f, -1e30f, -1e30f}).first->second;
    for (std::size_t v = 0; v + 1 < mesh.TexCoords.size(); v += 2) {
      r[0] = std::min(r[0], mesh.TexCoords[v]);
      r[1] = std::min(r[1], mesh.TexCoords[v + 1]);
      r[2] = std::max(r[2], mesh.TexCoords[v]);
      r[3] = std::max(r[3], mesh.TexCoords[v + 1]);
    }
  }
  if (sheets.empty() || (sheets.size() == 1 && !plain)) return;
  constexpr int kGap = 2;    // keeps the filtering of one picture from reaching into the next
  constexpr int kWhite = 8;  // the patch for faces without a picture
  double width = kWhite, height = kWhite;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    TSheet& slot = sheets[i];
    slot.Picture = DecodePicture(model.Textures[std::size_t(slot.Texture)]).convertToFormat(QImage::Format_RGBA8888);
    if (slot.Picture.isNull()) return;
    const auto& r = reach[i];
    // A hair past a whole number is rounding, not a repeat.
    slot.FromU = int(std::floor(r[0] + 1e-3f));
    slot.FromV = int(std::floor(r[1] + 1e-3f));
    slot.CellsU = std::max(1, int(std::ceil(r[2] - 1e-3f)) - slot.FromU);
    slot.CellsV = std::max(1, int(std::ceil(r[3] - 1e-3f)) - slot.FromV);
    if (slot.CellsU > 16 || slot.CellsV > 16) return;  // a tiled floor, not a work's skin
    width += double(slot.Picture.width()) * slot.CellsU + kGap;
    height = std::max(height, double(slot.Picture.height()) * slot.CellsV);
  }
  const double scale = std::min(1.0, std::min(kMaxCombined / width, kMaxCombined / height));
  const int combinedWidth = std::max(1, int(width * scale)), combinedHeight = std::max(1, int(height * scale));
  QImage combined(combinedWidth, combinedHeight, QImage::Format_RGBA8888);
  if (combined.isNull()) return;
  combined.fill(Qt::white);
  QPainter painter(&combined);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  double x = 0;
  for (TSheet& slot : sheets) {
    const int cellW = std::max(1, int(slot.Picture.width() * scale)), cellH = std::max(1, int(slot.Picture.height() * scale));
    const QImage cell = slot.Picture.scaled(cellW, cellH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    slot.Place = QRect(int(x), 0, cellW * slot.CellsU, cellH * slot.CellsV);
    for (int u = 0; u < slot.CellsU; ++u) {
      for (int v = 0; v < slot.CellsV; ++v) painter.drawImage(slot.Place.x() + u * cellW, v * cellH, cell);
    }
    x += slot.Place.width() + kGap * scale;
  }
  painter.end();
  const float whiteU = float((x + kWhite * scale / 2) / combinedWidth);
  const float whiteV = float(1 - kWhite * scale / 2 / combinedHeight);
  for (TModelMesh& mesh : model.Meshes) {
    const int texture = model.Materials[std::size_t(mesh.Material)].Texture;
    if (texture < 0 || mesh.TexCoords.empty()) {
      mesh.TexCoords.assign(mesh.VertexCount() * 2, 0);
      for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        mesh.TexCoords[v * 2] = whiteU;
        mesh.TexCoords[v * 2 + 1] = whiteV;
      }
      continue;
    }
    const TSheet& slot = sheets[slotOf(texture)];
    const float cellW = float(slot.Place.width()) / float(slot.CellsU);
    const float cellH = float(slot.Place.height()) / float(slot.CellsV);
    // Texture coordinates start at the bottom left; the picture's rows at the top.
    for (std::size_t v = 0; v + 1 < mesh.TexCoords.size(); v += 2) {
      mesh.TexCoords[v] = (float(slot.Place.x()) + (mesh.TexCoords[v] - float(slot.FromU)) * cellW) / float(combinedWidth);
      mesh.TexCoords[v + 1] =
          (float(combinedHeight - slot.Place.height()) + (mesh.TexCoords[v + 1] - float(slot.FromV)) * cellH) /
          float(combinedHeight);
    }
  }
  TModelTexture merged;
  merged.Width = combinedWidth;
  merged.Height = combinedHeight;
  merged.Label = "pictures of the model side by side";
  const QImage rows = combined.mirrored();
  merged.Rgba.assign(rows.constBits(), rows.constBits() + std::size_t(combinedWidth) * std::size_t(combinedHeight) * 4);
  const int index = int(model.Textures.size());
  model.Textures.push_back(std::move(merged));
  for (TModelMaterial& material : model.Materials) material.Texture = index;
}

// The viewer flies to 2.35 times the square root of the work's extent in its local X-Z plane (the
// local origin included) in front of the mean of its points. Four more points, placed
// symmetrically about that mean so that it stays where it is, widen the extent until that
// distance is at least the one asked for.
void WidenForDistance(std::vector<SbVec3f>& points, float distance) {
  if (!(distance > 0) || points.empty()) return;
  SbVec3f mean(0, 0, 0);
  float low[2] = {0, 0}, high[2] = {0, 0};
  for (const SbVec3f& p : points) {
    mean += p;
    for (int a = 0; a < 2; ++a) {
      low[a] = std::min(low[a], p[a * 2]);
      high[a] = std::max(high[a], p[a * 2]);
    }
  }
  mean /= float(points.size());
  const auto reach = [](float wanted) { return double(wanted) / 2.35 * double(wanted) / 2.35; };
  if (double(high[0] - low[0]) * double(high[1] - low[1]) >= reach(distance)) return;
  const float halfX = std::max(0.05f, (high[0] - low[0]) / 2), halfZ = std::max(0.05f, (high[1] - low[1]) / 2);
  for (float s = 1; s < 1e4f; s *= 1.02f) {
    const float x0 = std::min(low[0], mean[0] - s * halfX), x1 = std::max(high[0], mean[0] + s * halfX);
    const float z0 = std::min(low[1], mean[2] - s * halfZ), z1 = std::max(high[1], mean[2] + s * halfZ);
    if (double(x1 - x0) * double(z1 - z0) < reach(distance)) continue;
    for (const float dx : {-1.0f, 1.0f}) {
      for (const float dz : {-1.0f, 1.0f}) points.push_back(mean + SbVec3f(dx * s * halfX, 0, dz * s * halfZ));
    }
    return;
  }
}

// Values the face set's indices name vertex by vertex (normals, texture coordinates), then
// their binding.
template <typename Binding>
void AddPerVertex(SoSeparator* group, SoNode* values) {
  group->addChild(values);
  auto* binding = new Binding;
  binding->value = Binding::PER_VERTEX_INDEXED;
  group->addChild(binding);
}

// One model as a separator: its transformation, the shared vertex lists, the material and one face
// set for each picture (and one for the faces without), on each level of detail.
SoSeparator* ModelNode(const TModelData& model, const std::vector<TModelLevel>& levels, const TModelPose& pose,
                       const TManifestModel& where, TTextureNames& names, const std::string& modelFile) {
  auto* group = new SoSeparator;
  auto* transform = new SoTransform;
  transform->translation.setValue(pose.Translation);
  transform->rotation.setValue(pose.Rotation);
  group->addChild(transform);

  auto* coordinates = new SoCoordinate3;
  bool anyNormals = false, anyTexCoords = false;
  std::vector<SbVec3f> points, directions;
  std::vector<SbVec2f> maps;
  std::vector<std::uint32_t> firstVertex;
  for (const TModelMesh& mesh : model.Meshes) {
    firstVertex.push_back(std::uint32_t(points.size()));
    anyNormals = anyNormals || !mesh.Normals.empty();
    anyTexCoords = anyTexCoords || !mesh.TexCoords.empty();
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
      points.emplace_back(mesh.Positions[v * 3], mesh.Positions[v * 3 + 1], mesh.Positions[v * 3 + 2]);
      directions.push_back(mesh.Normals.empty()
                               ? SbVec3f(0, 1, 0)
                               : SbVec3f(mesh.Normals[v * 3], mesh.Normals[v * 3 + 1], mesh.Normals[v * 3 + 2]));
      maps.push_back(mesh.TexCoords.empty() ? SbVec2f(0, 0)
                                            : SbVec2f(mesh.TexCoords[v * 2], mesh.TexCoords[v * 2 + 1]));
    }
  }
  WidenForDistance(points, where.Distance);
  coordinates->point.setValues(0, int(points.size()), points.data());
  group->addChild(coordinates);
  if (anyNormals) {
    auto* normals = new SoNormal;
    normals->vector.setValues(0, int(directions.size()), directions.data());
    AddPerVertex<SoNormalBinding>(group, normals);
  }
  if (anyTexCoords) {
    auto* texCoords = new SoTextureCoordinate2;
    texCoords->point.setValues(0, int(maps.size()), maps.data());
    AddPerVertex<SoTextureCoordinateBinding>(group, texCoords);
  }
  // Pictures normally share one by now (CombinePictures). Where they could not (one that cannot be
  // decoded, or repeats beyond reason), the program still knows a work by one face set: the one of
  // the picture that covers most faces; the rest are parts without a name. They share the
  // coordinates, so the work's centre and size still take in the whole model.
  TModelFaces faces;
  faces.Model = &model;
  faces.FirstVertex = firstVertex;
  for (const TModelMesh& mesh : model.Meshes) {
    const TModelMaterial& source = model.Materials[std::size_t(mesh.Material)];
    faces.Pictures.push_back(source.Texture >= 0 ? names.NameFor(model, source.Texture, modelFile) : std::string());
  }
  if (where.HasWork) faces.Work = WorkName(where.Work);
  SbVec3f centre(0, 0, 0);
  for (const SbVec3f& p : points) centre += p;
  centre /= float(points.size());
  AddModelFaces(group, faces, levels, LevelRanges(points, pose.Rotation, pose.Translation, levels.size() - 1), centre);
  return group;
}

void* GrowBuffer(void* buffer, size_t size) { return std::realloc(buffer, size); }

std::string WriteText(SoNode* root) {
  SoOutput output;
  void* start = std::malloc(1 << 16);
  output.setBuffer(start, 1 << 16, GrowBuffer);
  // A scan's vertices make most of the text: six digits keep a 10 m room to 0.1 mm, and without
  // the indentation the text is a third shorter to store and to read.
  output.setFloatPrecision(6);
  output.setCompact(TRUE);
  SoWriteAction write(&output);
  write.apply(root);
  void* buffer = nullptr;
  size_t size = 0;
  output.getBuffer(buffer, size);
  std::string text(static_cast<const char*>(buffer), size);
  output.resetBuffer();
  std::free(buffer);
  return text;
}

bool ReadModel(const std::string& path, TModelData& model, std::string& error) {
  if (IsInventorModel(path)) return ImportWithCoin(path, model, error);
  if (!IsAssimpModel(path)) {
    error = path + ": not a model this tool reads (glTF, GLB, OBJ, PLY, STL, DAE, 3DS, FBX, IV, WRL)";
    return false;
  }
  return ImportWithAssimp(path, model, error);
}

}  // namespace

bool MeasureModel(const std::string& path, const TManifestModel& where, TModelPose& pose, SbVec3f& mean,
                  std::string& error) {
  InitSceneLibrary();
  TModelData model;
  if (!ReadModel(path, model, error)) return false;
  if (model.FaceCount() == 0) {
    error = path + ": the model has no faces";
    return false;
  }
  if (!PlaceModel(model, where, pose, error)) {
    error = path + ": " + error;
    return false;
  }
  double sum[3] = {0, 0, 0};
  std::size_t count = 0;
  for (const TModelMesh& mesh : model.Meshes) {
    for (std::size_t i = 0; i + 2 < mesh.Positions.size(); i += 3, ++count) {
      for (int a = 0; a < 3; ++a) sum[a] += mesh.Positions[i + a];
    }
  }
  mean.setValue(float(sum[0] / double(count)), float(sum[1] / double(count)), float(sum[2] / double(count)));
  return true;
}

bool BuildModelShape(const std::vector<TPlacedModelFile>& models, const std::vector<std::uint8_t>* shapeText,
                     const std::string& texturePrefix, TModelShape& shape, std::string& error) {
  InitSceneLibrary();
  shape = TModelShape();
  const TCoinRef<SoSeparator> root(new SoSeparator);
  if (shapeText != nullptr) {
    std::string errors;
    SoNode* own = ReadShapeText(shapeText->data(), shapeText->size(), &errors);
    if (own == nullptr) {
      error = "the shape text cannot be read: " + errors;
      while (!error.empty() && error.back() == '\n') error.pop_back();
      return false;
    }
    root->addChild(own);
  }
  TTextureNames names(texturePrefix, shape);
  for (const TPlacedModelFile& file : models) {
    TModelData model;
    if (!ReadModel(file.Path, model, error)) return false;
    const std::size_t faces = model.FaceCount();
    if (faces == 0) {
      error = file.Path + ": the model has no faces";
      return false;
    }
    if (faces > kModelFaceBudget) {
      const std::size_t after = SimplifyModel(model);
      shape.Notes.push_back(file.Model.File + ": " + std::to_string(faces) + " faces, simplified to " +
                            std::to_string(after));
    }
    CombinePictures(model);
    const std::vector<TModelLevel> levels = MakeModelLevels(model);
    if (levels.size() > 1) {
      std::string sizes;
      for (std::size_t l = 1; l < levels.size(); ++l) sizes += (l > 1 ? " and " : "") + std::to_string(levels[l].Faces);
      shape.Notes.push_back(file.Model.File + ": seen from afar as " + sizes + " faces");
    }
    TModelPose pose;
    if (!PlaceModel(model, file.Model, pose, error)) {
      error = file.Path + ": " + error;
      return false;
    }
    SoSeparator* node = ModelNode(model, levels, pose, file.Model, names, file.Model.File);
    root->addChild(node);
    if (SoSeparator* plinth = PlinthNode(file.Model)) root->addChild(plinth);
    const std::string standing = StandingRemark(file.Model);
    if (!standing.empty()) shape.Notes.push_back(file.Model.File + ": " + standing);
  }
  shape.Text = WriteText(root.get());
  return true;
}
