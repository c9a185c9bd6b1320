// Small helpers shared by the benchmarks: a monotonic stopwatch, zlib streams and texture-like
// test data.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace bench {

inline double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Processor time of the whole process, user and system: unlike wall time, it does not count the
// time other programs on a busy machine take from us.
inline double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A zlib stream of the bytes, at level 6.
inline std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& plain) {
  uLongf size = compressBound(plain.size());
  std::vector<std::uint8_t> packed(size);
  compress2(packed.data(), &size, plain.data(), plain.size(), 6);
  packed.resize(size);
  return packed;
}

// Wall and processor time of one run.
struct Times {
  double wall = 1e9;
  double cpu = 1e9;
  void KeepBest(double w, double c) {
    wall = std::min(wall, w);
    cpu = std::min(cpu, c);
  }
};

// Bytes like an RGB picture row by row: smooth gradients and a little noise.
inline std::vector<std::uint8_t> TextureLike(std::size_t size, std::uint32_t seed, std::size_t width = 1024) {
  std::vector<std::uint8_t> bytes(size);
  std::minstd_rand random(seed);
  const std::size_t phase = seed * 37;
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t pixel = i / 3, x = pixel % width, y = pixel / width;
    const std::size_t channel = i % 3;
    const std::size_t smooth = (x * (channel + 1)) / 5 + (y * (3 - channel)) / 7 + phase;
    const std::uint32_t r = random();
    const std::size_t noise = r % 10 < 3 ? (r / 10) % 3 : 0;  // a little grain on three bytes in ten
    bytes[i] = static_cast<std::uint8_t>(smooth + noise);
  }
  return bytes;
}

// Runs a program to its end: its wall and processor time (the latter does not count what a busy
// machine's other programs take), and whether it ended with status 0.
inline Times RunProgram(const std::vector<std::string>& args, bool* succeeded = nullptr) {
  const double start = Seconds();
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Times times;
  times.wall = Seconds() - start;
  times.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (succeeded != nullptr) *succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return times;
}

}  // namespace bench
