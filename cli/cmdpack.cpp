// pack: a whole data file from a JSON manifest, written list by list.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "args.h"
#include "import/audioimport.h"
#include "commands.h"
#include "check/datacheck.h"
#include "data/cp1252.h"
#include "common/deflate.h"
#include "common/fileio.h"
#include "data/gxformat.h"
#include "data/gxwriter.h"
#include "import/imageimport.h"
#include "common/signatures.h"
#include "import/inventortext.h"
#include "manifest.h"
#include "import/modelimport.h"
#include "import/noteimport.h"
#include "common/packprogress.h"

namespace {

// Time Coin gets to read a binary Inventor shape; a sound one takes well under a second.
constexpr int kShapeSeconds = 60;

const char kHelp[] =
    "Usage: pinacora-data pack MANIFEST -o FILE [-I FOLDER]... [--max-texture N] [--quiet | --progress]\n"
    "                          [--force]\n"
    "\n"
    "Writes a complete data file from a JSON manifest:\n"
    "\n"
    "  { \"lists\": [\n"
    "      { \"kind\": \"scene\", \"id\": 110, \"name\": \"Sala\", \"shape\": \"sala.iv\",\n"
    "        \"textures\": [ { \"node\": \"TEX_301\", \"file\": \"301.jpg\" } ] },\n"
    "      { \"kind\": \"sound\", \"id\": 201, \"name\": \"Preludio\", \"file\": \"preludio.ogg\" },\n"
    "      { \"kind\": \"opera\", \"id\": 301, \"name\": \"Natività\",\n"
    "        \"notes\": [ { \"name\": \"Scheda\", \"file\": \"301.odt\" } ],\n"
    "        \"movies\": [ { \"name\": \"Restauro\", \"file\": \"301.wmv\", \"userId\": 7 } ] } ] }\n"
    "\n"
    "Lists are written in manifest order, each with UserId equal to its id. Chunks carry their\n"
    "list's id and, unless \"userId\" is given, their index in the list. Names are UTF-8, stored as\n"
    "Windows-1252 when it holds them and as UTF-8 otherwise (Greek, Cyrillic, Japanese, Arabic ...),\n"
    "at most 255 bytes. The program shows every script with the fonts of Debian's fonts-noto-core\n"
    "(and fonts-ipafont-gothic for Japanese).\n"
    "\n"
    "What each file may be:\n"
    "  shapes    Inventor (text, or binary: stored as text) or VRML 1.0/97 files\n"
    "  textures  PNG, JPEG, TIFF, WebP, BMP or GIF (any picture Qt's image plugins read), turned\n"
    "            upright as the camera's EXIF orientation says; a picture with a side longer than\n"
    "            --max-texture N pixels (default 2048) is scaled down smoothly, and pack says so\n"
    "  sounds    WAV, AIFF, FLAC, Ogg Vorbis, Opus or MP3, stored as 16-bit mono 11025 Hz\n"
    "  notes     RTF, stored as it is; plain text in UTF-8, UTF-16 (with a byte-order mark) or\n"
    "            Windows-1252 (pack says when it took a text as Windows-1252), turned into RTF;\n"
    "            Markdown (.md), HTML, ODT and DOCX documents, turned into RTF by pandoc (the\n"
    "            Debian package \"pandoc\" must be installed for these)\n"
    "  movies    stored as they are; the program plays WMV/ASF, MP4, Matroska/WebM, AVI and MPEG\n"
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
    "  distance  metres: the flight to the work ends at least this far in front of it (a tall,\n"
    "            slender statue needs more than the viewer's own choice from its width and height)\n"
    "  plinth    { \"width\": 0.7, \"depth\": 0.7, \"height\": 1, \"colour\": \"#d9d4c9\" }: a box\n"
    "            under the model, its top at the model's base, turned with it; it moves wherever\n"
    "            the model is put. pack says when a model (or its plinth) stands clear of the\n"
    "            floor at y = 0 or sinks into it\n"
    "\n"
    "The list's shape and its models become one shape text. Base-colour pictures of the models\n"
    "(files beside them, or embedded in a .glb) become textures under the rules above. A model\n"
    "above 200000 faces is simplified to that many, saying so; one that cannot be read or has no\n"
    "faces is refused with the reader's reason.\n"
    "\n"
    "Paths are relative to the manifest's folder; a file not found there is looked for in each\n"
    "FOLDER given with -I, in order. FILE is replaced only when packing succeeds.\n"
    "\n"
    "Remarks (a picture scaled, a text's encoding) go to standard error; --quiet leaves them out.\n"
    "On a terminal, a pack that takes more than a few seconds shows its progress on one line;\n"
    "--progress prints a line for every list written instead, wherever standard error goes.\n"
    "\n"
    "What was written is then checked as 'pinacora-data check' does; every problem is printed.\n"
    "On an error FILE is left as it was and the status is 1, unless --force keeps the new file.\n"
    "A picture its decoder finds damaged (a JPEG or PNG cut short, a bad checksum, TIFF or WebP\n"
    "faults) is refused, naming the file and the fault; --force packs what can be read of it.\n"
    "\n"
    "Exit status: 0 when FILE was written, 1 when an input or the output was refused, 2 for a\n"
    "command line that cannot be understood.\n";

// The first characters of a long UTF-8 text, never splitting a character.
std::string Beginning(const std::string& utf8, std::size_t bytes) {
  if (utf8.size() <= bytes) return utf8;
  while (bytes > 0 && (static_cast<unsigned char>(utf8[bytes]) & 0xC0) == 0x80) --bytes;
  return utf8.substr(0, bytes) + "...";
}

class TPacker {
 public:
  TPacker(const TManifest& manifest, std::vector<std::string> searchFolders, const TTextureOptions& textures)
      : Manifest(manifest), SearchFolders(std::move(searchFolders)), TextureOptions(textures) {}

