// hang: what it takes from a curator's folder (catalogue, picture titles, notes and movies by
// stem, music), the limits it names, and the sources it leaves for pack.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>

#include "clitestsupport.h"
#include "hang/hanglayout.h"
#include "import/imagetitle.h"
#include "data/tdatabanker.h"

namespace fs = std::filesystem;

namespace {

void Picture(const std::string& path, int w, int h, const char* title = nullptr) {
  QImage image(w, h, QImage::Format_RGB888);
  image.fill(Qt::darkCyan);
  if (title != nullptr) image.setText("Title", QString::fromUtf8(title));
  ASSERT_TRUE(image.save(QString::fromStdString(path)));
}

// A JPEG whose EXIF block holds a description and, when given, a Windows title.
void JpegWithExif(const std::string& path, const std::string& description, const std::u16string& xpTitle) {
  Picture(path + ".plain.jpg", 8, 6);
  const std::vector<std::uint8_t> plain = LoadBytes(path + ".plain.jpg");
  std::vector<std::uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const std::uint16_t entries = xpTitle.empty() ? 1 : 2;
  const std::size_t dataStart = 8 + 2 + entries * 12 + 4;
  auto u16 = [&](unsigned v) { tiff.push_back(std::uint8_t(v)); tiff.push_back(std::uint8_t(v >> 8)); };
  auto u32 = [&](unsigned v) { u16(v & 0xFFFF); u16(v >> 16); };
  std::vector<std::uint8_t> values(description.begin(), description.end());
  values.push_back(0);
  const std::size_t titleAt = dataStart + values.size();
  for (const char16_t c : xpTitle) { values.push_back(std::uint8_t(c)); values.push_back(std::uint8_t(c >> 8)); }
  values.push_back(0);
  values.push_back(0);
  u16(entries);
  u16(0x010E); u16(2); u32(unsigned(description.size() + 1)); u32(unsigned(dataStart));
  if (!xpTitle.empty()) { u16(0x9C9B); u16(1); u32(unsigned(xpTitle.size() * 2 + 2)); u32(unsigned(titleAt)); }
  u32(0);
  tiff.insert(tiff.end(), values.begin(), values.end());
  std::vector<std::uint8_t> app1 = {'E', 'x', 'i', 'f', 0, 0};
  app1.insert(app1.end(), tiff.begin(), tiff.end());
  std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE1, std::uint8_t((app1.size() + 2) >> 8), std::uint8_t(app1.size() + 2)};
  jpeg.insert(jpeg.end(), app1.begin(), app1.end());
  jpeg.insert(jpeg.end(), plain.begin() + 2, plain.end());
  SaveText(path, std::string(jpeg.begin(), jpeg.end()));
  fs::remove(path + ".plain.jpg");
}

QJsonArray ManifestLists(const std::string& output) {
  QFile file(QString::fromStdString(output + ".sources/manifest.json"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QJsonDocument::fromJson(file.readAll()).object().value("lists").toArray();
}

std::vector<std::string> OperaNames(const std::string& data) {
  TDataBanker banker(data);
  TVecInfos operas;
  banker.ListOperas(operas);
  std::vector<std::string> names;
  for (const TagInfo& info : operas) names.push_back(info.Name);
  return names;
}

std::string Cp1252(const char* utf8) {
  // The few accented letters these tests use.
  std::string out, in = utf8;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in.compare(i, 2, "\xC3\xA0") == 0) { out += '\xE0'; ++i; }       // à
    else if (in.compare(i, 2, "\xC3\xA8") == 0) { out += '\xE8'; ++i; }  // è
    else out += in[i];
  }
  return out;
}

