#include "openalsounddevice.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

// The opened device and its context. Everything made on it keeps it alive, so the order in
// which the engine releases things does not matter.
class ALSession {
 public:
  ALSession(ALCdevice* device, ALCcontext* context) : Device(device), Context(context) {}
  ~ALSession() {
    if (alcGetCurrentContext() == Context) alcMakeContextCurrent(nullptr);
    alcDestroyContext(Context);
    alcCloseDevice(Device);
  }
  ALSession(const ALSession&) = delete;
  ALSession& operator=(const ALSession&) = delete;

  // Another manager may have its own context: every call works on this one.
  void MakeCurrent() const {
    if (alcGetCurrentContext() != Context) alcMakeContextCurrent(Context);
  }

 private:
  ALCdevice* Device;
  ALCcontext* Context;
};

// The samples of one static buffer and its duplicates: the bytes the engine writes, the AL
// buffer they are uploaded to, and the sources that play it.
struct ALSamples {
  std::shared_ptr<ALSession> Session;
  std::vector<std::uint8_t> Bytes;
  ALuint Buffer = 0;
  ALenum Format = 0;
  ALsizei Rate = 0;
  bool Uploaded = false;
  std::vector<ALuint> Sources;

  ~ALSamples() {
    Session->MakeCurrent();
    alDeleteBuffers(1, &Buffer);
  }
};

HRESULT ALFormatOf(const WAVEFORMATEX* format, ALenum& alFormat, std::uint32_t& blockBytes) {
  if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM || format->nSamplesPerSec == 0)
    return DSERR_BADFORMAT;
  const bool mono = format->nChannels == 1;
  if (!mono && format->nChannels != 2) return DSERR_BADFORMAT;
  if (format->wBitsPerSample == 8)
    alFormat = mono ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8;
  else if (format->wBitsPerSample == 16)
    alFormat = mono ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
  else
    return DSERR_BADFORMAT;
  blockBytes = format->nChannels * (format->wBitsPerSample / 8u);
  return DS_OK;
}

// The primary buffer: it only takes the mixing format, which OpenAL chooses for itself.
class ALPrimaryBuffer : public ISoundBuffer {
 public:
  HRESULT GetStatus(std::uint32_t* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    *status = 0;
    return DS_OK;
  }
  HRESULT Restore() override { return DS_OK; }
  HRESULT Lock(std::uint32_t, std::uint32_t, void**, std::uint32_t*, std::uint32_t) override {
    return DSERR_INVALIDCALL;
  }
  HRESULT Unlock(void*, std::uint32_t) override { return DSERR_INVALIDCALL; }
  HRESULT Play(std::uint32_t, std::uint32_t, std::uint32_t) override { return DSERR_INVALIDCALL; }
  HRESULT Stop() override { return DSERR_INVALIDCALL; }
  HRESULT SetVolume(std::int32_t) override { return DSERR_INVALIDCALL; }
  HRESULT SetFrequency(std::uint32_t) override { return DSERR_INVALIDCALL; }
  HRESULT SetPan(std::int32_t) override { return DSERR_INVALIDCALL; }
  HRESULT SetFormat(const WAVEFORMATEX* format) override {
    ALenum alFormat = 0;
    std::uint32_t blockBytes = 0;
    return ALFormatOf(format, alFormat, blockBytes);
  }
};

// A static buffer: one AL source on the shared samples.
class ALStaticBuffer : public ISoundBuffer {
 public:
  ALStaticBuffer(std::shared_ptr<ALSamples> samples, ALuint source) : Samples(std::move(samples)), Source(source) {
    Samples->Sources.push_back(Source);
    if (Samples->Uploaded) alSourcei(Source, AL_BUFFER, static_cast<ALint>(Samples->Buffer));
  }
  ~ALStaticBuffer() override {
    Samples->Session->MakeCurrent();
    alSourceStop(Source);
    alSourcei(Source, AL_BUFFER, 0);
    alDeleteSources(1, &Source);
    auto& sources = Samples->Sources;
    sources.erase(std::remove(sources.begin(), sources.end(), Source), sources.end());
  }

  const std::shared_ptr<ALSamples>& GetSamples() const { return Samples; }

  HRESULT GetStatus(std::uint32_t* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    Samples->Session->MakeCurrent();
    ALint state = AL_INITIAL;
    alGetSourcei(Source, AL_SOURCE_STATE, &state);
    ALint looping = AL_FALSE;
    alGetSourcei(Source, AL_LOOPING, &looping);
    *status = 0;
    if (state == AL_PLAYING) *status = DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
  }

  HRESULT Restore() override { return DS_OK; }  // OpenAL never takes memory away

  HRESULT Lock(std::uint32_t offset, std::uint32_t bytes, void** region, std::uint32_t* regionBytes,
               std::uint32_t) override {
    const std::size_t size = Samples->Bytes.size();
    if (region == nullptr || regionBytes == nullptr || offset > size || bytes > size - offset)
      return DSERR_INVALIDPARAM;
    *region = Samples->Bytes.data() + offset;
    *regionBytes = bytes;
    return DS_OK;
  }

