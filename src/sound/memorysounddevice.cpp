#include "memorysounddevice.h"

#include <algorithm>

namespace {

class MemorySoundBuffer : public ISoundBuffer {
 public:
  explicit MemorySoundBuffer(std::shared_ptr<MemoryBufferState> state) : State(std::move(state)) {}
  ~MemorySoundBuffer() override { State->Released = true; }

  const std::shared_ptr<MemoryBufferState>& GetState() const { return State; }

  HRESULT GetStatus(std::uint32_t* status) override {
    State->Calls.push_back("GetStatus");
    if (status == nullptr) return DSERR_INVALIDPARAM;
    if (FAILED(State->StatusResult)) return State->StatusResult;
    *status = (State->Playing ? DSBSTATUS_PLAYING : 0) | (State->Playing && State->Looping ? DSBSTATUS_LOOPING : 0) |
              (State->Lost ? DSBSTATUS_BUFFERLOST : 0) | State->ExtraStatus;
    return DS_OK;
  }

  HRESULT Restore() override {
    State->Calls.push_back("Restore");
    ++State->RestoreCalls;
    if (State->RestoreRefusals > 0) {
      --State->RestoreRefusals;
      return DSERR_BUFFERLOST;
    }
    State->Lost = false;
    return DS_OK;
  }

  HRESULT Lock(std::uint32_t offset, std::uint32_t bytes, void** region, std::uint32_t* regionBytes,
               std::uint32_t) override {
    State->Calls.push_back("Lock");
    if (State->Primary) return DSERR_INVALIDCALL;
    if (State->Lost) return DSERR_BUFFERLOST;
    if (FAILED(State->LockResult)) return State->LockResult;
    const std::size_t size = State->Samples->size();
    if (region == nullptr || regionBytes == nullptr || offset > size || bytes > size - offset)
      return DSERR_INVALIDPARAM;
    ++State->LockCount;
    *region = State->Samples->data() + offset;
    *regionBytes = bytes;
    return DS_OK;
  }

  HRESULT Unlock(void*, std::uint32_t) override {
    State->Calls.push_back("Unlock");
    ++State->UnlockCount;
    return DS_OK;
  }

  HRESULT Play(std::uint32_t, std::uint32_t priority, std::uint32_t flags) override {
    State->Calls.push_back("Play");
    if (State->Primary) return DSERR_INVALIDCALL;
    if (State->Lost) return DSERR_BUFFERLOST;
    ++State->PlayCount;
    State->LastPriority = priority;
    State->LastPlayFlags = flags;
    State->Looping = (flags & DSBPLAY_LOOPING) != 0;
    State->Playing = true;
    return DS_OK;
  }

  HRESULT Stop() override {
    State->Calls.push_back("Stop");
    ++State->StopCount;
    State->Playing = false;
    return DS_OK;
  }

  HRESULT SetVolume(std::int32_t volume) override {
    State->Calls.push_back("SetVolume");
    if ((State->Flags & DSBCAPS_CTRLVOLUME) == 0) return DSERR_INVALIDCALL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    State->Volume = volume;
    State->Volumes.push_back(volume);
    return DS_OK;
  }

  HRESULT SetFrequency(std::uint32_t frequency) override {
    State->Calls.push_back("SetFrequency");
    ++State->FrequencyCalls;
    if ((State->Flags & DSBCAPS_CTRLFREQUENCY) == 0) return DSERR_INVALIDCALL;
    State->Frequency = frequency;
    return DS_OK;
  }

  HRESULT SetPan(std::int32_t pan) override {
    State->Calls.push_back("SetPan");
    ++State->PanCalls;
    if ((State->Flags & DSBCAPS_CTRLPAN) == 0) return DSERR_INVALIDCALL;
    State->Pan = pan;
    return DS_OK;
  }

  HRESULT SetFormat(const WAVEFORMATEX* format) override {
    State->Calls.push_back("SetFormat");
    if (!State->Primary || format == nullptr) return DSERR_INVALIDCALL;
    State->FormatsSet.push_back(*format);
    return DS_OK;
  }

 private:
  std::shared_ptr<MemoryBufferState> State;
};

class MemorySoundDevice : public ISoundDevice {
 public:
  explicit MemorySoundDevice(std::shared_ptr<MemorySoundState> state) : State(std::move(state)) {}

  HRESULT SetCooperativeLevel(void* window, std::uint32_t level) override {
    State->Window = window;
    State->Level = level;
    return State->CooperativeResult;
  }

