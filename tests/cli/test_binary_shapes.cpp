// Binary Inventor shapes go into the data file as Inventor text, so that no kiosk ever reads them
// with Coin's binary reader; shapes Coin cannot read safely are refused by pack.
#include <gtest/gtest.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoNode.h>

#include <cstdlib>
#include <filesystem>

#include "clitestsupport.h"
#include "import/inventortext.h"
#include "scene/shapereader.h"

namespace {

namespace fs = std::filesystem;

const std::string kFixtures = PINACORA_SOURCE_DIR "/tests/cli/fixtures/";

void* Grow(void* buffer, std::size_t size) { return std::realloc(buffer, size); }

// The graph of a shape written out by Coin, binary or as text with every float in full.
std::string Written(const std::string& shape, bool binary) {
  SoNode* node = ReadShapeText(reinterpret_cast<const std::uint8_t*>(shape.data()), shape.size());
  if (node == nullptr) return {};
  node->ref();
  SoOutput output;
  output.setBuffer(std::malloc(4096), 4096, Grow);
  output.setBinary(binary ? TRUE : FALSE);
  output.setFloatPrecision(9);
  SoWriteAction(&output).apply(node);
  void* buffer = nullptr;
  std::size_t size = 0;
  output.getBuffer(buffer, size);
  std::string text(static_cast<const char*>(buffer), size);
  output.resetBuffer();
  std::free(buffer);
  node->unref();
  return text;
}

std::string StoredShape(const TScratch& scratch, const std::string& file, int list) {
  const std::string out = scratch.Path("shape-" + std::to_string(list) + ".iv");
  const TRun run = RunTool({"extract", file, std::to_string(list), "0", "-o", out});
  EXPECT_EQ(run.Status, 0) << run.Err;
  return LoadText(out);
}

TEST(BinaryShapes, PackStoresThemAsTextThatReadsTheSameAndKeepsTextShapesAsTheyAre) {
  TScratch scratch;
  // The works, written binary by Coin itself; the rooms' text has spacing Coin would not write.
  const std::string worksText = WorksScene({301, 302});
  const std::string binary = Written(worksText, true);
  ASSERT_TRUE(IsBinaryInventor(std::vector<std::uint8_t>(binary.begin(), binary.end())));
  SaveText(scratch.Path("works.iv"), binary);
  const std::string roomText = std::string(kRoomScene) + "\n\n# the curator's own comment, kept\n";
  SaveText(scratch.Path("room.iv"), roomText);
  SaveText(scratch.Path("m.json"), R"({ "lists": [
    { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
    { "kind": "scene", "id": 120, "name": "Opere", "shape": "works.iv" },
    { "kind": "opera", "id": 301, "name": "Uno" }, { "kind": "opera", "id": 302, "name": "Due" } ] })");
  const TRun run = RunTool({"pack", scratch.Path("m.json"), "-o", scratch.Path("f.bin")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("list 120 'Opere': " + scratch.Path("works.iv") + ": binary Inventor, stored as Inventor text"),
            std::string::npos)
      << run.Err;
  EXPECT_EQ(run.Err.find("binary Inventor, whose reader"), std::string::npos) << run.Err;  // no warning left

  EXPECT_EQ(StoredShape(scratch, scratch.Path("f.bin"), 110), roomText);
  const std::string stored = StoredShape(scratch, scratch.Path("f.bin"), 120);
  EXPECT_EQ(stored.rfind("#Inventor V2.1 ascii", 0), 0u) << stored.substr(0, 60);
  // Nothing is lost on the way: names, structure and every float read back as they were.
  EXPECT_EQ(Written(stored, false), Written(worksText, false));
  const TRun check = RunTool({"check", scratch.Path("f.bin"), "--works"});
  EXPECT_EQ(check.Status, 0) << check.Out;
  EXPECT_NE(check.Out.find("work KD_302 'Due': centre"), std::string::npos) << check.Out;
}

TEST(BinaryShapes, RealModelsConvertWithoutLoss) {
  // Binary models as they are shipped in inventor-data.
  const std::string models = "/usr/share/inventor/data/models/";
  if (!fs::exists(models + "moon.iv")) GTEST_SKIP() << "inventor-data is not installed";
  for (const std::string name : {"moon.iv", "household/manillaFolder.iv"}) {
    const std::vector<std::uint8_t> bytes = LoadBytes(models + name);
    ASSERT_TRUE(IsBinaryInventor(bytes)) << name;
    std::vector<std::uint8_t> text;
    std::string error;
    ASSERT_TRUE(BinaryInventorToText(bytes, 30, text, error)) << name << ": " << error;
    EXPECT_EQ(Written(std::string(text.begin(), text.end()), false),
              Written(std::string(bytes.begin(), bytes.end()), false))
        << name;
  }
}

TEST(BinaryShapes, ThoseCoinCrashesOrHangsOnOrCannotReadAreRefused) {
  TScratch scratch;
  fs::copy_file(kFixtures + "crashes-coin.iv", scratch.Path("crash.iv"));
  SaveText(scratch.Path("m.json"), R"({ "lists": [ { "kind": "scene", "id": 110, "name": "Sala", "shape": "crash.iv" } ] })");
  const TRun run = RunTool({"pack", scratch.Path("m.json"), "-o", scratch.Path("f.bin"), "--force"});
  EXPECT_EQ(run.Status, 1);
  // Killed by a signal in a plain build; the sanitizers end the child with a status instead.
  EXPECT_NE(run.Err.find("list 110 'Sala': " + scratch.Path("crash.iv") +
                         ": binary Inventor that cannot be stored: reading it with Coin "),
            std::string::npos)
      << run.Err;
  EXPECT_FALSE(fs::exists(scratch.Path("f.bin")));
  EXPECT_FALSE(fs::exists(scratch.Path("f.bin.part")));
  // As a 3D model it is refused the same way, and pack itself lives on to say so.
  SaveText(scratch.Path("m.json"), R"({ "lists": [ { "kind": "scene", "id": 120, "name": "Opere",
    "models": [ { "file": "crash.iv", "work": 301 } ] } ] })");
  const TRun model = RunTool({"pack", scratch.Path("m.json"), "-o", scratch.Path("f.bin"), "--force"});
  EXPECT_EQ(model.Status, 1);
  EXPECT_NE(model.Err.find(scratch.Path("crash.iv") + ": reading it with Coin "), std::string::npos) << model.Err;
  EXPECT_FALSE(fs::exists(scratch.Path("f.bin")));

  std::vector<std::uint8_t> text;
  std::string error;
  EXPECT_FALSE(BinaryInventorToText(LoadBytes(kFixtures + "hangs-coin.iv"), 2, text, error));
  EXPECT_EQ(error, "reading it with Coin did not finish in 2 seconds");

  const std::string whole = Written(WorksScene({301}), true);
  const std::string cut = whole.substr(0, whole.size() / 2);
  error.clear();
  EXPECT_FALSE(BinaryInventorToText(std::vector<std::uint8_t>(cut.begin(), cut.end()), 10, text, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
