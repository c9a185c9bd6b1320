// One playable sound of the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cwavefile.h"
#include "sounddevice.h"

// One playable sound: one or more static buffers holding the whole sound.
class CSound {
 public:
  CSound(std::vector<std::unique_ptr<ISoundBuffer>> buffers, std::uint32_t bufferBytes, std::uint32_t bufferCount,
         std::unique_ptr<CWaveFile> wave, std::uint32_t creationFlags);
  virtual ~CSound();
  CSound(const CSound&) = delete;
  CSound& operator=(const CSound&) = delete;

  HRESULT Play(std::uint32_t priority, std::uint32_t flags, std::int32_t volume, std::int32_t frequency,
               std::int32_t pan);
  HRESULT Stop();
  ISoundBuffer* BufferAt(std::uint32_t index) const;
  // The first buffer that is not playing; a random one when all are.
  ISoundBuffer* PickBuffer() const;
  // Restores a lost buffer (*restored tells whether it was lost); S_FALSE when it was not lost.
  HRESULT RecoverBuffer(ISoundBuffer* buffer, bool* restored);
  // Writes the sound into the buffer, padding the rest with silence (or the sound again).
  HRESULT FillBuffer(ISoundBuffer* buffer, bool repeat);

  std::uint32_t GetBufferBytes() const { return BufferBytes; }
  std::uint32_t GetBufferCount() const { return BufferCount; }
  std::uint32_t GetCreationFlags() const { return CreationFlags; }
  const CWaveFile* GetWave() const { return Wave.get(); }

  // How long RecoverBuffer waits between refused restores, and how often it tries before giving
  // up. The wait is replaceable so that tests need not sleep.
  static constexpr std::uint32_t kRestoreWaitMs = 10;
  static constexpr int kRestoreAttempts = 200;
  using SleepFunction = void (*)(std::uint32_t milliseconds);
  static void SetSleepFunction(SleepFunction function);

 private:
  std::unique_ptr<CWaveFile> Wave;
  std::vector<std::unique_ptr<ISoundBuffer>> Buffers;
  std::uint32_t BufferBytes = 0;
  std::uint32_t BufferCount = 0;
  std::uint32_t CreationFlags = 0;
};
