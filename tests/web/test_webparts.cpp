// The parts of the website writer that a browser test cannot see into: triangles in world
// coordinates with their winding kept, pictures turned the right way up, the glTF container, the
// movie kinds, and pictures of notes written out as files.
#include <Inventor/SbLinear.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoSeparator.h>
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <cstring>

#include "web/glbwriter.h"
#include "web/notehtml.h"
#include "web/scenemesh.h"
#include "web/webmedia.h"

namespace {

SoSeparator* ReadScene(const char* text) {
  if (!SoDB::isInitialized()) SoDB::init();
  SoInput input;
  input.setBuffer(text, std::strlen(text));
  SoSeparator* scene = SoDB::readAll(&input);
  EXPECT_NE(scene, nullptr);
  scene->ref();
  return scene;
}

// One square of side 2 facing +Y, named as a work, under a transformation.
std::string Square(const char* transform) {
  return std::string("#Inventor V2.1 ascii\nSeparator { ") + transform +
         " Coordinate3 { point [ -1 0 1, 1 0 1, 1 0 -1, -1 0 -1 ] }"
         " DEF KD_7 IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] }"
         " Coordinate3 { point [ 0 0 0, 1 0 0, 2 0 0 ] } IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] } }";
}

// The facing of the first triangle of the work's first primitive, from its winding.
SbVec3f WoundNormal(const TSceneMesh& mesh) {
  const TScenePrimitive& p = mesh.Groups.at(0).Primitives.at(0);
  auto at = [&p](int corner) {
    const std::uint32_t i = p.Indices[corner];
    return SbVec3f(p.Positions[3 * i], p.Positions[3 * i + 1], p.Positions[3 * i + 2]);
  };
  SbVec3f n = (at(1) - at(0)).cross(at(2) - at(0));
  n.normalize();
  return n;
}

}  // namespace

TEST(WebScene, WorksInWorldCoordinatesKeepTheirFacingEvenWhenMirrored) {
  for (const char* transform : {"Translation { translation 0 1 0 }", "Scale { scaleFactor 1 -1 1 }"}) {
    SoSeparator* scene = ReadScene(Square(transform).c_str());
    TSceneMesh mesh;
    mesh.AddScene(scene, "room", true);
    scene->unref();
    ASSERT_EQ(mesh.Groups.size(), 1u) << "the triangle without area is dropped, so no decoration group";
    EXPECT_EQ(mesh.Groups[0].Name, "KD_7");
    EXPECT_EQ(mesh.Groups[0].Work, 7);
    EXPECT_EQ(mesh.Triangles, 2u);
    const TScenePrimitive& p = mesh.Groups[0].Primitives.at(0);
    EXPECT_EQ(p.Positions.size(), 12u) << "shared corners are stored once";
    const float y = std::strcmp(transform, "Scale { scaleFactor 1 -1 1 }") == 0 ? -1.0f : 1.0f;
    const SbVec3f wound = WoundNormal(mesh);
    // Mirrored, the square faces -Y, and its winding says so, as do its normals.
    EXPECT_NEAR(wound[1], y, 1e-5) << transform;
    EXPECT_NEAR(p.Normals[1], y, 1e-5) << transform;
  }
}

TEST(WebScene, AModelWithLevelsGoesOutAtItsFullLevelFromAnyDistance) {
  // Far from where Coin's default view stands, so that distance alone would take the coarse level;
  // the same levels shared by two parents, whose ranges must come back as they were.
  SoSeparator* scene = ReadScene(
      "#Inventor V2.1 ascii\nSeparator { Translation { translation 40 0 0 }"
      " Coordinate3 { point [ -1 0 1, 1 0 1, 1 0 -1, -1 0 -1 ] }"
      " DEF LEVELS LOD { range [ 2, 5 ]"
      "   DEF KD_7 IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 0, 2, 3, -1, 1, 2, 3, -1 ] }"
      "   IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] } IndexedFaceSet { coordIndex [ 0, 2, 3, -1 ] } }"
      " Separator { Translation { translation 0 0 4 } USE LEVELS } }");
  TSceneMesh mesh;
  mesh.AddScene(scene, "room", true);
  EXPECT_EQ(mesh.Triangles, 6u) << "three triangles of the full level, twice";
  SoNode* levels = SoNode::getByName("LEVELS");
  ASSERT_NE(levels, nullptr);
  ASSERT_TRUE(levels->isOfType(SoLOD::getClassTypeId()));
  const SoMFFloat& ranges = static_cast<SoLOD*>(levels)->range;
  ASSERT_EQ(ranges.getNum(), 2);
  EXPECT_EQ(ranges[0], 2.0f);
  EXPECT_EQ(ranges[1], 5.0f);
  scene->unref();
}

