// Chunk records and the chunk list: record lengths, the parser's accounting, round trips
// through the writer, the dump text and where a malformed blob stops the parse.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "data/bytes.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "testutil.h"

using namespace testutil;

namespace {

Bytes BlobOf(const TGXChunkList& list) {
  Bytes blob = list.WriteToBlob();
  EXPECT_FALSE(blob.empty());
  return blob;
}

std::int32_t Parse(const Bytes& blob, TGXChunkList& list) {
  return list.ReadFromBuffer(blob.data(), static_cast<std::int32_t>(blob.size()));
}

// Offset of record `index` in a blob written by the writer.
std::size_t RecordOffset(const TGXChunkList& list, std::int32_t index) {
  std::size_t at = gx::kListHeaderSize;
  for (std::int32_t i = 0; i < index; ++i) at += std::size_t(list.GetChunk(i)->GetSize());
  return at;
}

}  // namespace

TEST(Chunks, RecordLengthsAndParserAccounting) {
  struct Case {
    std::int32_t type;
    std::int32_t fixed;
  };
  for (const Case c : {Case{2, 272}, Case{4, 544}, Case{5, 276}, Case{8, 276}, Case{11, 272}, Case{13, 272},
                       Case{15, 272}, Case{16, 632}}) {
    SCOPED_TRACE(c.type);
    auto chunk = CreateChunk(c.type);
    ASSERT_TRUE(chunk);
    chunk->Name = "c";
    chunk->AssignData(Bytes(37, 0x11));
    EXPECT_EQ(chunk->GetSize(), 256 + c.fixed + 37);

    auto list = MakeList("l", 1, 1);
    list->Append(std::move(chunk));
    list->Append(MakeChunk<TGXChunkRtf>("after", 2, 2, Text("after")));
    const Bytes blob = BlobOf(*list);
    ASSERT_EQ(blob.size(), std::size_t(512 + 256 + c.fixed + 37 + 528 + 5));

    TGXChunkList read;
    EXPECT_EQ(Parse(blob, read), std::int32_t(blob.size())) << "the parser lands exactly after each record";
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetChunk(0)->GetType(), c.type);
    EXPECT_EQ(read.GetChunk(0)->Data, Bytes(37, 0x11));
    EXPECT_EQ(read.GetChunk(1)->Name, "after");
  }

  // The class answers: a shape counts its header, an image or camera without data its fixed block.
  TGXChunkVrmlShape shape;
  Bytes fixed(272 + 10, 0);
  gx::WriteI32(fixed.data(), 10);
  EXPECT_EQ(shape.ReadFromBuffer(fixed.data(), fixed.size()), 528 + 10);
  gx::WriteI32(fixed.data(), 0);
  EXPECT_EQ(shape.ReadFromBuffer(fixed.data(), fixed.size()), 0);
  TGXChunkImageRawRgba image;
  Bytes imageFixed(544, 0);
  EXPECT_EQ(image.ReadFromBuffer(imageFixed.data(), imageFixed.size()), 544);
  EXPECT_FALSE(image.HasData());
  TGXChunkCamera camera;
  Bytes cameraFixed(632, 0);
  EXPECT_EQ(camera.ReadFromBuffer(cameraFixed.data(), cameraFixed.size()), 632);
  EXPECT_EQ(camera.ReadFromBuffer(cameraFixed.data(), 631), TGXChunk::kRecordDoesNotFit);
}

