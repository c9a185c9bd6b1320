// What pack takes in: notes from real writers, pictures from cameras and wallpaper packages, sounds
// from sound themes, and what it refuses, each time naming the file and what it appears to be.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <sndfile.h>

#include "import/audioimport.h"
#include "clitestsupport.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "import/imageimport.h"
#include "import/noteimport.h"
#include "import/runprogram.h"
#include "data/tzlib.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kFixtures = PINACORA_CLI_FIXTURES;
const char kWallpaper[] = "/usr/share/backgrounds/gnome/wood-l.webp";  // gnome-backgrounds, 4096 x 4096
const char kBell[] = "/usr/share/sounds/freedesktop/stereo/bell.oga";   // sound-theme-freedesktop

// Qt finds its image plugins (JPEG, WebP, TIFF) through the application object.
void NeedQt() {
  static int argc = 1;
  static char name[] = "cli_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct TNote {
  bool Ok = false;
  std::string Rtf, Error, Notice;
};
TNote Note(const std::string& bytes, const std::string& path = "note.txt") {
  TNote note;
  Bytes rtf;
  note.Ok = NoteBytesToRtf(AsBytes(bytes), path, rtf, note.Error, &note.Notice);
  note.Rtf = AsText(rtf);
  return note;
}
TNote NoteFile(const std::string& path) {
  TNote note;
  Bytes rtf;
  note.Ok = ImportNote(path, rtf, note.Error, &note.Notice);
  note.Rtf = AsText(rtf);
  return note;
}
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The UTF-16 little-endian form of ASCII text, behind its byte-order mark.
std::string Utf16Le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (const char c : ascii) out += std::string{c, '\0'};
  return out;
}

