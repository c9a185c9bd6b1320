// What a file is by the bytes it starts with: the one table of signatures behind every message
// that names a file's kind ("the note is a PNG picture") and every test of a movie's container.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TFileKind {
  const char* Kind;       // "a PNG picture", for messages
  const char* Container;  // a movie's container as the movie window names it ("MP4"), else null
  const char* Advice;     // what to do instead, where a curator may have meant it as a note, else null
};

// The kind of file the bytes start like; null when no signature matches.
const TFileKind* KindOfBytes(const std::vector<std::uint8_t>& bytes);

// The movie container named by the bytes' signature, or empty.
std::string MovieContainer(const std::vector<std::uint8_t>& bytes);

// True when the bytes hold length bytes of text at position at.
bool BytesAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text, std::size_t length);
template <std::size_t N>
bool BytesAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char (&text)[N]) {
  return BytesAt(bytes, at, text, N - 1);
}

// True when the text starts with an Inventor or VRML header line, as a reader requires.
bool HasSceneHeader(const std::string& text);
