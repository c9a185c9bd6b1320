// The sound device as the engine sees it: a device that makes static buffers holding whole
// sounds, and the buffers themselves. Names and codes follow DirectSound's; OpenAL Soft
// (openalsounddevice.h) plays them, and an in-memory device (memorysounddevice.h) stands in for
// it in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// 32-bit result codes: 0 or positive on success, negative on failure.
using HRESULT = std::int32_t;

constexpr HRESULT ResultCode(std::uint32_t value) { return static_cast<HRESULT>(value); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT DS_OK = 0;
constexpr HRESULT E_NOTIMPL = ResultCode(0x80004001u);
constexpr HRESULT E_FAIL = ResultCode(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = ResultCode(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = ResultCode(0x80070057u);
constexpr HRESULT CO_E_NOTINITIALIZED = ResultCode(0x800401F0u);
constexpr HRESULT DSERR_BUFFERLOST = ResultCode(0x88780096u);
constexpr HRESULT DSERR_INVALIDCALL = ResultCode(0x88780032u);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_BADFORMAT = ResultCode(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = ResultCode(0x88780078u);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;

constexpr bool SUCCEEDED(HRESULT result) { return result >= 0; }
constexpr bool FAILED(HRESULT result) { return result < 0; }

// Buffer capability flags.
constexpr std::uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001u;
constexpr std::uint32_t DSBCAPS_STATIC = 0x00000002u;
constexpr std::uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020u;
constexpr std::uint32_t DSBCAPS_CTRLPAN = 0x00000040u;
constexpr std::uint32_t DSBCAPS_CTRLVOLUME = 0x00000080u;
constexpr std::uint32_t DSBCAPS_CTRLFX = 0x00000200u;

// Buffer status bits.
constexpr std::uint32_t DSBSTATUS_PLAYING = 0x00000001u;
constexpr std::uint32_t DSBSTATUS_BUFFERLOST = 0x00000002u;
constexpr std::uint32_t DSBSTATUS_LOOPING = 0x00000004u;

// Play flags.
constexpr std::uint32_t DSBPLAY_LOOPING = 0x00000001u;

// Cooperative levels.
constexpr std::uint32_t DSSCL_NORMAL = 1;
constexpr std::uint32_t DSSCL_PRIORITY = 2;

// Limits of the buffer controls.
constexpr std::int32_t DSBVOLUME_MIN = -10000;
constexpr std::int32_t DSBVOLUME_MAX = 0;
constexpr std::int32_t DSBPAN_LEFT = -10000;
constexpr std::int32_t DSBPAN_RIGHT = 10000;
constexpr std::uint32_t DSBFREQUENCY_ORIGINAL = 0;
constexpr std::uint32_t DSBFREQUENCY_MIN = 100;
constexpr std::uint32_t DSBFREQUENCY_MAX = 200000;
constexpr std::uint32_t DSBSIZE_MIN = 4;
constexpr std::uint32_t DSBSIZE_MAX = 0x0FFFFFFFu;

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The description of sample data.
struct WAVEFORMATEX {
  std::uint16_t wFormatTag = 0;
  std::uint16_t nChannels = 0;
  std::uint32_t nSamplesPerSec = 0;
  std::uint32_t nAvgBytesPerSec = 0;
  std::uint16_t nBlockAlign = 0;
  std::uint16_t wBitsPerSample = 0;
  std::uint16_t cbSize = 0;
};

// PCM samples: block align and bytes per second follow from the other three.
inline WAVEFORMATEX PcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample) {
  WAVEFORMATEX format;
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = samplesPerSec;
  format.wBitsPerSample = bitsPerSample;
  format.nBlockAlign = static_cast<std::uint16_t>(bitsPerSample / 8 * channels);
  format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSec;
  format.cbSize = 0;
  return format;
}

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

// What a buffer is made with. dwSize is 36, the size of the original record.
struct DSBUFFERDESC {
  std::uint32_t dwSize = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwBufferBytes = 0;
  std::uint32_t dwReserved = 0;
  const WAVEFORMATEX* lpwfxFormat = nullptr;
  GUID guid3DAlgorithm;
};
constexpr std::uint32_t kBufferDescSize = 36;

// One buffer of the device. Destroying it releases it.
class ISoundBuffer {
 public:
  virtual ~ISoundBuffer() = default;

  // DSBSTATUS_* bits.
  virtual HRESULT GetStatus(std::uint32_t* status) = 0;
  // Gives a lost buffer its memory back (its contents must be written again).
  virtual HRESULT Restore() = 0;
  // One writable region: offset and bytes must lie inside the buffer.
  virtual HRESULT Lock(std::uint32_t offset, std::uint32_t bytes, void** region, std::uint32_t* regionBytes,
                       std::uint32_t flags) = 0;
  virtual HRESULT Unlock(void* region, std::uint32_t regionBytes) = 0;
  // Plays from the current position, once or (DSBPLAY_LOOPING) in a loop.
  virtual HRESULT Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) = 0;
  // Stops playback; the position stays where it was.
  virtual HRESULT Stop() = 0;
  // Hundredths of a decibel, DSBVOLUME_MIN (silence) to DSBVOLUME_MAX (full level).
  virtual HRESULT SetVolume(std::int32_t volume) = 0;
  // Samples per second; DSBFREQUENCY_ORIGINAL goes back to the data's own rate.
  virtual HRESULT SetFrequency(std::uint32_t frequency) = 0;
  // Hundredths of a decibel of attenuation on the other side, DSBPAN_LEFT to DSBPAN_RIGHT.
  virtual HRESULT SetPan(std::int32_t pan) = 0;
  // The mixing format; primary buffers only.
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
};

class ISoundDevice {
 public:
  virtual ~ISoundDevice() = default;

  virtual HRESULT SetCooperativeLevel(void* window, std::uint32_t level) = 0;
  // A primary buffer (DSBCAPS_PRIMARYBUFFER) or a static buffer holding dwBufferBytes of samples.
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC& desc, std::unique_ptr<ISoundBuffer>& buffer) = 0;
  // A further buffer sharing the original's samples, stopped at position 0.
  virtual HRESULT DuplicateSoundBuffer(ISoundBuffer* original, std::unique_ptr<ISoundBuffer>& duplicate) = 0;
};

// Opens a device (null GUID: the default one) and answers a result code.
using SoundDeviceFactory = std::function<HRESULT(const GUID* device, std::unique_ptr<ISoundDevice>& out)>;

// Volume in hundredths of a decibel to a linear gain: 10^(volume/2000), and 0 at DSBVOLUME_MIN
// and below; at most 1.
float VolumeToGain(std::int32_t volume);
