#include "pseudorandom.h"

#include <chrono>

void TPseudoRandom::Seed(std::uint32_t seed) {
  State = seed;
  Next();
}

int TPseudoRandom::Next() {
  State = State * 22695477u + 1u;
  return static_cast<int>((State >> 16) & 0x7FFFu);
}

TPseudoRandom& ProgramRandom() {
  static TPseudoRandom generator;
  return generator;
}

namespace {
std::function<std::uint32_t()>& TickSource() {
  static std::function<std::uint32_t()> source;
  return source;
}
}  // namespace

std::uint32_t GetTickCount() {
  if (TickSource()) return TickSource()();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SetTickCountSource(std::function<std::uint32_t()> source) { TickSource() = std::move(source); }
