// The container: header block, directory and loading one list by Id, checked against the bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "data/bytes.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "data/gxwriter.h"
#include "testutil.h"

using namespace testutil;

namespace {

// Data bytes that are a real zlib stream of exactly `size` bytes (one stored block).
Bytes StoredStreamOfSize(std::size_t size) {
  for (std::size_t n = size; n > 0; --n) {
    Bytes packed = Compress(Bytes(n, 0x5A), 0);
    if (packed.size() == size) return packed;
  }
  throw std::runtime_error("no stored stream of that size");
}

std::int32_t I32At(const Bytes& b, std::size_t offset) { return gx::ReadI32(b, offset); }
std::string TextAt(const Bytes& b, std::size_t offset) { return gx::ReadText(b, offset, 256); }

}  // namespace

TEST(DataFile, WorkedExampleByteForByte) {
  TempDir dir;
  auto list = MakeList("Bolero", 301, gx::kListSound);
  const Bytes stream = StoredStreamOfSize(10000);
  list->Append(MakeChunk<TGXChunkWav>("bolero", 1, 1, stream));
  WriteDataFile(dir.File("kddata.bin"), {list.get()});

  const Bytes f = ReadFile(dir.File("kddata.bin"));
  ASSERT_EQ(f.size(), 76580u);
  EXPECT_EQ(0, std::memcmp(f.data(), gx::kSignature, 56));
  EXPECT_EQ(f[56], 0);
  EXPECT_EQ(I32At(f, 320), 1);
  EXPECT_EQ(TextAt(f, 324), "Bolero");
  EXPECT_EQ(I32At(f, 580), 301);
  EXPECT_EQ(I32At(f, 584), 301);
  EXPECT_EQ(I32At(f, 588), 11044);
  EXPECT_EQ(I32At(f, 592), 3);
  EXPECT_EQ(I32At(f, 596), 65536);
  EXPECT_EQ(gx::ReadText(f, 65536, 64), "CHUNKLIST");
  EXPECT_EQ(TextAt(f, 65600), "Bolero");
  EXPECT_EQ(I32At(f, 65856), 301);
  EXPECT_EQ(I32At(f, 65860), 301);
  EXPECT_EQ(f[65864], 3);
  EXPECT_EQ(I32At(f, 65868), 1);
  EXPECT_EQ(gx::ReadText(f, 66048, 64), "GXCHUNK");
  EXPECT_EQ(I32At(f, 66112), 8);
  EXPECT_EQ(I32At(f, 66304), 10000);
  EXPECT_EQ(TextAt(f, 66308), "bolero");
  EXPECT_EQ(I32At(f, 66564), 1);
  EXPECT_EQ(I32At(f, 66568), 1);
  EXPECT_EQ(I32At(f, 66576), 0) << "reference slot is written as zero";
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), f.begin() + 66580));

  const auto loaded = TGXSerializer::ReadFromFile(dir.File("kddata.bin"), 301);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Name, "Bolero");
  EXPECT_EQ(loaded->GetType(), 3);
  ASSERT_EQ(loaded->GetCount(), 1);
  const TGXChunk* wav = loaded->GetChunk(0);
  EXPECT_EQ(wav->GetType(), gx::kChunkWav);
  EXPECT_EQ(wav->GetSize(), 10532);
  EXPECT_EQ(wav->Data, stream);
}

TEST(DataFile, SignatureRules) {
  TempDir dir;
  auto list = MakeList("a", 5, gx::kListOpera);
  list->Append(MakeChunk<TGXChunkRtf>("n", 5, 1, Text("x")));
  WriteDataFile(dir.File("ok.bin"), {list.get()});
  Bytes good = ReadFile(dir.File("ok.bin"));

  Bytes lower = good;
  for (int i = 0; i < 56; ++i) lower[std::size_t(i)] = std::uint8_t(std::tolower(lower[std::size_t(i)]));
  WriteFile(dir.File("lower.bin"), lower);
  EXPECT_TRUE(TGXSerializer::ReadFromFile(dir.File("lower.bin"), 5)) << "letter case is ignored";

  Bytes trailing = good;
  trailing[56] = '!';
  WriteFile(dir.File("trailing.bin"), trailing);
  EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("trailing.bin"), 5)) << "byte 56 must end the text";

  Bytes changed = good;
  changed[10] = 'X';
  WriteFile(dir.File("changed.bin"), changed);
  EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("changed.bin"), 5));

  EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("missing.bin"), 5));
  WriteFile(dir.File("empty.bin"), {});
  EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("empty.bin"), 5));
}

