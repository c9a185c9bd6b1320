// 3D models as works: real scans and exports packed by the tool, then read back as the program
// reads them and measured with the same work queries the flights use.
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "clitestsupport.h"
#include "packedworks.h"
#include "check/datacheck.h"
#include "data/gxserializer.h"
#include "import/modelmesh.h"
#include "import/modelplacement.h"
#include "import/modelsimplify.h"
#include "scene/coinref.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "scene/workqueries.h"

namespace {

const std::string kAssimp = "/usr/share/assimp/models";
const std::string kInventor = "/usr/share/inventor/data/models";

struct TWorkModel {
  int Work;
  std::string File;
  float X, Z, Facing, Height;
  std::string Axes;  // extra manifest keys
  bool Textured;
};

// The real models of the exhibition: a glTF and a .glb box (a picture beside it, and one embedded),
// an OBJ with MTL and pictures, a PLY, an STL scan lying on its back, Inventor binary and text.
const std::vector<TWorkModel>& Works() {
  static const std::vector<TWorkModel> works = {
      {401, kAssimp + "/glTF2/BoxTextured-glTF/BoxTextured.gltf", 3, 0, 270, 1.0f, "", true},
      {402, kAssimp + "/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", -3, 0, 90, 1.0f, "", true},
      {403, kAssimp + "/OBJ/spider.obj", 0, 3, 180, 0.8f, "", true},
      {404, kAssimp + "/PLY/cube.ply", 0, -3, 0, 0.5f, "", false},
      {405, kAssimp + "/STL/Spider_binary.stl", 2, -3, 30, 0.5f, R"(, "up": "+z", "front": "-y")", false},
      {406, kInventor + "/chess/pawn.iv", -2, -3, 45, 0.5f, "", false},
      {407, kInventor + "/simple/triangleStripSet.iv", -2, 3, 0, 1.2f, "", false},
  };
  return works;
}

bool MissingMaterial() {
  for (const TWorkModel& work : Works()) {
    if (!std::filesystem::exists(work.File)) return true;
  }
  return false;
}

std::string ModelEntry(const TWorkModel& w) {
  return R"({ "file": ")" + w.File + R"(", "work": )" + std::to_string(w.Work) + R"(, "position": [)" +
         std::to_string(w.X) + ", 0, " + std::to_string(w.Z) + R"(], "facing": )" + std::to_string(w.Facing) +
         R"(, "height": )" + std::to_string(w.Height) + w.Axes + " }";
}

std::string Manifest(const std::string& models, const std::string& operas) {
  return R"({ "lists": [
    { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
    { "kind": "scene", "id": 120, "name": "Opere", "models": [ )" +
         models + " ] }" + operas + " ] }";
}

const char kRoom[] = "#Inventor V2.1 ascii\nSeparator { Coordinate3 { point [ -9 0 -9, 9 0 -9, 9 0 9, -9 0 9 ] }\n"
                     "IndexedFaceSet { coordIndex [ 0, 3, 2, 1, -1 ] } }\n";

class ModelPackTest : public PackedWorksTest {
 protected:
  static void SetUpTestSuite() {
    if (MissingMaterial()) return;
    auto* scratch = new TScratch;
    std::string models, operas;
    for (const TWorkModel& w : Works()) {
      models += (models.empty() ? "" : ", ") + ModelEntry(w);
      operas += R"(, { "kind": "opera", "id": )" + std::to_string(w.Work) + R"(, "name": "Opera )" +
                std::to_string(w.Work) + "\" }";
    }
    // Decoration beside the works: a model with no work.
    models += R"(, { "file": ")" + kAssimp + R"(/STL/triangle.stl", "position": [0, 0, 0] })";
    SaveText(scratch->Path("room.iv"), kRoom);
    SaveText(scratch->Path("manifest.json"), Manifest(models, operas));
    PackSuite(scratch);
  }
  static void TearDownTestSuite() { ReleaseSuite(); }
  void SetUp() override {
    if (MissingMaterial()) GTEST_SKIP() << "assimp-testmodels or inventor-data is not installed";
    PackedWorksTest::SetUp();
  }

  const SbViewportRegion viewport{640, 480};
};

TEST_F(ModelPackTest, EveryWorkStandsAtItsPlaceFacingItsWayAtItsSize) {
  for (const TWorkModel& w : Works()) {
    SCOPED_TRACE(w.File);
    SbVec3f centre, normal;
    float distance = 0;
    ASSERT_TRUE(GetObjectCenter(works, w.Work, viewport, centre));
    ASSERT_TRUE(GetObjectNormal(works, w.Work, viewport, normal));
    ASSERT_TRUE(GetObjectViewDistance(works, w.Work, distance));
    const SbVec3f facing = FacingDirection(w.Facing);
    EXPECT_NEAR(normal.dot(facing), 1.0f, 1e-4f) << normal[0] << " " << normal[1] << " " << normal[2];
    EXPECT_NEAR(normal[1], 0.0f, 1e-4f);
    // The centre lies over the base and within the height asked for.
    EXPECT_GT(centre[1], 0.0f);
    EXPECT_LT(centre[1], w.Height);
    // The base centre is the middle of the box, so the vertex mean stays within the model's reach.
    EXPECT_LT(std::hypot(centre[0] - w.X, centre[2] - w.Z), 2.0f * w.Height);

    // Height is the local Z extent, which the flight distance takes together with the width.
    SoPath* path = FindWork(works, w.Work);
    ASSERT_NE(path, nullptr);
    EXPECT_TRUE(path->getTail()->isOfType(SoIndexedFaceSet::getClassTypeId()));
    SbBox3f box;
    ASSERT_TRUE(GetCoordinateBox(path, box));
    const SbVec3f size = box.getMax() - box.getMin();
    EXPECT_NEAR(size[2], w.Height, 1e-3f);
    EXPECT_NEAR(distance, 2.35f * std::sqrt(size[0] * size[2]), 1e-3f);
    path->unref();
  }
}

// Faces must wind counter-clockwise seen from outside: the program draws them solid with that
// ordering forced. The closed boxes show it plainly: every face looks away from the centre.
TEST_F(ModelPackTest, ClosedModelsWindTheirFacesOutward) {
  for (const int work : {401, 402, 404}) {
    SCOPED_TRACE(work);
    SoPath* path = FindWork(works, work);
    ASSERT_NE(path, nullptr);
    SbVec3f middle;
    ASSERT_TRUE(GetCoordinateCentroid(path, middle));
    SoSearchAction search;
    search.setType(SoCoordinate3::getClassTypeId());
    search.setInterest(SoSearchAction::LAST);
    search.apply(path);
    ASSERT_NE(search.getPath(), nullptr);
    const auto* points = static_cast<SoCoordinate3*>(search.getPath()->getTail());
    const auto* faces = static_cast<SoIndexedFaceSet*>(path->getTail());
    int outward = 0, inward = 0;
    const int n = faces->coordIndex.getNum();
    for (int i = 0; i + 3 < n; i += 4) {
      const SbVec3f a = points->point[faces->coordIndex[i]], b = points->point[faces->coordIndex[i + 1]],
                    c = points->point[faces->coordIndex[i + 2]];
      ((b - a).cross(c - a).dot((a + b + c) / 3 - middle) > 0 ? outward : inward)++;
    }
    search.reset();
    path->unref();
    EXPECT_EQ(inward, 0);
    EXPECT_GT(outward, 0);
  }
}

TEST_F(ModelPackTest, PicturesOfTheModelsReachTheirWorksTextureNodes) {
  for (const TWorkModel& w : Works()) {
    SCOPED_TRACE(w.File);
    SoPath* path = FindWork(works, w.Work);
    ASSERT_NE(path, nullptr);
    SoSearchAction search;
    search.setType(SoTexture2::getClassTypeId());
    search.setInterest(SoSearchAction::LAST);
    search.apply(path);
    SbVec2s size(0, 0);
    int components = 0;
    if (search.getPath() != nullptr) {
      static_cast<SoTexture2*>(search.getPath()->getTail())->image.getValue(size, components);
    }
    search.reset();
    path->unref();
    if (w.Textured) {
      EXPECT_GT(size[0], 0);
      EXPECT_GE(components, 3);
    } else {
      EXPECT_EQ(size[0], 0);
    }
  }
}

TEST_F(ModelPackTest, TheCheckerPassesWhatPackWroteAndTellsWhatEachWorkCosts) {
  EXPECT_EQ(pack->Out, "");
  const std::vector<std::string> problems = CheckDataFile(output);
  for (const std::string& problem : problems) ADD_FAILURE() << problem;
  const TRun check = RunTool({"check", output});
  EXPECT_EQ(check.Status, 0) << check.Out;
  EXPECT_EQ(check.Out, "");
  // The spider in pictures is one work in several parts; its faces all count, as they do in the
  // STL spider, which is the same model without pictures.
  EXPECT_NE(check.Err.find("work 403: 1368 faces, "), std::string::npos) << check.Err;
  EXPECT_NE(check.Err.find("work 405: 1368 faces, 0 texture bytes"), std::string::npos) << check.Err;
  EXPECT_NE(check.Err.find("work 404: 12 faces, 0 texture bytes"), std::string::npos) << check.Err;
  EXPECT_EQ(check.Err.find("work 401: 12 faces, 0 texture bytes"), std::string::npos) << check.Err;
  EXPECT_NE(check.Err.find("work 401: 12 faces, "), std::string::npos) << check.Err;
}

// The works' list of scratch's manifest.json packed on its own (--force keeps a file without
// rooms or operas) and its scene, held; the scene is empty, the failure reported, when the
// packing, the reading or the building fails.
struct TPackedWorks {
  std::unique_ptr<TGXChunkList> List;
  TCoinRef<SoNode> Scene;
};
TPackedWorks PackWorks(const TScratch& scratch) {
  TPackedWorks packed;
  const TRun run = RunTool({"pack", scratch.Path("manifest.json"), "-o", scratch.Path("kddata.bin"), "--force"});
  EXPECT_EQ(run.Status, 0) << run.Err;
  if (run.Status != 0) return packed;
  packed.List = TGXSerializer::ReadFromFile(scratch.Path("kddata.bin"), 120);
  EXPECT_NE(packed.List, nullptr);
  if (packed.List == nullptr) return packed;
  packed.Scene = TCoinRef<SoNode>(BuildSceneFromList(*packed.List));
  EXPECT_NE(packed.Scene.get(), nullptr);
  return packed;
}

// A model's own shape and its models share the one shape chunk the program reads.
TEST(ModelPack, AListsShapeAndItsModelsBecomeOneShapeText) {
  if (MissingMaterial()) GTEST_SKIP() << "assimp-testmodels is not installed";
  TScratch scratch;
  SaveText(scratch.Path("room.iv"), kRoom);
  SaveText(scratch.Path("manifest.json"), R"({ "lists": [
    { "kind": "scene", "id": 120, "name": "Opere", "shape": "room.iv",
      "models": [ { "file": ")" + Works()[3].File + R"(", "work": 404, "position": [1, 0, 1] } ] } ] })");
  const TPackedWorks packed = PackWorks(scratch);
  ASSERT_TRUE(packed.Scene);
  ASSERT_EQ(packed.List->GetCount(), 1);
  SoNode* works = packed.Scene.get();
  SbVec3f centre;
  EXPECT_TRUE(GetObjectCenter(works, 404, SbViewportRegion(640, 480), centre));
  SoSearchAction search;
  search.setType(SoCoordinate3::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.apply(works);
  EXPECT_EQ(search.getPaths().getLength(), 2);  // the room's and the model's
  search.reset();
}

// VRML97 keeps its pictures in appearance fields and names them by URL; a model with a picture on
// some faces and none on others still becomes one face set, the bare faces keeping their colour.
TEST(ModelPack, AVrml97ModelWithAPictureOnSomeFacesIsOneTexturedWork) {
  const std::string logo = kAssimp + "/glTF2/BoxTextured-glTF/CesiumLogoFlat.png";
  if (!std::filesystem::exists(logo)) GTEST_SKIP() << "assimp-testmodels is not installed";
  TScratch scratch;
  std::filesystem::copy_file(logo, scratch.Path("logo.png"));
  SaveText(scratch.Path("box.wrl"), R"(#VRML V2.0 utf8
Transform { translation 0 1 0 children [
  Shape {
    appearance Appearance { material Material { diffuseColor 0.8 0.2 0.2 } texture ImageTexture { url "logo.png" } }
    geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }
      texCoord TextureCoordinate { point [ 0 0, 1 0, 1 1, 0 1 ] } coordIndex [ 0, 1, 2, 3, -1 ] } }
  Shape { appearance Appearance { material Material { diffuseColor 0.1 0.3 0.9 } } geometry Box { size 0.5 0.5 0.5 } }
] }
)");
  SaveText(scratch.Path("manifest.json"), R"({ "lists": [ { "kind": "scene", "id": 120, "name": "Opere",
    "models": [ { "file": "box.wrl", "work": 7, "height": 1 } ] } ] })");
  const TPackedWorks packed = PackWorks(scratch);
  ASSERT_TRUE(packed.Scene);
  SoNode* works = packed.Scene.get();
  SoSearchAction search;
  search.setType(SoIndexedFaceSet::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.apply(works);
  ASSERT_EQ(search.getPaths().getLength(), 1);
  const auto* faces = static_cast<SoIndexedFaceSet*>(search.getPaths()[0]->getTail());
  EXPECT_STREQ(faces->getName().getString(), "KD_7");
  EXPECT_EQ(faces->coordIndex.getNum(), 14 * 4);  // the quad's two triangles and the box's twelve
  search.reset();
  search.setType(SoTexture2::getClassTypeId());
  search.setInterest(SoSearchAction::FIRST);
  search.apply(works);
  ASSERT_NE(search.getPath(), nullptr);
  SbVec2s size;
  int components = 0;
  const unsigned char* pixels = static_cast<SoTexture2*>(search.getPath()->getTail())->image.getValue(size, components);
  // The logo beside a white patch for the box, whose blue stays its own.
  EXPECT_GT(size[0], 211);
  EXPECT_EQ(size[1], 211);
  ASSERT_NE(pixels, nullptr);
  const unsigned char* corner = pixels + (std::size_t(size[1] - 1) * size[0] + size[0] - 1) * components;
  EXPECT_EQ(corner[0], 255);
  EXPECT_EQ(corner[1], 255);
  EXPECT_EQ(corner[2], 255);
  search.reset();
}