TEST(Chunks, EmptyImageAndCameraRecords) {
  // Records without data: a type 4 consumes 800 bytes, a type 16 888, and the next record follows.
  auto list = MakeList("l", 1, 1);
  auto camera = std::make_unique<TGXChunkCamera>();
  camera->Pos = {0.5, -1.0, 2.0};
  list->Append(std::move(camera));
  list->Append(MakeChunk<TGXChunkRtf>("n", 1, 1, Text("z")));
  Bytes blob = BlobOf(*list);
  ASSERT_EQ(blob.size(), std::size_t(512 + 888 + 529));

  // Splice in an image record without data, which no writer produces through WriteToBuffer.
  Bytes image(800, 0);
  std::memcpy(image.data(), "GXCHUNK", 7);
  gx::WriteI32(image.data() + 64, gx::kChunkImageRawRgba);
  gx::WriteI32(image.data() + 256 + 268, 640);
  blob.insert(blob.begin() + 512, image.begin(), image.end());
  gx::WriteI32(blob.data() + gx::kListChunkCount, 3);

  TGXChunkList read;
  EXPECT_EQ(Parse(blob, read), std::int32_t(blob.size()));
  ASSERT_EQ(read.GetCount(), 3);
  const auto* readImage = static_cast<const TGXChunkImageRawRgba*>(read.GetChunk(0));
  EXPECT_EQ(readImage->Width, 640);
  EXPECT_FALSE(readImage->HasData());
  const auto* readCamera = static_cast<const TGXChunkCamera*>(read.GetChunk(1));
  EXPECT_EQ(readCamera->Pos[1], -1.0);
  EXPECT_EQ(readCamera->GetSize(), 888);
  EXPECT_EQ(read.GetChunk(2)->Data, Text("z"));
}

TEST(Chunks, EveryClassRoundTripsThroughAFile) {
  TempDir dir;
  const auto every = MakeEveryClassList(110);
  const auto opera = MakeOperaList(401, "Primavera");
  WriteDataFile(dir.File("kddata.bin"), {every.get(), opera.get()});

  for (const TGXChunkList* original : {every.get(), opera.get()}) {
    const auto read = TGXSerializer::ReadFromFile(dir.File("kddata.bin"), original->Id);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Name, original->Name);
    EXPECT_EQ(read->GetType(), original->GetType());
    ASSERT_EQ(read->GetCount(), original->GetCount());
    for (std::int32_t i = 0; i < read->GetCount(); ++i) {
      const TGXChunk* a = original->GetChunk(i);
      const TGXChunk* b = read->GetChunk(i);
      SCOPED_TRACE(a->Name);
      EXPECT_EQ(b->GetType(), a->GetType());
      EXPECT_EQ(b->Name, a->Name);
      EXPECT_EQ(b->Id, a->Id);
      EXPECT_EQ(b->UserId, a->UserId);
      EXPECT_EQ(b->DataLength, a->DataLength);
      EXPECT_EQ(b->Data, a->Data);
    }
    // Written again, the blob is the same bytes.
    EXPECT_EQ(read->WriteToBlob(), original->WriteToBlob());
  }
  const auto read = TGXSerializer::ReadFromFile(dir.File("kddata.bin"), 110);
  ASSERT_TRUE(read);
  const auto* image = static_cast<const TGXChunkImageRawRgba*>(read->GetChunk(1));
  EXPECT_EQ(image->Width, 2);
  EXPECT_EQ(image->Height, 3);
  EXPECT_EQ(image->Components, 4);
  const auto* camera = static_cast<const TGXChunkCamera*>(read->GetChunk(2));
  EXPECT_EQ(camera->Pos[0], 1.0);
  EXPECT_EQ(camera->Pos[2], -3.0);
}

TEST(Chunks, ClassOperations) {
  // A fresh chunk refuses to write, except the camera.
  for (std::int32_t type : {1, 2, 4, 5, 8, 11, 13, 15, 16}) {
    auto chunk = CreateChunk(type);
    ASSERT_TRUE(chunk) << type;
    EXPECT_EQ(chunk->Id, -1);
    EXPECT_EQ(chunk->DataLength, 0);
    Bytes out(2000, 0xEE);
    EXPECT_EQ(chunk->WriteToBuffer(out.data(), out.size()), type == 16 ? 888 : 0) << type;
    EXPECT_EQ(chunk->WriteToBuffer(nullptr, 0), 0) << type;
  }
  EXPECT_FALSE(CreateChunk(0));
  EXPECT_FALSE(CreateChunk(3));
  EXPECT_FALSE(CreateChunk(17));

  TGXChunkWav wav;
  const Bytes data{1, 2, 3};
  EXPECT_EQ(wav.SetData(data.data(), 3), 3);
  EXPECT_EQ(wav.SetData(data.data(), 0), 0) << "length 0 is refused";
  EXPECT_EQ(wav.SetData(nullptr, 3), 0);
  EXPECT_EQ(wav.DataLength, 3);
  EXPECT_EQ(wav.Data, data);
  TGXChunkVrmlShape shape;
  EXPECT_EQ(shape.SetData(data.data(), 3), 0) << "shapes take no data this way";
  EXPECT_FALSE(shape.HasData());

  // Image fields: low 16 bits, signed.
  TGXChunkImageRawRgba image;
  image.Width = 0x12345678;
  image.Height = 0x0001FFFF;
  EXPECT_EQ(image.ImageWidth(), 0x5678);
  EXPECT_EQ(image.ImageHeight(), -1);
}

