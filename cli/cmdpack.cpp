// pack: a whole data file from a JSON manifest, written list by list.
#include <QString>
#include <QTextCodec>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "args.h"
#include "audioimport.h"
#include "commands.h"
#include "cp1252.h"
#include "deflate.h"
#include "fileio.h"
#include "gxformat.h"
#include "gxwriter.h"
#include "imageimport.h"
#include "inventorscan.h"
#include "manifest.h"
#include "modelimport.h"

namespace {

const char kHelp[] =
    "Usage: pinacora-data pack MANIFEST -o FILE [-I FOLDER]... [--quiet | --progress]\n"
    "\n"
    "Writes a complete data file from a JSON manifest:\n"
    "\n"
    "  { \"lists\": [\n"
    "      { \"kind\": \"scene\", \"id\": 110, \"name\": \"Sala\", \"shape\": \"sala.iv\",\n"
    "        \"textures\": [ { \"node\": \"TEX_301\", \"file\": \"301.png\" } ] },\n"
    "      { \"kind\": \"sound\", \"id\": 201, \"name\": \"Preludio\", \"file\": \"preludio.wav\" },\n"
    "      { \"kind\": \"opera\", \"id\": 301, \"name\": \"Natività\",\n"
    "        \"notes\": [ { \"name\": \"Scheda\", \"file\": \"301.rtf\" } ],\n"
    "        \"movies\": [ { \"name\": \"Restauro\", \"file\": \"301.wmv\", \"userId\": 7 } ] } ] }\n"
    "\n"
    "Lists are written in manifest order, each with UserId equal to its id. Shapes are Inventor\n"
    "or VRML text; textures PNG or JPEG, at most 32767 pixels a side; sounds any file libsndfile\n"
    "reads, stored as 16-bit mono 11025 Hz; notes RTF (stored as is) or UTF-8 plain text (turned\n"
    "into RTF); movies are stored as is. Chunks carry their list's id and, unless \"userId\" is\n"
    "given, their index in the list. Names are UTF-8 and must have a Windows-1252 form of at most\n"
    "255 bytes.\n"
    "\n"
    "A scene list may hold, besides or instead of its \"shape\", 3D models that become works:\n"
    "\n"
    "  \"models\": [ { \"file\": \"busto.glb\", \"work\": 309, \"position\": [4, 0, -2],\n"
    "                \"facing\": 180, \"height\": 0.6, \"up\": \"+z\", \"front\": \"-y\" } ]\n"
    "\n"
    "  file      glTF 2 (.gltf, .glb), OBJ with its MTL, PLY, STL, COLLADA (.dae), 3DS, FBX,\n"
    "            Inventor (.iv, text or binary) or VRML97 (.wrl)\n"
    "  work      the opera it shows: its faces are named KD_<work>; leave it out for decoration\n"
    "  position  where its base centre stands, in room coordinates (default [0, 0, 0])\n"
    "  facing    the direction its front looks, degrees about the vertical (0 = +Z, 90 = +X)\n"
    "  height    its height in metres, or \"scale\": a factor; else its size as modelled\n"
    "  up, front the model's own up and front axes (\"+x\" ... \"-z\"), when they are not +y\n"
    "            and +z as in glTF; scans and CAD exports often have \"up\": \"+z\"\n"
    "\n"
    "The list's shape and its models become one shape text. Base-colour pictures of the models\n"
    "(files beside them, or embedded in a .glb) become textures under the rules above. A model\n"
    "above 200000 faces is simplified to that many, saying so; one that cannot be read or has no\n"
    "faces is refused with the reader's reason.\n"
    "\n"
    "Paths are relative to the manifest's folder; a file not found there is looked for in each\n"
    "FOLDER given with -I, in order. FILE is replaced only when packing succeeds. Progress goes\n"
    "to standard error for large exhibitions (or always with --progress).\n";

// Large enough that a curator wants to see it moving.
constexpr std::uint64_t kProgressBytes = std::uint64_t(32) << 20;
constexpr std::size_t kProgressLists = 40;

std::uint64_t FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
}

