// Any sound file that libsndfile reads, as the program plays it: 16-bit mono 11025 Hz samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSoundRate = 11025;

// Decodes, mixes down to one channel and resamples; the samples come back as little-endian bytes.
// False with "path: reason" in error.
bool ImportSound(const std::string& path, std::vector<std::uint8_t>& samples, std::string& error);

// Writes 16-bit mono 11025 Hz little-endian sample bytes as a WAV file (an odd last byte is dropped).
bool WriteSoundWav(const std::string& path, const std::vector<std::uint8_t>& samples, std::string& error);
