// check: clean files pass; each kind of damage is reported; no input makes it fall over.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "data/bytes.h"
#include "clitestsupport.h"
#include "check/datacheck.h"
#include "data/gxformat.h"
#include "data/gxwriter.h"

namespace {

TEST(Check, TheDemoExhibitionIsClean) {
  ASSERT_TRUE(std::filesystem::exists(PINACORA_DEMO_DATA)) << PINACORA_DEMO_DATA;
  const TRun run = RunTool({"check", PINACORA_DEMO_DATA});
  EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
  EXPECT_EQ(run.Out, "");
}

TEST(Check, TheDemoHasEightWorksWithAccentedNamesThreeSoundsAndTwoMovies) {
  const TRun ls = RunTool({"ls", PINACORA_DEMO_DATA});
  ASSERT_EQ(ls.Status, 0);
  int operas = 0, sounds = 0, scenes = 0;
  std::size_t start = ls.Out.find('\n') + 1;
  while (start < ls.Out.size()) {
    const std::size_t end = ls.Out.find('\n', start);
    const std::string line = ls.Out.substr(start, end - start);
    const std::size_t tab = line.find('\t');
    const int type = std::stoi(line.substr(tab + 1));
    operas += type == gx::kListOpera;
    sounds += type == gx::kListSound;
    scenes += type == gx::kListScene;
    start = end + 1;
  }
  EXPECT_GE(operas, 8);
  EXPECT_EQ(sounds, 3);
  EXPECT_EQ(scenes, 2);
  EXPECT_NE(ls.Out.find("\tNatività\n"), std::string::npos);
  EXPECT_NE(ls.Out.find("\tCittà ideale\n"), std::string::npos);
  const TRun dump = RunTool({"dump", PINACORA_DEMO_DATA, "120"});
  EXPECT_NE(dump.Out.find("Name: TEX_308"), std::string::npos);
}

// A hand-made file, damaged one way, must be reported with the expected words, and only it.
class Damage : public ::testing::Test {
 protected:
  TRun CheckWritten(const THandMade& file) {
    EXPECT_TRUE(file.Write(scratch.Path("f.bin")));
    return RunTool({"check", scratch.Path("f.bin")});
  }
  TRun CheckBytes(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(scratch.Path("f.bin"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return RunTool({"check", scratch.Path("f.bin")});
  }
  // Exactly one error, with those words (warnings that follow from the damage may come with it).
  static void ExpectOneProblem(const TRun& run, const std::string& words) {
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Out.find(words), std::string::npos) << run.Out;
    EXPECT_EQ(ErrorLines(run), 1) << run.Out;
  }
  static int ErrorLines(const TRun& run) {
    int errors = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = run.Out.find('\n', start)) != std::string::npos; start = end + 1) {
      errors += run.Out.compare(start, 9, "warning: ") != 0 ? 1 : 0;
    }
    return errors;
  }
  std::vector<std::uint8_t> CleanBytes() {
    EXPECT_TRUE(THandMade::Clean().Write(scratch.Path("clean.bin")));
    return LoadBytes(scratch.Path("clean.bin"));
  }
  // The file offset of directory entry i's field.
  static std::size_t EntryField(int i, int field) { return std::size_t(gx::kDirectoryOffset + gx::kDirectoryEntrySize * i + field); }
  TScratch scratch;
};

TEST_F(Damage, TheCleanHandMadeFileIsClean) {
  const TRun run = CheckWritten(THandMade::Clean());
  EXPECT_EQ(run.Status, 0) << run.Out;
}

TEST_F(Damage, SignatureCountAndBlobBounds) {
  std::vector<std::uint8_t> bytes = CleanBytes();
  bytes[56] = '!';
  ExpectOneProblem(CheckBytes(bytes), "wrong signature");

  bytes = CleanBytes();
  for (std::size_t i = 0; i < 10; ++i) bytes[i] = std::uint8_t(std::tolower(bytes[i]));  // case does not matter
  EXPECT_EQ(CheckBytes(bytes).Status, 0);

  bytes = CleanBytes();
  gx::WriteI32(bytes.data() + gx::kListCountOffset, 237);
  EXPECT_NE(CheckBytes(bytes).Out.find("ListCount 237 is outside 0 to 236"), std::string::npos);

  bytes = CleanBytes();
  bytes.resize(bytes.size() - 10);  // the last blob (the opera) now runs past the end
  ExpectOneProblem(CheckBytes(bytes), "does not lie within the file");

  bytes = CleanBytes();
  bytes.resize(1000);
  const TRun shortFile = CheckBytes(bytes);
  EXPECT_EQ(shortFile.Status, 1);
  EXPECT_NE(shortFile.Out.find("shorter than its 65536-byte header block"), std::string::npos);
}