TEST(NoteImport, RtfIsStoredAsWrittenAlsoAfterAByteOrderMarkOrWhiteSpace) {
  const std::string abiword = LoadText(kFixtures + "/scheda_abi.rtf");
  ASSERT_EQ(abiword.rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(NoteFile(kFixtures + "/scheda_abi.rtf").Rtf, abiword);
  // Editors that add a byte-order mark or a blank line keep the document; the lead goes.
  const TNote led = Note("\xEF\xBB\xBF\r\n  \t" + abiword, "scheda.rtf");
  ASSERT_TRUE(led.Ok) << led.Error;
  EXPECT_EQ(led.Rtf, abiword);
  // RTF saved as UTF-16 comes back as the ASCII document it is.
  const TNote wide = Note(Utf16Le("\n{\\rtf1\\ansi Caff\\'e8}"));
  ASSERT_TRUE(wide.Ok) << wide.Error;
  EXPECT_EQ(wide.Rtf, "{\\rtf1\\ansi Caff\\'e8}");
}

TEST(NoteImport, PlainTextKeepsEveryCharacterWhateverItsEncoding) {
  // UTF-8: Windows-1252 letters as escapes, the rest as Unicode escapes (signed 16-bit, a
  // character beyond the first plane as its two halves), RTF's own characters escaped.
  const TNote utf8 = Note("Caff\xC3\xA8 \xE2\x82\xAC {x} \\ \xE1\xBD\x81 \xF0\x9F\x8E\xA8\n");
  ASSERT_TRUE(utf8.Ok) << utf8.Error;
  EXPECT_TRUE(Has(utf8.Rtf, "Caff\\'e8 \\'80 \\{x\\} \\\\ \\u8001? \\u-10180?\\u-8280?\\par")) << utf8.Rtf;
  EXPECT_EQ(utf8.Notice, "");

  // The same text with a byte-order mark, and as UTF-16 in both byte orders.
  const std::string expected = Note("Citt\xC3\xA0 \xE2\x9C\x93").Rtf;
  EXPECT_TRUE(Has(expected, "Citt\\'e0 \\u10003?")) << expected;
  EXPECT_EQ(Note("\xEF\xBB\xBF" "Citt\xC3\xA0 \xE2\x9C\x93").Rtf, expected);
  EXPECT_EQ(Note(std::string("\xFF\xFE" "C\0i\0t\0t\0\xE0\0 \0\x13\x27", 16)).Rtf, expected);
  EXPECT_EQ(Note(std::string("\xFE\xFF" "\0C\0i\0t\0t\0\xE0\0 \x27\x13", 16)).Rtf, expected);

  // Bytes that are not UTF-8 are Windows-1252, as Notepad saved them; the curator is told.
  const TNote legacy = Note("caff\xE8, citt\xE0 \x80 5\r\nriga\rterza", "/museo/vecchia.txt");
  ASSERT_TRUE(legacy.Ok) << legacy.Error;
  EXPECT_TRUE(Has(legacy.Rtf, "caff\\'e8, citt\\'e0 \\'80 5\\par\nriga\\par\nterza")) << legacy.Rtf;
  EXPECT_EQ(legacy.Notice, "/museo/vecchia.txt: not UTF-8 text; read as Windows-1252");
}

TEST(NoteImport, DocumentsGoThroughPandoc) {
  if (FindProgram("pandoc").empty()) GTEST_SKIP() << "pandoc is not installed";
  // LibreOffice's ODT and DOCX: the text arrives whole, accents and all.
  for (const char* name : {"scheda.odt", "scheda.docx"}) {
    const TNote note = NoteFile(kFixtures + "/" + name);
    ASSERT_TRUE(note.Ok) << note.Error;
    EXPECT_EQ(note.Rtf.rfind("{\\rtf1", 0), 0u) << name;
    EXPECT_TRUE(Has(note.Rtf, "Caff\\u232? e citt\\u224?")) << name << "\n" << note.Rtf;
    EXPECT_TRUE(Has(note.Rtf, "\\u955?\\u972?\\u947?")) << name;  // the Greek survives too
  }
  // HTML by its content or its name, Markdown by its name; both may be Windows-1252 text.
  const TNote html = Note("<!DOCTYPE html>\n<html><body><p>Caff\xC3\xA8 <b>forte</b></p></body></html>\n", "page.txt");
  ASSERT_TRUE(html.Ok) << html.Error;
  EXPECT_TRUE(Has(html.Rtf, "Caff\\u232? {\\b forte}")) << html.Rtf;
  const TNote markdown = Note("# Titolo\n\nCitt\xE0 *ideale*\n", "scheda.md");
  ASSERT_TRUE(markdown.Ok) << markdown.Error;
  EXPECT_TRUE(Has(markdown.Rtf, "Citt\\u224? {\\i ideale}")) << markdown.Rtf;
  EXPECT_TRUE(Has(markdown.Notice, "read as Windows-1252"));
  // What pandoc cannot read is reported with its words.
  const TNote broken = Note(std::string("PK\x03\x04", 4) + std::string(60, '\0') + "word/document.xml", "rotto.docx");
  EXPECT_FALSE(broken.Ok);
  EXPECT_TRUE(Has(broken.Error, "rotto.docx: pandoc could not read a DOCX document")) << broken.Error;
}

TEST(NoteImport, AMarkdownNoteNamingAMissingPictureIsRefusedNamingBoth) {
  if (FindProgram("pandoc").empty()) GTEST_SKIP() << "pandoc is not installed";
  TScratch scratch;
  NeedQt();
  SaveText(scratch.Path("scheda.md"), "# Scheda\n\n![La tela](tela.png)\n\nE ![il retro](foto/retro.jpg), ![](foto/retro.jpg).\n");
  const TNote missing = NoteFile(scratch.Path("scheda.md"));
  EXPECT_FALSE(missing.Ok);
  EXPECT_EQ(missing.Error, scratch.Path("scheda.md") + ": names the pictures 'tela.png', 'foto/retro.jpg', which are not "
                           "there (looked in " + scratch.Root() +
                           "); put the picture beside the note or mend its name");
  EXPECT_FALSE(Has(missing.Error, "/note.markdown")) << missing.Error;  // never pandoc's own copy

  // Beside the note, the pictures are found (whatever folder the tool runs in) and embedded.
  std::filesystem::create_directory(scratch.Path("foto"));
  QImage picture(8, 8, QImage::Format_RGB888);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(scratch.Path("tela.png"))));
  ASSERT_TRUE(picture.save(QString::fromStdString(scratch.Path("foto/retro.jpg"))));
  const TNote found = NoteFile(scratch.Path("scheda.md"));
  ASSERT_TRUE(found.Ok) << found.Error;
  EXPECT_TRUE(Has(found.Rtf, "\\pict")) << found.Rtf.substr(0, 400);
}