// Plain UTF-8 text as RTF with Windows-1252 escapes, one paragraph per line.
std::string PlainTextToRtf(const std::vector<std::uint8_t>& bytes) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
  QTextCodec* codec = QTextCodec::codecForName("Windows-1252");
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs22\n";
  char escape[16];
  for (const QChar c : text) {
    const ushort u = c.unicode();
    if (u == '\\' || u == '{' || u == '}') {
      rtf += '\\';
      rtf += char(u);
    } else if (u == '\n') {
      rtf += "\\par\n";
    } else if (u == '\r' || u == 0xFEFF) {  // line ends come as \n; a byte-order mark is not text
      continue;
    } else if (u == '\t') {
      rtf += "\\tab ";
    } else if (u >= 0x20 && u < 0x7F) {
      rtf += char(u);
    } else if (u < 0x20) {
      continue;
    } else if (codec != nullptr && codec->canEncode(c)) {
      const QByteArray b = codec->fromUnicode(QString(c));
      std::snprintf(escape, sizeof escape, "\\'%02x", unsigned(std::uint8_t(b.at(0))));
      rtf += escape;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%d?", int(static_cast<short>(u)));
      rtf += escape;
    }
  }
  rtf += "\n}\n";
  return rtf;
}

class TPacker {
 public:
  TPacker(const TManifest& manifest, std::vector<std::string> searchFolders)
      : Manifest(manifest), SearchFolders(std::move(searchFolders)) {}

  std::string Error;
  std::uint64_t InputBytes = 0;

  // Finds every input before anything heavy happens, so that a missing file costs nothing.
  bool ResolveAll() {
    for (const TManifestList& list : Manifest.Lists) {
      const std::string where = ListLabel(list);
      std::string ignored;
      if (!EncodeName(list.Name, where, ignored)) return false;
      for (const std::string* file : InputsOf(list)) {
        std::string resolved;
        if (!Resolve(*file, where, resolved)) return false;
        InputBytes += FileSize(resolved);
      }
    }
    return true;
  }

  bool Pack(const std::string& output, bool progress) {
    TGXFileWriter writer;
    if (!writer.Open(output)) return Fail(writer.Error());
    std::size_t done = 0;
    for (const TManifestList& list : Manifest.Lists) {
      TGXChunkList chunks;
      if (!BuildList(list, chunks)) return false;
      if (!writer.AppendList(chunks)) return Fail(ListLabel(list) + ": " + writer.Error());
      ++done;
      if (progress) {
        std::fprintf(stderr, "pinacora-data pack: [%zu/%zu] %s\n", done, Manifest.Lists.size(), ListLabel(list).c_str());
      }
    }
    if (!writer.Finish()) return Fail(writer.Error());
    return true;
  }

 private:
  bool Fail(const std::string& message) {
    Error = message;
    return false;
  }

  static std::string ListLabel(const TManifestList& list) {
    return "list " + std::to_string(list.Id) + " '" + list.Name + "'";
  }

  static std::vector<const std::string*> InputsOf(const TManifestList& list) {
    std::vector<const std::string*> files;
    if (list.ListKind == TManifestList::Kind::Scene && !list.Shape.empty()) files.push_back(&list.Shape);
    if (list.ListKind == TManifestList::Kind::Sound) files.push_back(&list.Sound.File);
    for (const auto* items : {&list.Textures, &list.Notes, &list.Movies}) {
      for (const TManifestItem& item : *items) files.push_back(&item.File);
    }
    for (const TManifestModel& model : list.Models) files.push_back(&model.File);
    return files;
  }

  bool Resolve(const std::string& file, const std::string& where, std::string& resolved) {
    if (!file.empty() && file[0] == '/') {
      resolved = file;
      if (FileExists(resolved)) return true;
    } else {
      resolved = Manifest.Folder + "/" + file;
      if (FileExists(resolved)) return true;
      for (const std::string& folder : SearchFolders) {
        const std::string candidate = folder + "/" + file;
        if (FileExists(candidate)) {
          resolved = candidate;
          return true;
        }
      }
    }
    return Fail(where + ": " + file + ": no such file (looked in " + Manifest.Folder +
                (SearchFolders.empty() ? std::string() : " and the -I folders") + ")");
  }

  bool EncodeName(const std::string& utf8, const std::string& where, std::string& bytes) {
    if (!Utf8ToCp1252(utf8, bytes)) return Fail(where + ": name '" + utf8 + "' has characters Windows-1252 cannot hold");
    if (bytes.size() > 255) {
      return Fail(where + ": name '" + utf8.substr(0, 40) + "...' is " + std::to_string(bytes.size()) +
                  " bytes; at most 255 fit");
    }
    return true;
  }

