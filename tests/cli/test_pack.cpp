// pack: what it writes, read back through the program's own reader, and what it refuses.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "clitestsupport.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "data/tdatabanker.h"
#include "data/tzlib.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string InflateChunk(const TGXChunk& chunk) {
  std::int32_t length = chunk.DataLength;
  int result = -99;
  const std::vector<std::uint8_t> out = InflateBuffer(chunk.Data.data(), length, kDefaultInflateCap, &result);
  EXPECT_EQ(result, kInflateOk) << chunk.Name;
  return std::string(out.begin(), out.end());
}

// The image's bytes as a texture node takes them: bottom row first, 3 or 4 components.
std::string TextureBytes(const std::string& path, bool alpha) {
  QImage image(QString::fromStdString(path));
  image = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  std::string bytes;
  for (int y = image.height() - 1; y >= 0; --y) {
    bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), std::size_t(image.width()) * (alpha ? 4 : 3));
  }
  return bytes;
}

class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sample = MakeSample(scratch);
    output = scratch.Path("kddata.bin");
    const TRun run = RunTool({"pack", sample.Manifest, "-o", output});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
  TScratch scratch;
  TSample sample;
  std::string output;
};

TEST_F(PackTest, ListsComeBackThroughTheBankerWithTheirWindows1252Names) {
  TDataBanker banker(output);
  TVecInfos operas, sounds;
  banker.ListOperas(operas);
  banker.ListSounds(sounds);
  ASSERT_EQ(operas.size(), 2u);
  EXPECT_EQ(operas[0].Id, 301);
  EXPECT_EQ(operas[0].Name, "Nativit\xe0");
  EXPECT_EQ(operas[1].Id, 302);
  EXPECT_EQ(operas[1].Name, "Citt\xe0 ideale");
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0].Id, 201);
  EXPECT_EQ(sounds[0].Name, "Preludio");
  // Every listed list loads by the Id the listing reports.
  for (const TagInfo& info : operas) EXPECT_NE(banker.GetChunkList(info.Id), nullptr);
  EXPECT_NE(banker.GetChunkList(sounds[0].Id), nullptr);
}

TEST_F(PackTest, ScenesHoldTheShapeTextAndTexturesBottomRowFirst) {
  const auto works = TGXSerializer::ReadFromFile(output, 120);
  ASSERT_NE(works, nullptr);
  EXPECT_EQ(works->GetType(), gx::kListScene);
  EXPECT_EQ(works->Name, "Opere");
  ASSERT_EQ(works->GetCount(), 3);
  ASSERT_EQ(works->GetChunk(0)->GetType(), gx::kChunkVrmlShape);
  EXPECT_EQ(InflateChunk(*works->GetChunk(0)), sample.WorksText);

  ASSERT_EQ(works->GetChunk(1)->GetType(), gx::kChunkImageRawRgba);
  const auto& opaque = static_cast<const TGXChunkImageRawRgba&>(*works->GetChunk(1));
  EXPECT_EQ(opaque.Name, "TEX_301");
  EXPECT_EQ(opaque.Width, 6);
  EXPECT_EQ(opaque.Height, 4);
  EXPECT_EQ(opaque.Components, 3);
  EXPECT_EQ(InflateChunk(opaque), TextureBytes(scratch.Path("art/opaque.png"), false));
  // The first stored row is the image's bottom row: pixel (0, 3) is (0, 180, 3).
  EXPECT_EQ(InflateChunk(opaque).substr(0, 3), std::string("\x00\xb4\x03", 3));

  const auto& clear = static_cast<const TGXChunkImageRawRgba&>(*works->GetChunk(2));
  EXPECT_EQ(clear.Name, "TEX_302");
  EXPECT_EQ(clear.Components, 4);
  EXPECT_EQ(InflateChunk(clear), TextureBytes(scratch.Path("art/clear.png"), true));

  const auto room = TGXSerializer::ReadFromFile(output, 110);
  ASSERT_NE(room, nullptr);
  ASSERT_EQ(room->GetCount(), 2);
  EXPECT_EQ(InflateChunk(*room->GetChunk(0)), kRoomScene);
  EXPECT_EQ(static_cast<const TGXChunkImageRawRgba&>(*room->GetChunk(1)).Components, 3);  // a JPEG
}

TEST_F(PackTest, SoundsBecomeMono16BitSamplesAt11025Hz) {
  const auto sound = TGXSerializer::ReadFromFile(output, 201);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->GetType(), gx::kListSound);
  ASSERT_EQ(sound->GetCount(), 1);
  ASSERT_EQ(sound->GetChunk(0)->GetType(), gx::kChunkWav);
  const std::string samples = InflateChunk(*sound->GetChunk(0));
  // Half a second at 22050 Hz resampled to 11025 Hz, two bytes a sample.
  EXPECT_NEAR(double(samples.size()), sample.SoundFrames, 8.0);
  EXPECT_EQ(samples.size() % 2, 0u);
  // A 440 Hz sine at half scale: the loudest samples come near 16384.
  int peak = 0;
  for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
    const int v = std::int16_t(std::uint16_t(std::uint8_t(samples[i])) | (std::uint16_t(std::uint8_t(samples[i + 1])) << 8));
    peak = std::max(peak, std::abs(v));
  }
  EXPECT_NEAR(peak, 16384, 700);
}

