#include "csound.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

void SleepMilliseconds(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

CSound::SleepFunction Sleeper = &SleepMilliseconds;

}  // namespace

void CSound::SetSleepFunction(SleepFunction function) { Sleeper = function != nullptr ? function : &SleepMilliseconds; }

CSound::CSound(std::vector<std::unique_ptr<ISoundBuffer>> buffers, std::uint32_t bufferBytes,
               std::uint32_t bufferCount, std::unique_ptr<CWaveFile> wave, std::uint32_t creationFlags)
    : Wave(std::move(wave)),
      Buffers(std::move(buffers)),
      BufferBytes(bufferBytes),
      BufferCount(bufferCount),
      CreationFlags(creationFlags) {
  // The slot count is what the array holds, whatever the caller claimed.
  Buffers.resize(BufferCount);
  if (!Buffers.empty()) FillBuffer(Buffers[0].get(), false);
}

CSound::~CSound() {
  // Buffers go before the reader; the reader's bytes belong to the owner.
  Buffers.clear();
  Wave.reset();
}

ISoundBuffer* CSound::BufferAt(std::uint32_t index) const {
  if (Buffers.empty() || index >= BufferCount) return nullptr;
  return Buffers[index].get();
}

ISoundBuffer* CSound::PickBuffer() const {
  if (Buffers.empty()) return nullptr;
  for (const auto& buffer : Buffers) {
    if (!buffer) continue;
    std::uint32_t status = 0;
    buffer->GetStatus(&status);
    if ((status & DSBSTATUS_PLAYING) == 0) return buffer.get();
  }
  const auto index = static_cast<std::uint32_t>(std::rand()) % BufferCount;
  return Buffers[index].get();
}

HRESULT CSound::RecoverBuffer(ISoundBuffer* buffer, bool* restored) {
  if (buffer == nullptr) return CO_E_NOTINITIALIZED;
  if (restored != nullptr) *restored = false;
  std::uint32_t status = 0;
  HRESULT result = buffer->GetStatus(&status);
  if (FAILED(result)) return result;
  if ((status & DSBSTATUS_BUFFERLOST) == 0) return S_FALSE;
  // The device gives the memory back once the program may play again. Wait for it, but not for
  // ever: a device that keeps refusing must not hang the window that plays.
  int attempts = 0;
  while ((result = buffer->Restore()) == DSERR_BUFFERLOST) {
    if (++attempts >= kRestoreAttempts) return DSERR_BUFFERLOST;
    Sleeper(kRestoreWaitMs);
  }
  if (restored != nullptr) *restored = true;
  return S_OK;
}

HRESULT CSound::FillBuffer(ISoundBuffer* buffer, bool repeat) {
  if (buffer == nullptr) return CO_E_NOTINITIALIZED;
  HRESULT result = RecoverBuffer(buffer, nullptr);
  if (FAILED(result)) return result;
  if (!Wave) return CO_E_NOTINITIALIZED;

  void* region = nullptr;
  std::uint32_t regionBytes = 0;
  result = buffer->Lock(0, BufferBytes, &region, &regionBytes, 0);
  if (FAILED(result)) return result;
  auto* bytes = static_cast<std::uint8_t*>(region);

  Wave->Rewind();
  std::uint32_t read = 0;
  result = Wave->Read(bytes, regionBytes, &read);
  if (FAILED(result)) {
    buffer->Unlock(region, regionBytes);
    return result;
  }
  const std::uint8_t silence = Wave->Format.wBitsPerSample == 8 ? 128 : 0;
  if (read == 0) {
    std::memset(bytes, silence, regionBytes);
  } else if (read < regionBytes) {
    if (repeat) {
      std::uint32_t filled = read;
      while (filled < regionBytes) {
        Wave->Rewind();
        std::uint32_t more = 0;
        result = Wave->Read(bytes + filled, regionBytes - filled, &more);
        if (FAILED(result) || more == 0) break;
        filled += more;
      }
      if (filled < regionBytes) std::memset(bytes + filled, silence, regionBytes - filled);
    } else {
      std::memset(bytes + read, silence, regionBytes - read);
    }
  }
  buffer->Unlock(region, regionBytes);
  return S_OK;
}

HRESULT CSound::Play(std::uint32_t priority, std::uint32_t flags, std::int32_t volume, std::int32_t frequency,
                     std::int32_t pan) {
  if (Buffers.empty()) return CO_E_NOTINITIALIZED;
  ISoundBuffer* buffer = PickBuffer();
  if (buffer == nullptr) return E_FAIL;

  bool restored = false;
  HRESULT result = RecoverBuffer(buffer, &restored);
  if (FAILED(result)) return result;
  if (restored) {
    result = FillBuffer(buffer, false);
    if (FAILED(result)) return result;
  }

  if (CreationFlags & DSBCAPS_CTRLVOLUME) buffer->SetVolume(volume);
  if (frequency != -1 && (CreationFlags & DSBCAPS_CTRLFREQUENCY))
    buffer->SetFrequency(static_cast<std::uint32_t>(frequency));
  if (CreationFlags & DSBCAPS_CTRLPAN) buffer->SetPan(pan);

  return buffer->Play(0, priority, flags);
}

HRESULT CSound::Stop() {
  if (Buffers.empty()) return CO_E_NOTINITIALIZED;
  HRESULT result = S_OK;
  for (const auto& buffer : Buffers) {
    if (buffer) result |= buffer->Stop();
  }
  return result;
}
