// The sound engine on the in-memory device.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "sound/csoundmanager.h"
#include "sound/memorysounddevice.h"

namespace {

WAVEFORMATEX Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  return PcmFormat(channels, rate, bits);
}

std::vector<std::uint8_t> Ramp(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(1 + i % 200);
  return bytes;
}

int Refusals = 0;
void CountSleep(std::uint32_t) { ++Refusals; }

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    State = std::make_shared<MemorySoundState>();
    Manager = std::make_unique<CSoundManager>(MemorySoundDeviceFactory(State));
    Refusals = 0;
    CSound::SetSleepFunction(&CountSleep);
  }
  void TearDown() override { CSound::SetSleepFunction(nullptr); }

  void Open() {
    ASSERT_EQ(Manager->OpenDevice(this, DSSCL_PRIORITY, nullptr), S_OK);
  }

  std::unique_ptr<CSound> Make(const std::vector<std::uint8_t>& bytes, std::uint32_t flags, std::uint32_t buffers,
                               WAVEFORMATEX format = Pcm(1, 11025, 16)) {
    std::unique_ptr<CSound> sound;
    EXPECT_EQ(Manager->MakeSound(&sound, bytes.data(), static_cast<std::uint32_t>(bytes.size()), format, flags,
                                 GUID(), buffers),
              S_OK);
    return sound;
  }

  std::shared_ptr<MemorySoundState> State;
  std::unique_ptr<CSoundManager> Manager;
};

