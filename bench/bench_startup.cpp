// Start-up of the 3D view: from nothing to the first drawn frame, split into reading, inflating
// (on one core and on all), parsing the shape text and building the scene; peak and settled memory;
// the frames actually drawn during one 80-tick flight; and how start-up grows with the number of
// works.
//
//   bench_startup [DEMO_FILE]     the large exhibition (and the demo), then the scale run
//   bench_startup --large-only    the large exhibition alone
//   bench_startup --scale-only    the scale run alone
// Generates the large exhibition (120 works with 1024 x 1024 RGB textures) and the scale run's files
// (30 to 2000 works with 128 x 128 pictures) in /tmp, then measures each in fresh child processes,
// several times, and prints medians. Needs a display (run it under xvfb-run).
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <Inventor/Qt/SoQt.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoSeparator.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "benchprogram.h"
#include "benchutil.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "data/gxwriter.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "data/tdatabanker.h"
#include "viewer/tformviewer.h"
#include "data/tzlib.h"
#include "data/workerpool.h"

namespace {

constexpr int kLargeWorks = 120;
constexpr int kLargeSide = 1024;
constexpr int kScaleSide = 128;
constexpr int kRepeats = 3;
const int kScaleWorks[] = {30, 60, 125, 250, 500, 1000, 2000};

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
  }
  return -1;
}

using bench::Compress;

std::unique_ptr<TGXChunk> ShapeChunk(const std::string& text) {
  auto chunk = CreateChunk(gx::kChunkVrmlShape);
  chunk->Name = "shape";
  chunk->AssignData(Compress(std::vector<std::uint8_t>(text.begin(), text.end())));
  return chunk;
}

// `works` works on the walls of a long hall, each textured by its own side x side RGB picture.
// The pictures are compressed on every core (the big file takes a while).
void WriteExhibition(const std::string& path, int works, int side) {
  std::ostringstream shapes;
  shapes << "#Inventor V2.1 ascii\nSeparator {\n";
  for (int i = 0; i < works; ++i) {
    const int wall = i % 2;
    const float x = float(i / 2) * 3.0f;
    shapes << " Separator { Transform { translation " << x << " 1.75 " << (wall ? 6 : -6) << " rotation 1 0 0 "
           << (wall ? -1.5707964 : 1.5707964) << " }\n"
           << "  DEF TEX_" << (1000 + i) << " Texture2 { }\n"
           << "  Coordinate3 { point [ -1 0 -1, -1 0 1, 1 0 1, 1 0 -1 ] }\n"
           << "  TextureCoordinate2 { point [ 0 0, 0 1, 1 1, 1 0 ] }\n"
           << "  DEF KD_" << (1000 + i) << " IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] "
           << "textureCoordIndex [ 0, 1, 2, 3, -1 ] } }\n";
  }
  shapes << "}\n";

  TGXFileWriter writer;
  if (!writer.Open(path)) throw std::runtime_error(writer.Error());
  TGXChunkList room;
  room.Name = "Sala";
  room.Id = room.UserId = 110;
  room.Type = gx::kListScene;
  room.Append(ShapeChunk("#Inventor V2.1 ascii\nSeparator { Coordinate3 { point [ -10 0 -10, -10 0 10, 3000 0 10, "
                         "3000 0 -10 ] } IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] } }\n"));
  writer.AppendList(room);

  TGXChunkList list;
  list.Name = "Opere";
  list.Id = list.UserId = 120;
  list.Type = gx::kListScene;
  list.Append(ShapeChunk(shapes.str()));
  std::vector<std::future<std::vector<std::uint8_t>>> packed;
  {
    TWorkerPool pool;
    for (int i = 0; i < works; ++i) {
      auto result = std::make_shared<std::promise<std::vector<std::uint8_t>>>();
      packed.push_back(result->get_future());
      pool.Run([result, i, side] {
        result->set_value(Compress(bench::TextureLike(std::size_t(side) * side * 3, std::uint32_t(i + 1), side)));
      });
    }
  }
  for (int i = 0; i < works; ++i) {
    auto chunk = std::make_unique<TGXChunkImageRawRgba>();
    chunk->Name = "TEX_" + std::to_string(1000 + i);
    chunk->Width = chunk->Height = side;
    chunk->Components = 3;
    chunk->AssignData(packed[std::size_t(i)].get());
    list.Append(std::move(chunk));
  }
  if (!writer.AppendList(list)) throw std::runtime_error(writer.Error());
  for (int i = 0; i < works; ++i) {
    TGXChunkList opera;
    opera.Name = "Opera " + std::to_string(i);
    opera.Id = opera.UserId = 1000 + i;
    opera.Type = gx::kListOpera;
    writer.AppendList(opera);
  }
  if (!writer.Finish()) throw std::runtime_error(writer.Error());
}

