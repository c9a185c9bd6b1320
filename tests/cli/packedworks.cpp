#include "packedworks.h"

#include "data/gxserializer.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"

TScratch* PackedWorksTest::scratch = nullptr;
TRun* PackedWorksTest::pack = nullptr;
std::string PackedWorksTest::output;

void PackedWorksTest::PackSuite(TScratch* folder) {
  scratch = folder;
  output = scratch->Path("kddata.bin");
  pack = new TRun(RunTool({"pack", scratch->Path("manifest.json"), "-o", output}));
}

void PackedWorksTest::ReleaseSuite() {
  delete pack;
  delete scratch;
  pack = nullptr;
  scratch = nullptr;
  output.clear();
}

void PackedWorksTest::SetUp() {
  ASSERT_NE(pack, nullptr);
  ASSERT_EQ(pack->Status, 0) << pack->Err;
  InitSceneLibrary();
  list = TGXSerializer::ReadFromFile(output, 120);
  ASSERT_NE(list, nullptr);
  works = BuildSceneFromList(*list);
  ASSERT_NE(works, nullptr);
  works->ref();
}

void PackedWorksTest::TearDown() {
  if (works != nullptr) works->unref();
  works = nullptr;
}