TEST(Hang, CatalogueGivesTitlesRealSizesOrderAndALabel) {
  TScratch s;
  fs::create_directory(s.Path("in"));
  Picture(s.Path("in/natività.jpg"), 40, 30);
  Picture(s.Path("in/b.png"), 30, 40);
  Picture(s.Path("in/zeta.png"), 20, 20, "Titolo proprio");
  Picture(s.Path("in/__-__.png"), 20, 20);  // no title to be made of its name
  // A spreadsheet's export: semicolons, decimal commas, Italian headers, quotes, a blank line.
  SaveText(s.Path("in/catalogo.csv"),
           "\xEF\xBB\xBFImmagine;Titolo;Autore;Anno;Larghezza;Altezza;Ordine\r\n"
           "b.png;\"Ritratto; di dama\";Anonimo;1520;45,5;60 cm;2\r\n"
           "\r\n"
           "natività;Natività;Maestro di Castelfranco;;120;90;1\r\n");
  const std::string out = s.Path("out/kddata.bin");
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("zeta.png: not in the catalogue"), std::string::npos) << run.Err;
  EXPECT_EQ(OperaNames(out), (std::vector<std::string>{Cp1252("Natività"), "Ritratto; di dama", "Opera 3", "Titolo proprio"}));
  EXPECT_EQ(RunTool({"check", out}).Status, 0);

  // The label tells what the catalogue knows; the real size, not the picture's shape, counts.
  const std::string label = LoadText(out + ".sources/notes/1002-cartellino.txt");
  EXPECT_EQ(label, "Ritratto; di dama\nAnonimo, 1520\n46 \xC3\x97 60 cm\n");
  EXPECT_FALSE(fs::exists(out + ".sources/notes/1004-cartellino.txt"));  // nothing more than its title
  const std::string works = LoadText(out + ".sources/opere.iv");
  EXPECT_NE(works.find("point [ -0.6 0 0.45, 0.6 0 0.45, 0.6 0 -0.45, -0.6 0 -0.45"), std::string::npos);

  // The sources pack again into the very same file.
  const TRun again = RunTool({"pack", out + ".sources/manifest.json", "-o", s.Path("again.bin")});
  ASSERT_EQ(again.Status, 0) << again.Err;
  EXPECT_EQ(LoadBytes(out), LoadBytes(s.Path("again.bin")));
}

TEST(Hang, CatalogueMistakesNameTheFileTheLineAndTheReason) {
  TScratch s;
  fs::create_directory(s.Path("in"));
  Picture(s.Path("in/a.png"), 10, 10);
  const std::string out = s.Path("kddata.bin");
  const struct {
    const char* csv;
    const char* message;
  } cases[] = {
      {"file,title\na.png,A\nmissing.jpg,B\n", "catalogo.csv: line 3: no picture or model 'missing.jpg'"},
      {"file,width\na.png,wide\n", "catalogo.csv: line 2: width 'wide' is not a number"},
      {"file,height\na.png,-4\n", "catalogo.csv: line 2: height -4 cm is not a size"},
      {"file\na.png\nA.PNG\n", "catalogo.csv: line 3: 'A.PNG' is catalogued twice"},
      {"title\nA\n", "catalogo.csv: line 1: the header row names no \"file\" column"},
  };
  for (const auto& c : cases) {
    SaveText(s.Path("in/catalogo.csv"), c.csv);
    const TRun run = RunTool({"hang", s.Path("in"), "-o", out});
    EXPECT_EQ(run.Status, 1) << c.csv;
    EXPECT_NE(run.Err.find(c.message), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(out));
  }
  fs::remove(s.Path("in/catalogo.csv"));
  SaveText(s.Path("in/catalogo.json"), "{\"works\": [{\"file\": \"a.png\", \"title\": \"Da JSON\", \"width\": 30}]}");
  ASSERT_EQ(RunTool({"hang", s.Path("in"), "-o", out}).Status, 0);
  EXPECT_EQ(OperaNames(out), std::vector<std::string>{"Da JSON"});
}

