// Large models seen from afar: pack writes them in levels of detail over one shared vertex list,
// Coin draws the coarser levels as the camera moves away, and the flights' queries, the picks and
// the checker find the work and measure it as they did before. The faces are written so that Coin
// can draw them from vertex arrays, and a model of several materials keeps its colours.
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoPrimitiveVertex.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "clitestsupport.h"
#include "packedworks.h"
#include "data/gxserializer.h"
#include "import/modellevels.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "scene/workqueries.h"
#include "check/workcost.h"

namespace {

// A bumpy ball as an OBJ: rings x segments quads, two triangles each, standing on y = 0. With
// two materials the upper half is red and the lower blue.
std::string BallObj(int rings, int segments, bool twoMaterials) {
  std::string text = twoMaterials ? "mtllib ball.mtl\n" : "";
  for (int r = 0; r <= rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const double theta = M_PI * r / rings, phi = 2 * M_PI * s / segments;
      const double radius = 1 + 0.05 * std::sin(7 * theta) * std::sin(5 * phi);
      text += "v " + std::to_string(radius * std::sin(theta) * std::cos(phi)) + " " +
              std::to_string(1 + radius * std::cos(theta)) + " " + std::to_string(radius * std::sin(theta) * std::sin(phi)) +
              "\n";
    }
  }
  auto vertex = [&](int r, int s) { return std::to_string(r * segments + (s % segments) + 1); };
  for (int half = 0; half < 2; ++half) {
    if (twoMaterials) text += half == 0 ? "usemtl red\n" : "usemtl blue\n";
    for (int r = half * rings / 2; r < (half + 1) * rings / 2; ++r) {
      for (int s = 0; s < segments; ++s) {
        text += "f " + vertex(r, s) + " " + vertex(r, s + 1) + " " + vertex(r + 1, s + 1) + "\n";
        text += "f " + vertex(r, s) + " " + vertex(r + 1, s + 1) + " " + vertex(r + 1, s) + "\n";
      }
    }
  }
  return text;
}

constexpr int kRings = 120, kSegments = 160;  // 38400 faces, beyond the size that gets levels
constexpr int kOneColour = 601, kTwoColours = 602, kSmall = 603;

std::size_t FaceCount(const SoIndexedFaceSet* faces) {
  std::size_t count = 0;
  for (int i = 0; i < faces->coordIndex.getNum(); ++i) count += faces->coordIndex[i] < 0;
  return count;
}

// An index list left as it is by default: the coordinates' own indices are used.
bool Unset(const SoMFInt32& indices) { return indices.getNum() == 0 || (indices.getNum() == 1 && indices[0] == -1); }

