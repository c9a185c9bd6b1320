// GetChunkList on a large scene list (120 works with 1024 x 1024 RGB textures), against one
// plain read of the same blob: time and peak memory, each measured in a fresh child process
// (VmHWM from /proc/self/status), best of several runs.
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "benchutil.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "data/gxwriter.h"
#include "data/tdatabanker.h"

namespace {

constexpr int kWorks = 120;
constexpr int kDistinctTextures = 8;
constexpr std::int32_t kListId = 120;
constexpr int kRuns = 5;

long KibFromStatus(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long value = -1;
  const std::size_t n = std::strlen(field);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, n) == 0) value = std::strtol(line + n + 1, nullptr, 10);
  }
  std::fclose(status);
  return value;
}

// The child: one operation, then "rss-before-KiB peak-KiB wall-seconds cpu-seconds count" on
// standard output. Modes: "read" (one plain read of the blob), "load" (GetChunkList) and "blob"
// (the whole blob read into memory, then parsed from there).
int Child(const std::string& mode, const std::string& path, std::int32_t offset, std::int32_t size) {
  const long before = KibFromStatus("VmRSS:");
  long count = 0;
  const double cpuStart = bench::CpuSeconds();
  const double start = bench::Seconds();
  if (mode == "read") {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr || std::fseek(file, offset, SEEK_SET) != 0) return 1;
    std::unique_ptr<std::uint8_t[]> blob(new std::uint8_t[std::size_t(size)]);
    count = long(std::fread(blob.get(), 1, std::size_t(size), file));
    std::fclose(file);
  } else if (mode == "load") {
    TDataBanker banker(path);
    const std::unique_ptr<TGXChunkList> list = banker.GetChunkList(kListId);
    count = list ? list->GetCount() : -1;
  } else {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 1;
    TDirectoryEntry entry;
    entry.Offset = offset;
    entry.Size = size;
    std::vector<std::uint8_t> blob;
    TGXSerializer::ReadBlob(file, entry, blob);
    std::fclose(file);
    TGXChunkList list;
    list.ReadFromBuffer(blob.data(), std::int32_t(blob.size()));
    count = list.GetCount();
  }
  const double took = bench::Seconds() - start;
  const double cpu = bench::CpuSeconds() - cpuStart;
  std::printf("%ld %ld %.6f %.6f %ld\n", before, KibFromStatus("VmHWM:"), took, cpu, count);
  return 0;
}

struct Measure {
  double seconds = 1e9;
  double cpu = 1e9;
  double peakBytes = 0;
  long chunks = 0;
};

Measure RunChild(const std::string& self, const std::string& mode, const std::string& path, const TDirectoryEntry& e) {
  Measure best;
  for (int run = 0; run < kRuns; ++run) {
    const std::string command = "'" + self + "' --child " + mode + " '" + path + "' " + std::to_string(e.Offset) +
                                " " + std::to_string(e.Size);
    std::FILE* pipe = ::popen(command.c_str(), "r");
    long before = 0, peak = 0, chunks = 0;
    double took = 0, cpu = 0;
    const int fields = pipe ? std::fscanf(pipe, "%ld %ld %lf %lf %ld", &before, &peak, &took, &cpu, &chunks) : 0;
    if (pipe) ::pclose(pipe);
    if (fields != 5) {
      std::fprintf(stderr, "bench_chunklist: child '%s' failed\n", mode.c_str());
      continue;
    }
    best.seconds = std::min(best.seconds, took);
    best.cpu = std::min(best.cpu, cpu);
    best.peakBytes = std::max(best.peakBytes, double(peak - before) * 1024.0);
    best.chunks = chunks;
  }
  return best;
}

std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& plain) { return bench::Compress(plain); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--child") {
    return Child(argv[2], argv[3], std::int32_t(std::atol(argv[4])), std::int32_t(std::atol(argv[5])));
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  char pattern[] = "/tmp/pinacora-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 1;
  const std::string dir = pattern;
  // "--write <path>" only writes the file (for profiling by hand).
  const bool writeOnly = argc == 3 && std::string(argv[1]) == "--write";
  const std::string path = writeOnly ? std::string(argv[2]) : dir + "/kddata.bin";

  {
    std::vector<std::vector<std::uint8_t>> textures;
    for (int i = 0; i < kDistinctTextures; ++i) textures.push_back(Pack(bench::TextureLike(1024 * 1024 * 3, i + 1)));
    const std::string shapeText = "#Inventor V2.1 ascii\nSeparator { Texture2 {} Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] } "
                                  "IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] } }\n";
    const std::vector<std::uint8_t> shape = Pack(std::vector<std::uint8_t>(shapeText.begin(), shapeText.end()));
    TGXChunkList list;
    list.Name = "opere";
    list.Id = kListId;
    list.UserId = kListId;
    list.Type = gx::kListScene;
    for (int i = 0; i < kWorks; ++i) {
      auto vrml = std::make_unique<TGXChunkVrmlShape>();
      vrml->Name = "KD_" + std::to_string(i);
      vrml->AssignData(shape);
      list.Append(std::move(vrml));
      auto image = std::make_unique<TGXChunkImageRawRgba>();
      image->Name = "TEX_" + std::to_string(i);
      image->Width = 1024;
      image->Height = 1024;
      image->Components = 3;
      image->AssignData(textures[std::size_t(i % kDistinctTextures)]);
      list.Append(std::move(image));
    }
    TGXFileWriter writer;
    if (!writer.Open(path) || !writer.AppendList(list) || !writer.Finish()) {
      std::fprintf(stderr, "bench_chunklist: %s\n", writer.Error().c_str());
      return 1;
    }
  }
  if (writeOnly) {
    std::filesystem::remove_all(dir);
    return 0;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  THeaderBlock header;
  header.Read(file);
  std::fclose(file);
  const TDirectoryEntry entry = header.Directory().at(0);
  const double blob = double(entry.Size);
  std::printf("bench_chunklist: scene list of %d works (1024x1024 RGB textures), blob %.1f MB\n", kWorks, blob / 1e6);

  RunChild(self, "read", path, entry);  // warm the page cache
  const Measure read = RunChild(self, "read", path, entry);
  const Measure load = RunChild(self, "load", path, entry);
  const Measure blobFirst = RunChild(self, "blob", path, entry);
  auto line = [&](const char* what, const Measure& m) {
    std::printf("  %-34s wall %7.1f ms  cpu %7.1f ms  peak %7.1f MB (%.2f x blob)\n", what, m.seconds * 1e3,
                m.cpu * 1e3, m.peakBytes / 1e6, m.peakBytes / blob);
  };
  line("plain read of the blob:", read);
  line("GetChunkList:", load);
  line("whole blob, then parse (former):", blobFirst);
  std::printf("  GetChunkList / plain read: wall %.2f, cpu %.2f (goal <= 2); peak / blob %.2f (goal <= 2.1)\n",
              load.seconds / read.seconds, load.cpu / read.cpu, load.peakBytes / blob);
  std::printf("  former / plain read:       wall %.2f, cpu %.2f; peak / blob %.2f\n", blobFirst.seconds / read.seconds,
              blobFirst.cpu / read.cpu, blobFirst.peakBytes / blob);
  std::printf("  (best of %d runs each, every run in a fresh process; the file is in the page cache)\n", kRuns);
  std::filesystem::remove_all(dir);
  return 0;
}