  // Uploads the samples; the sources that play them are stopped and attached again.
  HRESULT Unlock(void*, std::uint32_t) override {
    Samples->Session->MakeCurrent();
    for (ALuint source : Samples->Sources) {
      alSourceStop(source);
      alSourcei(source, AL_BUFFER, 0);
    }
    alGetError();
    alBufferData(Samples->Buffer, Samples->Format, Samples->Bytes.data(), static_cast<ALsizei>(Samples->Bytes.size()),
                 Samples->Rate);
    if (alGetError() != AL_NO_ERROR) return DSERR_INVALIDCALL;
    Samples->Uploaded = true;
    for (ALuint source : Samples->Sources) alSourcei(source, AL_BUFFER, static_cast<ALint>(Samples->Buffer));
    return DS_OK;
  }

  HRESULT Play(std::uint32_t, std::uint32_t, std::uint32_t flags) override {
    Samples->Session->MakeCurrent();
    alSourcei(Source, AL_LOOPING, (flags & DSBPLAY_LOOPING) ? AL_TRUE : AL_FALSE);
    ALint state = AL_INITIAL;
    alGetSourcei(Source, AL_SOURCE_STATE, &state);
    // A playing buffer goes on where it is; a stopped (paused) one resumes.
    if (state == AL_PLAYING) return DS_OK;
    alGetError();
    alSourcePlay(Source);
    return alGetError() == AL_NO_ERROR ? DS_OK : DSERR_INVALIDCALL;
  }

  HRESULT Stop() override {
    Samples->Session->MakeCurrent();
    ALint state = AL_INITIAL;
    alGetSourcei(Source, AL_SOURCE_STATE, &state);
    // Pausing keeps the position, so the next Play continues from there.
    if (state == AL_PLAYING) alSourcePause(Source);
    return DS_OK;
  }

  HRESULT SetVolume(std::int32_t volume) override {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    Samples->Session->MakeCurrent();
    alSourcef(Source, AL_GAIN, VolumeToGain(volume));
    return DS_OK;
  }

  HRESULT SetFrequency(std::uint32_t frequency) override {
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
      return DSERR_INVALIDPARAM;
    Samples->Session->MakeCurrent();
    const float pitch = frequency == DSBFREQUENCY_ORIGINAL ? 1.0f : static_cast<float>(frequency) / Samples->Rate;
    alSourcef(Source, AL_PITCH, pitch);
    return DS_OK;
  }

  // Pan places the source on a half circle in front of the listener (mono sounds only; OpenAL
  // plays stereo data as it is).
  HRESULT SetPan(std::int32_t pan) override {
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    Samples->Session->MakeCurrent();
    const float x = static_cast<float>(pan) / DSBPAN_RIGHT;
    alSourcei(Source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(Source, AL_POSITION, x, 0.0f, -std::sqrt(1.0f - x * x));
    return DS_OK;
  }

  HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }

 private:
  std::shared_ptr<ALSamples> Samples;
  ALuint Source;
};

class ALSoundDevice : public ISoundDevice {
 public:
  explicit ALSoundDevice(std::shared_ptr<ALSession> session) : Session(std::move(session)) {}

  HRESULT SetCooperativeLevel(void*, std::uint32_t) override { return DS_OK; }

  HRESULT CreateSoundBuffer(const DSBUFFERDESC& desc, std::unique_ptr<ISoundBuffer>& buffer) override {
    if (desc.dwFlags & DSBCAPS_PRIMARYBUFFER) {
      if (desc.dwBufferBytes != 0 || desc.lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
      buffer = std::make_unique<ALPrimaryBuffer>();
      return DS_OK;
    }
    ALenum alFormat = 0;
    std::uint32_t blockBytes = 0;
    const HRESULT result = ALFormatOf(desc.lpwfxFormat, alFormat, blockBytes);
    if (FAILED(result)) return result;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX || desc.dwBufferBytes % blockBytes != 0)
      return DSERR_INVALIDPARAM;

    try {
      auto samples = std::make_shared<ALSamples>();
      samples->Session = Session;
      samples->Bytes.assign(desc.dwBufferBytes, 0);
      samples->Format = alFormat;
      samples->Rate = static_cast<ALsizei>(desc.lpwfxFormat->nSamplesPerSec);
      Session->MakeCurrent();
      alGetError();
      alGenBuffers(1, &samples->Buffer);
      if (alGetError() != AL_NO_ERROR) {
        samples->Buffer = 0;
        return DSERR_OUTOFMEMORY;
      }
      return MakeBuffer(std::move(samples), buffer);
    } catch (const std::bad_alloc&) {
      return DSERR_OUTOFMEMORY;
    }
  }

  HRESULT DuplicateSoundBuffer(ISoundBuffer* original, std::unique_ptr<ISoundBuffer>& duplicate) override {
    auto* source = dynamic_cast<ALStaticBuffer*>(original);
    if (source == nullptr) return DSERR_INVALIDPARAM;
    return MakeBuffer(source->GetSamples(), duplicate);
  }

 private:
  HRESULT MakeBuffer(std::shared_ptr<ALSamples> samples, std::unique_ptr<ISoundBuffer>& buffer) {
    Session->MakeCurrent();
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) return DSERR_OUTOFMEMORY;
    buffer = std::make_unique<ALStaticBuffer>(std::move(samples), source);
    return DS_OK;
  }

  std::shared_ptr<ALSession> Session;
};

}  // namespace

HRESULT OpenOpenALSoundDevice(const GUID*, std::unique_ptr<ISoundDevice>& out) {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) return DSERR_NODRIVER;
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (context == nullptr) {
    alcCloseDevice(device);
    return DSERR_NODRIVER;
  }
  try {
    auto session = std::make_shared<ALSession>(device, context);
    session->MakeCurrent();
    out = std::make_unique<ALSoundDevice>(std::move(session));
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  return DS_OK;
}