// Inflates every picture of the list into buffers of its size, on `threads` workers; answers the
// seconds taken and the picture bytes.
double InflatePictures(const TGXChunkList& list, unsigned threads, std::size_t& pictureBytes) {
  std::vector<const TGXChunkImageRawRgba*> images;
  pictureBytes = 0;
  for (int i = 0; i < list.GetCount(); ++i) {
    if (list.GetChunk(i)->GetType() != gx::kChunkImageRawRgba) continue;
    images.push_back(static_cast<const TGXChunkImageRawRgba*>(list.GetChunk(i)));
    pictureBytes += std::size_t(images.back()->Width) * std::size_t(images.back()->Height) *
                    std::size_t(images.back()->Components);
  }
  std::vector<std::unique_ptr<std::uint8_t[]>> pixels(images.size());
  const double start = bench::Seconds();
  {
    TWorkerPool pool(threads);
    for (std::size_t i = 0; i < images.size(); ++i) {
      pool.Run([&, i] {
        const TGXChunkImageRawRgba& image = *images[i];
        const std::size_t size = std::size_t(image.Width) * std::size_t(image.Height) * std::size_t(image.Components);
        pixels[i].reset(new std::uint8_t[size]);
        InflateInto(image.Data.data(), image.Data.size(), pixels[i].get(), size);
      });
    }
  }
  return bench::Seconds() - start;
}

// The steps of building the scene, timed one by one: reading the lists, inflating the pictures on
// one core and on all, and the whole build (shape text, name search, pictures into the nodes) on
// one core and on all.
int MeasurePhases(const std::string& file) {
  SoDB::init();
  double t = bench::Seconds();
  auto models = TGXSerializer::ReadFromFile(file, 110);
  auto works = TGXSerializer::ReadFromFile(file, 120);
  const double reading = bench::Seconds() - t;
  if (!models || !works) {
    std::fprintf(stderr, "cannot read the scene lists of %s\n", file.c_str());
    return 1;
  }
  std::size_t pictureBytes = 0;
  const double inflateOne = InflatePictures(*works, 1, pictureBytes);
  const double inflateAll = InflatePictures(*works, 0, pictureBytes);

  auto build = [&](unsigned threads) {
    TTextureFillOptions options;
    options.threads = threads;
    const double start = bench::Seconds();
    SoNode* root = BuildSceneFromList(*works, options);
    const double seconds = bench::Seconds() - start;
    if (root != nullptr) {
      root->ref();
      root->unref();
    }
    return seconds;
  };
  const double buildOne = build(1);
  const double buildAll = build(0);

  std::printf("  reading the two lists %.3f s; picture bytes %.1f MB\n", reading, pictureBytes / 1e6);
  std::printf("  inflating the pictures: one core %.3f s, all %u cores %.3f s\n", inflateOne,
              TWorkerPool::MachineThreads(), inflateAll);
  std::printf("  building the works' scene: one core %.3f s, all cores %.3f s\n", buildOne, buildAll);
  std::printf("  INFLATE1_SECONDS %.3f INFLATEN_SECONDS %.3f PICTURE_BYTES %zu\n", inflateOne, inflateAll,
              pictureBytes);
  return 0;
}

