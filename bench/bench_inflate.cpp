// InflateBuffer against one plain zlib uncompress into a buffer of known size, on 64 MiB of
// texture-like data packed once at level 6. Prints both throughputs (MB/s of output, from wall
// and from processor time) and their ratio. Every timing includes allocating the output.
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "benchutil.h"
#include "data/tzlib.h"

namespace {

constexpr std::size_t kSize = std::size_t(64) << 20;
constexpr int kRounds = 5;

template <typename Run>
bench::Times Time(Run run) {
  const double cpu = bench::CpuSeconds();
  const double wall = bench::Seconds();
  run();
  bench::Times t;
  t.KeepBest(bench::Seconds() - wall, bench::CpuSeconds() - cpu);
  return t;
}

}  // namespace

int main() {
  const std::vector<std::uint8_t> plain = bench::TextureLike(kSize, 1);
  uLongf packedSize = compressBound(kSize);
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, plain.data(), kSize, 6) != Z_OK) return 1;
  packed.resize(packedSize);
  std::printf("bench_inflate: %zu bytes of texture-like data packed at level 6 to %zu (%.1f %%)\n", kSize,
              packed.size(), 100.0 * double(packed.size()) / double(kSize));

  bench::Times plainBest, unknownBest, knownBest;
  bool same = true;
  for (int round = 0; round < kRounds; ++round) {
    std::unique_ptr<std::uint8_t[]> out;
    const bench::Times a = Time([&] {
      out.reset(new std::uint8_t[kSize]);
      uLongf outSize = kSize;
      same &= uncompress(out.get(), &outSize, packed.data(), packed.size()) == Z_OK && outSize == kSize;
    });
    same &= std::equal(plain.begin(), plain.end(), out.get());
    out.reset();
    plainBest.KeepBest(a.wall, a.cpu);

    std::vector<std::uint8_t> result;
    const bench::Times b = Time([&] {
      std::int32_t length = static_cast<std::int32_t>(packed.size());
      result = InflateBuffer(packed.data(), length);
    });
    same &= result == plain;
    result = {};
    unknownBest.KeepBest(b.wall, b.cpu);

    const bench::Times c = Time([&] {
      std::int32_t length = static_cast<std::int32_t>(packed.size());
      result = InflateBuffer(packed.data(), length, kSize);
    });
    same &= result == plain;
    result = {};
    knownBest.KeepBest(c.wall, c.cpu);
  }
  if (!same) {
    std::fprintf(stderr, "bench_inflate: the outputs differ\n");
    return 1;
  }
  const double mb = double(kSize) / 1e6;
  auto line = [&](const char* what, const bench::Times& t) {
    std::printf("  %-36s wall %7.1f MB/s (ratio %.3f)   cpu %7.1f MB/s (ratio %.3f)\n", what, mb / t.wall,
                plainBest.wall / t.wall, mb / t.cpu, plainBest.cpu / t.cpu);
  };
  line("zlib uncompress (known size):", plainBest);
  line("InflateBuffer (size not given):", unknownBest);
  line("InflateBuffer (expected size given):", knownBest);
  std::printf("  (best of %d rounds; ratio = throughput / uncompress throughput, goal >= 0.9)\n", kRounds);
  return 0;
}
