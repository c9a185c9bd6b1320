// The committed malformed files: each one is refused or read as the rules say, and every file
// in the folder goes through every reader without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "data/gxchunklist.h"
#include "data/gxserializer.h"
#include "data/tdatabanker.h"
#include "testutil.h"
#include "data/tzlib.h"

using namespace testutil;

namespace {

std::string Crasher(const std::string& name) { return std::string(PINACORA_CRASHERS_DIR) + "/" + name; }

struct WrongSignature {};

// Lists the operas and loads the opera list with Id 7 through the banker.
struct Loaded {
  std::size_t operas = 0;
  std::unique_ptr<TGXChunkList> list;
};

Loaded Load(const std::string& name) {
  Loaded out;
  const std::string path = Crasher(name);
  EXPECT_TRUE(std::filesystem::exists(path)) << path;
  TDataBanker banker(path);
  TVecInfos operas;
  banker.ListOperas(operas);
  out.operas = operas.size();
  out.list = banker.GetChunkList(7);
  return out;
}

// A list read piece by piece from the file equals the list parsed from the whole blob in memory.
void ExpectSameAsWholeBlob(const std::string& path, const TDirectoryEntry& wanted, const THeaderBlock& header) {
  if (!header.SignatureMatches()) return;
  const std::vector<TDirectoryEntry> directory = header.Directory();
  const auto first = std::find_if(directory.begin(), directory.end(),
                                  [&](const TDirectoryEntry& e) { return e.Id == wanted.Id; });
  ASSERT_NE(first, directory.end());
  const auto streamed = TGXSerializer::ReadFromFile(path, wanted.Id);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<std::uint8_t> blob;
  const bool read = TGXSerializer::ReadBlob(file, *first, blob);
  std::fclose(file);
  ASSERT_EQ(read, bool(streamed));
  if (!streamed) return;
  TGXChunkList whole;
  whole.ReadFromBuffer(blob.data(), std::int32_t(blob.size()));
  std::string a, b;
  whole.Dump(a);
  streamed->Dump(b);
  EXPECT_EQ(a, b);
  ASSERT_EQ(whole.GetCount(), streamed->GetCount());
  for (std::int32_t i = 0; i < whole.GetCount(); ++i) EXPECT_EQ(whole.GetChunk(i)->Data, streamed->GetChunk(i)->Data);
}

}  // namespace

TEST(Crashers, DataFiles) {
  {
    const Loaded l = Load("short-file.bin");
    EXPECT_EQ(l.operas, 1u);
    ASSERT_TRUE(l.list);
    EXPECT_EQ(l.list->GetCount(), 4);
  }
  {
    const Loaded l = Load("listcount-huge.bin");
    EXPECT_GE(l.operas, 1u);
    ASSERT_TRUE(l.list);
    EXPECT_EQ(l.list->GetCount(), 4);
  }
  {
    const Loaded l = Load("blob-past-eof.bin");
    ASSERT_TRUE(l.list);
    ASSERT_EQ(l.list->GetCount(), 4);
    const Bytes& last = l.list->GetChunk(3)->Data;
    EXPECT_EQ(last, (Bytes{'m', 'o', 'v', 'i', 'e', ' ', 0, 0, 0, 0})) << "missing bytes read as zeros";
  }
  for (const char* name : {"negative-offset.bin", "negative-size.bin"}) {
    SCOPED_TRACE(name);
    const Loaded l = Load(name);
    EXPECT_EQ(l.operas, 1u);
    EXPECT_FALSE(l.list);
  }
  for (const char* name : {"record-header-past-blob.bin", "record-fixed-past-blob.bin", "record-data-past-blob.bin",
                           "record-bad-magic.bin", "record-no-class.bin", "record-no-data.bin"}) {
    SCOPED_TRACE(name);
    const Loaded l = Load(name);
    ASSERT_TRUE(l.list);
    ASSERT_EQ(l.list->GetCount(), 1) << "the record before the damage stays";
    EXPECT_EQ(l.list->GetChunk(0)->Name, "Scheda");
    EXPECT_EQ(l.list->Name, "Primavera");
  }
}

TEST(Crashers, Streams) {
  const Bytes bomb = ReadFile(Crasher("inflate-past-cap.zz"));
  ASSERT_FALSE(bomb.empty());
  std::int32_t length = std::int32_t(bomb.size());
  int result = 0;
  const Bytes out = InflateBuffer(bomb.data(), length, 1 << 20, &result);
  EXPECT_EQ(result, kInflateDataError);
  EXPECT_LE(out.size(), std::size_t(1) << 20);

  const Bytes cut = ReadFile(Crasher("inflate-truncated.zz"));
  ASSERT_FALSE(cut.empty());
  length = std::int32_t(cut.size());
  const Bytes partial = InflateBuffer(cut.data(), length, kDefaultInflateCap, &result);
  EXPECT_EQ(result, kInflateDataError);
  const Bytes whole = TextureLike(20000);
  ASSERT_LE(partial.size(), whole.size());
  EXPECT_GT(partial.size(), 0u);
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), whole.begin())) << "the bytes inflated so far";
}

TEST(Crashers, NegativeLengthChunkIsNotWrittenBack) {
  // Found by fuzzing: an image record with a negative DataLength parses (it carries no data), and
  // writing the list again once tried to allocate the negative length as a huge size.
  const Bytes blob = ReadFile(Crasher("fuzz-chunklist-negative-length-blob.bin"));
  ASSERT_FALSE(blob.empty());
  TGXChunkList list;
  list.ReadFromBuffer(blob.data(), std::int32_t(blob.size()));
  bool negative = false;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) negative |= list.GetChunk(i)->DataLength < 0;
  EXPECT_TRUE(negative);
  EXPECT_TRUE(list.WriteToBlob().empty());
}

// Every file of the folder, whatever it was made for, through every reader.
TEST(Crashers, EveryFileThroughEveryReader) {
  TDataBanker::SetFatalHandler([](const std::string&, const std::string&) { throw WrongSignature(); });
  TempDir movies;
  TDataBanker::SetMovieFolderProvider([&] { return movies.Path(); });
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(PINACORA_CRASHERS_DIR)) {
    if (!item.is_regular_file()) continue;
    ++files;
    const std::string path = item.path().string();
    SCOPED_TRACE(path);
    const Bytes bytes = ReadFile(path);

    TGXChunkList list;
    list.ReadFromBuffer(bytes.data(), std::int32_t(bytes.size()));
    std::string text;
    list.Dump(text);
    list.WriteToBlob();

    std::int32_t length = std::int32_t(bytes.size());
    const Bytes plain = InflateBuffer(bytes.data(), length, 1 << 20);
    EXPECT_LE(plain.size(), std::size_t(1) << 20);

    TDataBanker banker(path);
    TVecInfos operas, sounds;
    try {
      banker.ListOperas(operas);
      banker.ListSounds(sounds);
    } catch (const WrongSignature&) {
    }
    THeaderBlock header;
    header.Assign(bytes.data(), bytes.size());
    for (const TDirectoryEntry& entry : header.Directory()) {
      ExpectSameAsWholeBlob(path, entry, header);
      TVecInfos m, n;
      banker.ListOperaItems(entry.Id, m, n);
      for (const TagInfo& note : n) banker.GetNoteStream(entry.Id, note.UserId);
      for (const TagInfo& movie : m) banker.ExtractMovie(entry.Id, movie.UserId);
    }
  }
  TDataBanker::SetFatalHandler(nullptr);
  TDataBanker::SetMovieFolderProvider(nullptr);
  EXPECT_GE(files, 13);
}
