// Flights at the display's pace: how many of a flight's 80 ticks reach the screen, and how long the
// flight takes, with large scans and a large exhibition in view, in a 1280 x 1024 view.
//
//   bench_flight [--tool PINACORA_DATA] [--folder DIR] [--cases abc] [--runs N]
//   bench_flight --viewer FILE ID...     one viewer process: flights to each work in turn
//
// The cases: (a) the flight to one 200 000-face scan; (b) a flight across a room with six such scans
// on plinths, hung by the tool; (c) a flight in an exhibition of 234 photographs hung by the tool
// (the most works a data file holds). For (a) it also prints the pack time and the file size.
// The files are made in DIR (default /tmp/pinacora-bench-flight) and kept for later runs; a new
// tool (--tool) packs them afresh. Needs a display (run it under xvfb-run).
#include <GL/gl.h>
#include <QApplication>
#include <QGLWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <Inventor/Qt/SoQt.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "benchmaterial.h"
#include "benchprogram.h"
#include "benchutil.h"
#include "common/globals.h"
#include "data/tdatabanker.h"
#include "viewer/tformviewer.h"

namespace {

constexpr int kTicks = 80;

// A painted photograph, 1600 pixels on its long side.
bool WritePhoto(const std::string& path, int i) {
  const QSize sizes[] = {{1600, 1200}, {1200, 1600}, {1400, 1400}, {1600, 700}};
  return bench::PaintedPicture(i, sizes[i % 4], 120).save(QString::fromStdString(path), "JPEG", 88);
}

double RunTool(const std::vector<std::string>& args, double* cpu = nullptr) {
  bool succeeded = false;
  const bench::Times times = bench::RunProgram(args, &succeeded);
  if (cpu != nullptr) *cpu = times.cpu;
  if (!succeeded) {
    std::printf("  (%s %s failed)\n", args[0].c_str(), args[1].c_str());
    return -1;
  }
  return times.wall;
}

double FileMb(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  return file ? double(file.tellg()) / 1e6 : -1;
}

// ---- the viewer side

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct TFrame {
  double Start, End;  // seconds since the flight was asked for
  double Cpu;         // the drawing thread's processor time, milliseconds
  int Ticks;          // ticks run when the frame began: 1..80
};

struct TRecorder {
  TFormViewer* Viewer = nullptr;
  QElapsedTimer Clock;
  bool Recording = false;
  double Started = 0, StartedCpu = 0;
  int TicksAtStart = 0;
  std::vector<TFrame> Frames;
  int AllFrames = 0;

  double Now() const { return double(Clock.nsecsElapsed()) / 1e9; }
  void Begin() {
    ++AllFrames;
    if (!Recording) return;
    Started = Now();
    StartedCpu = ThreadCpuMs();
    TicksAtStart = Viewer->FlightActive ? Viewer->FlightStep : kTicks;
  }
  void End() {
    if (!Recording) return;
    glFinish();  // the frame is drawn, not merely handed to the driver
    Frames.push_back({Started, Now(), ThreadCpuMs() - StartedCpu, TicksAtStart});
  }
};

SoCallback* CallbackNode(TRecorder* recorder, bool begin) {
  auto* node = new SoCallback;
  node->setCallback(begin ? [](void* data, SoAction* action) {
    if (action->isOfType(SoGLRenderAction::getClassTypeId())) static_cast<TRecorder*>(data)->Begin();
  }
                          : [](void* data, SoAction* action) {
                              if (action->isOfType(SoGLRenderAction::getClassTypeId())) static_cast<TRecorder*>(data)->End();
                            },
                    recorder);
  return node;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

// Runs the event loop, blocked while nothing happens (a busy loop here would take a core from the
// driver's drawing threads), until done() or the time is up.
template <typename Done>
void RunUntil(Done done, int limitMs) {
  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done() || clock.elapsed() >= limitMs) loop.quit();
  });
  poll.start(2);
  loop.exec();
}

void WaitMs(int ms) {
  RunUntil([] { return false; }, ms);
}

