#include "cwavefile.h"

#include <cstring>

HRESULT CWaveFile::AttachMemory(const std::uint8_t* data, std::uint32_t size, const WAVEFORMATEX& format,
                                std::uint32_t mode) {
  Format = format;
  FromMemory = true;
  Data = data;
  ReadPos = data;
  DataSize = size;
  return mode == 1 ? S_OK : E_NOTIMPL;
}

HRESULT CWaveFile::Rewind() {
  ReadPos = Data;
  return S_OK;
}

HRESULT CWaveFile::Read(std::uint8_t* destination, std::uint32_t wanted, std::uint32_t* read) {
  if (ReadPos == nullptr) return CO_E_NOTINITIALIZED;
  if (read != nullptr) *read = 0;
  // Compare against what remains rather than adding to the position, which could wrap.
  const std::size_t consumed = static_cast<std::size_t>(ReadPos - Data);
  const std::size_t remaining = consumed < DataSize ? DataSize - consumed : 0;
  if (wanted > remaining) wanted = static_cast<std::uint32_t>(remaining);
  if (wanted > 0) {
    if (destination == nullptr) return E_INVALIDARG;
    std::memcpy(destination, ReadPos, wanted);
    ReadPos += wanted;
  }
  if (read != nullptr) *read = wanted;
  return S_OK;
}