TEST(Hang, NotesMoviesAndMusicAreFoundByName) {
  TScratch s;
  fs::create_directories(s.Path("in/Musica"));
  Picture(s.Path("in/natività.jpg"), 40, 30);
  Picture(s.Path("in/altro.png"), 40, 30);
  SaveText(s.Path("in/natività.rtf"), "{\\rtf1\\ansi Scheda}");
  // Written with a decomposed accent, as some machines store names.
  SaveText(s.Path("in/nativita\xCC\x80 (Il restauro).txt"), "Il restauro del 1990.\n");
  // Only the containers' signatures: pack's check looks no further.
  SaveText(s.Path("in/natività.wmv"), std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16) + "asf");
  SaveText(s.Path("in/natività (dietro le quinte).mp4"), std::string("\0\0\0\x18", 4) + "ftypisom");
  SaveText(s.Path("in/nessuno.txt"), "belongs to no picture");
  SaveText(s.Path("in/natività (Per le scuole).md"), "# Per le scuole\n\nUna *visita* guidata.\n");
  SaveText(s.Path("in/natività.doc"), "\xD0\xCF\x11\xE0 an old word processor's file");
  WriteSineWav(s.Path("in/Musica/10 - notturno.wav"), 22050, 1, 0.2);
  WriteSineWav(s.Path("in/Musica/2_preludio.wav"), 22050, 1, 0.2);
  SaveText(s.Path("in/Musica/copertina.txt"), "not music");
  const std::string out = s.Path("kddata.bin");
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("natività.doc: left out, pack cannot turn .doc documents into notes"), std::string::npos)
      << run.Err;
  EXPECT_EQ(RunTool({"check", out}).Status, 0);

  TDataBanker banker(out);
  TVecInfos sounds, operas, movies, notes;
  banker.ListSounds(sounds);
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[0].Name, "Preludio");
  EXPECT_EQ(sounds[1].Name, "Notturno");
  banker.ListOperas(operas);
  ASSERT_EQ(operas.size(), 2u);
  EXPECT_EQ(operas[0].Name, "Altro");
  banker.ListOperaItems(operas[0].Id, movies, notes);
  EXPECT_TRUE(movies.empty() && notes.empty());
  banker.ListOperaItems(operas[1].Id, movies, notes);
  std::vector<std::string> noteNames, movieNames;
  for (const TagInfo& n : notes) noteNames.push_back(n.Caption);
  for (const TagInfo& m : movies) movieNames.push_back(m.Caption);
  EXPECT_EQ(noteNames, (std::vector<std::string>{"Scheda dell'opera", "Il restauro", "Per le scuole"}));
  // The Markdown note went through pack's conversion into rich text.
  const std::unique_ptr<TMemoryStream> guide = banker.GetNoteStream(operas[1].Id, notes[2].UserId);
  ASSERT_TRUE(guide);
  const std::string rtf(reinterpret_cast<const char*>(guide->Data()), guide->GetSize());
  EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
  EXPECT_NE(rtf.find("visita"), std::string::npos);
  EXPECT_EQ(movieNames, (std::vector<std::string>{"Video", "dietro le quinte"}));
}

TEST(Hang, NamesAndLimitsOfTheDataFile) {
  TScratch s;
  fs::create_directory(s.Path("in"));
  // A Greek title has no Windows-1252 form: it is stored as UTF-8, whole and without a word.
  Picture(s.Path("in/a.png"), 10, 10, "\xCE\x91\xCE\xB8\xCE\xB7\xCE\xBD\xE1\xBE\xB6 Parthenos");
  const std::string out = s.Path("kddata.bin");
  TRun run = RunTool({"hang", s.Path("in"), "-o", out});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err.find("stored as"), std::string::npos) << run.Err;
  EXPECT_EQ(OperaNames(out), std::vector<std::string>{"\xCE\x91\xCE\xB8\xCE\xB7\xCE\xBD\xE1\xBE\xB6 Parthenos"});

  // Two rooms lists and one list per work: 235 works are one too many.
  for (int i = 1; i < 235; ++i) Picture(s.Path("in/p" + std::to_string(i) + ".png"), 2, 2);
  fs::remove(out);
  run = RunTool({"hang", s.Path("in"), "-o", out});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("235 works and 0 pieces of music need 237 lists, but a data file holds at most 236"),
            std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("split the folder into exhibitions of at most 234 works each, or hang the first 234 in "
                         "catalogue order with --max-works 234"), std::string::npos) << run.Err;
  EXPECT_FALSE(fs::exists(out));
  // --max-works hangs the first ones and names the rest.
  run = RunTool({"hang", s.Path("in"), "-o", out, "--max-works", "233"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("2 works not hung (--max-works 233): p233.png, p234.png"), std::string::npos) << run.Err;
  EXPECT_EQ(OperaNames(out).size(), 233u);
  fs::remove(out);

  EXPECT_EQ(RunTool({"hang", s.Path("in")}).Status, 2);
  EXPECT_EQ(RunTool({"hang", s.Path("in"), "-o", out, "--per-room", "0"}).Status, 2);
  EXPECT_EQ(RunTool({"hang", s.Path("in"), "-o", out, "--walls", "#12345"}).Status, 2);
  EXPECT_EQ(RunTool({"hang", s.Path("nowhere"), "-o", out}).Status, 1);
  EXPECT_EQ(RunTool({"hang", "--help"}).Status, 0);
}