int MeasureViewer(const std::string& file, const std::vector<int>& ids, int argc, char** argv) {
  TRecorder recorder;
  bench::TProgram program(argc, argv, file);
  TFormViewer* viewer = program.View();
  recorder.Viewer = viewer;
  recorder.Clock.start();
  viewer->SceneRoot->insertChild(CallbackNode(&recorder, true), 0);
  viewer->show();
  viewer->LoadModels();
  RunUntil([&] { return recorder.AllFrames > 0; }, 120000);
  viewer->SceneRoot->addChild(CallbackNode(&recorder, false));
  WaitMs(600);
  viewer->TimerRedraw->stop();  // the redraws that follow a window's mapping are not the flight's
  for (const int id : ids) {
    WaitMs(300);
    recorder.Frames.clear();
    recorder.Clock.restart();
    recorder.Recording = true;
    const double cpuBefore = bench::CpuSeconds();
    viewer->FlyToObject(id);
    if (!viewer->FlightActive) {
      std::printf("    flight to %d: the work is not found\n", id);
      continue;
    }
    // Until the frame that shows the last tick has been drawn.
    RunUntil([&] { return !viewer->FlightActive && !recorder.Frames.empty() && recorder.Frames.back().Ticks >= kTicks; },
             60000);
    recorder.Recording = false;
    // Processor time of every thread (ours and the driver's) for each frame: what the flight costs
    // whatever else the machine is doing.
    const double cpuPerFrame = (bench::CpuSeconds() - cpuBefore) * 1000 / double(std::max<std::size_t>(1, recorder.Frames.size()));
    std::vector<int> drawn;
    std::vector<double> frameTimes, intervals, drawing;
    for (std::size_t i = 0; i < recorder.Frames.size(); ++i) {
      const TFrame& f = recorder.Frames[i];
      // A frame drawn before the first tick shows where the camera was, not the flight.
      if (f.Ticks > 0 && (drawn.empty() || drawn.back() != f.Ticks)) drawn.push_back(f.Ticks);
      frameTimes.push_back((f.End - f.Start) * 1000);
      drawing.push_back(f.Cpu);
      if (i > 0) intervals.push_back((f.Start - recorder.Frames[i - 1].Start) * 1000);
    }
    const double seconds = recorder.Frames.empty() ? -1 : recorder.Frames.back().End;
    std::printf("    flight to %d: %zu of %d ticks drawn, over in %.2f s; %zu frames, frame time median %.1f ms, "
                "95th percentile %.1f ms; frame to frame median %.1f ms; processor %.1f ms a frame\n",
                id, drawn.size(), kTicks, seconds, recorder.Frames.size(), Percentile(frameTimes, 0.5),
                Percentile(frameTimes, 0.95), Percentile(intervals, 0.5), cpuPerFrame);
    std::printf("    drawing thread's processor a frame: median %.1f ms, 95th percentile %.1f ms, most %.1f ms\n",
                Percentile(drawing, 0.5), Percentile(drawing, 0.95), Percentile(drawing, 1.0));
    std::printf("    FLIGHT %d TICKS %zu SECONDS %.3f MEDIAN_MS %.2f P95_MS %.2f CPU_MS %.2f\n", id, drawn.size(), seconds,
                Percentile(frameTimes, 0.5), Percentile(frameTimes, 0.95), cpuPerFrame);
    std::fflush(stdout);
    // BENCH_SHOTS=DIR: the view at the end of each flight, to look at.
    if (const char* shots = std::getenv("BENCH_SHOTS")) {
      if (auto* area = qobject_cast<QGLWidget*>(viewer->ExaminerViewer->getGLWidget())) {
        area->grabFrameBuffer().save(QString("%1/flight-%2.png").arg(shots).arg(id));
      }
    }
  }
  return 0;
}

void RunViewer(const char* self, const std::string& file, const std::vector<int>& ids) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<std::string> args = {self, "--viewer", file};
    for (const int id : ids) args.push_back(std::to_string(id));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

