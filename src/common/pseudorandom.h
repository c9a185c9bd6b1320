// The program's one pseudo-random generator and its tick count.
#pragma once

#include <cstdint>
#include <functional>

class TPseudoRandom {
 public:
  // state = seed, then one draw is made and thrown away.
  void Seed(std::uint32_t seed);
  // state = state * 22695477 + 1 (mod 2^32); answers (state >> 16) & 0x7FFF, so 0..32767.
  int Next();
  std::uint32_t GetState() const { return State; }

 private:
  std::uint32_t State = 0;
};

// The generator the whole program draws from (GUI thread only).
TPseudoRandom& ProgramRandom();

// Milliseconds of a monotonic clock, as a wrapping 32-bit value.
std::uint32_t GetTickCount();
// Tests may stand in for the clock; an empty function restores it.
void SetTickCountSource(std::function<std::uint32_t()> source);
