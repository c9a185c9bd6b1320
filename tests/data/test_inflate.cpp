// Inflating packed chunk data: both entry points on real zlib streams and on the ways a stream
// goes wrong.
#include <gtest/gtest.h>

#include <random>

#include "data/tzlib.h"
#include "testutil.h"

using namespace testutil;

namespace {

struct Inflated {
  Bytes bytes;
  std::int32_t length = 0;
  int result = 0;
};

Inflated Buffer(const Bytes& packed, std::size_t cap = kDefaultInflateCap) {
  Inflated out;
  out.length = static_cast<std::int32_t>(packed.size());
  out.bytes = InflateBuffer(packed.data(), out.length, cap, &out.result);
  return out;
}

int Stream(const Bytes& packed, Bytes& plain) {
  TMemoryStream source(packed);
  TMemoryStream destination;
  const int result = InflateStream(source, destination);
  plain = destination.Buffer();
  return result;
}

Bytes Noise(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes b(size);
  for (auto& x : b) x = std::uint8_t(random());
  return b;
}

// A deflate stream as zlib writes it, without the two-byte header and four-byte trailer,
// and the same data as a gzip member.
Bytes Deflate(const Bytes& plain, int windowBits) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, plain.size()) + 32);
  z.next_in = const_cast<Bytef*>(plain.data());
  z.avail_in = uInt(plain.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace

TEST(Inflate, WholeStreams) {
  const Bytes texture = TextureLike(3 * 16384 * 5 + 123);
  const Bytes exact = TextureLike(16384 * 4);
  const Bytes noise = Noise(100000, 3);  // packs to more than 16384 bytes: several input steps
  for (const Bytes* plain : {&texture, &exact, &noise}) {
    const Bytes packed = Compress(*plain);
    const Inflated out = Buffer(packed);
    EXPECT_EQ(out.result, kInflateOk);
    EXPECT_EQ(out.length, std::int32_t(plain->size()));
    EXPECT_EQ(out.bytes, *plain);
    Bytes streamed;
    EXPECT_EQ(Stream(packed, streamed), kInflateOk);
    EXPECT_EQ(streamed, *plain);
  }
  EXPECT_GT(Compress(noise).size(), 16384u);

  // Capped at exactly the expected size is enough.
  const Inflated capped = Buffer(Compress(exact), exact.size());
  EXPECT_EQ(capped.result, kInflateOk);
  EXPECT_EQ(capped.bytes, exact);

  // An empty payload is still a complete stream.
  const Inflated nothing = Buffer(Compress({}));
  EXPECT_EQ(nothing.result, kInflateOk);
  EXPECT_EQ(nothing.length, 0);
}

TEST(Inflate, TrailingBytesAreIgnored) {
  const Bytes plain = TextureLike(50000);
  Bytes packed = Compress(plain);
  const Bytes garbage = Noise(20000, 9);
  packed.insert(packed.end(), garbage.begin(), garbage.end());
  const Inflated out = Buffer(packed);
  EXPECT_EQ(out.result, kInflateOk);
  EXPECT_EQ(out.bytes, plain);
}

TEST(Inflate, BadStreams) {
  const Bytes plain = TextureLike(40000);

  const Inflated empty = Buffer({});
  EXPECT_EQ(empty.result, kInflateDataError);
  EXPECT_EQ(empty.length, 0);
  Bytes streamed{1};
  EXPECT_EQ(Stream({}, streamed), kInflateDataError);
  EXPECT_TRUE(streamed.empty());
  std::int32_t length = 10;
  EXPECT_TRUE(InflateBuffer(nullptr, length).empty());
  EXPECT_EQ(length, 0);

  for (int windowBits : {-15, 31}) {  // raw deflate, gzip
    SCOPED_TRACE(windowBits);
    const Inflated out = Buffer(Deflate(plain, windowBits));
    EXPECT_EQ(out.result, kInflateDataError);
    EXPECT_EQ(out.length, 0);
  }

  // Cut in its last bytes: the bytes inflated so far, unchanged.
  Bytes packed = Compress(plain);
  packed.resize(packed.size() - 3);
  const Inflated cut = Buffer(packed);
  EXPECT_EQ(cut.result, kInflateDataError);
  EXPECT_GT(cut.length, 0);
  EXPECT_LE(cut.length, std::int32_t(plain.size()));
  EXPECT_TRUE(std::equal(cut.bytes.begin(), cut.bytes.end(), plain.begin()));

  // Corrupt in the middle: as many bytes as were inflated, all zeros.
  packed = Compress(plain);
  for (std::size_t i = packed.size() / 2; i < packed.size() / 2 + 64; ++i) packed[i] ^= 0xA5;
  const Inflated corrupt = Buffer(packed);
  EXPECT_EQ(corrupt.result, kInflateDataError);
  EXPECT_TRUE(std::all_of(corrupt.bytes.begin(), corrupt.bytes.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(corrupt.length, std::int32_t(corrupt.bytes.size()));

  // A preset dictionary is a data error.
  z_stream z{};
  deflateInit(&z, 6);
  const Bytes dictionary = Text("dictionary");
  deflateSetDictionary(&z, dictionary.data(), uInt(dictionary.size()));
  Bytes withDict(1000);
  const Bytes small = Text("dictionary dictionary");
  z.next_in = const_cast<Bytef*>(small.data());
  z.avail_in = uInt(small.size());
  z.next_out = withDict.data();
  z.avail_out = uInt(withDict.size());
  deflate(&z, Z_FINISH);
  withDict.resize(z.total_out);
  deflateEnd(&z);
  EXPECT_EQ(Buffer(withDict).result, kInflateDataError);
}

TEST(Inflate, OutputCap) {
  // 16 MiB of zeros pack into about 16 KiB: a small stream that asks for a lot of memory.
  const Bytes bomb = Compress(Bytes(std::size_t(16) << 20, 0), 9);
  ASSERT_LT(bomb.size(), 20000u);
  const Inflated capped = Buffer(bomb, 1 << 20);
  EXPECT_EQ(capped.result, kInflateDataError);
  EXPECT_LE(capped.bytes.size(), std::size_t(1) << 20);
  EXPECT_EQ(capped.length, std::int32_t(capped.bytes.size()));

  // A huge expected size does not make a small stream reserve it.
  const Bytes tiny = Compress(Text("four"));
  const Inflated claims = Buffer(tiny, std::size_t(32767) * 32767 * 4);
  EXPECT_EQ(claims.result, kInflateOk);
  EXPECT_EQ(claims.bytes, Text("four"));
  EXPECT_LT(claims.bytes.capacity(), std::size_t(1) << 20);

  TMemoryStream source(bomb);
  TMemoryStream destination;
  EXPECT_EQ(InflateStream(source, destination, 100000), kInflateDataError);
  EXPECT_LE(destination.GetSize(), 100000u);
}

TEST(Inflate, ErrorTexts) {
  EXPECT_STREQ(InflateErrorText(-1), "Error: reading(writing) on stdin(out)");
  EXPECT_STREQ(InflateErrorText(-2), "Invalid compressione level");
  EXPECT_STREQ(InflateErrorText(-3), "Invalid or incomplete deflate data");
  EXPECT_STREQ(InflateErrorText(-4), "Out of memory");
  EXPECT_STREQ(InflateErrorText(-6), "ZLib version mismatch!");
  EXPECT_STREQ(InflateErrorText(0), "");
}

// Straight into the caller's memory: never a byte past what it offers, and every way a stream
// can disagree with the size the caller expects.
TEST(InflateInto, FillsOnlyTheCallersMemory) {
  constexpr std::size_t kGuard = 64;
  const Bytes plain = TextureLike(16384 * 12);  // a multiple of zlib's usual step
  const Bytes packed = Compress(plain);
  auto into = [&](const Bytes& stream, std::size_t capacity, Bytes& memory) {
    memory.assign(capacity + kGuard, 0xEE);
    const TInflateInto out = InflateInto(stream.data(), stream.size(), memory.data(), capacity);
    EXPECT_TRUE(std::all_of(memory.end() - kGuard, memory.end(), [](std::uint8_t b) { return b == 0xEE; }));
    memory.resize(out.produced);
    return out;
  };
  Bytes memory;

  TInflateInto out = into(packed, plain.size(), memory);  // exactly the size
  EXPECT_EQ(out.code, kInflateOk);
  EXPECT_FALSE(out.full);
  EXPECT_EQ(memory, plain);

  out = into(packed, plain.size() + 1000, memory);  // more room than needed
  EXPECT_EQ(out.code, kInflateOk);
  EXPECT_EQ(memory, plain);

  out = into(packed, 1000, memory);  // less: the first bytes, and the stream had more
  EXPECT_TRUE(out.full);
  EXPECT_EQ(out.code, kInflateDataError);
  EXPECT_EQ(memory, Bytes(plain.begin(), plain.begin() + 1000));

  Bytes trailing = packed;  // bytes after the stream change nothing
  trailing.insert(trailing.end(), 500, 0x5A);
  out = into(trailing, plain.size(), memory);
  EXPECT_EQ(out.code, kInflateOk);
  EXPECT_EQ(memory, plain);

  // Cut in its check value: every byte arrived, yet the stream is incomplete.
  out = into(Bytes(packed.begin(), packed.end() - 2), plain.size(), memory);
  EXPECT_EQ(out.code, kInflateDataError);
  EXPECT_FALSE(out.full);
  Bytes badCheck = packed;
  badCheck.back() ^= 0xFF;
  out = into(badCheck, plain.size(), memory);
  EXPECT_EQ(out.code, kInflateDataError);
  EXPECT_EQ(out.produced, plain.size());

  out = into(Bytes(packed.begin(), packed.begin() + packed.size() / 2), plain.size(), memory);
  EXPECT_EQ(out.code, kInflateDataError);
  EXPECT_LT(out.produced, plain.size());

  for (int windowBits : {-15, 31}) EXPECT_EQ(into(Deflate(plain, windowBits), plain.size(), memory).code, kInflateDataError);
  EXPECT_EQ(into({}, 10, memory).code, kInflateDataError);
  EXPECT_EQ(into(Compress({}), 0, memory).code, kInflateOk);
}

TEST(InflateInto, PiecesOfAnySizeGiveWhatOneBufferGives) {
  const Bytes plain = TextureLike(16384 * 5 + 77);
  const Bytes packed = Compress(plain);
  Bytes badCheck = packed;
  if (!badCheck.empty()) badCheck.back() ^= 0xFF;
  Bytes trailing = packed;
  trailing.insert(trailing.end(), 300, 0x5A);
  const Bytes cut(packed.begin(), packed.begin() + packed.size() / 2);
  struct Case {
    const Bytes* stream;
    std::size_t capacity;
  };
  const Case cases[] = {{&packed, plain.size()}, {&packed, 1000},        {&packed, plain.size() + 9},
                        {&badCheck, plain.size()}, {&trailing, plain.size()}, {&cut, plain.size()}};
  for (const Case& c : cases) {
    Bytes whole(c.capacity), pieced(c.capacity);
    const TInflateInto expected = InflateInto(c.stream->data(), c.stream->size(), whole.data(), c.capacity);
    for (std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(4096), c.stream->size()}) {
      std::size_t given = 0;
      const TInflatePieces next = [&](const std::uint8_t*& at) {
        const std::size_t count = std::min(piece, c.stream->size() - given);
        at = c.stream->data() + given;
        given += count;
        return count;
      };
      std::fill(pieced.begin(), pieced.end(), 0);
      const TInflateInto got = InflateInto(next, pieced.data(), c.capacity);
      EXPECT_EQ(got.code, expected.code) << piece;
      EXPECT_EQ(got.produced, expected.produced) << piece;
      EXPECT_EQ(got.full, expected.full) << piece;
      EXPECT_EQ(pieced, whole) << piece;
    }
  }
}
