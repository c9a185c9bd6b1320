// hang and the curator's catalogue: sizes that keep a picture's shape, every mistake told in one
// run, a model's turn, and a damaged photograph that is refused rather than hung grey.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "clitestsupport.h"
#include "hang/hangcatalogue.h"
#include "hang/hangsize.h"

namespace fs = std::filesystem;

namespace {

const char kWallpaper[] = "/usr/share/backgrounds/gnome/adwaita-l.webp";  // gnome-backgrounds

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TFolderWork Work(int pixelWidth, int pixelHeight, double widthCm, double heightCm) {
  TFolderWork work;
  work.File = "/museo/lettere.jpg";
  work.Title = "Lettere";
  work.PixelWidth = pixelWidth;
  work.PixelHeight = pixelHeight;
  work.WidthCm = widthCm;
  work.HeightCm = heightCm;
  return work;
}

TEST(HangSize, APictureKeepsItsShapeInsideTheCatalogueSize) {
  std::vector<std::string> notices;
  // A 2 x 3 photograph catalogued 73 x 82.5 cm: fitted inside, its height holds.
  TWorkSize size = PictureSize(Work(4000, 6000, 73, 82.5), 60, TCatalogueSizeRule::Fit, notices);
  EXPECT_NEAR(size.Width, 0.55, 1e-9);
  EXPECT_NEAR(size.Height, 0.825, 1e-9);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_TRUE(Has(notices[0], "lettere.jpg 'Lettere': catalogued 73 x 82.5 cm (0.88:1), but the picture is 4000 x 6000 px "
                              "(0.67:1); hung 55 x 82.5 cm")) << notices[0];
  // Wider than its catalogue shape: its width holds; or the curator keeps a side.
  notices.clear();
  size = PictureSize(Work(3000, 2000, 73, 82.5), 60, TCatalogueSizeRule::Fit, notices);
  EXPECT_NEAR(size.Width, 0.73, 1e-9);
  EXPECT_NEAR(size.Height, 0.73 / 1.5, 1e-9);
  size = PictureSize(Work(3000, 2000, 73, 82.5), 60, TCatalogueSizeRule::Height, notices);
  EXPECT_NEAR(size.Width, 0.825 * 1.5, 1e-9);
  size = PictureSize(Work(2000, 3000, 73, 82.5), 60, TCatalogueSizeRule::Width, notices);
  EXPECT_NEAR(size.Height, 1.095, 1e-9);

  // Within 3 % it is the same shape measured twice: the catalogue's size, and nothing said.
  notices.clear();
  size = PictureSize(Work(3000, 4000, 45.5, 60), 60, TCatalogueSizeRule::Fit, notices);
  EXPECT_NEAR(size.Width, 0.455, 1e-9);
  EXPECT_NEAR(size.Height, 0.60, 1e-9);
  EXPECT_TRUE(notices.empty());
  // One side given, or none: the picture's shape gives the other.
  size = PictureSize(Work(3000, 2000, 0, 40), 60, TCatalogueSizeRule::Fit, notices);
  EXPECT_NEAR(size.Width, 0.60, 1e-9);
  size = PictureSize(Work(3000, 2000, 0, 0), 50, TCatalogueSizeRule::Fit, notices);
  EXPECT_NEAR(size.Height, 0.50, 1e-9);
  EXPECT_TRUE(notices.empty());
}

TEST(HangSize, TooFewPixelsForTheHungSizeAreSaid) {
  std::vector<std::string> notices;
  PictureSize(Work(200, 150, 80, 60), 60, TCatalogueSizeRule::Fit, notices);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_TRUE(Has(notices[0], "200 x 150 px hung 80 x 60 cm is 2.5 px/cm, below the 40 px/cm")) << notices[0];
  notices.clear();
  PictureSize(Work(3200, 2400, 80, 60), 60, TCatalogueSizeRule::Fit, notices);  // 40 px/cm exactly
  EXPECT_TRUE(notices.empty());
  TCatalogueSizeRule rule;
  EXPECT_TRUE(ParseCatalogueSizeRule("height", rule));
  EXPECT_EQ(rule, TCatalogueSizeRule::Height);
  EXPECT_FALSE(ParseCatalogueSizeRule("stretch", rule));
}

TEST(HangCatalogue, EveryMistakeIsToldInOneRunWithLineAndColumn) {
  TScratch s;
  SaveText(s.Path("catalogo.csv"),
           "file;title;width;height;fronte\n"
           "a.png;A;largo;60;\n"      // line 2: a word for a number
           "b.png;B;40;-4;\n"         // line 3: no size
           ";C;1;1;\n"                // line 4: no file
           "d.glb;D;;50;dietro\n"     // line 5: a word for an angle
           "e.png;E;40;30;\n");       // good
  std::vector<TCatalogueEntry> entries;
  std::vector<TCatalogueError> errors;
  EXPECT_FALSE(ReadCatalogue(s.Path("catalogo.csv"), entries, errors));
  ASSERT_EQ(errors.size(), 4u);
  const std::string text = CatalogueErrorText(errors, "catalogo.csv", "> ");
  EXPECT_EQ(text,
            "catalogo.csv: line 2: width 'largo' is not a number (column 3)\n"
            "> catalogo.csv: line 3: height -4 cm is not a size a work can have (column 4)\n"
            "> catalogo.csv: line 4: no file named\n"
            "> catalogo.csv: line 5: facing 'dietro' is not a number (column 5)\n"
            "> catalogo.csv: 4 mistakes; mend them all and hang again");
  ASSERT_EQ(entries.size(), 1u);  // the good row is read all the same
  EXPECT_EQ(entries[0].File, "e.png");

  // A JSON catalogue names the work and the key.
  SaveText(s.Path("catalogo.json"), R"([{"file": "a.png", "width": "x"}, 7, {"file": "c.glb", "facing": 180}])");
  errors.clear();
  EXPECT_FALSE(ReadCatalogue(s.Path("catalogo.json"), entries, errors));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].Text, "catalogo.json: work 1: width 'x' is not a number (\"width\")");
  EXPECT_EQ(errors[1].Text, "catalogo.json: work 2: must be an object");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].HasFacing);
  EXPECT_EQ(entries[0].FacingDeg, 180);
}