const char kRoom[] =
    "#Inventor V2.1 ascii\nSeparator { Material { diffuseColor 0.4 0.4 0.4 } Coordinate3 { point [ -9 0 -9, 9 0 -9, "
    "9 0 9, -9 0 9 ] } IndexedFaceSet { coordIndex [ 0, 3, 2, 1, -1 ] } }\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--viewer") {
    std::vector<int> ids;
    for (int i = 3; i < argc; ++i) ids.push_back(std::atoi(argv[i]));
    return MeasureViewer(argv[2], ids, argc, argv);
  }
  std::string tool = PINACORA_DATA_TOOL, folder = "/tmp/pinacora-bench-flight", cases = "abc";
  int runs = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 < argc && arg == "--tool") {
      tool = argv[++i];
    } else if (i + 1 < argc && arg == "--folder") {
      folder = argv[++i];
    } else if (i + 1 < argc && arg == "--cases") {
      cases = argv[++i];
    } else if (i + 1 < argc && arg == "--runs") {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: bench_flight [--tool PINACORA_DATA] [--folder DIR] [--cases abc] [--runs N]\n");
      return 2;
    }
  }
  QDir().mkpath(QString::fromStdString(folder));
  std::printf("tool %s, files in %s\n", tool.c_str(), folder.c_str());

  if (cases.find('a') != std::string::npos) {
    const std::string dir = folder + "/one";
    QDir().mkpath(QString::fromStdString(dir));
    bench::WriteScan(dir + "/scan.stl", 250, 400, 0);
    std::ofstream(dir + "/room.iv") << kRoom;
    std::ofstream(dir + "/manifest.json") << R"({ "lists": [ { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
      { "kind": "scene", "id": 120, "name": "Opere", "models": [
        { "file": "scan.stl", "work": 501, "position": [4, 0, 0], "facing": 270, "height": 0.6, "up": "+z", "front": "-y" } ] },
      { "kind": "opera", "id": 501, "name": "Testa" } ] })";
    const std::string file = dir + "/kddata.bin";
    double best = 1e9, bestCpu = 1e9;
    for (int run = 0; run < 2; ++run) {
      double cpu = 0;
      const double wall = RunTool({tool, "pack", dir + "/manifest.json", "-o", file, "--quiet"}, &cpu);
      best = std::min(best, wall);
      bestCpu = std::min(bestCpu, cpu);
    }
    std::printf("(a) one 200000-face scan\n  pack: %.2f s wall, %.2f s processor (best of 2); data file %.2f MB\n",
                best, bestCpu, FileMb(file));
    for (int run = 0; run < runs; ++run) RunViewer(argv[0], file, {501});
  }

  if (cases.find('b') != std::string::npos) {
    const std::string dir = folder + "/six";
    QDir().mkpath(QString::fromStdString(dir + "/works"));
    for (int i = 0; i < 6; ++i) {
      const std::string scan = dir + "/works/scan " + std::to_string(i + 1) + ".stl";
      if (access(scan.c_str(), R_OK) != 0) bench::WriteScan(scan, 250, 400, i);
    }
    const std::string file = dir + "/kddata.bin";
    const double wall = RunTool({tool, "hang", dir + "/works", "-o", file, "--quiet"});
    std::printf("(b) six 200000-face scans on plinths in one room\n  hang: %.2f s; data file %.2f MB\n", wall,
                FileMb(file));
    // From the middle of the room to the far end and back past the others.
    for (int run = 0; run < runs; ++run) RunViewer(argv[0], file, {1006, 1001, 1003});
  }

  if (cases.find('c') != std::string::npos) {
    const std::string dir = folder + "/many";
    QDir().mkpath(QString::fromStdString(dir + "/works"));
    for (int i = 0; i < 234; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "/works/foto %03d.jpg", i + 1);
      if (access((dir + name).c_str(), R_OK) != 0 && !WritePhoto(dir + name, i)) {
        std::fprintf(stderr, "cannot write %s\n", (dir + name).c_str());
        return 1;
      }
    }
    const std::string file = dir + "/kddata.bin";
    const double wall = RunTool({tool, "hang", dir + "/works", "-o", file, "--quiet"});
    std::printf("(c) 234 photographs in 15 rooms\n  hang: %.2f s; data file %.2f MB\n", wall, FileMb(file));
    // Along one room's wall, then across it, then to the next room.
    for (int run = 0; run < runs; ++run) RunViewer(argv[0], file, {1001, 1012, 1005, 1020});
  }
  return 0;
}