TEST(DataFile, DirectoryLookup) {
  TempDir dir;
  auto first = MakeList("first", 7, gx::kListOpera);
  first->Append(MakeChunk<TGXChunkRtf>("one", 7, 1, Text("1")));
  auto second = MakeList("second", 7, gx::kListOpera);
  second->Append(MakeChunk<TGXChunkRtf>("two", 7, 2, Text("2")));
  auto other = MakeList("other", 9, gx::kListSound);
  WriteDataFile(dir.File("dup.bin"), {other.get(), first.get(), second.get()});

  const auto loaded = TGXSerializer::ReadFromFile(dir.File("dup.bin"), 7);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Name, "first") << "the first of two entries with the same Id wins";
  EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("dup.bin"), 8));

  const auto empty = TGXSerializer::ReadFromFile(dir.File("dup.bin"), 9);
  ASSERT_TRUE(empty) << "ChunkCount 0 is still a list";
  EXPECT_EQ(empty->GetCount(), 0);
  EXPECT_EQ(empty->Name, "other");
  EXPECT_EQ(empty->Id, 9);
  EXPECT_EQ(empty->UserId, 9);
  EXPECT_EQ(empty->GetType(), gx::kListSound);

  // ListCount 0 and negative: no entry is looked at.
  Bytes f = ReadFile(dir.File("dup.bin"));
  for (std::int32_t count : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    PatchI32(f, 320, count);
    WriteFile(dir.File("count.bin"), f);
    EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("count.bin"), 7)) << count;
    EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("count.bin"), 9)) << count;
  }
}

TEST(DataFile, FullDirectoryOf236Lists) {
  TempDir dir;
  std::vector<std::unique_ptr<TGXChunkList>> lists;
  std::vector<const TGXChunkList*> order;
  for (int i = 0; i < 236; ++i) {
    lists.push_back(MakeList("list " + std::to_string(i), 1000 + i, gx::kListOpera));
    lists.back()->Append(MakeChunk<TGXChunkRtf>("n", 1000 + i, i, Text("note " + std::to_string(i))));
    order.push_back(lists.back().get());
  }
  WriteDataFile(dir.File("full.bin"), order);

  TGXFileWriter writer;
  ASSERT_TRUE(writer.Open(dir.File("more.bin")));
  for (const TGXChunkList* list : order) ASSERT_TRUE(writer.AppendList(*list));
  EXPECT_FALSE(writer.AppendList(*order.front())) << "a 237th list has no room";

  const Bytes f = ReadFile(dir.File("full.bin"));
  EXPECT_EQ(I32At(f, 320), 236);
  EXPECT_EQ(TextAt(f, 324 + 276 * 235), "list 235");
  const auto last = TGXSerializer::ReadFromFile(dir.File("full.bin"), 1235);
  ASSERT_TRUE(last);
  ASSERT_EQ(last->GetCount(), 1);
  EXPECT_EQ(last->GetChunk(0)->Data, Text("note 235"));

  // A count above 236 reads as 236: the bytes past the block are never taken for entries.
  Bytes big = f;
  PatchI32(big, 320, 100000);
  WriteFile(dir.File("big.bin"), big);
  THeaderBlock header;
  header.Assign(big.data(), big.size());
  EXPECT_EQ(header.Directory().size(), 236u);
  EXPECT_TRUE(TGXSerializer::ReadFromFile(dir.File("big.bin"), 1235));
}

TEST(DataFile, ShortFileReadsAsZeroFilled) {
  TempDir dir;
  auto list = MakeOperaList(42, "Gioconda");
  const Bytes file = CompactFile({EntryFor(*list)}, {list->WriteToBlob()});
  ASSERT_LT(file.size(), 65536u);
  WriteFile(dir.File("short.bin"), file);
  const auto loaded = TGXSerializer::ReadFromFile(dir.File("short.bin"), 42);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->GetCount(), 4);

  // Cut just after ListCount: the directory reads as one all-zero entry, which matches Id 0
  // and points at the start of the file; nothing breaks.
  const Bytes cut(file.begin(), file.begin() + 324);
  WriteFile(dir.File("cut.bin"), cut);
  EXPECT_FALSE(TGXSerializer::ReadFromFile(dir.File("cut.bin"), 42));
  const auto zeroEntry = TGXSerializer::ReadFromFile(dir.File("cut.bin"), 0);
  ASSERT_TRUE(zeroEntry);
  EXPECT_EQ(zeroEntry->GetCount(), 0);
}

