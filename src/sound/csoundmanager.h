// The sound engine's device owner, which makes sounds from sample bytes in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "csound.h"
#include "sounddevice.h"

// Owns the device and makes sounds on it.
class CSoundManager {
 public:
  // Without a factory the OpenAL device is used.
  CSoundManager();
  explicit CSoundManager(SoundDeviceFactory factory);
  ~CSoundManager();
  CSoundManager(const CSoundManager&) = delete;
  CSoundManager& operator=(const CSoundManager&) = delete;

  HRESULT OpenDevice(void* window, std::uint32_t level, const GUID* device);
  HRESULT SetPrimaryFormat(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample);
  // The bytes must outlive the sound. *sound is written only on success. Data that does not end
  // on a whole block (an odd byte count of 16-bit samples) plays its whole blocks.
  HRESULT MakeSound(std::unique_ptr<CSound>* sound, const std::uint8_t* bytes, std::uint32_t count,
                    const WAVEFORMATEX& format, std::uint32_t creationFlags, GUID algorithm,
                    std::uint32_t bufferCount);

  ISoundDevice* GetDevice() const { return Device.get(); }

 private:
  SoundDeviceFactory Factory;
  std::unique_ptr<ISoundDevice> Device;
};