  // Fills a chunk's identity: its list's Id, its index (or the given UserId), its encoded name.
  bool Identify(TGXChunk& chunk, const TManifestList& list, std::int32_t index, const TManifestItem* item,
                const std::string& name, const std::string& where) {
    chunk.Id = list.Id;
    chunk.UserId = item != nullptr && item->HasUserId ? item->UserId : index;
    return EncodeName(name, where, chunk.Name);
  }

  bool Compressed(TGXChunk& chunk, const std::vector<std::uint8_t>& plain, const std::string& where) {
    std::string error;
    std::vector<std::uint8_t> packed = DeflateBytes(plain, error);
    if (packed.empty()) return Fail(where + ": " + error);
    chunk.AssignData(std::move(packed));
    return true;
  }

  bool Stored(TGXChunk& chunk, std::vector<std::uint8_t> bytes, const std::string& path, const std::string& where) {
    if (bytes.empty()) return Fail(where + ": " + path + ": the file is empty");
    chunk.AssignData(std::move(bytes));
    return true;
  }

  bool BuildList(const TManifestList& list, TGXChunkList& chunks) {
    const std::string where = ListLabel(list);
    chunks.Id = list.Id;
    chunks.UserId = list.Id;
    if (!EncodeName(list.Name, where, chunks.Name)) return false;
    switch (list.ListKind) {
      case TManifestList::Kind::Scene: chunks.Type = gx::kListScene; return BuildScene(list, chunks, where);
      case TManifestList::Kind::Sound: chunks.Type = gx::kListSound; return BuildSound(list, chunks, where);
      case TManifestList::Kind::Opera: chunks.Type = gx::kListOpera; return BuildOpera(list, chunks, where);
    }
    return false;
  }

  // The list's models and its own shape, if any, become one shape text: the program reads only
  // the last shape chunk of a list.
  bool BuildModels(const TManifestList& list, const std::vector<std::uint8_t>* own, TModelShape& models,
                   const std::string& where) {
    std::vector<TPlacedModelFile> files;
    for (const TManifestModel& model : list.Models) {
      TPlacedModelFile file;
      file.Model = model;
      if (!Resolve(model.File, where, file.Path)) return false;
      files.push_back(std::move(file));
    }
    std::string error;
    if (!BuildModelShape(files, own, "MODELTEX_" + std::to_string(list.Id) + "_", models, error)) {
      return Fail(where + ": " + (own != nullptr && files.empty() ? list.Shape + ": " : std::string()) + error);
    }
    for (const std::string& note : models.Notes) std::fprintf(stderr, "pinacora-data pack: %s: %s\n", where.c_str(), note.c_str());
    return true;
  }

  bool BuildScene(const TManifestList& list, TGXChunkList& chunks, const std::string& where) {
    std::string path, error;
    std::vector<std::uint8_t> text;
    if (!list.Shape.empty()) {
      if (!Resolve(list.Shape, where, path)) return false;
      if (!ReadWholeFile(path, text, error)) return Fail(where + ": " + error);
      if (!HasSceneHeader(std::string(text.begin(), text.begin() + std::min<std::size_t>(text.size(), 16)))) {
        return Fail(where + ": " + path + ": not Inventor or VRML text (no \"#Inventor\" or \"#VRML\" header)");
      }
    }
    TModelShape models;
    std::vector<TManifestItem> textures = list.Textures;
    if (!list.Models.empty()) {
      if (!BuildModels(list, list.Shape.empty() ? nullptr : &text, models, where)) return false;
      text.assign(models.Text.begin(), models.Text.end());
      textures.insert(textures.end(), models.Textures.begin(), models.Textures.end());
    }
    auto shape = std::make_unique<TGXChunkVrmlShape>();
    const std::string shapeName = list.Shape.empty() ? BaseName(list.Models.front().File) : BaseName(list.Shape);
    if (!Identify(*shape, list, chunks.GetCount(), nullptr, shapeName, where) ||
        !Compressed(*shape, text, where + ": " + (path.empty() ? shapeName : path))) {
      return false;
    }
    chunks.Append(std::move(shape));
    for (const TManifestItem& item : textures) {
      TTexturePixels pixels;
      if (!Resolve(item.File, where, path)) return false;
      if (!ImportTexture(path, pixels, error)) return Fail(where + ": " + error);
      auto image = std::make_unique<TGXChunkImageRawRgba>();
      if (!Identify(*image, list, chunks.GetCount(), nullptr, item.Node, where) ||
          !Compressed(*image, pixels.Bytes, where + ": " + path)) {
        return false;
      }
      image->Width = pixels.Width;
      image->Height = pixels.Height;
      image->Components = pixels.Components;
      chunks.Append(std::move(image));
    }
    return true;
  }

