// Start-up of the 3D view: from nothing to the first drawn frame, split into reading, inflating,
// parsing the shape text, setting textures and the first draw; peak and settled memory; and the
// frames actually drawn during one 80-tick flight.
//
//   bench_startup [DEMO_FILE]
// Generates the large exhibition (120 works with 1024 x 1024 RGB textures) in a temporary folder,
// then measures each file in fresh child processes. Needs a display (run it under xvfb-run).
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <Inventor/Qt/SoQt.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "benchutil.h"
#include "globals.h"
#include "gxformat.h"
#include "gxserializer.h"
#include "gxwriter.h"
#include "tdatabanker.h"
#include "tformviewer.h"
#include "tzlib.h"

namespace {

constexpr int kWorks = 120;
constexpr int kSide = 1024;

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
  }
  return -1;
}

std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& bytes) {
  uLongf size = compressBound(bytes.size());
  std::vector<std::uint8_t> out(size);
  compress2(out.data(), &size, bytes.data(), bytes.size(), 6);
  out.resize(size);
  return out;
}

std::unique_ptr<TGXChunk> ShapeChunk(const std::string& text) {
  auto chunk = CreateChunk(gx::kChunkVrmlShape);
  chunk->Name = "shape";
  chunk->AssignData(Compress(std::vector<std::uint8_t>(text.begin(), text.end())));
  return chunk;
}

// 120 works on the walls of a long hall, each textured by its own 1024 x 1024 picture.
void WriteLargeExhibition(const std::string& path) {
  std::ostringstream works;
  works << "#Inventor V2.1 ascii\nSeparator {\n";
  for (int i = 0; i < kWorks; ++i) {
    const int side = i % 2;
    const float x = float(i / 2) * 3.0f;
    works << " Separator { Transform { translation " << x << " 1.75 " << (side ? 6 : -6) << " rotation 1 0 0 "
          << (side ? -1.5707964 : 1.5707964) << " }\n"
          << "  DEF TEX_" << (1000 + i) << " Texture2 { }\n"
          << "  Coordinate3 { point [ -1 0 -1, -1 0 1, 1 0 1, 1 0 -1 ] }\n"
          << "  TextureCoordinate2 { point [ 0 0, 0 1, 1 1, 1 0 ] }\n"
          << "  DEF KD_" << (1000 + i) << " IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] "
          << "textureCoordIndex [ 0, 1, 2, 3, -1 ] } }\n";
  }
  works << "}\n";

  TGXFileWriter writer;
  if (!writer.Open(path)) throw std::runtime_error(writer.Error());
  TGXChunkList room;
  room.Name = "Sala";
  room.Id = room.UserId = 110;
  room.Type = gx::kListScene;
  room.Append(ShapeChunk("#Inventor V2.1 ascii\nSeparator { Coordinate3 { point [ -10 0 -10, -10 0 10, 200 0 10, "
                         "200 0 -10 ] } IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] } }\n"));
  writer.AppendList(room);

  TGXChunkList list;
  list.Name = "Opere";
  list.Id = list.UserId = 120;
  list.Type = gx::kListScene;
  list.Append(ShapeChunk(works.str()));
  for (int i = 0; i < kWorks; ++i) {
    auto chunk = std::make_unique<TGXChunkImageRawRgba>();
    chunk->Name = "TEX_" + std::to_string(1000 + i);
    chunk->Width = chunk->Height = kSide;
    chunk->Components = 3;
    chunk->AssignData(Compress(bench::TextureLike(std::size_t(kSide) * kSide * 3, std::uint32_t(i + 1), kSide)));
    list.Append(std::move(chunk));
  }
  if (!writer.AppendList(list)) throw std::runtime_error(writer.Error());
  for (int i = 0; i < kWorks; ++i) {
    TGXChunkList opera;
    opera.Name = "Opera " + std::to_string(i);
    opera.Id = opera.UserId = 1000 + i;
    opera.Type = gx::kListOpera;
    writer.AppendList(opera);
  }
  if (!writer.Finish()) throw std::runtime_error(writer.Error());
}