TEST_F(Damage, RecordsMustFillTheirBlobExactly) {
  std::vector<std::uint8_t> bytes = CleanBytes();
  // Claim one byte less for the opera's blob: its record no longer fits.
  const std::size_t size = EntryField(3, gx::kEntrySize);
  gx::WriteI32(bytes.data() + size, gx::ReadI32(bytes, size) - 1);
  ExpectOneProblem(CheckBytes(bytes), "runs past the end of the blob");

  bytes = CleanBytes();
  bytes.insert(bytes.end(), 5, 0);
  gx::WriteI32(bytes.data() + size, gx::ReadI32(bytes, size) + 5);
  ExpectOneProblem(CheckBytes(bytes), "5 bytes after its last record");

  bytes = CleanBytes();
  const std::size_t record = std::size_t(gx::ReadI32(bytes, EntryField(3, gx::kEntryOffset))) + gx::kListHeaderSize;
  bytes[record] = 'X';  // the chunk magic
  ExpectOneProblem(CheckBytes(bytes), "no GXCHUNK magic");
  bytes[record] = 'G';
  gx::WriteI32(bytes.data() + record + gx::kChunkType, 1);  // plain text: the reader has no class for it
  ExpectOneProblem(CheckBytes(bytes), "chunk type 1 is unknown");
}

TEST_F(Damage, IdsThatTheWindowsCannotFollow) {
  THandMade file = THandMade::Clean();
  file.List(301).UserId = 302;
  const TRun run = CheckWritten(file);
  EXPECT_NE(run.Out.find("Id 301 differs from UserId 302"), std::string::npos) << run.Out;

  file = THandMade::Clean();
  file.List(301).GetChunk(0)->Id = 5;
  ExpectOneProblem(CheckWritten(file), "carries Id 5, not its list's Id");

  file = THandMade::Clean();
  auto twin = std::make_unique<TGXChunkRtf>();
  twin->Id = 301;
  twin->UserId = 0;
  twin->AssignData({'{', '\\', 'r', 't', 'f', '}'});
  file.List(301).Append(std::move(twin));
  ExpectOneProblem(CheckWritten(file), "another note of this list has UserId 0");
}

TEST_F(Damage, StreamsThatDoNotInflateOrInflateToTheWrongSize) {
  THandMade file = THandMade::Clean();
  file.List(110).GetChunk(0)->AssignData({1, 2, 3, 4});
  ExpectOneProblem(CheckWritten(file), "zlib stream does not inflate");

  file = THandMade::Clean();
  static_cast<TGXChunkImageRawRgba*>(file.List(120).GetChunk(1))->Height = 4;
  ExpectOneProblem(CheckWritten(file), "texture inflates to 18 bytes, 2 x 4 x 3 is 24");

  file = THandMade::Clean();
  static_cast<TGXChunkImageRawRgba*>(file.List(120).GetChunk(1))->Height = 2;
  ExpectOneProblem(CheckWritten(file), "inflates to more than 12 bytes");

  file = THandMade::Clean();
  static_cast<TGXChunkImageRawRgba*>(file.List(120).GetChunk(1))->Components = 5;
  ExpectOneProblem(CheckWritten(file), "2 x 3 pixels and 5 components");

  file = THandMade::Clean();
  file.List(120).GetChunk(1)->Name = "TEX_999";
  ExpectOneProblem(CheckWritten(file), "texture 'TEX_999' fills no Texture2 node");
}

