#include "csoundmanager.h"

#include <new>

#include "openalsounddevice.h"

CSoundManager::CSoundManager() : Factory(&OpenOpenALSoundDevice) {}

CSoundManager::CSoundManager(SoundDeviceFactory factory)
    : Factory(factory ? std::move(factory) : SoundDeviceFactory(&OpenOpenALSoundDevice)) {}

CSoundManager::~CSoundManager() { Device.reset(); }

HRESULT CSoundManager::OpenDevice(void* window, std::uint32_t level, const GUID* device) {
  std::unique_ptr<ISoundDevice> opened;
  HRESULT result = Factory(device, opened);
  if (FAILED(result)) return result;
  if (!opened) return E_FAIL;
  Device = std::move(opened);
  result = Device->SetCooperativeLevel(window, level);
  if (FAILED(result)) return result;
  return S_OK;
}

HRESULT CSoundManager::SetPrimaryFormat(std::uint16_t channels, std::uint32_t samplesPerSec,
                                        std::uint16_t bitsPerSample) {
  if (!Device) return CO_E_NOTINITIALIZED;

  DSBUFFERDESC desc;
  desc.dwSize = kBufferDescSize;
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
  std::unique_ptr<ISoundBuffer> primary;
  HRESULT result = Device->CreateSoundBuffer(desc, primary);
  if (FAILED(result)) return result;
  if (!primary) return E_FAIL;

  const WAVEFORMATEX format = PcmFormat(channels, samplesPerSec, bitsPerSample);
  result = primary->SetFormat(&format);
  if (FAILED(result)) return result;
  return S_OK;
}

HRESULT CSoundManager::MakeSound(std::unique_ptr<CSound>* sound, const std::uint8_t* bytes, std::uint32_t count,
                                 const WAVEFORMATEX& format, std::uint32_t creationFlags, GUID algorithm,
                                 std::uint32_t bufferCount) {
  if (!Device) return CO_E_NOTINITIALIZED;
  if (bytes == nullptr || sound == nullptr || bufferCount == 0) return E_INVALIDARG;

  // A buffer holds whole blocks only: a last, incomplete sample is left out rather than handed
  // to a device that would refuse it or read past the data.
  if (format.nBlockAlign > 1) count -= count % format.nBlockAlign;

  try {
    std::vector<std::unique_ptr<ISoundBuffer>> buffers(bufferCount);
    auto wave = std::make_unique<CWaveFile>();
    wave->AttachMemory(bytes, count, format, 1);

    DSBUFFERDESC desc;
    desc.dwSize = kBufferDescSize;
    desc.dwFlags = creationFlags;
    desc.dwBufferBytes = count;
    desc.lpwfxFormat = &wave->Format;
    desc.guid3DAlgorithm = algorithm;
    HRESULT result = Device->CreateSoundBuffer(desc, buffers[0]);
    if (FAILED(result)) return result;
    if (!buffers[0]) return E_FAIL;

    for (std::uint32_t i = 1; i < bufferCount; ++i) {
      if ((creationFlags & DSBCAPS_CTRLFX) == 0)
        result = Device->DuplicateSoundBuffer(buffers[0].get(), buffers[i]);
      else
        result = Device->CreateSoundBuffer(desc, buffers[i]);
      if (FAILED(result)) return result;
      if (!buffers[i]) return E_FAIL;
    }

    *sound = std::make_unique<CSound>(std::move(buffers), count, bufferCount, std::move(wave), creationFlags);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