TEST(Hang, PicturesTitleThemselves) {
  TScratch s;
  JpegWithExif(s.Path("a.jpg"), "Descrizione", u"Titolo di Windows \u00e8");
  JpegWithExif(s.Path("b.jpg"), "Solo descrizione", u"");
  Picture(s.Path("c.png"), 4, 4, "Dal PNG");
  Picture(s.Path("d.jpg"), 4, 4);
  JpegWithExif(s.Path("e.jpg"), "KONICA MINOLTA DIGITAL CAMERA", u"");
  EXPECT_EQ(PictureTitle(s.Path("a.jpg")), "Titolo di Windows \xC3\xA8");
  EXPECT_EQ(PictureTitle(s.Path("b.jpg")), "Solo descrizione");
  EXPECT_EQ(PictureTitle(s.Path("c.png")), "Dal PNG");
  EXPECT_EQ(PictureTitle(s.Path("d.jpg")), "");
  EXPECT_EQ(PictureTitle(s.Path("e.jpg")), "");  // the camera's name is no title

  // A damaged block gives no title and reads nothing outside itself.
  const std::vector<std::uint8_t> exif = [&] {
    const std::vector<std::uint8_t> jpeg = LoadBytes(s.Path("b.jpg"));
    return std::vector<std::uint8_t>(jpeg.begin() + 6, jpeg.begin() + 6 + ((jpeg[4] << 8 | jpeg[5]) - 2));
  }();
  for (std::size_t cut = 0; cut < exif.size(); ++cut) {
    const std::vector<std::uint8_t> part(exif.begin(), exif.begin() + long(cut));
    const std::string title = ExifTitle(part.data(), part.size());
    EXPECT_TRUE(title.empty() || title == "Solo descrizione") << cut;
  }
  std::vector<std::uint8_t> wild = exif;
  wild[6 + 8 + 2 + 8] = 0xFF;  // the description's offset points far away
  wild[6 + 8 + 2 + 11] = 0x7F;
  EXPECT_EQ(ExifTitle(wild.data(), wild.size()), "");
}

TEST(HangLayout, RoomsHoldAtMostTheirShareAndTallWorksStandOnTheFloor) {
  THangOptions options;
  options.PerRoom = 4;
  std::vector<TWorkSize> sizes(9, TWorkSize{1.0, 0.8});
  sizes[4] = {2.0, 4.2};  // taller than twice the eye height
  const THangLayout layout = LayOut(sizes, options);
  ASSERT_EQ(layout.Rooms.size(), 3u);
  std::vector<int> perRoom(3, 0);
  for (const TWorkPlacement& work : layout.Works) ++perRoom[std::size_t(work.Room)];
  EXPECT_EQ(perRoom, (std::vector<int>{3, 3, 3}));
  for (std::size_t i = 1; i < layout.Rooms.size(); ++i) EXPECT_EQ(layout.Rooms[i].X0, layout.Rooms[i - 1].X1);
  const TWorkPlacement& tall = layout.Works[4];
  EXPECT_GE(tall.Y - 2.1 - tall.Frame, options.MinFloorClearance - 1e-9);
  EXPECT_GT(layout.Height, tall.Y + 2.1 + tall.Frame);
  EXPECT_DOUBLE_EQ(layout.Works[0].Y, options.EyeHeight);
  EXPECT_LT(tall.ViewDistance, layout.Depth - 0.5);  // the camera stays in the room
}

}  // namespace

namespace {

// Each opera's name with the bytes of its notes and movies, in the order the browser lists them.
std::map<std::string, std::vector<std::string>> OperaContents(const std::string& data, bool skipLabels) {
  TDataBanker banker(data);
  TVecInfos operas;
  banker.ListOperas(operas);
  std::map<std::string, std::vector<std::string>> contents;
  for (const TagInfo& opera : operas) {
    TVecInfos movies, notes;
    banker.ListOperaItems(opera.Id, movies, notes);
    std::vector<std::string>& items = contents[opera.Name];
    for (const TagInfo& note : notes) {
      if (skipLabels && note.Caption == "Cartellino") continue;
      const std::unique_ptr<TMemoryStream> stream = banker.GetNoteStream(opera.Id, note.UserId);
      items.push_back(note.Caption + ": " + (stream ? std::string(reinterpret_cast<const char*>(stream->Data()), stream->GetSize()) : "?"));
    }
    for (const TagInfo& movie : movies) items.push_back(movie.Caption);
  }
  return contents;
}

}  // namespace

