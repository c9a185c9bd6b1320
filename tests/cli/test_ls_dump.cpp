// ls, dump and extract: exact listings and usable extracted files.
#include <gtest/gtest.h>

#include <QImage>
#include <sndfile.h>

#include "clitestsupport.h"
#include "data/gxformat.h"
#include "testutil.h"

namespace {

TEST(Ls, ListsTheDirectoryTabSeparatedWithUtf8Names) {
  TScratch scratch;
  auto sound = testutil::MakeList("Bolero", 301, gx::kListSound);
  sound->Append(testutil::MakeChunk<TGXChunkWav>("bolero", 1, 1, testutil::Bytes(10000, 0x55)));
  auto opera = testutil::MakeList("Citt\xe0", 302, gx::kListOpera);
  opera->UserId = 9;
  testutil::WriteDataFile(scratch.Path("f.bin"), {sound.get(), opera.get()});

  const TRun run = RunTool({"ls", scratch.Path("f.bin")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out,
            "index\tType\tId\tUserId\tSize\tOffset\tName\n"
            "0\t3\t301\t301\t11044\t65536\tBolero\n"
            "1\t4\t302\t9\t512\t76580\tCittà\n");
  const std::string raw = RunTool({"ls", scratch.Path("f.bin"), "--raw"}).Out;
  EXPECT_EQ(raw.substr(raw.size() - 7), "\tCitt\xe0\n");

  SaveText(scratch.Path("not.bin"), "hello");
  const TRun refused = RunTool({"ls", scratch.Path("not.bin")});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("wrong signature"), std::string::npos);
  EXPECT_EQ(RunTool({"ls", scratch.Path("absent.bin")}).Status, 1);
  EXPECT_EQ(RunTool({"ls"}).Status, 2);
}

TEST(Dump, PrintsTheChunkListDumpThenANewline) {
  TScratch scratch;
  auto scene = testutil::MakeList("sala", 110, gx::kListScene);
  scene->Append(testutil::MakeChunk<TGXChunkVrmlShape>("room", 7, 7, testutil::Bytes(1000, 1)));
  auto camera = testutil::MakeChunk<TGXChunkCamera>("view", 8, 8);
  camera->Pos = {1.0, 2.5, -3.0};
  scene->Append(std::move(camera));
  testutil::WriteDataFile(scratch.Path("f.bin"), {scene.get()});

  const TRun run = RunTool({"dump", scratch.Path("f.bin"), "110"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out,
            "\n\nChunk List:\n    Name: 'sala'\n    Id: 110\n    UserId: 110\n    Type: 1\n    Total chunks: 2\n"
            "\n      Chunk : [ 0 ]\n      Type: 15  [ vrml shape ]\n      Size: 1528\n      Name: room\n"
            "      Id: 7\n      UserId: 7\n"
            "\n      Chunk : [ 1 ]\n      Type: 16  [ camera ]\n      Size: 888\n      Name: view\n"
            "      Id: 8\n      UserId: 8\n      Pos:  1.000,  2.500, -3.000\n");

  const TRun missing = RunTool({"dump", scratch.Path("f.bin"), "120"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Out, "");
  EXPECT_NE(missing.Err.find("no list with Id 120"), std::string::npos) << missing.Err;
  EXPECT_EQ(RunTool({"dump", scratch.Path("f.bin"), "abc"}).Status, 2);
}

class ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sample = MakeSample(scratch);
    data = scratch.Path("kddata.bin");
    ASSERT_EQ(RunTool({"pack", sample.Manifest, "-o", data}).Status, 0);
  }
  TRun Extract(const std::string& id, const std::string& index, const std::string& out) {
    return RunTool({"extract", data, id, index, "-o", scratch.Path(out)});
  }
  TScratch scratch;
  TSample sample;
  std::string data;
};

TEST_F(ExtractTest, ShapeNoteAndMovieComeOutAsStored) {
  ASSERT_EQ(Extract("120", "0", "works.out").Status, 0);
  EXPECT_EQ(LoadText(scratch.Path("works.out")), sample.WorksText);
  ASSERT_EQ(Extract("301", "0", "note.out").Status, 0);
  EXPECT_EQ(LoadText(scratch.Path("note.out")), sample.NoteRtf);
  ASSERT_EQ(Extract("301", "2", "movie.out").Status, 0);
  EXPECT_EQ(LoadText(scratch.Path("movie.out")), sample.MovieBytes);
}

TEST_F(ExtractTest, TexturesComeOutAsTheSamePicture) {
  for (const auto& [index, source] : {std::pair<const char*, const char*>{"1", "art/opaque.png"}, {"2", "art/clear.png"}}) {
    const TRun run = Extract("120", index, "texture.png");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const QImage original = QImage(QString::fromStdString(scratch.Path(source))).convertToFormat(QImage::Format_RGBA8888);
    const QImage extracted = QImage(QString::fromStdString(scratch.Path("texture.png"))).convertToFormat(QImage::Format_RGBA8888);
    EXPECT_EQ(extracted, original) << source;
  }
}

TEST_F(ExtractTest, SoundComesOutAsA16BitMonoWaveAt11025Hz) {
  ASSERT_EQ(Extract("201", "0", "tune.out.wav").Status, 0);
  SF_INFO info{};
  SNDFILE* file = sf_open(scratch.Path("tune.out.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr);
  sf_close(file);
  EXPECT_EQ(info.samplerate, 11025);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_NEAR(double(info.frames), sample.SoundFrames / 2.0, 4.0);
}

TEST_F(ExtractTest, MissingListsAndChunksAreRefused) {
  const TRun noList = Extract("999", "0", "x");
  EXPECT_EQ(noList.Status, 1);
  EXPECT_NE(noList.Err.find("no list with Id 999"), std::string::npos);
  const TRun noChunk = Extract("301", "3", "x");
  EXPECT_EQ(noChunk.Status, 1);
  EXPECT_NE(noChunk.Err.find("has no chunk 3 (it holds 3)"), std::string::npos) << noChunk.Err;
  EXPECT_EQ(Extract("301", "-1", "x").Status, 1);
  EXPECT_EQ(RunTool({"extract", data, "301", "0"}).Status, 2);  // no -o
}

TEST(Help, EveryCommandExplainsItself) {
  for (const char* command : {"ls", "dump", "pack", "check", "extract"}) {
    const TRun run = RunTool({command, "--help"});
    EXPECT_EQ(run.Status, 0) << command;
    EXPECT_EQ(run.Out.rfind(std::string("Usage: pinacora-data ") + command, 0), 0u) << run.Out;
  }
  EXPECT_EQ(RunTool({"frobnicate"}).Status, 2);
}

}  // namespace
