#include "clitestsupport.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sndfile.h>
#include <stdexcept>
#include <sys/wait.h>
#include <zlib.h>

#include "data/gxformat.h"
#include "data/gxwriter.h"
#include "testutil.h"

namespace fs = std::filesystem;

TScratch::TScratch() {
  std::string pattern = (fs::temp_directory_path() / "pinacora-cli-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch folder");
  Folder = pattern;
}

TScratch::~TScratch() {
  std::error_code ignored;
  fs::remove_all(Folder, ignored);
}

namespace {
std::string Quoted(const std::string& word) {
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
}  // namespace

TRun RunTool(const std::vector<std::string>& args) {
  TScratch io;
  std::string command = Quoted(PINACORA_DATA_TOOL);
  for (const std::string& a : args) command += " " + Quoted(a);
  command += " >" + Quoted(io.Path("out")) + " 2>" + Quoted(io.Path("err")) + " </dev/null";
  const int raw = std::system(command.c_str());
  TRun run;
  // The shell reports a tool killed by a signal as 128 + the signal number.
  if (raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128) run.Status = WEXITSTATUS(raw);
  run.Out = LoadText(io.Path("out"));
  run.Err = LoadText(io.Path("err"));
  return run;
}

void SaveText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string LoadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> LoadBytes(const std::string& path) {
  const std::string text = LoadText(path);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> Deflated(const std::string& bytes) {
  uLongf length = compressBound(uLong(bytes.size()));
  std::vector<std::uint8_t> out(length);
  compress2(out.data(), &length, reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()), 6);
  out.resize(length);
  return out;
}

std::string Inflated(const std::vector<std::uint8_t>& stream) {
  std::string out(64 << 20, '\0');
  uLongf length = uLongf(out.size());
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length, stream.data(), uLong(stream.size())) != Z_OK) return "<bad>";
  out.resize(length);
  return out;
}

int WriteSineWav(const std::string& path, int rate, int channels, double seconds) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  const int frames = int(rate * seconds);
  std::vector<float> data(std::size_t(frames) * std::size_t(channels));
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) data[std::size_t(i * channels + c)] = float(0.5 * std::sin(2 * M_PI * 440.0 * i / rate));
  }
  sf_writef_float(file, data.data(), frames);
  sf_close(file);
  return frames;
}

const char kRoomScene[] = "#Inventor V2.1 ascii\nSeparator {\n  DEF FLOOR Texture2 { }\n  Cube { }\n}\n";

std::string WorksScene(const std::vector<int>& ids) {
  std::string text = "#Inventor V2.1 ascii\n\nSeparator {\n";
  for (int id : ids) {
    const std::string n = std::to_string(id);
    text += "  Separator {\n    Transform { translation 0 1.75 -3.9 rotation 1 0 0 1.5707963 }\n"
            "    DEF TEX_" + n + " Texture2 { }\n"
            "    Coordinate3 { point [ -0.5 0 0.5, 0.5 0 0.5, 0.5 0 -0.5, -0.5 0 -0.5 ] }\n"
            "    TextureCoordinate2 { point [ 0 0, 1 0, 1 1, 0 1 ] }\n"
            "    DEF\tKD_" + n + "\n      IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] }\n  }\n";
  }
  return text + "}\n";
}