TEST(Hang, TheDemoFolderHangsIntoTheSameWorksNotesAndMovies) {
  ASSERT_EQ(RunTool({"check", PINACORA_DEMO_HUNG}).Status, 0);
  const auto hung = OperaContents(PINACORA_DEMO_HUNG, true);
  const auto byHand = OperaContents(PINACORA_DEMO_DATA, false);
  ASSERT_EQ(hung.size(), 8u);
  for (const auto& [name, items] : byHand) {
    ASSERT_EQ(hung.count(name), 1u) << name;
    // The hand-made file names its first note "Scheda dell'opera", as hang does.
    EXPECT_EQ(hung.at(name), items) << name;
  }
  TDataBanker banker(PINACORA_DEMO_HUNG);
  TVecInfos sounds;
  banker.ListSounds(sounds);
  ASSERT_EQ(sounds.size(), 3u);
  EXPECT_EQ(sounds[0].Name, "Preludio in sol");
}

TEST(Hang, SurfacesTakeAColourOrATiledPicture) {
  TScratch s;
  fs::create_directory(s.Path("in"));
  Picture(s.Path("in/a.png"), 10, 10);
  Picture(s.Path("damask.png"), 16, 16);
  const std::string out = s.Path("kddata.bin");
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out, "--walls", s.Path("damask.png"), "--floor", "#336699", "--quiet"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(RunTool({"check", out}).Status, 0);
  // The walls' texture is packed with the rooms and named as the rooms' texture node.
  const std::unique_ptr<TGXChunkList> rooms = TDataBanker(out).GetChunkList(110);
  ASSERT_TRUE(rooms);
  std::vector<std::string> names;
  for (std::int32_t i = 0; i < rooms->GetCount(); ++i) names.push_back(rooms->GetChunk(i)->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"sala", "ROOM_WALLS"}));
  const std::string scene = LoadText(out + ".sources/sala.iv");
  EXPECT_NE(scene.find("DEF ROOM_WALLS Texture2 { wrapS REPEAT wrapT REPEAT }"), std::string::npos);
  EXPECT_EQ(scene.find("ROOM_FLOOR"), std::string::npos);
  // #336699 as the floor's colour: 0.2 0.4 0.6, shared between diffuse and ambient light.
  EXPECT_NE(scene.find("ambientColor 0.12 0.24 0.36 diffuseColor 0.1 0.2 0.3"), std::string::npos);
}

namespace {

const char kBox[] = "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
const char kPawn[] = "/usr/share/inventor/data/models/chess/pawn.iv";

}  // namespace

