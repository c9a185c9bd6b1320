// Writes the seed corpora of the fuzz targets: list blobs with every chunk class, whole data files
// (as the writer stores them, and compact ones with their blobs inside the header block), and
// zlib streams of several shapes. Usage: fuzz_seeds <folder>; makes <folder>/{chunklist,datafile,inflate}.
#include <sys/stat.h>

#include <cmath>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "data/gxwriter.h"
#include "testutil.h"

namespace {

using testutil::Bytes;
using testutil::Compress;
using testutil::MakeChunk;
using testutil::Text;

std::unique_ptr<TGXChunkList> Sound(std::int32_t id) {
  auto list = testutil::MakeList("Bolero", id, gx::kListSound);
  Bytes samples(2000);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = std::uint8_t(128 + 100 * std::sin(double(i) / 7));
  list->Append(MakeChunk<TGXChunkWav>("bolero", 1, 1, Compress(samples)));
  return list;
}

// A file with its blobs placed right after the directory, inside the header block, so that short
// inputs reach the list parser.
Bytes Compact(const std::vector<const TGXChunkList*>& lists) {
  std::vector<TDirectoryEntry> entries;
  std::vector<Bytes> blobs;
  for (const TGXChunkList* list : lists) {
    entries.push_back(testutil::EntryFor(*list));
    blobs.push_back(list->WriteToBlob());
  }
  return testutil::CompactFile(entries, blobs);
}

void Save(const std::string& path, const Bytes& bytes) { testutil::WriteFile(path, bytes); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds <folder>\n";
    return 2;
  }
  const std::string root = argv[1];
  for (const char* sub : {"", "/chunklist", "/datafile", "/inflate"}) ::mkdir((root + sub).c_str(), 0755);

  // A scene with a chunk of every class, an opera with notes and movies, and a sound.
  const auto sceneList = testutil::MakeEveryClassList(110), operaList = testutil::MakeOperaList(401, "Gioconda"),
             soundList = Sound(301);
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
