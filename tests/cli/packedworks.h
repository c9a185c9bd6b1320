// A test suite that packs one exhibition for all its tests and gives each test the works list
// (120) read back and built as the program builds it.
#pragma once

#include <Inventor/nodes/SoNode.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "clitestsupport.h"
#include "data/gxchunklist.h"

class PackedWorksTest : public ::testing::Test {
 protected:
  // Packs the scratch folder's manifest.json into kddata.bin beside it. The suite owns the folder
  // from here on; ReleaseSuite removes it.
  static void PackSuite(TScratch* folder);
  static void ReleaseSuite();

  // Fails the test when the pack failed; otherwise reads and builds list 120 into works.
  void SetUp() override;
  void TearDown() override;

  static TScratch* scratch;
  static TRun* pack;
  static std::string output;
  std::unique_ptr<TGXChunkList> list;
  SoNode* works = nullptr;
};
