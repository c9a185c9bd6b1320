#include "webmedia.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/fileio.h"
#include "import/runprogram.h"

namespace {

// Longest a conversion of one movie may take.
constexpr int kConvertSeconds = 900;

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text, std::size_t length) {
  return bytes.size() >= at + length && std::memcmp(bytes.data() + at, text, length) == 0;
}

}  // namespace

TMovieKind MovieKindOf(const std::vector<std::uint8_t>& bytes) {
  static const char kAsf[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11";
  if (StartsWith(bytes, 4, "ftyp", 4)) return TMovieKind::Mp4;
  if (StartsWith(bytes, 0, "\x1A\x45\xDF\xA3", 4)) {
    // The EBML header names the document type near its start.
    const std::size_t look = std::min<std::size_t>(bytes.size(), 64);
    for (std::size_t i = 4; i + 4 <= look; ++i) {
      if (std::memcmp(bytes.data() + i, "webm", 4) == 0) return TMovieKind::WebM;
    }
    return TMovieKind::Matroska;
  }
  if (StartsWith(bytes, 0, kAsf, 8)) return TMovieKind::Asf;
  if (StartsWith(bytes, 0, "RIFF", 4) && StartsWith(bytes, 8, "AVI ", 4)) return TMovieKind::Avi;
  if (StartsWith(bytes, 0, "\x00\x00\x01\xBA", 4) || StartsWith(bytes, 0, "\x00\x00\x01\xB3", 4)) {
    return TMovieKind::Mpeg;
  }
  return TMovieKind::Unknown;
}

const char* MovieKindName(TMovieKind kind) {
  switch (kind) {
    case TMovieKind::Mp4: return "MP4";
    case TMovieKind::WebM: return "WebM";
    case TMovieKind::Matroska: return "Matroska";
    case TMovieKind::Asf: return "WMV";
    case TMovieKind::Avi: return "AVI";
    case TMovieKind::Mpeg: return "MPEG";
    case TMovieKind::Unknown: break;
  }
  return "unknown";
}

TWebMovie WriteWebMovie(const std::vector<std::uint8_t>& bytes, const std::string& site, const std::string& base) {
  TWebMovie movie;
  std::string error;
  const TMovieKind kind = MovieKindOf(bytes);
  if (kind == TMovieKind::Mp4 || kind == TMovieKind::WebM) {
    movie.File = "media/" + base + (kind == TMovieKind::Mp4 ? ".mp4" : ".webm");
    movie.MimeType = kind == TMovieKind::Mp4 ? "video/mp4" : "video/webm";
    movie.Playable = WriteWholeFile(site + "/" + movie.File, bytes.data(), bytes.size(), error);
    if (!movie.Playable) movie.Remark = error;
    return movie;
  }
  static const char* const kExtensions[] = {"", "", ".mkv", ".wmv", ".avi", ".mpg", ".bin"};
  static const char* const kTypes[] = {"", "", "video/x-matroska", "video/x-ms-wmv", "video/x-msvideo", "video/mpeg",
                                       "application/octet-stream"};
  const int index = static_cast<int>(kind);
  const std::string stored = "media/" + base + kExtensions[index];
  if (!WriteWholeFile(site + "/" + stored, bytes.data(), bytes.size(), error)) {
    movie.Remark = error;
    return movie;
  }
  if (FindProgram("ffmpeg").empty()) {
    movie.File = stored;
    movie.MimeType = kTypes[index];
    movie.Remark = std::string("a ") + MovieKindName(kind) +
                   " movie, which browsers do not play, is offered for download: install ffmpeg (the Debian "
                   "package \"ffmpeg\") to have it converted to MP4";
    return movie;
  }
  const std::string converted = "media/" + base + ".mp4";
  const TProgramRun run = RunProgram({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", site + "/" + stored,
                                      "-map", "0:v:0?", "-map", "0:a:0?", "-c:v", "libx264", "-preset", "veryfast",
                                      "-crf", "26", "-pix_fmt", "yuv420p", "-vf",
                                      "scale=trunc(iw/2)*2:trunc(ih/2)*2", "-c:a", "aac", "-b:a", "96k",
                                      "-movflags", "+faststart", site + "/" + converted},
                                     kConvertSeconds);
  if (run.Started && !run.TimedOut && run.Status == 0) {
    std::remove((site + "/" + stored).c_str());
    movie.File = converted;
    movie.MimeType = "video/mp4";
    movie.Playable = true;
    return movie;
  }
  std::remove((site + "/" + converted).c_str());
  movie.File = stored;
  movie.MimeType = kTypes[index];
  std::string why = run.TimedOut ? "it took too long" : run.Errors;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
  movie.Remark = std::string("ffmpeg could not convert this ") + MovieKindName(kind) +
                 " movie, so it is offered for download" + (why.empty() ? "" : " (" + why + ")");
  return movie;
}