class ModelLevelsTest : public PackedWorksTest {
 protected:
  static void SetUpTestSuite() {
    auto* scratch = new TScratch;
    SaveText(scratch->Path("one.obj"), BallObj(kRings, kSegments, false));
    SaveText(scratch->Path("ball.obj"), BallObj(kRings, kSegments, true));
    SaveText(scratch->Path("small.obj"), BallObj(12, 16, true));
    SaveText(scratch->Path("ball.mtl"), "newmtl red\nKd 0.9 0.1 0.1\nnewmtl blue\nKd 0.1 0.2 0.9\n");
    SaveText(scratch->Path("room.iv"), kRoomScene);
    SaveText(scratch->Path("manifest.json"), R"({ "lists": [
      { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
      { "kind": "scene", "id": 120, "name": "Opere", "models": [
        { "file": "one.obj", "work": 601, "position": [4, 0, 0], "facing": 270, "height": 0.6 },
        { "file": "ball.obj", "work": 602, "position": [-4, 0, 0], "facing": 90, "height": 0.6 },
        { "file": "small.obj", "work": 603, "position": [0, 0, 4], "facing": 180, "height": 0.6 } ] },
      { "kind": "opera", "id": 601, "name": "Uno" }, { "kind": "opera", "id": 602, "name": "Due" },
      { "kind": "opera", "id": 603, "name": "Tre" } ] })");
    PackSuite(scratch);
  }
  static void TearDownTestSuite() { ReleaseSuite(); }

  // The paths to every face set named as the work, in the order a search meets them.
  std::vector<SoPath*> Named(int work) {
    SoSearchAction search;
    search.setName(SbName(("KD_" + std::to_string(work)).c_str()));
    search.setFind(SoSearchAction::NAME);
    search.setInterest(SoSearchAction::ALL);
    search.setSearchingAll(TRUE);
    search.apply(works);
    std::vector<SoPath*> paths;
    for (int i = 0; i < search.getPaths().getLength(); ++i) {
      paths.push_back(search.getPaths()[i]->copy());
      paths.back()->ref();
    }
    return paths;
  }
  static void Release(std::vector<SoPath*>& paths) {
    for (SoPath* path : paths) path->unref();
    paths.clear();
  }

  // The face sets of the work Coin takes with the camera at eye looking at target: what it draws.
  std::set<const SoNode*> DrawnFrom(const SbVec3f& eye, const SbVec3f& target) {
    auto* root = new SoSeparator;
    root->ref();
    auto* camera = new SoPerspectiveCamera;
    camera->position = eye;
    camera->pointAt(target);
    root->addChild(camera);
    root->addChild(works);
    std::set<const SoNode*> drawn;
    SoCallbackAction action(viewport);
    action.addPreCallback(
        SoIndexedFaceSet::getClassTypeId(),
        [](void* data, SoCallbackAction*, const SoNode* node) {
          static_cast<std::set<const SoNode*>*>(data)->insert(node);
          return SoCallbackAction::CONTINUE;
        },
        &drawn);
    action.apply(root);
    root->unref();
    return drawn;
  }

  const SbViewportRegion viewport{1280, 1024};
};

TEST_F(ModelLevelsTest, EveryLevelHasTheWorksBoxAndFacingAndAtMostItsShareOfTheFaces) {
  for (const int work : {kOneColour, kTwoColours}) {
    SCOPED_TRACE(work);
    std::vector<SoPath*> levels = Named(work);
    ASSERT_EQ(levels.size(), 3u);
    // The queries flights use find the full level, and measure the same on every level.
    SoPath* found = FindWork(works, work);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->getTail(), levels[0]->getTail());
    found->unref();
    const std::size_t full = FaceCount(static_cast<SoIndexedFaceSet*>(levels[0]->getTail()));
    EXPECT_EQ(full, std::size_t(kRings * kSegments * 2));
    SoGetBoundingBoxAction measure(viewport);
    measure.apply(levels[0]);
    const SbBox3f fullBox = measure.getBoundingBox();
    const float size = (fullBox.getMax() - fullBox.getMin()).length();
    SbVec3f fullCentre;
    ASSERT_TRUE(GetCoordinateCentroid(levels[0], fullCentre));
    const SbMatrix fullMatrix = GetPathMatrix(levels[0], viewport);
    std::size_t share = full;
    for (std::size_t l = 1; l < levels.size(); ++l) {
      SCOPED_TRACE(l);
      share /= kLevelDivisor;
      const std::size_t faces = FaceCount(static_cast<SoIndexedFaceSet*>(levels[l]->getTail()));
      EXPECT_LE(faces, share);
      EXPECT_GT(faces, share / 4);  // still the model, not a few stray triangles
      measure.apply(levels[l]);
      const SbBox3f box = measure.getBoundingBox();
      EXPECT_LT((box.getMin() - fullBox.getMin()).length(), 0.03f * size);
      EXPECT_LT((box.getMax() - fullBox.getMax()).length(), 0.03f * size);
      SbVec3f centre;
      ASSERT_TRUE(GetCoordinateCentroid(levels[l], centre));
      EXPECT_EQ(centre, fullCentre);
      EXPECT_TRUE(GetPathMatrix(levels[l], viewport) == fullMatrix);
    }
    Release(levels);
  }
  // A small model is one face set, drawn whole at every distance.
  std::vector<SoPath*> small = Named(kSmall);
  EXPECT_EQ(small.size(), 1u);
  Release(small);
}

