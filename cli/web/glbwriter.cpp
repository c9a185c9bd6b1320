#include "glbwriter.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>
#include <future>
#include <limits>

#include "data/workerpool.h"

namespace {

// glTF names buffer targets, component types and sampler settings by their OpenGL numbers.
enum GlNumber : int {
  kArrayBuffer = 34962,
  kElementArrayBuffer = 34963,
  kFloat = 5126,
  kUnsignedShort = 5123,
  kUnsignedInt = 5125,
  kRepeat = 10497,
  kClampToEdge = 33071,
  kLinear = 9729,
  kLinearMipmapLinear = 9987,
};

bool HasTransparency(const TScenePicture& picture) {
  if (picture.Components != 2 && picture.Components != 4) return false;
  const std::size_t step = static_cast<std::size_t>(picture.Components);
  for (std::size_t i = step - 1; i < picture.Bytes(); i += step) {
    if (picture.Pixels[i] != 255) return true;
  }
  return false;
}

QImage ToImage(const TScenePicture& picture, bool alpha) {
  QImage image(picture.Width, picture.Height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  const int components = picture.Components;
  for (int y = 0; y < picture.Height; ++y) {
    // Coin's first row is the bottom one.
    const std::uint8_t* source = picture.Pixels + std::size_t(picture.Height - 1 - y) * picture.Width * components;
    uchar* target = image.scanLine(y);
    for (int x = 0; x < picture.Width; ++x, source += components) {
      const bool grey = components < 3;
      const std::uint8_t r = source[0], g = grey ? source[0] : source[1], b = grey ? source[0] : source[2];
      *target++ = r;
      *target++ = g;
      *target++ = b;
      if (alpha) *target++ = components == 2 ? source[1] : source[3];
    }
  }
  return image;
}

// Collects the binary chunk: every view starts on a four-byte boundary.
class TBinary {
 public:
  int AddView(const void* data, std::size_t length, int target) {
    while (Bytes.size() % 4 != 0) Bytes.push_back(0);
    QJsonObject view{{"buffer", 0}, {"byteOffset", static_cast<qint64>(Bytes.size())},
                     {"byteLength", static_cast<qint64>(length)}};
    if (target != 0) view["target"] = target;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    Bytes.insert(Bytes.end(), bytes, bytes + length);
    Views.append(view);
    return Views.size() - 1;
  }
  std::vector<std::uint8_t> Bytes;
  QJsonArray Views;
};

QJsonArray Array3(const float* values) { return QJsonArray{double(values[0]), double(values[1]), double(values[2])}; }

class TGltfBuilder {
 public:
  TGltfBuilder(const TSceneMesh& mesh, const TGlbOptions& options) : Mesh(mesh), Options(options) {}

  TGlbResult Build() {
    TGlbResult result;
    AddPictures(result);
    AddMaterials();
    QJsonArray room, works;
    for (const TSceneGroup& group : Mesh.Groups) {
      if (group.Primitives.empty()) continue;
      const int node = AddGroup(group);
      (group.Pickable ? works : room).append(node);
    }
    const int roomNode = Nodes.size();
    Nodes.append(QJsonObject{{"name", "room"}, {"children", room}});
    const int worksNode = Nodes.size();
    Nodes.append(QJsonObject{{"name", "works"}, {"children", works}});
    if (room.isEmpty()) Nodes[roomNode] = QJsonObject{{"name", "room"}};
    if (works.isEmpty()) Nodes[worksNode] = QJsonObject{{"name", "works"}};

    QJsonObject gltf{{"asset", QJsonObject{{"version", "2.0"}, {"generator", "pinacora-data web"}}},
                     {"scene", 0},
                     {"scenes", QJsonArray{QJsonObject{{"nodes", QJsonArray{roomNode, worksNode}}}}},
                     {"nodes", Nodes}};
    if (!Meshes.isEmpty()) gltf["meshes"] = Meshes;
    if (!Materials.isEmpty()) gltf["materials"] = Materials;
    if (!Accessors.isEmpty()) gltf["accessors"] = Accessors;
    if (!Images.isEmpty()) {
      gltf["images"] = Images;
      gltf["textures"] = Textures;
      gltf["samplers"] = Samplers;
    }
    if (!Binary.Bytes.empty()) {
      while (Binary.Bytes.size() % 4 != 0) Binary.Bytes.push_back(0);
      gltf["buffers"] = QJsonArray{QJsonObject{{"byteLength", static_cast<qint64>(Binary.Bytes.size())}}};
      gltf["bufferViews"] = Binary.Views;
    }
    result.Bytes = Container(QJsonDocument(gltf).toJson(QJsonDocument::Compact));
    return result;
  }

 private:
  // The pictures are encoded on every processor, then stored in their order.
  void AddPictures(TGlbResult& result) {
    const std::size_t count = Mesh.Pictures.size();
    std::vector<std::vector<std::uint8_t>> encoded(count);
    std::vector<std::string> mimes(count);
    std::vector<char> scaled(count, 0);
    {
      TWorkerPool pool;
      std::vector<std::future<void>> done;
      for (std::size_t i = 0; i < count; ++i) {
        done.push_back(pool.Run([this, i, &encoded, &mimes, &scaled] {
          bool wasScaled = false;
          encoded[i] = EncodePicture(Mesh.Pictures[i], Options.MaxTextureSide, Options.JpegQuality, mimes[i], wasScaled);
          scaled[i] = wasScaled;
        }));
      }
      for (std::future<void>& job : done) job.get();
    }
    for (std::size_t i = 0; i < count; ++i) {
      const TScenePicture& picture = Mesh.Pictures[i];
      if (scaled[i]) ++result.PicturesScaled;
      const int view = Binary.AddView(encoded[i].data(), encoded[i].size(), 0);
      std::vector<std::uint8_t>().swap(encoded[i]);
      Images.append(QJsonObject{{"bufferView", view}, {"mimeType", QString::fromStdString(mimes[i])}});
      Samplers.append(QJsonObject{{"magFilter", kLinear},
                                  {"minFilter", kLinearMipmapLinear},
                                  {"wrapS", picture.RepeatS ? kRepeat : kClampToEdge},
                                  {"wrapT", picture.RepeatT ? kRepeat : kClampToEdge}});
      Textures.append(QJsonObject{{"source", Images.size() - 1}, {"sampler", Samplers.size() - 1}});
      PictureAlpha.push_back(mimes[i] == "image/png");
    }
  }

  void AddMaterials() {
    for (const TSceneMaterial& material : Mesh.Materials) {
      QJsonObject pbr{{"baseColorFactor", QJsonArray{double(material.Diffuse[0]), double(material.Diffuse[1]),
                                                     double(material.Diffuse[2]), double(material.Opacity)}},
                      {"metallicFactor", 0.0},
                      {"roughnessFactor", 1.0}};
      const bool pictureAlpha = material.Picture >= 0 && PictureAlpha[material.Picture];
      if (material.Picture >= 0) pbr["baseColorTexture"] = QJsonObject{{"index", material.Picture}};
      QJsonObject json{{"pbrMetallicRoughness", pbr}};
      if (material.Emissive[0] > 0 || material.Emissive[1] > 0 || material.Emissive[2] > 0) {
        json["emissiveFactor"] = Array3(material.Emissive);
      }
      if (material.Opacity < 1.0f || pictureAlpha) json["alphaMode"] = "BLEND";
      Materials.append(json);
    }
  }

  int AddAccessor(const std::vector<float>& values, int components, bool bounds) {
    const int view = Binary.AddView(values.data(), values.size() * sizeof(float), kArrayBuffer);
    static const char* const kTypes[] = {"", "SCALAR", "VEC2", "VEC3", "VEC4"};
    QJsonObject accessor{{"bufferView", view},
                         {"componentType", kFloat},
                         {"count", static_cast<qint64>(values.size() / components)},
                         {"type", kTypes[components]}};
    if (bounds) {
      QJsonArray low, high;
      for (int k = 0; k < components; ++k) {
        float lo = std::numeric_limits<float>::max(), hi = std::numeric_limits<float>::lowest();
        for (std::size_t i = k; i < values.size(); i += components) {
          lo = std::min(lo, values[i]);
          hi = std::max(hi, values[i]);
        }
        low.append(double(lo));
        high.append(double(hi));
      }
      accessor["min"] = low;
      accessor["max"] = high;
    }
    Accessors.append(accessor);
    return Accessors.size() - 1;
  }

  int AddIndices(const std::vector<std::uint32_t>& indices, std::size_t vertexCount) {
    int view = 0;
    int type = kUnsignedInt;
    if (vertexCount <= 65535) {
      const std::vector<std::uint16_t> shorts(indices.begin(), indices.end());
      view = Binary.AddView(shorts.data(), shorts.size() * 2, kElementArrayBuffer);
      type = kUnsignedShort;
    } else {
      view = Binary.AddView(indices.data(), indices.size() * 4, kElementArrayBuffer);
    }
    Accessors.append(QJsonObject{{"bufferView", view},
                                 {"componentType", type},
                                 {"count", static_cast<qint64>(indices.size())},
                                 {"type", "SCALAR"}});
    return Accessors.size() - 1;
  }

  int AddGroup(const TSceneGroup& group) {
    QJsonArray primitives;
    for (const TScenePrimitive& primitive : group.Primitives) {
      QJsonObject attributes{{"POSITION", AddAccessor(primitive.Positions, 3, true)},
                             {"NORMAL", AddAccessor(primitive.Normals, 3, false)}};
      if (!primitive.TexCoords.empty()) attributes["TEXCOORD_0"] = AddAccessor(primitive.TexCoords, 2, false);
      primitives.append(QJsonObject{{"attributes", attributes},
                                    {"indices", AddIndices(primitive.Indices, primitive.Positions.size() / 3)},
                                    {"material", primitive.Material},
                                    {"mode", 4}});
    }
    const QString name = QString::fromStdString(group.Name);
    Meshes.append(QJsonObject{{"name", name}, {"primitives", primitives}});
    QJsonObject node{{"name", name}, {"mesh", Meshes.size() - 1}};
    if (group.Work >= 0) node["extras"] = QJsonObject{{"opera", static_cast<qint64>(group.Work)}};
    Nodes.append(node);
    return Nodes.size() - 1;
  }

  static void PutUint32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }

  std::vector<std::uint8_t> Container(QByteArray json) const {
    while (json.size() % 4 != 0) json.append(' ');
    const bool withBinary = !Binary.Bytes.empty();
    std::vector<std::uint8_t> out;
    const std::size_t total = 12 + 8 + json.size() + (withBinary ? 8 + Binary.Bytes.size() : 0);
    out.reserve(total);
    PutUint32(out, 0x46546C67);  // "glTF"
    PutUint32(out, 2);
    PutUint32(out, static_cast<std::uint32_t>(total));
    PutUint32(out, static_cast<std::uint32_t>(json.size()));
    PutUint32(out, 0x4E4F534A);  // "JSON"
    out.insert(out.end(), json.constData(), json.constData() + json.size());
    if (withBinary) {
      PutUint32(out, static_cast<std::uint32_t>(Binary.Bytes.size()));
      PutUint32(out, 0x004E4942);  // "BIN\0"
      out.insert(out.end(), Binary.Bytes.begin(), Binary.Bytes.end());
    }
    return out;
  }

  const TSceneMesh& Mesh;
  TGlbOptions Options;
  TBinary Binary;
  QJsonArray Nodes, Meshes, Materials, Accessors, Images, Textures, Samplers;
  std::vector<bool> PictureAlpha;
};

}  // namespace

std::vector<std::uint8_t> EncodePicture(const TScenePicture& picture, int maxSide, int jpegQuality,
                                        std::string& mimeType, bool& scaled) {
  const bool alpha = HasTransparency(picture);
  QImage image = ToImage(picture, alpha);
  scaled = std::max(image.width(), image.height()) > maxSide;
  if (scaled) image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  mimeType = alpha ? "image/png" : "image/jpeg";
  image.save(&buffer, alpha ? "PNG" : "JPEG", alpha ? -1 : jpegQuality);
  return std::vector<std::uint8_t>(bytes.constData(), bytes.constData() + bytes.size());
}

TGlbResult WriteGlb(const TSceneMesh& mesh, const TGlbOptions& options) {
  return TGltfBuilder(mesh, options).Build();
}
