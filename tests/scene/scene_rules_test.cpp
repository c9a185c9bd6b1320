// The scene rules as both the viewer and the tool apply them: reading shape text, filling textures
// by name, finding and measuring works, the "KD_" names.
#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "data/gxchunk.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "noderef.h"
#include "testutil.h"
#include "scene/worknames.h"
#include "scene/workqueries.h"

using namespace testutil;

namespace {

const char* const kWorks = R"(#Inventor V2.1 ascii
Separator {
  Transform { translation 2 1 0 rotation 1 0 0 1.5707963 }
  Texture2 { } DEF tela Texture2 { }
  Coordinate3 { point [ -1 0 -0.5, 1 0 -0.5, 1 0 0.5, -1 0 0.5 ] }
  DEF KD_301 IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] }
  Separator {
    Coordinate3 { point [ 0 0 0, 0 1 0, 0 1 1 ] }
    DEF KD_302 IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] }
  }
  DEF KD_303 IndexedFaceSet { vertexProperty VertexProperty { vertex [ 0 0 0, 1 0 0, 1 0 1 ] } coordIndex [ 0, 1, 2, -1 ] }
}
)";

SoNode* Read(const std::string& text, std::string* errors = nullptr) {
  return ReadShapeText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), errors);
}

std::unique_ptr<TGXChunk> ShapeChunk(const std::string& text) {
  return MakeChunk<TGXChunkVrmlShape>("shape", 1, 0, Compress(Text(text)));
}

std::unique_ptr<TGXChunkImageRawRgba> TextureChunk(const std::string& name, int width, int height, int components) {
  auto chunk = MakeChunk<TGXChunkImageRawRgba>(name, 2, 0,
                                               Compress(TextureLike(std::size_t(width * height * components))));
  chunk->Width = width;
  chunk->Height = height;
  chunk->Components = components;
  return chunk;
}

}  // namespace

TEST(WorkNames, PrefixInAnyCaseAndOnlyADecimalTail) {
  EXPECT_EQ(WorkName(301), "KD_301");
  EXPECT_TRUE(HasWorkPrefix("KD_1"));
  EXPECT_TRUE(HasWorkPrefix("kd_1"));
  EXPECT_TRUE(HasWorkPrefix("kD_"));
  EXPECT_FALSE(HasWorkPrefix("KD"));
  EXPECT_FALSE(HasWorkPrefix("KDx1"));
  EXPECT_FALSE(HasWorkPrefix(nullptr));

  std::int32_t id = 0;
  EXPECT_TRUE(ParseWorkName("kd_-7", id));
  EXPECT_EQ(id, -7);
  for (const char* bad : {"KD_", "KD_x3", "KD_3 ", "KD_ 3", "KD_99999999999", "Frame_3"}) {
    EXPECT_FALSE(ParseWorkName(bad, id)) << bad;
  }
  EXPECT_EQ(WorkIdFromTail("2147483647"), 2147483647);
  EXPECT_THROW(WorkIdFromTail("x3"), std::invalid_argument);
  try {
    WorkIdFromTail("x3");
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "'x3' is not a valid integer value");
  }
}

TEST(ShapeReader, CollectsCoinsReadErrorsWithTheirLine) {
  std::string errors;
  EXPECT_EQ(Read("#Inventor V2.1 ascii\nSeparator {\n  Cube { width 2 }\n  Cone { heigth 3 }\n}\n", &errors), nullptr);
  EXPECT_NE(errors.find("line 4"), std::string::npos) << errors;

  errors.clear();
  EXPECT_EQ(Read("", &errors), nullptr);
  EXPECT_FALSE(errors.empty());

  errors.clear();
  Ref good(Read(kWorks, &errors));
  EXPECT_NE(good.node, nullptr);
  EXPECT_EQ(errors, "");
}