  HRESULT CreateSoundBuffer(const DSBUFFERDESC& desc, std::unique_ptr<ISoundBuffer>& buffer) override {
    auto made = std::make_shared<MemoryBufferState>();
    made->Flags = desc.dwFlags;
    if (desc.dwFlags & DSBCAPS_PRIMARYBUFFER) {
      if (FAILED(State->PrimaryResult)) return State->PrimaryResult;
      made->Primary = true;
      made->Samples = std::make_shared<std::vector<std::uint8_t>>();
      State->Buffers.push_back(made);
      buffer = std::make_unique<PrimaryBuffer>(made, State->SetFormatResult);
      return DS_OK;
    }
    State->Descriptions.push_back(desc);
    if (FAILED(State->CreateResult) && (State->FailCreateAfter < 0 || State->StaticCreated >= State->FailCreateAfter))
      return State->CreateResult;
    // The same checks as a real device: a PCM format and whole blocks.
    const WAVEFORMATEX* format = desc.lpwfxFormat;
    if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM || format->nBlockAlign == 0)
      return DSERR_BADFORMAT;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX ||
        desc.dwBufferBytes % format->nBlockAlign != 0)
      return DSERR_INVALIDPARAM;
    made->Format = *format;
    made->Samples = std::make_shared<std::vector<std::uint8_t>>(desc.dwBufferBytes, 0);
    ++State->StaticCreated;
    State->Buffers.push_back(made);
    buffer = std::make_unique<MemorySoundBuffer>(made);
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(ISoundBuffer* original, std::unique_ptr<ISoundBuffer>& duplicate) override {
    if (FAILED(State->DuplicateResult)) return State->DuplicateResult;
    auto* source = dynamic_cast<MemorySoundBuffer*>(original);
    if (source == nullptr || source->GetState()->Primary) return DSERR_INVALIDPARAM;
    auto made = std::make_shared<MemoryBufferState>();
    const auto& from = *source->GetState();
    made->Flags = from.Flags;
    made->Format = from.Format;
    made->Samples = from.Samples;
    for (std::size_t i = 0; i < State->Buffers.size(); ++i)
      if (State->Buffers[i] == source->GetState()) made->DuplicateOf = static_cast<int>(i);
    State->Buffers.push_back(made);
    duplicate = std::make_unique<MemorySoundBuffer>(made);
    return DS_OK;
  }

 private:
  // A primary buffer whose SetFormat answers what the test asked for.
  class PrimaryBuffer : public MemorySoundBuffer {
   public:
    PrimaryBuffer(std::shared_ptr<MemoryBufferState> state, HRESULT formatResult)
        : MemorySoundBuffer(std::move(state)), FormatResult(formatResult) {}
    HRESULT SetFormat(const WAVEFORMATEX* format) override {
      const HRESULT result = MemorySoundBuffer::SetFormat(format);
      return FAILED(FormatResult) ? FormatResult : result;
    }

   private:
    HRESULT FormatResult;
  };

  std::shared_ptr<MemorySoundState> State;
};

}  // namespace

std::shared_ptr<MemoryBufferState> MemorySoundState::LastStatic() const {
  for (auto it = Buffers.rbegin(); it != Buffers.rend(); ++it)
    if (!(*it)->Primary) return *it;
  return nullptr;
}

void MemorySoundState::Advance(std::size_t index, std::uint32_t bytes) {
  if (index >= Buffers.size()) return;
  MemoryBufferState& buffer = *Buffers[index];
  if (!buffer.Playing || buffer.Samples->empty()) return;
  const std::size_t size = buffer.Samples->size();
  std::size_t position = buffer.Position + static_cast<std::size_t>(bytes);
  if (position >= size) {
    if (buffer.Looping) {
      position %= size;
    } else {
      position = 0;
      buffer.Playing = false;
    }
  }
  buffer.Position = static_cast<std::uint32_t>(position);
}

void MemorySoundState::Finish(std::size_t index) {
  if (index >= Buffers.size()) return;
  Buffers[index]->Playing = false;
  Buffers[index]->Position = 0;
}

void MemorySoundState::MarkLost(std::size_t index, int restoreRefusals) {
  if (index >= Buffers.size()) return;
  MemoryBufferState& buffer = *Buffers[index];
  buffer.Lost = true;
  buffer.Playing = false;
  buffer.RestoreRefusals = restoreRefusals;
  std::fill(buffer.Samples->begin(), buffer.Samples->end(), std::uint8_t{0xEE});
}

SoundDeviceFactory MemorySoundDeviceFactory(std::shared_ptr<MemorySoundState> state) {
  return [state](const GUID*, std::unique_ptr<ISoundDevice>& out) -> HRESULT {
    ++state->Opens;
    if (FAILED(state->OpenResult)) return state->OpenResult;
    out = std::make_unique<MemorySoundDevice>(state);
    return DS_OK;
  };
}