TEST_F(PackTest, OperaChunksCarryTheirListIdAndIndexOrGivenUserId) {
  TDataBanker banker(output);
  TVecInfos movies, notes;
  banker.ListOperaItems(301, movies, notes);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].Id, 301);
  EXPECT_EQ(notes[0].UserId, 0);
  EXPECT_EQ(notes[0].Caption, "Scheda");
  EXPECT_EQ(notes[1].UserId, 40);
  EXPECT_EQ(notes[1].Caption, "plain");  // no name given: the file's base name
  ASSERT_EQ(movies.size(), 1u);
  EXPECT_EQ(movies[0].Id, 301);
  EXPECT_EQ(movies[0].UserId, 2);
  EXPECT_EQ(movies[0].Caption, "Il restauro");

  const auto rtf = banker.GetNoteStream(301, 0);
  ASSERT_NE(rtf, nullptr);
  EXPECT_EQ(std::string(rtf->Buffer().begin(), rtf->Buffer().end()), sample.NoteRtf);
  // Plain text becomes RTF, with the accent as a Windows-1252 escape and braces escaped.
  const auto plain = banker.GetNoteStream(301, 40);
  ASSERT_NE(plain, nullptr);
  const std::string converted(plain->Buffer().begin(), plain->Buffer().end());
  EXPECT_EQ(converted.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(converted.find("Citt\\'e0 ideale\\par"), std::string::npos) << converted;
  EXPECT_NE(converted.find("\\{prospettiva\\}"), std::string::npos) << converted;

  const auto list = banker.GetChunkList(301);
  ASSERT_NE(list, nullptr);
  const TGXChunk* movie = list->GetChunk(2);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(std::string(movie->Data.begin(), movie->Data.end()), sample.MovieBytes);

  const auto empty = banker.GetChunkList(302);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->GetCount(), 0);
}

TEST_F(PackTest, PackedSampleChecksClean) {
  const TRun run = RunTool({"check", output});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(run.Out, "");
}

// Each refusal names the file or the list and the reason, and leaves the old output in place.
class PackRefusalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sample = MakeSample(scratch);
    SaveText(scratch.Path("old.bin"), "previous exhibition");
  }
  TRun Pack(const std::string& manifest) {
    SaveText(scratch.Path("bad.json"), manifest);
    return RunTool({"pack", scratch.Path("bad.json"), "-o", scratch.Path("old.bin")});
  }
  void ExpectRefused(const TRun& run, const std::string& reason) {
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(reason), std::string::npos) << run.Err;
    EXPECT_EQ(LoadText(scratch.Path("old.bin")), "previous exhibition");
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("old.bin.part")));
  }
  static std::string Opera(const std::string& name, int id = 301, const std::string& extra = "") {
    return R"({ "kind": "opera", "id": )" + std::to_string(id) + R"(, "name": ")" + name + "\"" + extra + " }";
  }
  TScratch scratch;
  TSample sample;
};

TEST_F(PackRefusalTest, MoreListsThanTheDirectoryHolds) {
  std::string lists;
  for (int i = 0; i < 237; ++i) lists += (i ? "," : "") + Opera("Opera " + std::to_string(i), 1000 + i);
  ExpectRefused(Pack(R"({"lists": [)" + lists + "]}"), "237 lists, but the directory holds at most 236");
}

TEST_F(PackRefusalTest, NamesThatDoNotFitOrCannotBeEncoded) {
  ExpectRefused(Pack(R"({"lists": [)" + Opera(std::string(256, 'a')) + "]}"), "at most 255 fit");
  // 255 bytes fit, and an accented letter is one byte in the file.
  SaveText(scratch.Path("fits.json"), R"({"lists": [)" + Opera(std::string(254, 'a') + "à") + "]}");
  // (An exhibition of one opera and no rooms is forced through the check that follows every pack.)
  EXPECT_EQ(RunTool({"pack", scratch.Path("fits.json"), "-o", scratch.Path("fits.bin"), "--force"}).Status, 0);
  // A name Windows-1252 cannot hold is UTF-8 in the file, where two bytes a Greek letter count.
  std::string greek;
  for (int i = 0; i < 128; ++i) greek += "α";
  ExpectRefused(Pack(R"({"lists": [)" + Opera(greek) + "]}"), "256 bytes long in UTF-8; at most 255 fit");
  ExpectRefused(Pack(R"({"lists": [)" + Opera("caff\xE8") + "]}"), "invalid UTF8");  // the manifest is UTF-8
}