TEST_F(Damage, SceneListsWorksAndSounds) {
  THandMade file = THandMade::Clean();
  file.List(110).Id = file.List(110).UserId = 111;
  ExpectOneProblem(CheckWritten(file), "scene list 110 is missing");

  file = THandMade::Clean();
  file.List(120).GetChunk(0)->AssignData(Deflated(WorksScene({301, 302})));
  ExpectOneProblem(CheckWritten(file), "face set KD_302 has no opera list 302");

  file = THandMade::Clean();
  file.List(120).GetChunk(0)->AssignData(Deflated(WorksScene({})));
  const TRun noFace = CheckWritten(file);
  EXPECT_NE(noFace.Out.find("the opera has no face set KD_301"), std::string::npos) << noFace.Out;

  file = THandMade::Clean();
  file.List(120).GetChunk(0)->AssignData(Deflated("#Inventor V2.1 ascii\nSeparator { DEF TEX_301 Texture2 {}\n"
                                                  "# DEF KD_301 IndexedFaceSet {} is only a comment\n"
                                                  "Info { string \"DEF KD_301 IndexedFaceSet\" } }\n"));
  ExpectOneProblem(CheckWritten(file), "no face set KD_301");

  file = THandMade::Clean();
  std::string works = WorksScene({301});
  works.insert(works.rfind('}'), "DEF KD_0301 IndexedFaceSet {}\n");
  file.List(120).GetChunk(0)->AssignData(Deflated(works));
  ExpectOneProblem(CheckWritten(file), "'KD_0301' is not named KD_<Id>");

  // Coin reads the first top-level node only: whatever follows never reaches the program.
  file = THandMade::Clean();
  file.List(120).GetChunk(0)->AssignData(Deflated(WorksScene({301}) + "DEF KD_0301 IndexedFaceSet {}\n"));
  ExpectOneProblem(CheckWritten(file), "chunk 0 'works': 1 more top-level node follows the first");

  // A sound list whose first chunk is not the wave.
  file = THandMade::Clean();
  auto sound = std::make_unique<TGXChunkList>();
  sound->Id = sound->UserId = 201;
  sound->Type = gx::kListSound;
  auto note = std::make_unique<TGXChunkRtf>();
  note->AssignData({'x'});
  sound->Append(std::move(note));
  auto wave = std::make_unique<TGXChunkWav>();
  wave->AssignData(Deflated("ab"));
  sound->Append(std::move(wave));
  file.Lists[2] = std::move(sound);
  ExpectOneProblem(CheckWritten(file), "a sound list must start with a wave chunk");

  file = THandMade::Clean();
  file.List(201).GetChunk(0)->AssignData(Deflated("abc"));
  ExpectOneProblem(CheckWritten(file), "an odd number of sample bytes");
}

// Damaged copies of a real packed file: truncated anywhere, bytes changed anywhere. The checker
// must answer every one of them with problems or a clean bill, never by falling over.
TEST(CheckRobustness, DamagedFilesNeverBringTheCheckerDown) {
  TScratch scratch;
  const TSample sample = MakeSample(scratch);
  ASSERT_EQ(RunTool({"pack", sample.Manifest, "-o", scratch.Path("good.bin")}).Status, 0);
  const std::vector<std::uint8_t> good = LoadBytes(scratch.Path("good.bin"));
  const std::string path = scratch.Path("bad.bin");
  auto save = [&](const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  std::mt19937 rng(20061);
  int truncated = 0, truncationsReported = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes = good;
    if (round % 3 == 0) {
      bytes.resize(std::uniform_int_distribution<std::size_t>(0, good.size() - 1)(rng));
    } else {
      // Aim most changes at the header block's directory and at the list and chunk headers.
      const std::size_t span = round % 3 == 1 ? std::size_t(gx::kDirectoryOffset + 6 * gx::kDirectoryEntrySize) : bytes.size();
      for (int k = 0; k < 1 + round % 5; ++k) {
        bytes[std::uniform_int_distribution<std::size_t>(0, span - 1)(rng)] = std::uint8_t(rng());
      }
    }
    save(bytes);
    const std::vector<std::string> problems = CheckDataFile(path);
    // In memory, with the shapes read in the checker itself rather than a child: the same verdict.
    TCheckOptions inProcess;
    inProcess.IsolateScenes = false;
    EXPECT_EQ(CheckExhibitionBytes(bytes.data(), bytes.size(), inProcess).Lines(), problems);
    const bool clean = problems.empty();
    if (round % 3 == 0) {
      ++truncated;
      truncationsReported += clean ? 0 : 1;
    }
  }
  // Whatever else changes, a file cut short always loses part of a blob.
  EXPECT_EQ(truncationsReported, truncated);
  // The same through the tool itself, for a few of the nastiest: a huge count and sizes.
  std::vector<std::uint8_t> bytes = good;
  gx::WriteI32(bytes.data() + gx::kListCountOffset, 0x7fffffff);
  gx::WriteI32(bytes.data() + gx::kDirectoryOffset + gx::kEntrySize, 0x7fffffff);
  gx::WriteI32(bytes.data() + gx::kDirectoryOffset + gx::kEntryOffset, -5);
  save(bytes);
  EXPECT_EQ(RunTool({"check", path}).Status, 1);
  EXPECT_EQ(RunTool({"ls", path}).Status, 0);
  EXPECT_EQ(RunTool({"dump", path, "120"}).Status, 0);
}

}  // namespace