TEST(WorkQueries, CentreFacingAndDistanceOfWorks) {
  Ref root(Read(kWorks));
  ASSERT_NE(root.node, nullptr);
  const SbViewportRegion viewport(640, 480);

  SbVec3f center;
  ASSERT_TRUE(GetObjectCenter(root.node, 301, viewport, center));
  // The centroid (0,0,0) moved by the transform.
  EXPECT_NEAR(center[0], 2.0f, 1e-5);
  EXPECT_NEAR(center[1], 1.0f, 1e-5);
  SbVec3f normal;
  ASSERT_TRUE(GetObjectNormal(root.node, 301, viewport, normal));
  // Local +Y turned a quarter about X is world +Z.
  EXPECT_NEAR(normal[2], 1.0f, 1e-5);
  float distance = 0;
  ASSERT_TRUE(GetObjectViewDistance(root.node, 301, distance));
  EXPECT_NEAR(distance, 2.35f * std::sqrt(2.0f * 1.0f), 1e-4);

  // A work in the X-Y plane has no X by Z area: the default distance.
  ASSERT_TRUE(GetObjectViewDistance(root.node, 302, distance));
  EXPECT_EQ(distance, kDefaultViewDistance);

  // Vertices from a VertexProperty are no SoCoordinate3: the centre takes the nearest one before
  // it, 301's, which is what the program does too.
  ASSERT_TRUE(GetObjectCenter(root.node, 303, viewport, center));
  EXPECT_FALSE(GetObjectCenter(root.node, 304, viewport, center));
  EXPECT_FALSE(GetObjectCenter(root.node, -1, viewport, center));
  EXPECT_EQ(FindWork(root.node, 304), nullptr);
}

TEST(SceneBuild, TexturesByNameLastShapeWinsBadChunksSkipped) {
  TGXChunkList list;
  list.Type = gx::kListScene;
  list.Append(ShapeChunk("#Inventor V2.1 ascii\nCube {}\n"));
  list.Append(ShapeChunk(kWorks));
  list.Append(TextureChunk("tela", 2, 2, 3));
  list.Append(TextureChunk("nessuno", 2, 2, 3));
  Ref root(BuildSceneFromList(list));
  ASSERT_NE(root.node, nullptr);
  EXPECT_NE(SoNode::getByName("tela"), nullptr);
  auto* texture = static_cast<SoTexture2*>(SoNode::getByName("tela"));
  ASSERT_TRUE(texture->isOfType(SoTexture2::getClassTypeId()));
  SbVec2s size;
  int components = 0;
  texture->image.getValue(size, components);
  EXPECT_EQ(size, SbVec2s(2, 2));
  EXPECT_EQ(components, 3);

  EXPECT_EQ(SetTexture(root.node, static_cast<const TGXChunkImageRawRgba&>(*list.GetChunk(3))), 0);
  EXPECT_EQ(SetTexture(root.node, *TextureChunk("tela", 2, 2, 5)), -1);
  auto shortChunk = TextureChunk("tela", 2, 2, 3);
  shortChunk->Width = 4;
  EXPECT_EQ(SetTexture(root.node, *shortChunk), -1);

  // Left empty: only the unnamed texture node.
  const std::vector<SoTexture2*> empty = FindEmptyTextures(root.node);
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(empty[0]->getName(), SbName(""));
}

TEST(ShapeReader, CountsTheTopLevelNodesCoinLeavesUnread) {
  std::string errors;
  int ignored = -1;
  Ref one(ReadShapeText(reinterpret_cast<const std::uint8_t*>(kWorks), std::strlen(kWorks), &errors, &ignored));
  EXPECT_EQ(ignored, 0);
  const std::string three = std::string(kWorks) + "Cube {}\nDEF KD_304 IndexedFaceSet {}\n";
  Ref first(ReadShapeText(reinterpret_cast<const std::uint8_t*>(three.data()), three.size(), &errors, &ignored));
  ASSERT_NE(first.node, nullptr);
  EXPECT_EQ(ignored, 2);
  EXPECT_EQ(errors, "");
  SoPath* missing = FindWork(first.node, 304);  // read to be counted, then dropped
  EXPECT_EQ(missing, nullptr);
}