// Counts the frames the viewer draws, and remembers when the first one after `armed` was drawn.
struct FrameCounter {
  QElapsedTimer clock;
  int frames = 0;
  qint64 first = -1;

  SoCallback* Node() {
    auto* node = new SoCallback;
    node->setCallback(
        [](void* data, SoAction* action) {
          if (!action->isOfType(SoGLRenderAction::getClassTypeId())) return;
          auto* counter = static_cast<FrameCounter*>(data);
          if (counter->first < 0) counter->first = counter->clock.elapsed();
          ++counter->frames;
        },
        this);
    return node;
  }
  bool WaitFirst(qint64 limit = 120000) {
    while (first < 0 && clock.elapsed() < limit) QApplication::processEvents(QEventLoop::AllEvents, 50);
    return first >= 0;
  }
};

// The real path: the viewer window, its scene loaded by the banker, up to the first drawn frame;
// then one flight with its frames counted.
int MeasureRealStartup(const std::string& file, int argc, char** argv) {
  FrameCounter counter;
  counter.clock.start();
  bench::TProgram program(argc, argv, file, [&counter] { return counter.Node(); });
  TFormViewer* viewer = program.View();

  // As the main window does: the view is shown, then the models are loaded into it.
  viewer->show();
  const long base = StatusKb("VmRSS");
  const qint64 beforeLoad = counter.clock.elapsed();
  viewer->LoadModels();
  const qint64 loaded = counter.clock.elapsed();
  const long peakAfterLoad = StatusKb("VmHWM");
  counter.WaitFirst();
  const long peakAfterStart = StatusKb("VmHWM");
  QTest::qWait(1000);
  const long settled = StatusKb("VmRSS");

  std::printf("  start-up: window up at %.3f s, banker scene load %.3f s, first frame at %.3f s (process start to "
              "frame; %.3f s after the load)\n",
              beforeLoad / 1000.0, (loaded - beforeLoad) / 1000.0, counter.first / 1000.0,
              (counter.first - loaded) / 1000.0);
  // Kernel figures are KiB; memory is printed in MB (10^6 bytes), like the picture bytes.
  const auto mb = [](long kib) { return kib * 1024.0 / 1e6; };
  std::printf("  memory: peak %.1f MB (%.1f MB before the scene, %.1f MB when it was built), settled %.1f MB\n",
              mb(peakAfterStart), mb(base), mb(peakAfterLoad), mb(settled));
  std::printf("  STARTUP_SECONDS %.3f LOAD_SECONDS %.3f PEAK_KB %ld SETTLED_KB %ld\n", counter.first / 1000.0,
              (loaded - beforeLoad) / 1000.0, peakAfterStart, settled);

  // One flight at the real 20 ms ticks.
  for (const TagInfo& opera : program.Window().OperaList) {
    viewer->FlyToObject(opera.Id);
    if (viewer->FlightActive) break;
  }
  if (viewer->FlightActive) {
    const int before = counter.frames;
    QElapsedTimer flight;
    flight.start();
    while (viewer->FlightActive && flight.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    std::printf("  flight: %d frames drawn during 80 ticks (%.2f s)\n", counter.frames - before,
                flight.elapsed() / 1000.0);
  }
  return 0;
}

// One point of the scale run: the viewer is up and has drawn its empty scene; then the models are
// loaded and drawn once. What that costs grows with the works; the window's own start does not.
int MeasureScalePoint(const std::string& file, int argc, char** argv) {
  FrameCounter counter;
  counter.clock.start();
  bench::TProgram program(argc, argv, file, [&counter] { return counter.Node(); });
  TFormViewer* viewer = program.View();
  // A first frame with a picture like the works' in view: the driver prepares its textured drawing
  // once, whatever the number of works, and that is not what this run measures.
  auto* warm = new SoSeparator;
  auto* picture = new SoTexture2;
  const std::vector<std::uint8_t> pixels = bench::TextureLike(std::size_t(kScaleSide) * kScaleSide * 3, 7, kScaleSide);
  picture->image.setValue(SbVec2s(kScaleSide, kScaleSide), 3, pixels.data());
  auto* place = new SoTranslation;
  place->translation = SbVec3f(4, 1.75f, 0);
  warm->addChild(place);
  warm->addChild(picture);
  warm->addChild(new SoCube);
  viewer->SceneRoot->addChild(warm);
  viewer->show();
  counter.WaitFirst();
  viewer->SceneRoot->removeChild(warm);
  counter.first = -1;
  counter.WaitFirst();

  const double cpuBefore = bench::CpuSeconds();
  counter.first = -1;
  const qint64 start = counter.clock.elapsed();
  viewer->LoadModels();
  const qint64 loaded = counter.clock.elapsed();
  counter.WaitFirst();
  const double cpu = bench::CpuSeconds() - cpuBefore;

  // For comparison, the same pictures filled by one search of the whole scene per chunk.
  double searchEach = 0;
  if (auto works = TGXSerializer::ReadFromFile(file, 120)) {
    SoNode* root = BuildSceneFromList(*works);
    root->ref();
    const double t = bench::Seconds();
    for (int i = 0; i < works->GetCount(); ++i) {
      if (works->GetChunk(i)->GetType() == gx::kChunkImageRawRgba) {
        SetTexture(root, *static_cast<const TGXChunkImageRawRgba*>(works->GetChunk(i)));
      }
    }
    searchEach = bench::Seconds() - t;
    root->unref();
  }
  std::printf("SCALE_SECONDS %.4f LOAD_SECONDS %.4f CPU_SECONDS %.4f SEARCH_EACH_SECONDS %.4f\n",
              (counter.first - start) / 1000.0, (loaded - start) / 1000.0, cpu, searchEach);
  return 0;
}

// Runs this program again in a child, its output read back.
std::string RunChild(const char* mode, const std::string& file) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    execl("/proc/self/exe", "bench_startup", mode, file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, std::size_t(n));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return output;
}