// Real exports: a 3DS file made on Windows names its pictures in capitals beside lower-case files,
// and an FBX embeds a picture no reader here takes. Both still pack: the first with its pictures,
// the second in its colours, saying why.
TEST(ModelPack, PicturesNamedInAnyCaseAreFoundAndUnreadableOnesLeftOut) {
  const std::string windows = kAssimp + "/3DS/test1.3ds", embedded = kAssimp + "/FBX/box_orphant_embedded_texture.fbx";
  if (!std::filesystem::exists(windows) || !std::filesystem::exists(embedded)) {
    GTEST_SKIP() << "assimp-testmodels is not installed";
  }
  TScratch scratch;
  SaveText(scratch.Path("manifest.json"), R"({ "lists": [ { "kind": "scene", "id": 120, "name": "Opere", "models": [
    { "file": ")" + windows + R"(", "work": 3, "height": 1 },
    { "file": ")" + embedded + R"(", "work": 4, "height": 1, "position": [3, 0, 0] } ] } ] })");
  const TRun run = RunTool({"pack", scratch.Path("manifest.json"), "-o", scratch.Path("kddata.bin"), "--force"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("cannot be read"), std::string::npos) << run.Err;
  EXPECT_EQ(run.Err.find("which is not there"), std::string::npos) << run.Err;
  const TRun check = RunTool({"check", scratch.Path("kddata.bin")});
  EXPECT_NE(check.Err.find("work 4: 12 faces, 0 texture bytes"), std::string::npos) << check.Err;
  EXPECT_EQ(check.Err.find("work 3: 108 faces, 0 texture bytes"), std::string::npos) << check.Err;
  EXPECT_NE(check.Err.find("work 3: 108 faces, "), std::string::npos) << check.Err;
}

