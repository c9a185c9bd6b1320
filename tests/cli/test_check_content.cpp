// What the windows make of an opera's notes and movies, the playlist of a sound and a kiosk of a
// texture; pack refusing what check would refuse; ls of one opera.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "clitestsupport.h"
#include "data/bytes.h"
#include "data/gxformat.h"

namespace {

const std::string kFixtures = PINACORA_SOURCE_DIR "/tests/cli/fixtures/";
const std::string kRtfFixtures = PINACORA_SOURCE_DIR "/tests/rtf/fixtures/";

std::vector<std::uint8_t> Bytes(const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

class Content : public ::testing::Test {
 protected:
  // The clean hand-made file with one more note or movie in opera 301.
  template <typename Chunk>
  TRun CheckWith(const std::vector<std::uint8_t>& bytes) {
    THandMade file = THandMade::Clean();
    auto chunk = std::make_unique<Chunk>();
    chunk->Id = 301;
    chunk->UserId = 7;
    chunk->Name = "extra";
    chunk->AssignData(bytes);
    file.List(301).Append(std::move(chunk));
    EXPECT_TRUE(file.Write(scratch.Path("f.bin")));
    return RunTool({"check", scratch.Path("f.bin")});
  }
  TScratch scratch;
};

TEST_F(Content, NotesAsTheInfoWindowWouldShowThem) {
  // RTF written by LibreOffice, pandoc and AbiWord is what the info window reads.
  for (const std::string& path : {kRtfFixtures + "nota.rtf", kRtfFixtures + "scheda.rtf", kFixtures + "scheda-abiword.rtf"}) {
    const TRun run = CheckWith<TGXChunkRtf>(LoadBytes(path));
    EXPECT_EQ(run.Status, 0) << path << "\n" << run.Out;
    EXPECT_EQ(run.Out, "") << path;
  }
  const std::string at = "list 3 (Id 301, 'Natività'): chunk 1 'extra': ";
  struct Case {
    std::vector<std::uint8_t> Bytes;
    std::string Says;
    int Status;
  };
  const std::vector<Case> cases = {
      {LoadBytes(kFixtures + "scheda.odt"), at + "the note is a ZIP archive (an ODT or DOCX document is one), not RTF or text", 1},
      {Bytes("\xEF\xBB\xBF{\\rtf1 caff\\'e8}"), at + "the note's RTF starts after 3 bytes of byte-order mark", 1},
      {Bytes("\n {\\rtf1 x}"), at + "the note's RTF starts after 2 bytes", 1},
      {Bytes("caff\xC3\xA8, citt\xC3\xA0\n"), at + "the note is plain UTF-8 text", 1},
      {Bytes("\xFF\xFE" "c\0a\0"), at + "the note is UTF-16 text", 1},
      {Bytes("{\\rtf1" + std::string(300, '{')), at + "the note nests its groups deeper than 256", 1},
      {Bytes("caff\xE8, citt\xE0\n"), "warning: " + at + "the note is plain text, not RTF", 0},
  };
  for (const Case& c : cases) {
    const TRun run = CheckWith<TGXChunkRtf>(c.Bytes);
    EXPECT_EQ(run.Status, c.Status) << c.Says << "\n" << run.Out;
    EXPECT_EQ(run.Out.rfind(c.Says, 0), 0u) << run.Out;
  }
}

TEST_F(Content, MoviesByTheirContainer) {
  for (const std::string& bytes : {std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9", 10),
                                   std::string("\0\0\0\x20" "ftypisom", 12), std::string("\x1A\x45\xDF\xA3\x9f", 5),
                                   std::string("RIFF\0\0\0\0AVI LIST", 16), std::string("\0\0\1\xBA\x44", 5)}) {
    EXPECT_EQ(CheckWith<TGXChunkWmv>(Bytes(bytes)).Status, 0);
  }
  TRun run = CheckWith<TGXChunkWmv>(Bytes("\x89PNG\r\n\x1a\n...."));
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("chunk 1 'extra': the movie is a PNG picture (it plays ASF/WMV, MP4"), std::string::npos) << run.Out;
  run = CheckWith<TGXChunkWmv>(Bytes("just some text"));
  EXPECT_NE(run.Out.find("the movie is no container the movie window plays"), std::string::npos) << run.Out;
}

TEST_F(Content, SoundsShortOrSilentAndTexturesTooBigForAKiosk) {
  THandMade file = THandMade::Clean();
  file.List(201).GetChunk(0)->AssignData(Deflated(std::string(2000, '\x10')));  // 90 ms
  ASSERT_TRUE(file.Write(scratch.Path("f.bin")));
  TRun run = RunTool({"check", scratch.Path("f.bin")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "warning: list 2 (Id 201, 'Preludio'): chunk 0 'tune': the sound lasts 90 ms, shorter than the "
                     "playlist's 130 ms fade-in, so it is never heard at full level\n");

  file = THandMade::Clean();
  std::string quiet;
  for (int i = 0; i < 11025; ++i) quiet += i % 2 ? std::string("\x20\x00", 2) : std::string("\xe0\xff", 2);  // +-32
  file.List(201).GetChunk(0)->AssignData(Deflated(quiet));
  ASSERT_TRUE(file.Write(scratch.Path("f.bin")));
  run = RunTool({"check", scratch.Path("f.bin"), "--strict"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("the sound is silent (its loudest sample is 32 of 32767)"), std::string::npos) << run.Out;

  file = THandMade::Clean();
  auto& texture = static_cast<TGXChunkImageRawRgba&>(*file.List(120).GetChunk(1));
  texture.Width = 2049;
  texture.Height = 2;
  texture.AssignData(Deflated(std::string(2049 * 2 * 3, '\x7f')));
  ASSERT_TRUE(file.Write(scratch.Path("f.bin")));
  run = RunTool({"check", scratch.Path("f.bin")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("warning: list 1 (Id 120, 'Opere'): chunk 1 'TEX_301': texture of 2049 x 2 pixels, more than "
                         "2048 a side"),
            std::string::npos)
      << run.Out;
}

TEST_F(Content, ACorruptTextureStreamIsCalledCorrupt) {
  THandMade file = THandMade::Clean();
  std::vector<std::uint8_t> stream = Deflated(std::string(18, '\x7f'));
  stream[stream.size() - 6] ^= 0x55;  // inside the deflate data: a bad stream, not a long one
  file.List(120).GetChunk(1)->AssignData(stream);
  ASSERT_TRUE(file.Write(scratch.Path("f.bin")));
  const TRun run = RunTool({"check", scratch.Path("f.bin")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("its zlib stream does not inflate"), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.find("inflates to more than"), std::string::npos) << run.Out;
}

TEST_F(Content, RecordsBeforeAMalformedOneAreStillLookedAt) {
  THandMade file = THandMade::Clean();
  file.List(301).GetChunk(0)->AssignData(Bytes("\xEF\xBB\xBF{\\rtf1 x}"));
  auto broken = std::make_unique<TGXChunkRtf>();
  broken->Id = 301;
  broken->AssignData(Bytes("{\\rtf1 y}"));
  file.List(301).Append(std::move(broken));
  ASSERT_TRUE(file.Write(scratch.Path("f.bin")));
  std::vector<std::uint8_t> bytes = LoadBytes(scratch.Path("f.bin"));
  // The second record's magic: the second GXCHUNK of the opera's blob, the last list of the file.
  const std::size_t blob = std::size_t(gx::ReadI32(bytes, gx::kDirectoryOffset + 3 * gx::kDirectoryEntrySize + gx::kEntryOffset));
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t second = text.find("GXCHUNK", text.find("GXCHUNK", blob) + 1);
  ASSERT_NE(second, std::string::npos);
  bytes[second] = 'X';
  std::ofstream(scratch.Path("f.bin"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  const TRun run = RunTool({"check", scratch.Path("f.bin")});
  EXPECT_NE(run.Out.find("no GXCHUNK magic"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("chunk 0 'Scheda': the note's RTF starts after 3 bytes"), std::string::npos) << run.Out;
}

// pack runs the same checker on what it wrote: every problem named, no file on an error.
TEST(PackVerifies, ProblemsAreNamedAndNoFileIsLeftUnlessForced) {
  TScratch scratch;
  const TSample sample = MakeSample(scratch);
  std::string manifest = LoadText(sample.Manifest);
  auto replace = [&manifest](const std::string& from, const std::string& to) {
    const std::size_t at = manifest.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    manifest.replace(at, from.size(), to);
  };
  replace(R"("node": "TEX_302")", R"("node": "TEX_999")");
  replace(R"({ "file": "plain.txt", "userId": 40 })", R"({ "file": "plain.txt", "userId": 0 })");
  replace(R"({ "kind": "opera", "id": 302, "name": "Città ideale" })",
          R"({ "kind": "opera", "id": 302, "name": "Città ideale" }, { "kind": "opera", "id": 303, "name": "Altrove" })");
  SaveText(scratch.Path("bad.json"), manifest);
  SaveText(scratch.Path("out.bin"), "previous exhibition");

  TRun run = RunTool({"pack", scratch.Path("bad.json"), "-o", scratch.Path("out.bin")});
  EXPECT_EQ(run.Status, 1);
  const std::string out = "pinacora-data pack: " + scratch.Path("out.bin") + ": ";
  for (const std::string& problem :
       {out + "list 1 (Id 120, 'Opere'): chunk 2: texture 'TEX_999' fills no Texture2 node of the shape",
        out + "list 3 (Id 301, 'Natività'): chunk 1 'plain': another note of this list has UserId 0",
        out + "list 5 (Id 303, 'Altrove'): the opera has no face set KD_303 in scene list 120",
        out + "3 errors, so the file is not written (--force writes it anyway)"}) {
    EXPECT_NE(run.Err.find(problem), std::string::npos) << problem << "\n" << run.Err;
  }
  EXPECT_EQ(run.Err.find(".part"), std::string::npos) << run.Err;
  EXPECT_EQ(LoadText(scratch.Path("out.bin")), "previous exhibition");
  EXPECT_FALSE(std::filesystem::exists(scratch.Path("out.bin.part")));

  run = RunTool({"pack", scratch.Path("bad.json"), "-o", scratch.Path("out.bin"), "--force"});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find(out + "written with 3 errors, as --force asks"), std::string::npos) << run.Err;
  EXPECT_EQ(RunTool({"check", scratch.Path("out.bin")}).Status, 1);

  // A file without its scene lists is no exhibition either.
  SaveText(scratch.Path("rooms.json"), R"({"lists": [ { "kind": "opera", "id": 5, "name": "Sola" } ]})");
  run = RunTool({"pack", scratch.Path("rooms.json"), "-o", scratch.Path("rooms.bin")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("scene list 110 is missing"), std::string::npos) << run.Err;
  EXPECT_FALSE(std::filesystem::exists(scratch.Path("rooms.bin")));
}

TEST(LsOpera, NotesAndMoviesWithTheIndexExtractTakes) {
  TScratch scratch;
  const TSample sample = MakeSample(scratch);
  ASSERT_EQ(RunTool({"pack", sample.Manifest, "-o", scratch.Path("f.bin")}).Status, 0);
  const TRun run = RunTool({"ls", scratch.Path("f.bin"), "301"});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "INDEX\tKind\tUserId\tName\n0\tnote\t0\tScheda\n1\tnote\t40\tplain\n2\tmovie\t2\tIl restauro\n");
  ASSERT_EQ(RunTool({"extract", scratch.Path("f.bin"), "301", "0", "-o", scratch.Path("note.rtf")}).Status, 0);
  EXPECT_EQ(LoadText(scratch.Path("note.rtf")), sample.NoteRtf);

  EXPECT_EQ(RunTool({"ls", scratch.Path("f.bin"), "302"}).Out, "INDEX\tKind\tUserId\tName\n");
  TRun refused = RunTool({"ls", scratch.Path("f.bin"), "120"});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("list 120 is of type 1, not an opera"), std::string::npos) << refused.Err;
  EXPECT_EQ(RunTool({"ls", scratch.Path("f.bin"), "999"}).Status, 1);
  EXPECT_EQ(RunTool({"ls", scratch.Path("f.bin"), "3x"}).Status, 2);
}

TEST(LsOpera, FoldersAndNegativeCountsAreSaidSo) {
  TScratch scratch;
  TRun run = RunTool({"ls", scratch.Root()});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "pinacora-data ls: " + scratch.Root() + ": not a regular file\n");

  ASSERT_TRUE(THandMade::Clean().Write(scratch.Path("f.bin")));
  std::vector<std::uint8_t> bytes = LoadBytes(scratch.Path("f.bin"));
  gx::WriteI32(bytes.data() + gx::kListCountOffset, -3);
  std::ofstream(scratch.Path("f.bin"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  run = RunTool({"ls", scratch.Path("f.bin")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("ListCount -3 is negative, so the directory lists nothing"), std::string::npos) << run.Err;
}

}  // namespace