// The number after `key` in a child's output, or -1.
double Figure(const std::string& output, const std::string& key) {
  const std::size_t at = output.find(key + " ");
  return at == std::string::npos ? -1 : std::atof(output.c_str() + at + key.size() + 1);
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string Prepared(const std::string& path, int works, int side) {
  if (access(path.c_str(), R_OK) != 0) {
    std::printf("Generating %s (%d works, %dx%d RGB pictures) ...\n", path.c_str(), works, side, side);
    std::fflush(stdout);
    WriteExhibition(path + ".part", works, side);
    std::rename((path + ".part").c_str(), path.c_str());
  }
  return path;
}

// Each measure in fresh children, kRepeats times; the first run's lines are shown, the medians after.
void RunExhibition(const std::string& name, const std::string& file) {
  std::printf("%s exhibition (%s)\n", name.c_str(), file.c_str());
  std::vector<double> inflateOne, inflateAll, startup, load, peak, settled;
  double pictureBytes = 0;
  for (int run = 0; run < kRepeats; ++run) {
    const std::string phases = RunChild("--phases", file);
    const std::string real = RunChild("--real", file);
    if (run == 0) std::printf("%s%s", phases.c_str(), real.c_str());
    inflateOne.push_back(Figure(phases, "INFLATE1_SECONDS"));
    inflateAll.push_back(Figure(phases, "INFLATEN_SECONDS"));
    pictureBytes = Figure(phases, "PICTURE_BYTES");
    startup.push_back(Figure(real, "STARTUP_SECONDS"));
    load.push_back(Figure(real, "LOAD_SECONDS"));
    peak.push_back(Figure(real, "PEAK_KB") * 1024.0 / 1e6);
    settled.push_back(Figure(real, "SETTLED_KB") * 1024.0 / 1e6);
  }
  const double one = Median(inflateOne);
  std::printf("  medians of %d runs: inflate one core %.3f s, all cores %.3f s; scene load %.3f s; first frame "
              "%.3f s = %.2f x the one-core inflate\n",
              kRepeats, one, Median(inflateAll), Median(load), Median(startup), Median(startup) / one);
  std::printf("  peak memory per run:");
  for (double p : peak) std::printf(" %.0f", p);
  std::printf(" MB (median %.0f MB = %.2f x picture bytes + %.0f MB); settled %.0f MB\n", Median(peak),
              (Median(peak) - 150) / (pictureBytes / 1e6), 150.0, Median(settled));
}

// The straight line through the points by least squares: fixed + perWork * works.
void FitLine(const std::vector<double>& works, const std::vector<double>& seconds, double& fixed, double& perWork) {
  const double n = double(works.size());
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < works.size(); ++i) {
    sx += works[i];
    sy += seconds[i];
    sxx += works[i] * works[i];
    sxy += works[i] * seconds[i];
  }
  perWork = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  fixed = (sy - perWork * sx) / n;
}