TEST_F(EngineTest, OpenPassesWindowAndLevelAndReportsDeviceRefusals) {
  Open();
  EXPECT_EQ(State->Window, this);
  EXPECT_EQ(State->Level, DSSCL_PRIORITY);

  auto refusing = std::make_shared<MemorySoundState>();
  refusing->CooperativeResult = DSERR_INVALIDCALL;
  CSoundManager other(MemorySoundDeviceFactory(refusing));
  EXPECT_EQ(other.OpenDevice(nullptr, DSSCL_PRIORITY, nullptr), DSERR_INVALIDCALL);

  auto absent = std::make_shared<MemorySoundState>();
  absent->OpenResult = DSERR_NODRIVER;
  CSoundManager none(MemorySoundDeviceFactory(absent));
  EXPECT_EQ(none.OpenDevice(nullptr, DSSCL_PRIORITY, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(none.GetDevice(), nullptr);
  EXPECT_EQ(none.SetPrimaryFormat(1, 11025, 16), CO_E_NOTINITIALIZED);
}

TEST_F(EngineTest, PrimaryFormatAsksForBlockAlignAndRate) {
  EXPECT_EQ(Manager->SetPrimaryFormat(1, 11025, 16), CO_E_NOTINITIALIZED);
  Open();
  ASSERT_EQ(Manager->SetPrimaryFormat(1, 11025, 16), S_OK);
  ASSERT_EQ(State->Buffers.size(), 1u);
  const auto& primary = *State->Buffers[0];
  EXPECT_TRUE(primary.Primary);
  EXPECT_TRUE(primary.Released);  // the interface is released at once
  ASSERT_EQ(primary.FormatsSet.size(), 1u);
  const WAVEFORMATEX& format = primary.FormatsSet[0];
  EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format.nChannels, 1);
  EXPECT_EQ(format.nSamplesPerSec, 11025u);
  EXPECT_EQ(format.wBitsPerSample, 16);
  EXPECT_EQ(format.nBlockAlign, 2);
  EXPECT_EQ(format.nAvgBytesPerSec, 22050u);
  EXPECT_EQ(format.cbSize, 0);

  State->SetFormatResult = DSERR_BADFORMAT;
  EXPECT_EQ(Manager->SetPrimaryFormat(1, 11025, 16), DSERR_BADFORMAT);
  State->PrimaryResult = DSERR_INVALIDCALL;
  EXPECT_EQ(Manager->SetPrimaryFormat(1, 11025, 16), DSERR_INVALIDCALL);
}

TEST_F(EngineTest, MakeSoundRefusalsLeaveTheOutReferenceUntouched) {
  const auto bytes = Ramp(100);
  auto marker = std::make_unique<CSound>(std::vector<std::unique_ptr<ISoundBuffer>>(), 0, 0, nullptr, 0);
  CSound* const before = marker.get();
  const auto format = Pcm(1, 11025, 16);

  // Before the device is open.
  EXPECT_EQ(Manager->MakeSound(&marker, bytes.data(), 100, format, DSBCAPS_CTRLVOLUME, GUID(), 1),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(marker.get(), before);

  Open();
  EXPECT_EQ(Manager->MakeSound(&marker, nullptr, 100, format, 0, GUID(), 1), E_INVALIDARG);
  EXPECT_EQ(Manager->MakeSound(nullptr, bytes.data(), 100, format, 0, GUID(), 1), E_INVALIDARG);
  EXPECT_EQ(Manager->MakeSound(&marker, bytes.data(), 100, format, 0, GUID(), 0), E_INVALIDARG);
  EXPECT_EQ(marker.get(), before);

  // Device refusals come back unchanged: the first buffer, then a duplicate.
  State->CreateResult = DSERR_OUTOFMEMORY;
  EXPECT_EQ(Manager->MakeSound(&marker, bytes.data(), 100, format, 0, GUID(), 1), DSERR_OUTOFMEMORY);
  State->CreateResult = DS_OK;
  State->DuplicateResult = DSERR_INVALIDCALL;
  EXPECT_EQ(Manager->MakeSound(&marker, bytes.data(), 100, format, 0, GUID(), 3), DSERR_INVALIDCALL);
  EXPECT_TRUE(State->LastStatic()->Released);  // nothing made is kept
  EXPECT_EQ(marker.get(), before);
  EXPECT_TRUE(State->Buffers.size() >= 1);
}

TEST_F(EngineTest, MadeSoundHoldsTheBytesAndOnlyTheAskedControls) {
  Open();
  const auto bytes = Ramp(1000);
  GUID algorithm;
  algorithm.Data1 = 0x12345678;
  std::unique_ptr<CSound> sound;
  ASSERT_EQ(Manager->MakeSound(&sound, bytes.data(), 1000, Pcm(1, 11025, 16), DSBCAPS_CTRLVOLUME, algorithm, 1),
            S_OK);
  ASSERT_TRUE(sound);
  ASSERT_EQ(State->Descriptions.size(), 1u);
  const DSBUFFERDESC& desc = State->Descriptions[0];
  EXPECT_EQ(desc.dwSize, 36u);
  EXPECT_EQ(desc.dwFlags, DSBCAPS_CTRLVOLUME);
  EXPECT_EQ(desc.dwBufferBytes, 1000u);
  EXPECT_EQ(desc.guid3DAlgorithm.Data1, 0x12345678u);
  EXPECT_EQ(*State->LastStatic()->Samples, bytes);
  EXPECT_FALSE(State->LastStatic()->Playing);
  EXPECT_EQ(sound->GetBufferBytes(), 1000u);
  EXPECT_EQ(sound->BufferAt(0), sound->BufferAt(0));
  EXPECT_EQ(sound->BufferAt(1), nullptr);

  // Volume only: frequency and pan are never touched; -1 leaves the frequency alone anyway.
  EXPECT_EQ(sound->Play(0, 0, -2500, 22050, 300), S_OK);
  const auto& buffer = *State->LastStatic();
  EXPECT_EQ(buffer.Volumes, std::vector<std::int32_t>{-2500});
  EXPECT_EQ(buffer.FrequencyCalls, 0);
  EXPECT_EQ(buffer.PanCalls, 0);
  EXPECT_EQ(buffer.LastPlayFlags, 0u);

  // Deleting the sound releases its buffer and leaves the bytes to their owner.
  sound.reset();
  EXPECT_TRUE(State->LastStatic()->Released);
}

TEST_F(EngineTest, PlayAppliesFrequencyAndPanOnlyWhenAskedFor) {
  Open();
  const auto bytes = Ramp(400);
  auto sound = Make(bytes, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN, 1);
  const auto& buffer = *State->LastStatic();
  ASSERT_EQ(sound->Play(7, DSBPLAY_LOOPING, 0, -1, -400), S_OK);
  EXPECT_EQ(buffer.FrequencyCalls, 0);
  EXPECT_EQ(buffer.PanCalls, 1);
  EXPECT_EQ(buffer.Pan, -400);
  EXPECT_EQ(buffer.LastPriority, 7u);
  EXPECT_EQ(buffer.LastPlayFlags, DSBPLAY_LOOPING);
  ASSERT_EQ(sound->Play(0, 0, 0, 8000, 0), S_OK);
  EXPECT_EQ(buffer.FrequencyCalls, 1);
  EXPECT_EQ(buffer.Frequency, 8000u);
}

TEST_F(EngineTest, PickBufferSkipsBusyBuffersAndFallsBackToABusyOne) {
  Open();
  const auto bytes = Ramp(200);
  auto sound = Make(bytes, DSBCAPS_CTRLVOLUME, 3);
  ASSERT_EQ(State->Buffers.size(), 3u);
  EXPECT_EQ(State->Buffers[1]->DuplicateOf, 0);
  EXPECT_EQ(State->Buffers[2]->DuplicateOf, 0);
  EXPECT_EQ(State->Buffers[1]->Samples, State->Buffers[0]->Samples);  // duplicates share the samples

  EXPECT_EQ(sound->PickBuffer(), sound->BufferAt(0));
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  EXPECT_TRUE(State->Buffers[0]->Playing);
  // Buffer 0 plays: the next play goes to buffer 1.
  EXPECT_EQ(sound->PickBuffer(), sound->BufferAt(1));
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  EXPECT_EQ(State->Buffers[1]->PlayCount, 1);
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  EXPECT_EQ(State->Buffers[2]->PlayCount, 1);
  // All busy: one of them is taken again.
  ISoundBuffer* picked = sound->PickBuffer();
  EXPECT_TRUE(picked == sound->BufferAt(0) || picked == sound->BufferAt(1) || picked == sound->BufferAt(2));

  EXPECT_EQ(sound->Stop(), S_OK);
  for (const auto& buffer : State->Buffers) EXPECT_FALSE(buffer->Playing);
}

TEST_F(EngineTest, SingleBusyBufferIsPlayedAgain) {
  Open();
  const auto bytes = Ramp(200);
  auto sound = Make(bytes, 0, 1);
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  State->Advance(0, 50);
  EXPECT_EQ(sound->PickBuffer(), sound->BufferAt(0));
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  EXPECT_EQ(State->Buffers[0]->PlayCount, 2);
  EXPECT_EQ(State->Buffers[0]->Position, 50u);
}

TEST_F(EngineTest, EffectsSoundsGetSeparateBuffers) {
  Open();
  const auto bytes = Ramp(200);
  auto sound = Make(bytes, DSBCAPS_CTRLFX, 2);
  ASSERT_EQ(State->Buffers.size(), 2u);
  EXPECT_EQ(State->Buffers[1]->DuplicateOf, -1);
  EXPECT_EQ(State->Descriptions.size(), 2u);
  EXPECT_NE(State->Buffers[1]->Samples, State->Buffers[0]->Samples);
}

TEST_F(EngineTest, StopThenPlayResumesWhereItStopped) {
  Open();
  const auto bytes = Ramp(1000);
  auto sound = Make(bytes, DSBCAPS_CTRLVOLUME, 1);
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  State->Advance(0, 300);
  EXPECT_EQ(sound->Stop(), S_OK);
  EXPECT_EQ(State->Buffers[0]->Position, 300u);
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  EXPECT_EQ(State->Buffers[0]->Position, 300u);
  EXPECT_TRUE(State->Buffers[0]->Playing);
  // Played once, it stops at its end.
  State->Advance(0, 700);
  EXPECT_FALSE(State->Buffers[0]->Playing);
}

TEST_F(EngineTest, LostBufferIsRestoredAndRefilledBeforePlay) {
  Open();
  const auto bytes = Ramp(600);
  auto sound = Make(bytes, DSBCAPS_CTRLVOLUME, 1);
  State->MarkLost(0, 3);
  ASSERT_NE(*State->Buffers[0]->Samples, bytes);

  ASSERT_EQ(sound->Play(0, 0, -100, -1, 0), S_OK);
  const auto& buffer = *State->Buffers[0];
  EXPECT_EQ(buffer.RestoreCalls, 4);
  EXPECT_EQ(Refusals, 3);  // one wait after each refusal
  EXPECT_FALSE(buffer.Lost);
  EXPECT_EQ(*buffer.Samples, bytes);
  EXPECT_TRUE(buffer.Playing);
  // The refill comes before the play.
  const auto lastLock = std::find(buffer.Calls.rbegin(), buffer.Calls.rend(), "Lock");
  const auto lastPlay = std::find(buffer.Calls.rbegin(), buffer.Calls.rend(), "Play");
  EXPECT_GT(lastLock - buffer.Calls.rbegin(), lastPlay - buffer.Calls.rbegin());
}

TEST_F(EngineTest, RecoverBufferCodes) {
  Open();
  const auto bytes = Ramp(100);
  auto sound = Make(bytes, 0, 1);
  bool restored = true;
  EXPECT_EQ(sound->RecoverBuffer(nullptr, &restored), CO_E_NOTINITIALIZED);
  EXPECT_EQ(sound->RecoverBuffer(sound->BufferAt(0), &restored), S_FALSE);
  EXPECT_FALSE(restored);
  State->MarkLost(0);
  EXPECT_EQ(sound->RecoverBuffer(sound->BufferAt(0), &restored), S_OK);
  EXPECT_TRUE(restored);
  State->Buffers[0]->StatusResult = DSERR_INVALIDCALL;
  EXPECT_EQ(sound->RecoverBuffer(sound->BufferAt(0), nullptr), DSERR_INVALIDCALL);
  EXPECT_EQ(sound->FillBuffer(nullptr, false), CO_E_NOTINITIALIZED);
}

TEST_F(EngineTest, ADeviceThatNeverRestoresDoesNotHangThePlayer) {
  Open();
  const auto bytes = Ramp(100);
  auto sound = Make(bytes, 0, 1);
  State->MarkLost(0, 1000000);
  EXPECT_EQ(sound->Play(0, 0, 0, -1, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(State->Buffers[0]->RestoreCalls, CSound::kRestoreAttempts);
  EXPECT_FALSE(State->Buffers[0]->Playing);
}

TEST_F(EngineTest, SilencePadsShortDataWith128For8BitAnd0Otherwise) {
  Open();
  const auto bytes = Ramp(10);
  for (const std::uint16_t bits : {8, 16}) {
    const std::uint8_t silence = bits == 8 ? 0x80 : 0x00;
    // A sound whose buffer is larger than its data (MakeSound never makes one).
    auto make = [&](std::uint32_t dataBytes) {
      const WAVEFORMATEX format = Pcm(1, 8000, bits);
      DSBUFFERDESC desc;
      desc.dwSize = kBufferDescSize;
      desc.dwBufferBytes = 64;
      desc.lpwfxFormat = &format;
      std::vector<std::unique_ptr<ISoundBuffer>> buffers(1);
      EXPECT_EQ(Manager->GetDevice()->CreateSoundBuffer(desc, buffers[0]), S_OK);
      auto wave = std::make_unique<CWaveFile>();
      wave->AttachMemory(bytes.data(), dataBytes, format, 1);
      return std::make_unique<CSound>(std::move(buffers), 64, 1, std::move(wave), 0);
    };

    auto sound = make(10);  // construction fills buffer 0
    const auto& samples = *State->LastStatic()->Samples;
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(samples[i], bytes[i]);
    for (std::size_t i = 10; i < 64; ++i) ASSERT_EQ(samples[i], silence) << "bits " << bits << " at " << i;

    // With repeat, the data comes round again instead.
    ASSERT_EQ(sound->FillBuffer(sound->BufferAt(0), true), S_OK);
    for (std::size_t i = 0; i < 64; ++i) ASSERT_EQ(samples[i], bytes[i % 10]);

    // Nothing to read: all silence, repeat or not.
    auto empty = make(0);
    ASSERT_EQ(empty->FillBuffer(empty->BufferAt(0), true), S_OK);
    for (std::uint8_t sample : *State->LastStatic()->Samples) ASSERT_EQ(sample, silence);
  }
}

TEST_F(EngineTest, OddLength16BitDataPlaysItsWholeSamples) {
  Open();
  const auto bytes = Ramp(101);
  std::unique_ptr<CSound> sound;
  ASSERT_EQ(Manager->MakeSound(&sound, bytes.data(), 101, Pcm(1, 11025, 16), DSBCAPS_CTRLVOLUME, GUID(), 1), S_OK);
  EXPECT_EQ(State->Descriptions.back().dwBufferBytes, 100u);
  EXPECT_EQ(sound->GetWave()->DataSize, 100u);
  const auto& samples = *State->LastStatic()->Samples;
  EXPECT_EQ(samples, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 100));

  // 8-bit data has no half samples: every byte plays.
  std::unique_ptr<CSound> eight;
  ASSERT_EQ(Manager->MakeSound(&eight, bytes.data(), 101, Pcm(1, 11025, 8), 0, GUID(), 1), S_OK);
  EXPECT_EQ(State->Descriptions.back().dwBufferBytes, 101u);
}

TEST_F(EngineTest, ASoundWithoutBuffersAnswersNotInitialized) {
  CSound empty(std::vector<std::unique_ptr<ISoundBuffer>>(), 0, 0, nullptr, 0);
  EXPECT_EQ(empty.Play(0, 0, 0, -1, 0), CO_E_NOTINITIALIZED);
  EXPECT_EQ(empty.Stop(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(empty.PickBuffer(), nullptr);
  EXPECT_EQ(empty.BufferAt(0), nullptr);
}

TEST_F(EngineTest, DeviceFailuresDuringFillAndPlayComeBackUnchanged) {
  Open();
  const auto bytes = Ramp(100);
  auto sound = Make(bytes, DSBCAPS_CTRLVOLUME, 1);
  auto& buffer = *State->Buffers[0];

  // A status that cannot be read stops the play before anything is played.
  buffer.StatusResult = DSERR_INVALIDCALL;
  EXPECT_EQ(sound->Play(0, 0, 0, -1, 0), DSERR_INVALIDCALL);
  EXPECT_EQ(sound->FillBuffer(sound->BufferAt(0), false), DSERR_INVALIDCALL);
  buffer.StatusResult = DS_OK;
  EXPECT_EQ(buffer.PlayCount, 0);

  // A lock refused during the refill after a restore: the play stops with the lock's code.
  State->MarkLost(0);
  buffer.LockResult = DSERR_INVALIDCALL;
  EXPECT_EQ(sound->Play(0, 0, 0, -1, 0), DSERR_INVALIDCALL);
  EXPECT_EQ(buffer.PlayCount, 0);
  EXPECT_EQ(sound->FillBuffer(sound->BufferAt(0), false), DSERR_INVALIDCALL);
  buffer.LockResult = DS_OK;
  EXPECT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  EXPECT_EQ(buffer.PlayCount, 1);
}

TEST_F(EngineTest, EffectsSoundFailingOnALaterBufferReturnsTheCode) {
  Open();
  const auto bytes = Ramp(100);
  State->CreateResult = DSERR_OUTOFMEMORY;
  State->FailCreateAfter = 1;
  std::unique_ptr<CSound> sound;
  EXPECT_EQ(Manager->MakeSound(&sound, bytes.data(), 100, Pcm(1, 11025, 16), DSBCAPS_CTRLFX, GUID(), 2),
            DSERR_OUTOFMEMORY);
  EXPECT_FALSE(sound);
  EXPECT_TRUE(State->Buffers[0]->Released);
}

TEST(WaveFile, ReadsInPiecesAndStopsAtTheEnd) {
  CWaveFile wave;
  std::uint8_t out[8] = {};
  std::uint32_t read = 99;
  EXPECT_EQ(wave.Read(out, 4, &read), CO_E_NOTINITIALIZED);
  EXPECT_EQ(read, 99u);

  const std::uint8_t data[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(wave.AttachMemory(data, 5, WAVEFORMATEX(), 2), E_NOTIMPL);
  EXPECT_TRUE(wave.FromMemory);
  EXPECT_EQ(wave.AttachMemory(data, 5, WAVEFORMATEX(), 1), S_OK);
  EXPECT_EQ(wave.Read(out, 3, &read), S_OK);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(wave.Read(out, 0xFFFFFFFFu, &read), S_OK);  // a huge request is cut to what remains
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[1], 5);
  EXPECT_EQ(wave.Read(out, 3, &read), S_OK);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(wave.Rewind(), S_OK);
  EXPECT_EQ(wave.Read(out, 8, nullptr), S_OK);
  EXPECT_EQ(out[4], 5);
  EXPECT_EQ(wave.Close(), S_OK);
}

TEST(Volume, HundredthsOfADecibelToGain) {
  EXPECT_EQ(VolumeToGain(0), 1.0f);
  EXPECT_EQ(VolumeToGain(-10000), 0.0f);
  EXPECT_EQ(VolumeToGain(-20000), 0.0f);
  EXPECT_EQ(VolumeToGain(500), 1.0f);
  EXPECT_NEAR(VolumeToGain(-2000), 0.1f, 1e-6);
  EXPECT_NEAR(VolumeToGain(-600), 0.501187f, 1e-5);
  EXPECT_NEAR(VolumeToGain(-9200), 2.5119e-5f, 1e-8);
  // Each fade step of +8 dB multiplies the gain by the same factor.
  for (int v = -9200; v + 800 <= 0; v += 800)
    EXPECT_NEAR(VolumeToGain(v + 800) / VolumeToGain(v), std::pow(10.0, 0.4), 1e-3);
}

}  // namespace
