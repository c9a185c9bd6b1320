// A sound device that plays nothing: it records what the engine asks of it and lets a test do
// what no real device can be made to do on demand (lose a buffer, refuse a restore, end a sound).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sounddevice.h"

// One buffer as the device sees it.
struct MemoryBufferState {
  bool Primary = false;
  int DuplicateOf = -1;  // index of the original, for duplicates
  std::uint32_t Flags = 0;
  WAVEFORMATEX Format;
  std::shared_ptr<std::vector<std::uint8_t>> Samples;  // shared with duplicates

  bool Playing = false;
  bool Looping = false;
  bool Lost = false;
  bool Released = false;
  std::uint32_t Position = 0;  // bytes played

  int RestoreRefusals = 0;  // Restore answers DSERR_BUFFERLOST this many more times
  HRESULT StatusResult = DS_OK;
  HRESULT LockResult = DS_OK;
  std::uint32_t ExtraStatus = 0;  // ORed into the status word

  std::int32_t Volume = 0;
  std::uint32_t Frequency = 0;
  std::int32_t Pan = 0;
  std::vector<std::int32_t> Volumes;  // every SetVolume, in order
  int FrequencyCalls = 0;
  int PanCalls = 0;
  int RestoreCalls = 0;
  int LockCount = 0;
  int UnlockCount = 0;
  int PlayCount = 0;
  int StopCount = 0;
  std::uint32_t LastPriority = 0;
  std::uint32_t LastPlayFlags = 0;
  std::vector<std::string> Calls;  // "Play", "Stop", "Lock", ... in order
  std::vector<WAVEFORMATEX> FormatsSet;  // primary buffers
};

// What the device did and what it will answer. Shared between the test and the device.
struct MemorySoundState {
  HRESULT OpenResult = DS_OK;
  HRESULT CooperativeResult = DS_OK;
  HRESULT PrimaryResult = DS_OK;      // CreateSoundBuffer of a primary buffer
  HRESULT SetFormatResult = DS_OK;    // SetFormat of a primary buffer
  HRESULT CreateResult = DS_OK;       // CreateSoundBuffer of a static buffer
  HRESULT DuplicateResult = DS_OK;
  int FailCreateAfter = -1;           // static buffers made before CreateResult applies (-1: always)

  int Opens = 0;
  void* Window = nullptr;
  std::uint32_t Level = 0;
  std::vector<DSBUFFERDESC> Descriptions;  // every static CreateSoundBuffer, in order
  std::vector<std::shared_ptr<MemoryBufferState>> Buffers;  // every buffer made, in order
  int StaticCreated = 0;

  // The last static (non-primary) buffer made, or null.
  std::shared_ptr<MemoryBufferState> LastStatic() const;
  // Plays a buffer on by bytes; a buffer played once stops at its end and goes back to 0.
  void Advance(std::size_t index, std::uint32_t bytes);
  // The sound reached its end.
  void Finish(std::size_t index);
  // The device takes the buffer's memory away (its samples become garbage).
  void MarkLost(std::size_t index, int restoreRefusals = 0);
};

SoundDeviceFactory MemorySoundDeviceFactory(std::shared_ptr<MemorySoundState> state);
