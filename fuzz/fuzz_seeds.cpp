// Writes the seed corpora of the fuzz targets: list blobs with every chunk class, whole data files
// (as the writer stores them, and compact ones with their blobs inside the header block), and
// zlib streams of several shapes. Usage: fuzz_seeds <folder>; makes <folder>/{chunklist,datafile,inflate}.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "data/bytes.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "data/gxwriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Compress(const Bytes& plain, int level = 6) {
  uLongf size = compressBound(plain.size());
  Bytes packed(size);
  compress2(packed.data(), &size, plain.data(), plain.size(), level);
  packed.resize(size);
  return packed;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Save(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

template <typename T>
std::unique_ptr<T> Make(const std::string& name, std::int32_t id, std::int32_t userId, Bytes data) {
  auto chunk = std::make_unique<T>();
  chunk->Name = name;
  chunk->Id = id;
  chunk->UserId = userId;
  if (!data.empty()) chunk->AssignData(std::move(data));
  return chunk;
}

std::unique_ptr<TGXChunkList> Scene(std::int32_t id) {
  auto holder = std::make_unique<TGXChunkList>();
  TGXChunkList& list = *holder;
  list.Name = "sala";
  list.Id = id;
  list.UserId = id;
  list.Type = gx::kListScene;
  list.Append(Make<TGXChunkVrmlShape>("room", 7, 7, Compress(Text("#Inventor V2.1 ascii\nSeparator { Cube {} }\n"))));
  auto image = Make<TGXChunkImageRawRgba>("tex", 3, 3, Compress(Bytes(4 * 4 * 3, 0x80)));
  image->Width = 4;
  image->Height = 4;
  image->Components = 3;
  list.Append(std::move(image));
  auto camera = Make<TGXChunkCamera>("view", 8, 8, {});
  camera->Pos = {1.0, 2.5, -3.0};
  list.Append(std::move(camera));
  list.Append(Make<TGXChunkBmp>("bmp", 9, 9, Bytes{'B', 'M', 0, 0}));
  list.Append(Make<TGXChunkAvi>("avi", 10, 10, Bytes{'R', 'I', 'F', 'F'}));
  return holder;
}

std::unique_ptr<TGXChunkList> Opera(std::int32_t id) {
  auto holder = std::make_unique<TGXChunkList>();
  TGXChunkList& list = *holder;
  list.Name = "Gioconda";
  list.Id = id;
  list.UserId = id;
  list.Type = gx::kListOpera;
  list.Append(Make<TGXChunkRtf>("Nota", id, 1, Text("{\\rtf1 nota}")));
  list.Append(Make<TGXChunkWmv>("Film", id, 2, Bytes(64, 0x30)));
  list.Append(Make<TGXChunkRtf>("Nota 2", id, 3, Text("{\\rtf1 altra}")));
  return holder;
}

std::unique_ptr<TGXChunkList> Sound(std::int32_t id) {
  auto holder = std::make_unique<TGXChunkList>();
  TGXChunkList& list = *holder;
  list.Name = "Bolero";
  list.Id = id;
  list.UserId = id;
  list.Type = gx::kListSound;
  Bytes samples(2000);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = std::uint8_t(128 + 100 * std::sin(double(i) / 7));
  list.Append(Make<TGXChunkWav>("bolero", 1, 1, Compress(samples)));
  return holder;
}


// A file with its blobs placed right after the directory, inside the header block, so that short
// inputs reach the list parser.
Bytes Compact(const std::vector<const TGXChunkList*>& lists) {
  std::vector<TDirectoryEntry> entries;
  std::vector<Bytes> blobs;
  std::size_t offset = gx::kDirectoryOffset + lists.size() * gx::kDirectoryEntrySize;
  for (const TGXChunkList* list : lists) {
    blobs.push_back(list->WriteToBlob());
    TDirectoryEntry e;
    e.Name = list->Name;
    e.Id = list->Id;
    e.UserId = list->UserId;
    e.Type = list->Type;
    e.Offset = std::int32_t(offset);
    e.Size = std::int32_t(blobs.back().size());
    offset += blobs.back().size();
    entries.push_back(e);
  }
  Bytes file = TGXFileWriter::BuildHeaderBlock(entries);
  file.resize(std::max<std::size_t>(offset, gx::kDirectoryOffset));
  std::size_t at = gx::kDirectoryOffset + lists.size() * gx::kDirectoryEntrySize;
  for (const Bytes& blob : blobs) {
    if (at + blob.size() > file.size()) file.resize(at + blob.size());
    std::memcpy(file.data() + at, blob.data(), blob.size());
    at += blob.size();
  }
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds <folder>\n";
    return 2;
  }
  const std::string root = argv[1];
  for (const char* sub : {"", "/chunklist", "/datafile", "/inflate"}) ::mkdir((root + sub).c_str(), 0755);

  const auto sceneList = Scene(110), operaList = Opera(401), soundList = Sound(301);
  const TGXChunkList &scene = *sceneList, &opera = *operaList, &sound = *soundList;
  Save(root + "/chunklist/scene", scene.WriteToBlob());
  Save(root + "/chunklist/opera", opera.WriteToBlob());
  Save(root + "/chunklist/sound", sound.WriteToBlob());
  TGXChunkList empty;
  empty.Name = "vuota";
  empty.Id = 5;
  empty.Type = gx::kListOpera;
  Save(root + "/chunklist/empty", empty.WriteToBlob());

  const std::string full = root + "/datafile/full";
  TGXFileWriter writer;
  if (!writer.Open(full) || !writer.AppendList(scene) || !writer.AppendList(opera) || !writer.AppendList(sound) ||
      !writer.Finish()) {
    std::cerr << "fuzz_seeds: " << writer.Error() << "\n";
    return 1;
  }
  Save(root + "/datafile/compact", Compact({&scene, &opera, &sound}));
  Save(root + "/datafile/compact-opera", Compact({&opera}));
  Save(root + "/datafile/header-only", TGXFileWriter::BuildHeaderBlock({}));

  std::mt19937 random(7);
  Bytes noise(40000);
  for (auto& b : noise) b = std::uint8_t(random());
  Bytes gradient(3 * 16384);
  for (std::size_t i = 0; i < gradient.size(); ++i) gradient[i] = std::uint8_t(i / 97 + (random() & 3));
  Save(root + "/inflate/text", Compress(Text("#Inventor V2.1 ascii\nSeparator { Cube {} Sphere {} }\n")));
  Save(root + "/inflate/noise", Compress(noise, 1));
  Save(root + "/inflate/gradient", Compress(gradient, 9));
  Save(root + "/inflate/stored", Compress(Text("stored block"), 0));
  Save(root + "/inflate/empty-stream", Compress({}));
  std::cout << "seeds written to " << root << "\n";
  return 0;
}
