// Movies and music in forms a browser plays: MP4 (H.264/AAC) or WebM movies, Ogg Vorbis sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>


enum class TMovieKind { Mp4, WebM, Matroska, Asf, Avi, Mpeg, Unknown };

// What the first bytes of a movie say it is.
TMovieKind MovieKindOf(const std::vector<std::uint8_t>& bytes);
const char* MovieKindName(TMovieKind kind);

struct TWebMovie {
  std::string File;      // written, relative to the site
  std::string MimeType;  // "video/mp4", "video/webm", or the stored form's type for a download
  bool Playable = false; // false: offered as a download only
  std::string Remark;    // for the curator, when the movie could not be made playable
};

// Writes the movie into site/media as base + extension: as it is when browsers play it, else
// converted with ffmpeg (when installed) to MP4, else as stored, for downloading.
TWebMovie WriteWebMovie(const std::vector<std::uint8_t>& bytes, const std::string& site, const std::string& base);
