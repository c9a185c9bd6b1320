// Rules the tool keeps in one place: the manifest read and written, what a file is by its
// signature, UTF-8, Windows-1252 and text as RTF. Each is asked from both sides that use it.
#include <gtest/gtest.h>

#include "check/contentcheck.h"
#include "clitestsupport.h"
#include "common/signatures.h"
#include "data/cp1252.h"
#include "data/utf8.h"
#include "import/noteimport.h"
#include "manifest.h"
#include "rtf/rtfwriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(SharedRules, AWrittenManifestReadsBackToTheSameLists) {
  TManifest written;
  TManifestList room;
  room.Id = 110;
  room.Name = "Sala";
  room.Shape = "sala.iv";
  room.Textures.push_back({"textures/floor.jpg", "", "FLOOR"});
  TManifestModel bust;
  bust.File = "busto.glb";
  bust.HasWork = true;
  bust.Work = 1001;
  bust.Position[0] = 4.123f;
  bust.Position[2] = -2.5f;
  bust.Facing = 180;
  bust.HasHeight = true;
  bust.Height = 0.6f;
  bust.Up = "+z";
  bust.Front = "-y";
  bust.Distance = 1.85f;
  room.Models.push_back(bust);
  TManifestList sound;
  sound.ListKind = TManifestList::Kind::Sound;
  sound.Id = 501;
  sound.Name = "Preludio";
  sound.Sound.File = "musica/preludio.wav";
  TManifestList opera;
  opera.ListKind = TManifestList::Kind::Opera;
  opera.Id = 1001;
  opera.Name = "Natività";
  opera.Notes.push_back({"notes/1001.rtf", "Scheda", "", true, 7});
  opera.Movies.push_back({"restauro.wmv", "", "", false, 0});
  written.Lists = {room, sound, opera};

  TScratch scratch;
  std::string error;
  ASSERT_TRUE(WriteManifest(written, scratch.Path("manifest.json"), error)) << error;
  const std::string text = LoadText(scratch.Path("manifest.json"));
  EXPECT_NE(text.find("4.123,"), std::string::npos) << text;  // as the curator would type it
  EXPECT_EQ(text.find("\"scale\""), std::string::npos) << text;
  TManifest read;
  ASSERT_TRUE(ReadManifest(scratch.Path("manifest.json"), read, error)) << error;
  ASSERT_EQ(read.Lists.size(), 3u);
  EXPECT_EQ(ManifestText(read), text);
  const TManifestModel& model = read.Lists[0].Models.at(0);
  EXPECT_EQ(model.Work, 1001);
  EXPECT_FLOAT_EQ(model.Position[0], 4.123f);
  EXPECT_FLOAT_EQ(model.Height, 0.6f);
  EXPECT_EQ(model.Up + model.Front, "+z-y");
  EXPECT_FLOAT_EQ(model.Distance, 1.85f);
  EXPECT_EQ(read.Lists[0].Textures.at(0).Node, "FLOOR");
  EXPECT_EQ(read.Lists[1].Sound.File, "musica/preludio.wav");
  EXPECT_EQ(read.Lists[2].Name, "Natività");
  EXPECT_EQ(read.Lists[2].Notes.at(0).UserId, 7);
  EXPECT_FALSE(read.Lists[2].Movies.at(0).HasUserId);
}

// The note importer and the checker name a file the same way, from the same table.
TEST(SharedRules, ImporterAndCheckerNameAFileAlike) {
  const struct {
    std::string Bytes, Kind, Container;
  } cases[] = {
      {std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20) + std::string(24, '\0'), "a WAV sound", ""},
      {std::string("\0\0\1\xBA\x44\0\x04\0\x04\x01", 10) + std::string(30, '\0'), "an MPEG movie", "MPEG"},
      {std::string("BM\x36\0\0\0\0\0\0\0\x36\0", 12) + std::string(30, '\x01'), "a BMP picture", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Kind);
    Bytes rtf;
    std::string error;
    EXPECT_FALSE(NoteBytesToRtf(AsBytes(c.Bytes), "nota.txt", rtf, error));
    EXPECT_EQ(error, "nota.txt: " + c.Kind + ", not a note (notes are RTF, text, Markdown, HTML, ODT or DOCX)");
    EXPECT_EQ(DescribeBytes(AsBytes(c.Bytes)), c.Kind);
    EXPECT_EQ(MovieContainer(AsBytes(c.Bytes)), c.Container);
  }
  // Words are not signatures: a note may start like a bitmap's two letters.
  EXPECT_EQ(DescribeBytes(AsBytes("BMW e Ferrari, 1960\n")), "");
}

TEST(SharedRules, Utf8IsReadStrictlyAndTextBecomesRtfInWindows1252) {
  for (const std::string& broken : {std::string("\xC0\xAF"), std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80"),
                                    std::string("\xE2\x82")}) {
    std::size_t at = 0;
    char32_t c = 0;
    EXPECT_FALSE(NextUtf8(broken, at, c)) << broken;
    EXPECT_EQ(at, 0u);
  }
  std::string round;
  for (const char32_t c : {U'a', U'é', U'€', U'𝄞'}) AppendUtf8(round, c);
  std::size_t at = 0;
  std::u32string back;
  for (char32_t c = 0; at < round.size() && NextUtf8(round, at, c);) back.push_back(c);
  EXPECT_EQ(back, U"aé€𝄞");

  char byte = 0;
  EXPECT_TRUE(EncodeCp1252(U'€', byte));
  EXPECT_EQ(std::uint8_t(byte), 0x80);
  EXPECT_FALSE(EncodeCp1252(0x81, byte));  // unassigned in Windows-1252
  std::string rtf;
  for (const char16_t unit : std::u16string(u"{a\\b}\tè€Ω\x01")) AppendRtfText(rtf, unit);
  EXPECT_EQ(rtf, "\\{a\\\\b\\}\\tab \\'e8\\'80\\u937?");
  // The note importer's plain text and the debug log's lines escape alike.
  EXPECT_NE(PlainTextToRtf(u"è€Ω").find("\\'e8\\'80\\u937?"), std::string::npos);
  EXPECT_NE(WriteRtfLines({QString::fromUtf8("è€Ω")}).toStdString().find("\\'e8\\'80\\u937?"), std::string::npos);
}

}  // namespace
