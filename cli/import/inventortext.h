// Binary Inventor shapes turned into Inventor text before they are stored: Coin's binary reader
// crashes or hangs on small damage, and a kiosk reads every stored shape at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// True when the bytes begin with a binary Inventor header ("#Inventor V2.1 binary").
bool IsBinaryInventor(const std::vector<std::uint8_t>& bytes);

// Reads a binary Inventor file with Coin in a child process given `seconds` to finish and writes
// every top-level node it holds back as Inventor text. False, with the reason in `error`, when
// Coin cannot read it, crashes on it or does not finish. Files the shape names (File nodes,
// textures) are looked for in `folder` when one is given.
bool BinaryInventorToText(const std::vector<std::uint8_t>& binary, int seconds, std::vector<std::uint8_t>& text,
                          std::string& error, const std::string& folder = std::string());
