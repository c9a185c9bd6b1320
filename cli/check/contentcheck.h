// What the windows make of a list's content: notes the info window reads, movies the movie window
// plays, sounds the playlist fades in, pictures a kiosk can hold. Each answers nothing when the
// content is fine, else its finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "checkreport.h"

// Textures larger than this many pixels a side earn a warning: they cost a kiosk memory it needs.
constexpr int kKioskTextureSide = 2048;
// The playlist's fade-in: 13 ticks of 10 ms at 11025 16-bit samples a second.
constexpr std::size_t kFadeInBytes = 2 * (11025 * 130 / 1000);

// A note's bytes as the info window would show them.
bool CheckNote(const std::vector<std::uint8_t>& bytes, TFinding& finding);
// A movie's bytes: one of the containers the movie window plays, by its signature.
bool CheckMovie(const std::vector<std::uint8_t>& bytes, TFinding& finding);
// A sound's inflated samples (16-bit mono at 11025 Hz).
bool CheckSound(const std::vector<std::uint8_t>& samples, TFinding& finding);
// What bytes appear to be, for messages: "a PNG picture", "UTF-16 text", or empty.
std::string DescribeBytes(const std::vector<std::uint8_t>& bytes);