TEST(NoteImport, WithoutPandocTheMessageNamesThePackage) {
  TScratch scratch;
  const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", scratch.Root().c_str(), 1);
  const TNote note = NoteFile(kFixtures + "/scheda.odt");
  const TNote plain = Note("still fine");
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_FALSE(note.Ok);
  EXPECT_TRUE(Has(note.Error, "scheda.odt: an ODT document;")) << note.Error;
  EXPECT_TRUE(Has(note.Error, "Debian package \"pandoc\"")) << note.Error;
  EXPECT_TRUE(plain.Ok);  // text needs no helper
}

TEST(NoteImport, AnythingElseIsRefusedNamingWhatItAppearsToBe) {
  NeedQt();
  TScratch scratch;
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(scratch.Path("opera.png"))));
  const TNote png = NoteFile(scratch.Path("opera.png"));
  EXPECT_FALSE(png.Ok);
  EXPECT_TRUE(Has(png.Error, scratch.Path("opera.png") + ": a PNG picture, not a note")) << png.Error;

  const struct {
    std::string Bytes, Says;
  } cases[] = {
      {"%PDF-1.4\n%\xE2\xE3\xCF\xD3\n" + std::string(40, '\0'), "a PDF document, not a note"},
      {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(40, '\0'), "an old Microsoft Office (.doc) file, not a note"},
      {std::string("PK\x03\x04", 4) + std::string(26, '\0') + "mimetypeapplication/vnd.oasis.opendocument.spreadsheet",
       "an OpenDocument spreadsheet"},
      {std::string("PK\x03\x04", 4) + std::string(40, '\0') + "xl/workbook.xml", "an Excel spreadsheet"},
      {std::string("PK\x03\x04", 4) + std::string(40, '\x01'), "a ZIP archive"},
      {std::string("\x01\x02\x03\x00\x05\x06\x07", 7), "binary data"},
      {"", "the file is empty"},
  };
  for (const auto& c : cases) {
    const TNote note = Note(c.Bytes, "scheda.txt");
    EXPECT_FALSE(note.Ok) << c.Says;
    EXPECT_TRUE(Has(note.Error, "scheda.txt: " + c.Says)) << note.Error;
  }
}

TEST(HelperProgram, StatusErrorsAndAHangAreReported) {
  const TProgramRun failed = RunProgram({"sh", "-c", "echo 'Unknown input format' >&2; exit 3"}, 10);
  EXPECT_TRUE(failed.Started);
  EXPECT_EQ(failed.Status, 3);
  EXPECT_EQ(failed.Errors, "Unknown input format");
  // A converter that hangs is stopped at its limit instead of holding pack forever.
  const TProgramRun hung = RunProgram({"sleep", "30"}, 1);
  EXPECT_TRUE(hung.TimedOut);
  EXPECT_EQ(hung.Status, -1);
  EXPECT_FALSE(RunProgram({"no-such-converter-here"}, 1).Started);
}

