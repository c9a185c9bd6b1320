// check reads the scenes as the program will: what Coin cannot read, works the browser cannot fly
// to, names a click cannot follow; and a reader that crashes or hangs costs a report, not the check.
#include <gtest/gtest.h>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/actions/SoToVRML2Action.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/VRMLnodes/SoVRMLIndexedFaceSet.h>
#include <Inventor/nodes/SoSeparator.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "clitestsupport.h"
#include "check/datacheck.h"
#include "common/isolated.h"

namespace {

// The clean hand-made file with the works' scene replaced.
class Scenes : public ::testing::Test {
 protected:
  TRun CheckWorks(const std::string& text, const std::vector<std::string>& flags = {}) {
    THandMade file = THandMade::Clean();
    file.List(120).GetChunk(0)->AssignData(Deflated(text));
    EXPECT_TRUE(file.Write(scratch.Path("f.bin")));
    std::vector<std::string> args{"check", scratch.Path("f.bin")};
    args.insert(args.end(), flags.begin(), flags.end());
    return RunTool(args);
  }
  // One work 301 drawn by the given nodes, inside the usual textured separator.
  static std::string Work(const std::string& body, const std::string& transform = "rotation 1 0 0 1.5707963") {
    return "#Inventor V2.1 ascii\nSeparator {\n  Transform { translation 0 1.75 -3.9 " + transform +
           " }\n  DEF TEX_301 Texture2 { }\n" + body + "\n}\n";
  }
  static constexpr const char* kSquare = "Coordinate3 { point [ -0.5 0 0.5, 0.5 0 0.5, 0.5 0 -0.5, -0.5 0 -0.5 ] }\n";
  static constexpr const char* kFaceSet = "DEF KD_301 IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] }\n";
  TScratch scratch;
};

TEST_F(Scenes, CoinsReadErrorsNameListChunkAndLine) {
  const TRun run = CheckWorks(Work(std::string(kSquare) + "\n\nDEF KD_301 IndexedFaceSet { coordIndx [ 0, 1, 2, 3, -1 ] }"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("list 1 (Id 120, 'Opere'): chunk 0 'works': Coin cannot read the shape text, so the program "
                         "shows nothing of this list"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("line 8"), std::string::npos) << run.Out;
  // Nothing of the works can be shown, so nothing more is said about them.
  EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 1) << run.Out;
  EXPECT_EQ(run.Err, "pinacora-data check: " + scratch.Path("f.bin") + ": 1 error, 0 warnings\n");
}

TEST_F(Scenes, WorksTheBrowserCannotFlyTo) {
  // Vertices only in the face set's own VertexProperty, as exported models have them.
  const std::string vertexProperty =
      "DEF KD_301 IndexedFaceSet { vertexProperty VertexProperty { vertex [ -0.5 0 0.5, 0.5 0 0.5, 0.5 0 -0.5 ] }\n"
      "  coordIndex [ 0, 1, 2, -1 ] }";
  TRun run = CheckWorks(Work(vertexProperty));
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("work KD_301 ('Natività'): no Coordinate3 with points is in effect at the IndexedFaceSet (its "
                         "vertices are in its VertexProperty), so the browser and autoplay cannot fly to it"),
            std::string::npos)
      << run.Out;
  // With a Coordinate3 before it, flights measure the wrong points.
  run = CheckWorks(Work(kSquare + vertexProperty));
  EXPECT_NE(run.Out.find("flights measure the Coordinate3 before it, so the camera flies to the wrong place"),
            std::string::npos)
      << run.Out;
  // A transformation that flattens local +Y leaves no facing direction.
  run = CheckWorks(Work(std::string(kSquare) + kFaceSet, "scaleFactor 1 0 1"));
  EXPECT_NE(run.Out.find("it has no facing direction"), std::string::npos) << run.Out;
  // A KD_ face set whose tail is no number: a click ends in a conversion error.
  run = CheckWorks(Work(std::string(kSquare) + kFaceSet + "DEF KD_30x IndexedFaceSet { coordIndex [ 0, 1, 2, -1 ] }"));
  EXPECT_NE(run.Out.find("node 'KD_30x' is not named KD_<Id>, so no work can be found by it; clicking it shows a "
                         "conversion error instead of flying"),
            std::string::npos)
      << run.Out;
}

TEST_F(Scenes, WarningsLeaveTheStatusAloneUnlessStrict) {
  // A work lying flat faces up; one whose points lie on a line has no area.
  const std::string flat = Work(std::string(kSquare) + kFaceSet, "");
  TRun run = CheckWorks(flat);
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_NE(run.Out.find("warning: list 1 (Id 120, 'Opere'): work KD_301 ('Natività'): it faces straight up"),
            std::string::npos)
      << run.Out;
  EXPECT_EQ(CheckWorks(flat, {"--strict"}).Status, 1);

  run = CheckWorks(Work(std::string("Coordinate3 { point [ -0.5 0 0, 0.5 0 0 ] }\n") + kFaceSet), {"--works"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("it has no area in its local X-Z plane, so flights see it from the default 6.0"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("work KD_301 'Natività': centre (0.00, 1.75, -3.90), facing (0.00, 0.00, 1.00), seen from "
                         "6.00\n"),
            std::string::npos)
      << run.Out;
  // A texture node no chunk fills.
  run = CheckWorks(Work(std::string(kSquare) + kFaceSet + "DEF TEX_LOST Texture2 { }"));
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("warning: list 1 (Id 120, 'Opere'): texture node 'TEX_LOST' stays empty"), std::string::npos)
      << run.Out;
}

// An Inventor model from inventor-data turned into VRML97 by Coin's own converter and writer, one
// of its face sets named as a work: clickable by name, but with no Coordinate3 to fly by.
TEST_F(Scenes, AnExportedVrml97WorkCannotBeFlownTo) {
  const std::string model = "/usr/share/inventor/data/models/heart.iv";
  if (!std::filesystem::exists(model)) GTEST_SKIP() << model << " (inventor-data) is not installed";
  SoDB::init();
  SoInput input;
  ASSERT_TRUE(input.openFile(model.c_str()));
  SoSeparator* chair = SoDB::readAll(&input);
  ASSERT_NE(chair, nullptr);
  chair->ref();
  SoToVRML2Action convert;
  convert.apply(chair);
  SoNode* vrml = convert.getVRML2SceneGraph();
  vrml->ref();
  SoSearchAction search;
  search.setType(SoVRMLIndexedFaceSet::getClassTypeId());
  search.apply(vrml);
  ASSERT_NE(search.getPath(), nullptr);
  search.getPath()->getTail()->setName("KD_301");
  search.reset();
  SoOutput output;
  output.setHeaderString("#VRML V2.0 utf8");
  output.setBuffer(std::malloc(4096), 4096, [](void* p, size_t n) { return std::realloc(p, n); });
  SoWriteAction write(&output);
  write.apply(vrml);
  void* buffer = nullptr;
  size_t size = 0;
  output.getBuffer(buffer, size);
  const std::string text(static_cast<const char*>(buffer), size);
  std::free(buffer);
  vrml->unref();
  chair->unref();

  ASSERT_EQ(text.rfind("#VRML V2.0 utf8", 0), 0u);
  const TRun run = CheckWorks(text);
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("'KD_301' is a VRML"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("work KD_301 ('Natività'): no Coordinate3 with points is in effect at the VRML"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("texture 'TEX_301' fills no Texture2 node"), std::string::npos) << run.Out;
}

// The child process that reads the shapes: what comes back, and how each way of failing is told.
TEST(Isolated, OutputComesBackAndFailuresAreToldApart) {
  std::string big(3 << 20, 'x');  // far more than a pipe holds at once
  big += "end";
  TIsolatedRun run = RunIsolated([&big] { return big; }, 30);
  EXPECT_EQ(run.How, TIsolatedRun::End::Finished);
  EXPECT_EQ(run.Output, big);

  // An abort, as glibc's heap checks end a process (the sanitizers leave SIGABRT alone).
  run = RunIsolated([]() -> std::string { std::abort(); }, 30);
  EXPECT_EQ(run.How, TIsolatedRun::End::Crashed);
  EXPECT_EQ(run.Code, SIGABRT);
  EXPECT_EQ(run.Output, "");
  EXPECT_NE(run.Reason().find("signal 6 (Aborted)"), std::string::npos) << run.Reason();

  run = RunIsolated([]() -> std::string { std::_Exit(3); }, 30);
  EXPECT_EQ(run.How, TIsolatedRun::End::Failed);
  EXPECT_EQ(run.Code, 3);

  const auto start = std::chrono::steady_clock::now();
  run = RunIsolated([]() -> std::string {
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
  }, 1);
  EXPECT_EQ(run.How, TIsolatedRun::End::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));  // killed, not waited for
}

// The same verdicts whether the shapes are read in a child process or in the checker itself.
TEST(Isolated, TheChildAndTheCheckerItselfAgree) {
  TScratch scratch;
  THandMade file = THandMade::Clean();
  file.List(120).GetChunk(0)->AssignData(Deflated(WorksScene({301, 302}) + "Cube {}\n"));
  ASSERT_TRUE(file.Write(scratch.Path("f.bin")));
  TCheckOptions inProcess;
  inProcess.IsolateScenes = false;
  const TCheckReport isolated = CheckExhibitionFile(scratch.Path("f.bin"));
  const TCheckReport direct = CheckExhibitionFile(scratch.Path("f.bin"), inProcess);
  EXPECT_EQ(isolated.Lines(), direct.Lines());
  EXPECT_EQ(isolated.Works, direct.Works);
  EXPECT_EQ(isolated.Count(TSeverity::Error), 2) << testing::PrintToString(isolated.Lines());
}

}  // namespace

namespace {

// Shapes on which Coin itself crashes or never ends: the check calls the list broken and goes on.
constexpr int kHangSeconds = 2;  // Coin reads this shape for longer than 200 seconds, without end
TEST(Isolated, ShapesThatCrashOrHangCoinAreReportedNotObeyed) {
  TScratch scratch;
  const std::string fixtures = PINACORA_SOURCE_DIR "/tests/cli/fixtures/";
  THandMade file = THandMade::Clean();
  const std::vector<std::uint8_t> crashing = LoadBytes(fixtures + "crashes-coin.iv");
  file.List(120).GetChunk(0)->AssignData(Deflated(std::string(crashing.begin(), crashing.end())));
  ASSERT_TRUE(file.Write(scratch.Path("crash.bin")));
  TRun run = RunTool({"check", scratch.Path("crash.bin")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("list 1 (Id 120, 'Opere'): reading its shapes with Coin "), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("warning: list 1 (Id 120, 'Opere'): chunk 0 'works': the shape is binary Inventor"),
            std::string::npos)
      << run.Out;
  EXPECT_EQ(run.Err, "pinacora-data check: " + scratch.Path("crash.bin") + ": 1 error, 1 warning\n");

  const std::vector<std::uint8_t> hanging = LoadBytes(fixtures + "hangs-coin.iv");
  file.List(120).GetChunk(0)->AssignData(Deflated(std::string(hanging.begin(), hanging.end())));
  ASSERT_TRUE(file.Write(scratch.Path("hang.bin")));
  TCheckOptions options;
  options.SceneSeconds = kHangSeconds;
  const TCheckReport report = CheckExhibitionFile(scratch.Path("hang.bin"), options);
  ASSERT_EQ(report.Count(TSeverity::Error), 1);
  EXPECT_EQ(report.Lines().back(), "list 1 (Id 120, 'Opere'): reading its shapes with Coin did not finish in " +
                                       std::to_string(kHangSeconds) + " seconds, so the program would hang at start-up on it too");
}

}  // namespace