TEST(Hang, ModelsStandOnPlinthsAsWorksOfTheManifest) {
  if (!fs::exists(kBox) || !fs::exists(kPawn)) GTEST_SKIP() << "assimp-testmodels or inventor-data is not installed";
  TScratch s;
  fs::create_directory(s.Path("in"));
  Picture(s.Path("in/quadro.png"), 40, 30);
  fs::copy_file(kBox, s.Path("in/scatola.glb"));
  fs::copy_file(kPawn, s.Path("in/pedone.iv"));
  SaveText(s.Path("in/pedone.txt"), "Un pedone degli scacchi.\n");
  SaveText(s.Path("in/scatola (restauro).txt"), "Restaurata nel 2020.\n");
  SaveText(s.Path("in/rotto.obj"), "this is no model\n");
  // A model's catalogue width is left to its own shape; its height counts.
  SaveText(s.Path("in/catalogo.csv"), "file;title;author;width;height\npedone.iv;Pedone;Anonimo;99;35\nscatola;;;;\nquadro.png;Quadro;;;\n");
  const std::string out = s.Path("out/kddata.bin");
  // A model that cannot be read stops the hanging, naming it; --skip-bad knowingly goes on.
  const TRun refused = RunTool({"hang", s.Path("in"), "-o", out});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("1 of the 4 works cannot be hung:\npinacora-data hang:   rotto.obj: not a model this tool can read"),
            std::string::npos) << refused.Err;
  EXPECT_NE(refused.Err.find("--skip-bad hangs the others"), std::string::npos) << refused.Err;
  EXPECT_FALSE(fs::exists(out));
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out, "--skip-bad"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err.find("not hung yet"), std::string::npos) << run.Err;
  EXPECT_NE(run.Out.find("3 of 4 works; left out: rotto.obj (not a model this tool can read"), std::string::npos) << run.Out;
  EXPECT_EQ(OperaNames(out), (std::vector<std::string>{"Pedone", "Scatola", "Quadro"}));
  EXPECT_EQ(RunTool({"check", out}).Status, 0);

  // List 120 shows both models as its works, facing the north wall, each on its plinth.
  QJsonObject works;
  for (const QJsonValue& list : ManifestLists(out)) {
    if (list.toObject().value("id").toInt() == 120) works = list.toObject();
  }
  const QJsonArray models = works.value("models").toArray();
  ASSERT_EQ(models.size(), 2);
  const std::string rooms = LoadText(out + ".sources/sala.iv");
  for (int i = 0; i < 2; ++i) {
    const QJsonObject model = models.at(i).toObject();
    EXPECT_EQ(model.value("work").toInt(), 1001 + i);
    EXPECT_EQ(model.value("facing").toDouble(), 180);
    EXPECT_GT(model.value("distance").toDouble(), 1.0);
    const QJsonArray at = model.value("position").toArray();
    EXPECT_EQ(at.at(2).toDouble(), 0);  // the room's middle
    // Its plinth is part of its entry, up to its base; the rooms hold none.
    const QJsonObject plinth = model.value("plinth").toObject();
    EXPECT_EQ(plinth.value("height").toDouble(), at.at(1).toDouble());
    EXPECT_GT(plinth.value("width").toDouble(), 0.1);
    EXPECT_EQ(rooms.find("Cube"), std::string::npos) << rooms;
  }
  EXPECT_DOUBLE_EQ(models.at(0).toObject().value("height").toDouble(), 0.35);
  EXPECT_DOUBLE_EQ(models.at(1).toObject().value("height").toDouble(), 0.5);
  EXPECT_EQ(LoadText(out + ".sources/notes/1001-cartellino.txt"), "Pedone\nAnonimo\naltezza 35 cm\n");
  const std::map<std::string, std::vector<std::string>> items = OperaContents(out, true);
  EXPECT_EQ(items.at("Pedone").size(), 1u);
  ASSERT_EQ(items.at("Scatola").size(), 1u);
  EXPECT_EQ(items.at("Scatola")[0].rfind("restauro: ", 0), 0u) << items.at("Scatola")[0];

  // The curator's sources pack again into the very same file.
  const TRun again = RunTool({"pack", out + ".sources/manifest.json", "-o", s.Path("again.bin")});
  ASSERT_EQ(again.Status, 0) << again.Err;
  EXPECT_EQ(LoadBytes(out), LoadBytes(s.Path("again.bin")));
  EXPECT_EQ(again.Err.find("floor"), std::string::npos) << again.Err;  // each stands on its plinth

  // Moved in the manifest, a model takes its plinth along; lowered, pack says it sinks.
  std::string manifest = LoadText(out + ".sources/manifest.json");
  const QJsonObject first = models.at(0).toObject();
  const QJsonArray at = first.value("position").toArray();
  const std::string was = "\"position\": [\n                        " + QString::number(at.at(0).toDouble()).toStdString();
  ASSERT_NE(manifest.find(was), std::string::npos) << manifest;
  manifest.replace(manifest.find(was), was.size(), "\"position\": [\n                        12.5");
  SaveText(out + ".sources/manifest.json", manifest);
  const TRun moved = RunTool({"pack", out + ".sources/manifest.json", "-o", s.Path("moved.bin")});
  ASSERT_EQ(moved.Status, 0) << moved.Err;
  ASSERT_EQ(RunTool({"extract", s.Path("moved.bin"), "120", "0", "-o", s.Path("moved.iv")}).Status, 0);
  const std::string shape = LoadText(s.Path("moved.iv"));
  const double plinthHeight = first.value("plinth").toObject().value("height").toDouble();
  EXPECT_NE(shape.find("translation 12.5 " + QString::number(at.at(1).toDouble() - plinthHeight / 2).toStdString()),
            std::string::npos) << shape.substr(0, 3000);
  const std::string up = "\n                        " + QString::number(at.at(1).toDouble()).toStdString() + ",";
  ASSERT_NE(manifest.find(up), std::string::npos);
  manifest.replace(manifest.find(up), up.size(), "\n                        0.1,");
  SaveText(out + ".sources/manifest.json", manifest);
  const TRun sunk = RunTool({"pack", out + ".sources/manifest.json", "-o", s.Path("sunk.bin")});
  EXPECT_NE(sunk.Err.find("sinks"), std::string::npos) << sunk.Err;
  EXPECT_NE(sunk.Err.find("into the floor (y = 0)"), std::string::npos) << sunk.Err;
}