TEST(Chunks, MovieSaveToFile) {
  TempDir dir;
  TGXChunkWmv movie;
  movie.SaveToFile(dir.File("none.wmv"));
  EXPECT_FALSE(std::ifstream(dir.File("none.wmv")).good()) << "no data, no file";
  movie.AssignData(Text("movie bytes"));
  WriteFile(dir.File("m.wmv"), Bytes(5000, 1));
  movie.SaveToFile(dir.File("m.wmv"));
  EXPECT_EQ(ReadFile(dir.File("m.wmv")), Text("movie bytes")) << "replaces the old file";
  EXPECT_THROW(movie.SaveToFile(dir.File("no/such/folder/m.wmv")), EFCreateError);
  EXPECT_THROW(movie.SaveToFile(""), EFCreateError);
}

TEST(ChunkList, DumpExample) {
  auto list = MakeList("sala", 110, gx::kListScene);
  list->Append(MakeChunk<TGXChunkVrmlShape>("room", 7, 7, Bytes(1000, 0x78)));
  auto camera = MakeChunk<TGXChunkCamera>("view", 8, 8);
  camera->Pos = {1.0, 2.5, -3.0};
  list->Append(std::move(camera));
  TGXChunkList read;
  const Bytes blob = BlobOf(*list);
  Parse(blob, read);
  std::string text = "before";
  read.Dump(text);
  EXPECT_EQ(text,
            "before\n\nChunk List:\n    Name: 'sala'\n    Id: 110\n    UserId: 110\n    Type: 1\n    Total chunks: 2"
            "\n\n      Chunk : [ 0 ]\n      Type: 15  [ vrml shape ]\n      Size: 1528\n      Name: room"
            "\n      Id: 7\n      UserId: 7"
            "\n\n      Chunk : [ 1 ]\n      Type: 16  [ camera ]\n      Size: 888\n      Name: view"
            "\n      Id: 8\n      UserId: 8\n      Pos:  1.000,  2.500, -3.000");
}

TEST(ChunkList, DumpSkipsNotesAndMoviesButCountsThem) {
  auto list = MakeList("mix", 4, gx::kListScene);
  list->Append(MakeChunk<TGXChunkRtf>("nota", 1, 1, Text("r")));
  list->Append(MakeChunk<TGXChunkWmv>("film", 1, 2, Text("m")));
  list->Append(MakeChunk<TGXChunkAvi>("avi", 1, 3, Text("a")));
  list->Append(MakeChunk<TGXChunkWav>("suono", 1, 4, Text("w")));
  list->Append(MakeChunk<TGXChunkBmp>("immagine", 1, 5, Text("b")));
  auto image = MakeChunk<TGXChunkImageRawRgba>("tex", 1, 6, Text("i"));
  list->Append(std::move(image));
  std::string text;
  list->Dump(text);
  EXPECT_EQ(text.find("nota"), std::string::npos);
  EXPECT_EQ(text.find("film"), std::string::npos);
  EXPECT_EQ(text.find("avi"), std::string::npos);
  EXPECT_NE(text.find("Total chunks: 6"), std::string::npos);
  EXPECT_NE(text.find("\n\n      Chunk : [ 3 ]\n      Type: 8  [ wav sound ]\n      Size: 533\n      Name: suono"),
            std::string::npos);
  EXPECT_NE(text.find("\n\n      Chunk : [ 4 ]\n      Type: 5  [ bmp image ]"), std::string::npos);
  EXPECT_NE(text.find("\n\n      Chunk : [ 5 ]\n      Type: 4  [ raw rgba ]\n      Size: 801"), std::string::npos);

  TGXChunkList empty;
  const Bytes blob = BlobOf(*MakeList("vuota", 9, 4));
  Parse(blob, empty);
  std::string emptyText;
  empty.Dump(emptyText);
  EXPECT_EQ(emptyText, "\n\nChunk List:\n    Name: 'vuota'\n    Id: 9\n    UserId: 9\n    Type: 4\n    Total chunks: 0");
  EXPECT_EQ(empty.GetChunk(-1), nullptr);
  EXPECT_EQ(empty.GetChunk(0), nullptr);
  EXPECT_EQ(list->GetChunk(6), nullptr);
  EXPECT_NE(list->GetChunk(5), nullptr);
}

