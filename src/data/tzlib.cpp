#include "tzlib.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <zlib.h>

namespace {

constexpr std::size_t kMaxExpansion = kMaxInflateRatio;
// What packed pictures and sounds usually expand by, at most.
constexpr std::size_t kUsualExpansion = 4;

// Output through a local step buffer, handed to a stream that may take fewer bytes than offered.
struct StreamSink {
  TMemoryStream& destination;
  std::uint8_t buffer[kInflateStep];
  std::uint8_t* Space() { return buffer; }
  bool Commit(std::size_t n) { return destination.Write(buffer, n) == n; }
};

// Output straight into a growing vector: each step is inflated in place, then trimmed to what arrived.
struct VectorSink {
  std::vector<std::uint8_t>& output;
  std::size_t used = 0;
  std::uint8_t* Space() {
    if (output.size() < used + kInflateStep) output.resize(used + kInflateStep);
    return output.data() + used;
  }
  bool Commit(std::size_t n) {
    used += n;
    return true;
  }
};

// The inflate loop shared by both entry points. Input is taken kInflateStep bytes at a time from
// `input`, output is produced kInflateStep bytes at a time into the sink's space, and committed.
// `ended` tells whether the loop ran to its normal end.
template <typename Sink>
int InflateLoop(const std::uint8_t* input, std::size_t inputLength, std::size_t cap, Sink& sink, bool& ended) {
  ended = false;
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  const int init = inflateInit(&stream);
  if (init != Z_OK) return init;

  std::size_t consumed = 0;
  std::size_t produced = 0;
  int last = Z_OK;
  do {
    const std::size_t step = std::min(kInflateStep, inputLength - consumed);
    if (step == 0) break;
    stream.next_in = const_cast<Bytef*>(input + consumed);
    stream.avail_in = static_cast<uInt>(step);
    consumed += step;
    do {
      stream.next_out = sink.Space();
      stream.avail_out = kInflateStep;
      last = inflate(&stream, Z_NO_FLUSH);
      if (last == Z_MEM_ERROR || last == Z_DATA_ERROR) {
        inflateEnd(&stream);
        return last;
      }
      if (last == Z_NEED_DICT) {
        inflateEnd(&stream);
        return Z_DATA_ERROR;
      }
      const std::size_t have = kInflateStep - stream.avail_out;
      if (have > cap - produced) {  // would pass the cap: refuse it as bad data
        inflateEnd(&stream);
        return Z_DATA_ERROR;
      }
      if (!sink.Commit(have)) {
        inflateEnd(&stream);
        return Z_ERRNO;
      }
      produced += have;
    } while (stream.avail_out == 0);
  } while (last != Z_STREAM_END);

  inflateEnd(&stream);
  ended = true;
  return last == Z_STREAM_END ? Z_OK : Z_DATA_ERROR;
}

}  // namespace

int InflateStream(TMemoryStream& source, TMemoryStream& destination, std::size_t cap) {
  source.SetPosition(0);
  bool ended = false;
  auto sink = std::make_unique<StreamSink>(StreamSink{destination, {}});
  const int result = InflateLoop(source.Data(), source.GetSize(), cap, *sink, ended);
  source.SetPosition(source.GetSize());
  if (ended) destination.SetPosition(0);
  return result;
}

std::vector<std::uint8_t> InflateBuffer(const std::uint8_t* data, std::int32_t& length, std::size_t cap,
                                        int* result) {
  std::vector<std::uint8_t> output;
  const std::size_t inputLength = (data == nullptr || length <= 0) ? 0 : std::size_t(length);
  // The answered length is 32-bit, so no cap may let the output pass what it can count.
  cap = std::min<std::size_t>(cap, std::numeric_limits<std::int32_t>::max());
  // A caller that knows the size passes it as the cap: reserve it, but never more than the input
  // could possibly inflate to, so a tiny stream that claims a huge image costs nothing. Without a
  // size, reserve a guess that covers the usual ratios, so that large outputs are rarely copied
  // while they grow (pages of the reserve that are never written are never touched).
  const std::size_t expected = cap < kDefaultInflateCap ? std::min(cap, inputLength * kMaxExpansion)
                                                        : std::min(cap, inputLength * kUsualExpansion);
  output.reserve(expected + kInflateStep);
  VectorSink sink{output};
  bool ended = false;
  const int code = InflateLoop(data, inputLength, cap, sink, ended);
  output.resize(sink.used);
  // Output read from where a failed inflate left it holds nothing but the zeros it was given.
  if (!ended) std::fill(output.begin(), output.end(), 0);
  length = static_cast<std::int32_t>(output.size());
  if (result != nullptr) *result = code;
  return output;
}

