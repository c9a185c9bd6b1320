// Inflating the zlib streams that packed chunk data is stored in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "memorystream.h"

constexpr std::size_t kInflateStep = 16384;
// The most a deflate stream can expand: about 1032 output bytes per input byte.
constexpr std::size_t kMaxInflateRatio = 1032;
// Output cap when the caller does not know the size to expect: a small stream cannot claim more.
constexpr std::size_t kDefaultInflateCap = std::size_t(256) << 20;

// zlib result codes as the unit reports them.
enum : int {
  kInflateOk = 0,
  kInflateShortWrite = -1,
  kInflateStreamError = -2,
  kInflateDataError = -3,
  kInflateOutOfMemory = -4,
  kInflateVersionError = -6,
};

// Inflates the zlib stream in source (read from position 0) into destination at its position.
// Answers 0 when the whole stream was inflated (destination then rewound to 0), -3 for corrupt,
// truncated or dictionary-needing data and for output that would pass cap, -4 when out of memory,
// -1 when the destination took fewer bytes than offered, or the initialisation's own code.
int InflateStream(TMemoryStream& source, TMemoryStream& destination, std::size_t cap = kDefaultInflateCap);

// Inflates length bytes at data and answers the inflated bytes; length becomes their count.
// A stream cut short yields the bytes inflated so far; corrupt data yields as many zero bytes as
// were inflated before the fault; empty input or a failed initialisation yields nothing.
// Output never passes cap (a caller that knows the size passes it). The result code goes to
// *result when asked for.
std::vector<std::uint8_t> InflateBuffer(const std::uint8_t* data, std::int32_t& length,
                                        std::size_t cap = kDefaultInflateCap, int* result = nullptr);

// What InflateInto did: its code is 0 when the whole stream fitted, kInflateDataError for corrupt,
// truncated or dictionary-needing data, kInflateOutOfMemory, or the initialisation's own code.
// `full` tells that the destination was filled and the stream still had bytes to give.
struct TInflateInto {
  int code = kInflateOk;
  std::size_t produced = 0;
  bool full = false;
};

// Inflates the zlib stream of length bytes at data straight into the caller's memory, at most
// capacity bytes, without any buffer of its own: for data whose size is known beforehand (a
// picture). Safe to call from any thread; calls share nothing.
TInflateInto InflateInto(const std::uint8_t* data, std::size_t length, std::uint8_t* destination,
                         std::size_t capacity);

// The packed bytes in pieces: each call points `piece` at the next bytes and answers their count,
// 0 when there are no more. A piece stays valid until the next call.
using TInflatePieces = std::function<std::size_t(const std::uint8_t*& piece)>;

// The same for packed bytes that arrive piece by piece (read from a file as the inflating goes).
TInflateInto InflateInto(const TInflatePieces& next, std::uint8_t* destination, std::size_t capacity);

// The message of a failure result, or an empty text for the others.
const char* InflateErrorText(int result);