TEST(HangCatalogue, HangTellsEveryMistakeTheFolderAndCatalogueHoldAndWritesNothing) {
  TScratch s;
  fs::create_directory(s.Path("in"));
  QImage(10, 10, QImage::Format_RGB888).save(QString::fromStdString(s.Path("in/a.png")));
  SaveText(s.Path("in/catalogo.csv"), "file,width\nmissing.jpg,30\na.png,wide\na.png,20\nA.PNG,20\n");
  const std::string out = s.Path("kddata.bin");
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out});
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(Has(run.Err, "pinacora-data hang: catalogo.csv: line 2: no picture or model 'missing.jpg'")) << run.Err;
  EXPECT_TRUE(Has(run.Err, "\npinacora-data hang: catalogo.csv: line 3: width 'wide' is not a number (column 2)\n"));
  EXPECT_TRUE(Has(run.Err, "\npinacora-data hang: catalogo.csv: line 5: 'A.PNG' is catalogued twice (column 1)\n"));
  EXPECT_TRUE(Has(run.Err, "catalogo.csv: 3 mistakes")) << run.Err;
  EXPECT_FALSE(fs::exists(out));
}

TEST(HangCatalogue, AModelsFacingColumnTurnsItAndItsPictureIsNamedByTheModel) {
  const std::string box = "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
  if (!fs::exists(box)) GTEST_SKIP() << box << " is not installed";
  TScratch s;
  fs::create_directory(s.Path("in"));
  fs::copy_file(box, s.Path("in/scatola.glb"));
  SaveText(s.Path("in/catalogo.csv"), "file;title;fronte\nscatola.glb;Scatola;-90\n");
  const std::string out = s.Path("kddata.bin");
  const TRun run = RunTool({"hang", s.Path("in"), "-o", out, "--quiet"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  QFile file(QString::fromStdString(out + ".sources/manifest.json"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonArray lists = QJsonDocument::fromJson(file.readAll()).object().value("lists").toArray();
  double facing = -1;
  for (const QJsonValue list : lists) {
    for (const QJsonValue model : list.toObject().value("models").toArray()) facing = model.toObject().value("facing").toDouble();
  }
  EXPECT_EQ(facing, 90);  // towards the north wall (180), turned by -90

  // The model's embedded picture is named by the model, never by the scratch file it passed
  // through, and the texture limit quoted is hang's own.
  const TRun small = RunTool({"hang", s.Path("in"), "-o", out, "--max-texture", "16"});
  ASSERT_EQ(small.Status, 0) << small.Err;
  EXPECT_TRUE(Has(small.Err, "scatola.glb: embedded picture")) << small.Err;
  EXPECT_TRUE(Has(small.Err, "scaled down to 16 x 16 (--max-texture 16)")) << small.Err;
  EXPECT_FALSE(Has(small.Err, "MODELTEX")) << small.Err;
  const TRun plain = RunTool({"hang", s.Path("in"), "-o", out});
  EXPECT_FALSE(Has(plain.Err, "2048")) << plain.Err;  // 211 px is within hang's 1024
}

TEST(HangCatalogue, AWorkThatCannotBeHungStopsTheRunUnlessSkipped) {
  TScratch s;
  fs::create_directory(s.Path("in"));
  for (int i = 1; i <= 8; ++i) {
    QImage(40, 30, QImage::Format_RGB888).save(QString::fromStdString(s.Path("in/p" + std::to_string(i) + ".png")));
  }
  SaveText(s.Path("in/vuoto.stl"), "");                  // a model cut to nothing
  SaveText(s.Path("in/finta.jpg"), "not a picture at all");
  SaveText(s.Path("in/leggimi.txt"), "belongs to no work");  // evidently no work: quietly out
  const std::string out = s.Path("kddata.bin");
  const TRun refused = RunTool({"hang", s.Path("in"), "-o", out});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_TRUE(Has(refused.Err, "2 of the 10 works cannot be hung:")) << refused.Err;
  EXPECT_TRUE(Has(refused.Err, "  finta.jpg: not a picture Qt can read")) << refused.Err;
  EXPECT_TRUE(Has(refused.Err, "  vuoto.stl: not a model this tool can read")) << refused.Err;
  EXPECT_FALSE(Has(refused.Err, "leggimi")) << refused.Err;
  EXPECT_FALSE(fs::exists(out));

  const TRun skipped = RunTool({"hang", s.Path("in"), "-o", out, "--skip-bad"});
  ASSERT_EQ(skipped.Status, 0) << skipped.Err;
  EXPECT_TRUE(Has(skipped.Out, ": 8 of 10 works; left out: finta.jpg (not a picture Qt can read")) << skipped.Out;
  EXPECT_TRUE(Has(skipped.Out, "vuoto.stl (not a model this tool can read")) << skipped.Out;
  fs::remove(s.Path("in/vuoto.stl"));
  fs::remove(s.Path("in/finta.jpg"));
  const TRun whole = RunTool({"hang", s.Path("in"), "-o", out});
  ASSERT_EQ(whole.Status, 0) << whole.Err;
  EXPECT_TRUE(Has(whole.Out, ": 8 works in ")) << whole.Out;
}

TEST(HangCatalogue, ADamagedPhotographIsRefusedNamingItUnlessForced) {
  if (!fs::exists(kWallpaper)) GTEST_SKIP() << kWallpaper << " is not installed";
  static int argc = 1;
  static char name[] = "cli_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  TScratch s;
  fs::create_directory(s.Path("in"));
  const QImage photo = QImage(kWallpaper).scaled(1600, 1200);
  ASSERT_TRUE(photo.save(QString::fromStdString(s.Path("whole.jpg")), "JPEG", 90));
  SaveText(s.Path("in/cut.jpg"), LoadText(s.Path("whole.jpg")).substr(0, 60000));
  fs::copy_file(s.Path("whole.jpg"), s.Path("in/whole.jpg"));
  const std::string out = s.Path("kddata.bin");
  // Larger than --max-texture and smaller: both are read whole and found out.
  for (const char* side : {"1024", "2048"}) {
    const TRun run = RunTool({"hang", s.Path("in"), "-o", out, "--max-texture", side});
    EXPECT_EQ(run.Status, 1) << side;
    EXPECT_TRUE(Has(run.Err, "in/cut.jpg: the picture is damaged (Corrupt JPEG data: premature end of data segment)"))
        << run.Err;
    EXPECT_FALSE(Has(run.Err, "\nCorrupt JPEG")) << run.Err;  // never on a line of its own
    EXPECT_FALSE(fs::exists(out));
  }
  const TRun forced = RunTool({"hang", s.Path("in"), "-o", out, "--force"});
  EXPECT_EQ(forced.Status, 0) << forced.Err;
  EXPECT_TRUE(fs::exists(out));
}

}  // namespace