TEST(ChunkList, HeaderMagicIsNotChecked) {
  auto list = MakeOperaList(8, "op");
  Bytes blob = BlobOf(*list);
  std::memcpy(blob.data(), "ANYTHING AT ALL", 15);
  TGXChunkList read;
  EXPECT_EQ(Parse(blob, read), std::int32_t(blob.size()));
  EXPECT_EQ(read.GetCount(), 4);
  EXPECT_EQ(read.Magic, "ANYTHING AT ALL");
}

// Every malformed record ends the parse where it stands; the records before it stay.
TEST(ChunkList, MalformedRecordEndsTheParse) {
  const auto list = MakeOperaList(8, "op");  // four records: rtf, wmv, rtf, wmv
  const Bytes good = BlobOf(*list);
  const std::size_t second = RecordOffset(*list, 1);
  const std::size_t secondFixed = second + 256;

  struct Case {
    const char* what;
    Bytes blob;
  };
  std::vector<Case> cases;
  cases.push_back({"blob ends inside the header", Bytes(good.begin(), good.begin() + long(second) + 100)});
  cases.push_back({"blob ends inside the fixed block", Bytes(good.begin(), good.begin() + long(secondFixed) + 100)});
  cases.push_back({"blob ends inside the data", Bytes(good.begin(), good.begin() + long(secondFixed) + 272 + 3)});
  Bytes b = good;
  b[second + 6] = 'X';
  cases.push_back({"magic differs", b});
  b = good;
  b[second + 7] = 'S';
  cases.push_back({"magic has trailing characters", b});
  for (std::int32_t type : {0, 1, 3, 17, -13}) {
    b = good;
    gx::WriteI32(b.data() + second + 64, type);
    cases.push_back({"type without a class", b});
  }
  for (std::int32_t length : {0, -1}) {
    b = good;
    gx::WriteI32(b.data() + secondFixed, length);
    cases.push_back({"movie without data", b});
  }
  b = good;
  gx::WriteI32(b.data() + secondFixed, 0x7FFFFFFF);
  cases.push_back({"data length past the blob", b});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TGXChunkList read;
    EXPECT_EQ(Parse(c.blob, read), 0);
    ASSERT_EQ(read.GetCount(), 1);
    EXPECT_EQ(read.GetChunk(0)->Name, "Scheda");
    EXPECT_EQ(read.Name, "op");
  }

  // Lower-case magic is the same magic.
  b = good;
  std::memcpy(b.data() + second, "gxChunk", 7);
  TGXChunkList read;
  EXPECT_EQ(Parse(b, read), std::int32_t(b.size()));
  EXPECT_EQ(read.GetCount(), 4);

  // A blob that ends on a record boundary before ChunkCount records.
  const Bytes early(good.begin(), good.begin() + long(RecordOffset(*list, 2)));
  TGXChunkList partial;
  EXPECT_EQ(Parse(early, partial), 0);
  EXPECT_EQ(partial.GetCount(), 2);

  // A count far above the records that exist, and a negative count.
  b = good;
  gx::WriteI32(b.data() + gx::kListChunkCount, 0x7FFFFFFF);
  TGXChunkList many;
  EXPECT_EQ(Parse(b, many), 0);
  EXPECT_EQ(many.GetCount(), 4);
  gx::WriteI32(b.data() + gx::kListChunkCount, -4);
  TGXChunkList none;
  EXPECT_EQ(Parse(b, none), 512);
  EXPECT_EQ(none.GetCount(), 0);

  // Less than a list header.
  TGXChunkList tiny;
  EXPECT_EQ(Parse(Bytes(100, 0), tiny), 0);
  EXPECT_EQ(tiny.GetCount(), 0);
  EXPECT_EQ(tiny.ReadFromBuffer(nullptr, 1000), 0);
}