TEST(HangLayout, ModelsStandClearOfEveryFlightsEnd) {
  THangOptions options;
  options.PerRoom = 5;
  std::vector<TWorkSize> sizes(10, TWorkSize{1.0, 0.8});
  for (const std::size_t i : {1u, 2u, 6u}) {
    sizes[i].Model = true;
    sizes[i].Width = i == 6 ? 0.3 : 0.9;
    sizes[i].Height = i == 6 ? 1.9 : 0.5;  // a slender statue, and two wide low pieces
    sizes[i].Depth = i == 2 ? 1.4 : 0.4;
    sizes[i].MeanUp = sizes[i].Height / 2;
  }
  const THangLayout layout = LayOut(sizes, options);
  ASSERT_EQ(layout.Rooms.size(), 2u);
  // Every flight's end, from either side of its sideways spread, lies in the room, at least half
  // a metre from every plinth and model, and away from the walls.
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const TWorkPlacement& work = layout.Works[i];
    ASSERT_TRUE(work.Wall == TPictureWall::North || work.Wall == TPictureWall::South) << "a room with models";
    const double eyeZ = sizes[i].Model ? work.Z - work.ViewDistance
                                       : work.Z + (work.Wall == TPictureWall::North ? 1 : -1) * work.ViewDistance;
    EXPECT_LT(std::fabs(eyeZ), layout.Depth / 2 - 0.5) << "work " << i;
    if (sizes[i].Model) {
      EXPECT_GT(work.ViewDistance, 2.35 * std::sqrt(sizes[i].Width * sizes[i].Height) - 1e-9);
      const TRoom& room = layout.Rooms[std::size_t(work.Room)];
      EXPECT_GT(work.X - work.PlinthWidth / 2, room.X0 + 1.0);
      EXPECT_LT(work.X + work.PlinthWidth / 2, room.X1 - 1.0);
    }
    for (const double shift : {-1.5, 0.5}) {
      for (std::size_t m = 0; m < sizes.size(); ++m) {
        if (!sizes[m].Model) continue;
        const TWorkPlacement& model = layout.Works[m];
        const bool clear = std::fabs(work.X + shift - model.X) > model.PlinthWidth / 2 + 0.5 ||
                           std::fabs(eyeZ - model.Z) > model.PlinthDepth / 2 + 0.5;
        EXPECT_TRUE(clear) << "the flight to work " << i << " ends at the plinth of work " << m;
      }
    }
  }
  // The slender statue is seen from further than its width and height alone would give.
  EXPECT_GT(layout.Works[6].ViewDistance, 2.35 * std::sqrt(0.3 * 1.9) + 0.3);
  // The first model stands clear of where the program's camera starts, the origin.
  EXPECT_GT(layout.Works[1].X - layout.Works[1].PlinthWidth / 2, 0.5);
}

TEST(Hang, AModelsOwnPicturesAreNotHungAsWorks) {
  const std::string gltf = "/usr/share/assimp/models/glTF2/BoxTextured-glTF";
  if (!fs::exists(gltf + "/BoxTextured.gltf")) GTEST_SKIP() << "assimp-testmodels is not installed";
  TScratch s;
  fs::create_directory(s.Path("in"));
  for (const char* file : {"BoxTextured.gltf", "BoxTextured0.bin", "CesiumLogoFlat.png"}) {
    fs::copy_file(gltf + "/" + file, s.Path("in/") + file);
  }
  Picture(s.Path("in/ritratto.png"), 30, 40);
  const std::string out = s.Path("kddata.bin");
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("CesiumLogoFlat.png: the picture of the model BoxTextured.gltf, not hung"), std::string::npos) << run.Err;
  EXPECT_EQ(OperaNames(out), (std::vector<std::string>{"BoxTextured", "Ritratto"}));
  EXPECT_EQ(RunTool({"check", out}).Status, 0);
}