TEST(DataFile, BlobBeyondTheFile) {
  TempDir dir;
  auto list = MakeList("tail", 3, gx::kListOpera);
  list->Append(MakeChunk<TGXChunkRtf>("a", 3, 1, Text("first")));
  list->Append(MakeChunk<TGXChunkWmv>("b", 3, 2, Bytes(400, 0x77)));
  WriteDataFile(dir.File("whole.bin"), {list.get()});
  const Bytes whole = ReadFile(dir.File("whole.bin"));

  // The last 100 movie bytes are missing: they read as zeros.
  WriteFile(dir.File("cut.bin"), Bytes(whole.begin(), whole.end() - 100));
  const auto cut = TGXSerializer::ReadFromFile(dir.File("cut.bin"), 3);
  ASSERT_TRUE(cut);
  ASSERT_EQ(cut->GetCount(), 2);
  Bytes expected(400, 0x77);
  std::fill(expected.end() - 100, expected.end(), 0);
  EXPECT_EQ(cut->GetChunk(1)->Data, expected);

  // The file again with one field of the first directory entry changed, read back.
  auto readWith = [&](const char* name, int field, std::int32_t value) {
    Bytes patched = whole;
    PatchI32(patched, EntryField(0, field), value);
    WriteFile(dir.File(name), patched);
    return TGXSerializer::ReadFromFile(dir.File(name), 3);
  };
  constexpr int kSize = 264, kOffset = 272;

  // Negative Offset or Size loads nothing.
  EXPECT_FALSE(readWith("negoffset.bin", kOffset, -1));
  EXPECT_FALSE(readWith("negsize.bin", kSize, -512));

  // A blob wholly past the end, and a huge claimed Size: an empty or partial list, no huge buffer.
  const auto farList = readWith("far.bin", kOffset, 0x7FFF0000);
  ASSERT_TRUE(farList);
  EXPECT_EQ(farList->GetCount(), 0);
  const auto hugeList = readWith("huge.bin", kSize, 0x7FFFFFFF);
  ASSERT_TRUE(hugeList);
  EXPECT_EQ(hugeList->GetCount(), 2);
}

TEST(DataFile, WriterRefusals) {
  TempDir dir;
  TGXFileWriter writer;
  EXPECT_FALSE(writer.AppendList(*MakeList("x", 1, 4))) << "not open";
  ASSERT_TRUE(writer.Open(dir.File("w.bin")));
  auto noData = MakeList("x", 1, 4);
  noData->Append(std::make_unique<TGXChunkRtf>());
  EXPECT_FALSE(writer.AppendList(*noData));
  EXPECT_FALSE(writer.AppendList(*MakeList(std::string(256, 'n'), 1, 4)));
  EXPECT_TRUE(writer.AppendList(*MakeList(std::string(255, 'n'), 1, 4)));
  EXPECT_TRUE(writer.Finish());
  const auto loaded = TGXSerializer::ReadFromFile(dir.File("w.bin"), 1);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Name, std::string(255, 'n'));
}

TEST(DataFile, FieldReadsStopAtTheEndOfTheBytes) {
  const Bytes bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 'A', 'b', 'c'};
  EXPECT_EQ(gx::ReadI32(bytes, 0), 0x04030201);
  EXPECT_EQ(gx::ReadI32(bytes, 4), 0x63624105);
  // A number that would run past the end, or starts there or beyond, reads as 0.
  EXPECT_EQ(gx::ReadI32(bytes, 5), 0);
  EXPECT_EQ(gx::ReadI32(bytes, 8), 0);
  EXPECT_EQ(gx::ReadI32(bytes, std::size_t(-2)), 0);
  EXPECT_EQ(gx::ReadF64(bytes, 1), 0.0);
  EXPECT_EQ(gx::ReadI32(gx::TByteView(nullptr, 64), 0), 0);
  // A text ends where the bytes do, as if the field held its terminator there.
  EXPECT_EQ(gx::ReadText(bytes, 5, 64), "Abc");
  EXPECT_EQ(gx::ReadText(bytes, 5, 3), "Ab");
  EXPECT_EQ(gx::ReadText(bytes, 9, 64), "");
  EXPECT_TRUE(gx::SameTextIgnoringCase(bytes, 5, 8, "ABC"));
  EXPECT_FALSE(gx::SameTextIgnoringCase(bytes, 5, 8, "ABCD"));
  // Copies are zero where the bytes end.
  std::array<std::uint8_t, 4> copy{9, 9, 9, 9};
  gx::TByteView(bytes).CopyTo(6, copy.data(), copy.size());
  EXPECT_EQ(copy, (std::array<std::uint8_t, 4>{'b', 'c', 0, 0}));
}