TEST_F(ModelLevelsTest, TheFullLevelShowsWhereAFlightOrAClickEndsAndTheCoarsestFromAfar) {
  for (const int work : {kOneColour, kTwoColours}) {
    SCOPED_TRACE(work);
    std::vector<SoPath*> levels = Named(work);
    ASSERT_EQ(levels.size(), 3u);
    SbVec3f centre, normal;
    float distance = 0;
    ASSERT_TRUE(GetObjectCenter(works, work, viewport, centre));
    ASSERT_TRUE(GetObjectNormal(works, work, viewport, normal));
    ASSERT_TRUE(GetObjectViewDistance(works, work, distance));
    // Where a flight ends, with the sideways offset at either of its extremes.
    for (const float aside : {-1.5f, 0.5f}) {
      SbVec3f eye = centre + distance * normal + SbVec3f(aside, 0, 0);
      eye[1] = 1.75f;
      const std::set<const SoNode*> drawn = DrawnFrom(eye, centre);
      EXPECT_EQ(drawn.count(levels[0]->getTail()), 1u);
      EXPECT_EQ(drawn.count(levels[2]->getTail()), 0u);
    }
    // Where a click on it ends: the flight goes to the hit point, out along the surface's normal
    // there, which may point any way. Rays at the work's middle from eight sides, where they enter
    // and leave it, the sideways offset at its extremes.
    const auto onTheWork = [&](const SoPickedPoint* point) {
      for (const SoPath* level : levels)
        if (point->getPath()->getTail() == level->getTail()) return true;
      return false;
    };
    for (int side = 0; side < 8; ++side) {
      SCOPED_TRACE(side);
      const float angle = float(M_PI) * float(side) / 4;
      const SbVec3f towards(std::cos(angle), 0, std::sin(angle));
      SoRayPickAction pick(viewport);
      pick.setRay(centre - 6.0f * towards, towards);
      pick.setPickAll(TRUE);
      pick.apply(works);
      int hits = 0;
      for (int i = 0; i < pick.getPickedPointList().getLength() && hits < 2; ++i) {
        const SoPickedPoint* point = pick.getPickedPointList()[i];
        if (!onTheWork(point)) continue;  // another work in the ray's way
        ++hits;
        const float pointDistance = GetViewDistance(point->getPath());
        for (const float aside : {-1.5f, 0.5f}) {
          SbVec3f eye = point->getPoint() + pointDistance * point->getNormal() + SbVec3f(aside, 0, 0);
          eye[1] = 1.75f;
          EXPECT_EQ(DrawnFrom(eye, point->getPoint()).count(levels[0]->getTail()), 1u) << hits;
        }
      }
      EXPECT_EQ(hits, 2);
    }
    // Across a large room.
    SbVec3f far = centre + 15.0f * normal;
    far[1] = 1.75f;
    const std::set<const SoNode*> drawn = DrawnFrom(far, centre);
    EXPECT_EQ(drawn.count(levels[0]->getTail()), 0u);
    EXPECT_EQ(drawn.count(levels[2]->getTail()), 1u);
    Release(levels);
  }
}

