// Data files with background sounds for the playlist tests: tones written as WAV files and
// packed with the exhibition tool, as a curator would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tempfolder.h"

namespace soundtest {

using TempDir = TTempFolder;

struct Tone {
  std::string Name;     // UTF-8
  double Frequency;     // Hz
  double Seconds;
  double Amplitude = 0.5;  // of full scale
};

// 16-bit mono 11025 Hz samples of a sine tone.
std::vector<std::int16_t> ToneSamples(const Tone& tone);
bool WriteWav(const std::string& path, const std::vector<std::int16_t>& samples, std::uint32_t rate,
              std::uint16_t channels);

// Packs one sound list per tone (ids 201, 202, ...) into path with the exhibition tool.
// Answers an empty text, or what went wrong.
std::string PackSounds(const TempDir& folder, const std::string& path, const std::vector<Tone>& tones);

// A WAV file read back: 16-bit integer or 32-bit float samples, as floats from -1 to 1, channels
// interleaved.
struct WavData {
  std::uint32_t Rate = 0;
  std::uint16_t Channels = 0;
  std::vector<float> Samples;
};
bool ReadWav(const std::string& path, WavData& wav, std::string& error);

}  // namespace soundtest