// The steps of building the scene, timed one by one.
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

  std::vector<std::vector<std::uint8_t>> texts;
  std::vector<std::pair<const TGXChunkImageRawRgba*, std::vector<std::uint8_t>>> images;
  std::size_t rawTextureBytes = 0;
  t = bench::Seconds();
  for (const TGXChunkList* list : {models.get(), works.get()}) {
    for (int i = 0; i < list->GetCount(); ++i) {
      const TGXChunk* chunk = list->GetChunk(i);
      std::int32_t length = chunk->DataLength;
      if (chunk->GetType() == gx::kChunkVrmlShape) texts.push_back(InflateBuffer(chunk->Data.data(), length));
      if (chunk->GetType() == gx::kChunkImageRawRgba) {
        const auto* image = static_cast<const TGXChunkImageRawRgba*>(chunk);
        images.emplace_back(image, InflateBuffer(chunk->Data.data(), length));
        rawTextureBytes += images.back().second.size();
      }
    }
  }
  const double inflating = bench::Seconds() - t;

  t = bench::Seconds();
  std::vector<SoNode*> roots;
  for (const auto& text : texts) {
    SoInput input;
    input.setBuffer(text.data(), text.size());
    SoNode* node = nullptr;
    if (SoDB::read(&input, node) && node != nullptr) {
      node->ref();
      roots.push_back(node);
    }
  }
  const double parsing = bench::Seconds() - t;

  t = bench::Seconds();
  for (const auto& [chunk, pixels] : images) {
    SoSearchAction search;
    search.setSearchingAll(TRUE);
    search.setInterest(SoSearchAction::ALL);
    search.setFind(SoSearchAction::NAME);
    search.setName(SbName(chunk->Name.c_str()));
    for (SoNode* root : roots) search.apply(root);
    const SoPathList& paths = search.getPaths();
    for (int i = 0; i < paths.getLength(); ++i) {
      if (paths[i]->getTail()->isOfType(SoTexture2::getClassTypeId())) {
        static_cast<SoTexture2*>(paths[i]->getTail())
            ->image.setValue(SbVec2s(chunk->ImageWidth(), chunk->ImageHeight()), chunk->Components, pixels.data(),
                             SoSFImage::COPY);
      }
    }
  }
  const double texturing = bench::Seconds() - t;
  for (SoNode* root : roots) root->unref();

  std::printf("  phases: reading %.3f s, inflating %.3f s, parsing shape text %.3f s, setting textures %.3f s\n",
              reading, inflating, parsing, texturing);
  std::printf("  raw texture bytes: %.1f MB\n", rawTextureBytes / 1e6);
  std::printf("  INFLATE_SECONDS %.3f RAW_BYTES %zu\n", inflating, rawTextureBytes);
  return 0;
}

// The real path: the viewer window, its scene loaded by the banker, up to the first drawn frame;
// then one flight with its frames counted.
int MeasureRealStartup(const std::string& file, int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  QApplication application(argc, argv);
  QWidget top;
  SoQt::init(&top);
  TDataBanker banker(file);
  DataBanker = &banker;

  auto* viewer = new TFormViewer(nullptr);
  FormViewer = viewer;
  int frames = 0;
  qint64 firstFrame = -1;
  auto* counter = new SoCallback;
  struct Count {
    int* frames;
    qint64* first;
    QElapsedTimer* clock;
  } count{&frames, &firstFrame, &clock};
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
  viewer->setGeometry(0, 0, 1280, 1024);
  viewer->show();
  while (firstFrame < 0 && clock.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  const long peakAfterStart = StatusKb("VmHWM");
  QTest::qWait(1000);
  const long settled = StatusKb("VmRSS");

  std::printf("  start-up: banker scene load %.3f s, first frame at %.3f s (process start to frame)\n",
              (loaded - beforeLoad) / 1000.0, firstFrame / 1000.0);
  std::printf("  memory: peak %.1f MB, settled %.1f MB\n", peakAfterStart / 1024.0, settled / 1024.0);
  std::printf("  STARTUP_SECONDS %.3f PEAK_KB %ld SETTLED_KB %ld\n", firstFrame / 1000.0, peakAfterStart, settled);

  // One flight at the real 20 ms ticks.
  TVecInfos operas;
  banker.ListOperas(operas);
  for (const TagInfo& opera : operas) {
    viewer->FlyToObject(opera.Id);
    if (viewer->FlightActive) break;
  }
  if (viewer->FlightActive) {
    const int before = frames;
    QElapsedTimer flight;
    flight.start();
    while (viewer->FlightActive && flight.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    std::printf("  flight: %d frames drawn during 80 ticks (%.2f s)\n", frames - before, flight.elapsed() / 1000.0);
  }
  delete viewer;
  return 0;
}

int RunChild(const char* self, const char* mode, const std::string& file) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(self, self, mode, file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--phases") return MeasurePhases(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--real") return MeasureRealStartup(argv[2], argc, argv);

  std::vector<std::pair<std::string, std::string>> files;
  if (argc > 1) files.emplace_back("demo", argv[1]);
  const std::string large = "/tmp/pinacora-bench-large.bin";
  if (access(large.c_str(), R_OK) != 0) {
    std::printf("Generating the large exhibition (%d works, %dx%d RGB textures) ...\n", kWorks, kSide, kSide);
    WriteLargeExhibition(large);
  }
  files.emplace_back("large", large);
  for (const auto& [name, file] : files) {
    std::printf("%s exhibition (%s)\n", name.c_str(), file.c_str());
    RunChild("/proc/self/exe", "--phases", file);
    RunChild("/proc/self/exe", "--real", file);
  }
  return 0;
}