  std::string Error;

  // Finds every input before anything heavy happens, so that a missing file costs nothing.
  bool ResolveAll() {
    for (const TManifestList& list : Manifest.Lists) {
      const std::string where = ListLabel(list);
      std::string ignored;
      if (!EncodeName(list.Name, where, ignored)) return false;
      for (const std::string* file : InputsOf(list)) {
        std::string resolved;
        if (!Resolve(*file, where, resolved)) return false;
      }
    }
    return true;
  }

  bool Pack(const std::string& output, TPackProgress& progress) {
    Progress = &progress;
    TGXFileWriter writer;
    if (!writer.Open(output)) return Fail(writer.Error());
    for (const TManifestList& list : Manifest.Lists) {
      TGXChunkList chunks;
      if (!BuildList(list, chunks)) return false;
      if (!writer.AppendList(chunks)) return Fail(ListLabel(list) + ": " + writer.Error());
      progress.ListDone(ListLabel(list));
    }
    progress.Finish();
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
    if (Progress != nullptr) Progress->Working(where, file.substr(file.find_last_of('/') + 1));
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
    if (!::EncodeName(utf8, bytes)) return Fail(where + ": name '" + utf8 + "' is not valid UTF-8");
    if (bytes.size() > 255) {
      return Fail(where + ": name '" + Beginning(utf8, 40) + "' is " + std::to_string(bytes.size()) + " bytes long in " +
                  (LooksLikeUtf8(bytes) ? "UTF-8" : "Windows-1252") + "; at most 255 fit");
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
    for (const std::string& note : models.Notes) Progress->Remark(where + ": " + note);
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
      if (IsBinaryInventor(text)) {
        std::vector<std::uint8_t> ascii;
        if (!BinaryInventorToText(text, kShapeSeconds, ascii, error)) {
          return Fail(where + ": " + path + ": binary Inventor that cannot be stored: " + error);
        }
        text = std::move(ascii);
        Progress->Remark(where + ": " + path + ": binary Inventor, stored as Inventor text");
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
      std::string notice;
      const bool imported = ImportTexture(path, TextureOptions, pixels, error, &notice);
      if (!item.Shown.empty()) {
        // A picture taken out of a model lies in a scratch folder; the curator knows the model.
        for (std::string* text : {&error, &notice}) {
          for (std::size_t at; (at = text->find(path)) != std::string::npos;) text->replace(at, path.size(), item.Shown);
        }
      }
      if (!imported) return Fail(where + ": " + error);
      if (!notice.empty()) Progress->Remark(notice);
      auto image = std::make_unique<TGXChunkImageRawRgba>();
      if (!Identify(*image, list, chunks.GetCount(), nullptr, item.Node, where) ||
          !Compressed(*image, pixels.Bytes, where + ": " + (item.Shown.empty() ? path : item.Shown))) {
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
      std::string notice;
      if (!Resolve(item.File, where, path)) return false;
      if (!ImportNote(path, bytes, error, &notice)) return Fail(where + ": " + error);
      if (!notice.empty()) Progress->Remark(notice);
      if (!AddItem<TGXChunkRtf>(list, item, std::move(bytes), path, chunks, where)) return false;
    }
    for (const TManifestItem& item : list.Movies) {
      std::vector<std::uint8_t> bytes;
      if (!Resolve(item.File, where, path)) return false;
      if (!ReadWholeFile(path, bytes, error)) return Fail(where + ": " + error);
      if (!AddItem<TGXChunkWmv>(list, item, std::move(bytes), path, chunks, where)) return false;
    }
    return true;
  }

  // A note or movie of an opera, named after its file when the manifest gives no name.
  template <typename Chunk>
  bool AddItem(const TManifestList& list, const TManifestItem& item, std::vector<std::uint8_t> bytes,
               const std::string& path, TGXChunkList& chunks, const std::string& where) {
    auto chunk = std::make_unique<Chunk>();
    const std::string name = item.Name.empty() ? BaseName(item.File) : item.Name;
    if (!Identify(*chunk, list, chunks.GetCount(), &item, name, where) ||
        !Stored(*chunk, std::move(bytes), path, where)) {
      return false;
    }
    chunks.Append(std::move(chunk));
    return true;
  }

  const TManifest& Manifest;
  std::vector<std::string> SearchFolders;
  TTextureOptions TextureOptions;
  TPackProgress* Progress = nullptr;
};

// The folder the output goes into must exist and take new files; FILE itself must not be a folder.
bool CheckOutputPlace(const std::string& output, std::string& error) {
  const std::size_t slash = output.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : output.substr(0, slash));
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0) {
    error = output + ": the folder " + folder + " does not exist";
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    error = output + ": " + folder + " is not a folder";
    return false;
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    error = output + ": cannot write in the folder " + folder + " (" + std::strerror(errno) + ")";
    return false;
  }
  if (stat(output.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = output + ": is a folder; name the data file to write";
    return false;
  }
  return true;
}

// Checks the file just written (at partial, to become output) as check does and prints every
// finding; false when it holds an error and the curator did not force it.
bool VerifyPacked(const std::string& partial, const std::string& output, bool force) {
  TCheckReport report = CheckExhibitionFile(partial);
  for (const std::string& line : report.Lines()) {
    std::string shown = line;
    for (std::size_t at; (at = shown.find(partial)) != std::string::npos;) shown.replace(at, partial.size(), output);
    std::fprintf(stderr, "pinacora-data pack: %s: %s\n", output.c_str(), shown.c_str());
  }
  const int errors = report.Count(TSeverity::Error);
  if (errors == 0) return true;
  if (force) {
    std::fprintf(stderr, "pinacora-data pack: %s: written with %d error%s, as --force asks\n", output.c_str(), errors,
                 errors == 1 ? "" : "s");
    return true;
  }
  std::fprintf(stderr, "pinacora-data pack: %s: %d error%s, so the file is not written (--force writes it anyway)\n",
               output.c_str(), errors, errors == 1 ? "" : "s");
  return false;
}

}  // namespace

int CommandPack(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {"-o", "-I", "--max-texture"}, {"--quiet", "--progress", "--force"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  const std::string output = args.Value("-o");
  if (!args.Error.empty() || args.Positional.size() != 1 || output.empty()) {
    return Refuse("pack", (args.Error.empty() ? "expects MANIFEST -o FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  TTextureOptions textures;
  textures.KeepDamaged = args.Has("--force");
  if (args.Values.count("--max-texture") != 0 &&
      (!ParseInt32(args.Value("--max-texture"), textures.MaxSide) || textures.MaxSide < 1 ||
       textures.MaxSide > kMaxTextureSide)) {
    return Refuse("pack", "--max-texture takes a number of pixels from 1 to " + std::to_string(kMaxTextureSide) +
                              ", not '" + args.Value("--max-texture") + "'", 2);
  }
  TManifest manifest;
  std::string error;
  if (!CheckOutputPlace(output, error)) return Refuse("pack", error);
  if (!ReadManifest(args.Positional[0], manifest, error)) return Refuse("pack", error);
  const auto searchIt = args.Values.find("-I");
  TPacker packer(manifest, searchIt == args.Values.end() ? std::vector<std::string>() : searchIt->second, textures);
  if (!packer.ResolveAll()) return Refuse("pack", manifest.Path + ": " + packer.Error);

  TPackProgress progress(ChooseProgressMode(args.Has("--quiet"), args.Has("--progress")), manifest.Lists.size());
  // Write beside the target and move it into place at the end, so a failure leaves any old file intact.
  const std::string partial = output + ".part";
  if (!packer.Pack(partial, progress)) {
    progress.Finish();
    std::remove(partial.c_str());
    return Refuse("pack", manifest.Path + ": " + packer.Error);
  }
  if (!VerifyPacked(partial, output, args.Has("--force"))) {
    std::remove(partial.c_str());
    return 1;
  }
  if (std::rename(partial.c_str(), output.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(partial.c_str());
    return Refuse("pack", output + ": " + reason);
  }
  return 0;
}