// Coin draws a face set from vertex arrays only when nothing is bound per face and every index list
// is the coordinates' own; normals the file does not have would be made, face by face, at each draw.
TEST_F(ModelLevelsTest, FacesAreWrittenForVertexArraysWithNormalsOfTheirOwn) {
  SoSearchAction search;
  search.setType(SoIndexedFaceSet::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(works);
  ASSERT_GT(search.getPaths().getLength(), 0);
  for (int i = 0; i < search.getPaths().getLength(); ++i) {
    SoPath* path = search.getPaths()[i];
    const auto* faces = static_cast<SoIndexedFaceSet*>(path->getTail());
    EXPECT_TRUE(Unset(faces->materialIndex));
    EXPECT_TRUE(Unset(faces->normalIndex));
    EXPECT_TRUE(Unset(faces->textureCoordIndex));
    SoSearchAction binding;
    binding.setType(SoMaterialBinding::getClassTypeId());
    binding.setInterest(SoSearchAction::LAST);
    binding.apply(path);
    if (binding.getPath() != nullptr) {
      const auto value = static_cast<SoMaterialBinding*>(binding.getPath()->getTail())->value.getValue();
      EXPECT_TRUE(value == SoMaterialBinding::OVERALL || value == SoMaterialBinding::PER_VERTEX_INDEXED);
    }
    SoSearchAction normals;
    normals.setType(SoNormal::getClassTypeId());
    normals.setInterest(SoSearchAction::LAST);
    normals.apply(path);
    ASSERT_NE(normals.getPath(), nullptr);
    int highest = 0;
    for (int k = 0; k < faces->coordIndex.getNum(); ++k) highest = std::max(highest, int(faces->coordIndex[k]));
    EXPECT_GT(static_cast<SoNormal*>(normals.getPath()->getTail())->vector.getNum(), highest);
  }
}

TEST_F(ModelLevelsTest, AModelOfTwoMaterialsKeepsItsColoursOnEveryLevel) {
  for (const int work : {kTwoColours, kSmall, kOneColour}) {
    SCOPED_TRACE(work);
    std::vector<SoPath*> levels = Named(work);
    for (SoPath* level : levels) {
      // Each triangle as Coin produces it: its height (the points are in the work's frame, where
      // up is local -Z) and the colour of its three corners.
      struct TTriangle {
        float Height;
        int Red, Blue, Grey;
      };
      std::vector<TTriangle> triangles;
      SoCallbackAction action(viewport);
      action.addTriangleCallback(
          SoIndexedFaceSet::getClassTypeId(),
          [](void* data, SoCallbackAction* action, const SoPrimitiveVertex* a, const SoPrimitiveVertex* b,
             const SoPrimitiveVertex* c) {
            TTriangle t{-(a->getPoint()[2] + b->getPoint()[2] + c->getPoint()[2]) / 3, 0, 0, 0};
            for (const SoPrimitiveVertex* v : {a, b, c}) {
              SbColor ambient, diffuse, specular, emission;
              float shininess = 0, transparency = 0;
              action->getMaterial(ambient, diffuse, specular, emission, shininess, transparency, v->getMaterialIndex());
              t.Red += diffuse[0] > 0.8f && diffuse[2] < 0.2f;
              t.Blue += diffuse[2] > 0.8f && diffuse[0] < 0.2f;
              t.Grey += std::fabs(diffuse[0] - diffuse[2]) < 0.01f;
            }
            static_cast<std::vector<TTriangle>*>(data)->push_back(t);
          },
          &triangles);
      action.apply(level);
      ASSERT_FALSE(triangles.empty());
      float low = triangles[0].Height, high = low;
      for (const TTriangle& t : triangles) {
        low = std::min(low, t.Height);
        high = std::max(high, t.Height);
      }
      const float middle = (low + high) / 2, slack = (high - low) * 0.05f;
      struct {
        int Red = 0, Blue = 0, Grey = 0, Wrong = 0;
      } count;
      for (const TTriangle& t : triangles) {
        if (t.Red == 3) {
          ++count.Red;
          count.Wrong += t.Height < middle - slack;  // red is the upper half
        } else if (t.Blue == 3) {
          ++count.Blue;
          count.Wrong += t.Height > middle + slack;
        } else if (t.Grey == 3) {
          ++count.Grey;
        } else {
          ++count.Wrong;  // corners of one face in different colours
        }
      }
      EXPECT_EQ(count.Wrong, 0);
      if (work == kOneColour) {
        EXPECT_GT(count.Grey, 0);
        EXPECT_EQ(count.Red + count.Blue, 0);
      } else {
        EXPECT_GT(count.Red, 0);
        EXPECT_GT(count.Blue, 0);
        EXPECT_EQ(count.Grey, 0);
      }
    }
    Release(levels);
  }
}

TEST_F(ModelLevelsTest, TheCheckerPassesTheLevelsAndCountsTheFacesOfTheFullOne) {
  const TRun check = RunTool({"check", output});
  EXPECT_EQ(check.Status, 0) << check.Out << check.Err;
  EXPECT_EQ(check.Err.find("more than once"), std::string::npos) << check.Err;
  const std::string faces = "work 601: " + std::to_string(kRings * kSegments * 2) + " faces";
  EXPECT_NE(check.Err.find(faces), std::string::npos) << check.Err;
  // Pack says what a work far away costs.
  EXPECT_NE(pack->Err.find("one.obj: seen from afar as "), std::string::npos) << pack->Err;
}

// The full level's vertices are renumbered in the order its triangles use them: every corner keeps
// its point, normal and picture place, and a vertex no triangle uses stays in the model.
TEST(ModelLevelOrder, RenumberedVerticesKeepWhatEachCornerHad) {
  TModelMesh mesh;
  const int grid = 40;  // a strip of quads, listed column by column so the order has to change
  for (int i = 0; i <= grid; ++i) {
    for (int j = 0; j < 2; ++j) {
      mesh.Positions.insert(mesh.Positions.end(), {float(i), float(j), float(i * j)});
      mesh.Normals.insert(mesh.Normals.end(), {0, float(j), 1});
      mesh.TexCoords.insert(mesh.TexCoords.end(), {float(i) / grid, float(j)});
    }
  }
  mesh.Positions.insert(mesh.Positions.end(), {-5, -5, -5});  // used by no triangle
  mesh.Normals.insert(mesh.Normals.end(), {1, 0, 0});
  mesh.TexCoords.insert(mesh.TexCoords.end(), {0.5f, 0.5f});
  for (int i = grid - 1; i >= 0; --i) {
    const std::uint32_t a = std::uint32_t(i * 2), b = a + 1, c = a + 2, d = a + 3;
    mesh.Triangles.insert(mesh.Triangles.end(), {a, c, d, a, d, b});
  }
  TModelData model;
  model.Meshes.push_back(mesh);
  model.Materials.emplace_back();
  MakeModelLevels(model);
  const TModelMesh& after = model.Meshes[0];
  ASSERT_EQ(after.Positions.size(), mesh.Positions.size());
  ASSERT_EQ(after.Normals.size(), mesh.Normals.size());
  ASSERT_EQ(after.TexCoords.size(), mesh.TexCoords.size());
  ASSERT_EQ(after.Triangles.size(), mesh.Triangles.size());
  // What each corner carries, as a set of triangles (their order may change).
  auto corners = [](const TModelMesh& m) {
    std::multiset<std::vector<float>> triangles;
    for (std::size_t t = 0; t + 2 < m.Triangles.size(); t += 3) {
      std::vector<std::vector<float>> three;
      for (int k = 0; k < 3; ++k) {
        const std::size_t v = m.Triangles[t + k];
        three.push_back({m.Positions[v * 3], m.Positions[v * 3 + 1], m.Positions[v * 3 + 2], m.Normals[v * 3],
                         m.Normals[v * 3 + 1], m.Normals[v * 3 + 2], m.TexCoords[v * 2], m.TexCoords[v * 2 + 1]});
      }
      std::rotate(three.begin(), std::min_element(three.begin(), three.end()), three.end());  // winding kept
      std::vector<float> joined;
      for (const auto& c : three) joined.insert(joined.end(), c.begin(), c.end());
      triangles.insert(joined);
    }
    return triangles;
  };
  EXPECT_EQ(corners(after), corners(mesh));
  std::multiset<std::vector<float>> pointsBefore, pointsAfter;
  for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
    pointsBefore.insert({mesh.Positions.begin() + long(v * 3), mesh.Positions.begin() + long(v * 3 + 3)});
    pointsAfter.insert({after.Positions.begin() + long(v * 3), after.Positions.begin() + long(v * 3 + 3)});
  }
  EXPECT_EQ(pointsAfter, pointsBefore);
  // Walked in order, the triangles meet the vertices in order: none is first met behind another.
  std::uint32_t next = 0;
  for (const std::uint32_t v : after.Triangles) {
    EXPECT_LE(v, next);
    if (v == next) ++next;
  }
}

}  // namespace