TEST_F(PackRefusalTest, NamesInEveryScriptComeBackThroughLsAndDump) {
  const std::vector<std::string> names{"Ἀθηνᾶ Παρθένος", "Московский дворик", "富嶽三十六景", "الخط العربي", "Città ideale",
                                       "CAFÃ©"};
  std::string lists;
  for (std::size_t i = 0; i < names.size(); ++i) lists += (i ? "," : "") + Opera(names[i], 301 + int(i));
  SaveText(scratch.Path("scripts.json"), R"({"lists": [)" + lists + "]}");
  const std::string out = scratch.Path("scripts.bin");
  const TRun packed = RunTool({"pack", scratch.Path("scripts.json"), "-o", out, "--force"});
  ASSERT_EQ(packed.Status, 0) << packed.Err;
  EXPECT_FALSE(Has(packed.Err, "Windows-1252")) << packed.Err;

  TDataBanker banker(out);
  TVecInfos operas;
  banker.ListOperas(operas);
  ASSERT_EQ(operas.size(), names.size());
  EXPECT_EQ(operas[0].Name, names[0]);      // UTF-8 bytes as given
  EXPECT_EQ(operas[4].Name, "Citt\xE0 ideale");  // Windows-1252 as ever
  EXPECT_EQ(operas[5].Name, "CAF\xC3\x83\xC2\xA9");  // its Windows-1252 bytes would read as "CAFé"
  const TRun ls = RunTool({"ls", out});
  ASSERT_EQ(ls.Status, 0) << ls.Err;
  for (const std::string& name : names) EXPECT_TRUE(Has(ls.Out, "\t" + name + "\n")) << name << "\n" << ls.Out;
  EXPECT_TRUE(Has(RunTool({"ls", out, "--raw"}).Out, "\tCitt\xE0 ideale\n"));
  EXPECT_TRUE(Has(RunTool({"dump", out, "303"}).Out, "Name: '富嶽三十六景'"));
  EXPECT_TRUE(Has(RunTool({"dump", out, "305"}).Out, "Name: 'Città ideale'"));
}

TEST_F(PackRefusalTest, MissingAndUnreadableInputs) {
  const std::string missing = R"({"lists": [)" + Opera("Opera", 301, R"(, "movies": [ { "file": "nowhere.wmv" } ])") + "]}";
  ExpectRefused(Pack(missing), "nowhere.wmv: no such file");
  SaveText(scratch.Path("broken.png"), "not a picture at all");
  ExpectRefused(Pack(R"({"lists": [ { "kind": "scene", "id": 110, "name": "S", "shape": "room.iv",
                  "textures": [ { "node": "N", "file": "broken.png" } ] } ]})"),
                "broken.png: cannot read the image");
  ExpectRefused(Pack(R"({"lists": [ { "kind": "sound", "id": 201, "name": "S", "file": "broken.png" } ]})"),
                "broken.png");
  ExpectRefused(Pack(R"({"lists": [ { "kind": "scene", "id": 110, "name": "S", "shape": "note.rtf" } ]})"),
                "not Inventor or VRML text");
  SaveText(scratch.Path("empty.wmv"), "");
  ExpectRefused(Pack(R"({"lists": [)" + Opera("Opera", 301, R"(, "movies": [ { "file": "empty.wmv" } ])") + "]}"),
                "the file is empty");
  ExpectRefused(Pack("{ \"lists\": [ "), "not valid JSON");
  ExpectRefused(Pack(R"({"lists": [ { "kind": "opera", "id": 301, "name": "A" }, { "kind": "opera", "id": 301, "name": "B" } ]})"),
                "id 301 is used twice");
  ExpectRefused(Pack(R"({"lists": [ { "kind": "opera", "id": 301, "name": "A", "note": [] } ]})"), "unknown key \"note\"");
}

TEST_F(PackRefusalTest, TexturesOver32767PixelsASide) {
  QImage wide(32768, 1, QImage::Format_RGB888);
  wide.fill(Qt::white);
  ASSERT_TRUE(wide.save(QString::fromStdString(scratch.Path("wide.png"))));
  ExpectRefused(Pack(R"({"lists": [ { "kind": "scene", "id": 110, "name": "S", "shape": "room.iv",
                  "textures": [ { "node": "N", "file": "wide.png" } ] } ]})"),
                "at most 32767 pixels a side");
}

TEST(PackSearch, FilesNotBesideTheManifestAreFoundInSearchFolders) {
  TScratch scratch;
  const TSample sample = MakeSample(scratch);
  std::filesystem::create_directories(scratch.Path("elsewhere"));
  std::filesystem::rename(scratch.Path("tune.wav"), scratch.Path("elsewhere/tune.wav"));
  EXPECT_EQ(RunTool({"pack", sample.Manifest, "-o", scratch.Path("a.bin")}).Status, 1);
  const TRun run = RunTool({"pack", sample.Manifest, "-o", scratch.Path("a.bin"), "-I", scratch.Path("elsewhere")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  // --progress reports every list on standard error.
  const TRun loud = RunTool({"pack", sample.Manifest, "-o", scratch.Path("b.bin"), "-I", scratch.Path("elsewhere"), "--progress"});
  EXPECT_NE(loud.Err.find("[5/5]"), std::string::npos) << loud.Err;
}

}  // namespace