void RunScale() {
  std::printf("scale run: %dx%d RGB pictures; the models loaded and drawn once into a window already up "
              "(medians of %d runs)\n",
              kScaleSide, kScaleSide, kRepeats);
  std::vector<std::string> files;
  for (int works : kScaleWorks) {
    files.push_back(Prepared("/tmp/pinacora-bench-scale-" + std::to_string(works) + ".bin", works, kScaleSide));
  }
  std::vector<double> works, seconds, load, cpu, search;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::vector<double> s, l, c, e;
    for (int run = 0; run < kRepeats; ++run) {
      const std::string out = RunChild("--scale-point", files[i]);
      s.push_back(Figure(out, "SCALE_SECONDS"));
      l.push_back(Figure(out, "LOAD_SECONDS"));
      c.push_back(Figure(out, "CPU_SECONDS"));
      e.push_back(Figure(out, "SEARCH_EACH_SECONDS"));
    }
    works.push_back(kScaleWorks[i]);
    seconds.push_back(Median(s));
    load.push_back(Median(l));
    cpu.push_back(Median(c));
    search.push_back(Median(e));
  }
  // What does not grow with the works (the walls nearest the camera fill the screen whatever their
  // number): the constant of the line fitted through the points.
  double fixed = 0, slope = 0, cpuFixed = 0, cpuSlope = 0;
  FitLine(works, seconds, fixed, slope);
  FitLine(works, cpu, cpuFixed, cpuSlope);
  std::printf("  load and first draw = %.3f s + %.3f ms per work; processor time = %.3f s + %.3f ms per work "
              "(least squares)\n",
              fixed, 1000 * slope, cpuFixed, 1000 * cpuSlope);
  std::printf("  %6s %8s %8s %10s %8s %8s %10s %12s\n", "works", "seconds", "ms/work", "ms/work", "load", "cpu",
              "cpu", "search per");
  std::printf("  %6s %8s %8s %10s %8s %8s %10s %12s\n", "", "", "", "beyond", "ms/work", "ms/work", "beyond",
              "chunk");
  for (std::size_t i = 0; i < works.size(); ++i) {
    std::printf("  %6d %8.3f %8.3f %10.3f %8.3f %8.3f %10.3f %12.3f\n", int(works[i]), seconds[i],
                1000 * seconds[i] / works[i], 1000 * (seconds[i] - fixed) / works[i], 1000 * load[i] / works[i],
                1000 * cpu[i] / works[i], 1000 * (cpu[i] - cpuFixed) / works[i], 1000 * search[i] / works[i]);
  }
  std::printf("  (beyond: less the fitted constant; search per chunk: the same pictures filled by one search of the "
              "scene per chunk, ms per work)\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--phases") return MeasurePhases(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--real") return MeasureRealStartup(argv[2], argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--scale-point") return MeasureScalePoint(argv[2], argc, argv);

  const std::string only = argc > 1 ? argv[1] : "";
  if (only != "--scale-only") {
    if (argc > 1 && only != "--large-only") RunExhibition("demo", argv[1]);
    RunExhibition("large", Prepared("/tmp/pinacora-bench-large.bin", kLargeWorks, kLargeSide));
  }
  if (only != "--large-only") RunScale();
  return 0;
}
