// extract: one chunk in a usable form.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "args.h"
#include "import/audioimport.h"
#include "commands.h"
#include "common/fileio.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "import/imageimport.h"
#include "data/tzlib.h"

namespace {
const char kHelp[] =
    "Usage: pinacora-data extract FILE ID INDEX -o OUT\n"
    "\n"
    "Writes chunk INDEX (counted from 0, as dump counts) of the list with Id ID:\n"
    "  shape (15)  the Inventor/VRML text\n"
    "  image (4)   a PNG\n"
    "  sound (8)   a WAV, 16-bit mono 11025 Hz\n"
    "  note (2)    the RTF bytes as stored\n"
    "  movie (13)  the movie file as stored\n"
    "Other chunks with data are written as stored.\n";

bool InflateChunk(const TGXChunk& chunk, std::size_t cap, std::vector<std::uint8_t>& out, std::string& error) {
  std::int32_t length = chunk.DataLength;
  int result = 0;
  out = InflateBuffer(chunk.Data.data(), length, cap, &result);
  if (result != kInflateOk) {
    error = std::string("the chunk's zlib stream does not inflate (") + InflateErrorText(result) + ")";
    return false;
  }
  return true;
}
}  // namespace

int CommandExtract(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {"-o"}, {});
  if (args.Has("--help")) return PrintHelp(kHelp);
  int id = 0, index = 0;
  const std::string out = args.Value("-o");
  if (!args.Error.empty() || args.Positional.size() != 3 || !ParseInt32(args.Positional[1], id) ||
      !ParseInt32(args.Positional[2], index) || out.empty()) {
    return Refuse("extract", (args.Error.empty() ? "expects FILE ID INDEX -o OUT" : args.Error) + "\n\n" + kHelp, 2);
  }
  const std::string& path = args.Positional[0];
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    return Refuse("extract", path + ": " + std::strerror(errno));
  }
  const std::unique_ptr<TGXChunkList> list = TGXSerializer::ReadFromFile(path, id);
  if (!list) return Refuse("extract", path + ": no list with Id " + std::to_string(id) + " (or not a data file)");
  const TGXChunk* chunk = list->GetChunk(index);
  if (chunk == nullptr) {
    return Refuse("extract", path + ": list " + std::to_string(id) + " has no chunk " + std::to_string(index) +
                                 " (it holds " + std::to_string(list->GetCount()) + ")");
  }
  if (!chunk->HasData()) return Refuse("extract", path + ": chunk " + std::to_string(index) + " holds no data");

  std::string error;
  std::vector<std::uint8_t> bytes;
  bool ok = false;
  switch (chunk->GetType()) {
    case gx::kChunkVrmlShape:
      ok = InflateChunk(*chunk, kDefaultInflateCap, bytes, error) &&
           WriteWholeFile(out, bytes.data(), bytes.size(), error);
      break;
    case gx::kChunkImageRawRgba: {
      const auto& image = static_cast<const TGXChunkImageRawRgba&>(*chunk);
      TTexturePixels pixels;
      pixels.Width = image.ImageWidth();
      pixels.Height = image.ImageHeight();
      pixels.Components = image.Components;
      const long long expected = (long long)pixels.Width * pixels.Height * pixels.Components;
      if (pixels.Width <= 0 || pixels.Height <= 0 || pixels.Components < 1 || pixels.Components > 4 ||
          expected >= std::numeric_limits<std::int32_t>::max()) {
        error = "the texture's size fields are unusable";
        break;
      }
      ok = InflateChunk(*chunk, std::size_t(expected), pixels.Bytes, error) && WriteTexturePng(out, pixels, error);
      break;
    }
    case gx::kChunkWav:
      ok = InflateChunk(*chunk, kDefaultInflateCap, bytes, error) && WriteSoundWav(out, bytes, error);
      break;
    default:
      ok = WriteWholeFile(out, chunk->Data.data(), chunk->Data.size(), error);
      break;
  }
  if (!ok) return Refuse("extract", path + ": list " + std::to_string(id) + " chunk " + std::to_string(index) + ": " + error);
  return 0;
}