// Packs one scene list with the pictures as textures TEX_0, TEX_1 ... and reads it back.
struct TPacked {
  TRun Run;
  std::unique_ptr<TGXChunkList> Scene;
  const TGXChunkImageRawRgba& Texture(int index) const {
    return static_cast<const TGXChunkImageRawRgba&>(*Scene->GetChunk(index + 1));
  }
  std::string Pixels(int index) const {
    const TGXChunk& chunk = Texture(index);
    std::int32_t length = chunk.DataLength;
    const Bytes out = InflateBuffer(chunk.Data.data(), length, kDefaultInflateCap, nullptr);
    return AsText(out);
  }
};
TPacked PackPictures(const TScratch& scratch, const std::vector<std::string>& files,
                     const std::vector<std::string>& options = {}) {
  // A room with a texture node for every picture, and an empty works list, so that pack's own
  // check of what it wrote finds nothing to refuse.
  std::string room = "#Inventor V2.1 ascii\nSeparator {\n";
  std::string textures;
  for (std::size_t i = 0; i < files.size(); ++i) {
    room += "  DEF TEX_" + std::to_string(i) + " Texture2 { }\n  Cube { }\n";
    textures += (i ? "," : "") + std::string(R"({ "node": "TEX_)") + std::to_string(i) + R"(", "file": ")" + files[i] + "\" }";
  }
  SaveText(scratch.Path("room.iv"), room + "}\n");
  SaveText(scratch.Path("works.iv"), "#Inventor V2.1 ascii\nSeparator { }\n");
  SaveText(scratch.Path("pictures.json"),
           R"({"lists": [ { "kind": "scene", "id": 110, "name": "S", "shape": "room.iv", "textures": [)" + textures +
               R"(] }, { "kind": "scene", "id": 120, "name": "W", "shape": "works.iv" } ]})");
  std::vector<std::string> args = {"pack", scratch.Path("pictures.json"), "-o", scratch.Path("pictures.bin")};
  args.insert(args.end(), options.begin(), options.end());
  TPacked packed;
  packed.Run = RunTool(args);
  if (packed.Run.Status == 0) packed.Scene = TGXSerializer::ReadFromFile(scratch.Path("pictures.bin"), 110);
  return packed;
}

// The pixel at (x, y) counted from the picture's top left, in stored rows (bottom first).
std::string PixelAt(const TPacked& packed, int index, int x, int y) {
  const auto& t = packed.Texture(index);
  const std::size_t at = (std::size_t(t.Height - 1 - y) * std::size_t(t.Width) + std::size_t(x)) * std::size_t(t.Components);
  return packed.Pixels(index).substr(at, std::size_t(t.Components));
}

TEST(PictureImport, CameraCmykSixteenBitAndGreyPicturesComeOutRight) {
  TScratch scratch;
  NeedQt();
  QImage grey(3, 2, QImage::Format_Grayscale8);
  grey.fill(200);
  grey.setPixel(0, 0, qRgb(10, 10, 10));
  ASSERT_TRUE(grey.save(QString::fromStdString(scratch.Path("grey.png"))));
  const TPacked packed = PackPictures(scratch, {kFixtures + "/camera.jpg", kFixtures + "/cmyk.jpg",
                                                kFixtures + "/rgb16.png", scratch.Path("grey.png")});
  ASSERT_EQ(packed.Run.Status, 0) << packed.Run.Err;
  ASSERT_NE(packed.Scene, nullptr);
  ASSERT_EQ(packed.Scene->GetCount(), 5);
  auto near = [](const std::string& pixel, int r, int g, int b) {
    return pixel.size() >= 3 && std::abs(std::uint8_t(pixel[0]) - r) <= 6 && std::abs(std::uint8_t(pixel[1]) - g) <= 6 &&
           std::abs(std::uint8_t(pixel[2]) - b) <= 6;
  };
  // Stored 40 x 20 (red left, blue right) with "rotate 90 clockwise": upright it is 20 x 40,
  // red on top.
  EXPECT_EQ(packed.Texture(0).Width, 20);
  EXPECT_EQ(packed.Texture(0).Height, 40);
  EXPECT_TRUE(near(PixelAt(packed, 0, 10, 5), 255, 0, 0));
  EXPECT_TRUE(near(PixelAt(packed, 0, 10, 35), 0, 0, 255));
  // CMYK #336699 is the RGB colour again, not its negative.
  EXPECT_EQ(packed.Texture(1).Components, 3);
  EXPECT_TRUE(near(PixelAt(packed, 1, 4, 4), 0x33, 0x66, 0x99));
  // 16 bits a channel: the gradient's ends, top and bottom.
  EXPECT_TRUE(near(PixelAt(packed, 2, 0, 0), 0x10, 0x20, 0x30));
  EXPECT_TRUE(near(PixelAt(packed, 2, 5, 3), 0xA0, 0xB0, 0xC0));
  // Grey keeps one byte a pixel.
  EXPECT_EQ(packed.Texture(3).Components, 1);
  EXPECT_EQ(packed.Pixels(3), std::string("\xC8\xC8\xC8\x0A\xC8\xC8", 6));
  EXPECT_EQ(packed.Run.Err, "");  // nothing was scaled, nothing to say
}

