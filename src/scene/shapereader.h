// Reads shape text (Inventor or VRML) into a node graph with Coin, as the program does, and can
// collect Coin's read errors instead of leaving them on standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "coinref.h"

class SoInput;
class SoNode;
class TGXChunk;

// Coin must be initialised once before any reading; safe to call again.
void InitSceneLibrary();

// Reads one node graph from the text. Null when Coin cannot read it. With `errors` given, every
// message of Coin's reader (each names its line) is appended there, one per line, and nothing is
// printed; without it Coin reports as usual. The node comes back unreferenced. Coin reads only the
// first node graph of a text: with `ignored` given, it tells how many more top-level nodes follow
// (they are read to count them, then dropped, as the program never sees them).
SoNode* ReadShapeText(const std::uint8_t* text, std::size_t size, std::string* errors = nullptr,
                      int* ignored = nullptr);

// Reads the top-level nodes left in input, in order, until its end. The input remembers every DEF
// it read and a later USE may name one, so each node is held until the caller lets them all go.
// False at a read error, with the nodes read before it (not the broken one) kept.
bool ReadRemainingNodes(SoInput& input, std::vector<TCoinRef<SoNode>>& nodes);

// Inflates a shape chunk's packed text and reads it. Null when the stream does not inflate (the
// reason goes to `errors`) or Coin cannot read the text.
SoNode* ReadShapeChunk(const TGXChunk& chunk, std::string* errors = nullptr, int* ignored = nullptr);
