// Sound files (through libsndfile), as the program plays them: 16-bit mono 11025 Hz samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSoundRate = 11025;
// What a curator may bring, as libsndfile reads it (it reads a few rarer formats too).
constexpr const char kSoundFormats[] = "WAV, AIFF, FLAC, Ogg Vorbis, Opus or MP3";

// Decodes, mixes down to one channel and resamples; the samples come back as little-endian bytes.
// False with "path: reason" in error.
bool ImportSound(const std::string& path, std::vector<std::uint8_t>& samples, std::string& error);

// Writes 16-bit mono 11025 Hz little-endian sample bytes as a WAV file (an odd last byte is dropped).
bool WriteSoundWav(const std::string& path, const std::vector<std::uint8_t>& samples, std::string& error);
// The same samples as an Ogg Vorbis file, as browsers play them.
bool WriteSoundOgg(const std::vector<std::uint8_t>& samples, const std::string& path, std::string& error);
