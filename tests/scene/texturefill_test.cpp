// Pictures into texture nodes: many at once on several threads, each node with its own pixels, the
// same outcome as one name search per chunk, and bad pictures leaving their nodes alone.
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "data/gxchunk.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "data/tdatabanker.h"
#include "noderef.h"
#include "testutil.h"
#include "scene/texturefill.h"

using namespace testutil;

namespace {

std::unique_ptr<TGXChunkImageRawRgba> Picture(const std::string& name, int side, int components, std::uint32_t seed,
                                              Bytes* plain = nullptr) {
  Bytes pixels = TextureLike(std::size_t(side * side * components), seed);
  if (plain != nullptr) *plain = pixels;
  auto chunk = MakeChunk<TGXChunkImageRawRgba>(name, 2, 0, Compress(pixels));
  chunk->Width = chunk->Height = side;
  chunk->Components = components;
  return chunk;
}

Bytes Pixels(const SoTexture2* node, const std::uint8_t** storage = nullptr) {
  SbVec2s size;
  int components = 0;
  const unsigned char* bytes = node->image.getValue(size, components);
  if (storage != nullptr) *storage = bytes;
  if (bytes == nullptr) return {};
  return Bytes(bytes, bytes + std::size_t(size[0]) * std::size_t(size[1]) * std::size_t(components));
}

SoTexture2* Texture(const char* name) {
  SoNode* node = SoNode::getByName(name);
  return node != nullptr && node->isOfType(SoTexture2::getClassTypeId()) ? static_cast<SoTexture2*>(node) : nullptr;
}

// Texture paths a search by the name finds: what one search per chunk would fill.
int PathsByName(SoNode* root, const char* name) {
  SoSearchAction search;
  search.setSearchingAll(TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setFind(SoSearchAction::NAME);
  search.setName(name);
  search.apply(root);
  int count = 0;
  for (int i = 0; i < search.getPaths().getLength(); ++i) {
    if (search.getPaths()[i]->getTail()->isOfType(SoTexture2::getClassTypeId())) ++count;
  }
  search.reset();
  return count;
}

// Works W0..W(n-1), each under its own texture P_i; a texture reached twice (USE), one behind an
// inactive switch, two nodes sharing one name and a material that carries a picture's name.
std::string Gallery(int works) {
  std::ostringstream text;
  text << "#Inventor V2.1 ascii\nSeparator {\n";
  for (int i = 0; i < works; ++i) text << " Separator { DEF P_" << i << " Texture2 { } Cube { } }\n";
  text << " Separator { DEF shared Texture2 { } Cube { } }\n Separator { USE shared Cube { } }\n"
       << " Switch { whichChild -1 DEF hidden Texture2 { } }\n"
       << " Separator { DEF twin Texture2 { } Cube { } }\n Separator { DEF twin Texture2 { } Cube { } }\n"
       << " DEF paint Material { }\n"
       << " DEF framed Texture2 { image 1 1 3 0xff0000 }\n"
       << "}\n";
  return text.str();
}

// An empty scene list as the viewer loads it (Id 120), holding the gallery's shape.
TGXChunkList& WorksList(TGXChunkList& list, int works) {
  list.Name = "Opere";
  list.Id = list.UserId = 120;
  list.Type = gx::kListScene;
  list.Append(MakeChunk<TGXChunkVrmlShape>("shape", 1, 0, Compress(Text(Gallery(works)))));
  return list;
}

}  // namespace

TEST(TextureFill, ManyPicturesOnSeveralThreadsEachInItsOwnNode) {
  constexpr int kWorks = 40;
  TGXChunkList list;
  list.Type = gx::kListScene;
  const std::string text = Gallery(kWorks);
  list.Append(MakeChunk<TGXChunkVrmlShape>("shape", 1, 0, Compress(Text(text))));
  std::vector<Bytes> expected(kWorks);
  for (int i = 0; i < kWorks; ++i) list.Append(Picture("P_" + std::to_string(i), 16 + i, 1 + i % 4, i + 1, &expected[i]));
  Bytes shared, hidden, twin, later;
  list.Append(Picture("shared", 8, 3, 101, &shared));
  list.Append(Picture("hidden", 8, 3, 102, &hidden));
  list.Append(Picture("twin", 8, 3, 103));
  list.Append(Picture("paint", 8, 3, 104));
  list.Append(Picture("twin", 9, 4, 105, &later));  // the later picture of a name wins

  TTextureFillOptions options;
  options.threads = 3;
  options.releasePacked = true;
  Ref root(BuildSceneFromList(list, options));
  ASSERT_NE(root.node, nullptr);

  for (int i = 0; i < kWorks; ++i) {
    SCOPED_TRACE(i);
    const SoTexture2* node = Texture(("P_" + std::to_string(i)).c_str());
    ASSERT_NE(node, nullptr);
    SbVec2s size;
    int components = 0;
    node->image.getValue(size, components);
    EXPECT_EQ(size, SbVec2s(short(16 + i), short(16 + i)));
    EXPECT_EQ(components, 1 + i % 4);
    EXPECT_EQ(Pixels(node), expected[i]);
  }
  EXPECT_EQ(Pixels(Texture("shared")), shared);
  EXPECT_EQ(Pixels(Texture("hidden")), hidden);

  // Both twins show the later picture, each from pixels of its own.
  SoSearchAction search;
  search.setSearchingAll(TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setFind(SoSearchAction::NAME);
  search.setName("twin");
  search.apply(root.node);
  ASSERT_EQ(search.getPaths().getLength(), 2);
  const std::uint8_t* first = nullptr;
  const std::uint8_t* second = nullptr;
  EXPECT_EQ(Pixels(static_cast<SoTexture2*>(search.getPaths()[0]->getTail()), &first), later);
  EXPECT_EQ(Pixels(static_cast<SoTexture2*>(search.getPaths()[1]->getTail()), &second), later);
  EXPECT_NE(first, second);
  search.reset();

  // Every packed chunk was dropped once used, the shape's too.
  for (std::int32_t i = 0; i < list.GetCount(); ++i) EXPECT_FALSE(list.GetChunk(i)->HasData()) << i;
}

TEST(TextureFill, CountsAsASearchByNameAndLeavesNodesAloneForBadPictures) {
  const std::string text = Gallery(3);
  Ref root(ReadShapeText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  ASSERT_NE(root.node, nullptr);
  for (const char* name : {"P_0", "shared", "hidden", "twin", "paint", "nobody"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(SetTexture(root.node, *Picture(name, 4, 3, 7)), PathsByName(root.node, name));
  }
  EXPECT_EQ(SetTexture(root.node, *Picture("shared", 4, 3, 7)), 2);

  // A stream cut short, one with a broken check value, one that is not zlib at all: refused, and
  // a node that had nothing keeps nothing (not even a changed field).
  SoTexture2* blank = Texture("P_1");
  ASSERT_TRUE(blank->image.isDefault());
  auto cut = Picture("P_1", 32, 3, 9);
  cut->Data.resize(cut->Data.size() / 2);
  cut->DataLength = std::int32_t(cut->Data.size());
  auto badCheck = Picture("P_1", 32, 3, 9);
  badCheck->Data.back() ^= 0x55;
  auto notZlib = Picture("P_1", 32, 3, 9);
  notZlib->Data[0] = 0;
  // A few packed bytes that claim the largest picture there is.
  auto claim = Picture("P_1", 8, 4, 9);
  claim->Width = claim->Height = 32767;
  for (TGXChunkImageRawRgba* bad : {cut.get(), badCheck.get(), notZlib.get(), claim.get()}) {
    EXPECT_EQ(SetTexture(root.node, *bad), -1);
    EXPECT_TRUE(blank->image.isDefault());
    EXPECT_TRUE(Pixels(blank).empty());
  }

  // A node with a picture of its own keeps it when a bad one comes; a stream longer than the
  // size announced shows its first bytes.
  SoTexture2* framed = Texture("framed");
  const Bytes red = Pixels(framed);
  ASSERT_EQ(red, (Bytes{0xff, 0, 0}));
  EXPECT_EQ(SetTexture(root.node, *badCheck), -1);
  cut->Name = "framed";
  EXPECT_EQ(SetTexture(root.node, *cut), -1);
  EXPECT_EQ(Pixels(framed), red);
  Bytes plain;
  auto longer = Picture("P_2", 8, 3, 11, &plain);
  longer->Width = longer->Height = 4;
  EXPECT_EQ(SetTexture(root.node, *longer), 1);
  EXPECT_EQ(Pixels(Texture("P_2")), Bytes(plain.begin(), plain.begin() + 4 * 4 * 3));

  // Through the whole build the same pictures fail the same way.
  TGXChunkList list;
  list.Type = gx::kListScene;
  list.Append(MakeChunk<TGXChunkVrmlShape>("shape", 1, 0, Compress(Text(Gallery(2)))));
  list.Append(Picture("P_0", 8, 3, 1));
  list.Append(std::move(badCheck));  // P_1
  list.Append(std::move(cut));       // framed
  Ref built(BuildSceneFromList(list));
  ASSERT_NE(built.node, nullptr);
  EXPECT_FALSE(Pixels(Texture("P_0")).empty());
  EXPECT_TRUE(Texture("P_1")->image.isDefault());
  EXPECT_EQ(Pixels(Texture("framed")), red);
  EXPECT_TRUE(list.GetChunk(1)->HasData());  // a list only read keeps its chunks
}

TEST(TextureFill, TheBankersSceneFromAFile) {
  TempDir folder;
  TGXChunkList list;
  WorksList(list, 6);
  std::vector<Bytes> expected(6);
  for (int i = 0; i < 6; ++i) list.Append(Picture("P_" + std::to_string(i), 64, 3, 50 + i, &expected[i]));
  WriteDataFile(folder.File("kddata.bin"), {&list});

  TDataBanker banker(folder.File("kddata.bin"));
  Ref root(banker.BuildScene(120));
  ASSERT_NE(root.node, nullptr);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Pixels(Texture(("P_" + std::to_string(i)).c_str())), expected[i]) << i;
}

// The banker leaves the pictures in the file and its workers read them as they inflate: whatever
// the file holds, damaged or whole, the nodes end as they would from the list read whole.
TEST(TextureFill, PicturesReadFromTheFileAsTheyInflateEndAsFromTheListInMemory) {
  TempDir folder;
  TGXChunkList list;
  WorksList(list, 5);
  for (int i = 0; i < 5; ++i) list.Append(Picture("P_" + std::to_string(i), 96, i % 2 ? 4 : 3, 70 + i));
  list.Append(Picture("nowhere", 32, 3, 9));  // no node shows it
  list.Append(Picture("twin", 16, 1, 10));
  const std::string path = folder.File("kddata.bin");
  WriteDataFile(path, {&list});
  const Bytes whole = ReadFile(path);

  const char* names[] = {"P_0", "P_1", "P_2", "P_3", "P_4", "twin"};
  // Cuts inside the shape, inside each picture's packed bytes, and none.
  for (std::size_t keep : {whole.size(), whole.size() - 200, whole.size() - 5000, whole.size() - 20000,
                           whole.size() - 45000, std::size_t(65536 + 200)}) {
    WriteFile(path, Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(keep)));
    TDataBanker banker(path);
    std::vector<Bytes> fromMemory;
    bool builtInMemory = false;
    {
      const std::unique_ptr<TGXChunkList> read = banker.GetChunkList(120);
      Ref root(read ? BuildSceneFromList(*read) : nullptr);
      builtInMemory = root.node != nullptr;
      for (const char* name : names) fromMemory.push_back(root.node ? Pixels(Texture(name)) : Bytes{});
    }
    std::vector<std::string> announced;
    TTextureFillOptions options;
    options.filled = [&](SoTexture2* texture) {
      ASSERT_TRUE(texture->isOfType(SoTexture2::getClassTypeId()));
      announced.push_back(texture->getName().getString());
    };
    Ref root(banker.BuildScene(120, options));
    ASSERT_EQ(root.node != nullptr, builtInMemory) << keep;
    std::vector<std::string> filled;
    for (std::size_t i = 0; i < std::size(names) && root.node; ++i) {
      EXPECT_EQ(Pixels(Texture(names[i])), fromMemory[i]) << keep << " " << names[i];
      if (!fromMemory[i].empty()) filled.push_back(names[i]);
    }
    // Each node that received a picture is announced once, in list order (both twins share a name).
    if (root.node) {
      std::vector<std::string> expected;
      for (const std::string& name : filled) expected.insert(expected.end(), name == "twin" ? 2 : 1, name);
      EXPECT_EQ(announced, expected) << keep;
    }
  }
}
