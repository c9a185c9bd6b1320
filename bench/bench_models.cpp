// 3D model works at the size budget: packing a 200 000-face scan (and a 400 000-face one, which
// pack simplifies), then the program's start-up and the frames drawn during a flight to the work.
//
//   bench_models [PINACORA_DATA]
// Writes the models and manifests in a temporary folder. Needs a display (run it under xvfb-run).
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <Inventor/Qt/SoQt.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "benchprogram.h"
#include "benchmaterial.h"
#include "benchutil.h"

namespace {

// Runs the tool; its wall and processor time (the latter does not count what a busy machine's
// other programs take).
bench::Times RunTool(const std::vector<std::string>& args) {
  bool succeeded = false;
  const bench::Times times = bench::RunProgram(args, &succeeded);
  if (!succeeded) std::printf("  (%s failed)\n", args[1].c_str());
  return times;
}

// The viewer on the packed file: scene load, first frame, then one flight at the real 20 ms ticks.
int MeasureViewer(const std::string& file, int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  bench::TProgram program(argc, argv, file);
  TFormViewer* viewer = program.View();
  int frames = 0;
  qint64 firstFrame = -1;
  struct Count {
    int* frames;
    qint64* first;
    QElapsedTimer* clock;
  } count{&frames, &firstFrame, &clock};
  auto* counter = new SoCallback;
  counter->setCallback(
      [](void* data, SoAction* action) {
        if (!action->isOfType(SoGLRenderAction::getClassTypeId())) return;
        auto* c = static_cast<Count*>(data);
        if (*c->first < 0) *c->first = c->clock->elapsed();
        ++*c->frames;
      },
      &count);
  viewer->SceneRoot->addChild(counter);
  const qint64 beforeLoad = clock.elapsed();
  viewer->LoadModels();
  const qint64 loaded = clock.elapsed();
  viewer->show();
  while (firstFrame < 0 && clock.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  std::printf("  start-up: scene load %.3f s, first frame %.3f s after process start\n", (loaded - beforeLoad) / 1000.0,
              firstFrame / 1000.0);
  viewer->FlyToObject(501);
  if (viewer->FlightActive) {
    const int before = frames;
    QElapsedTimer flight;
    flight.start();
    while (viewer->FlightActive && flight.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    const double seconds = flight.elapsed() / 1000.0;
    std::printf("  flight: %d frames in %.2f s, %.1f frames a second\n", frames - before, seconds,
                (frames - before) / seconds);
  } else {
    std::printf("  flight: work 501 not found\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--viewer") return MeasureViewer(argv[2], argc, argv);
  if (argc > 2) {
    std::fprintf(stderr, "usage: bench_models [PINACORA_DATA]\n");
    return 2;
  }
  char folderTemplate[] = "/tmp/pinacora-bench-models-XXXXXX";
  const std::string folder = mkdtemp(folderTemplate);
  const std::string tool = argc == 2 ? argv[1] : PINACORA_DATA_TOOL;
  struct TCase {
    const char* Name;
    int Rings, Segments;
  } cases[] = {{"2000 faces (for comparison)", 25, 40},
               {"200000 faces", 250, 400},
               {"400000 faces (simplified to 200000)", 400, 500}};
  for (const TCase& c : cases) {
    const std::string scan = folder + "/scan.stl", manifest = folder + "/manifest.json", file = folder + "/kddata.bin";
    bench::WriteScan(scan, c.Rings, c.Segments);
    std::ofstream(folder + "/room.iv") << "#Inventor V2.1 ascii\nSeparator { Coordinate3 { point [ -9 0 -9, 9 0 -9, "
                                          "9 0 9, -9 0 9 ] } IndexedFaceSet { coordIndex [ 0, 3, 2, 1, -1 ] } }\n";
    std::ofstream(manifest) << R"({ "lists": [ { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
      { "kind": "scene", "id": 120, "name": "Opere", "models": [
        { "file": "scan.stl", "work": 501, "position": [4, 0, 0], "facing": 270, "height": 0.6, "up": "+z", "front": "-y" } ] },
      { "kind": "opera", "id": 501, "name": "Testa" } ] })";
    std::printf("%s\n", c.Name);
    bench::Times pack;
    for (int run = 0; run < 2; ++run) {
      const bench::Times once = RunTool({tool, "pack", manifest, "-o", file, "--quiet"});
      pack.KeepBest(once.wall, once.cpu);
    }
    std::ifstream packed(file, std::ios::binary | std::ios::ate);
    std::printf("  pack: %.2f s wall, %.2f s processor (best of 2); data file %.1f MB\n", pack.wall, pack.cpu,
                double(packed.tellg()) / 1e6);
    const bench::Times check = RunTool({tool, "check", file});
    std::printf("  check: %.2f s wall, %.2f s processor\n", check.wall, check.cpu);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/proc/self/exe", argv[0], "--viewer", file.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
  }
  if (std::getenv("BENCH_KEEP") == nullptr) std::system(("rm -rf '" + folder + "'").c_str());
  return 0;
}
