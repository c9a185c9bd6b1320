// The reader of a sound's sample bytes in memory.
#pragma once

#include <cstdint>

#include "sounddevice.h"

// Reads a sound's sample bytes from memory. The bytes belong to the caller and must outlive it.
class CWaveFile {
 public:
  CWaveFile() = default;
  ~CWaveFile() { Close(); }
  CWaveFile(const CWaveFile&) = delete;
  CWaveFile& operator=(const CWaveFile&) = delete;

  // mode 1 = read; any other mode answers E_NOTIMPL (the fields are set all the same).
  HRESULT AttachMemory(const std::uint8_t* data, std::uint32_t size, const WAVEFORMATEX& format, std::uint32_t mode);
  HRESULT Rewind();
  // Copies up to wanted bytes from the read position; *read gets the count copied.
  HRESULT Read(std::uint8_t* destination, std::uint32_t wanted, std::uint32_t* read);
  HRESULT Close() { return S_OK; }

  WAVEFORMATEX Format;
  bool FromMemory = false;
  const std::uint8_t* Data = nullptr;
  const std::uint8_t* ReadPos = nullptr;
  std::uint32_t DataSize = 0;
};
