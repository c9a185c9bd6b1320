#include "tzlib.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace {

// The inflate loop shared by both entry points. Input is taken kInflateStep bytes at a time from
// `input`, output is produced kInflateStep bytes at a time and handed to `emit`, which answers
// how many bytes it accepted. `ended` tells whether the loop ran to its normal end.
template <typename Emit>
int InflateLoop(const std::uint8_t* input, std::size_t inputLength, std::size_t cap, Emit emit, bool& ended) {
  ended = false;
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  const int init = inflateInit(&stream);
  if (init != Z_OK) return init;

  std::uint8_t out[kInflateStep];
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
      stream.next_out = out;
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
      if (emit(out, have) != have) {
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
  const int result = InflateLoop(
      source.Data(), source.GetSize(), cap,
      [&](const std::uint8_t* bytes, std::size_t n) { return destination.Write(bytes, n); }, ended);
  source.SetPosition(source.GetSize());
  if (ended) destination.SetPosition(0);
  return result;
}

std::vector<std::uint8_t> InflateBuffer(const std::uint8_t* data, std::int32_t& length, std::size_t cap,
                                        int* result) {
  std::vector<std::uint8_t> output;
  const std::size_t inputLength = (data == nullptr || length <= 0) ? 0 : std::size_t(length);
  if (cap < kDefaultInflateCap) output.reserve(cap);  // the caller knows what to expect
  bool ended = false;
  const int code = InflateLoop(
      data, inputLength, cap,
      [&](const std::uint8_t* bytes, std::size_t n) {
        output.insert(output.end(), bytes, bytes + n);
        return n;
      },
      ended);
  // Output read from where a failed inflate left it holds nothing but the zeros it was given.
  if (!ended) std::fill(output.begin(), output.end(), 0);
  length = static_cast<std::int32_t>(output.size());
  if (result != nullptr) *result = code;
  return output;
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