TSample MakeSample(const TScratch& scratch) {
  TSample sample;
  fs::create_directories(scratch.Path("art"));
  SaveText(scratch.Path("room.iv"), kRoomScene);
  sample.WorksText = WorksScene({301, 302});
  SaveText(scratch.Path("works.iv"), sample.WorksText);

  QImage opaque(6, 4, QImage::Format_RGB888);  // every pixel different, so row order shows
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) opaque.setPixelColor(x, y, QColor(40 * x, 60 * y, 7 * x + y));
  }
  opaque.save(QString::fromStdString(scratch.Path("art/opaque.png")));
  QImage clear(3, 5, QImage::Format_ARGB32);
  clear.fill(QColor(10, 200, 30, 128));
  clear.setPixelColor(0, 0, QColor(255, 0, 0, 255));
  clear.save(QString::fromStdString(scratch.Path("art/clear.png")));
  opaque.save(QString::fromStdString(scratch.Path("art/floor.jpg")), "JPEG");

  sample.SoundFrames = WriteSineWav(scratch.Path("tune.wav"), 22050, 2, 0.5);
  sample.NoteRtf = "{\\rtf1\\ansi {\\b Nativit\\'e0} e {\\i note}\\par}";
  SaveText(scratch.Path("note.rtf"), sample.NoteRtf);
  SaveText(scratch.Path("plain.txt"), "Città ideale\n{prospettiva}\n");
  sample.MovieBytes = std::string("0&\xb2\x75\x8e\x66\xcf\x11 not really a movie", 27);
  SaveText(scratch.Path("movie.wmv"), sample.MovieBytes);

  SaveText(scratch.Path("manifest.json"), R"({
  "lists": [
    { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv",
      "textures": [ { "node": "FLOOR", "file": "art/floor.jpg" } ] },
    { "kind": "scene", "id": 120, "name": "Opere", "shape": "works.iv",
      "textures": [ { "node": "TEX_301", "file": "art/opaque.png" },
                    { "node": "TEX_302", "file": "art/clear.png" } ] },
    { "kind": "sound", "id": 201, "name": "Preludio", "file": "tune.wav" },
    { "kind": "opera", "id": 301, "name": "Natività",
      "notes": [ { "name": "Scheda", "file": "note.rtf" }, { "file": "plain.txt", "userId": 40 } ],
      "movies": [ { "name": "Il restauro", "file": "movie.wmv" } ] },
    { "kind": "opera", "id": 302, "name": "Città ideale" }
  ]
})");
  sample.Manifest = scratch.Path("manifest.json");
  return sample;
}

namespace {
template <typename Chunk>
Chunk& AddChunk(TGXChunkList& list, std::int32_t id, std::int32_t userId, const std::string& name,
                std::vector<std::uint8_t> data) {
  auto chunk = testutil::MakeChunk<Chunk>(name, id, userId, std::move(data));
  Chunk& ref = *chunk;
  list.Append(std::move(chunk));
  return ref;
}
}  // namespace

THandMade THandMade::Clean() {
  THandMade file;
  auto room = testutil::MakeList("Sala", 110, gx::kListScene);
  AddChunk<TGXChunkVrmlShape>(*room, 110, 0, "room", Deflated(kRoomScene));
  auto works = testutil::MakeList("Opere", 120, gx::kListScene);
  AddChunk<TGXChunkVrmlShape>(*works, 120, 0, "works", Deflated(WorksScene({301})));
  auto& texture = AddChunk<TGXChunkImageRawRgba>(*works, 120, 1, "TEX_301", Deflated(std::string(2 * 3 * 3, '\x7f')));
  texture.Width = 2;
  texture.Height = 3;
  texture.Components = 3;
  auto& floor = AddChunk<TGXChunkImageRawRgba>(*room, 110, 1, "FLOOR", Deflated(std::string(3, '\x40')));
  floor.Width = 1;
  floor.Height = 1;
  floor.Components = 3;
  auto sound = testutil::MakeList("Preludio", 201, gx::kListSound);
  std::string square;  // a quarter of a second of a square wave, loud enough to hear
  for (int i = 0; i < 11025 / 4; ++i) square += (i / 25) % 2 != 0 ? std::string("\x00\x10", 2) : std::string("\x00\xf0", 2);
  AddChunk<TGXChunkWav>(*sound, 201, 0, "tune", Deflated(square));
  auto opera = testutil::MakeList("Nativit\xe0", 301, gx::kListOpera);
  AddChunk<TGXChunkRtf>(*opera, 301, 0, "Scheda", {'{', '\\', 'r', 't', 'f', '1', '}'});
  file.Lists.push_back(std::move(room));
  file.Lists.push_back(std::move(works));
  file.Lists.push_back(std::move(sound));
  file.Lists.push_back(std::move(opera));
  return file;
}

TGXChunkList& THandMade::List(std::int32_t id) {
  for (auto& list : Lists) {
    if (list->Id == id) return *list;
  }
  throw std::runtime_error("no list " + std::to_string(id));
}

bool THandMade::Write(const std::string& path) const {
  TGXFileWriter writer;
  if (!writer.Open(path)) return false;
  for (const auto& list : Lists) {
    if (!writer.AppendList(*list)) return false;
  }
  return writer.Finish();
}