TEST(WebScene, PicturesComeOutUprightAndTheContainerIsGltf) {
  // 16 x 16 pixels: Coin's first eight rows (the bottom) red, the others blue.
  std::string image = "image 16 16 3";
  for (int i = 0; i < 256; ++i) image += i < 128 ? " 0xff0000" : " 0x0000ff";
  SoSeparator* scene = ReadScene(("#Inventor V2.1 ascii\nSeparator { Texture2 { " + image + " } "
      "Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } TextureCoordinate2 { point [ 0 0, 1 0, 1 1, 0 1 ] } "
      "IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] textureCoordIndex [ 0, 1, 2, 3, -1 ] } }").c_str());
  TSceneMesh mesh;
  mesh.AddScene(scene, "room", false);
  ASSERT_EQ(mesh.Pictures.size(), 1u);
  const TScenePrimitive& p = mesh.Groups.at(0).Primitives.at(0);
  ASSERT_EQ(p.TexCoords.size(), p.Positions.size() / 3 * 2);
  // The bottom corner (y = 0) samples Coin's first row, which is the last row of the picture file.
  for (std::size_t i = 0; i < p.Positions.size() / 3; ++i) EXPECT_FLOAT_EQ(p.TexCoords[2 * i + 1], 1.0f - p.Positions[3 * i + 1]);
  std::string mime;
  bool scaled = true;
  const std::vector<std::uint8_t> encoded = EncodePicture(mesh.Pictures[0], 2048, 95, mime, scaled);
  EXPECT_EQ(mime, "image/jpeg");
  EXPECT_FALSE(scaled);
  const QImage picture = QImage::fromData(encoded.data(), static_cast<int>(encoded.size()));
  ASSERT_EQ(picture.size(), QSize(16, 16));
  EXPECT_GT(qBlue(picture.pixel(8, 2)), 200) << "Coin's last rows (blue) are the top of the file";
  EXPECT_GT(qRed(picture.pixel(8, 13)), 200);

  const TGlbResult glb = WriteGlb(mesh, TGlbOptions());
  ASSERT_GE(glb.Bytes.size(), 28u);
  EXPECT_EQ(std::memcmp(glb.Bytes.data(), "glTF", 4), 0);
  const std::uint32_t total = glb.Bytes[8] | glb.Bytes[9] << 8 | glb.Bytes[10] << 16 | glb.Bytes[11] << 24;
  EXPECT_EQ(total, glb.Bytes.size());
  EXPECT_EQ(glb.Bytes.size() % 4, 0u);
  scene->unref();
}

TEST(WebMedia, MovieKindsByTheirFirstBytes) {
  auto bytes = [](const char* text, std::size_t length) { return std::vector<std::uint8_t>(text, text + length); };
  EXPECT_EQ(MovieKindOf(bytes("\0\0\0\x18" "ftypmp42", 12)), TMovieKind::Mp4);
  EXPECT_EQ(MovieKindOf(bytes("\x1A\x45\xDF\xA3\x9F\x42\x82\x84webm", 12)), TMovieKind::WebM);
  EXPECT_EQ(MovieKindOf(bytes("\x1A\x45\xDF\xA3\x9F\x42\x82\x88matroska", 16)), TMovieKind::Matroska);
  EXPECT_EQ(MovieKindOf(bytes("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8)), TMovieKind::Asf);
  EXPECT_EQ(MovieKindOf(bytes("RIFF\0\0\0\0AVI ", 12)), TMovieKind::Avi);
  EXPECT_EQ(MovieKindOf(bytes("\0\0\x01\xBA", 4)), TMovieKind::Mpeg);
  EXPECT_EQ(MovieKindOf(bytes("ftyp", 4)), TMovieKind::Unknown);
}

TEST(WebNotes, PicturesBecomeFilesAndPlainTextStaysAsWritten) {
  // A 1 x 1 PNG picture inside the note.
  QImage dot(1, 1, QImage::Format_RGB32);
  dot.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  dot.save(&buffer, "PNG");
  const std::string rtf = "{\\rtf1\\ansi Prima {\\pict\\pngblip\\picw1\\pich1 " + png.toHex().toStdString() + "} dopo}";
  const TNoteHtml rich = NoteToHtml(rtf, "notes/9-1");
  EXPECT_TRUE(rich.Shown && rich.Rich);
  ASSERT_EQ(rich.Pictures.size(), 1u);
  EXPECT_EQ(rich.Pictures[0].File.rfind("notes/9-1-", 0), 0u);
  EXPECT_NE(rich.Html.find("src=\"" + rich.Pictures[0].File + "\""), std::string::npos);
  EXPECT_EQ(rich.Html.find("rtf-image-"), std::string::npos);

  const TNoteHtml plain = NoteToHtml("Citt\xE0 <ideale>", "notes/9-2");
  EXPECT_TRUE(plain.Shown);
  EXPECT_FALSE(plain.Rich);
  EXPECT_EQ(plain.Html, "<pre class=\"note-plain\">Citt\xC3\xA0 &lt;ideale&gt;</pre>");
  EXPECT_FALSE(NoteToHtml(std::string("a\0b", 3), "x").Shown);
}

// The tool writes the website under a QCoreApplication, with no platform plugin loaded, and so do
// these tests.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