TEST(PictureImport, LargePicturesAreScaledToMaxTextureAndPackSaysWhich) {
  if (!std::filesystem::exists(kWallpaper)) GTEST_SKIP() << kWallpaper << " is not installed";
  TScratch scratch;
  const TPacked packed = PackPictures(scratch, {kWallpaper, kFixtures + "/camera.jpg"}, {"--max-texture", "512"});
  ASSERT_EQ(packed.Run.Status, 0) << packed.Run.Err;
  EXPECT_EQ(packed.Texture(0).Width, 512);
  EXPECT_EQ(packed.Texture(0).Height, 512);
  EXPECT_EQ(packed.Texture(1).Height, 40);
  EXPECT_EQ(packed.Run.Err, std::string("pinacora-data pack: ") + kWallpaper +
                                ": 4096 x 4096 pixels, scaled down to 512 x 512 (--max-texture 512)\n");
  // Smooth filtering: the scaled wood is as bright on the whole as the original.
  NeedQt();
  const QImage original(kWallpaper);
  const QImage small = original.scaled(8, 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const std::string pixels = packed.Pixels(0);
  double stored = 0, expected = 0;
  for (const char c : pixels) stored += std::uint8_t(c);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) expected += qRed(small.pixel(x, y)) + qGreen(small.pixel(x, y)) + qBlue(small.pixel(x, y));
  }
  EXPECT_NEAR(stored / double(pixels.size()), expected / (8 * 8 * 3), 3.0);

  // --quiet keeps the remark to itself; a limit that is no number of pixels is a usage error.
  EXPECT_EQ(PackPictures(scratch, {kWallpaper}, {"--max-texture", "1024", "--quiet"}).Run.Err, "");
  for (const char* bad : {"0", "big", "40000"}) {
    const TRun run = PackPictures(scratch, {kWallpaper}, {"--max-texture", bad}).Run;
    EXPECT_EQ(run.Status, 2) << bad;
    EXPECT_TRUE(Has(run.Err, "--max-texture takes a number of pixels")) << run.Err;
  }
}

TEST(PictureImport, ADamagedPictureIsRefusedNamingTheFileAndTheFault) {
  if (!std::filesystem::exists(kWallpaper)) GTEST_SKIP() << kWallpaper << " is not installed";
  TScratch scratch;
  NeedQt();
  // The wallpaper as a photograph, then cut short as an interrupted copy leaves it.
  const QImage photo = QImage(kWallpaper).scaled(1600, 1600);
  ASSERT_TRUE(photo.save(QString::fromStdString(scratch.Path("photo.jpg")), "JPEG", 90));
  ASSERT_TRUE(photo.scaled(400, 400).save(QString::fromStdString(scratch.Path("photo.png")), "PNG"));
  const std::string jpeg = LoadText(scratch.Path("photo.jpg")), png = LoadText(scratch.Path("photo.png"));
  SaveText(scratch.Path("cut.jpg"), jpeg.substr(0, 60000));
  SaveText(scratch.Path("cut.png"), png.substr(0, png.size() / 2));
  std::string flipped = png;
  flipped[png.size() / 3] = char(flipped[png.size() / 3] ^ 0x5A);
  SaveText(scratch.Path("flipped.png"), flipped);

  for (const char* name : {"cut.jpg", "cut.png", "flipped.png"}) {
    const TPacked packed = PackPictures(scratch, {scratch.Path("photo.png"), scratch.Path(name)});
    EXPECT_EQ(packed.Run.Status, 1) << name;
    EXPECT_TRUE(Has(packed.Run.Err, scratch.Path(name) + ": ")) << packed.Run.Err;
    EXPECT_TRUE(Has(packed.Run.Err, "damaged (")) << packed.Run.Err;
    // Every line the decoder said is part of the one naming the file.
    std::size_t lines = 0;
    for (const char c : packed.Run.Err) lines += c == '\n';
    EXPECT_EQ(lines, 1u) << packed.Run.Err;
  }
  const TRun cut = PackPictures(scratch, {scratch.Path("cut.jpg")}).Run;
  EXPECT_TRUE(Has(cut.Err, "Corrupt JPEG data: premature end of data segment")) << cut.Err;
  EXPECT_TRUE(Has(cut.Err, "--force keeps what can be read")) << cut.Err;

  // Forced, the readable part is packed, and said so.
  const TPacked forced = PackPictures(scratch, {scratch.Path("cut.jpg")}, {"--force"});
  EXPECT_EQ(forced.Run.Status, 0) << forced.Run.Err;
  EXPECT_TRUE(Has(forced.Run.Err, scratch.Path("cut.jpg") + ": the picture is damaged")) << forced.Run.Err;

  // Sound pictures pass as before, with nothing to say.
  const TPacked sound = PackPictures(scratch, {scratch.Path("photo.jpg"), scratch.Path("photo.png")});
  EXPECT_EQ(sound.Run.Status, 0) << sound.Run.Err;
  EXPECT_EQ(sound.Run.Err, "");
}

