// Writes damaged exhibitions made from a good one, one file per kind of damage:
//   make_hostile GOOD_FILE OUT_FOLDER
// Each lands in OUT_FOLDER/<kind>/kddata.bin, ready for the program to be started on.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/bytes.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "data/gxwriter.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& folder, const Bytes& bytes) {
  fs::create_directories(folder);
  std::ofstream out(folder / "kddata.bin", std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Deflate(const Bytes& plain) {
  uLongf size = compressBound(plain.size());
  Bytes out(size);
  compress2(out.data(), &size, plain.data(), plain.size(), 9);
  out.resize(size);
  return out;
}

// A zlib stream of `total` zero bytes, made without holding them all.
Bytes ZeroBomb(std::size_t total) {
  z_stream stream{};
  deflateInit(&stream, 9);
  const Bytes zeros(1 << 20, 0);
  Bytes out;
  std::uint8_t buffer[1 << 16];
  std::size_t left = total;
  do {
    const std::size_t step = std::min(left, zeros.size());
    left -= step;
    stream.next_in = const_cast<Bytef*>(zeros.data());
    stream.avail_in = uInt(step);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = buffer;
      stream.avail_out = sizeof buffer;
      deflate(&stream, flush);
      out.insert(out.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
    } while (stream.avail_out == 0);
  } while (left > 0);
  deflateEnd(&stream);
  return out;
}

// The good file with list `id` replaced by the given list.
Bytes ReplaceList(const std::string& good, const fs::path& scratch, const TGXChunkList& replacement) {
  const Bytes bytes = ReadAll(good);
  THeaderBlock header;
  header.Assign(bytes.data(), bytes.size());
  TGXFileWriter writer;
  writer.Open(scratch.string());
  std::FILE* file = std::fopen(good.c_str(), "rb");
  for (const TDirectoryEntry& entry : header.Directory()) {
    if (entry.Id == replacement.Id) {
      writer.AppendList(replacement);
      continue;
    }
    Bytes blob;
    TGXSerializer::ReadBlob(file, entry, blob);
    writer.AppendBlob(entry, blob);
  }
  std::fclose(file);
  writer.Finish();
  Bytes result = ReadAll(scratch.string());
  fs::remove(scratch);
  return result;
}

std::unique_ptr<TGXChunk> Shape(const std::string& text) {
  auto chunk = CreateChunk(gx::kChunkVrmlShape);
  chunk->AssignData(Deflate(Bytes(text.begin(), text.end())));
  return chunk;
}

std::unique_ptr<TGXChunkList> SceneList(int id) {
  auto list = std::make_unique<TGXChunkList>();
  list->Id = list->UserId = id;
  list->Name = "Opere";
  list->Type = gx::kListScene;
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_hostile GOOD_FILE OUT_FOLDER\n");
    return 2;
  }
  const std::string good = argv[1];
  const fs::path out = argv[2];
  const fs::path scratch = out / "scratch.bin";
  fs::create_directories(out);
  const Bytes bytes = ReadAll(good);
  if (bytes.size() < std::size_t(gx::kHeaderBlockSize)) {
    std::fprintf(stderr, "%s is not a data file\n", good.c_str());
    return 1;
  }

  // Cut short: inside the header block, and in the middle of the blobs.
  WriteAll(out / "truncated-header", Bytes(bytes.begin(), bytes.begin() + 30000));
  WriteAll(out / "truncated-blobs", Bytes(bytes.begin(), bytes.begin() + long(bytes.size() / 2)));

  // Bits flipped all over the blobs (the directory stays readable).
  {
    Bytes flipped = bytes;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> at(gx::kHeaderBlockSize, flipped.size() - 1);
    for (int i = 0; i < 400; ++i) flipped[at(random)] ^= std::uint8_t(1u << (random() % 8));
    WriteAll(out / "bit-flipped", flipped);
  }

  // Counts far beyond what exists: the directory and every list header.
  {
    Bytes counts = bytes;
    gx::WriteI32(counts.data() + gx::kListCountOffset, 100000);
    THeaderBlock header;
    header.Assign(bytes.data(), bytes.size());
    for (const TDirectoryEntry& entry : header.Directory()) {
      if (entry.Offset >= 0 && std::size_t(entry.Offset) + gx::kListHeaderSize <= counts.size()) {
        gx::WriteI32(counts.data() + entry.Offset + gx::kListChunkCount, 0x7FFFFFFF);
      }
    }
    WriteAll(out / "oversized-counts", counts);
  }

  // Negative and enormous places in the directory.
  {
    Bytes places = bytes;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t* entry = places.data() + gx::kDirectoryOffset + i * gx::kDirectoryEntrySize;
      gx::WriteI32(entry + gx::kEntryOffset, i % 2 ? -65536 : 0x7FFFFF00);
      gx::WriteI32(entry + gx::kEntrySize, i % 2 ? 100 : 0x7FFFFFFF);
    }
    WriteAll(out / "bad-places", places);
  }

  // Names without terminators, in the directory and in the list headers.
  {
    Bytes names = bytes;
    THeaderBlock header;
    header.Assign(bytes.data(), bytes.size());
    const auto entries = header.Directory();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      std::memset(names.data() + gx::kDirectoryOffset + i * gx::kDirectoryEntrySize, 'A', 256);
      if (entries[i].Offset > 0 && std::size_t(entries[i].Offset) + gx::kListHeaderSize <= names.size()) {
        std::memset(names.data() + entries[i].Offset + gx::kListName, 0xE0, 256);
      }
    }
    WriteAll(out / "names-without-terminators", names);
  }

  // A shape stream that would inflate to 2 GiB, and a texture that would inflate to 1 GiB.
  {
    auto list = SceneList(gx::kWorksListId);
    auto shape = CreateChunk(gx::kChunkVrmlShape);
    shape->AssignData(ZeroBomb(std::size_t(2) << 30));
    list->Append(std::move(shape));
    WriteAll(out / "shape-bomb", ReplaceList(good, scratch, *list));

    auto textured = SceneList(gx::kWorksListId);
    textured->Append(Shape("#Inventor V2.1 ascii\nSeparator { DEF TEX_1 Texture2 { } Coordinate3 { point [ 0 0 0, 1 0 0, "
                          "1 0 1 ] } DEF KD_301 IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] } }\n"));
    auto texture = std::make_unique<TGXChunkImageRawRgba>();
    texture->Name = "TEX_1";
    texture->Width = texture->Height = 16;
    texture->Components = 3;
    texture->AssignData(ZeroBomb(std::size_t(1) << 30));
    textured->Append(std::move(texture));
    WriteAll(out / "texture-bomb", ReplaceList(good, scratch, *textured));
  }

  // Textures whose size lies: larger than their pixels, negative, too many components.
  {
    auto list = SceneList(gx::kWorksListId);
    list->Append(Shape("#Inventor V2.1 ascii\nSeparator { DEF TEX_1 Texture2 { } DEF TEX_2 Texture2 { } "
                      "DEF TEX_3 Texture2 { } Coordinate3 { point [ 0 0 0, 1 0 0, 1 0 1 ] } "
                      "DEF KD_301 IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] } }\n"));
    const int sizes[3][3] = {{4096, 4096, 4}, {-16, 16, 3}, {16, 16, 9}};
    for (int i = 0; i < 3; ++i) {
      auto texture = std::make_unique<TGXChunkImageRawRgba>();
      texture->Name = "TEX_" + std::to_string(i + 1);
      texture->Width = sizes[i][0];
      texture->Height = sizes[i][1];
      texture->Components = sizes[i][2];
      texture->AssignData(Deflate(Bytes(16 * 16 * 3, 0x80)));
      list->Append(std::move(texture));
    }
    WriteAll(out / "texture-size-lies", ReplaceList(good, scratch, *list));
  }

  // Shape chunks that are not Inventor text.
  {
    auto list = SceneList(gx::kWorksListId);
    std::mt19937 random(7);
    Bytes noise(5000);
    for (auto& b : noise) b = std::uint8_t(random());
    auto chunk = CreateChunk(gx::kChunkVrmlShape);
    chunk->AssignData(Deflate(noise));
    list->Append(std::move(chunk));
    list->Append(Shape("#Inventor V2.1 ascii\nSeparator { Separator { Separator { Coordinate3 { point [ 0 0"));
    WriteAll(out / "shape-not-inventor", ReplaceList(good, scratch, *list));
  }

  // Works named "KD_" with tails that are not numbers (clicking one shows the conversion error).
  {
    auto list = SceneList(gx::kWorksListId);
    std::string text = "#Inventor V2.1 ascii\nSeparator {\n";
    const char* names[] = {"KD_", "KD_abc", "KD_12x", "KD_99999999999"};
    for (int i = 0; i < 4; ++i) {
      text += " Separator { Transform { translation " + std::to_string(4 + 3 * i) +
              " 1.75 -4 rotation 1 0 0 1.5707964 } Coordinate3 { point [ -1 0 -1, -1 0 1, 1 0 1, 1 0 -1 ] } DEF " +
              names[i] + " IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] } }\n";
    }
    list->Append(Shape(text + "}\n"));
    WriteAll(out / "kd-names-not-numbers", ReplaceList(good, scratch, *list));
  }
  std::printf("hostile exhibitions written to %s\n", out.string().c_str());
  return 0;
}