TInflateInto InflateInto(const TInflatePieces& next, std::uint8_t* destination, std::size_t capacity) {
  TInflateInto out;
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  out.code = inflateInit(&stream);
  if (out.code != Z_OK) return out;

  // zlib counts in 32 bits: offer output in pieces it can count.
  constexpr std::size_t kPiece = std::size_t(1) << 30;
  bool inputLeft = true;
  int last = Z_OK;
  while (last != Z_STREAM_END) {
    if (stream.avail_in == 0 && inputLeft) {
      const std::uint8_t* piece = nullptr;
      const std::size_t length = std::min<std::size_t>(next(piece), std::numeric_limits<uInt>::max());
      inputLeft = length > 0;
      stream.next_in = const_cast<Bytef*>(piece);
      stream.avail_in = static_cast<uInt>(length);
    }
    if (stream.avail_out == 0 && out.produced < capacity) {
      stream.next_out = destination + out.produced;
      stream.avail_out = static_cast<uInt>(std::min(kPiece, capacity - out.produced));
    }
    if (stream.avail_out == 0) {
      // The destination is full. One more byte of room tells a stream that ends here (only its
      // check value left) from one that goes on.
      std::uint8_t probe = 0;
      stream.next_out = &probe;
      stream.avail_out = 1;
      last = inflate(&stream, Z_NO_FLUSH);
      if (stream.avail_out == 0) {
        out.full = true;
        break;
      }
      stream.avail_out = 0;
    } else {
      const uInt space = stream.avail_out;
      last = inflate(&stream, Z_NO_FLUSH);
      out.produced += space - stream.avail_out;
    }
    if (last == Z_NEED_DICT) last = Z_DATA_ERROR;
    if (last == Z_MEM_ERROR || last == Z_DATA_ERROR) break;
    // No progress with input left to give: the input ended before the stream did.
    if (last == Z_BUF_ERROR && stream.avail_in == 0 && !inputLeft) break;
  }
  inflateEnd(&stream);
  if (out.full) {
    out.code = kInflateDataError;  // more than the caller announced
  } else if (last == Z_STREAM_END) {
    out.code = kInflateOk;
  } else {
    out.code = last == Z_MEM_ERROR ? kInflateOutOfMemory : kInflateDataError;
  }
  return out;
}

TInflateInto InflateInto(const std::uint8_t* data, std::size_t length, std::uint8_t* destination,
                         std::size_t capacity) {
  // The bytes in memory are handed over as they are, a gigabyte at a time.
  constexpr std::size_t kPiece = std::size_t(1) << 30;
  std::size_t consumed = 0;
  const TInflatePieces pieces = [&](const std::uint8_t*& piece) {
    const std::size_t count = std::min(kPiece, length - consumed);
    piece = data + consumed;
    consumed += count;
    return count;
  };
  return InflateInto(pieces, destination, capacity);
}

const char* InflateErrorText(int result) {
  switch (result) {
    case kInflateShortWrite: return "Error: reading(writing) on stdin(out)";
    case kInflateStreamError: return "Invalid compressione level";
    case kInflateDataError: return "Invalid or incomplete deflate data";
    case kInflateOutOfMemory: return "Out of memory";
    case kInflateVersionError: return "ZLib version mismatch!";
    default: return "";
  }
}