  bool BuildSound(const TManifestList& list, TGXChunkList& chunks, const std::string& where) {
    std::string path, error;
    std::vector<std::uint8_t> samples;
    if (!Resolve(list.Sound.File, where, path)) return false;
    if (!ImportSound(path, samples, error)) return Fail(where + ": " + error);
    auto wave = std::make_unique<TGXChunkWav>();
    if (!Identify(*wave, list, 0, &list.Sound, BaseName(list.Sound.File), where) ||
        !Compressed(*wave, samples, where + ": " + path)) {
      return false;
    }
    chunks.Append(std::move(wave));
    return true;
  }

  bool BuildOpera(const TManifestList& list, TGXChunkList& chunks, const std::string& where) {
    std::string path, error;
    for (const TManifestItem& item : list.Notes) {
      std::vector<std::uint8_t> bytes;
      if (!Resolve(item.File, where, path)) return false;
      if (!ReadWholeFile(path, bytes, error)) return Fail(where + ": " + error);
      static const char kRtfStart[] = "{\\rtf";
      if (!bytes.empty() && (bytes.size() < 5 || std::memcmp(bytes.data(), kRtfStart, 5) != 0)) {
        const std::string rtf = PlainTextToRtf(bytes);
        bytes.assign(rtf.begin(), rtf.end());
      }
      auto note = std::make_unique<TGXChunkRtf>();
      const std::string name = item.Name.empty() ? BaseName(item.File) : item.Name;
      if (!Identify(*note, list, chunks.GetCount(), &item, name, where) ||
          !Stored(*note, std::move(bytes), path, where)) {
        return false;
      }
      chunks.Append(std::move(note));
    }
    for (const TManifestItem& item : list.Movies) {
      std::vector<std::uint8_t> bytes;
      if (!Resolve(item.File, where, path)) return false;
      if (!ReadWholeFile(path, bytes, error)) return Fail(where + ": " + error);
      auto movie = std::make_unique<TGXChunkWmv>();
      const std::string name = item.Name.empty() ? BaseName(item.File) : item.Name;
      if (!Identify(*movie, list, chunks.GetCount(), &item, name, where) ||
          !Stored(*movie, std::move(bytes), path, where)) {
        return false;
      }
      chunks.Append(std::move(movie));
    }
    return true;
  }

  const TManifest& Manifest;
  std::vector<std::string> SearchFolders;
};

}  // namespace

int CommandPack(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {"-o", "-I"}, {"--quiet", "--progress"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  const std::string output = args.Value("-o");
  if (!args.Error.empty() || args.Positional.size() != 1 || output.empty()) {
    return Refuse("pack", (args.Error.empty() ? "expects MANIFEST -o FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  TManifest manifest;
  std::string error;
  if (!ReadManifest(args.Positional[0], manifest, error)) return Refuse("pack", error);
  const auto searchIt = args.Values.find("-I");
  TPacker packer(manifest, searchIt == args.Values.end() ? std::vector<std::string>() : searchIt->second);
  if (!packer.ResolveAll()) return Refuse("pack", manifest.Path + ": " + packer.Error);

  const bool progress = args.Has("--progress") ||
                        (!args.Has("--quiet") && (packer.InputBytes > kProgressBytes || manifest.Lists.size() > kProgressLists));
  // Write beside the target and move it into place at the end, so a failure leaves any old file intact.
  const std::string partial = output + ".part";
  if (!packer.Pack(partial, progress)) {
    std::remove(partial.c_str());
    return Refuse("pack", manifest.Path + ": " + packer.Error);
  }
  if (std::rename(partial.c_str(), output.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(partial.c_str());
    return Refuse("pack", output + ": " + reason);
  }
  return 0;
}
