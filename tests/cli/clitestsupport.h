// Helpers for the tool's tests: a scratch folder, running the tool, and a small sample exhibition.
#pragma once

#include <cstdint>
#include <string>
#include <memory>
#include <vector>

#include "data/gxchunklist.h"

struct TRun {
  int Status = -1;  // exit status, or -1 when the tool did not exit normally
  std::string Out;
  std::string Err;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TScratch {
 public:
  TScratch();
  ~TScratch();
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  std::string Path(const std::string& name) const { return Folder + "/" + name; }
  const std::string& Root() const { return Folder; }

 private:
  std::string Folder;
};

// Runs pinacora-data with the arguments (each passed as one word).
TRun RunTool(const std::vector<std::string>& args);

void SaveText(const std::string& path, const std::string& text);
std::string LoadText(const std::string& path);
std::vector<std::uint8_t> LoadBytes(const std::string& path);

// zlib stream of the bytes, for chunks made by hand.
std::vector<std::uint8_t> Deflated(const std::string& bytes);
std::string Inflated(const std::vector<std::uint8_t>& stream);

// Writes a sine WAV at the given rate and channel count; answers its frame count.
int WriteSineWav(const std::string& path, int rate, int channels, double seconds);

// The sample exhibition: rooms 110 and 120 (works 301 "Natività" and 302), one texture with and
// one without alpha, a sound 201, an RTF note and a plain-text note and a movie. Writes its files
// and manifest.json into the scratch folder and answers the manifest's path.
struct TSample {
  std::string Manifest;
  std::string WorksText;   // Inventor text of list 120
  std::string NoteRtf;     // the RTF note's bytes
  std::string MovieBytes;  // the movie's bytes
  int SoundFrames = 0;     // frames of the sound at its own rate (22050)
};
TSample MakeSample(const TScratch& scratch);

// Scene texts for hand-made files.
std::string WorksScene(const std::vector<int>& ids);
extern const char kRoomScene[];

// A data file made directly with the writer, for damaged-file tests.
struct THandMade {
  std::vector<std::unique_ptr<TGXChunkList>> Lists;
  // A clean file: rooms 110 (its floor textured) and 120 with work 301, a quarter-second sound
  // 201, opera 301 with an RTF note.
  static THandMade Clean();
  TGXChunkList& List(std::int32_t id);
  // Writes every list; false when the writer refuses.
  bool Write(const std::string& path) const;
};