TEST(SoundImport, OggFromTheSoundThemeAndMp3AreRead) {
  TScratch scratch;
  Bytes samples;
  std::string error;
  if (std::filesystem::exists(kBell)) {
    ASSERT_TRUE(ImportSound(kBell, samples, error)) << error;
    EXPECT_GT(samples.size(), 1000u);
  }
  // An MP3 as LAME encodes it (through libsndfile): a second of sound, at the program's rate.
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  const std::string mp3 = scratch.Path("tune.mp3");
  SNDFILE* out = sf_open(mp3.c_str(), SFM_WRITE, &info);
  if (out == nullptr) GTEST_SKIP() << "this libsndfile writes no MP3: " << sf_strerror(nullptr);
  std::vector<short> frames(44100 * 2);
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i] = short((i / 2) % 100 < 50 ? 8000 : -8000);
  sf_writef_short(out, frames.data(), 44100);
  sf_close(out);
  ASSERT_TRUE(ImportSound(mp3, samples, error)) << error;
  EXPECT_NEAR(double(samples.size()) / 2, 11025, 1200);  // encoder padding
  // What is not a sound says which sounds may come.
  SaveText(scratch.Path("scheda.m4a"), "not a sound");
  EXPECT_FALSE(ImportSound(scratch.Path("scheda.m4a"), samples, error));
  EXPECT_TRUE(Has(error, "scheda.m4a: cannot read the sound")) << error;
  EXPECT_TRUE(Has(error, "WAV, AIFF, FLAC, Ogg Vorbis, Opus or MP3")) << error;
}

TEST(PackOutput, AMissingFolderOrALongNameIsReportedAsTheCuratorWroteIt) {
  TScratch scratch;
  const TSample sample = MakeSample(scratch);
  const TRun missing = RunTool({"pack", sample.Manifest, "-o", scratch.Path("nowhere/kddata.bin")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "pinacora-data pack: " + scratch.Path("nowhere/kddata.bin") + ": the folder " +
                             scratch.Path("nowhere") + " does not exist\n");
  std::filesystem::create_directory(scratch.Path("out.bin"));
  EXPECT_TRUE(Has(RunTool({"pack", sample.Manifest, "-o", scratch.Path("out.bin")}).Err, "is a folder"));

  // A long name is cut at a whole character, with its length.
  SaveText(scratch.Path("long.json"), R"({"lists": [ { "kind": "opera", "id": 301, "name": ")" +
                                          std::string(39, 'a') + std::string(300, 'e').replace(0, 2, "\xC3\xA8") + "\" } ]}");
  const TRun run = RunTool({"pack", scratch.Path("long.json"), "-o", scratch.Path("long.bin")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(Has(run.Err, "name '" + std::string(39, 'a') + "...' is 338 bytes long in Windows-1252; at most 255 fit"))
      << run.Err;
}

}  // namespace