TEST(ModelPack, RefusesModelsItCannotUseWithTheReadersReason) {
  TScratch scratch;
  SaveText(scratch.Path("broken.glb"), "glTF this is not");
  SaveText(scratch.Path("broken.iv"), "#Inventor V2.1 ascii\nSeparator { Cube { width } ");
  SaveText(scratch.Path("notes.txt"), "a model?");
  SaveText(scratch.Path("points.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\np 1 2 3\n");
  const struct {
    std::string Model;
    std::string Expected;
  } cases[] = {
      {R"("file": "broken.glb")", "broken.glb: "},
      {R"("file": "broken.iv")", "broken.iv: "},
      {R"("file": "notes.txt")", "not a model this tool reads"},
      {R"("file": "points.obj")", "points.obj: the model has no faces"},
      {R"("file": "missing.ply")", "missing.ply: no such file"},
      {R"("file": "points.obj", "height": 1, "scale": 2)", "not both"},
      {R"("file": "points.obj", "up": "+z", "front": "-z")", "must be different axes"},
      {R"("file": "points.obj", "up": "z+")", "must name an axis"},
      {R"("file": "points.obj", "position": [1, 2])", "three numbers"},
      {R"("file": "points.obj", "height": 0)", "more than 0"},
      {R"("file": "points.obj", "distance": -1)", "\"distance\" must be from 0 to 100 metres"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Model);
    SaveText(scratch.Path("manifest.json"),
             R"({ "lists": [ { "kind": "scene", "id": 120, "name": "Opere", "models": [ { )" + c.Model + " } ] } ] }");
    const TRun run = RunTool({"pack", scratch.Path("manifest.json"), "-o", scratch.Path("kddata.bin")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(c.Expected), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("kddata.bin")));
  }
  // The assimp reason itself reaches the curator, not only the file name.
  SaveText(scratch.Path("manifest.json"),
           R"({ "lists": [ { "kind": "scene", "id": 120, "name": "Opere", "models": [ { "file": "broken.glb" } ] } ] })");
  const TRun run = RunTool({"pack", scratch.Path("manifest.json"), "-o", scratch.Path("kddata.bin")});
  EXPECT_GT(run.Err.size(), run.Err.find("broken.glb: ") + 14) << run.Err;
}

// A slender model asked to be seen from further away keeps its centre; the distance only grows.
TEST(ModelPack, AFlightEndsAtLeastTheDistanceAskedInFrontOfTheModel) {
  const std::string pawn = Works()[5].File;
  if (!std::filesystem::exists(pawn)) GTEST_SKIP() << "inventor-data is not installed";
  TScratch scratch;
  std::vector<std::pair<SbVec3f, float>> seen;
  for (const char* distance : {"", R"(, "distance": 4.5)", R"(, "distance": 0.2)"}) {
    SCOPED_TRACE(distance);
    SaveText(scratch.Path("manifest.json"), R"({ "lists": [ { "kind": "scene", "id": 120, "name": "Opere",
      "models": [ { "file": ")" + pawn + R"(", "work": 7, "position": [2, 0.8, -1], "facing": 180, "height": 1.8)" +
                                                distance + " } ] } ] }");
    // A work without its rooms and opera list: written all the same, for the scene alone.
    const TPackedWorks packed = PackWorks(scratch);
    ASSERT_TRUE(packed.Scene);
    SbVec3f centre;
    float away = 0;
    EXPECT_TRUE(GetObjectCenter(packed.Scene.get(), 7, SbViewportRegion(640, 480), centre));
    EXPECT_TRUE(GetObjectViewDistance(packed.Scene.get(), 7, away));
    seen.emplace_back(centre, away);
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_LT(seen[0].second, 4.5f);
  EXPECT_NEAR(seen[1].second, 4.5f, 0.1f);
  EXPECT_GE(seen[1].second, 4.5f - 1e-4f);
  EXPECT_EQ(seen[2].second, seen[0].second);  // nearer than its own: nothing changes
  for (const auto& [centre, away] : seen) EXPECT_LT((centre - seen[0].first).length(), 1e-4f);
}

// A grid of n x n squares, two triangles each, every vertex shared.
TModelData Grid(int n) {
  TModelData model;
  model.Materials.emplace_back();
  TModelMesh mesh;
  for (int y = 0; y <= n; ++y) {
    for (int x = 0; x <= n; ++x) {
      const float h = 0.05f * std::sin(x * 0.3f) * std::cos(y * 0.2f);
      mesh.Positions.insert(mesh.Positions.end(), {float(x) / n, h, float(y) / n});
    }
  }
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const std::uint32_t a = std::uint32_t(y * (n + 1) + x), b = a + 1, c = a + std::uint32_t(n + 1), d = c + 1;
      mesh.Triangles.insert(mesh.Triangles.end(), {a, c, b, b, c, d});
    }
  }
  model.Meshes.push_back(std::move(mesh));
  return model;
}

TEST(ModelBudget, AModelAboveTheBudgetIsSimplifiedToItAndKeepsOnlyVerticesInUse) {
  TModelData big = Grid(320);  // 204800 faces
  ASSERT_GT(big.FaceCount(), kModelFaceBudget);
  const std::size_t after = SimplifyModel(big);
  EXPECT_EQ(after, big.FaceCount());
  EXPECT_LE(after, kModelFaceBudget);
  EXPECT_GT(after, kModelFaceBudget / 2);
  const TModelMesh& mesh = big.Meshes[0];
  std::vector<bool> used(mesh.VertexCount(), false);
  for (const std::uint32_t i : mesh.Triangles) {
    ASSERT_LT(i, mesh.VertexCount());
    used[i] = true;
  }
  EXPECT_EQ(std::count(used.begin(), used.end(), false), 0);

  TModelData small = Grid(20);
  const std::vector<std::uint32_t> before = small.Meshes[0].Triangles;
  EXPECT_EQ(SimplifyModel(small), 800u);
  EXPECT_EQ(small.Meshes[0].Triangles, before);
}

// The manifest's axes for a scan lying along Z: after placing, its height is the local Z extent and
// its front looks along local +Y, whatever axes the file used.
TEST(ModelPlacement, NamedAxesStandAScanUpright) {
  TModelData model;
  model.Materials.emplace_back();
  TModelMesh mesh;
  // 2 wide (x), 0.5 deep (front along -y), 3 tall (up along +z), standing on z = 10.
  for (const float x : {-1.0f, 1.0f}) {
    for (const float y : {0.0f, -0.5f}) {
      for (const float z : {10.0f, 13.0f}) mesh.Positions.insert(mesh.Positions.end(), {x, y, z});
    }
  }
  mesh.Normals = {0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0};
  mesh.Triangles = {0, 1, 2};
  model.Meshes.push_back(mesh);
  TManifestModel where;
  where.Up = "+z";
  where.Front = "-y";
  where.HasHeight = true;
  where.Height = 1.5f;
  TModelPose pose;
  std::string error;
  ASSERT_TRUE(PlaceModel(model, where, pose, error)) << error;
  EXPECT_FLOAT_EQ(pose.Scale, 0.5f);
  EXPECT_FLOAT_EQ(pose.Width, 1.0f);
  EXPECT_FLOAT_EQ(pose.Height, 1.5f);
  const std::vector<float>& p = model.Meshes[0].Positions;
  float lowZ = 1e9f, highZ = -1e9f;
  for (std::size_t i = 0; i < p.size(); i += 3) {
    lowZ = std::min(lowZ, p[i + 2]);
    highZ = std::max(highZ, p[i + 2]);
  }
  EXPECT_FLOAT_EQ(highZ - lowZ, 1.5f);
  EXPECT_FLOAT_EQ(highZ, 0.0f);  // the base at the origin, the top below it along local Z
  // The file's front normal (-y) is the work's local +Y.
  EXPECT_FLOAT_EQ(model.Meshes[0].Normals[1], 1.0f);
  SbVec3f up;
  pose.Rotation.multVec(SbVec3f(0, 0, -1), up);
  EXPECT_NEAR(up[1], 1.0f, 1e-6f);

  TModelData flat = model;
  for (std::size_t i = 2; i < flat.Meshes[0].Positions.size(); i += 3) flat.Meshes[0].Positions[i] = 0;
  flat.Meshes[0].Positions = model.Meshes[0].Positions;
  where.Up = "+x";
  where.Front = "+z";
  for (std::size_t i = 0; i < flat.Meshes[0].Positions.size(); i += 3) flat.Meshes[0].Positions[i] = 4;
  EXPECT_FALSE(PlaceModel(flat, where, pose, error));
  EXPECT_NE(error.find("flat"), std::string::npos);
}

}  // namespace
